// The vacation calculation.
#include "Vacation.h"

#include "TextRoutines.h"

namespace folha::leave {

namespace {

const Ratio twoAndAHalf = Ratio::of(5, 2);

Fixed AveragingDays(int days) { return RoundValue(2, Ratio::fromInt(days) / twoAndAHalf * 30); }

} // namespace

VacationCalc::Quantities VacationCalc::QuantitiesOf(int weeklyHours, const QString& meioDia, const QDate& enjoyFirst,
                                                    const QDate& enjoyLast, const QDate& allowanceFirst,
                                                    const QDate& allowanceLast) {
    Quantities q;
    const QString half = meioDia.trimmed().toUpper();
    q.days = int(enjoyFirst.daysTo(enjoyLast)) + 1;
    q.averagingDays = AveragingDays(q.days);
    q.hours = HoursOfDays(weeklyHours, Ratio::fromInt(q.days));
    // A half day of vacation ("F") or of allowance ("A") takes its hours off.
    if (half == QLatin1String("F")) q.hours = RoundValue(2, q.hours - *Fixed::parse(QStringLiteral("3.667")));
    if (allowanceLast.isValid() && allowanceFirst.isValid()) {
        q.allowanceDays = int(allowanceFirst.daysTo(allowanceLast)) + 1;
        q.averagingDays = AveragingDays(q.days + q.allowanceDays);
        q.allowanceHours = HoursOfDays(weeklyHours, Ratio::fromInt(q.allowanceDays));
        if (half == QLatin1String("A")) q.allowanceHours = RoundValue(2, q.allowanceHours - *Fixed::parse(QStringLiteral("3.677")));
    }
    return q;
}

LeaveWriter::Style VacationCalc::style() const {
    LeaveWriter::Style s;
    s.carryVacationDates = true;
    return s;
}

bool VacationCalc::calculate(const Record& e, LeaveWriter& w) {
    if (e.integer("CALCULO") != 1) return false;
    const QDate acquisitionFirst = e.date("DT_INIFERI");
    const QDate acquisitionLast = e.date("DT_FINFERI");
    if (!acquisitionFirst.isValid() || !acquisitionLast.isValid()) return false;
    const QString code = e.text("CODFUN");
    const QDate enjoyFirst = e.date("DT_IGOZFER"), enjoyLast = e.date("DT_FGOZFER");
    if (!enjoyFirst.isValid() || !enjoyLast.isValid() || enjoyLast < enjoyFirst) {
        ui_.log(QStringLiteral("Período de gozo das férias não informado ou errado: funcionário %1").arg(code));
        return false;
    }
    const QDate allowanceFirst = e.date("DT_IABOFER"), allowanceLast = e.date("DT_FABOFER");
    if (allowanceLast.isValid() && (!allowanceFirst.isValid() || allowanceLast < allowanceFirst)) {
        ui_.log(QStringLiteral("Período do abono pecuniário errado: funcionário %1").arg(code));
        return false;
    }
    const Quantities q = QuantitiesOf(e.integer("HR_SEMAN"), e.text("MEIO_DIA"), enjoyFirst, enjoyLast, allowanceFirst, allowanceLast);

    w.ownRoles({QStringLiteral("051"), QStringLiteral("068"), QStringLiteral("551"), QStringLiteral("552"),
                QStringLiteral("553"), QStringLiteral("554"), QStringLiteral("555"), QStringLiteral("201"),
                QStringLiteral("202"), QStringLiteral("751"), QStringLiteral("752")});

    const bool hasHours = q.hours > Fixed();
    if (q.allowanceHours > Fixed()) w.write(QStringLiteral("068"), q.allowanceHours, Fixed(), {}, true);

    // The windows summed below, read together.
    const QString windowStart = MonthOf(acquisitionLast.addDays(-q.averagingDays.truncated()));
    const QString first = MonthOf(acquisitionFirst), last = MonthOf(acquisitionLast);
    const QString commissionFirst = MonthOf(acquisitionLast.addDays(-int64_t(months_) * 29));
    std::vector<LeaveWriter::Window> windows{{CommissionRoles(), QStringLiteral("F"), commissionFirst}};
    if (hasHours) {
        windows.push_back({{QStringLiteral("054")}, QStringLiteral("I"), windowStart});
        windows.push_back({HoursAndAmountRoles(), QStringLiteral("F"), first});
    }
    w.expect(std::move(windows));

    // Absences of the sheet "I" rows since the start of the averaging days
    // take days off the vacation by the bands of tables "31" to "34".
    Fixed lostHours;
    if (hasHours) {
        if (auto absences = w.sums(QStringLiteral("054"), QStringLiteral("I"), windowStart, period_);
            absences && absences->refer > Fixed()) {
            Fixed daysLost;
            const auto& bands = tables_->tabelas;
            for (auto it = bands.lower_bound(QStringLiteral("31")); it != bands.end() && it->first < QLatin1String("35"); ++it) {
                const Record& band = it->second;
                if (band.number("COL1_TAB") <= absences->refer && absences->refer <= band.number("COL2_TAB"))
                    daysLost = band.number("COL3_TAB");
            }
            lostHours = RoundValue(2, *Fixed::parse(QStringLiteral("7.3334")) * daysLost);
        }
        // The vacation row carries the hours left after the absences.
        const Fixed reduced = q.hours - lostHours;
        if (reduced > Fixed()) w.write(QStringLiteral("051"), reduced, Fixed());
    }

    // Hours (601 to 605) and amounts (701, 702) of the acquisition period, read together.
    std::vector<std::optional<RowSums>> sums;
    if (hasHours) {
        sums = w.sums(HoursAndAmountRoles(), QStringLiteral("F"), first, last);
        static const char* const hours[] = {"551", "552", "553", "554", "555"};
        for (size_t i = 0; i < 5; ++i)
            if (const auto& s = sums[i]; s && s->refer > Fixed()) w.write(QLatin1String(hours[i]), RoundValue(5, s->refer / 12), Fixed());
    }
    // Commissions: the months before the end of the acquisition period.
    const auto commissions = w.sums(CommissionRoles(), QStringLiteral("F"), commissionFirst, PreviousMonth(last));
    for (const auto& [s, target] : {std::pair{commissions[0], "201"}, std::pair{commissions[1], "202"}})
        if (s && s->valor > Fixed()) w.write(QLatin1String(target), Fixed(), RoundValue(2, s->valor / months_));
    if (hasHours) {
        if (const auto& s = sums[5]; s && s->valor > Fixed()) w.write(QStringLiteral("751"), Fixed(), RoundValue(2, s->valor / 12));
        if (const auto& s = sums[6]; s && s->valor > Fixed()) w.write(QStringLiteral("752"), Fixed(), RoundValue(5, s->valor / 12));
    }
    return true;
}

} // namespace folha::leave
