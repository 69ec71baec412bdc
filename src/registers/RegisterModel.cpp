#include "RegisterModel.h"

#include "DbError.h"
#include "SelectionQuery.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <climits>

namespace folha::registers {

namespace {

// Digits a masked value shows, by mask.
int maskDigits(InputMask mask) {
    switch (mask) {
    case InputMask::Cpf: return 11;
    case InputMask::Cnpj: return 14;
    case InputMask::Pis: return 11;
    case InputMask::Cep: return 8;
    case InputMask::Date: return 8;
    case InputMask::None: break;
    }
    return 0;
}

// The digits laid over the mask's "9" places: "12345678909" as "123.456.789-09".
QString applyMask(InputMask mask, const QString& digits) {
    const QString pattern = InputMaskPattern(mask).section(QLatin1Char(';'), 0, 0);
    QString out;
    int d = 0;
    for (QChar c : pattern) out += c == QLatin1Char('9') ? digits.at(d++) : c;
    return out;
}


// The condition and bound value of "the field starts with the typed text";
// false when the text cannot match the field yet (a date not fully typed).
bool startsWithCondition(const FieldDef& f, const QString& typed, QString& condition, QVariantList& params) {
    switch (f.type) {
    case FieldType::Date: {
        const QDate d = QDate::fromString(typed.trimmed(), QStringLiteral("dd/MM/yyyy"));
        if (!d.isValid()) return false;
        condition = f.name + QStringLiteral(" = ?");
        params << d.toString(Qt::ISODate);
        return true;
    }
    case FieldType::Number:
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: {
        QString t = typed.trimmed();
        if (f.mask != InputMask::None) t = OnlyDigits(t);
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        condition = QStringLiteral("CAST(%1 AS VARCHAR(30)) LIKE ? ESCAPE '\\'").arg(f.name);
        params << LikeLiteral(t) + QLatin1Char('%');
        return true;
    }
    default: {
        const QString t = f.mask != InputMask::None ? OnlyDigits(typed) : typed;
        condition = f.name + QStringLiteral(" LIKE ? ESCAPE '\\'");
        params << LikeLiteral(t) + QLatin1Char('%');
        return true;
    }
    }
}

QString numberText(Fixed v) { return v.toString().replace(QLatin1Char('.'), QLatin1Char(',')); }

} // namespace

RegisterModel::RegisterModel(Database& db, const TableDef& def, QObject* parent)
    : QAbstractTableModel(parent), db_(db), def_(def) {
    reload();
}

int RegisterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(std::min<qint64>(total_, INT_MAX));
}

const Record& RegisterModel::rowRecord(int row) const {
    if (auto e = edited_.find(row); e != edited_.end()) return e->second;
    const int page = row / PageSize;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        // Let go of the page used longest ago before reading another.
        while (int(pages_.size()) >= CachedPages && !recent_.empty()) {
            pages_.erase(recent_.back());
            recent_.pop_back();
        }
        QVariantList params;
        const QString where = whereClause(params);
        it = pages_.emplace(page, Table(db_, def_).pageAt(where, params, qint64(page) * PageSize, PageSize)).first;
    }
    recent_.remove(page);
    recent_.push_front(page);
    const size_t at = size_t(row - page * PageSize);
    if (at >= it->second.size())
        throw DbError(QStringLiteral("A linha %1 de %2 não está mais na tabela").arg(row + 1).arg(def_.name));
    return it->second[at];
}

int RegisterModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(def_.fields.size()); }

QString RegisterModel::fieldAt(int column) const {
    return column >= 0 && column < int(def_.fields.size()) ? def_.fields[size_t(column)].name : QString();
}

int RegisterModel::columnOf(const QString& field) const { return def_.fieldIndex(field); }

