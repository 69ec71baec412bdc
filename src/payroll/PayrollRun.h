#pragma once
// The payroll run: for every chosen employee of the company, values the
// month's event rows, adds the automatic events (INSS, IRRF, FGTS, family
// allowance and the company's additional pay), writes every result into
// OCORRENC as a calculated row (FLAG "*") and closes the employee with the
// statement totals. The monthly screen, the vacation, 13th-salary and
// termination calculations and `folha calc` all drive this one engine.

#include "AuditLog.h"
#include "EmployeeCalc.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace folha {
class EsocialMarks;
}

namespace folha::payroll {

struct RunOptions {
    QString branchCode;    // the FILIAL row whose DATA_FOLHA and TIPO_FOL are used
    QString firstEmployee; // the range applies only when both are filled
    QString lastEmployee;
    bool familyAllowance = false; // "Sal. Familia <S/N>?"
    bool defaultHours = false;    // "Automatico <S/N>?"
    CalcKind kind = CalcKind::Monthly;
    bool automaticMode = false;   // a driving calculation: no closing message
    QString userCode;             // who holds the employee rows while they are calculated
    bool closingNotice = true;    // false: the caller tells the outcome itself
};

struct RunSummary {
    int employeesRead = 0;
    int employeesCalculated = 0;
    int employeesSkipped = 0; // range, dismissed, already calculated
    int employeesNotCalculated = 0; // locked elsewhere, or failed
    qint64 rowsWritten = 0;
    bool cancelled = false; // stopped by the user between two employees
};

// The audit entry of a payroll run.
AuditEntry AuditOf(const RunOptions& options, const RunSummary& summary);

// One automatic step of the employee's calculation, with the roles whose
// results it writes (those are recomputed on every run).
struct AutomaticStep {
    AutomaticStep(QString n, QStringList r, std::function<void(EmployeeCalc&)> f, QString s = {}, bool before = false)
        : name(std::move(n)), roles(std::move(r)), run(std::move(f)), sheets(std::move(s)), beforeValuation(before) {}
    QString name;
    QStringList roles;
    std::function<void(EmployeeCalc&)> run;
    QString sheets;            // the sheet types it writes in; empty for every one
    bool beforeValuation = false; // brings rows that the valuation then values
};

// The automatic steps in the order the run applies them.
const std::vector<AutomaticStep>& AutomaticSteps();
// The event codes whose calculated rows a run on this sheet writes again.
QSet<QString> ResultCodes(const RunTables& tables, const QString& sheet);
// Roles of the closing totals.
QStringList TotalRoles();

// Employees are committed in groups of a number of them or of some
// milliseconds of work, whichever comes first; every employee is whole in
// its group. Rolled back when destroyed open.
class CommitGroup {
public:
    CommitGroup(Database& db, int employees, int milliseconds);
    ~CommitGroup();
    CommitGroup(const CommitGroup&) = delete;
    CommitGroup& operator=(const CommitGroup&) = delete;
    void beginEmployee();
    void endEmployee();
    void commit();
    // Runs in the group's transaction just before each commit (writes the
    // calculation keeps for its group).
    void beforeCommit(std::function<void()> f) { beforeCommit_ = std::move(f); }

private:
    Database& db_;
    std::function<void()> beforeCommit_;
    int maxEmployees_;
    int maxMs_;
    int employees_ = 0;
    bool open_ = false;
    QElapsedTimer timer_;
};

class PayrollRun {
public:
    PayrollRun(Database& db, UserInterface& ui);
    ~PayrollRun();

    RunSummary run(const RunOptions& options);

    // How many employees are committed together (each employee is always
    // whole in one transaction); the default keeps an interrupted run's loss
    // to a fraction of a second of work.
    void setCommitGroup(int employees, int milliseconds) {
        groupEmployees_ = employees;
        groupMilliseconds_ = milliseconds;
    }
    int commitGroupEmployees() const { return groupEmployees_; }
    int commitGroupMilliseconds() const { return groupMilliseconds_; }

    // A calculation that values its employees one by one (vacation, 13th
    // salary, termination) prepares the run once for its job: the branch,
    // the event and contribution tables and the law of the competence are
    // read here, not again for each employee. Throws as run() does for a
    // branch it cannot calculate.
    void prepare(const RunOptions& options);
    enum class Outcome { Calculated, Skipped, NotCalculated };
    // Values one employee with the prepared run, inside the caller's
    // transaction, counting him in `summary`. `held`: a hold row names him
    // (HeldKeys), so his hold is asked for first, as a run does.
    Outcome valueEmployee(const Record& employee, bool held, RunSummary& summary);
    // The event, role and contribution tables the prepared run read.
    const RunTables& tables() const;
    // The marks the prepared run leaves on the eSocial events of the
    // employees it values; a job that commits in groups defers them to its
    // commits, and marks what it writes itself through them too.
    EsocialMarks& marks();

private:
    struct Prepared;
    // One employee of the page: the choice tests, the hold, the steps, his
    // rows written. Nothing of him is written when he is not calculated.
    // `writes`, when given, keeps his rows for the group's commit.
    Outcome calculate(const Record& employee, const EmployeePage& page, bool held, RunSummary& summary,
                      GroupWrites* writes = nullptr);

    Database& db_;
    UserInterface& ui_;
    std::unique_ptr<Prepared> prepared_;
    int groupEmployees_ = 200;
    int groupMilliseconds_ = 250;
};

// The holidays of a branch in a year: the national ones and the branch's own (FERIADOS).
QList<QDate> BranchHolidays(Database& db, const QString& branchCode, int year);

// Writes the closing totals of an employee (roles 026, 027, 028, 055).
void WriteTotals(EmployeeCalc& calc);

} // namespace folha::payroll
