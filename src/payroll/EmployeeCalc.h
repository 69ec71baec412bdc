#pragma once
// One employee's calculation inside a payroll run: the values read from the
// register, the incidence totals, the employee's event rows of the period
// and sheet being calculated, and the writer through which every result is
// recorded. Nothing reaches the database until the employee is finished;
// then the changed rows are written together.

#include "Fixed.h"
#include "Incidence.h"
#include "CalculationTrail.h"
#include "LawRules.h"
#include "Table.h"
#include "UserInterface.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <map>
#include <optional>

namespace folha::payroll {

// Calculation kinds of the run: the monthly screen, or the valuation step
// of the termination, 13th-salary and vacation calculations.
enum class CalcKind { Monthly = 0, Termination = 1, Thirteenth = 2, Vacation = 3 };

// What the run reads of an event code, taken once from its HISTFP row.
struct EventInfo {
    EventFlags flags;
    Fixed perc;    // HPERC
    int rule = 0;  // HPARAMETRO
    int inps = 0;  // HFLAGINPS
};

// Tables the run reads but never changes, loaded once per run.
struct RunTables {
    QHash<QString, EventInfo> events; // by HCODIGO
    QHash<QString, QString> roles;   // FIXAOCOR: FCODIGO -> FHISTORICO (trimmed)
    std::map<QString, Record> tabelas; // by COD_TABELA, in key order
    QHash<QString, Fixed> lineFares;   // LINHA: CODIGO -> VALOR per trip
    QHash<QString, Record> shifts;     // PLANTOES by COD_PLANTA

    void load(Database& db);
    // The event code of a role, or empty when FHISTORICO is blank or the
    // role has no row.
    QString roleEvent(const QString& role) const;
    const EventInfo* eventInfo(const QString& code) const;
    // The contribution table row, or nothing.
    const Record* table(const QString& code) const;
    Fixed tableColumn(const QString& code, int column) const; // zero when missing
};

// The branch row a calculation works on; a branch that is missing or has no
// payroll date is refused.
Record PayrollBranch(Database& db, const QString& branchCode);

// The values of the run that every employee shares.
struct RunValues {
    QString sheet;          // TIPOFOLHA of the rows read and written
    CalcKind kind = CalcKind::Monthly;
    bool familyAllowance = false;
    bool defaultHours = false; // "Automatico <S/N>?"
    QDate payrollDate;      // FILIAL.DATA_FOLHA
    QString period;         // YYYYMM of the payroll date
    QString year, month;
    QString previousPeriod; // YYYYMM of the payroll date less 40 days
    Record branch;          // the FILIAL row
    Fixed inssCeiling;      // COL2_TAB of table "013"
    Fixed netRoundingStep;  // FILIAL.FVALOR
    Fixed monthHours;       // FILIAL.HORAS_MES (working hours of the month)
    Fixed restHours;        // FILIAL.HORAS_DESC (rest hours of the month)
    Fixed minimumWage;      // FILIAL.VLR_MINIMO, the insalubrity base
    // The law of the competence: which rules apply, the legal tables, the
    // installation's switches, the rest days of the month by the calendar.
    law::CompetenceRules rules;
    std::shared_ptr<const law::LegalTables> legal;
    law::LawSettings lawSettings;
    law::MonthDays monthDays;
    // Whether any shift of the month and sheet is recorded (MovPlant): most
    // months have none, and then no employee's shifts are looked for.
    bool monthHasShifts = true;

    explicit RunValues(const TableDef& filialDef) : branch(filialDef) {}
};

// The condition for an employee's event rows from a month ("AAAAMM") on,
// bound to his code and that month. The month is compared as one text,
// which no index serves: every engine's planner then takes the employee's
// index (a condition on the year alone can draw it to the period's index,
// which walks the rows of every employee), and an office's earlier years
// are passed over inside the engine instead of being read.
const QString& EmployeeRowsFrom();

// What the calculation of a page of employees reads besides their register,
// read once for the page instead of once for each employee and role: their
// event rows of the sheets and periods the steps look at, their shifts of
// the month and, when the family allowance is calculated, their
// dependants. The rows of a (period, sheet) the page did not read are read
// from the table when asked.
class EmployeePage {
public:
    // The (period, sheet) pairs whose rows the steps of a run read.
    static std::vector<std::pair<QString, QString>> SheetsRead(const RunValues& run);
    // Reads the employees from `first` to `last` (codes, both included).
    void load(Database& db, const RunValues& run, const QString& first, const QString& last);
    // Reads one employee, his event rows with one query.
    void loadOne(Database& db, const RunValues& run, const QString& code);

    bool hasSheet(const QString& period, const QString& sheet) const;
    // The employee's rows of a (period, sheet) the page read, by event code.
    const std::map<QString, Record>* sheet(const QString& code, const QString& period, const QString& sheet) const;
    bool hasShifts() const { return shiftsRead_; }
    bool hasDependants() const { return dependantsRead_; }
    std::vector<Record> shifts(const QString& code) const;
    std::vector<Record> dependants(const QString& code) const;

private:
    void loadOthers(Database& db, const RunValues& run, const QString& first, const QString& last);
    struct Employee {
        std::map<QString, std::map<QString, Record>> sheets; // period + sheet -> event -> row
        std::vector<Record> shifts, dependants;
    };
    std::map<QString, Employee> employees_; // by CODFUN
    QSet<QString> sheetsRead_;              // period + sheet
    bool shiftsRead_ = false;
    bool dependantsRead_ = false;
};

// The rows and trails of a commit group's employees, written together just
// before the group commits. On the server, where each statement is a round
// trip, a run keeps here what each employee would write with his own
// statements; nothing the run reads later is among them (an employee's rows
// are read with his page, before any of the page is written).
class GroupWrites {
public:
    void remove(QVariantList key) { removed_.push_back(std::move(key)); }
    void insert(const Record& row) { inserted_.push_back(row); }
    void trails(const QString& employee, std::vector<law::TrailRow> rows) {
        trails_.push_back({employee, std::move(rows)});
    }
    // Writes what was kept through `db`, in its transaction.
    void write(Database& db, const QString& year, const QString& month, const QString& sheet) const;

private:
    std::vector<QVariantList> removed_;
    std::vector<Record> inserted_;
    std::vector<law::SheetTrails> trails_;
};

class EmployeeCalc {
public:
    // `page`, when given, holds what the employee's page read (it must
    // include the employee).
    EmployeeCalc(Database& db, UserInterface& ui, const RunTables& tables, const RunValues& run, const Record& employee,
                 const QSet<QString>& resultCodes, const EmployeePage* page = nullptr);