QString RegisterModel::displayText(const Record& record, const FieldDef& f) {
    if (record.isNull(f.name)) return {};
    QString plain;
    switch (f.type) {
    case FieldType::Date: return record.date(f.name).toString(QStringLiteral("dd/MM/yyyy"));
    case FieldType::Time: return record.time(f.name).toString(QStringLiteral("HH:mm:ss"));
    case FieldType::Logical: return record.logical(f.name) ? QStringLiteral("Sim") : QStringLiteral("Não");
    case FieldType::Number: {
        const Fixed v = record.number(f.name);
        if (f.mask != InputMask::None && !v.isNegative()) plain = QString::number(v.truncated());
        else if (f.money) return MoneyText(v);
        else plain = numberText(v);
        break;
    }
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: plain = QString::number(record.integer(f.name)); break;
    case FieldType::Text:
    case FieldType::Memo: plain = record.text(f.name); break;
    }
    if (!f.codes.isEmpty()) {
        // Stored codes may have lost the blank that pads a one-letter code.
        for (const auto& c : f.codes)
            if (!c.value.trimmed().isEmpty() && c.value.trimmed() == plain.trimmed()) return c.text;
        return plain;
    }
    if (f.mask != InputMask::None && f.mask != InputMask::Date) {
        const int n = maskDigits(f.mask);
        const QString digits = plain.trimmed();
        if (!digits.isEmpty() && digits.size() <= n && OnlyDigits(digits) == digits)
            return applyMask(f.mask, digits.rightJustified(n, QLatin1Char('0')));
    }
    return plain;
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= int(def_.fields.size())) return {};
    const FieldDef& f = def_.fields[size_t(index.column())];
    try {
        const Record& r = rowRecord(index.row());
        if (role == Qt::DisplayRole) return displayText(r, f);
        if (role == Qt::ToolTipRole) {
            (void)displayText(r, f); // a refused stored value explains itself
            return {};
        }
        if (role == Qt::EditRole) {
            if (r.isNull(f.name)) return {};
            switch (f.type) {
            case FieldType::Date: return r.date(f.name);
            case FieldType::Time: return r.time(f.name);
            case FieldType::Logical: return r.logical(f.name);
            case FieldType::Number:
                // A masked number is edited as its digits.
                if (f.mask != InputMask::None)
                    return QString::number(r.number(f.name).truncated()).rightJustified(maskDigits(f.mask), QLatin1Char('0'));
                return numberText(r.number(f.name));
            case FieldType::ShortInt:
            case FieldType::LongInt:
            case FieldType::AutoInc: return r.integer(f.name);
            default: return r.text(f.name);
            }
        }
        if (role == Qt::TextAlignmentRole) {
            switch (f.type) {
            case FieldType::Number:
            case FieldType::ShortInt:
            case FieldType::LongInt:
            case FieldType::AutoInc:
                if (f.codes.isEmpty() && f.mask == InputMask::None)
                    return int(Qt::AlignRight | Qt::AlignVCenter);
                break;
            default: break;
            }
        }
    } catch (const DbError& e) {
        // A stored value the field cannot hold: the cell tells why.
        if (role == Qt::ToolTipRole) return e.message();
        if (role == Qt::DisplayRole) return QString();
    }
    return {};
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= int(def_.fields.size())) return {};
    return def_.fields[size_t(section)].caption;
}

Qt::ItemFlags RegisterModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool RegisterModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
    const FieldDef& f = def_.fields[size_t(index.column())];
    try {
        if (!edited_.count(index.row())) edited_.emplace(index.row(), rowRecord(index.row()));
        Record& r = edited_.at(index.row());
        QVariant v = value;
        if (v.typeId() == QMetaType::QString) {
            QString t = v.toString();
            if (f.mask != InputMask::None && f.mask != InputMask::Date) t = OnlyDigits(t);
            if (f.type == FieldType::Date) {
                if (OnlyDigits(t).isEmpty()) t.clear();
                else {
                    const QDate d = QDate::fromString(t.trimmed(), QStringLiteral("dd/MM/yyyy"));
                    if (!d.isValid()) throw DbError(QStringLiteral("Data inválida: %1").arg(t.trimmed()));
                    v = d;
                }
            }
            if (f.type == FieldType::Number) t.replace(QLatin1Char(','), QLatin1Char('.'));
            if (t.trimmed().isEmpty() && f.type != FieldType::Text && f.type != FieldType::Memo) {
                r.setNull(f.name);
                lastError_.clear();
                emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
                return true;
            }
            if (f.type != FieldType::Date) v = t;
        }
        if (v.isNull()) r.setNull(f.name);
        else r.set(f.name, v);
    } catch (const DbError& e) {
        lastError_ = e.message();
        return false;
    }
    lastError_.clear();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QString RegisterModel::whereClause(QVariantList& params) const {
    if (filterText_.isEmpty()) return {};
    const FieldDef* f = def_.field(filterField_);
    if (!f) return {};
    QString condition;
    if (!startsWithCondition(*f, filterText_, condition, params)) return {};
    return condition;
}

