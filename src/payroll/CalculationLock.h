#pragma once
// The calculations of a company (payroll, advance, undo, vacation, 13th
// salary, termination) run one at a time: a second workstation is told at
// once that a calculation is running, and calculates nothing.

#include "JobLock.h"
#include "UserInterface.h"

namespace folha::payroll {

inline const QString CalculationJob = QStringLiteral("calculo");
inline const QString CalculationCaption = QStringLiteral("um cálculo");

// The closing notice of a calculation: "Procedimento concluído!", or, when
// the user stopped it, that the employees before the stop are calculated
// whole and the rest not at all. A run driven by another calculation
// (`driven`) that ends normally says nothing.
inline void ClosingNotice(UserInterface& ui, bool cancelled, int employeesCalculated, bool driven = false) {
    if (cancelled)
        ui.message(MessageKind::Warning,
                   QStringLiteral("Cálculo interrompido pelo usuário: %1 funcionário(s) calculado(s); os demais não foram calculados.")
                       .arg(employeesCalculated));
    else if (!driven)
        ui.message(MessageKind::Information, QStringLiteral("Procedimento concluído!"));
}

// What the audit entry of a stopped calculation adds to its text.
inline QString CancelledAuditText(bool cancelled) {
    return cancelled ? QStringLiteral(", interrompido pelo usuário") : QString();
}

} // namespace folha::payroll
