#pragma once
// The monthly payroll book ("FOLHA DE PAGAMENTO"): for every chosen
// employee a block with the employee line and the month's events in three
// columns (earnings, deductions, bases) with his totals; per group the
// summary of the events, the social-security (INSS) and FGTS figures; at
// the end the general summary and the observations. A 132-column text
// report: the employees are read one at a time in the chosen order and the
// pages go to the destination as they fill, so a company of any size is
// printed with one page and one employee's rows in memory.

#include "Fixed.h"
#include "TextReport.h"

#include <map>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace folha {

class Session;
class UserInterface;
class Database;

enum class BookOrder { Code, Name, Cargo };          // "Codigo", "Nome", "Cargo"
enum class BookStatus { All, Active, Inactive };     // "[T]odos", "[A]tivos", "[I]nativos"
enum class OtherOperation { Add, Subtract, Ignore }; // "S", "D", "N"

// The inputs as typed on the screen or given on the command line.
struct PayrollBookInputs {
    QString order = QStringLiteral("Codigo"); // "Codigo", "Nome", "Cargo" (or code, name, cargo)
    QString first;                            // empty: the order's default
    QString last;
    QStringList categories{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                           QStringLiteral("0")};
    QString retirementPercent = QStringLiteral("99");
    bool groupByCategory = false;
    QString status = QStringLiteral("T"); // T, A or I
    QString prolaborePercent = QStringLiteral("0");
    QString prolaboreValue = QStringLiteral("0");
    QString otherDescription = QStringLiteral("Outro valor");
    QString otherValue = QStringLiteral("0");
    QString otherOperation = QStringLiteral("N"); // S, D or N
    QString interest = QStringLiteral("0");
    QStringList observations; // up to 12 lines
};

// The inputs read and checked.
struct PayrollBookOptions {
    QString branchCode = QStringLiteral("001");
    BookOrder order = BookOrder::Code;
    QString first;                        // code "000001", name, or cargo "000"; empty: from the first
    QString last;                         // empty: to the last
    QList<int> categories{0, 0, 0, 0, 0}; // the first 0: every category
    int retirementPercent = 99;           // 99: every job
    bool groupByCategory = false;         // "Emite uma folha para cada Vinculo"
    BookStatus status = BookStatus::All;
    Fixed prolaborePercent;
    Fixed prolaboreValue;
    QString otherDescription = QStringLiteral("Outro valor");
    Fixed otherValue;
    OtherOperation otherOperation = OtherOperation::Ignore;
    Fixed interest;
    QStringList observations;
    // Another competence than the branch's (its DATA_FOLHA), and another
    // sheet than its TIPO_FOL; invalid / empty: the branch's.
    QDate competence;
    QString sheet;
};

// The captions of the range fields for an order ("Codigo Inicial:",
// "Codigo Final:") and their defaults ("000001"/"999999"; "000"/"999" for
// the cargo; none for the name).
struct BookRangeFields {
    QString firstCaption, lastCaption, firstDefault, lastDefault;
};
BookRangeFields RangeFieldsOf(BookOrder order);

// Reads the typed inputs; throws UserError with the message the person
// reads for a value that is not one ("Vinculo invalido: x").
PayrollBookOptions ReadPayrollBookInputs(const PayrollBookInputs& typed);
// An order as typed: "Codigo"/"code", "Nome"/"name", "Cargo"/"cargo".
BookOrder ReadBookOrder(const QString& typed);

// "ABRIL/2013": the subtitle of a competence.
QString BookSubtitle(const QDate& payrollDate);

// The social-security and FGTS figures of a group or of the whole book.
struct BookInssFigures {
    int employees = 0; // employees of categories 1, 3 and 4
    Fixed insured;     // "Segurados": INSS withheld (roles 012 and 014)
    Fixed company;     // "Empresa": employer contribution and partners' part
    Fixed entities;    // "Entidades": INSS bases x PER_GRPS18 / 100
    Fixed deductions;  // "Deducoes": family allowance, maternity pay, birth aid
    Fixed other;       // "Outros": the typed amount as its operation applies it
    Fixed interest;    // "Juros" (general figures only)
    Fixed inss;        // "Total de INSS"
    Fixed fgts;        // "FGTS a Recolher"
};

struct BookTotals {
    Fixed earnings, deductions, net;
    BookInssFigures inss;
};

// An event's amount in the book for one cost centre: what the summary's
// columns add up, by the employees' CENTCUSTO (the accounting entries).
struct BookEventTotal {
    QString code;
    QString name;
    QString costCentre;
    int kind = -1; // as the book counts it: 1 earning, 0 deduction, 2 base
    Fixed value;
};

struct PayrollBookResult {
    int employees = 0;          // employees printed
    int groups = 0;             // listings with their own summary
    QList<int> groupCategories; // the category of each listing (split by category)
    BookTotals general;
    // Every event of the book by cost centre, in code and centre order.
    std::map<std::pair<QString, QString>, BookEventTotal> eventTotals;
    bool cancelled = false;
};

// Composes the book of the competence of the branch (its DATA_FOLHA and
// TIPO_FOL) into the report (132 columns). Missing fixed roles are told
// through ui and the book goes on; progress by employees with cancel.
PayrollBookResult ComposePayrollBook(Session& session, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report);
PayrollBookResult ComposePayrollBook(Database& db, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report);

// The report's name and title for the destinations.
inline const QString PayrollBookScreen = QStringLiteral("TfoEmiFolhadePagamento");
inline const QString PayrollBookTitle = QStringLiteral("FOLHA DE PAGAMENTO ");
inline constexpr int PayrollBookWidth = 132;

} // namespace folha

namespace folha {
// The spreadsheet titles line over the book's first column-title line.
QString PayrollBookTitlesLine();
} // namespace folha