void RegisterModel::reload() {
    beginResetModel();
    pages_.clear();
    recent_.clear();
    edited_.clear();
    try {
        QVariantList params;
        const QString where = whereClause(params);
        total_ = Table(db_, def_).count(where, params);
    } catch (...) {
        total_ = 0;
        endResetModel();
        throw;
    }
    endResetModel();
}

void RegisterModel::setFilter(const QString& field, const QString& text) {
    if (!text.isEmpty() && !def_.field(field))
        throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(field, def_.name));
    filterField_ = text.isEmpty() ? QString() : def_.field(field)->name;
    filterText_ = text;
    reload();
}

void RegisterModel::clearFilter() { setFilter({}, {}); }

int RegisterModel::findFirst(const QString& field, const QString& text) {
    const FieldDef* f = def_.field(field);
    if (!f) return -1;
    if (text.isEmpty()) return total_ == 0 ? -1 : 0;
    QVariantList params;
    QString where = whereClause(params);
    QString match;
    if (!startsWithCondition(*f, text, match, params)) return -1;
    where = where.isEmpty() ? match : '(' + where + QStringLiteral(") AND ") + match;
    Table table(db_, def_);
    std::vector<Record> first = table.page(where, params, {}, 1);
    if (first.empty()) return -1;
    return rowOfRecord(first.front());
}

int RegisterModel::rowOfKey(const QVariantList& key) {
    if (key.size() != def_.primaryKey.size()) return -1;
    Record probe(def_);
    try {
        for (int i = 0; i < key.size(); ++i) probe.set(def_.primaryKey[i], key[i]);
    } catch (const DbError&) {
        return -1;
    }
    QVariantList params;
    QString where = whereClause(params);
    QStringList equal;
    for (const auto& k : def_.primaryKey) {
        equal << k + QStringLiteral(" = ?");
        params << probe.boundValue(def_.fieldIndex(k));
    }
    const QString keyWhere = equal.join(QStringLiteral(" AND "));
    where = where.isEmpty() ? keyWhere : '(' + where + QStringLiteral(") AND ") + keyWhere;
    Table table(db_, def_);
    std::vector<Record> found = table.page(where, params, {}, 1);
    if (found.empty()) return -1;
    return rowOfRecord(found.front());
}

int RegisterModel::rowOfRecord(const Record& match) {
    // Its row is the number of rows before it in key order under the filter:
    // (k1 < ?) OR (k1 = ? AND k2 < ?) OR ...
    QVariantList params;
    const QString filter = whereClause(params);
    const QStringList& key = def_.primaryKey;
    QStringList alternatives;
    for (int i = 0; i < key.size(); ++i) {
        QStringList parts;
        for (int j = 0; j < i; ++j) {
            parts << key[j] + QStringLiteral(" = ?");
            params << match.boundValue(def_.fieldIndex(key[j]));
        }
        parts << key[i] + QStringLiteral(" < ?");
        params << match.boundValue(def_.fieldIndex(key[i]));
        alternatives << '(' + parts.join(QStringLiteral(" AND ")) + ')';
    }
    QString where = '(' + alternatives.join(QStringLiteral(" OR ")) + ')';
    if (!filter.isEmpty()) where = '(' + filter + QStringLiteral(") AND ") + where;
    const qint64 before = Table(db_, def_).count(where, params);
    return before < total_ ? int(before) : -1;
}

Record RegisterModel::record(int row) const {
    if (row < 0 || row >= rowCount())
        throw DbError(QStringLiteral("Linha %1 fora da tabela %2").arg(row + 1).arg(def_.name));
    return rowRecord(row);
}

} // namespace folha::registers
