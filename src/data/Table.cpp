#include "Table.h"

#include "CheckDigits.h"

#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <mutex>

namespace folha {

namespace {

QString fieldLabel(const TableDef& t, const FieldDef& f) {
    return QStringLiteral("%1.%2 (\"%3\")").arg(t.name, f.name, f.caption);
}

QVariant fault(const QString& why) { return QVariant::fromValue(StoredFault{why}); }
bool isFault(const QVariant& v) { return v.typeId() == qMetaTypeId<StoredFault>(); }

QString outOfRange(const QString& value) {
    return QStringLiteral("%1 está fora da faixa de %2 a %3")
        .arg(value, Fixed::min().toString(), Fixed::max().toString());
}

QString belowMinimum(Fixed value, Fixed minimum) {
    return QStringLiteral("%1 é menor que o mínimo %2").arg(value.toString(), minimum.toString());
}

void integerRange(FieldType type, qlonglong& lo, qlonglong& hi) {
    lo = type == FieldType::ShortInt ? -32768 : std::numeric_limits<int>::min();
    hi = type == FieldType::ShortInt ? 32767 : std::numeric_limits<int>::max();
}

QDate parseDate(const QString& s) {
    QString t = s.trimmed();
    if (t.isEmpty()) return {};
    QDate d = QDate::fromString(t.left(10), Qt::ISODate);
    if (!d.isValid()) d = QDate::fromString(t, QStringLiteral("dd/MM/yyyy"));
    return d;
}

// Refuses a registration number whose check digits do not agree. A number
// field holds the digits as a whole number, completed here with its leading
// zeros.
void checkRegistration(const TableDef& t, const FieldDef& f, const QVariant& stored) {
    if (f.check == FieldCheck::None || stored.isNull()) return;
    QString digits;
    if (stored.typeId() == qMetaTypeId<Fixed>()) {
        const Fixed fx = stored.value<Fixed>();
        const bool whole = fx.raw() % Fixed::Scale == 0 && !fx.isNegative();
        digits = whole ? QString::number(fx.truncated()).rightJustified(f.check == FieldCheck::Cnpj ? 14 : 11, QChar('0'))
                       : fx.toString();
    } else {
        digits = stored.toString().trimmed();
    }
    QString kind;
    bool valid = false;
    switch (f.check) {
    case FieldCheck::None: return;
    case FieldCheck::Pis: kind = QStringLiteral("PIS"); valid = ValidPis(digits); break;
    case FieldCheck::Cpf: kind = QStringLiteral("CPF"); valid = ValidCpf(digits); break;
    case FieldCheck::Cnpj: kind = QStringLiteral("CNPJ"); valid = ValidCnpj(digits); break;
    case FieldCheck::CnpjCpf:
        if (digits.size() == 14) {
            kind = QStringLiteral("CNPJ");
            valid = ValidCnpj(digits);
        } else if (digits.size() == 11) {
            kind = QStringLiteral("CPF");
            valid = ValidCpf(digits);
        } else {
            kind = QStringLiteral("CNPJ ou CPF");
        }
        break;
    }
    if (!valid)
        throw DbError(QStringLiteral("%1 inválido no campo %2 da tabela %3: %4").arg(kind, f.caption, t.name, digits));
}

} // namespace

QVariant normaliseStored(const FieldDef& f, const QVariant& v) {
    if (v.isNull() || !v.isValid()) return {};
    switch (f.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        QString s = v.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Number: {
        // SQLite keeps whatever was stored: "abc" in a number column reads
        // as text, 1e16 as an integer that the fixed point cannot hold.
        if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()) return {};
        std::optional<Fixed> fx;
        try {
            fx = Fixed::fromVariant(v);
        } catch (const FixedRangeError& e) {
            return fault(outOfRange(e.value()));
        }
        if (!fx) return fault(QStringLiteral("\"%1\" não é um número").arg(v.toString()));
        if (f.minimum && *fx < *f.minimum) return fault(belowMinimum(*fx, *f.minimum));
        return QVariant::fromValue(*fx);
    }
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: {
        bool ok = false;
        qlonglong n = 0;
        if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
            const QString t = v.toString().trimmed();
            if (t.isEmpty()) return {};
            n = t.toLongLong(&ok);
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            const double d = v.toDouble();
            ok = std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e18;
            if (ok) n = qlonglong(d);
        } else {
            n = v.toLongLong(&ok);
        }
        if (!ok) return fault(QStringLiteral("\"%1\" não é um número inteiro").arg(v.toString()));
        qlonglong lo, hi;
        integerRange(f.type, lo, hi);
        if (n < lo || n > hi) return fault(QStringLiteral("%1 fora da faixa %2 a %3").arg(n).arg(lo).arg(hi));
        return QVariant(int(n));
    }
    case FieldType::Date: {
        QDate d = v.typeId() == QMetaType::QDate ? v.toDate() : parseDate(v.toString());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        QTime t = v.typeId() == QMetaType::QTime ? v.toTime() : QTime::fromString(v.toString(), Qt::ISODate);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case FieldType::Logical:
        if (v.typeId() == QMetaType::QString) {
            QString s = v.toString().trimmed().toLower();
            return QVariant(s == "1" || s == "true" || s == "t" || s == "s" || s == "y");
        }
        return QVariant(v.toBool());
    }
    return v;
}

