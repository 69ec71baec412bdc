// The payroll book from the command line, to a text, HTML, PDF or
// spreadsheet file, with every input of the desktop screen.
#include "Cli.h"
#include "ReportOutput.h"

#include "PayrollBook.h"
#include "PayrollBookLayout.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "XlsxExport.h"

#include <QFile>
#include <QFileInfo>

namespace folha::cli {

namespace {

// The observations: the lines of a text file (at most 12).
QStringList ObservationLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw CliError(QStringLiteral("Não foi possível ler as observações em %1").arg(path));
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    return lines;
}

int cmdPayrollBook(Context& c) {
    PayrollBookInputs typed;
    typed.order = c.args.value("--order", typed.order);
    typed.first = c.args.value("--from");
    typed.last = c.args.value("--to");
    if (c.args.has("--categories")) {
        const QStringList given = c.args.value("--categories").split(QLatin1Char(','));
        typed.categories = given;
    }
    typed.retirementPercent = c.args.value("--retirement", typed.retirementPercent);
    typed.groupByCategory = c.args.has("--by-category");
    typed.status = c.args.value("--status", typed.status);
    typed.prolaborePercent = c.args.value("--prolabore-percent", typed.prolaborePercent);
    typed.prolaboreValue = c.args.value("--prolabore-value", typed.prolaboreValue);
    typed.otherDescription = c.args.value("--other-description", typed.otherDescription);
    typed.otherValue = c.args.value("--other-value", typed.otherValue);
    typed.otherOperation = c.args.value("--other-operation", typed.otherOperation);
    typed.interest = c.args.value("--interest", typed.interest);
    if (c.args.has("--observations")) typed.observations = ObservationLines(c.args.value("--observations"));
    PayrollBookOptions options = Typed([&] { return ReadPayrollBookInputs(typed); });

    const ReportOutput out = ReadReportOutput(c, {"txt", "pdf", "html", "xlsx"});
    options.branchCode = OpenReportCompany(c);
    const PrintSettings settings = ReportPrintSettings(c, out);
    if (!ConfirmEmission(c, QStringLiteral("Relatório não emitido."))) return 1;

    ReportRequest request;
    request.info = {PayrollBookTitle.trimmed(), PayrollBookScreen};
    request.width = PayrollBookWidth;
    request.pdfPath = QFileInfo(out.output).absoluteFilePath();
    PayrollBookResult book;
    const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
        book = ComposePayrollBook(c.session(), c.ui(), options, report);
        return !book.cancelled;
    });

    DeliverReport(c, out, result, PayrollBookScreen, PayrollBookTitlesLine(), PayrollBookReportLayout());
    c.out << QStringLiteral("Folha de pagamento: %1 funcionário(s), %2 página(s) em %3")
                 .arg(book.employees)
                 .arg(result.pages)
                 .arg(out.output)
          << Qt::endl;
    return 0;
}

} // namespace

QList<Command> bookCommands() {
    return {
        {"payroll-book",
         "payroll-book --company C [--branch B] [--order codigo|nome|cargo] [--from INICIAL] [--to FINAL] "
         "[--categories V1,V2,...] [--retirement PERC] [--by-category] [--status T|A|I] [--prolabore-percent "
         "P] "
         "[--prolabore-value V] [--other-description TEXTO] [--other-value V] [--other-operation S|D|N] "
         "[--interest V] [--observations ARQUIVO] --format txt|pdf|html|xlsx --output ARQUIVO [--lines N] "
         "[--normal] "
         "[--portrait] [--yes]",
         cmdPayrollBook},
    };
}

} // namespace folha::cli
