#pragma once
// The events the run creates from the register, the branch and the
// incidence totals: bases of employees on leave, reference salary,
// transport voucher, insalubrity and hazard pay, paid weekly rest (DSR),
// dues, the employee's fixed events, one third of vacation, the advance
// already paid, balances carried between months and the rounding of the
// net; and, before the entered rows are valued, the month's vacation sheet,
// the default hour events and the shifts.

#include "EmployeeCalc.h"

namespace folha::payroll {

// Before the valuation (monthly sheet, active employees calculated normally).
void Shifts(EmployeeCalc& c);
void VacationSheetAndDefaultHours(EmployeeCalc& c);

// After the valuation, in the run's order.
void BasesFromSalary(EmployeeCalc& c);
void ReferenceSalary(EmployeeCalc& c);
void TransportVoucher(EmployeeCalc& c);
void Insalubrity(EmployeeCalc& c);
void OvertimeRest(EmployeeCalc& c);
void VariablePayRest(EmployeeCalc& c);
void Dues(EmployeeCalc& c);
void UnionAgreementAndFixedEvents(EmployeeCalc& c);
void Hazard(EmployeeCalc& c);
void VacationThird(EmployeeCalc& c);
void AdvancePaid(EmployeeCalc& c);
void FamilyEvent(EmployeeCalc& c);
void CarriedBalances(EmployeeCalc& c);
void NetRounding(EmployeeCalc& c);

// The amount that brings a net up to the next multiple of the step (zero
// when the net already is one, or the step is not positive).
Fixed NetRoundingAmount(Fixed net, Fixed step);

} // namespace folha::payroll
