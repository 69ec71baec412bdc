#pragma once
// The one description of every table and field of the system: name, type,
// size, caption, code list, keys and indexes. The schema is created from it,
// the register forms and field lists are built from it, and legacy imports
// map through it. Nothing else keeps a field list.

#include "Fixed.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace folha {

enum class FieldType {
    Text,     // fixed-width alphanumeric of `size` characters
    Number,   // money, hours, rates: four-place fixed point
    ShortInt, // 16-bit signed
    LongInt,  // 32-bit signed
    Date,
    Time,
    Logical,
    AutoInc,  // sequence kept by the database
    Memo,     // free text without a width limit
};

// Where a table lives: the database (directory) that holds it.
enum class Scope {
    SignIn,      // sign-in database in LoginDir
    CompanyList, // company list in the program folder
    Company,     // one per company data directory, alias "Folha"
    Shared,      // alias "Zorvan": branch parameters and the audit log
};

struct CodeEntry {
    QString value; // the stored value (the code before the dash)
    QString text;  // the entry as the selection box shows it
};

// A registration number whose check digits a field's value must agree with
// (see CheckDigits.h); an empty value is always accepted.
enum class FieldCheck {
    None,
    Pis,     // 11 digits
    Cpf,     // 11 digits
    Cnpj,    // 14 digits
    CnpjCpf, // an employer's inscription: a CNPJ of 14 digits or a CPF of 11
};

// The mask of a typed box: the digits of a CPF, CNPJ, PIS, CEP or date
// shown with their separators.
enum class InputMask { None, Cpf, Cnpj, Pis, Cep, Date };
// Qt's input-mask text for a mask ("999.999.999-99;_"); empty for None.
QString InputMaskPattern(InputMask mask);

// The register that describes a code field: where its code is looked up and
// which list the pick button shows.
struct LookupDef {
    QString table;              // "Cargos"
    QString keyField;           // "COD_CARGOS"
    QString descriptionField;   // "NOME_CARGO"
    QString descriptionCaption; // "Descrição do Cargo"
    QString listQuery;          // " SELECT COD_CARGOS as Codigo, NOME_CARGO as Descricao FROM Cargos.db "
};

// A field whose value is the key of another register's row: a row naming a
// key that is not registered there is refused, and so is deleting that row
// while rows here still name it. Zero and blank name nothing.
struct Reference {
    QString table;    // "HISTFP"
    QString keyField; // its one-field primary key ("HCODIGO")
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // text width; 0 for other types
    QString caption;
    QList<CodeEntry> codes;
    bool required = false;  // the stored column takes no empty value
    bool mandatory = false; // the register's form saves no row without it (stored rows may lack it)
    FieldCheck check = FieldCheck::None;
    std::optional<Fixed> minimum; // number fields: the smallest value taken
    bool money = false; // a number field holding an amount: shown "3.100,50"

    // What the register forms need.
    QString page;                    // page of the editing panel ("Principal"); empty: no pages
    std::optional<LookupDef> lookup; // a code described by another register
    std::optional<Reference> refersTo; // the register its value must exist in (every lookup's)
    bool pickerOnly = false;         // the box is read-only; only the pick button changes it
    InputMask mask = InputMask::None;
    int gridWidth = 0;               // characters of its grid column; 0: by type and size
    // Characters of its grid column: gridWidth, or by type and size.
    int displayWidth() const;

    // The entry text for a stored value, or empty.
    QString codeText(const QString& value) const;
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
};

struct TableDef {
    QString name;     // stored table name, as the system spells it ("CADFUN")
    QString fileName; // the legacy file name ("CADFUN.db")
    Scope scope = Scope::Company;
    QString caption;
    QString noun; // one row, for messages ("Funcionário"); empty: the caption
    std::vector<FieldDef> fields;
    QStringList primaryKey;
    std::vector<IndexDef> indexes;

    const FieldDef* field(const QString& name) const; // case-insensitive
    int fieldIndex(const QString& name) const;         // -1 when missing
    const IndexDef* index(const QString& name) const;  // case-insensitive
    QStringList fieldNames() const;
    // The pages of the editing panel in the order the definition declares
    // them; empty when the table has none.
    QStringList pages() const { return pageOrder; }
    QStringList pageOrder;
    // A copy under another stored name (the monthly audit log tables).
    TableDef renamed(const QString& newName) const;
};

