#include "PayrollBookComposer.h"

#include "TextRoutines.h"
#include "UserInterface.h"

#include <algorithm>

namespace folha::bookdetail {

bool BookComposer::pastFinal(const Record& e) const {
    if (o_.last.isEmpty()) return false;
    switch (o_.order) {
    case BookOrder::Code:
        return e.text(QStringLiteral("CODFUN")) > o_.last;
    case BookOrder::Name:
        return e.text(QStringLiteral("NOME")).left(o_.last.size()) > o_.last;
    case BookOrder::Cargo:
        return e.integer(QStringLiteral("CARGO")) > o_.last.toInt();
    }
    return false;
}

bool BookComposer::passes(const Record& e, std::optional<int> category) const {
    const int condition = e.integer(QStringLiteral("CONDICAO"));
    if (o_.status == BookStatus::Active && condition == 0) return false;
    if (o_.status == BookStatus::Inactive && condition == 1) return false;
    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    if (category) {
        if (vinculo != *category) return false;
    } else if (o_.categories.value(0) != 0 && !o_.categories.contains(vinculo)) {
        return false;
    }
    if (o_.retirementPercent != 99) {
        const auto job = jobs_.find(e.integer(QStringLiteral("CARGO")));
        if (job == jobs_.end() || job->retirement != o_.retirementPercent) return false;
    }
    return true;
}

// The social-security and FGTS amounts of one row, into the group's and
// the book's figures.
void BookComposer::gather(const Record& e, const QString& code, Fixed value) {
    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    const auto role = [&](const char* r) {
        const auto it = roleEvent_.constFind(QLatin1String(r));
        return it != roleEvent_.constEnd() && *it == code;
    };
    auto both = [&](auto apply) {
        apply(group_);
        apply(general_);
    };
    if ((role("013") || role("015")) && vinculo != 11 && vinculo != 13) {
        const auto job = jobs_.constFind(e.integer(QStringLiteral("CARGO")));
        const Fixed retirement = Fixed::fromInt(job != jobs_.constEnd() ? job->retirement : 0);
        const Fixed part = RoundValue(2, (employerRate_ + retirement) * value / 100);
        both([&](Gathered& g) {
            g.contribution += part;
            g.inssBase += value;
        });
    }
    if (role("012") || role("014")) both([&](Gathered& g) { g.insured += value; });
    if (role("011")) both([&](Gathered& g) { g.inssDeductions += value; });
    if (!maternityEvent_.isEmpty() && code == maternityEvent_ &&
        e.text(QStringLiteral("CAUS_RESC")).trimmed() == QLatin1String("Q1"))
        both([&](Gathered& g) { g.inssDeductions += value; });
    if (!birthAidEvent_.isEmpty() && code == birthAidEvent_)
        both([&](Gathered& g) { g.inssDeductions += value; });
    if (role("032")) both([&](Gathered& g) { g.fgtsAmount += value; });
    if (role("031")) both([&](Gathered& g) { g.fgtsBase += value; });
    const bool partner = (code == QLatin1String("905") && (vinculo == 5 || vinculo == 11 || vinculo == 13)) ||
                         (vinculo == 14 && (code == QLatin1String("912") || role("026")));
    if (partner) both([&](Gathered& g) { g.partnersBase += value; });
}

namespace {

// An event line's entry in one of the three columns.
struct EventEntry {
    QString code, name;
    Fixed reference, value;
};

} // namespace

void BookComposer::put(int line, const LayoutField& field, const QString& text) {
    // An amount is never cut: one beyond the field's room (above
    // 999.999.999,99) takes the room it needs.
    report_.putText(line, field.column, field.amount ? text : text.left(field.width));
}

void BookComposer::printEmployee(const Record& e, const std::vector<Record>& rows) {
    const PayrollBookLayout& lay = BookLayout();
    // The event lines of the three columns, and the employee's totals.
    std::vector<EventEntry> earnings, deductions, bases;
    Fixed totalEarnings, totalDeductions;
    const QString terminationNet = roleEvent_.value(QStringLiteral("055"));
    for (const Record& r : rows) {
        const QString code = r.text(QStringLiteral("HCODIGO")).trimmed();
        const Fixed value = r.number(QStringLiteral("VALOR"));
        if (value.isZero()) continue;
        gather(e, code, value);
        if (totalEvents_.contains(code)) continue;
        const auto info = events_.constFind(code);
        if (info == events_.constEnd()) {
            if (!unknownEvents_.contains(code)) {
                unknownEvents_.insert(code);
                ui_.log(QStringLiteral("Historico nao cadastrado %1").arg(code));
            }
            continue;
        }
        const Fixed reference = r.number(QStringLiteral("REFER"));
        auto summarise = [&](SummaryColumn Gathered::*column) {
            (group_.*column).add(code, info->name, reference, value);
            (general_.*column).add(code, info->name, reference, value);
        };
        // The termination's net, paid in the termination, is a deduction of
        // the month whatever the event's kind: the month's stored totals
        // (and the pay statement) count it so.
        const int kind = !terminationNet.isEmpty() && code == terminationNet ? 0 : info->kind;
        if (kind >= 0 && kind <= 2) {
            const QString centre = e.text(QStringLiteral("CENTCUSTO")).trimmed();
            BookEventTotal& total = result_.eventTotals[{code, centre}];
            if (total.code.isEmpty()) total = {code, info->name, centre, kind, Fixed()};
            total.value += value;
        }
        switch (kind) {
        case 1:
            earnings.push_back({code, info->name, reference, value});
            totalEarnings += value;
            summarise(&Gathered::earningsSummary);
            break;
        case 0:
            deductions.push_back({code, info->name, reference, value});
            totalDeductions += value;
            summarise(&Gathered::deductionsSummary);
            break;
        case 2:
            bases.push_back({code, info->name, reference, value});
            summarise(&Gathered::basesSummary);
            break;
        default:
            break;
        }
    }

    // The employee line, and his INSS registration when he has one. A block
    // that would not fit in what is left of the page starts the next one
    // (a block longer than a page runs on).
    const QString registration = e.text(QStringLiteral("NR_INSS")).trimmed();
    const size_t eventLines = std::max({earnings.size(), deductions.size(), bases.size()});
    const qsizetype blockLines = 2 + (registration.isEmpty() ? 0 : 1) + qsizetype(eventLines);
    if (pageOpen_ && line_ + blockLines > lastLine_) newPage();
    const auto job = jobs_.constFind(e.integer(QStringLiteral("CARGO")));
    const QString centre = e.text(QStringLiteral("CENTCUSTO")).trimmed();
    int l = nextLine();
    put(l, lay.code, e.text(QStringLiteral("CODFUN")).trimmed());
    put(l, lay.name, e.text(QStringLiteral("NOME")).trimmed());
    put(l, lay.centre, centre);
    put(l, lay.centreName, costCentres_.value(centre));
    put(l, lay.salary, Money(e.number(QStringLiteral("VLR_SALAR")), lay.salary));
    if (job != jobs_.constEnd()) {
        put(l, lay.job, job->name);
        put(l, lay.retirement, QString::number(job->retirement).rightJustified(lay.retirement.width));
    }
    if (!registration.isEmpty()) {
        l = nextLine();
        put(l, lay.registrationLabel, lay.registrationLabel.title);
        put(l, lay.registration, registration);
        put(l, lay.classLabel, lay.classLabel.title);
        put(l, lay.insuranceClass, e.text(QStringLiteral("CLAS_INSS")).trimmed());
        put(l, lay.contributionLabel, lay.contributionLabel.title);
        put(l, lay.contribution, Money(e.number(QStringLiteral("VLRCONTINS")), lay.contribution));
    }
    auto putEntry = [&](int line, const BookEventColumn& column, const EventEntry& entry) {
        put(line, column.code, entry.code);
        put(line, column.name, entry.name);
        if (column.reference.width > 0) put(line, column.reference, Money(entry.reference, column.reference));
        put(line, column.value, Money(entry.value, column.value));
    };
    for (size_t i = 0; i < eventLines; ++i) {
        l = nextLine();
        if (i < earnings.size()) putEntry(l, lay.earnings, earnings[i]);
        if (i < deductions.size()) putEntry(l, lay.deductions, deductions[i]);
        if (i < bases.size()) putEntry(l, lay.bases, bases[i]);
    }
    const Fixed net = totalEarnings - totalDeductions;
    l = nextLine();
    put(l, lay.earningsTotalLabel, lay.earningsTotalLabel.title);
    put(l, lay.earnings.value, Money(totalEarnings, lay.earnings.value));
    put(l, lay.deductionsTotalLabel, lay.deductionsTotalLabel.title);
    put(l, lay.deductions.value, Money(totalDeductions, lay.deductions.value));
    put(l, lay.netLabel, lay.netLabel.title);
    put(l, lay.bases.value, Money(net, lay.bases.value));
    nextLine(); // a blank line between employees

    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    const bool insured = vinculo == 1 || vinculo == 3 || vinculo == 4;
    for (Gathered* g : {&group_, &general_}) {
        g->earnings += totalEarnings;
        g->deductions += totalDeductions;
        ++g->printed;
        if (insured) ++g->insuredCount;
    }
    ++result_.employees;
}

} // namespace folha::bookdetail
