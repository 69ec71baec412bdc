#pragma once
// "Calculo 13 e Medias": the hours of 13th salary due for the year, the
// averages of variable pay over the months already paid and the deduction of
// the first instalment, written as sheet "D" rows of the working period;
// each employee is then valued by the payroll run (kind 2).

#include "LeaveCalc.h"

namespace folha::leave {

class ThirteenthCalc : public LeaveCalc {
public:
    using LeaveCalc::LeaveCalc;

    // Months of 13th salary of an employee admitted on `admission` in the
    // year of `payrollDate`: 12 for an earlier admission.
    static int MonthsOfYear(const QDate& admission, const QDate& payrollDate);

protected:
    QString caption() const override { return QStringLiteral("Calculando o 13º salário"); }
    QString requiredSheet() const override { return QStringLiteral("D"); }
    QString calculationName() const override { return QStringLiteral("o cálculo do 13º salário"); }
    CalcKind kind() const override { return CalcKind::Thirteenth; }
    LeaveWriter::Style style() const override { return {}; }
    bool calculate(const Record& employee, LeaveWriter& w) override;
};

} // namespace folha::leave
