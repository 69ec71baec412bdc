#pragma once
// The salary advance: a share of the salary (or of an event of a chosen
// month), rounded up to the branch's step, written as sheet "A" rows of
// the working period. The monthly payroll deducts it later.

#include "Database.h"
#include "Fixed.h"
#include "UserInterface.h"

namespace folha::payroll {

struct AdvanceOptions {
    QString branchCode;
    QString firstEmployee; // the range applies only when both are filled
    QString lastEmployee;
    bool baseOnSalary = true; // "Base no Salário:"
    QString baseMonth;        // "Ano e Mês da Base", YYYYMM
    QString baseEvent;        // "Ocorrência na Base"
    bool writeNet = false;    // "Gravar o Liquido"
};

struct AdvanceSummary {
    int employeesCalculated = 0; // advances written
    int rowsWritten = 0;
};

// base × PERC_ADI / 100; × 220 for an hourly rate; rounded up to the step.
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
