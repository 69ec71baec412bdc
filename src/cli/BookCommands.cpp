// The payroll book from the command line, to a text, HTML, PDF or
// spreadsheet file, with every input of the desktop screen.
#include "Cli.h"

#include "PayrollBook.h"
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

    const QString format = c.requireOption("--format").toLower();
    static const QStringList formats{"txt", "pdf", "html", "xlsx"};
    if (!formats.contains(format))
        throw CliError{QStringLiteral("Formato inválido: %1 (use txt, pdf, html ou xlsx)")
                           .arg(c.args.value("--format"))};
    const QString output = c.requireOption("--output");
    int lines = 0;
    if (c.args.has("--lines")) {
        bool ok = false;
        lines = c.args.value("--lines").toInt(&ok);
        if (!ok || lines < 1 || lines > 999)
            throw CliError{
                QStringLiteral("Linhas por página inválidas: %1 (de 1 a 999)").arg(c.args.value("--lines"))};
    }

    const CompanyRow company = c.openCompany();
    const QString branch = c.branchCode();
    c.session().signIn.CurrentCompanyCode = company.code;
    c.session().signIn.CurrentBranchCodeText = branch;
    c.session().signIn.CurrentBranchCode = branch.toInt();
    options.branchCode = branch;

    PrintSettings settings;
    settings.density = c.args.has("--normal") ? DensityNormal : DensityCondensed;
    settings.orientation = c.args.has("--portrait") ? QStringLiteral("R") : QStringLiteral("P");
    if (format == QLatin1String("pdf")) {
        settings.mode = PrintMode::Graphic;
        settings.destination = PrintDestination::Pdf;
        settings.linesPerPage =
            ProposedLinesPerPage(PrintMode::Graphic, settings.condensed(), settings.portrait());
    } else {
        settings.mode = PrintMode::Text;
        settings.linesPerPage =
            ProposedLinesPerPage(PrintMode::Text, settings.condensed(), settings.portrait());
        settings.destination = format == QLatin1String("html")   ? PrintDestination::Browser
                               : format == QLatin1String("xlsx") ? PrintDestination::Excel
                                                                 : PrintDestination::Preview;
    }
    if (lines > 0) settings.linesPerPage = lines;
    settings = ConfirmPrintSettings(settings);

    if (!c.ui().question(QStringLiteral("Confirma Emissao"))) {
        c.out << QStringLiteral("Relatório não emitido.") << Qt::endl;
        return 1;
    }

    ReportRequest request;
    request.info = {PayrollBookTitle.trimmed(), PayrollBookScreen};
    request.width = PayrollBookWidth;
    request.pdfPath = QFileInfo(output).absoluteFilePath();
    PayrollBookResult book;
    const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
        book = ComposePayrollBook(c.session(), c.ui(), options, report);
        return !book.cancelled;
    });

    auto copyOut = [&](const QString& from) {
        QFile::remove(output);
        if (!QFile::copy(from, output))
            throw UserError(QStringLiteral("Não foi possível gravar %1").arg(output));
    };
    if (format == QLatin1String("txt")) {
        copyOut(result.reportFile);
    } else if (format == QLatin1String("html")) {
        copyOut(result.htmlFile);
        QFile::remove(result.htmlFile);
    } else if (format == QLatin1String("xlsx")) {
        XlsxExportOptions xlsx;
        xlsx.titles = ReadRememberedTitles(c.session().installation(), PayrollBookScreen);
        if (xlsx.titles.isEmpty()) xlsx.titles = PayrollBookTitlesLine();
        xlsx.keepHeader = true;
        WriteXlsx(result.reportFile, output, xlsx, c.ui());
    }
    if (!result.reportFile.isEmpty()) QFile::remove(result.reportFile);
    c.out << QStringLiteral("Folha de pagamento: %1 funcionário(s), %2 página(s) em %3")
                 .arg(book.employees)
                 .arg(result.pages)
                 .arg(output)
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
