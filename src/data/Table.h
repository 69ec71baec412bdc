#pragma once
// Rows and tables by field name, over the registry's definitions. A Record
// holds one row with its values checked against the field types and widths;
// a Table reads and writes the rows of one registered table of a database,
// by key, by index or by a condition written with "?" placeholders.

#include "Database.h"
#include "Fixed.h"
#include "Registry.h"

#include <QDate>
#include <QTime>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

namespace folha {

// A stored value that its field cannot hold: text in a number field, a
// number out of range or below the field's minimum. The row is still read,
// so one bad field does not hide the others; reading that field throws
// DbError with the message, which names the table, the field and the row.
struct StoredFault {
    QString message;
    bool operator==(const StoredFault& o) const { return message == o.message; }
};

class Record {
public:
    explicit Record(const TableDef& def);

    const TableDef& def() const { return *def_; }

    bool isNull(const QString& field) const;
    QVariant value(const QString& field) const;
    // Typed reads; a null field reads as empty, zero, a null date or false.
    // A field whose stored value was refused throws DbError (see StoredFault).
    QString text(const QString& field) const;
    Fixed number(const QString& field) const;
    int integer(const QString& field) const;
    QDate date(const QString& field) const;
    QTime time(const QString& field) const;
    bool logical(const QString& field) const;

    // Writes a value converted to the field's type. Throws DbError with a
    // clear message for an unknown field, a text longer than its field (never
    // cut), a number that is not a number, has more than four decimals, is
    // out of range or below the field's minimum, an integer out of range or
    // a malformed date.
    Record& set(const QString& field, const QVariant& value);
    Record& setNumber(const QString& field, Fixed value);
    Record& setNull(const QString& field);

    // The values in field order, as bound to a statement.
    QVariant boundValue(int fieldIndex) const;
    QVariant rawValue(int fieldIndex) const { return values_[fieldIndex]; }
    void setRaw(int fieldIndex, const QVariant& v) { values_[fieldIndex] = v; }
    QVariantList keyValues() const;

    bool operator==(const Record& o) const;

    // The filled key fields as "CODFUN 000001" (empty when none is filled).
    QString keyText() const;

private:
    int require(const QString& field) const;
    // The value of a field for reading; throws for a refused stored value.
    const QVariant& stored(int fieldIndex) const;
    const TableDef* def_;
    QVector<QVariant> values_; // normalised: QString, Fixed raw (qint64 in a Fixed wrapper), int, QDate, QTime, bool
};

// The stored form of a value read from the database, normalised to the
// field's type (text, Fixed, int, QDate, QTime, bool); null stays null. A
// value the field cannot hold gives a StoredFault whose message says why;
// Table completes it with the table and the row.
QVariant normaliseStored(const FieldDef& f, const QVariant& stored);

class Table {
public:
    Table(Database& db, const QString& name);
    Table(Database& db, const TableDef& def);

    const TableDef& def() const { return def_; }
    Database& database() { return db_; }
    Record newRecord() const { return Record(def_); }

    // The active index orders select() and forEach() when no order is given.
    void setIndex(const QString& indexName); // throws DbError for an unknown index
    QString indexName() const { return indexName_; }
    QStringList orderFields() const;

    // By primary key (values in key order).
    std::optional<Record> find(const QVariantList& key);
    // Exact lookup on the leading fields of the active index.
    std::optional<Record> findIndexed(const QVariantList& values);
    // First row at or after the given leading values of the active index.
    std::optional<Record> findNearest(const QVariantList& values);

    // Rows matching a condition ("CODFUN = ? AND OCORRANO = ?"), in the given
    // order or the active index's order.
    std::vector<Record> select(const QString& where = {}, const QVariantList& params = {},
                               const QString& orderBy = {});
    // Streams the rows; the callback returns false to stop.
    void forEach(const QString& where, const QVariantList& params, const std::function<bool(const Record&)>& fn,
                 const QString& orderBy = {});
    // Streams the rows with only these fields read (the others null): a pass
    // over a large table that needs a few fields of every row.
    void forEachOf(const QStringList& fields, const QString& where, const QVariantList& params,
                   const std::function<bool(const Record&)>& fn);
    qint64 count(const QString& where = {}, const QVariantList& params = {});
    // One page of rows in primary-key order: those after the row whose key
    // is `afterKey` (from the first row when empty), at most `limit` of
    // them, narrowed by the condition. Reading a large table page by page
    // holds only one page in memory and no statement open between pages.
    std::vector<Record> page(const QString& where, const QVariantList& params, const QVariantList& afterKey, int limit);
    // The rows from a position (0-based, in primary-key order, narrowed by
    // the condition), at most `limit` of them: a grid's page anywhere in a
    // large table.
    std::vector<Record> pageAt(const QString& where, const QVariantList& params, qint64 offset, int limit);

    void insert(const Record& r);
    // Inserts the rows with one statement for many of them (`INSERT … VALUES
    // (…), (…)`, every value bound): a calculation writes an employee's rows
    // at once instead of one statement each.
    void insertMany(const std::vector<const Record*>& rows);
    void insertMany(const std::vector<Record>& rows); // the same, for rows held by value
    // Removes the rows of these primary keys, many to a statement; returns
    // how many went.
    int removeMany(const std::vector<QVariantList>& keys);
    // By primary key; returns false when no row had that key.
    bool update(const Record& r);
    // Replaces the row of the same key or inserts it.
    void save(const Record& r);
    bool remove(const QVariantList& key);
    int removeWhere(const QString& where, const QVariantList& params);

    Record fromQuery(const QSqlQuery& q) const;

private:
    QString selectList() const;
    void placeFaults(Record& r, const std::vector<int>& faults) const;
    // The rows of a page's statement, at most `limit`.
    std::vector<Record> readPage(const QString& sql, const QVariantList& values, int limit);
    QString selectStatement(const QString& where, const QString& orderBy) const;
    QString keyCondition() const;
    // A key value as the statement binds it.
    QVariant boundKeyValue(const QString& field, const QVariant& value) const;
    Database& db_;
    // Records keep a pointer to their table's definition, so it must
    // outlive any one Table: the registry's own, or a kept copy of a
    // definition made at run time (monthly audit logs, work tables).
    const TableDef& def_;
    QString indexName_;
    // The insert statements made so far, by the automatic fields left to
    // the database: the same few serve every row the table writes.
    struct InsertText {
        std::vector<int> omitted;
        QString sql;
    };
    std::vector<InsertText> insertTexts_;
    // The statements that find, update and remove one row by its key,
    // made the first time each is needed.
    QString findText_, updateText_, removeText_;
};

} // namespace folha

Q_DECLARE_METATYPE(folha::StoredFault)
