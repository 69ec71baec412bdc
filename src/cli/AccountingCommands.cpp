// accounting: the month's accounting entries of the payroll to a CSV file,
// and their printed summary to any report destination.
#include "Cli.h"
#include "ReportOutput.h"

#include "Accounting.h"
#include "ReportJob.h"
#include "TypedInput.h"

#include <QFileInfo>

namespace folha::cli {

namespace {

int cmdAccounting(Context& c) {
    const QString csv = c.requireOption("--output");
    CheckOutputPath(csv);
    AccountingOptions options;
    if (c.args.has("--competence")) options.competence = Typed([&] { return TypedCompetence(c.args.value("--competence")).firstDay(); });
    options.sheet = c.args.value("--sheet").trimmed().toUpper();
    std::optional<ReportOutput> summary;
    if (c.args.has("--summary")) {
        ReportOutput o;
        o.format = c.args.value("--format", QStringLiteral("txt")).toLower();
        if (!QStringList{"txt", "pdf", "html", "xlsx"}.contains(o.format))
            throw CliError{QStringLiteral("Formato inválido: %1 (use txt, pdf, html ou xlsx)").arg(o.format)};
        o.output = c.args.value("--summary");
        if (c.args.has("--lines")) {
            bool ok = false;
            o.lines = c.args.value("--lines").toInt(&ok);
            if (!ok || o.lines < 1 || o.lines > 999)
                throw CliError{QStringLiteral("Linhas por página inválidas: %1 (de 1 a 999)").arg(c.args.value("--lines"))};
        }
        CheckOutputPath(o.output);
        summary = o;
    } else if (c.args.has("--format")) {
        throw CliError{QStringLiteral("--format vale para o resumo: informe --summary ARQUIVO"), 2, true};
    }

    options.branchCode = OpenReportCompany(c);
    const AccountingResult r = BuildAccountingEntries(c.session().folha(), c.ui(), options);
    WriteAccountingCsv(r, csv);
    if (summary) {
        const PrintSettings settings = ReportPrintSettings(c, *summary);
        ReportRequest request;
        request.info = {AccountingTitle, AccountingScreen};
        request.width = AccountingWidth;
        request.pdfPath = QFileInfo(summary->output).absoluteFilePath();
        const ReportResult printed = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
            ComposeAccountingSummary(r, report);
            return true;
        });
        DeliverReport(c, *summary, printed, AccountingScreen, QString());
    }
    auto money = [](Fixed v) {
        QString t = RoundValue(2, v).toString(2);
        return t.replace(QLatin1Char('.'), QLatin1Char(','));
    };
    c.out << QStringLiteral("Lançamentos contábeis de %1/%2 (folha %3): %4 lançamento(s), total %5 "
                            "(proventos %6, descontos %7, encargos %8) em %9")
                 .arg(r.competence.mid(4, 2), r.competence.left(4), r.sheet)
                 .arg(r.entries.size())
                 .arg(money(r.total), money(r.earnings), money(r.deductions), money(r.charges), csv)
          << Qt::endl;
    if (!r.unmapped.empty()) {
        c.out << QStringLiteral("%1 item(ns) sem conta contábil ficaram fora dos lançamentos: cadastre-os em "
                                "Folha, Contas Contábeis.")
                     .arg(r.unmapped.size())
              << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace

QList<Command> accountingCommands() {
    return {
        {"accounting",
         "accounting --company C [--branch B] [--competence MM/AAAA] [--sheet F] --output ARQUIVO.csv "
         "[--summary ARQUIVO] [--format txt|pdf|html|xlsx] [--lines N] [--normal] [--portrait] [--yes]",
         cmdAccounting},
    };
}

} // namespace folha::cli