Record::Record(const TableDef& def) : def_(&def), values_(int(def.fields.size())) {}

int Record::require(const QString& field) const {
    int i = def_->fieldIndex(field);
    if (i < 0) throw DbError(QStringLiteral("Campo %1 não existe na tabela %2").arg(field, def_->name));
    return i;
}

const QVariant& Record::stored(int i) const {
    const QVariant& v = values_[i];
    if (isFault(v)) throw DbError(v.value<StoredFault>().message);
    return v;
}

QString Record::keyText() const {
    QStringList parts;
    for (const auto& k : def_->primaryKey) {
        const int i = def_->fieldIndex(k);
        if (i < 0 || values_[i].isNull()) continue;
        const QVariant& v = values_[i];
        QString shown = isFault(v) ? QStringLiteral("?")
                        : v.typeId() == qMetaTypeId<Fixed>() ? v.value<Fixed>().toString()
                        : v.typeId() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("dd/MM/yyyy"))
                                                           : v.toString();
        parts << def_->fields[size_t(i)].name + ' ' + shown;
    }
    return parts.join(QStringLiteral(", "));
}

bool Record::isNull(const QString& field) const { return stored(require(field)).isNull(); }
QVariant Record::value(const QString& field) const { return stored(require(field)); }

QString Record::text(const QString& field) const {
    const QVariant& v = stored(require(field));
    if (v.isNull()) return {};
    if (v.canConvert<Fixed>() && v.typeId() == qMetaTypeId<Fixed>()) return v.value<Fixed>().toString();
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    return v.toString();
}

Fixed Record::number(const QString& field) const {
    const QVariant& v = stored(require(field));
    if (v.isNull()) return {};
    if (v.typeId() == qMetaTypeId<Fixed>()) return v.value<Fixed>();
    return Fixed::fromInt(v.toLongLong());
}

int Record::integer(const QString& field) const {
    const QVariant& v = stored(require(field));
    if (v.isNull()) return 0;
    if (v.typeId() == qMetaTypeId<Fixed>()) return int(v.value<Fixed>().truncated());
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toInt();
    return v.toInt();
}

QDate Record::date(const QString& field) const { return stored(require(field)).toDate(); }
QTime Record::time(const QString& field) const { return stored(require(field)).toTime(); }
bool Record::logical(const QString& field) const { return stored(require(field)).toBool(); }

Record& Record::setNull(const QString& field) {
    values_[require(field)] = QVariant();
    return *this;
}

