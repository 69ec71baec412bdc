#pragma once
// The salary advance: a share of the salary (or of an event of a chosen
// month), rounded up to the branch's step, written as sheet "A" rows of
// the working period. The monthly payroll deducts it later.

#include "AuditLog.h"
#include "Database.h"
#include "Fixed.h"
#include "UserInterface.h"

#include <optional>

namespace folha::payroll {

struct AdvanceOptions {
    QString branchCode;
    QString firstEmployee; // the range applies only when both are filled
    QString lastEmployee;
    bool baseOnSalary = true; // "Base no Salário:"
    QString baseMonth;        // "Ano e Mês da Base", YYYYMM
    QString baseEvent;        // "Ocorrência na Base"
    bool writeNet = false;    // "Gravar o Liquido"
    bool closingNotice = true; // false: the caller tells the outcome itself
};

struct AdvanceSummary {
    bool refused = false;        // the run did not start (a message said why)
    int employeesCalculated = 0; // advances written
    int employeesNotCalculated = 0; // a stored value refused: reported, nothing written
    int rowsWritten = 0;
    bool cancelled = false; // stopped by the user between two employees
};

// The audit entry of an advance run.
AuditEntry AuditOf(const AdvanceOptions& options, const AdvanceSummary& summary);

// Checks the base of an advance taken from an event: the month as YYYYMM
// with a month 01 to 12, and an event code that HISTFP holds. Returns the
// message refusing it, or nothing when the base is good.
std::optional<QString> RefuseAdvanceBase(const QString& baseMonth, const QString& baseEvent, bool eventExists);

// The code of the base event as typed ("5" -> "005"): one to three digits.
// Throws UserError otherwise.
QString TypedBaseEvent(const QString& typed);

// "Base no Salário:", "Ano e Mês da Base" and "Ocorrência na Base" as typed
// into the options: an entry beginning with "N" takes the base from the
// event's sheet "F" row of that month; "Sim" keeps the salary and leaves the
// month and event unset. An empty event is left for the run to refuse.
// Throws UserError for an event code that is not one.
void SetTypedAdvanceBase(AdvanceOptions& options, const QString& baseOnSalary, const QString& baseMonth,
                         const QString& baseEvent);

// base × PERC_ADI / 100 (four decimals kept); × 220 for an hourly rate;
// rounded up to the step. What is paid is this amount in whole centavos.
Fixed AdvanceAmount(Fixed base, Fixed percent, int payType, Fixed step);

class AdvanceRun {
public:
    AdvanceRun(Database& db, UserInterface& ui) : db_(db), ui_(ui) {}
    AdvanceSummary run(const AdvanceOptions& options);

private:
    Database& db_;
    UserInterface& ui_;
};

} // namespace folha::payroll
