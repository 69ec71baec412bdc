#pragma once
// What the vacation, 13th-salary and termination calculations share: the
// choice of employees, the role lookup, the writer of their result rows, the
// averages of variable pay over a window of months, and the valuation of
// each employee through the payroll run.
//
// These calculations work out quantities (hours, days, averages) and write
// them as calculated rows (FLAG "*") of the working period; the payroll run,
// driven for the one employee, then turns them into money.

#include "AuditLog.h"
#include "Database.h"
#include "EmployeeCalc.h"
#include "Fixed.h"
#include "PayrollRun.h"
#include "Registry.h"
#include "UserInterface.h"

#include <QDate>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace folha::leave {

using payroll::CalcKind;

struct LeaveOptions {
    QString branchCode;
    QString firstEmployee; // "Cod. Func. Inicial"
    QString lastEmployee;  // "Cod. Func. Final"
    QString commissionMonths = QStringLiteral("99"); // "Meses p/ média comiss.:" as typed
    QString userCode; // who holds the employee rows while they are valued
    bool closingNotice = true; // false: the caller tells the outcome itself
};

struct LeaveSummary {
    bool refused = false;      // the run did not start (a message said why)
    int employeesCalculated = 0; // employees whose quantities were worked out
    int employeesValued = 0;   // of those, valued by the payroll run
    int employeesNotValued = 0;
    // Employees for whom nothing was written: a stored value refused, or a
    // valuation that failed (the run said why and went on).
    int employeesNotCalculated = 0;
    int rowsWritten = 0;       // rows written or removed by the calculation itself
    bool cancelled = false;    // stopped by the user between two employees
};

// YYYYMM arithmetic on working periods.
QString MonthOf(const QDate& date);
QString PreviousMonth(const QString& yyyymm);
// The roles of the monthly sheet the leave jobs average: the hours (601 to
// 605) and amounts (701, 702), which each job sums over one window, in this
// order; the commissions (079, 080), over the branch's months.
const QStringList& HoursAndAmountRoles();
const QStringList& CommissionRoles();

// Sums of an employee's rows of one event over a window of months.
struct RowSums {
    Fixed refer;
    Fixed valor;
};

// The result rows of one employee in one calculation. Results are kept
// until `flush`, which writes them together: a row missing is inserted, a
// row present is edited in place, and a result of an earlier run of the
// same calculation that this run no longer gives is removed.
class LeaveWriter {
public:
    struct Style {
        QString sheet;              // sheet type of the rows
        bool setCostCentre = false; // the termination marks its rows with the cost centre
        bool carryVacationDates = false;
        QSet<QString> runResults;   // codes the payroll run writes itself: never removed here
    };

    LeaveWriter(Database& db, UserInterface& ui, const payroll::RunTables& tables, const QString& period,
                const Record& employee, Style style);

    // The event code of a role, or nothing: a role missing from FIXAOCOR is
    // passed over silently, one without an event code is reported.
    std::optional<QString> lookUp(const QString& role, bool dialog = false);
    // Records the result of a role (REFER, VALOR) under the calculation's
    // sheet, or under another one.
    void write(const QString& role, Fixed refer, Fixed valor, const QString& sheet = {}, bool dialog = false);

    // Sums of the employee's rows of a role's event in a sheet from the
    // first month to the last, both included. Nothing when the role has no
    // event code.
    std::optional<RowSums> sums(const QString& role, const QString& sheet, const QString& first, const QString& last);
    // The same for several roles over one window. A window that reaches
    // before the months held reads back the rows of its own events only,
    // in one statement: roles averaged over the same months are asked
    // together.
    std::vector<std::optional<RowSums>> sums(const QStringList& roles, const QString& sheet, const QString& first,
                                             const QString& last);

    // The windows a calculation will sum, told before the first sum: the
    // first sum then reads them all with the rows of the period, in one
    // statement, instead of one more for each window reaching further back.
    // Called after a sum, or never, changes nothing but the statements.
    struct Window {
        QStringList roles;
        QString sheet;
        QString first; // YYYYMM
    };
    void expect(std::vector<Window> windows) { expected_ = std::move(windows); }