Record& Record::setNumber(const QString& field, Fixed value) { return set(field, QVariant::fromValue(value)); }

Record& Record::set(const QString& field, const QVariant& v) {
    int i = require(field);
    const FieldDef& f = def_->fields[size_t(i)];
    if (v.isNull() || !v.isValid()) {
        values_[i] = QVariant();
        return *this;
    }
    const QVariant before = values_[i];
    auto refuse = [&](const QString& why) {
        const QString row = keyText();
        throw DbError(QStringLiteral("Valor inválido para o campo %1%2: %3")
                          .arg(fieldLabel(*def_, f),
                               row.isEmpty() ? QString() : QStringLiteral(" do registro ") + row, why));
    };
    switch (f.type) {
    case FieldType::Text: {
        QString s = v.toString();
        if (s.size() > f.size)
            throw DbError(QStringLiteral("O campo %1 aceita no máximo %2 caracteres; o valor \"%3\" tem %4.")
                              .arg(fieldLabel(*def_, f))
                              .arg(f.size)
                              .arg(s)
                              .arg(s.size()));
        values_[i] = s.isEmpty() ? QVariant() : QVariant(s);
        break;
    }
    case FieldType::Memo: {
        QString s = v.toString();
        values_[i] = s.isEmpty() ? QVariant() : QVariant(s);
        break;
    }
    case FieldType::Number: {
        Fixed fx;
        try {
            if (v.typeId() == qMetaTypeId<Fixed>()) {
                fx = v.value<Fixed>();
            } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
                fx = Fixed::fromInt(v.toLongLong());
            } else if (v.typeId() == QMetaType::Double) {
                fx = Fixed::fromDouble(v.toDouble());
            } else {
                QString s = v.toString().trimmed();
                if (s.isEmpty()) {
                    values_[i] = QVariant();
                    break;
                }
                auto parsed = Fixed::parse(s);
                if (!parsed) refuse(QStringLiteral("\"%1\" não é um número com até quatro casas decimais").arg(s));
                fx = *parsed;
            }
        } catch (const FixedRangeError& e) {
            refuse(outOfRange(e.value()));
        }
        if (f.minimum && fx < *f.minimum) refuse(belowMinimum(fx, *f.minimum));
        values_[i] = QVariant::fromValue(fx);
        break;
    }
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: {
        bool ok = false;
        qlonglong n;
        if (v.typeId() == QMetaType::QString) {
            QString s = v.toString().trimmed();
            if (s.isEmpty()) {
                values_[i] = QVariant();
                break;
            }
            n = s.toLongLong(&ok);
        } else if (v.typeId() == qMetaTypeId<Fixed>()) {
            Fixed fx = v.value<Fixed>();
            ok = fx.raw() % Fixed::Scale == 0;
            n = fx.truncated();
        } else {
            n = v.toLongLong(&ok);
        }
        if (!ok) refuse(QStringLiteral("\"%1\" não é um número inteiro").arg(v.toString()));
        qlonglong lo, hi;
        integerRange(f.type, lo, hi);
        if (n < lo || n > hi) refuse(QStringLiteral("%1 fora da faixa %2 a %3").arg(n).arg(lo).arg(hi));
        values_[i] = QVariant(int(n));
        break;
    }
    case FieldType::Date: {
        QDate d;
        if (v.typeId() == QMetaType::QDate)
            d = v.toDate();
        else if (v.typeId() == QMetaType::QDateTime)
            d = v.toDateTime().date();
        else {
            QString s = v.toString().trimmed();
            if (s.isEmpty()) {
                values_[i] = QVariant();
                break;
            }
            d = parseDate(s);
        }
        if (!d.isValid()) refuse(QStringLiteral("\"%1\" não é uma data válida").arg(v.toString()));
        values_[i] = QVariant(d);
        break;
    }
    case FieldType::Time: {
        QTime t = v.typeId() == QMetaType::QTime ? v.toTime() : QTime::fromString(v.toString().trimmed(), Qt::ISODate);
        if (!t.isValid()) refuse(QStringLiteral("\"%1\" não é uma hora válida").arg(v.toString()));
        values_[i] = QVariant(t);
        break;
    }
    case FieldType::Logical:
        values_[i] = normaliseStored(f, v);
        break;
    }
    try {
        checkRegistration(*def_, f, values_[i]);
    } catch (const DbError&) {
        values_[i] = before; // a refused number leaves the field as it was
        throw;
    }
    return *this;
}