// Fluent builder used by the definitions.
class TableBuilder {
public:
    TableBuilder(QString name, QString fileName, Scope scope, QString caption);
    TableBuilder& text(const QString& name, int size, const QString& caption = {},
                       std::initializer_list<CodeEntry> codes = {});
    TableBuilder& number(const QString& name, const QString& caption = {});
    TableBuilder& shortInt(const QString& name, const QString& caption = {},
                           std::initializer_list<CodeEntry> codes = {});
    TableBuilder& longInt(const QString& name, const QString& caption = {});
    TableBuilder& date(const QString& name, const QString& caption = {});
    TableBuilder& time(const QString& name, const QString& caption = {});
    TableBuilder& logical(const QString& name, const QString& caption = {});
    TableBuilder& autoInc(const QString& name, const QString& caption = {});
    TableBuilder& memo(const QString& name, const QString& caption = {});
    // Code list given separately (long lists kept beside the table).
    TableBuilder& codes(const QString& field, const QList<CodeEntry>& codes);
    TableBuilder& required(const QStringList& fields);
    // Fields a register's form must have filled before it saves a row.
    TableBuilder& mandatory(const QStringList& fields);
    TableBuilder& check(const QString& field, FieldCheck kind);
    // The smallest value a number field takes (a salary is never negative).
    TableBuilder& minimum(const QString& field, Fixed value);
    // Number fields holding amounts of money.
    TableBuilder& money(const QStringList& fields);
    // Form particulars: the page of fields, a code's lookup (with
    // pickerOnly the box takes codes only from the pick button), masks and
    // grid widths.
    TableBuilder& page(const QStringList& fields, const QString& page);
    TableBuilder& lookup(const QString& field, const LookupDef& lookup, bool pickerOnly = false);
    // A reference without a lookup of the form (the code is the row's own
    // key part, or typed without a description).
    TableBuilder& refers(const QString& field, const QString& table, const QString& keyField);
    TableBuilder& noun(const QString& noun);
    TableBuilder& mask(const QString& field, InputMask mask);
    TableBuilder& gridWidth(const QString& field, int characters);
    TableBuilder& key(const QStringList& fields);
    TableBuilder& index(const QString& name, const QStringList& fields, bool unique = false);
    TableDef build();

private:
    FieldDef& fieldOf(const QString& name); // throws DbError when missing
    TableBuilder& add(const QString& name, FieldType type, int size, const QString& caption,
                      std::initializer_list<CodeEntry> codes);
    TableDef def_;
};

class Registry {
public:
    static const Registry& instance();

    // By stored name or legacy file name, any case, with or without ".db"
    // and with or without a directory in front. Null when unknown.
    const TableDef* table(const QString& name) const;
    const TableDef& require(const QString& name) const; // throws DbError when unknown
    std::vector<const TableDef*> tables(Scope scope) const;
    const std::vector<TableDef>& all() const { return tables_; }

    // Monthly audit log table name for a month and year: "LogSys_03_2013".
    static QString auditLogName(int month, int year);
    // The definition of a monthly audit log table.
    TableDef auditLogTable(int month, int year) const;

private:
    Registry();
    std::vector<TableDef> tables_;
};

// Table definitions, grouped as the data model groups them. Each returns the
// tables of its group; Registry collects them.
std::vector<TableDef> signInTables();       // Usuarios, UsuariosPorEmpresa, EmpresaFOLHA
std::vector<TableDef> branchTables();       // Filial, ParametrosEmpresa
std::vector<TableDef> employeeTables();     // CADFUN, DEPENDE, AFASTFUN, HISTAFAS
std::vector<TableDef> eventTables();        // HISTFP, FIXAOCOR, OCORRENC
std::vector<TableDef> otherRegisterTables(); // Tabelas ... TMPVALORES
std::vector<TableDef> auditTables();        // LogSys template, LogSys_Tipos
std::vector<TableDef> internalTables();     // TRAVAS (rows held for editing)

// Shared code lists.
const QList<CodeEntry>& sheetTypeCodes();     // TIPOFOLHA / TIPO_FOL
const QList<CodeEntry>& movementCodes();      // CAUS_RESC / CAUS_RETOR
// The eSocial's reason of termination (Tabela 19, mtvDeslig) of a movement
// code; empty for the codes that are no termination or need the office's choice.
QString esocialTerminationReason(const QString& cause);
const QList<CodeEntry>& auditActionCodes();   // L A C E X I S R

} // namespace folha
