// Additional pay, dues, balances and the rounding of the net; the vacation
// sheet, default hours and shifts brought into the monthly sheet.
#include "Additional.h"

#include <array>

namespace folha::payroll {

namespace {

bool sheetIs(const EmployeeCalc& c, const char* sheets) { return QString::fromLatin1(sheets).contains(c.run().sheet); }

Fixed roleMultiplier(const EmployeeCalc& c, const QString& role) { return c.multiplierOf(c.roleEvent(role)); }

// A row of another sheet (or of this one) under a role whose VALOR, or
// REFER, is above zero.
std::optional<Record> usable(EmployeeCalc& c, const QString& period, const QString& sheet, const QString& role,
                             bool byRefer = false) {
    auto r = c.roleRow(period, sheet, role);
    if (!r || c.calculo != 1) return std::nullopt;
    if ((byRefer ? r->number("REFER") : r->number("VALOR")) <= Fixed()) return std::nullopt;
    return r;
}

Fixed valueOf(EmployeeCalc& c, const QString& period, const QString& sheet, const QString& role) {
    auto r = c.roleRow(period, sheet, role);
    return r ? r->number("VALOR") : Fixed();
}

// HPERC × base; in a vacation month the multiplier is applied to the share
// of the month worked (hours worked of 220).
Fixed fixedEventAmount(const EmployeeCalc& c, Fixed multiplier, Fixed base) {
    if (!c.vacationMonth) return RoundValue(2, multiplier * base);
    const Ratio share = RoundValueExact(5, c.workedHours / Fixed::fromInt(220));
    const Ratio factor = RoundValueExact(6, Ratio(multiplier) * share);
    return RoundValue(2, factor * base);
}

} // namespace

// ---------------------------------------------------------------- before the valuation

void Shifts(EmployeeCalc& c) {
    if (!sheetIs(c, "F") || c.condicao != 1 || c.calculo != 1) return;
    static const std::array<std::pair<const char*, const char*>, 8> figures = {{
        {"HRS_NORMA", "077"}, {"ADIC_NOT", "605"}, {"EXTRA_50", "601"}, {"EXTRA_100", "604"},
        {"N40_EXT50", "097"}, {"N40_EXT100", "098"}, {"HRS_REDUC", "090"}, {"CALC_LEI", "091"},
    }};
    std::array<Fixed, 8> hours{};
    bool any = false;
    for (const Record& m : c.shiftRows()) {
        const QString shiftCode = m.text("COD_PLANTA");
        auto it = c.tables().shifts.constFind(shiftCode);
        if (it == c.tables().shifts.constEnd()) {
            c.ui().log(QStringLiteral("Plantão não cadastrado: %1 (funcionário %2)").arg(shiftCode, c.code));
            continue;
        }
        const Fixed quantity = m.number("QUANTIDADE");
        // Several shifts of the month add up.
        for (size_t i = 0; i < figures.size(); ++i) hours[i] += RoundValue(2, quantity * it->number(QLatin1String(figures[i].first)));
        any = true;
    }
    if (!any) return;
    // The hours go as REFER; the valuation of the entered rows turns them
    // into money by the rule of each event.
    for (size_t i = 0; i < figures.size(); ++i)
        if (hours[i] > Fixed()) c.writeRole(QLatin1String(figures[i].second), hours[i], Fixed::fromInt(1), false);
}

void VacationSheetAndDefaultHours(EmployeeCalc& c) {
    if (!sheetIs(c, "F") || c.condicao != 1 || c.calculo != 1) return;
    const QString& period = c.run().period;
    const QString vacation = QStringLiteral("I");
    const QString monthly = QStringLiteral("F");
    if (auto net = usable(c, period, vacation, QStringLiteral("028"))) {
        c.writeRole(QStringLiteral("057"), net->number("REFER"), net->number("VALOR"), false);
        c.vacationMonth = true;
    }
    if (c.vacationMonth) {
        if (auto worked = usable(c, period, monthly, QStringLiteral("077"), true)) c.workedHours = worked->number("REFER");
        if (c.payType == 5)
            if (auto rest = usable(c, period, monthly, QStringLiteral("078"), true)) c.workedHours += rest->number("REFER");
        // The vacation's bases, less what falls in the next month.
        c.totals.inssBase += valueOf(c, period, vacation, QStringLiteral("013")) - valueOf(c, period, vacation, QStringLiteral("049"));
        c.totals.fgtsBase += valueOf(c, period, vacation, QStringLiteral("031")) - valueOf(c, period, vacation, QStringLiteral("075"));
        for (const char* role : {"051", "020", "021", "201", "202", "036", "038", "002", "064", "041", "074", "551", "552",
                                 "553", "554", "555"})
            if (auto r = usable(c, period, vacation, QLatin1String(role)))
                c.writeRole(QLatin1String(role), r->number("REFER"), r->number("VALOR"), false);
        if (auto r = usable(c, period, vacation, QStringLiteral("025")))
            c.writeRole(QStringLiteral("060"), r->number("REFER"), r->number("VALOR"), false);
        if (auto r = usable(c, period, vacation, QStringLiteral("068")))
            c.writeRole(QStringLiteral("068"), r->number("REFER"), r->number("VALOR"), false);
        return;
    }
    if (c.run().defaultHours) {
        // VALOR 1.00 holds the row until the valuation values it from REFER.
        const Fixed placeholder = Fixed::fromInt(1);
        const Fixed registerHours = RoundValue(2, c.weeklyHours * 5);
        if (c.vinculo == 11) {
            c.writeRole(QStringLiteral("092"), c.payType == 1 ? registerHours : c.run().monthHours, placeholder, false);
        } else {
            // Hours the user typed (or the shifts wrote) stand as they are.
            if (auto typed = usable(c, period, monthly, QStringLiteral("077"), true)) {
                c.workedHours = typed->number("REFER");
            } else {
                c.writeRole(QStringLiteral("077"), registerHours, placeholder, false);
                c.workedHours = registerHours;
            }
            if (c.payType == 5) {
                if (auto typed = usable(c, period, monthly, QStringLiteral("078"), true)) {
                    c.workedHours += typed->number("REFER");
                } else {
                    c.writeRole(QStringLiteral("078"), c.run().restHours, placeholder, false);
                    c.workedHours += c.run().restHours;
                }
            }
        }
    }
    for (const char* role : {"059", "073"})
        if (auto r = usable(c, period, vacation, QLatin1String(role)))
            c.writeRole(QLatin1String(role), r->number("REFER"), r->number("VALOR"), false);
}

// ---------------------------------------------------------------- after the valuation

void BasesFromSalary(EmployeeCalc& c) {
    // "4 - Afastado temporariamente": the bases come from the salary.
    if (c.calculo != 4) return;
    if (sheetIs(c, "F")) c.writeRole(QStringLiteral("031"), Fixed(), c.referenceSalary, false);
    c.writeRole(QStringLiteral("013"), Fixed(), c.referenceSalary, false);
    if (c.run().branch.text("SIMPLES").trimmed() == QLatin1String("2")) {
        const int64_t percent = c.vinculo == 7 ? 2 : 8;
        c.writeRole(QStringLiteral("032"), Fixed(), RoundValue(2, c.referenceSalary * percent / 100), false);
    }
}

void ReferenceSalary(EmployeeCalc& c) { c.writeRole(QStringLiteral("058"), Fixed(), c.referenceSalary, false); }

void TransportVoucher(EmployeeCalc& c) {
    if (!sheetIs(c, "F")) return;
    Fixed cost;
    int trips = 0;
    // Both lines are paid; the deduction is capped at 6 % of the salary.
    for (const auto& [line, quantity] : {std::pair{c.line1, c.trips1}, std::pair{c.line2, c.trips2}}) {
        if (line.isEmpty() || line <= QLatin1String("000")) continue;
        auto fare = c.tables().lineFares.constFind(line);
        if (fare == c.tables().lineFares.constEnd()) {
            c.ui().log(QStringLiteral("Linha de transporte não cadastrada: %1 (funcionário %2)").arg(line, c.code));
            continue;
        }
        cost += RoundValue(2, fare.value() * int64_t(quantity));
        trips += quantity;
    }
    if (cost <= Fixed()) return;
    const Fixed cap = RoundValue(2, Ratio::of(6, 100) * c.referenceSalary);
    c.writeRole(QStringLiteral("076"), Fixed::fromInt(trips), cost > cap ? cap : cost, true);
}

void Insalubrity(EmployeeCalc& c) {
    if (c.insalubre <= 0) return;
    static const char* roles[7] = {nullptr, nullptr, "001", "002", "037", "093", "094"};
    const Fixed base = c.run().minimumWage;
    for (int k = 1; k <= 6; ++k) {
        Fixed hours = c.totals.insalubrityHours[size_t(k)];
        if (hours <= Fixed()) continue;
        if (k == 3 && !sheetIs(c, "I")) continue;
        if (k >= 4 && c.run().kind != CalcKind::Termination) continue;
        // A part-time month is brought to 220 hours.
        if (c.payType == 1 && c.weeklyHours > Fixed() && c.weeklyHours < Fixed::fromInt(44))
            hours = RoundValue(2, hours * 220 / (c.weeklyHours * 5).toFixedNearest());
        const QString event = k == 1 ? EventOfNumber(c.insalubre) : c.roleEvent(QLatin1String(roles[k]));
        Fixed amount = RoundValue(2, hours * base / 220);
        amount = c.cobertura > Fixed() ? RoundValue(2, amount * c.cobertura) : RoundValue(2, c.multiplierOf(event) * amount);
        if (k == 1)
            c.writeCode(event, hours, amount, true);
        else
            c.writeRole(QLatin1String(roles[k]), hours, amount, true);
    }
}

// The rest of a week's work: under the corrected rules the Sundays and
// holidays of the month over its working days (Lei 605/1949, art. 7º, and
// the branch's calendar); otherwise the branch's rest and working hours.
struct RestShare {
    Fixed rest, work;
    QString text;
};
RestShare restShare(const EmployeeCalc& c) {
    if (c.run().rules.corrected) {
        const law::MonthDays& d = c.run().monthDays;
        return {Fixed::fromInt(d.restDays), Fixed::fromInt(d.workingDays),
                QStringLiteral("%1 domingos e feriados ÷ %2 dias úteis de %3").arg(d.restDays).arg(d.workingDays).arg(c.competenceText())};
    }
    return {c.run().restHours, c.run().monthHours,
            QStringLiteral("%1 horas de descanso ÷ %2 horas do mês (filial)").arg(law::Money(c.run().restHours), law::Money(c.run().monthHours))};
}

void OvertimeRest(EmployeeCalc& c) {
    const RestShare share = restShare(c);
    const Fixed monthHours = share.work;
    const struct {
        Fixed hours;
        const char* role;
    } classes[] = {
        {c.totals.overtime100, "004"}, {c.totals.overtime70, "005"}, {c.totals.overtime60, "006"},
        {c.totals.overtime50, "005"}, {c.totals.nightHours, "008"},
    };
    // 70 % and 50 % overtime share one role: their rests are written together.
    std::map<QString, std::pair<Fixed, Fixed>> byRole; // role -> (DSR hours, amount)
    QStringList order;
    for (const auto& k : classes) {
        if (k.hours <= Fixed()) continue;
        if (monthHours <= Fixed()) {
            c.ui().log(QStringLiteral("Horas do mês da filial não informadas: DSR não calculado (funcionário %1)").arg(c.code));
            return;
        }
        const QString role = QLatin1String(k.role);
        const Fixed dsrHours = RoundValue(4, k.hours * share.rest / monthHours);
        Fixed amount = RoundValue(2, roleMultiplier(c, role) * dsrHours);
        if (c.payType == 5) {
            amount = RoundValue(2, amount * c.salary);
        } else if (c.payType == 1) {
            if (c.weeklyHours <= Fixed()) {
                c.ui().log(QStringLiteral("Horas semanais não informadas: DSR não calculado (funcionário %1)").arg(c.code));
                return;
            }
            amount = RoundValue(2, amount * c.salary / (c.weeklyHours * 5).toFixedNearest());
        }
        if (!byRole.count(role)) order << role;
        byRole[role].first += dsrHours;
        byRole[role].second += amount;
    }
    for (const QString& role : order) {
        const QString event = c.writeRole(role, byRole[role].first, byRole[role].second, true);
        c.explain(event, QStringLiteral("DSR: horas extras/noturnas × %1 = %2 horas, valor %3")
                             .arg(share.text, law::Money(byRole[role].first), law::Money(byRole[role].second)));
    }
}

void VariablePayRest(EmployeeCalc& c) {
    if (c.totals.variablePay <= Fixed()) return;
    const RestShare share = restShare(c);
    if (share.work <= Fixed()) {
        c.ui().log(QStringLiteral("Horas do mês da filial não informadas: DSR não calculado (funcionário %1)").arg(c.code));
        return;
    }
    const Fixed amount = RoundValue(2, c.totals.variablePay * share.rest / share.work);
    const QString event = c.writeRole(QStringLiteral("079"), Fixed(), amount, true);
    c.explain(event, QStringLiteral("DSR sobre variáveis: %1 × %2 = %3").arg(law::Money(c.totals.variablePay), share.text, law::Money(amount)));
}

void Dues(EmployeeCalc& c) {
    const Record& branch = c.run().branch;
    if (sheetIs(c, "F") && !c.roleEvent(QStringLiteral("069")).isEmpty()) {
        const Fixed amount = branch.integer("TIPOASS") == 0
                                 ? branch.number("V_ASSOCIAC")
                                 : RoundValue(2, roleMultiplier(c, QStringLiteral("069")) * c.referenceSalary);
        c.writeRole(QStringLiteral("069"), Fixed(), amount, true);
    }
    if (!c.roleEvent(QStringLiteral("072")).isEmpty() && branch.integer("TIPODIS") > 0)
        c.writeRole(QStringLiteral("072"), Fixed(),
                    RoundValue(2, roleMultiplier(c, QStringLiteral("072")) * c.referenceSalary), true);
}

void UnionAgreementAndFixedEvents(EmployeeCalc& c) {
    const QString agreement = EventOfNumber(c.unionAgreement);
    if (!agreement.isEmpty()) c.writeCode(agreement, Fixed(), RoundValue(2, c.multiplierOf(agreement) * c.referenceSalary), true);
    for (int n : c.fixedEvents) {
        const QString event = EventOfNumber(n);
        if (!event.isEmpty()) c.writeCode(event, Fixed(), fixedEventAmount(c, c.multiplierOf(event), c.referenceSalary), true);
    }
}

void Hazard(EmployeeCalc& c) {
    if (c.periculos <= 0) return;
    static const char* roles[7] = {nullptr, "042", "063", "064", "065", "095", "096"};
    for (int k = 1; k <= 6; ++k) {
        const Fixed base = c.totals.hazardBase[size_t(k)];
        if (base <= Fixed()) continue;
        if (k == 3 && sheetIs(c, "F")) continue;
        const QString role = QLatin1String(roles[k]);
        c.writeRole(role, Fixed(), RoundValue(2, roleMultiplier(c, role) * base), true);
    }
}

void VacationThird(EmployeeCalc& c) {
    auto third = [&](Fixed total, const char* role) {
        if (total > Fixed()) c.writeRole(QLatin1String(role), Fixed(), RoundValue(2, total / 3), true);
    };
    third(c.totals.vacationDue, "009");
    third(c.totals.vacationProportional, "010");
    if (!sheetIs(c, "F")) third(c.totals.vacationNormal, "041");
    if (sheetIs(c, "I")) third(c.totals.thirteenth, "074");
}

void AdvancePaid(EmployeeCalc& c) {
    if (!sheetIs(c, "F") || c.calculo != 1) return;
    if (auto advance = c.roleRow(c.run().period, QStringLiteral("A"), QStringLiteral("043")))
        c.writeRole(QStringLiteral("053"), Fixed(), advance->number("VALOR"), true);
}

void FamilyEvent(EmployeeCalc& c) {
    const QString event = EventOfNumber(c.familyEvent);
    if (event.isEmpty()) return;
    c.writeCode(event, Fixed(), fixedEventAmount(c, c.multiplierOf(event), c.totals.inssBase - c.inssAmount), true);
}

void CarriedBalances(EmployeeCalc& c) {
    const RunValues& run = c.run();
    if (c.condicao == 1) {
        // Last month's debt and roundings come back as deductions.
        const Fixed debt = valueOf(c, run.previousPeriod, run.sheet, QStringLiteral("023"));
        if (debt > Fixed()) c.writeRole(QStringLiteral("022"), Fixed(), debt, true);
        if (sheetIs(c, "F")) {
            const Fixed advanceRounding = valueOf(c, run.period, QStringLiteral("A"), QStringLiteral("025"));
            if (advanceRounding > Fixed()) c.writeRole(QStringLiteral("070"), Fixed(), advanceRounding, true);
        }
        if (sheetIs(c, "FD")) {
            const Fixed rounding = valueOf(c, run.previousPeriod, run.branch.text("TIPO_FOL").trimmed(), QStringLiteral("025"));
            if (rounding > Fixed()) c.writeRole(QStringLiteral("024"), Fixed(), rounding, true);
        }
    }
    if (c.totals.netPay < Fixed())
        c.writeRole(QStringLiteral("023"), Fixed(), Fixed() - c.totals.netPay + c.familyAllowanceAmount, true);
}

Fixed NetRoundingAmount(Fixed net, Fixed step) {
    if (step <= Fixed() || net <= Fixed()) return Fixed();
    const Ratio q = net / step;
    const int64_t whole = int64_t(q.num() / q.den());
    if (Ratio::fromInt(whole) == q) return Fixed(); // already a multiple
    return RoundValue(2, step * whole) + step - net;
}

void NetRounding(EmployeeCalc& c) {
    if (!sheetIs(c, "AFD") || c.leaving.isValid()) return;
    const Fixed amount = NetRoundingAmount(c.totals.netPay, c.run().netRoundingStep);
    if (amount > Fixed()) c.writeRole(QStringLiteral("025"), Fixed(), amount, true);
}

} // namespace folha::payroll