QVariant Record::boundValue(int i) const {
    const FieldDef& f = def_->fields[size_t(i)];
    // A refused stored value is never written back as something else.
    const QVariant& v = stored(i);
    if (v.isNull()) {
        switch (f.type) {
        case FieldType::ShortInt:
        case FieldType::LongInt:
        case FieldType::AutoInc:
            return QVariant(QMetaType(QMetaType::Int));
        case FieldType::Logical:
            return QVariant(QMetaType(QMetaType::Bool));
        default:
            return QVariant(QMetaType(QMetaType::QString));
        }
    }
    switch (f.type) {
    case FieldType::Number:
        // Decimal text: exact on a NUMERIC column, numeric affinity on SQLite.
        return v.value<Fixed>().toString();
    case FieldType::Date:
        return v.toDate().toString(Qt::ISODate);
    case FieldType::Time:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    default:
        return v;
    }
}

QVariantList Record::keyValues() const {
    QVariantList out;
    for (const auto& k : def_->primaryKey) out << boundValue(def_->fieldIndex(k));
    return out;
}

bool Record::operator==(const Record& o) const {
    if (def_->name != o.def_->name) return false;
    for (int i = 0; i < values_.size(); ++i) {
        const QVariant& a = values_[i];
        const QVariant& b = o.values_[i];
        if (a.isNull() != b.isNull()) return false;
        if (a.isNull()) continue;
        if (isFault(a) || isFault(b)) {
            if (!isFault(a) || !isFault(b) || a.value<StoredFault>() != b.value<StoredFault>()) return false;
        } else if (a.typeId() == qMetaTypeId<Fixed>() || b.typeId() == qMetaTypeId<Fixed>()) {
            if (a.value<Fixed>() != b.value<Fixed>()) return false;
        } else if (a != b) {
            return false;
        }
    }
    return true;
}

Table::Table(Database& db, const QString& name) : db_(db), def_(Registry::instance().require(name)) {}
namespace {

bool sameDef(const TableDef& a, const TableDef& b) {
    if (a.name != b.name || a.fileName != b.fileName || a.caption != b.caption || a.primaryKey != b.primaryKey ||
        a.fields.size() != b.fields.size() || a.indexes.size() != b.indexes.size())
        return false;
    for (size_t i = 0; i < a.fields.size(); ++i) {
        const FieldDef &x = a.fields[i], &y = b.fields[i];
        if (x.name != y.name || x.type != y.type || x.size != y.size || x.caption != y.caption ||
            x.required != y.required || x.minimum != y.minimum || x.codes.size() != y.codes.size())
            return false;
        for (int c = 0; c < x.codes.size(); ++c)
            if (x.codes[c].value != y.codes[c].value || x.codes[c].text != y.codes[c].text) return false;
    }
    for (size_t i = 0; i < a.indexes.size(); ++i)
        if (a.indexes[i].name != b.indexes[i].name || a.indexes[i].fields != b.indexes[i].fields ||
            a.indexes[i].unique != b.indexes[i].unique)
            return false;
    return true;
}

const TableDef& lastingDef(const TableDef& def) {
    if (Registry::instance().table(def.name) == &def) return def;
    static std::mutex mutex;
    static std::deque<TableDef> kept;
    std::lock_guard<std::mutex> lock(mutex);
    for (const TableDef& k : kept)
        if (sameDef(k, def)) return k;
    kept.push_back(def);
    return kept.back();
}

} // namespace

