#pragma once
// "Calculo da Recsão e Media Horas Extras": the items of a termination in
// the working month (balance of salary, 13th salary on the notice period,
// proportional 13th salary and its first instalment, notice pay, due and
// proportional vacation) with the averages of variable pay of each item,
// written as rows of the monthly sheet "F"; each employee is then valued by
// the payroll run (kind 1). The register's item flags decide the items.

#include "LeaveCalc.h"

namespace folha::leave {

class TerminationCalc : public LeaveCalc {
public:
    using LeaveCalc::LeaveCalc;

    // Months of proportional 13th salary from the start of the year (or the
    // admission) to the leaving date.
    static int ThirteenthMonths(const QDate& admission, const QDate& leaving, const QDate& payrollDate);
    // Months of proportional vacation from the end of the last acquisition
    // period (or the admission); one more with the 13th on the notice.
    static int VacationMonths(const QDate& start, const QDate& leaving, bool noticeThirteenth);

protected:
    QString caption() const override { return QStringLiteral("Calculando as rescisões"); }
    QString requiredSheet() const override { return QStringLiteral("F"); }
    QString calculationName() const override { return QStringLiteral("o cálculo da rescisão"); }
    CalcKind kind() const override { return CalcKind::Termination; }
    bool takesDismissed() const override { return true; }
    bool takesNoMonths() const override { return true; } // no commission averages
    void range(const LeaveOptions& o, QString& first, QString& last) override;
    LeaveWriter::Style style() const override;
    bool calculate(const Record& employee, LeaveWriter& w) override;

private:
    struct Group {
        const char* hours[5];      // targets of 601..605
        const char* amounts[2];    // targets of 701, 702
        const char* commissions[2]; // targets of 079, 080, or null
        bool twice = false;        // ÷ 12 to 4 decimals, then ÷ 12 again
    };
    // Averages of one item: hours and amounts from the first month up to the
    // month before `end`, commissions up to `end` itself.
    void averages(LeaveWriter& w, const Group& g, const QString& first, const QString& end);
    // The first month of the commissions' averages (as many months back as
    // the branch says).
    QString commissionFirst() const;
    bool explicitRange_ = false;
};

} // namespace folha::leave
