#include "Registry.h"

#include "DbError.h"

#include <QFileInfo>

#include <algorithm>

namespace folha {

QString InputMaskPattern(InputMask mask) {
    switch (mask) {
    case InputMask::Cpf: return QStringLiteral("999.999.999-99;_");
    case InputMask::Cnpj: return QStringLiteral("99.999.999/9999-99;_");
    case InputMask::Pis: return QStringLiteral("999.99999.99-9;_");
    case InputMask::Cep: return QStringLiteral("99999-999;_");
    case InputMask::Date: return QStringLiteral("99/99/9999;_");
    case InputMask::None: break;
    }
    return {};
}

int FieldDef::displayWidth() const {
    if (gridWidth > 0) return gridWidth;
    constexpr int widest = 40;
    int w = 0;
    switch (type) {
    case FieldType::Text: w = std::min(size, widest); break;
    case FieldType::Date: w = 10; break;
    // The largest amount a NUMERIC(18,4) holds, "99.999.999.999.999,99".
    case FieldType::Number: w = money ? 21 : 14; break;
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: w = 6; break;
    case FieldType::Logical: w = 3; break;
    case FieldType::Time: w = 8; break;
    case FieldType::Memo: w = widest; break;
    }
    // The column is never narrower than its title, up to the widest column.
    return std::max(w, std::min(int(caption.size()), widest));
}

QString FieldDef::codeText(const QString& value) const {
    for (const auto& c : codes)
        if (c.value == value) return c.text;
    return {};
}

const FieldDef* TableDef::field(const QString& n) const {
    for (const auto& f : fields)
        if (f.name.compare(n, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

int TableDef::fieldIndex(const QString& n) const {
    // Callers nearly always spell the name as the registry does.
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == n) return int(i);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(n, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const IndexDef* TableDef::index(const QString& n) const {
    for (const auto& ix : indexes)
        if (ix.name.compare(n, Qt::CaseInsensitive) == 0) return &ix;
    return nullptr;
}

QStringList TableDef::fieldNames() const {
    QStringList names;
    for (const auto& f : fields) names << f.name;
    return names;
}

TableDef TableDef::renamed(const QString& newName) const {
    TableDef copy = *this;
    copy.name = newName;
    copy.fileName = newName + ".db";
    return copy;
}

TableBuilder::TableBuilder(QString name, QString fileName, Scope scope, QString caption) {
    def_.name = std::move(name);
    def_.fileName = std::move(fileName);
    def_.scope = scope;
    def_.caption = std::move(caption);
}

TableBuilder& TableBuilder::add(const QString& name, FieldType type, int size, const QString& caption,
                                std::initializer_list<CodeEntry> codes) {
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.caption = caption.isEmpty() ? name : caption;
    f.codes = QList<CodeEntry>(codes);
    def_.fields.push_back(std::move(f));
    return *this;
}

TableBuilder& TableBuilder::text(const QString& n, int size, const QString& c, std::initializer_list<CodeEntry> codes) {
    return add(n, FieldType::Text, size, c, codes);
}
TableBuilder& TableBuilder::number(const QString& n, const QString& c) { return add(n, FieldType::Number, 0, c, {}); }
TableBuilder& TableBuilder::shortInt(const QString& n, const QString& c, std::initializer_list<CodeEntry> codes) {
    return add(n, FieldType::ShortInt, 0, c, codes);
}
TableBuilder& TableBuilder::longInt(const QString& n, const QString& c) { return add(n, FieldType::LongInt, 0, c, {}); }
TableBuilder& TableBuilder::date(const QString& n, const QString& c) {
    add(n, FieldType::Date, 0, c, {});
    def_.fields.back().mask = InputMask::Date; // every date is typed as dd/mm/yyyy
    return *this;
}
TableBuilder& TableBuilder::time(const QString& n, const QString& c) { return add(n, FieldType::Time, 0, c, {}); }
TableBuilder& TableBuilder::logical(const QString& n, const QString& c) { return add(n, FieldType::Logical, 0, c, {}); }
TableBuilder& TableBuilder::autoInc(const QString& n, const QString& c) { return add(n, FieldType::AutoInc, 0, c, {}); }
TableBuilder& TableBuilder::memo(const QString& n, const QString& c) { return add(n, FieldType::Memo, 0, c, {}); }

TableBuilder& TableBuilder::codes(const QString& field, const QList<CodeEntry>& codes) {
    for (auto& f : def_.fields)
        if (f.name == field) {
            f.codes = codes;
            return *this;
        }
    throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(field, def_.name));
}

TableBuilder& TableBuilder::required(const QStringList& fields) {
    for (const auto& name : fields) {
        bool found = false;
        for (auto& f : def_.fields)
            if (f.name == name) {
                f.required = true;
                found = true;
            }
        if (!found) throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(name, def_.name));
    }
    return *this;
}

TableBuilder& TableBuilder::check(const QString& field, FieldCheck kind) {
    for (auto& f : def_.fields)
        if (f.name == field) {
            f.check = kind;
            return *this;
        }
    throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(field, def_.name));
}

TableBuilder& TableBuilder::money(const QStringList& fields) {
    for (const QString& name : fields) {
        FieldDef& f = fieldOf(name);
        if (f.type != FieldType::Number)
            throw DbError(QStringLiteral("Campo %1 da tabela %2 não é numérico").arg(name, def_.name));
        f.money = true;
    }
    return *this;
}

TableBuilder& TableBuilder::minimum(const QString& field, Fixed value) {
    for (auto& f : def_.fields)
        if (f.name == field) {
            if (f.type != FieldType::Number)
                throw DbError(QStringLiteral("Campo %1 da tabela %2 não é numérico").arg(field, def_.name));
            f.minimum = value;
            return *this;
        }
    throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(field, def_.name));
}

FieldDef& TableBuilder::fieldOf(const QString& name) {
    for (auto& f : def_.fields)
        if (f.name == name) return f;
    throw DbError(QStringLiteral("Campo %1 não definido na tabela %2").arg(name, def_.name));
}

TableBuilder& TableBuilder::page(const QStringList& fields, const QString& page) {
    for (const auto& name : fields) fieldOf(name).page = page;
    if (!def_.pageOrder.contains(page)) def_.pageOrder << page;
    return *this;
}

TableBuilder& TableBuilder::lookup(const QString& field, const LookupDef& lookup, bool pickerOnly) {
    FieldDef& f = fieldOf(field);
    f.lookup = lookup;
    f.refersTo = Reference{lookup.table, lookup.keyField};
    f.pickerOnly = pickerOnly;
    return *this;
}

TableBuilder& TableBuilder::mandatory(const QStringList& fields) {
    for (const auto& name : fields) fieldOf(name).mandatory = true;
    return *this;
}

TableBuilder& TableBuilder::refers(const QString& field, const QString& table, const QString& keyField) {
    fieldOf(field).refersTo = Reference{table, keyField};
    return *this;
}

TableBuilder& TableBuilder::noun(const QString& noun) {
    def_.noun = noun;
    return *this;
}

TableBuilder& TableBuilder::mask(const QString& field, InputMask mask) {
    fieldOf(field).mask = mask;
    return *this;
}

TableBuilder& TableBuilder::gridWidth(const QString& field, int characters) {
    fieldOf(field).gridWidth = characters;
    return *this;
}

TableBuilder& TableBuilder::key(const QStringList& fields) {
    def_.primaryKey = fields;
    return *this;
}

TableBuilder& TableBuilder::index(const QString& name, const QStringList& fields, bool unique) {
    def_.indexes.push_back(IndexDef{name, fields, unique});
    return *this;
}

TableDef TableBuilder::build() {
    // Every key and index field must be a field of the table.
    QStringList check = def_.primaryKey;
    for (const auto& ix : def_.indexes) check += ix.fields;
    for (const auto& f : check)
        if (!def_.field(f))
            throw DbError(QStringLiteral("Campo %1 do índice não existe na tabela %2").arg(f, def_.name));
    for (const auto& f : def_.primaryKey) {
        for (auto& fd : def_.fields)
            if (fd.name == f) fd.required = true;
    }
    // A form spread over pages shows every field on one of them.
    if (!def_.pages().isEmpty())
        for (const auto& fd : def_.fields)
            if (fd.page.isEmpty())
                throw DbError(QStringLiteral("Campo %1 da tabela %2 sem página no formulário").arg(fd.name, def_.name));
    return std::move(def_);
}

Registry::Registry() {
    for (auto group : {signInTables(), branchTables(), employeeTables(), eventTables(), otherRegisterTables(),
                       auditTables(), internalTables()})
        for (auto& t : group) tables_.push_back(std::move(t));
}

const Registry& Registry::instance() {
    static const Registry registry;
    return registry;
}

static QString bareTableName(const QString& name) {
    QString n = name.trimmed();
    // A full path names the table by its file.
    int sep = std::max(n.lastIndexOf('\\'), n.lastIndexOf('/'));
    if (sep >= 0) n = n.mid(sep + 1);
    if (n.endsWith(QLatin1String(".db"), Qt::CaseInsensitive)) n.chop(3);
    return n;
}

const TableDef* Registry::table(const QString& name) const {
    QString n = bareTableName(name);
    for (const auto& t : tables_)
        if (t.name.compare(n, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

const TableDef& Registry::require(const QString& name) const {
    if (auto t = table(name)) return *t;
    throw DbError(QStringLiteral("Tabela não cadastrada: %1").arg(name));
}

std::vector<const TableDef*> Registry::tables(Scope scope) const {
    std::vector<const TableDef*> out;
    for (const auto& t : tables_)
        if (t.scope == scope && t.name != QLatin1String("LogSys")) out.push_back(&t);
    return out;
}

QString Registry::auditLogName(int month, int year) {
    return QStringLiteral("LogSys_%1_%2").arg(month, 2, 10, QChar('0')).arg(year, 4, 10, QChar('0'));
}

TableDef Registry::auditLogTable(int month, int year) const {
    TableDef t = require(QStringLiteral("LogSys")).renamed(auditLogName(month, year));
    for (auto& ix : t.indexes) ix.name = t.name + "_" + ix.name;
    return t;
}

} // namespace folha