Table::Table(Database& db, const TableDef& def) : db_(db), def_(lastingDef(def)) {}

void Table::setIndex(const QString& indexName) {
    if (indexName.isEmpty()) {
        indexName_.clear();
        return;
    }
    if (!def_.index(indexName))
        throw DbError(QStringLiteral("Índice %1 não existe na tabela %2").arg(indexName, def_.name));
    indexName_ = def_.index(indexName)->name;
}

QStringList Table::orderFields() const {
    if (!indexName_.isEmpty()) {
        QStringList fields = def_.index(indexName_)->fields;
        // Rows equal on the index keep a stable order by the primary key.
        for (const auto& k : def_.primaryKey)
            if (!fields.contains(k, Qt::CaseInsensitive)) fields << k;
        return fields;
    }
    return def_.primaryKey;
}

QString Table::selectList() const { return def_.fieldNames().join(QStringLiteral(", ")); }

QString Table::keyCondition() const {
    QStringList parts;
    for (const auto& k : def_.primaryKey) parts << k + QStringLiteral(" = ?");
    return parts.join(QStringLiteral(" AND "));
}

Record Table::fromQuery(const QSqlQuery& q) const {
    Record r(def_);
    std::vector<int> faults;
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        QVariant v = normaliseStored(def_.fields[i], q.value(int(i)));
        if (isFault(v)) faults.push_back(int(i));
        r.setRaw(int(i), v);
    }
    placeFaults(r, faults);
    return r;
}

// The reason of a refused stored value is completed with where it lies,
// once the key is known.
void Table::placeFaults(Record& r, const std::vector<int>& faults) const {
    for (int i : faults) {
        const FieldDef& f = def_.fields[size_t(i)];
        const QString why = r.rawValue(i).value<StoredFault>().message;
        r.setRaw(i, fault(QStringLiteral("Valor inválido gravado na tabela %1, campo %2 (\"%3\"), registro %4: %5")
                              .arg(def_.name, f.name, f.caption, r.keyText(), why)));
    }
}

std::optional<Record> Table::find(const QVariantList& key) {
    if (key.size() != def_.primaryKey.size())
        throw DbError(QStringLiteral("Chave incompleta para a tabela %1").arg(def_.name));
    if (findText_.isEmpty())
        findText_ = QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(selectList(), def_.name, keyCondition());
    QSqlQuery& q = db_.execCached(findText_, key);
    std::optional<Record> out;
    if (q.next()) out = fromQuery(q);
    q.finish();
    return out;
}