    Database& db() { return db_; }
    UserInterface& ui() { return ui_; }
    const RunTables& tables() const { return tables_; }
    const RunValues& run() const { return run_; }
    const Record& employee() const { return employee_; }

    // Register values read at the start of the employee.
    QString code, name, terminationCause, costCentre;
    Fixed salary, weeklyHours;
    int payType = 0, calculo = 0, condicao = 0, vinculo = 0, aposent = 0, dependants = 0;
    Fixed cobertura;
    int insalubre = 0, periculos = 0, unionAgreement = 0, familyEvent = 0;
    int fixedEvents[5] = {0, 0, 0, 0, 0}; // HISTO1..HISTO5
    QString line1, line2;
    int trips1 = 0, trips2 = 0;
    // VLR_SALAR, or the month's pay of an hourly employee.
    Fixed referenceSalary;
    QDate admission, leaving, returnFromLeave, vacationStart, vacationEnd;

    IncidenceTotals totals;
    // Kept between the statutory steps.
    Fixed inssAmount, inss13Amount, dependantDeduction;
    Fixed fgtsBalance; // VLR_FGTSBA as read, plus the FGTS written for the month
    int children = 0;
    Fixed familyAllowanceAmount;
    // A month whose vacation sheet carried a net into the monthly sheet.
    bool vacationMonth = false;
    Fixed workedHours;

    // The step of the calculation now writing: the rule each row's trail names.
    QString currentRule;
    // The formula with its values of a row written (or valued) under an
    // event code, kept as its trail.
    void explain(const QString& eventCode, const QString& text);
    const law::LegalTables& legal() const { return *run_.legal; }
    // The competence as the trails name it ("01/2026").
    QString competenceText() const { return law::CompetenceText(run_.period); }

    // Values and accumulates the entered event rows (the rows of this
    // employee, period and sheet, in event-code order).
    void valueEnteredRows();

    // The event writer: the amount is paid in whole centavos, so VALOR is
    // rounded to 2 decimals (REFER, hours, days or a rate, keeps its four);
    // nothing is written for an amount that is then zero. Otherwise the row
    // of this employee, period, sheet and event code gets REFER, VALOR and
    // FLAG "*". Returns the amount written.
    Fixed writeEvent(const QString& eventCode, Fixed refer, Fixed valor);
    // Writes a result under a role of FIXAOCOR and, when asked, accumulates
    // the amount written by the flags of the role's event code, so that the
    // totals are the sums of the rows. A role without an event code is
    // reported and nothing is written. Returns the event code used.
    QString writeRole(const QString& role, Fixed refer, Fixed valor, bool accumulate);
    // Writes under an event code the employee register names.
    void writeCode(const QString& eventCode, Fixed refer, Fixed valor, bool accumulate);
    // HPERC of an event code (zero when the code is unknown).
    Fixed multiplierOf(const QString& eventCode) const;
    void accumulate(const QString& eventCode, Fixed refer, Fixed valor);

    // The event code of a role, or empty.
    QString roleEvent(const QString& role) const;
    // A row of this employee in any period and sheet (the rows of the period
    // and sheet being calculated as they stand in the calculation).
    std::optional<Record> row(const QString& period, const QString& sheet, const QString& eventCode);
    std::optional<Record> roleRow(const QString& period, const QString& sheet, const QString& role);
    // The employee's shifts of the month (MovPlant) and his dependants (DEPENDE).
    std::vector<Record> shiftRows();
    std::vector<Record> dependantRows();

    // Writes the employee's changed rows: new rows, changed rows, and the
    // results of an earlier run that this run did not write again, with
    // their trails; into `group`, when given, to be written with the
    // group's. Returns the number of rows written or removed.
    int flush(GroupWrites* group = nullptr);
    int rowsWritten() const { return rowsWritten_; }

private:
    struct SheetRow {
        Record record;
        std::optional<Record> stored; // as read, for rows already in the table
        bool staleResult = false;     // a result of an earlier run, not (yet) written again
    };
    SheetRow* current(const QString& eventCode);
    void reportBlankRole(const QString& role);

    Database& db_;
    UserInterface& ui_;
    const RunTables& tables_;
    const RunValues& run_;
    const Record& employee_;
    const EmployeePage* page_;
    Table ocorrenc_;
    std::map<QString, SheetRow> rows_; // by HCODIGO
    std::map<QString, law::TrailRow> trails_; // by HCODIGO
    int rowsWritten_ = 0;
};

// The event code an employee's number names ("021" for 21), or empty for 0.
inline QString EventOfNumber(int n) { return n > 0 ? QStringLiteral("%1").arg(n, 3, 10, QChar('0')) : QString(); }

// Event codes that the register of an employee names for results of the
// run (insalubrity, union agreement, fixed events, family event).
QSet<QString> EmployeeResultCodes(const Record& employee);

} // namespace folha::payroll
