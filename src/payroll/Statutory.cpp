// INSS, IRRF, FGTS and family allowance.
#include "Statutory.h"

#include "TextRoutines.h"

namespace folha::payroll {

namespace {

const Fixed TenCentsAboveTen = Fixed::fromRaw(100100); // 10.01: up to 10.00 no IRRF is withheld

// An exact amount in percent, cut toward zero to the centavo: the
// contribution truncated to the cent.
Fixed centsCut(const Ratio& percentOfBase) {
    return Ratio::of(percentOfBase.num() / percentOfBase.den(), 100).toFixedNearest();
}

bool payrollBefore(const EmployeeCalc& c, const QDate& d) { return d.isValid() && c.run().payrollDate < d; }

// The vacation share of a base (INSS or FGTS): the enjoyed vacation that
// runs past the payroll date enters the base whole, and the part of it that
// falls in the next month is recorded so next month's monthly sheet adds it.
void addVacationShare(EmployeeCalc& c, Fixed vacationBase, Fixed& base, const QString& nextMonthRole) {
    const RunValues& run = c.run();
    const bool vacationSheet = run.kind == CalcKind::Vacation && run.sheet == QLatin1String("I");
    if (vacationSheet && payrollBefore(c, c.vacationEnd)) {
        if (vacationBase > Fixed() && !c.leaving.isValid() && c.vacationStart.isValid()) {
            const qint64 days = c.vacationStart.daysTo(c.vacationEnd) + 1;
            const qint64 after = run.payrollDate.daysTo(c.vacationEnd);
            const Fixed share = RoundValue(4, Ratio::of(after, days));
            const Fixed nextMonth = RoundValue(2, share * vacationBase);
            base += vacationBase;
            if (nextMonth > Fixed()) c.writeRole(nextMonthRole, Fixed(), nextMonth, false);
        }
    } else if (run.kind == CalcKind::Vacation) {
        base += vacationBase;
    }
    if (run.sheet == QLatin1String("F")) {
        // Last month's vacation that ran into this month.
        if (auto prior = c.roleRow(run.previousPeriod, QStringLiteral("I"), nextMonthRole)) base += prior->number("VALOR");
    }
}

// The salary of the days before the return from leave, when the employee
// came back in the working month.
std::optional<Fixed> returnFromLeaveShare(const EmployeeCalc& c) {
    const RunValues& run = c.run();
    if (!c.returnFromLeave.isValid() || CompetenceOfDate(c.returnFromLeave) != run.period) return std::nullopt;
    const QDate first(run.payrollDate.year(), run.payrollDate.month(), 1);
    const qint64 daysBack = first.daysTo(c.returnFromLeave) + 1;
    const qint64 daysMonth = first.daysTo(run.payrollDate) + 1;
    if (daysMonth <= 0) return std::nullopt;
    const Fixed share = RoundValue(4, Ratio::of(daysBack, daysMonth));
    return RoundValue(2, share * c.salary);
}

Fixed cap(Fixed base, Fixed ceiling) { return base > ceiling ? ceiling : base; }

// A prior sheet's role value that counts for the advance sheet: only for
// employees calculated normally and only a positive amount.
Fixed advanceSheetValue(EmployeeCalc& c, const QString& period, const QString& role) {
    if (c.calculo != 1) return Fixed();
    auto row = c.roleRow(period, QStringLiteral("F"), role);
    if (!row) return Fixed();
    const Fixed v = row->number("VALOR");
    return v > Fixed() ? v : Fixed();
}

} // namespace

Fixed InssOfBase(const RunTables& tables, int vinculo, Fixed capped, bool truncateToCent) {
    if (vinculo > 7) {
        // Contributors of these categories pay 11 %, whatever the brackets say.
        return centsCut(capped * 11);
    }
    for (const char* code : {"010", "011", "012", "013"}) {
        const Record* r = tables.table(QLatin1String(code));
        if (!r) continue;
        if (r->number("COL1_TAB") <= capped && capped <= r->number("COL2_TAB")) {
            const Ratio contribution = capped * r->number("COL3_TAB");
            if (truncateToCent) return centsCut(contribution);
            return RoundValue(4, contribution / 100);
        }
    }
    return Fixed();
}

Fixed IrrfOfBase(const RunTables& tables, Fixed base) {
    Fixed tax;
    bool found = false;
    for (auto it = tables.tabelas.lower_bound(QStringLiteral("001")); it != tables.tabelas.end() && !found && it->first < QLatin1String("006"); ++it) {
        const Record& r = it->second;
        if (r.number("COL1_TAB") <= base && base < r.number("COL2_TAB")) {
            tax = RoundValue(2, base * r.number("COL3_TAB")) - r.number("COL4_TAB");
            found = true;
        }
    }
    return tax < TenCentsAboveTen ? Fixed() : tax;
}

void VacationShareOfInssBase(EmployeeCalc& c) {
    addVacationShare(c, c.totals.inssBaseVacation, c.totals.inssBase, QStringLiteral("049"));
}

void Inss(EmployeeCalc& c) {
    const QString& sheet = c.run().sheet;
    if (sheet != QLatin1String("F") && sheet != QLatin1String("I") && sheet != QLatin1String("A")) return;
    if (c.totals.inssBase <= Fixed()) return;
    const Fixed ceiling = c.run().inssCeiling;
    const Fixed amount = InssOfBase(c.tables(), c.vinculo, cap(c.totals.inssBase, ceiling), true);
    // A retired employee with "Nao Calcula INSS" has no INSS and none is deducted from the IRRF base.
    c.inssAmount = c.aposent == 1 ? Fixed() : amount;
    if (c.aposent != 1) c.writeRole(QStringLiteral("012"), Fixed(), amount, true);
    if (auto share = returnFromLeaveShare(c)) c.totals.inssBase += *share;
    const Fixed base = c.totals.inssBase;
    if (base > Fixed()) {
        c.writeRole(QStringLiteral("013"), Fixed(), base, true);
        if (ceiling < base) c.writeRole(QStringLiteral("030"), Fixed(), ceiling, true);
    }
}

void Inss13(EmployeeCalc& c) {
    const Fixed base = c.totals.inssBase13;
    if (base <= Fixed()) return;
    const Fixed ceiling = c.run().inssCeiling;
    // Four decimals by the brackets; what is deducted, from the pay and from
    // the IRRF base, is the amount written, in whole centavos.
    c.inss13Amount = RoundValue(2, InssOfBase(c.tables(), c.vinculo, cap(base, ceiling), false));
    c.writeRole(QStringLiteral("014"), Fixed(), c.inss13Amount, true);
    c.writeRole(QStringLiteral("015"), Fixed(), base, true);
    if (ceiling < base) c.writeRole(QStringLiteral("062"), Fixed(), ceiling, true);
}

void FamilyAllowance(EmployeeCalc& c) {
    if (!c.run().familyAllowance) return;
    const QDate payrollDate = c.run().payrollDate;
    c.children = 0;
    Table depende(c.db(), QStringLiteral("DEPENDE"));
    for (const Record& d : depende.select(QStringLiteral("CODFUN = ?"), {c.code})) {
        const QDate born = d.date("DT_NASC");
        // Children under 5145 days old (about fourteen years) give a quota.
        if (born.isValid() && born.daysTo(payrollDate) < 5145) ++c.children;
    }
    if (c.children == 0) return;
    Ratio factor = Ratio::fromInt(1);
    if (c.admission.isValid() && CompetenceOfDate(c.admission) == c.run().period) {
        qint64 days = c.admission.daysTo(payrollDate);
        switch (c.admission.month()) {
        case 2: case 4: case 6: case 9: case 11: ++days; break;
        default: break;
        }
        factor = Ratio(RoundValue(4, Ratio::of(days, 30)));
    }
    const Fixed income = c.totals.inssBase;
    const Record* t = c.tables().table(QStringLiteral("020"));
    Fixed quota;
    if (t) {
        if (income <= t->number("COL1_TAB")) quota = t->number("COL3_TAB");
        else if (income <= t->number("COL2_TAB")) quota = t->number("COL4_TAB");
    }
    const Fixed allowance = RoundValue(2, Ratio(quota) * Ratio::fromInt(c.children) * factor);
    c.familyAllowanceAmount = allowance;
    c.writeRole(QStringLiteral("011"), Fixed::fromInt(c.children), allowance, true);
}

void Irrf(EmployeeCalc& c) {
    const RunValues& run = c.run();
    const Fixed perDependant = c.tables().tableColumn(QStringLiteral("021"), 1);
    c.dependantDeduction = RoundValue(2, perDependant * int64_t(c.dependants));
    const Fixed dependantsRefer = Fixed::fromInt(c.dependants);
    const bool advanceSheet = run.sheet == QLatin1String("A");

    // Normal.
    const Fixed irrfBase = c.totals.irrfBase;
    if (irrfBase > Fixed()) {
        Fixed inssDeduction = c.inssAmount;
        if (advanceSheet) inssDeduction += advanceSheetValue(c, run.previousPeriod, QStringLiteral("012"));
        Fixed tax = IrrfOfBase(c.tables(), irrfBase - c.dependantDeduction - inssDeduction);
        if (advanceSheet) {
            // The advance withholds only what the month's payroll has not.
            tax -= advanceSheetValue(c, run.period, QStringLiteral("016"));
            if (tax < TenCentsAboveTen) tax = Fixed();
        }
        c.writeRole(QStringLiteral("016"), Fixed(), tax, true);
        c.writeRole(QStringLiteral("017"), Fixed(), irrfBase, true);
        c.writeRole(QStringLiteral("034"), dependantsRefer, c.dependantDeduction, true);
    }

    // 13th salary.
    const Fixed base13 = c.totals.irrfBase13;
    if (base13 > Fixed()) {
        const Fixed tax = IrrfOfBase(c.tables(), base13 - c.dependantDeduction - c.inss13Amount);
        c.writeRole(QStringLiteral("018"), Fixed(), tax, true);
        c.writeRole(QStringLiteral("019"), Fixed(), base13, true);
        c.writeRole(QStringLiteral("035"), dependantsRefer, c.dependantDeduction, true);
    }

    // Vacation, and termination.
    const Fixed vacationBase = c.totals.irrfBaseVacation;
    if (vacationBase > Fixed()) {
        const Fixed reduced = vacationBase - c.dependantDeduction - c.inssAmount;
        if (run.sheet == QLatin1String("I")) {
            c.writeRole(QStringLiteral("020"), Fixed(), IrrfOfBase(c.tables(), reduced), true);
            c.writeRole(QStringLiteral("021"), Fixed(), reduced, true);
            c.writeRole(QStringLiteral("036"), dependantsRefer, c.dependantDeduction, true);
        } else if (c.leaving.isValid()) {
            c.writeRole(QStringLiteral("020"), Fixed(), IrrfOfBase(c.tables(), reduced), true);
            c.writeRole(QStringLiteral("021"), Fixed(), vacationBase, true);
            c.writeRole(QStringLiteral("036"), dependantsRefer, c.dependantDeduction, true);
        }
    }
}

void Fgts(EmployeeCalc& c) {
    addVacationShare(c, c.totals.fgtsBaseVacation, c.totals.fgtsBase, QStringLiteral("075"));
    Fixed base = c.totals.fgtsBase;
    if (base > Fixed()) c.writeRole(QStringLiteral("031"), Fixed(), base, false);
    // Apprentices ("07-Menor Aprendiz") have 2 %, everybody else 8 %.
    const int64_t percent = c.vinculo == 7 ? 2 : 8;
    auto amountOf = [&](Fixed b) { return RoundValue(2, b * percent / 100); };
    const bool terminated = c.leaving.isValid();
    const bool resigned = c.terminationCause == QLatin1String("J");
    if (base > Fixed() && terminated && !resigned) {
        const Fixed amount = amountOf(base);
        c.writeRole(QStringLiteral("067"), Fixed(), amount, true);
        c.fgtsBalance += amount;
    }
    if (base > Fixed()) {
        if (auto share = returnFromLeaveShare(c)) {
            base += *share;
            c.totals.fgtsBase = base;
        }
    }
    if (base > Fixed() && (!terminated || resigned)) {
        const Fixed amount = amountOf(base);
        c.writeRole(QStringLiteral("032"), Fixed(), amount, false);
        c.fgtsBalance += amount;
    }
}

void FgtsFine(EmployeeCalc& c) {
    if (c.fgtsBalance <= Fixed() || c.run().sheet != QLatin1String("F")) return;
    if (c.terminationCause != QLatin1String("I1") && c.terminationCause != QLatin1String("I4")) return;
    c.writeRole(QStringLiteral("050"), Fixed(), RoundValue(2, c.fgtsBalance * 40 / 100), true);
}

} // namespace folha::payroll