std::optional<Record> Table::findIndexed(const QVariantList& values) {
    QStringList fields = orderFields();
    if (values.size() > fields.size()) throw DbError(QStringLiteral("Valores demais para o índice de %1").arg(def_.name));
    QStringList cond;
    for (int i = 0; i < values.size(); ++i) cond << fields[i] + QStringLiteral(" = ?");
    auto rows = select(cond.join(QStringLiteral(" AND ")), values);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

std::optional<Record> Table::findNearest(const QVariantList& values) {
    QStringList fields = orderFields();
    if (values.size() > fields.size()) throw DbError(QStringLiteral("Valores demais para o índice de %1").arg(def_.name));
    // (f1 > v1) OR (f1 = v1 AND f2 > v2) ... OR (all equal): at or after the key.
    QStringList alternatives;
    QVariantList params;
    for (int i = 0; i <= values.size(); ++i) {
        QStringList parts;
        for (int j = 0; j < i && j < values.size(); ++j) {
            parts << fields[j] + QStringLiteral(" = ?");
            params << values[j];
        }
        if (i < values.size()) {
            parts << fields[i] + QStringLiteral(" > ?");
            params << values[i];
        }
        alternatives << '(' + parts.join(QStringLiteral(" AND ")) + ')';
    }
    QString where = values.isEmpty() ? QString() : alternatives.join(QStringLiteral(" OR "));
    std::optional<Record> out;
    forEach(where, params, [&](const Record& r) {
        out = r;
        return false;
    });
    return out;
}

std::vector<Record> Table::select(const QString& where, const QVariantList& params, const QString& orderBy) {
    std::vector<Record> rows;
    QSqlQuery& q = db_.execCached(selectStatement(where, orderBy), params);
    while (q.next()) rows.push_back(fromQuery(q));
    q.finish();
    return rows;
}

void Table::forEach(const QString& where, const QVariantList& params, const std::function<bool(const Record&)>& fn,
                    const QString& orderBy) {
    // A query of its own, kept prepared: `fn` may read the same table again.
    const auto q = db_.execShared(selectStatement(where, orderBy), params);
    while (q->next())
        if (!fn(fromQuery(*q))) break;
}

void Table::forEachOf(const QStringList& fields, const QString& where, const QVariantList& params,
                      const std::function<bool(const Record&)>& fn) {
    std::vector<int> at;
    for (const QString& name : fields) {
        const int i = def_.fieldIndex(name);
        if (i < 0) throw DbError(QStringLiteral("Campo %1 desconhecido na tabela %2").arg(name, def_.name));
        at.push_back(i);
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(fields.join(QStringLiteral(", ")), def_.name);
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    const QStringList order = orderFields();
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    const auto q = db_.execShared(sql, params);
    while (q->next()) {
        Record r(def_);
        std::vector<int> faults;
        for (size_t k = 0; k < at.size(); ++k) {
            QVariant v = normaliseStored(def_.fields[size_t(at[k])], q->value(int(k)));
            if (isFault(v)) faults.push_back(at[k]);
            r.setRaw(at[k], v);
        }
        placeFaults(r, faults);
        if (!fn(r)) break;
    }
}

QString Table::selectStatement(const QString& where, const QString& orderBy) const {
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), def_.name);
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    QString order = orderBy.isEmpty() ? orderFields().join(QStringLiteral(", ")) : orderBy;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;
    return sql;
}

std::vector<Record> Table::page(const QString& where, const QVariantList& params, const QVariantList& afterKey, int limit) {
    const QStringList& key = def_.primaryKey;
    if (!afterKey.isEmpty() && afterKey.size() != key.size())
        throw DbError(QStringLiteral("Chave de posição com %1 campo(s); a tabela %2 tem %3").arg(afterKey.size()).arg(def_.name).arg(key.size()));
    QStringList conditions;
    QVariantList values;
    if (!where.isEmpty()) {
        conditions << '(' + where + ')';
        values = params;
    }
    if (!afterKey.isEmpty()) {
        // (k1 > ?) OR (k1 = ? AND k2 > ?) OR ...: the rows after the key.
        QStringList alternatives;
        for (int i = 0; i < key.size(); ++i) {
            QStringList parts;
            for (int j = 0; j < i; ++j) {
                parts << key[j] + QStringLiteral(" = ?");
                values << boundKeyValue(key[j], afterKey[j]);
            }
            parts << key[i] + QStringLiteral(" > ?");
            values << boundKeyValue(key[i], afterKey[i]);
            alternatives << '(' + parts.join(QStringLiteral(" AND ")) + ')';
        }
        conditions << '(' + alternatives.join(QStringLiteral(" OR ")) + ')';
    }
    QString sql = selectStatement(conditions.join(QStringLiteral(" AND ")), key.join(QStringLiteral(", ")));
    values << limit;
    return readPage(sql + QStringLiteral(" LIMIT ?"), values, limit);
}

std::vector<Record> Table::pageAt(const QString& where, const QVariantList& params, qint64 offset, int limit) {
    const QString sql = selectStatement(where, def_.primaryKey.join(QStringLiteral(", ")));
    QVariantList values = params;
    values << limit << offset;
    return readPage(sql + QStringLiteral(" LIMIT ? OFFSET ?"), values, limit);
}

