#pragma once
// The payroll run: for every chosen employee of the company, values the
// month's event rows, adds the automatic events (INSS, IRRF, FGTS, family
// allowance and the company's additional pay), writes every result into
// OCORRENC as a calculated row (FLAG "*") and closes the employee with the
// statement totals. The monthly screen, the vacation, 13th-salary and
// termination calculations and `folha calc` all drive this one engine.

#include "AuditLog.h"
#include "EmployeeCalc.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

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

class PayrollRun {
public:
    PayrollRun(Database& db, UserInterface& ui);

    RunSummary run(const RunOptions& options);

    // How many employees are committed together (each employee is always
    // whole in one transaction); the default keeps an interrupted run's loss
    // to a fraction of a second of work.
    void setCommitGroup(int employees, int milliseconds) {
        groupEmployees_ = employees;
        groupMilliseconds_ = milliseconds;
    }

    // Keeps the event, role and contribution tables read by the first run
    // for the next runs of this object (a calculation that values its
    // employees one by one changes none of them meanwhile).
    void keepTables(bool keep) { keepTables_ = keep; }

private:
    Database& db_;
    UserInterface& ui_;
    bool keepTables_ = false;
    std::unique_ptr<RunTables> tables_;
    int groupEmployees_ = 200;
    int groupMilliseconds_ = 250;
};

// The holidays of a branch in a year: the national ones and the branch's own (FERIADOS).
QList<QDate> BranchHolidays(Database& db, const QString& branchCode, int year);

// Writes the closing totals of an employee (roles 026, 027, 028, 055).
void WriteTotals(EmployeeCalc& calc);

} // namespace folha::payroll
