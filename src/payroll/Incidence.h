#pragma once
// Incidence totals: every event row valued or written for an employee is
// added, by the flags of its event code, to the running totals from which
// INSS, IRRF, FGTS, additional pay and the statement totals are computed.

#include "Fixed.h"
#include "Table.h"

#include <array>

namespace folha::payroll {

// The flags of an event code (a HISTFP row) that the totals read.
struct EventFlags {
    int prodesc = 2; // 1 earning, 0 deduction, other: base or information
    int ins = 0, per = 0, re100 = 0, re70 = 0, re60 = 0, re50 = 0, read = 0, var13i = 0;
    int fen = 0, n13 = 0, fev = 0, fep = 0, inps = 0, irrf = 0, fgts = 0;

    static EventFlags fromHistfp(const Record& histfp);
};

struct IncidenceTotals {
    std::array<Fixed, 7> insalubrityHours{}; // index 1..6
    std::array<Fixed, 7> hazardBase{};       // index 1..6
    Fixed overtime100, overtime70, overtime60, overtime50, nightHours;
    Fixed variablePay;
    Fixed vacationNormal, thirteenth, vacationDue, vacationProportional;
    Fixed inssBase, inssBase13, inssBaseVacation;
    Fixed irrfBase, irrfBase13, irrfBaseVacation;
    Fixed fgtsBase, fgtsBaseVacation;
    Fixed totalEarnings, totalDeductions, netPay;

    // Adds one event by the rules of the incidence table, in their order.
    void accumulate(const EventFlags& flags, Fixed refer, Fixed valor);
};

} // namespace folha::payroll