std::vector<Record> Table::readPage(const QString& sql, const QVariantList& values, int limit) {
    std::vector<Record> rows;
    rows.reserve(size_t(std::max(limit, 0)));
    QSqlQuery& q = db_.execCached(sql, values);
    while (q.next()) rows.push_back(fromQuery(q));
    q.finish();
    return rows;
}

QVariant Table::boundKeyValue(const QString& field, const QVariant& value) const {
    Record r(def_);
    r.set(field, value);
    return r.boundValue(def_.fieldIndex(field));
}

qint64 Table::count(const QString& where, const QVariantList& params) {
    QString sql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(def_.name);
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    const auto q = db_.execShared(sql, params);
    return q->next() ? q->value(0).toLongLong() : 0;
}

void Table::insert(const Record& r) {
    QVariantList params;
    params.reserve(qsizetype(def_.fields.size()));
    std::vector<int> omitted; // automatic fields left to the database
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        const FieldDef& f = def_.fields[i];
        if (f.type == FieldType::AutoInc && r.rawValue(int(i)).isNull()) {
            omitted.push_back(int(i));
            continue;
        }
        if (f.required && r.rawValue(int(i)).isNull())
            throw DbError(QStringLiteral("O campo %1 da tabela %2 é obrigatório.").arg(f.name, def_.name));
        params << r.boundValue(int(i));
    }
    auto kept = std::find_if(insertTexts_.begin(), insertTexts_.end(),
                             [&](const InsertText& t) { return t.omitted == omitted; });
    if (kept == insertTexts_.end()) {
        QStringList names, marks;
        for (size_t i = 0; i < def_.fields.size(); ++i) {
            if (std::find(omitted.begin(), omitted.end(), int(i)) != omitted.end()) continue;
            names << def_.fields[i].name;
            marks << QStringLiteral("?");
        }
        insertTexts_.push_back({omitted, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                             .arg(def_.name, names.join(QStringLiteral(", ")),
                                                  marks.join(QStringLiteral(", ")))});
        kept = insertTexts_.end() - 1;
    }
    db_.execWrite(kept->sql, params);
}

namespace {
// Rows to a statement: well below the bound values either engine takes in
// one statement (SQLite 32 766, PostgreSQL 65 535), and few distinct
// statement texts for the engines to keep prepared.
int RowsPerStatement(int columns) { return std::clamp(800 / std::max(columns, 1), 1, 64); }
} // namespace

void Table::insertMany(const std::vector<const Record*>& rows) {
    // Where a statement is a round trip (the server), many rows go in one.
    // The embedded engine runs a kept prepared insert a row faster than it
    // takes a long statement's text and values; it numbers an automatic
    // field one row at a time, too.
    bool oneByOne = db_.backend() == Backend::SQLite;
    for (const FieldDef& f : def_.fields) oneByOne = oneByOne || f.type == FieldType::AutoInc;
    // A row that cannot be written stops them all before any is.
    for (const Record* r : rows)
        for (size_t i = 0; i < def_.fields.size(); ++i) {
            const FieldDef& f = def_.fields[i];
            if (f.required && f.type != FieldType::AutoInc && r->rawValue(int(i)).isNull())
                throw DbError(QStringLiteral("O campo %1 da tabela %2 é obrigatório.").arg(f.name, def_.name));
        }
    if (oneByOne) {
        for (const Record* r : rows) insert(*r);
        return;
    }
    const int fields = int(def_.fields.size());
    const int perStatement = RowsPerStatement(fields);
    for (size_t start = 0; start < rows.size(); start += size_t(perStatement)) {
        const size_t n = std::min(rows.size() - start, size_t(perStatement));
        // Columns null in every row of the statement are left to their
        // default (null) rather than bound one by one.
        std::vector<int> used;
        for (int i = 0; i < fields; ++i) {
            bool any = false;
            for (size_t k = 0; k < n && !any; ++k) any = !rows[start + k]->rawValue(i).isNull();
            if (any) used.push_back(i);
        }
        QString sql = QStringLiteral("INSERT INTO ") + def_.name + QStringLiteral(" (");
        QString one = QStringLiteral("(");
        for (size_t u = 0; u < used.size(); ++u) {
            if (u > 0) {
                sql += QStringLiteral(", ");
                one += QStringLiteral(", ");
            }
            sql += def_.fields[size_t(used[u])].name;
            one += QLatin1Char('?');
        }
        sql += QStringLiteral(") VALUES ");
        one += QLatin1Char(')');
        QVariantList params;
        params.reserve(int(n * used.size()));
        for (size_t k = 0; k < n; ++k) {
            const Record& r = *rows[start + k];
            if (k > 0) sql += QStringLiteral(", ");
            sql += one;
            for (int i : used) params << r.boundValue(i);
        }
        db_.execWrite(sql, params);
    }
}

