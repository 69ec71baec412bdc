#pragma once
// The grid of a register: an item model over a registry table that reads
// its rows in pages (the first page at once, the next when the view asks),
// shows code-list entries, masks, dates and amounts as the forms do, and
// writes through the registry's checks. Filtering and searching are SQL on
// the table, with the typed value bound, so a large table is never read
// whole.

#include "Table.h"

#include <QAbstractTableModel>
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
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The field of a column (columns are the table's fields in order).
    QString fieldAt(int column) const;
    int columnOf(const QString& field) const;

    // Only the rows whose field starts with the text (dates and numbers as
    // typed); an empty text clears the filter. Reloads from the first page.
    void setFilter(const QString& field, const QString& text);
    void clearFilter();
    QString filterField() const { return filterField_; }
    QString filterText() const { return filterText_; }

    // The row of the first record (in the grid's order) whose field starts
    // with the text, reading pages up to it; -1 when none.
    int findFirst(const QString& field, const QString& text);
    // The row of a key, reading pages up to it; -1 when none.
    int rowOfKey(const QVariantList& key);

    // The record of a row as loaded (edited values included).
    const Record& record(int row) const;
    // Reads the first page again (after a save or a delete).
    void reload();

    // The text a cell shows: code-list entry, mask, dd/MM/yyyy, amounts
    // with a decimal comma.
    static QString displayText(const Record& record, const FieldDef& field);
    QString lastError() const { return lastError_; }

private:
    QString whereClause(QVariantList& params) const;
    // The row of a record known to pass the filter, reading pages up to it.
    int rowOfRecord(const Record& match);
    Database& db_;
    const TableDef& def_;
    std::vector<Record> rows_;
    bool atEnd_ = false;
    // True while rows are being replaced or added: a view that asks for
    // more from its change handlers gets nothing until the change is over.
    bool changing_ = false;
    std::vector<Record> readPage() const;
    QString filterField_;
    QString filterText_;
    QString lastError_;
};

} // namespace folha::registers
