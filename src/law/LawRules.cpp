// The rules of each competence and the statutory amounts of the current law.
#include "LawRules.h"

#include "TypedInput.h"

#include <algorithm>

namespace folha::law {

CompetenceRules RulesFor(const QString& competence, const LawSettings& settings) {
    CompetenceRules r;
    r.competence = competence;
    r.currentTables = competence >= CurrentLawStart;
    r.corrected = r.currentTables || settings.correctOlder;
    return r;
}

QString Money(Fixed v) { return MoneyText(RoundValue(2, v)); }

QString Percent(Fixed rate) {
    QString t = rate.toString();
    if (t.endsWith(QLatin1String(".0"))) t.chop(2);
    return t.replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" %");
}

QString ValidityPeriod(const LegalRow& row) {
    if (row.end.isEmpty()) return QStringLiteral("a partir de %1").arg(CompetenceText(row.start));
    return QStringLiteral("%1 a %2").arg(CompetenceText(row.start), CompetenceText(row.end));
}

QString Validity(const LegalRow& row) { return QStringLiteral("%1, vigência %2").arg(row.source, ValidityPeriod(row)); }

Fixed CutToCent(Fixed base, Fixed ratePercent) {
    const Ratio percentUnits = base * ratePercent; // value × 100
    const Ratio::Int cents = percentUnits.num() / percentUnits.den();
    return Ratio::of(cents, 100).toFixedNearest();
}

EmployerRate EmployerRateOf(Fixed branchRate, Fixed fap) {
    const Fixed twenty = Fixed::fromInt(20);
    EmployerRate r;
    r.employer = std::min(branchRate, twenty);
    r.rat = branchRate - r.employer;
    r.fap = fap > Fixed() ? fap : Fixed::fromInt(1);
    r.ratFap = RoundValue(5, r.rat * r.fap);
    return r;
}

EmployerContribution EmployerContributionOn(const EmployerRate& rate, Fixed base) {
    EmployerContribution c;
    c.employer = RoundValue(2, base * rate.employer / 100);
    c.ratFap = RoundValue(2, base * rate.adjusted() / 100) - c.employer;
    return c;
}

namespace {

std::vector<LegalRow> required(const LegalTables& t, const QString& kind, const QString& competence) {
    auto rows = t.inForce(kind, competence);
    if (rows.empty())
        throw std::runtime_error(QStringLiteral("Nenhuma tabela %1 em vigor na competência %2: cadastre-a em Tabelas Legais.")
                                     .arg(kind, CompetenceText(competence))
                                     .toStdString());
    return rows;
}

} // namespace

Fixed InssCeiling(const LegalTables& t, const QString& competence) {
    const auto rows = t.inForce(QStringLiteral("INSS"), competence);
    return rows.empty() ? Fixed() : rows.back().limit;
}

Worked InssProgressive(const LegalTables& t, const QString& competence, Fixed base, const QString& label) {
    const auto rows = required(t, QStringLiteral("INSS"), competence);
    Worked w;
    QStringList parts;
    Fixed lower;
    for (const LegalRow& r : rows) {
        if (base <= lower) break;
        const Fixed upper = base < r.limit ? base : r.limit;
        const Fixed part = CutToCent(upper - lower, r.rate);
        w.amount += part;
        const QString span = lower.isZero() ? Money(upper) : QStringLiteral("(%1 - %2)").arg(Money(upper), Money(lower));
        parts << QStringLiteral("%1 × %2 = %3").arg(span, Percent(r.rate), Money(part));
        lower = r.limit;
    }
    w.trail = QStringLiteral("%1: %2 => %3").arg(label, parts.join(QStringLiteral(" + ")), Money(w.amount));
    if (base > rows.back().limit)
        w.trail += QStringLiteral(" (base %1 limitada ao teto %2)").arg(Money(base), Money(rows.back().limit));
    w.trail += QStringLiteral(" [%1]").arg(Validity(rows.front()));
    return w;
}

Worked IrrfOfBaseCurrent(const LegalTables& t, const QString& competence, Fixed base) {
    const auto rows = required(t, QStringLiteral("IRRF"), competence);
    Worked w;
    for (size_t i = 0; i < rows.size(); ++i) {
        const LegalRow& r = rows[i];
        const bool last = i + 1 == rows.size();
        if (!last && base > r.limit) continue;
        if (r.rate.isZero()) {
            w.trail = QStringLiteral("%1 até %2: isento").arg(Money(base), Money(r.limit));
            return w;
        }
        const Fixed gross = RoundValue(2, base * r.rate / 100);
        Fixed tax = gross - r.deduct;
        if (tax < Fixed()) tax = Fixed();
        w.amount = tax;
        w.trail = QStringLiteral("%1 × %2 = %3 - %4 = %5").arg(Money(base), Percent(r.rate), Money(gross), Money(r.deduct), Money(tax));
        return w;
    }
    return w;
}