void Table::insertMany(const std::vector<Record>& rows) {
    std::vector<const Record*> pointers;
    pointers.reserve(rows.size());
    for (const Record& r : rows) pointers.push_back(&r);
    insertMany(pointers);
}

int Table::removeMany(const std::vector<QVariantList>& keys) {
    if (db_.backend() == Backend::SQLite) { // as insertMany
        int removed = 0;
        for (const QVariantList& key : keys) removed += remove(key) ? 1 : 0;
        return removed;
    }
    const int keyFields = int(def_.primaryKey.size());
    const int perStatement = RowsPerStatement(keyFields);
    for (const QVariantList& key : keys)
        if (key.size() != keyFields) throw DbError(QStringLiteral("Chave incompleta para a tabela %1").arg(def_.name));
    int removed = 0;
    for (size_t start = 0; start < keys.size(); start += size_t(perStatement)) {
        const size_t n = std::min(keys.size() - start, size_t(perStatement));
        QVariantList params;
        const QString where = AnyOf(db_.backend(), def_.primaryKey,
                                    {keys.begin() + qsizetype(start), keys.begin() + qsizetype(start + n)}, params);
        removed += db_.execWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(def_.name, where), params);
    }
    return removed;
}

bool Table::update(const Record& r) {
    QStringList sets;
    QVariantList params;
    params.reserve(qsizetype(def_.fields.size()));
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        const FieldDef& f = def_.fields[i];
        if (def_.primaryKey.contains(f.name)) continue;
        if (f.required && r.rawValue(int(i)).isNull())
            throw DbError(QStringLiteral("O campo %1 da tabela %2 é obrigatório.").arg(f.name, def_.name));
        if (updateText_.isEmpty()) sets << f.name + QStringLiteral(" = ?");
        params << r.boundValue(int(i));
    }
    const bool nothingToSet = params.isEmpty();
    params += r.keyValues();
    if (nothingToSet) return find(r.keyValues()).has_value();
    if (updateText_.isEmpty())
        updateText_ = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(def_.name, sets.join(QStringLiteral(", ")), keyCondition());
    return db_.execWrite(updateText_, params) > 0;
}

void Table::save(const Record& r) {
    if (!update(r)) insert(r);
}

bool Table::remove(const QVariantList& key) {
    if (removeText_.isEmpty()) removeText_ = QStringLiteral("DELETE FROM %1 WHERE %2").arg(def_.name, keyCondition());
    return db_.execWrite(removeText_, key) > 0;
}

int Table::removeWhere(const QString& where, const QVariantList& params) {
    if (where.trimmed().isEmpty()) throw DbError(QStringLiteral("Exclusão sem condição recusada na tabela %1").arg(def_.name));
    return db_.execWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(def_.name, where), params);
}

} // namespace folha
