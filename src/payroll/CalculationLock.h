#pragma once
// The calculations of a company (payroll, advance, undo, vacation, 13th
// salary, termination) run one at a time: a second workstation is told at
// once that a calculation is running, and calculates nothing.

#include "JobLock.h"

namespace folha::payroll {

inline const QString CalculationJob = QStringLiteral("calculo");
inline const QString CalculationCaption = QStringLiteral("um cálculo");

// The notice of a calculation the user stopped: the employees before the
// stop are calculated whole, the rest not at all.
inline QString CancelledText(int employeesCalculated) {
    return QStringLiteral("Cálculo interrompido pelo usuário: %1 funcionário(s) calculado(s); os demais não foram calculados.")
        .arg(employeesCalculated);
}

} // namespace folha::payroll