IrrfResult IrrfCurrent(const LegalTables& t, const QString& competence, const IrrfInputs& in, const QString& label) {
    IrrfResult res;
    const auto table = required(t, QStringLiteral("IRRF"), competence);
    const auto perDependant = t.single(QStringLiteral("IRRFDEP"), competence);
    res.dependantDeduction = perDependant ? RoundValue(2, perDependant->value * int64_t(in.dependants)) : Fixed();
    const Fixed legalBase = in.income - in.inss - res.dependantDeduction;
    const Worked legal = IrrfOfBaseCurrent(t, competence, legalBase);
    QStringList trail;
    trail << QStringLiteral("%1: rendimento tributável %2").arg(label, Money(in.income));
    trail << QStringLiteral("deduções legais: %1 - %2 (INSS) - %3 (%4 dependente(s)) = %5; %6")
                 .arg(Money(in.income), Money(in.inss), Money(res.dependantDeduction))
                 .arg(in.dependants)
                 .arg(Money(legalBase), legal.trail);
    res.base = legalBase;
    Fixed tax = legal.amount;
    const auto simplified = in.simplifiedAllowed ? t.single(QStringLiteral("IRRFSIMPL"), competence) : std::nullopt;
    if (simplified) {
        const Fixed simplifiedBase = in.income - simplified->value;
        const Worked s = IrrfOfBaseCurrent(t, competence, simplifiedBase);
        trail << QStringLiteral("desconto simplificado: %1 - %2 = %3; %4")
                     .arg(Money(in.income), Money(simplified->value), Money(simplifiedBase), s.trail);
        if (s.amount < tax) {
            tax = s.amount;
            res.base = simplifiedBase;
            res.simplified = true;
            trail << QStringLiteral("o desconto simplificado dá o menor imposto");
        } else {
            trail << QStringLiteral("as deduções legais dão o menor imposto");
        }
    }
    trail << QStringLiteral("tabela: %1").arg(Validity(table.front()));
    const auto reduction = in.reductionAllowed ? t.inForce(QStringLiteral("IRRFREDUCAO"), competence) : std::vector<LegalRow>{};
    if (reduction.size() == 2 && tax > Fixed()) {
        Fixed r;
        if (in.income <= reduction[0].limit) {
            r = tax;
            trail << QStringLiteral("redução: rendimento até %1, imposto reduzido a zero").arg(Money(reduction[0].limit));
        } else if (in.income <= reduction[1].limit) {
            // The law's formula, 978,62 − 0,133145 × income, rounded once.
            const Ratio exact = Ratio(reduction[1].value) - in.income * reduction[1].rate / 100;
            r = exact.sign() > 0 ? RoundValue(2, exact) : Fixed();
            if (r > tax) r = tax;
            trail << QStringLiteral("redução: %1 - %2 × %3 = %4")
                         .arg(Money(reduction[1].value), Money(in.income), Percent(reduction[1].rate), Money(r));
        }
        if (!r.isZero()) {
            trail << QStringLiteral("%1 - %2 = %3 [%4]").arg(Money(tax), Money(r), Money(tax - r), Validity(reduction.front()));
            tax -= r;
            res.reduction = r;
        }
    }
    // Amounts up to 10,00 are not withheld (Lei 9.430/1996, art. 67).
    if (in.smallTaxWaived && tax > Fixed() && tax <= Fixed::fromInt(10)) {
        trail << QStringLiteral("%1 não é retido (até 10,00, Lei 9.430/1996, art. 67)").arg(Money(tax));
        tax = Fixed();
    }
    res.tax = tax;
    trail << QStringLiteral("IRRF => %1").arg(Money(tax));
    res.trail = trail.join(QStringLiteral("; "));
    return res;
}

int NoticeDays(const QDate& admission, const QDate& leaving) {
    if (!admission.isValid() || !leaving.isValid() || leaving < admission) return 30;
    int years = leaving.year() - admission.year();
    if (admission.addYears(years) > leaving) --years;
    return std::min(90, 30 + 3 * std::max(0, years));
}

QList<QDate> NationalHolidays(int year) {
    QList<QDate> days;
    const int fixed[][2] = {{1, 1}, {4, 21}, {5, 1}, {9, 7}, {10, 12}, {11, 2}, {11, 15}, {12, 25}};
    for (const auto& d : fixed) days << QDate(year, d[0], d[1]);
    if (year >= 2024) days << QDate(year, 11, 20); // Dia Nacional de Zumbi e da Consciência Negra
    std::sort(days.begin(), days.end());
    return days;
}

MonthDays DaysOfMonth(int year, int month, const QList<QDate>& holidays) {
    MonthDays m;
    const QDate first(year, month, 1);
    for (QDate d = first; d.month() == month; d = d.addDays(1)) {
        if (d.dayOfWeek() == Qt::Sunday || holidays.contains(d)) ++m.restDays;
        else ++m.workingDays;
    }
    return m;
}

} // namespace folha::law
