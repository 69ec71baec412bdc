#include "Incidence.h"

namespace folha::payroll {

EventFlags EventFlags::fromHistfp(const Record& h) {
    EventFlags f;
    f.prodesc = h.integer("HPRODESC");
    f.ins = h.integer("HFLAGINS");
    f.per = h.integer("HFLAGPER");
    f.re100 = h.integer("HFLAGRE100");
    f.re70 = h.integer("HFLAGRE70");
    f.re60 = h.integer("HFLAGRE60");
    f.re50 = h.integer("HFLAGRE50");
    f.read = h.integer("HFLAGREAD");
    f.var13i = h.integer("HFLAG13I");
    f.fen = h.integer("HFLAGFEN");
    f.n13 = h.integer("HFLAG13N");
    f.fev = h.integer("HFLAGFEV");
    f.fep = h.integer("HFLAGFEP");
    f.inps = h.integer("HFLAGINPS");
    f.irrf = h.integer("HFLAGIRRF");
    f.fgts = h.integer("HFLAGFGTS");
    return f;
}

void IncidenceTotals::accumulate(const EventFlags& f, Fixed refer, Fixed valor) {
    const bool earning = f.prodesc == 1;
    const bool deduction = f.prodesc == 0;
    // Earnings add, deductions subtract; other kinds enter no money total.
    auto signedAdd = [&](Fixed& total, Fixed amount) {
        if (earning)
            total += amount;
        else if (deduction)
            total -= amount;
    };

    if (f.ins == 1) signedAdd(insalubrityHours[1], refer);
    if (f.ins >= 2 && f.ins <= 6 && earning) insalubrityHours[size_t(f.ins)] += refer;
    if (f.per == 1 && (earning || deduction)) hazardBase[1] += valor;
    if (f.per >= 2 && f.per <= 6 && earning) hazardBase[size_t(f.per)] += valor;
    if (f.re100 == 1) overtime100 += refer;
    if (f.re70 == 1) overtime70 += refer;
    if (f.re60 == 1) overtime60 += refer;
    if (f.re50 == 1) overtime50 += refer;
    if (f.read == 1) nightHours += refer;
    if (f.var13i > 0 && earning) variablePay += valor;
    if (f.fen == 1) vacationNormal += valor;
    if (f.n13 == 1) thirteenth += valor;
    if (f.fev == 1) vacationDue += valor;
    if (f.fep == 1) vacationProportional += valor;
    if (f.inps == 1) signedAdd(inssBase, valor);
    if (f.inps == 2) signedAdd(inssBase13, valor);
    if (f.inps == 3) signedAdd(inssBaseVacation, valor);
    if (f.irrf == 1) signedAdd(irrfBase, valor);
    if (f.irrf == 2) signedAdd(irrfBase13, valor);
    if (f.irrf == 3) signedAdd(irrfBaseVacation, valor);
    if (f.fgts > 0 && f.inps < 3) signedAdd(fgtsBase, valor);
    if (f.fgts > 0 && f.inps == 3) signedAdd(fgtsBaseVacation, valor);
    if (earning) totalEarnings += valor;
    if (deduction) totalDeductions += valor;
    netPay = totalEarnings - totalDeductions;
}

} // namespace folha::payroll
