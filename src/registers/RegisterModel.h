#pragma once
// The grid of a register: an item model over a registry table that knows
// how many rows it has (one count) and reads only the pages of rows that are
// looked at, keeping a few of them; it shows code-list entries, masks,
// dates and amounts as the forms do, and writes through the registry's
// checks. Filtering and searching are SQL on the table, with the typed
// value bound, so a large table is never read whole: a search that lands
// near the end reads that page alone.

#include "Table.h"

#include <QAbstractTableModel>
#include <list>
#include <map>
#include <vector>

namespace folha::registers {

class RegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;

    RegisterModel(Database& db, const TableDef& def, QObject* parent = nullptr);

    const TableDef& def() const { return def_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes a value into the row's record through the field's checks; a
    // refused value returns false and leaves lastError() with the message.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The field of a column (columns are the table's fields in order).
    QString fieldAt(int column) const;
    int columnOf(const QString& field) const;

    // Only the rows whose field starts with the text (dates and numbers as
    // typed); an empty text clears the filter. Counts the rows again.
    void setFilter(const QString& field, const QString& text);
    void clearFilter();
    QString filterField() const { return filterField_; }
    QString filterText() const { return filterText_; }

    // The row of the first record (in the grid's order) whose field starts
    // with the text, counted in SQL; -1 when none.
    int findFirst(const QString& field, const QString& text);
    // The row of a key, counted in SQL; -1 when none.
    int rowOfKey(const QVariantList& key);

    // The record of a row (edited values included).
    Record record(int row) const;
    // Counts the rows again and forgets the pages read (after a save or a
    // delete).
    void reload();
    // Pages of rows held at the moment (at most CachedPages).
    int pagesHeld() const { return int(pages_.size()); }
    static constexpr int CachedPages = 16;

    // The text a cell shows: code-list entry, mask, dd/MM/yyyy, amounts
    // with a decimal comma.
    static QString displayText(const Record& record, const FieldDef& field);
    QString lastError() const { return lastError_; }

private:
    QString whereClause(QVariantList& params) const;
    // The row of a record known to pass the filter: the rows before it.
    int rowOfRecord(const Record& match);
    // A row's record, reading its page when it is not held.
    const Record& rowRecord(int row) const;
    Database& db_;
    const TableDef& def_;
    qint64 total_ = 0;
    // Pages read, by page number, and the order they were last used in.
    mutable std::map<int, std::vector<Record>> pages_;
    mutable std::list<int> recent_;
    // Rows edited through setData, kept whatever pages are let go.
    std::map<int, Record> edited_;
    QString filterField_;
    QString filterText_;
    QString lastError_;
};

} // namespace folha::registers
