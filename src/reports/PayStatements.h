#pragma once
// Pay statements ("Demonstrativo de Pagamento") of the branch's current
// payroll: the statements table Tmp0001 (one row per printed copy) and the
// lines table Tmp0002 in the temporary database, filled from the month's
// event rows, and read back statement by statement in the print order for
// drawing. Shared by the screen "Zorvan - Emissão do Envelope:" and
// `folha payslips`.

#include "Database.h"
#include "Fixed.h"
#include "Registry.h"
#include "UserInterface.h"

#include <functional>
#include <map>
#include <QDate>
#include <QString>
#include <vector>

namespace folha {

// "Ordem de Impressão:": by employee code, by name, or by the time-card
// number (CART_PONT, then code).
enum class StatementOrder { Code, Name, Card };

// The items of "Ordem de Impressão:" in the screen's order.
const QStringList& StatementOrderItems(); // "Código", "Nome", "Cartão"
// An order as typed: an item of the list, or codigo / nome / cartao in any
// case, with or without accents. Throws UserError for anything else.
StatementOrder TypedStatementOrder(const QString& typed);

// The two work tables, as the statements report reads them.
const TableDef& StatementTableDef();     // Tmp0001, key Func_Cod + Func_Copia
const TableDef& StatementLineTableDef(); // Tmp0002, key Func_Cod + CodHistorico

// The number of line slots of one printed statement.
constexpr int StatementLineSlots = 17;
// The largest message typed on the screen.
constexpr int StatementMessageLength = 100;

struct PayStatementOptions {
    QString branchCode;    // the Filial row whose DATA_FOLHA and TIPO_FOL are used
    QString firstEmployee; // the range applies only when both are filled
    QString lastEmployee;
    StatementOrder order = StatementOrder::Code;
    QString message1, message2, message3;
};

struct PayStatementSummary {
    int employees = 0;      // employees with a statement
    int statements = 0;     // rows of Tmp0001 (two per employee)
    qint64 lines = 0;       // rows of Tmp0002
    int missingEvents = 0;  // rows left off because their event is not registered
    QString competence;     // YYYYMM
    QString sheet;          // TIPO_FOL
    bool cancelled = false; // stopped by the person between two employees
};

// Recreates Tmp0001 and Tmp0002 in `tmpDb` and fills them in one
// transaction from the company's tables. Each row of an event missing from
// HISTFP is told ("Histórico não cadastrado: " and the code) and left off.
// Throws UserError when the branch is not registered or a message is
// longer than 100 characters.
PayStatementSummary BuildPayStatements(Database& company, Database& tmpDb, UserInterface& ui,
                                       const PayStatementOptions& options);

struct PayStatementLine {
    QString code;        // CodHistorico
    QString description; // DescHistorico
    QString quantity;    // Qtd
    Fixed earning;       // VlrVencimentos
    Fixed deduction;     // VlrDescontos
};

// One printed statement: a row of Tmp0001 with its lines.
struct PayStatement {
    QString employeeCode;
    int copy = 1;
    QString employeeName;
    QString employeePhone;
    QString employeeEmail; // the register's EMAIL, blank when he has none
    QDate admission;
    QString jobName;
    QString companyName;
    QString companyCnpj; // formatted
    QString companyPhone;
    Fixed salary, inssBase, irrfBase, fgts, totalEarnings, totalDeductions, net;
    QString payrollDescription; // "Folha mensal MM/YYYY"
    QString message1, message2, message3;
    std::vector<PayStatementLine> lines; // by event code
};

// Reads the statements of Tmp0001 in the order asked, each with its lines,
// one at a time (copy 1 and 2 of an employee one after the other). The
// card order reads the employees' card numbers from `company`. `fn`
// returns false to stop. Returns the number of statements given.
int ForEachPayStatement(Database& tmpDb, Database& company, StatementOrder order,
                        const std::function<bool(const PayStatement&)>& fn);

// "Imprimir memória de cálculo": after each employee's statements, an annex
// page with every calculated row of his sheet (the event, its description
// and how the calculation made it).
struct StatementTrailAnnex {
    QString competence; // YYYYMM
    QString sheet;      // TIPOFOLHA
};
struct TrailAnnexEntry {
    QString event;       // HCODIGO
    QString description; // HNOME
    QString reading;     // the rule and the formula with its values (TrailReading)
};
// The calculated rows of an employee's sheet with their trails, by event.
std::vector<TrailAnnexEntry> StatementTrail(Database& company, const QString& employee,
                                            const StatementTrailAnnex& annex);
// The annex as printed lines of at most `width` characters: the event and
// its description, then the reading wrapped at blanks and indented.
QStringList TrailAnnexLines(const std::vector<TrailAnnexEntry>& entries, int width);

// The net of each employee in a sheet, as the pay statements print it: the
// value of the event that holds the net (the role "028" of FIXAOCOR) in the
// sheet's rows, by employee code (CODFUN). Employees without that row are
// absent; an empty map when the role has no event.
std::map<QString, Fixed> SheetNets(Database& company, const QString& competence, const QString& sheet);

// An amount as the statements print it: "1.234,56" (two places, rounded
// half away from zero).
QString StatementMoney(Fixed value);
// A reference (hours, days, percentage) as text: "220", "7,5".
QString StatementQuantity(Fixed value);
// A file name for an employee's statements: "000003 - CELSO RIBEIRO.pdf",
// with the characters file systems refuse replaced by "_".
QString StatementFileName(const QString& code, const QString& name);

} // namespace folha
