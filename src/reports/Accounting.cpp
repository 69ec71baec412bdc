#include "Accounting.h"

#include "DbError.h"
#include "Listings.h"
#include "PageSink.h"
#include "Registry.h"
#include "Table.h"
#include "TextRoutines.h"

#include <QFile>
#include <QSaveFile>

#include <map>
#include <tuple>

namespace folha {

namespace {

// The book composed for its figures only: its pages go nowhere.
class DiscardPages : public PageSink {
public:
    void page(const TextPage&) override {}
};

struct Accounts {
    QString debit, credit, history;
};

// The register's rows by item and centre ("*" for every centre).
QHash<QPair<QString, QString>, Accounts> readMap(Database& db) {
    QHash<QPair<QString, QString>, Accounts> map;
    db.ensureTable(Registry::instance().require(AccountingMapTable));
    Table(db, AccountingMapTable).forEach({}, {}, [&](const Record& r) {
        map.insert({r.text(QStringLiteral("ITEM")).trimmed(), r.text(QStringLiteral("CENTCUSTO")).trimmed()},
                   {r.text(QStringLiteral("CONTA_DEB")).trimmed(), r.text(QStringLiteral("CONTA_CRE")).trimmed(),
                    r.text(QStringLiteral("HISTORICO")).trimmed()});
        return true;
    });
    return map;
}

QString amountText(Fixed value) {
    // Two decimals, half away from zero, decimal comma, no grouping.
    const Fixed rounded = RoundValue(2, value);
    QString text = rounded.toString(2);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

AccountingResult BuildAccountingEntries(Database& db, UserInterface& ui, const AccountingOptions& options) {
    AccountingResult result;
    PayrollBookOptions book;
    book.branchCode = options.branchCode;
    book.competence = options.competence;
    book.sheet = options.sheet;
    DiscardPages nowhere;
    TextReport scratch(nowhere, PayrollBookWidth, 66);
    scratch.beginJob({PayrollBookTitle, PayrollBookScreen});
    const PayrollBookResult composed = ComposePayrollBook(db, ui, book, scratch);
    scratch.endJob();

    auto branch = Table(db, QStringLiteral("Filial")).find({options.branchCode});
    const QDate first = options.competence.isValid()
                            ? QDate(options.competence.year(), options.competence.month(), 1)
                            : QDate(branch->date(QStringLiteral("DATA_FOLHA")).year(),
                                    branch->date(QStringLiteral("DATA_FOLHA")).month(), 1);
    const QDate date = first.addMonths(1).addDays(-1);
    result.competence = CompetenceOfDate(first);
    result.sheet = options.sheet.isEmpty() ? branch->text(QStringLiteral("TIPO_FOL")).trimmed() : options.sheet;
    result.book = composed.general;
    result.employees = composed.employees;

    const auto map = readMap(db);
    const QString period = first.toString(QStringLiteral("MM/yyyy"));
    // The entries summed by debit, credit, centre and history.
    std::map<std::tuple<QString, QString, QString, QString>, Fixed> sums;
    auto post = [&](const QString& item, const QString& name, const QString& centre, Fixed amount) -> bool {
        if (amount.isZero()) return true;
        auto it = map.constFind({item, centre});
        if (it == map.constEnd()) it = map.constFind({item, AnyCostCentre});
        if (it == map.constEnd() || it->debit.isEmpty() || it->credit.isEmpty()) {
            result.unmapped.push_back({item, name, centre, amount});
            ui.message(MessageKind::Warning,
                       QStringLiteral("Sem conta contábil para %1 - %2%3: %4 fora dos lançamentos.")
                           .arg(item, name,
                                centre.isEmpty() ? QString() : QStringLiteral(" (centro de custo %1)").arg(centre),
                                FormatListValue(QVariant::fromValue(amount), QStringLiteral("%12.2n")).trimmed()));
            return false;
        }
        const QString history = (it->history.isEmpty() ? name : it->history) + QStringLiteral(" - FOLHA ") + period;
        QString debit = it->debit, credit = it->credit;
        if (amount < Fixed()) {
            std::swap(debit, credit);
            amount = -amount;
        }
        sums[{debit, credit, centre, history}] += amount;
        return true;
    };

    for (const auto& [key, total] : composed.eventTotals) {
        if (total.kind != 0 && total.kind != 1) continue; // bases and information are no money
        if (!post(total.code, total.name, total.costCentre, total.value)) continue;
        (total.kind == 1 ? result.earnings : result.deductions) += total.value;
    }
    const struct {
        const QString& item;
        QString name;
        Fixed amount;
    } charges[] = {
        {ChargeEmployer, QStringLiteral("INSS EMPRESA E RAT"), composed.general.inss.company},
        {ChargeThirdParties, QStringLiteral("INSS TERCEIROS"), composed.general.inss.entities},
        {ChargeFgts, QStringLiteral("FGTS"), composed.general.inss.fgts},
    };
    for (const auto& c : charges)
        if (post(c.item, c.name, QString(), c.amount)) result.charges += c.amount;

    for (const auto& [key, amount] : sums) {
        const auto& [debit, credit, centre, history] = key;
        result.entries.push_back({date, debit, credit, amount, history, centre});
        result.total += amount;
    }
    return result;
}

QByteArray AccountingCsv(const AccountingResult& result) {
    QString out = QStringLiteral("data;debito;credito;valor;historico;centro_custo\r\n");
    for (const AccountingEntry& e : result.entries)
        out += QStringList{e.date.toString(QStringLiteral("dd/MM/yyyy")), csvField(e.debit), csvField(e.credit),
                           amountText(e.amount), csvField(e.history), csvField(e.costCentre)}
                   .join(QLatin1Char(';')) +
               QStringLiteral("\r\n");
    return out.toUtf8();
}

void WriteAccountingCsv(const AccountingResult& result, const QString& path) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw UserError(QStringLiteral("Não foi possível gravar o arquivo %1").arg(path));
    f.write(AccountingCsv(result));
    if (!f.commit()) throw UserError(QStringLiteral("Não foi possível gravar o arquivo %1").arg(path));
}

void ComposeAccountingSummary(const AccountingResult& r, TextReport& report) {
    const QString subtitle = QStringLiteral("COMPETENCIA %1/%2 - FOLHA %3")
                                 .arg(r.competence.mid(4, 2), r.competence.left(4), r.sheet);
    auto money = [](Fixed v) { return FormatListValue(QVariant::fromValue(v), QStringLiteral("%16.2n")); };
    int line = 0;
    auto header = [&] {
        line = report.pageHeader(AccountingTitle, subtitle);
        ++line;
        report.putText(line, 1, QStringLiteral("DATA"));
        report.putText(line, 12, QStringLiteral("DEBITO"));
        report.putText(line, 33, QStringLiteral("CREDITO"));
        report.putText(line, 54, QStringLiteral("C.CUSTO"));
        report.putText(line, 65 + 16 - 5, QStringLiteral("VALOR"));
        report.putText(line, 83, QStringLiteral("HISTORICO"));
    };
    auto next = [&] {
        if (line + 1 > report.linesPerPage() - 2) {
            report.flushPage(line);
            header();
        }
        return ++line;
    };
    header();
    for (const AccountingEntry& e : r.entries) {
        const int l = next();
        report.putText(l, 1, e.date.toString(QStringLiteral("dd/MM/yyyy")));
        report.putText(l, 12, e.debit.left(20));
        report.putText(l, 33, e.credit.left(20));
        report.putText(l, 54, e.costCentre.left(10));
        report.putText(l, 65, money(e.amount));
        report.putText(l, 83, e.history.left(50));
    }
    next();
    auto total = [&](const QString& label, Fixed v) {
        const int l = next();
        report.putText(l, 1, label);
        report.putText(l, 65, money(v));
    };
    total(QStringLiteral("PROVENTOS LANCADOS"), r.earnings);
    total(QStringLiteral("DESCONTOS LANCADOS"), r.deductions);
    total(QStringLiteral("ENCARGOS (INSS EMPRESA/RAT, TERCEIROS, FGTS)"), r.charges);
    total(QStringLiteral("TOTAL A DEBITO"), r.total);
    total(QStringLiteral("TOTAL A CREDITO"), r.total);
    next();
    total(QStringLiteral("FOLHA: TOTAL DE PROVENTOS"), r.book.earnings);
    total(QStringLiteral("FOLHA: TOTAL DE DESCONTOS"), r.book.deductions);
    if (!r.unmapped.empty()) {
        next();
        report.putText(next(), 1, QStringLiteral("ITENS SEM CONTA CONTABIL (FORA DOS LANCAMENTOS):"));
        for (const UnmappedItem& u : r.unmapped) {
            const int l = next();
            report.putText(l, 1, u.item);
            report.putText(l, 6, u.name.left(40));
            report.putText(l, 54, u.costCentre.left(10));
            report.putText(l, 65, money(u.amount));
        }
    }
    report.flushPage(line);
}

} // namespace folha
