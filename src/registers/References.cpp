#include "References.h"

#include "DbError.h"
#include "TextRoutines.h"

namespace folha::registers {

namespace {

bool IsNumeric(FieldType type) {
    return type == FieldType::ShortInt || type == FieldType::LongInt || type == FieldType::Number ||
           type == FieldType::AutoInc;
}

QString NounOf(const TableDef& def) { return def.noun.isEmpty() ? def.caption : def.noun; }

// The registers' codes written with leading zeros: employee (6 places),
// event, position, union, taker, line, shift (3). Longer keys (a cost
// centre, a bank and agency) are free text and kept as typed.
constexpr int ShortCodeWidth = 6;

bool IsShortCode(const FieldDef& f) { return f.type == FieldType::Text && f.size <= ShortCodeWidth; }

// The keys `value` may stand for in a key field: none when it names nothing
// (blank or zero); a code typed short also as completed with zeros.
QVariantList CandidateKeys(const FieldDef& from, const QVariant& value, const FieldDef& key) {
    if (value.isNull()) return {};
    if (IsNumeric(from.type)) {
        const qint64 n = value.toLongLong();
        if (n == 0) return {};
        if (IsNumeric(key.type)) return {n};
        return {QString::number(n).rightJustified(key.size, QLatin1Char('0'))};
    }
    const QString text = value.toString().trimmed();
    if (text.isEmpty()) return {};
    if (IsNumeric(key.type)) {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        return ok && n != 0 ? QVariantList{n} : QVariantList{};
    }
    QVariantList keys{text};
    if (IsShortCode(key) && CompletedCode(text, key.size) != text) keys << CompletedCode(text, key.size);
    return keys;
}

// The value a referring field holds for a key (the other way round).
QVariant ReferringValue(const FieldDef& from, const QVariant& key) {
    if (IsNumeric(from.type)) return key.toLongLong();
    return key.toString();
}

} // namespace

int CompletedCodeWidth(const TableDef& def, const FieldDef& f) {
    // A code naming another register's row, or the register's own one-field code.
    const bool own = def.primaryKey.size() == 1 && def.primaryKey.first() == f.name;
    bool code = own && IsShortCode(f);
    if (f.refersTo) {
        const FieldDef* key = Registry::instance().require(f.refersTo->table).field(f.refersTo->keyField);
        code = key && IsShortCode(*key) && IsShortCode(f);
    }
    return code ? f.size : 0;
}

void CompleteCodes(Record& row) {
    const TableDef& def = row.def();
    for (const FieldDef& f : def.fields) {
        if (CompletedCodeWidth(def, f) == 0 || row.isNull(f.name)) continue;
        const QString text = row.text(f.name).trimmed();
        if (CompletedCode(text, f.size) != text) row.set(f.name, CompletedCode(text, f.size));
    }
}

QString RowName(const Record& row) {
    QStringList key;
    for (const QString& k : row.def().primaryKey) key << row.text(k).trimmed();
    return NounOf(row.def()) + QLatin1Char(' ') + key.join(QLatin1Char('/'));
}

void RequireReferencedRows(Database& db, const Record& row) {
    for (const FieldDef& f : row.def().fields) {
        if (!f.refersTo) continue;
        const TableDef& target = Registry::instance().require(f.refersTo->table);
        const FieldDef* key = target.field(f.refersTo->keyField);
        if (!key) continue;
        const QVariantList candidates = CandidateKeys(f, row.value(f.name), *key);
        if (candidates.isEmpty()) continue;
        Table table(db, target);
        bool found = false;
        for (const QVariant& k : candidates)
            if (table.find({k})) {
                found = true;
                break;
            }
        if (!found)
            throw UserError(QStringLiteral("%1 %2 não cadastrado").arg(NounOf(target), row.text(f.name).trimmed()));
    }
}

QString RowsNaming(Database& db, const Record& row) {
    const TableDef& def = row.def();
    if (def.primaryKey.size() != 1) return {};
    const QVariant key = row.value(def.primaryKey.first());
    QStringList lines;
    for (const TableDef& other : Registry::instance().all()) {
        if (other.scope != def.scope) continue;
        QStringList conditions;
        QVariantList values;
        for (const FieldDef& f : other.fields)
            if (f.refersTo && f.refersTo->table.compare(def.name, Qt::CaseInsensitive) == 0 &&
                f.refersTo->keyField.compare(def.primaryKey.first(), Qt::CaseInsensitive) == 0) {
                conditions << f.name + QStringLiteral(" = ?");
                values << ReferringValue(f, key);
            }
        if (conditions.isEmpty() || !db.hasTable(other.name)) continue;
        const qint64 rows = Table(db, other).count(conditions.join(QStringLiteral(" OR ")), values);
        if (rows > 0) lines << QStringLiteral("%1 tem %2 registro(s) em %3").arg(RowName(row)).arg(rows).arg(other.caption);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace folha::registers
