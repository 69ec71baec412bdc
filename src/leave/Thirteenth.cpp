// The 13th salary calculation.
#include "Thirteenth.h"

namespace folha::leave {

int ThirteenthCalc::MonthsOfYear(const QDate& admission, const QDate& payrollDate) {
    if (admission < QDate(payrollDate.year(), 1, 1)) return 12;
    return (12 - admission.month()) + (AdmissionMonthCounts(admission) ? 1 : 0);
}

bool ThirteenthCalc::calculate(const Record& e, LeaveWriter& w) {
    const QDate admission = e.date("DT_ADMIS");
    if (!admission.isValid()) {
        ui_.log(QStringLiteral("Data de admissão não informada: funcionário %1").arg(e.text("CODFUN")));
        return false;
    }
    w.ownRoles({QStringLiteral("052"), QStringLiteral("561"), QStringLiteral("562"), QStringLiteral("563"),
                QStringLiteral("564"), QStringLiteral("565"), QStringLiteral("781"), QStringLiteral("782"),
                QStringLiteral("203"), QStringLiteral("204"), QStringLiteral("066")});
    const int months = MonthsOfYear(admission, payrollDate_);
    const Fixed hours = HoursOfDays(e.integer("HR_SEMAN"), Ratio::of(5, 2) * months);
    const bool hasHours = hours > Fixed();
    if (hasHours) w.write(QStringLiteral("052"), hours, Fixed());

    // The months of the year already paid: January to the month before.
    const QString last = PreviousMonth(period_);
    const QString commissionFirst = MonthOf(payrollDate_.addDays(-31 - int64_t(months_) * 29));
    w.expect({{HoursAndAmountRoles(), QStringLiteral("F"), yearStart_},
              {CommissionRoles(), QStringLiteral("F"), commissionFirst},
              {{QStringLiteral("059")}, QStringLiteral("D"), yearStart_}});
    // Hours (601 to 605) and amounts (701, 702), read together.
    const auto sums = w.sums(HoursAndAmountRoles(), QStringLiteral("F"), yearStart_, last);
    auto hoursAverage = [&](size_t i, const char* target) {
        if (const auto& s = sums[i]; hasHours && s && s->refer > Fixed())
            w.write(QLatin1String(target), RoundValue(3, s->refer / 11), Fixed());
    };
    for (const auto& [i, target] : {std::pair{0, "561"}, std::pair{1, "562"}, std::pair{2, "563"}, std::pair{3, "564"}})
        hoursAverage(size_t(i), target);
    for (const auto& [i, target] : {std::pair{5, "781"}, std::pair{6, "782"}})
        if (const auto& s = sums[size_t(i)]; hasHours && s && s->valor > Fixed())
            w.write(QLatin1String(target), Fixed(), RoundValue(2, s->valor / 11));
    // Commissions up to the working month itself.
    const auto commissions = w.sums(CommissionRoles(), QStringLiteral("F"), commissionFirst, period_);
    for (const auto& [s, target] : {std::pair{commissions[0], "203"}, std::pair{commissions[1], "204"}})
        if (s && s->valor > Fixed()) w.write(QLatin1String(target), Fixed(), RoundValue(2, s->valor / months_));
    hoursAverage(4, "565");

    // The first instalment paid earlier in the year is deducted.
    if (const auto paid = w.sums(QStringLiteral("059"), QStringLiteral("D"), yearStart_, last); paid && paid->valor > Fixed())
        w.write(QStringLiteral("066"), paid->refer, paid->valor);
    return true;
}

} // namespace folha::leave
