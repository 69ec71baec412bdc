// INSS, IRRF, FGTS and family allowance.
#include "Statutory.h"

#include "TextRoutines.h"
#include "LawRules.h"

namespace folha::payroll {

namespace {

const Fixed TenCentsAboveTen = Fixed::fromRaw(100100); // 10.01: up to 10.00 no IRRF is withheld

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

// The movement code of the leave the employee came back from: the latest
// AFASTFUN row on or before the return.
QString leaveCause(EmployeeCalc& c) {
    QString cause;
    for (const Record& r : Table(c.db(), QStringLiteral("AFASTFUN"))
                               .select(QStringLiteral("CODFUN = ? AND DATA <= ?"), {c.code, c.returnFromLeave}, QStringLiteral("DATA")))
        cause = r.text("CAUS_RESC").trimmed();
    return cause;
}

// The salary of the days before the return from leave, when the employee
// came back in the working month. Those days are paid by the social
// security, not by the employer: they are no part of the INSS base, and the
// FGTS is deposited on them only for a leave by work accident or military
// service (Lei 8.036/1990, art. 15, § 5º).
std::optional<Fixed> returnFromLeaveShare(EmployeeCalc& c) {
    const RunValues& run = c.run();
    if (!c.returnFromLeave.isValid() || CompetenceOfDate(c.returnFromLeave) != run.period) return std::nullopt;
    const QString cause = leaveCause(c);
    if (cause != QLatin1String("O1") && cause != QLatin1String("O2") && cause != QLatin1String("R")) return std::nullopt;
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

const Record* InssBracket(const RunTables& tables, Fixed capped) {
    for (const char* code : {"010", "011", "012", "013"}) {
        const Record* r = tables.table(QLatin1String(code));
        if (r && r->number("COL1_TAB") <= capped && capped <= r->number("COL2_TAB")) return r;
    }
    return nullptr;
}

Fixed InssOfBase(const RunTables& tables, int vinculo, Fixed capped, bool truncateToCent) {
    if (vinculo > 7) {
        // Contributors of these categories pay 11 %, whatever the brackets say.
        return law::CutToCent(capped, Fixed::fromInt(11));
    }
    const Record* r = InssBracket(tables, capped);
    if (!r) return Fixed();
    if (truncateToCent) return law::CutToCent(capped, r->number("COL3_TAB"));
    return RoundValue(4, capped * r->number("COL3_TAB") / 100);
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

namespace {

// The current law's INSS of a base: 11 % for the categories from 8 on, the
// progressive brackets for everybody else.
law::Worked inssCurrent(const EmployeeCalc& c, Fixed base, const QString& label) {
    if (c.vinculo > 7) {
        const Fixed capped = cap(base, c.run().inssCeiling);
        law::Worked w{law::CutToCent(capped, Fixed::fromInt(11)), {}};
        w.trail = QStringLiteral("%1: contribuinte da categoria %2, %3 × 11 % = %4").arg(label).arg(c.vinculo).arg(law::Money(capped), law::Money(w.amount));
        return w;
    }
    return law::InssProgressive(c.legal(), c.run().period, base, label);
}

QString legacyInssTrail(const EmployeeCalc& c, Fixed capped, Fixed amount, const QString& label) {
    if (c.vinculo > 7)
        return QStringLiteral("%1: contribuinte da categoria %2, %3 × 11 % = %4").arg(label).arg(c.vinculo).arg(law::Money(capped), law::Money(amount));
    if (const Record* r = InssBracket(c.tables(), capped))
        return QStringLiteral("%1: tabela %2 da empresa (%3 a %4): %5 × %6 = %7")
            .arg(label, r->text("COD_TABELA").trimmed(), law::Money(r->number("COL1_TAB")), law::Money(r->number("COL2_TAB")),
                 law::Money(capped), law::Percent(r->number("COL3_TAB")), law::Money(amount));
    return QStringLiteral("%1: nenhuma faixa das tabelas 010 a 013 da empresa contém %2").arg(label, law::Money(capped));
}

} // namespace

void Inss(EmployeeCalc& c) {
    const QString& sheet = c.run().sheet;
    if (sheet != QLatin1String("F") && sheet != QLatin1String("I") && sheet != QLatin1String("A")) return;
    if (c.totals.inssBase <= Fixed()) return;
    const law::CompetenceRules& rules = c.run().rules;
    const Fixed ceiling = c.run().inssCeiling;
    const QString label = QStringLiteral("INSS %1").arg(c.competenceText());
    law::Worked w;
    if (rules.currentTables) {
        w = inssCurrent(c, c.totals.inssBase, label);
    } else {
        const Fixed capped = cap(c.totals.inssBase, ceiling);
        w.amount = InssOfBase(c.tables(), c.vinculo, capped, true);
        w.trail = legacyInssTrail(c, capped, w.amount, label);
    }
    // A retired employee marked "Nao Calcula INSS" had no INSS before the
    // corrected rules; a retiree who works contributes like any employee
    // (Lei 8.212/1991, art. 12, § 4º).
    const bool exempt = c.aposent == 1 && !rules.corrected;
    c.inssAmount = exempt ? Fixed() : w.amount;
    if (!exempt) c.explain(c.writeRole(QStringLiteral("012"), Fixed(), w.amount, true), w.trail);
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
    const QString label = QStringLiteral("INSS 13º salário %1").arg(c.competenceText());
    QString trail;
    if (c.run().rules.currentTables) {
        // The 13th salary's INSS is on its own base, by the same table.
        const law::Worked w = inssCurrent(c, base, label);
        c.inss13Amount = w.amount;
        trail = w.trail;
    } else {
        // Four decimals by the brackets; what is deducted, from the pay and from
        // the IRRF base, is the amount written, in whole centavos.
        c.inss13Amount = RoundValue(2, InssOfBase(c.tables(), c.vinculo, cap(base, ceiling), false));
        trail = legacyInssTrail(c, cap(base, ceiling), c.inss13Amount, label);
    }
    c.explain(c.writeRole(QStringLiteral("014"), Fixed(), c.inss13Amount, true), trail);
    c.writeRole(QStringLiteral("015"), Fixed(), base, true);
    if (ceiling < base) c.writeRole(QStringLiteral("062"), Fixed(), ceiling, true);
}

namespace {

// The corrected family allowance: a quota per child who has not turned 14
// before the month (the quota stops the month after the 14th birthday,
// Lei 8.213/1991, art. 66), for pay up to the income limit, in proportion
// to the days worked in the month of admission and of termination.
void familyAllowanceCorrected(EmployeeCalc& c) {
    const QDate payrollDate = c.run().payrollDate;
    const QDate first(payrollDate.year(), payrollDate.month(), 1);
    const QDate last(payrollDate.year(), payrollDate.month(), payrollDate.daysInMonth());
    c.children = 0;
    for (const Record& d : c.dependantRows()) {
        const QDate born = d.date("DT_NASC");
        if (born.isValid() && born <= last && born.addYears(14) >= first) ++c.children;
    }
    if (c.children == 0) return;
    Fixed limit, quota;
    QString source;
    if (c.run().rules.currentTables) {
        const auto row = c.legal().single(QStringLiteral("SALFAM"), c.run().period);
        if (!row) return;
        limit = row->limit;
        quota = row->value;
        source = law::Validity(*row);
    } else if (const Record* t = c.tables().table(QStringLiteral("020"))) {
        limit = t->number("COL1_TAB");
        quota = t->number("COL3_TAB");
        source = QStringLiteral("tabela 020 da empresa");
    }
    const Fixed income = c.totals.inssBase;
    if (quota <= Fixed() || income > limit) return;
    const QDate from = c.admission.isValid() && c.admission > first ? c.admission : first;
    const QDate to = c.leaving.isValid() && c.leaving < last ? c.leaving : last;
    const qint64 days = std::min<qint64>(30, from.daysTo(to) + 1);
    if (days <= 0) return;
    const bool whole = from == first && to == last;
    const Fixed allowance = whole ? RoundValue(2, Ratio(quota) * Ratio::fromInt(c.children))
                                  : RoundValue(2, Ratio(quota) * Ratio::fromInt(c.children) * Ratio::of(days, 30));
    c.familyAllowanceAmount = allowance;
    QString trail = QStringLiteral("Salário-família %1: remuneração %2 até o limite %3; %4 filho(s) até 14 anos × %5")
                        .arg(c.competenceText(), law::Money(income), law::Money(limit))
                        .arg(c.children)
                        .arg(law::Money(quota));
    if (!whole) trail += QStringLiteral(" × %1 dia(s) ÷ 30").arg(days);
    trail += QStringLiteral(" = %1 [%2]").arg(law::Money(allowance), source);
    c.explain(c.writeRole(QStringLiteral("011"), Fixed::fromInt(c.children), allowance, true), trail);
}

} // namespace

void FamilyAllowance(EmployeeCalc& c) {
    if (!c.run().familyAllowance) return;
    if (c.run().rules.corrected) {
        familyAllowanceCorrected(c);
        return;
    }
    const QDate payrollDate = c.run().payrollDate;
    c.children = 0;
    for (const Record& d : c.dependantRows()) {
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
    c.explain(c.writeRole(QStringLiteral("011"), Fixed::fromInt(c.children), allowance, true),
              QStringLiteral("Salário-família: %1 filho(s) × cota %2 (tabela 020 da empresa, remuneração %3) = %4")
                  .arg(c.children)
                  .arg(law::Money(quota), law::Money(income), law::Money(allowance)));
}

namespace {

QString legacyIrrfTrail(const EmployeeCalc& c, const QString& label, Fixed income, Fixed inss, Fixed base, Fixed tax) {
    return QStringLiteral("%1: %2 - %3 (INSS) - %4 (%5 dependente(s)) = %6 pelas tabelas 001 a 005 da empresa => %7")
        .arg(label, law::Money(income), law::Money(inss), law::Money(c.dependantDeduction))
        .arg(c.dependants)
        .arg(law::Money(base), law::Money(tax));
}

} // namespace

void Irrf(EmployeeCalc& c) {
    const RunValues& run = c.run();
    const bool current = run.rules.currentTables;
    const Fixed perDependant = current ? [&] {
        const auto row = c.legal().single(QStringLiteral("IRRFDEP"), run.period);
        return row ? row->value : Fixed();
    }() : c.tables().tableColumn(QStringLiteral("021"), 1);
    c.dependantDeduction = RoundValue(2, perDependant * int64_t(c.dependants));
    const Fixed dependantsRefer = Fixed::fromInt(c.dependants);
    const bool advanceSheet = run.sheet == QLatin1String("A");
    const QString month = c.competenceText();

    // The current law's tax of an income, with the switches of the kind.
    auto currentTax = [&](Fixed income, Fixed inss, bool simplified, bool reduction, const QString& label, bool waived = true) {
        law::IrrfInputs in;
        in.smallTaxWaived = waived;
        in.income = income;
        in.inss = inss;
        in.dependants = c.dependants;
        in.simplifiedAllowed = simplified;
        in.reductionAllowed = reduction;
        return law::IrrfCurrent(c.legal(), run.period, in, label);
    };

    // Normal.
    const Fixed irrfBase = c.totals.irrfBase;
    if (irrfBase > Fixed()) {
        Fixed inssDeduction = c.inssAmount;
        if (advanceSheet) inssDeduction += advanceSheetValue(c, run.previousPeriod, QStringLiteral("012"));
        Fixed tax;
        QString trail;
        Fixed dependantRow = c.dependantDeduction;
        if (current) {
            const law::IrrfResult r = currentTax(irrfBase, inssDeduction, true, true, QStringLiteral("IRRF %1").arg(month));
            tax = r.tax;
            trail = r.trail;
            if (r.simplified) dependantRow = Fixed(); // the simplified deduction replaced the dependants'
        } else {
            const Fixed base = irrfBase - c.dependantDeduction - inssDeduction;
            tax = IrrfOfBase(c.tables(), base);
            trail = legacyIrrfTrail(c, QStringLiteral("IRRF %1").arg(month), irrfBase, inssDeduction, base, tax);
        }
        if (advanceSheet) {
            // The advance withholds only what the month's payroll has not.
            const Fixed withheld = advanceSheetValue(c, run.period, QStringLiteral("016"));
            tax -= withheld;
            if (tax < TenCentsAboveTen) tax = Fixed();
            if (!withheld.isZero()) trail += QStringLiteral("; menos o já retido na folha do mês %1 => %2").arg(law::Money(withheld), law::Money(tax));
        }
        c.explain(c.writeRole(QStringLiteral("016"), Fixed(), tax, true), trail);
        c.writeRole(QStringLiteral("017"), Fixed(), irrfBase, true);
        c.writeRole(QStringLiteral("034"), dependantsRefer, dependantRow, true);
    }

    // 13th salary.
    const Fixed base13 = c.totals.irrfBase13;
    if (base13 > Fixed()) {
        Fixed tax;
        QString trail;
        Fixed dependantRow = c.dependantDeduction;
        if (current) {
            const law::IrrfResult r = currentTax(base13, c.inss13Amount, run.lawSettings.simplifiedOn13th,
                                                 run.lawSettings.reductionOn13th, QStringLiteral("IRRF 13º salário %1").arg(month), false);
            tax = r.tax;
            trail = r.trail;
            if (r.simplified) dependantRow = Fixed();
        } else {
            const Fixed base = base13 - c.dependantDeduction - c.inss13Amount;
            tax = IrrfOfBase(c.tables(), base);
            trail = legacyIrrfTrail(c, QStringLiteral("IRRF 13º salário %1").arg(month), base13, c.inss13Amount, base, tax);
        }
        c.explain(c.writeRole(QStringLiteral("018"), Fixed(), tax, true), trail);
        c.writeRole(QStringLiteral("019"), Fixed(), base13, true);
        c.writeRole(QStringLiteral("035"), dependantsRefer, dependantRow, true);
    }

    // Vacation, and termination.
    const Fixed vacationBase = c.totals.irrfBaseVacation;
    const bool vacationSheet = run.sheet == QLatin1String("I");
    if (vacationBase > Fixed() && (vacationSheet || c.leaving.isValid())) {
        const Fixed reduced = vacationBase - c.dependantDeduction - c.inssAmount;
        const QString label = QStringLiteral("IRRF férias %1").arg(month);
        Fixed tax;
        QString trail;
        Fixed dependantRow = c.dependantDeduction;
        Fixed baseRow = vacationSheet ? reduced : vacationBase;
        if (current) {
            const law::IrrfResult r = currentTax(vacationBase, c.inssAmount, true,
                                                 !vacationSheet || run.lawSettings.reductionOnVacation, label);
            tax = r.tax;
            trail = r.trail;
            if (r.simplified) dependantRow = Fixed();
            if (vacationSheet) baseRow = r.base;
        } else {
            tax = IrrfOfBase(c.tables(), reduced);
            trail = legacyIrrfTrail(c, label, vacationBase, c.inssAmount, reduced, tax);
        }
        c.explain(c.writeRole(QStringLiteral("020"), Fixed(), tax, true), trail);
        c.writeRole(QStringLiteral("021"), Fixed(), baseRow, true);
        c.writeRole(QStringLiteral("036"), dependantsRefer, dependantRow, true);
    }
}

namespace {

// The FGTS rate of the employee: apprentices ("07-Menor Aprendiz") 2 %,
// everybody else 8 %; the legal table's under the current law.
std::pair<Fixed, QString> fgtsRate(const EmployeeCalc& c) {
    const bool apprentice = c.vinculo == 7;
    if (c.run().rules.currentTables) {
        if (const auto row = c.legal().single(apprentice ? QStringLiteral("FGTSAPREND") : QStringLiteral("FGTS"), c.run().period))
            return {row->rate, law::Validity(*row)};
    }
    return {Fixed::fromInt(apprentice ? 2 : 8), apprentice ? QStringLiteral("aprendiz") : QString()};
}

// What a termination pays that the FGTS falls on whatever the event chart
// says: the indemnified notice (TST, Súmula 305) and the 13th salary
// (Lei 8.036/1990, art. 15), when their events are not in the FGTS base
// already: without the FGTS incidence, or with it on an event outside the
// INSS ("4", as an indemnified notice is), which the month's FGTS base
// leaves out (see IncidenceTotals::accumulate).
Fixed terminationFgtsAdditions(EmployeeCalc& c, QStringList& what) {
    Fixed sum;
    if (!c.run().rules.corrected || c.run().kind != CalcKind::Termination) return sum;
    for (const char* role : {"046", "061", "045"}) {
        const QString event = c.roleEvent(QLatin1String(role));
        const EventInfo* info = c.tables().eventInfo(event);
        if (event.isEmpty() || !info) continue;
        const bool inFgtsBase = info->flags.fgts > 0 && info->flags.inps < 3;
        if (inFgtsBase) continue;
        if (auto row = c.row(c.run().period, c.run().sheet, event)) {
            const Fixed v = row->number("VALOR");
            if (v <= Fixed()) continue;
            sum += v;
            what << QStringLiteral("%1 (histórico %2)").arg(law::Money(v), event);
        }
    }
    return sum;
}

} // namespace

void Fgts(EmployeeCalc& c) {
    addVacationShare(c, c.totals.fgtsBaseVacation, c.totals.fgtsBase, QStringLiteral("075"));
    QStringList parts;
    if (c.totals.fgtsBase > Fixed()) parts << law::Money(c.totals.fgtsBase);
    QStringList added;
    c.totals.fgtsBase += terminationFgtsAdditions(c, added);
    if (!added.isEmpty()) parts << added;
    if (c.totals.fgtsBase > Fixed()) {
        if (auto share = returnFromLeaveShare(c)) {
            c.totals.fgtsBase += *share;
            parts << QStringLiteral("%1 (dias antes da volta do afastamento)").arg(law::Money(*share));
        }
    }
    const Fixed base = c.totals.fgtsBase;
    if (base > Fixed()) c.writeRole(QStringLiteral("031"), Fixed(), base, false);
    const auto [rate, source] = fgtsRate(c);
    auto amountOf = [&](Fixed b) { return RoundValue(2, b * rate / 100); };
    auto trailOf = [&](Fixed amount) {
        QString t = QStringLiteral("FGTS %1: %2 = %3 × %4 = %5")
                        .arg(c.competenceText(), parts.join(QStringLiteral(" + ")), law::Money(base), law::Percent(rate), law::Money(amount));
        if (!source.isEmpty()) t += QStringLiteral(" [%1]").arg(source);
        return t;
    };
    const bool terminated = c.leaving.isValid();
    const bool resigned = c.terminationCause == QLatin1String("J");
    if (base > Fixed() && terminated && !resigned) {
        const Fixed amount = amountOf(base);
        c.explain(c.writeRole(QStringLiteral("067"), Fixed(), amount, true), trailOf(amount));
        c.fgtsBalance += amount;
    }
    if (base > Fixed() && (!terminated || resigned)) {
        const Fixed amount = amountOf(base);
        c.explain(c.writeRole(QStringLiteral("032"), Fixed(), amount, false), trailOf(amount));
        c.fgtsBalance += amount;
    }
}

void FgtsFine(EmployeeCalc& c) {
    if (c.fgtsBalance <= Fixed() || c.run().sheet != QLatin1String("F")) return;
    if (c.terminationCause != QLatin1String("I1") && c.terminationCause != QLatin1String("I4")) return;
    Fixed rate = Fixed::fromInt(40);
    QString source;
    if (c.run().rules.currentTables)
        if (const auto row = c.legal().single(QStringLiteral("FGTSMULTA"), c.run().period)) {
            rate = row->rate;
            source = QStringLiteral(" [%1]").arg(law::Validity(*row));
        }
    const Fixed fine = RoundValue(2, c.fgtsBalance * rate / 100);
    c.explain(c.writeRole(QStringLiteral("050"), Fixed(), fine, true),
              QStringLiteral("Multa do FGTS: saldo informado %1 + depósitos do cálculo %2 = %3 × %4 = %5%6")
                  .arg(law::Money(c.employee().number("VLR_FGTSBA")), law::Money(c.fgtsBalance - c.employee().number("VLR_FGTSBA")),
                       law::Money(c.fgtsBalance), law::Percent(rate), law::Money(fine), source));
}

} // namespace folha::payroll
