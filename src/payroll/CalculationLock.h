#pragma once
// The calculations of a company (payroll, advance, undo, vacation, 13th
// salary, termination) run one at a time: a second workstation is told at
// once that a calculation is running, and calculates nothing.

#include "JobLock.h"

namespace folha::payroll {

inline const QString CalculationJob = QStringLiteral("calculo");
inline const QString CalculationCaption = QStringLiteral("um cálculo");

} // namespace folha::payroll