    // Roles whose earlier results go when this run does not give them.
    void ownRoles(const QStringList& roles, const QString& sheet = {});

    int flush();

private:
    using Key = std::pair<QString, QString>; // (sheet, event)

    // The employee's rows of the period and after (kept whole), with those
    // of these keys from `first` on and those of the expected windows.
    void readHistory(const std::vector<Key>& keys, const QString& first);
    // The rows of these keys from `first` up to the months already held.
    void readBack(const std::vector<Key>& keys, const QString& first);

    Database& db_;
    UserInterface& ui_;
    const payroll::RunTables& tables_;
    QString period_;
    const Record& employee_;
    Style style_;
    Table ocorrenc_;
    std::map<std::pair<QString, QString>, RowSums> results_; // (sheet, event) -> values
    std::map<std::pair<QString, QString>, bool> own_;        // (sheet, event) of the own roles
    // The employee's event rows read so far: every event from `historyFrom_`
    // (YYYYMM: the period, once the first sum has read) on, and the events
    // of `keyFrom_` from their month on: (sheet, event) -> (YYYYMM, values).
    std::map<std::pair<QString, QString>, std::vector<std::pair<QString, RowSums>>> history_;
    QString historyFrom_; // empty: nothing read yet
    std::map<Key, QString> keyFrom_;
    std::vector<Window> expected_;
    // The rows of the period among them, kept whole for `flush`: nothing
    // writes the employee's rows between the two.
    std::optional<std::map<std::pair<QString, QString>, Record>> present_;
};

// The common run: walks CADFUN in code order, applies the choice tests and
// hands each chosen employee to `calculate`, writes its rows and values it.
class LeaveCalc {
public:
    LeaveCalc(Database& db, UserInterface& ui) : db_(db), ui_(ui) {}
    virtual ~LeaveCalc() = default;

    LeaveSummary run(const LeaveOptions& options);
    // The audit entry of a run: "Cálculo das férias, filial ...".
    AuditEntry audit(const LeaveOptions& options, const LeaveSummary& summary) const;

protected:
    // Settings of each calculation.
    virtual QString caption() const = 0;
    virtual QString requiredSheet() const = 0;      // the branch's TIPO_FOL it needs
    virtual QString calculationName() const = 0;    // "o cálculo das férias"
    virtual CalcKind kind() const = 0;
    virtual bool takesDismissed() const { return false; }
    // Whether a months field of 0 or less is taken (as "no commission
    // averages"); the calculations that divide by it refuse it.
    virtual bool takesNoMonths() const { return false; }
    // The range of codes of the screen (an empty end is open); the default
    // applies it only when both codes are filled.
    virtual void range(const LeaveOptions& o, QString& first, QString& last);
    virtual LeaveWriter::Style style() const = 0;
    // Works out one employee's results; false passes the employee over
    // without valuing him.
    virtual bool calculate(const Record& employee, LeaveWriter& w) = 0;

    Database& db_;
    UserInterface& ui_;
    const payroll::RunTables* tables_ = nullptr;
    Record branch_{Registry::instance().require(QStringLiteral("Filial"))};
    QDate payrollDate_;
    QString period_;    // YYYYMM of the payroll date
    QString yearStart_; // YYYY01
    int months_ = 0;    // commission months

private:
    // Reads the months field into months_; false refuses the run (after a message).
    bool readMonths(const QString& typed);
};

// Reads the months field: a whole number, or nothing for empty or other text.
std::optional<int> MonthsOf(const QString& typed);

// The 15-day rule of an admission month: the day of admission lies before
// the month's bound (at least 15 days worked in the month).
bool AdmissionMonthCounts(const QDate& admission);

// Hours of a number of days at the employee's weekly hours (÷ 6 × days),
// rounded to 2 decimals.
Fixed HoursOfDays(int weeklyHours, const Ratio& days);

} // namespace folha::leave
