#pragma once
// "Calculo das Férias e Médias": the hours of vacation enjoyed and of the
// cash allowance, the absences of the acquisition period and the averages of
// variable pay, written as sheet "I" rows of the working period; each
// employee is then valued by the payroll run (kind 3).

#include "LeaveCalc.h"

namespace folha::leave {

class VacationCalc : public LeaveCalc {
public:
    using LeaveCalc::LeaveCalc;

    // The vacation quantities of one employee (exposed for the tests).
    struct Quantities {
        int days = 0;          // D, days enjoyed
        int allowanceDays = 0; // A
        Fixed averagingDays;   // W
        Fixed hours;           // H
        Fixed allowanceHours;  // HA
    };
    static Quantities QuantitiesOf(int weeklyHours, const QString& meioDia, const QDate& enjoyFirst,
                                   const QDate& enjoyLast, const QDate& allowanceFirst, const QDate& allowanceLast);

protected:
    QString caption() const override { return QStringLiteral("Calculando as férias"); }
    QString requiredSheet() const override { return QStringLiteral("I"); }
    QString calculationName() const override { return QStringLiteral("o cálculo das férias"); }
    CalcKind kind() const override { return CalcKind::Vacation; }
    LeaveWriter::Style style() const override;
    bool calculate(const Record& employee, LeaveWriter& w) override;
};

} // namespace folha::leave
