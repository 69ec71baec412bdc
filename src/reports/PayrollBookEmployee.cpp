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

void BookComposer::printEmployee(const Record& e, const std::vector<Record>& rows) {
    // The event lines of the three columns, and the employee's totals.
    QStringList earnings, deductions, bases;
    Fixed totalEarnings, totalDeductions;
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
        switch (info->kind) {
        case 1:
            earnings << code + QLatin1Char(' ') + Cut(info->name, 21) + QLatin1Char(' ') +
                            Money(reference, N92) + QLatin1Char(' ') + Money(value, N102);
            totalEarnings += value;
            summarise(&Gathered::earningsSummary);
            break;
        case 0:
            deductions << code + QLatin1Char(' ') + Cut(info->name, 21) + QLatin1Char(' ') +
                              Money(reference, N92) + QLatin1Char(' ') + Money(value, N102);
            totalDeductions += value;
            summarise(&Gathered::deductionsSummary);
            break;
        case 2:
            bases << code + QLatin1Char(' ') + Cut(info->name, 24) + QLatin1Char(' ') + Money(value, N92);
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
    const qsizetype eventLines = std::max({earnings.size(), deductions.size(), bases.size()});
    const qsizetype blockLines = 2 + (registration.isEmpty() ? 0 : 1) + eventLines;
    if (pageOpen_ && line_ + blockLines > lastLine_) newPage();
    const auto job = jobs_.constFind(e.integer(QStringLiteral("CARGO")));
    const QString centre = e.text(QStringLiteral("CENTCUSTO")).trimmed();
    int l = nextLine();
    report_.putText(l, 1, e.text(QStringLiteral("CODFUN")).trimmed());
    report_.putText(l, 8, e.text(QStringLiteral("NOME")).trimmed().left(42));
    report_.putText(l, 51, centre.left(14));
    report_.putText(l, 66, costCentres_.value(centre).left(31));
    report_.putText(l, 98, Money(e.number(QStringLiteral("VLR_SALAR")), N92));
    if (job != jobs_.constEnd()) {
        report_.putText(l, 109, job->name.left(21));
        report_.putText(l, 131, QString::number(job->retirement));
    }
    if (!registration.isEmpty()) {
        l = nextLine();
        report_.putText(l, 1, QStringLiteral("Nr. Inscricao INSS: ") + registration);
        report_.putText(
            l, 51, QStringLiteral("Classe Enquadramento: ") + e.text(QStringLiteral("CLAS_INSS")).trimmed());
        report_.putText(l, 91,
                        QStringLiteral("Vlr. Contribuicao: ") +
                            Money(e.number(QStringLiteral("VLRCONTINS")), N92).trimmed());
    }
    for (qsizetype i = 0; i < eventLines; ++i) {
        l = nextLine();
        if (i < earnings.size()) report_.putText(l, 1, earnings[i]);
        if (i < deductions.size()) report_.putText(l, 48, deductions[i]);
        if (i < bases.size()) report_.putText(l, 95, bases[i]);
    }
    const Fixed net = totalEarnings - totalDeductions;
    l = nextLine();
    report_.putText(l, 1, QStringLiteral("Total de Proventos.....          ") + Money(totalEarnings, N132));
    report_.putText(l, 48,
                    QStringLiteral("Total de Descontos.....          ") + Money(totalDeductions, N132));
    report_.putText(l, 95, QStringLiteral("Total Liquido..........  ") + Money(net, N132));
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
