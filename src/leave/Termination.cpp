// The termination calculation.
#include "Termination.h"

#include "LawRules.h"
#include "TextRoutines.h"

namespace folha::leave {

namespace {

const Ratio twoAndAHalf = Ratio::of(5, 2);
bool flagged(const Record& e, const char* field) { return e.text(QLatin1String(field)).trimmed().toUpper() == QLatin1String("S"); }

} // namespace

int TerminationCalc::ThirteenthMonths(const QDate& admission, const QDate& leaving, const QDate& payrollDate) {
    const QDate yearStart(payrollDate.year(), 1, 1);
    const QDate start = admission.isValid() && admission > yearStart ? admission : yearStart;
    if (start.daysTo(leaving) + 1 < 15) return 0;
    const int admissionFlag = (!admission.isValid() || admission < yearStart || AdmissionMonthCounts(admission)) ? 1 : 0;
    const int leavingFlag = leaving.day() < 15 ? -1 : 0; // the leaving month counts from the 15th
    return (leaving.month() - start.month()) + admissionFlag + leavingFlag;
}

int TerminationCalc::VacationMonths(const QDate& start, const QDate& leaving, bool noticeThirteenth) {
    int months = 0;
    if (start.daysTo(leaving) + 1 >= 15)
        months = int(RoundValue(0, Ratio::fromInt(start.daysTo(leaving)) / *Fixed::parse(QStringLiteral("30.41"))).truncated());
    return noticeThirteenth ? months + 1 : months;
}

void TerminationCalc::range(const LeaveOptions& o, QString& first, QString& last) {
    // Both codes are brought to six characters; an empty one leaves its end open.
    if (!o.firstEmployee.trimmed().isEmpty()) first = PadLeft(o.firstEmployee.trimmed(), 6, QChar('0'));
    if (!o.lastEmployee.trimmed().isEmpty()) last = PadLeft(o.lastEmployee.trimmed(), 6, QChar('0'));
    explicitRange_ = !first.isEmpty() || !last.isEmpty();
}

LeaveWriter::Style TerminationCalc::style() const {
    LeaveWriter::Style s;
    s.setCostCentre = true;
    return s;
}

QString TerminationCalc::commissionFirst() const { return MonthOf(payrollDate_.addDays(-int64_t(months_) * 29)); }

void TerminationCalc::averages(LeaveWriter& w, const Group& g, const QString& first, const QString& end) {
    const QString last = PreviousMonth(end);
    // Hours (601 to 605) and amounts (701, 702) over the same months, read together.
    const auto sums = w.sums(HoursAndAmountRoles(), QStringLiteral("F"), first, last);
    auto hours = [&](int i) {
        const auto& s = sums[size_t(i)];
        if (!s || s->refer <= Fixed()) return;
        const Fixed average = g.twice ? RoundValue(3, RoundValue(4, s->refer / 12) / 12) : RoundValue(3, s->refer / 12);
        w.write(QLatin1String(g.hours[i]), average, Fixed());
    };
    for (int i = 0; i < 4; ++i) hours(i);
    for (int i = 0; i < 2; ++i)
        if (const auto& s = sums[size_t(5 + i)]; s && s->valor > Fixed())
            w.write(QLatin1String(g.amounts[i]), Fixed(), RoundValue(2, s->valor / 12));
    if (g.commissions[0] && months_ > 0) {
        const auto commissions = w.sums(CommissionRoles(), QStringLiteral("F"), commissionFirst(), end);
        for (int i = 0; i < 2; ++i)
            if (const auto& s = commissions[size_t(i)]; s && s->valor > Fixed())
                w.write(QLatin1String(g.commissions[i]), Fixed(), RoundValue(2, s->valor / months_));
    }
    hours(4);
}

bool TerminationCalc::calculate(const Record& e, LeaveWriter& w) {
    const QString code = e.text("CODFUN");
    const QDate leaving = e.date("DT_AFAST");
    if (MonthOf(leaving) != period_) {
        // Without a range, an employee who is not leaving this month is simply not one of them.
        if (explicitRange_)
            ui_.message(MessageKind::Warning, QStringLiteral("Data de afastamento errada: ") + code);
        return false;
    }
    const int weekly = e.integer("HR_SEMAN");
    const QDate admission = e.date("DT_ADMIS");
    const bool notice13 = flagged(e, "FLAG_13I");
    const bool thirteenth = flagged(e, "FLAG_13");
    w.ownRoles({QStringLiteral("081"), QStringLiteral("061"), QStringLiteral("045"), QStringLiteral("046"),
                QStringLiteral("047"), QStringLiteral("048"), QStringLiteral("066")});
    {
        QStringList averageRoles;
        for (int block : {500, 510, 520, 530, 540})
            for (int i = 1; i <= 5; ++i) averageRoles << QString::number(block + i);
        for (int i = 761; i <= 770; ++i) averageRoles << QString::number(i);
        for (int i = 101; i <= 108; ++i) averageRoles << QString::number(i);
        w.ownRoles(averageRoles);
    }
    const Fixed thirtyDays = HoursOfDays(weekly, twoAndAHalf * 12);
    // The notice: 30 days, or under the corrected rules 30 plus 3 per full
    // year of service up to 90 (Lei 12.506/2011); an indemnified notice
    // projects the contract's end for the 13th salary and the vacation.
    const bool corrected = law::RulesFor(period_).corrected;
    const bool indemnifiedNotice = flagged(e, "FLAG_AVISO");
    const int noticeDays = corrected ? law::NoticeDays(admission, leaving) : 30;
    const Fixed noticeHours = corrected ? HoursOfDays(weekly, Ratio::fromInt(noticeDays)) : thirtyDays;
    const QDate projected = indemnifiedNotice ? leaving.addDays(noticeDays) : leaving;
    int noticeMonths13 = 1;
    if (corrected) {
        const QDate yearEnd(payrollDate_.year(), 12, 31);
        const int base = ThirteenthMonths(admission, leaving, payrollDate_);
        noticeMonths13 = std::max(0, ThirteenthMonths(admission, std::min(projected, yearEnd), payrollDate_) - base);
        // A notice shorter than the days left in the month still completes the month's twelfth.
        if (indemnifiedNotice && noticeMonths13 == 0 && leaving.day() < 15 && projected.day() >= 15) noticeMonths13 = 1;
    }

    // The first month each item's averages reach back to.
    QString noticeFirst = MonthOf(payrollDate_.addDays(-365));
    if (admission.isValid() && MonthOf(admission) > noticeFirst) noticeFirst = MonthOf(admission);
    const QDate acquisitionFirst = e.date("DT_INIFERI"), acquisitionLast = e.date("DT_FINFERI");
    const QDate proportionalStart = acquisitionLast.isValid() ? acquisitionLast : admission;
    // The windows the averages below sum, read together: hours and amounts
    // from the earliest of those an item flagged reaches back to, the
    // commissions and the first instalment.
    {
        QString earliest;
        auto reach = [&](const QString& month) {
            if (!month.isEmpty() && (earliest.isEmpty() || month < earliest)) earliest = month;
        };
        if (notice13 || thirteenth) reach(yearStart_);
        if (indemnifiedNotice) reach(noticeFirst);
        if (flagged(e, "FLAG_FERVC") && acquisitionFirst.isValid() && acquisitionLast.isValid())
            reach(MonthOf(acquisitionFirst));
        if (flagged(e, "FLAG_FERPR") && proportionalStart.isValid()) reach(MonthOf(proportionalStart));
        std::vector<LeaveWriter::Window> windows;
        if (!earliest.isEmpty()) windows.push_back({HoursAndAmountRoles(), QStringLiteral("F"), earliest});
        if (thirteenth) windows.push_back({{QStringLiteral("059")}, QStringLiteral("D"), yearStart_});
        if (months_ > 0) windows.push_back({CommissionRoles(), QStringLiteral("F"), commissionFirst()});
        w.expect(std::move(windows));
    }

    // Balance of salary: the days worked in the leaving month.
    const QDate monthStart(payrollDate_.year(), payrollDate_.month(), 1);
    const QDate balanceStart = admission.isValid() && admission > monthStart ? admission : monthStart;
    const Fixed balance = HoursOfDays(weekly, Ratio::fromInt(balanceStart.daysTo(leaving) + 1));
    if (flagged(e, "FLAG_SALDO") && balance > Fixed()) w.write(QStringLiteral("081"), balance, Fixed());

    // 13th salary on the notice period: one month.
    if (notice13 && noticeMonths13 > 0) {
        const Fixed h = HoursOfDays(weekly, twoAndAHalf * noticeMonths13);
        if (h > Fixed()) {
            w.write(QStringLiteral("061"), h, Fixed());
            averages(w, Group{{"501", "502", "503", "504", "505"}, {"761", "762"}, {nullptr, nullptr}, true}, yearStart_, period_);
        }
    }

    const QString last = PreviousMonth(period_);
    if (thirteenth) {
        const int months = ThirteenthMonths(admission, leaving, payrollDate_);
        const Fixed h = HoursOfDays(weekly, twoAndAHalf * months);
        if (h > Fixed()) w.write(QStringLiteral("045"), h, Fixed());
        // The first instalment paid earlier in the year is deducted.
        if (const auto paid = w.sums(QStringLiteral("059"), QStringLiteral("D"), yearStart_, last); paid && paid->valor > Fixed())
            w.write(QStringLiteral("066"), paid->refer, paid->valor, QStringLiteral("F"));
        if (h > Fixed())
            averages(w, Group{{"511", "512", "513", "514", "515"}, {"763", "764"}, {"107", "108"}}, yearStart_, period_);
    }

    if (indemnifiedNotice && noticeHours > Fixed()) {
        w.write(QStringLiteral("046"), noticeHours, Fixed());
        averages(w, Group{{"521", "522", "523", "524", "525"}, {"765", "766"}, {"105", "106"}}, noticeFirst, period_);
    }

    if (flagged(e, "FLAG_FERVC") && thirtyDays > Fixed()) {
        w.write(QStringLiteral("047"), thirtyDays, Fixed());
        if (acquisitionFirst.isValid() && acquisitionLast.isValid())
            averages(w, Group{{"531", "532", "533", "534", "535"}, {"767", "768"}, {"103", "104"}}, MonthOf(acquisitionFirst),
                     MonthOf(acquisitionLast));
    }

    if (flagged(e, "FLAG_FERPR")) {
        if (proportionalStart.isValid()) {
            const int months = corrected ? VacationMonths(proportionalStart, projected, false)
                                         : VacationMonths(proportionalStart, leaving, notice13);
            const Fixed h = HoursOfDays(weekly, twoAndAHalf * months);
            if (h > Fixed()) {
                w.write(QStringLiteral("048"), h, Fixed());
                averages(w, Group{{"541", "542", "543", "544", "545"}, {"769", "770"}, {"101", "102"}},
                         MonthOf(proportionalStart), period_);
            }
        } else {
            ui_.log(QStringLiteral("Férias proporcionais sem data de início: funcionário %1").arg(code));
        }
    }

    // A first instalment paid in the leaving month itself replaces the
    // deduction worked out above.
    if (thirteenth)
        if (const auto paid = w.sums(QStringLiteral("059"), QStringLiteral("D"), period_, period_); paid && paid->valor > Fixed())
            w.write(QStringLiteral("066"), paid->refer, paid->valor, QStringLiteral("F"));
    return true;
}

} // namespace folha::leave
