#pragma once
// INSS, IRRF, FGTS and the family allowance of one employee, computed from
// the incidence totals and written as role rows.

#include "EmployeeCalc.h"

namespace folha::payroll {

// Vacation share of the INSS base (and the next-month part of it).
void VacationShareOfInssBase(EmployeeCalc& c);
// INSS of the month, the return-from-leave share and the base rows.
void Inss(EmployeeCalc& c);
// INSS on the 13th salary.
void Inss13(EmployeeCalc& c);
// Family allowance, when the run asks for it.
void FamilyAllowance(EmployeeCalc& c);
// IRRF: normal, 13th salary, vacation, termination (and the advance sheet).
void Irrf(EmployeeCalc& c);
// FGTS base, the month's FGTS and the FGTS of a terminated employee.
void Fgts(EmployeeCalc& c);
// The 40 % FGTS fine of a dismissal without cause.
void FgtsFine(EmployeeCalc& c);

// The company's INSS bracket ("010" to "013") holding a capped base, or nothing.
const Record* InssBracket(const RunTables& tables, Fixed cappedBase);
// The INSS of a base by the contribution brackets ("010" to "013"), or 11 %
// for the VINCULO categories from 8 on; `truncateToCent` for the monthly
// INSS, four decimals for the 13th salary.
Fixed InssOfBase(const RunTables& tables, int vinculo, Fixed cappedBase, bool truncateToCent);
// The IRRF of a base by the brackets "001" to "005"; amounts up to 10.00 are
// not withheld.
Fixed IrrfOfBase(const RunTables& tables, Fixed base);

} // namespace folha::payroll
