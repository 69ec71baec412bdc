// Text reports from the command line: the register listings to a text,
// HTML, PDF or spreadsheet file.
#include "Cli.h"
#include "ReportOutput.h"

#include "EmployeeRegister.h"
#include "Listings.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "SystemFiles.h"
#include "XlsxExport.h"

#include <QFile>
#include <QFileInfo>

namespace folha::cli {

bool OrderByName(Context& c) {
    const QString order = c.args.value("--order", QStringLiteral("codigo")).trimmed().toLower();
    if (order == QLatin1String("nome") || order == QLatin1String("name")) return true;
    if (order == QLatin1String("codigo") || order == QStringLiteral("código") || order == QLatin1String("code")) return false;
    throw CliError{QStringLiteral("Ordem inválida: %1 (use codigo ou nome)").arg(c.args.value("--order"))};
}

int NothingSelected(Context& c, const QStringList& written, const QString& nothing) {
    for (const QString& file : written)
        if (!file.isEmpty()) QFile::remove(file);
    c.ui().message(MessageKind::Warning, nothing);
    return 1;
}

void CheckOutputPath(const QString& path, bool folder) {
    RefuseSystemOutput(path);
    const QFileInfo info(path);
    const QString dir = folder ? info.absoluteFilePath() : info.absolutePath();
    if (!QFileInfo(dir).isDir()) throw UserError(QStringLiteral("A pasta %1 não existe.").arg(dir));
}

ReportOutput ReadReportOutput(Context& c, const QStringList& formats, bool takesLines) {
    ReportOutput o;
    o.format = c.requireOption("--format").toLower();
    if (!formats.contains(o.format))
        throw CliError{QStringLiteral("Formato inválido: %1 (use %2 ou %3)")
                           .arg(c.args.value("--format"), formats.mid(0, formats.size() - 1).join(QStringLiteral(", ")),
                                formats.last())};
    o.output = c.requireOption("--output");
    CheckOutputPath(o.output);
    if (takesLines && c.args.has("--lines")) {
        bool ok = false;
        o.lines = c.args.value("--lines").toInt(&ok);
        if (!ok || o.lines < 1 || o.lines > 999)
            throw CliError{QStringLiteral("Linhas por página inválidas: %1 (de 1 a 999)").arg(c.args.value("--lines"))};
    }
    return o;
}

PrintSettings ReportPrintSettings(Context& c, const ReportOutput& o) {
    PrintSettings settings;
    settings.density = c.args.has("--normal") ? DensityNormal : DensityCondensed;
    settings.orientation = c.args.has("--portrait") ? QStringLiteral("R") : QStringLiteral("P");
    if (o.format == QLatin1String("pdf")) {
        settings.mode = PrintMode::Graphic;
        settings.destination = PrintDestination::Pdf;
    } else {
        settings.mode = PrintMode::Text;
        settings.destination = o.format == QLatin1String("html")   ? PrintDestination::Browser
                               : o.format == QLatin1String("xlsx") ? PrintDestination::Excel
                                                                   : PrintDestination::Preview;
    }
    settings.linesPerPage = ProposedLinesPerPage(settings.mode, settings.condensed(), settings.portrait());
    if (o.lines > 0) settings.linesPerPage = o.lines;
    return ConfirmPrintSettings(settings);
}

QString OpenReportCompany(Context& c) {
    const CompanyRow company = c.openCompany();
    const QString branch = c.branchCode();
    c.session().signIn.CurrentCompanyCode = company.code;
    c.session().signIn.CurrentBranchCodeText = branch;
    c.session().signIn.CurrentBranchCode = branch.toInt();
    return branch;
}

bool ConfirmEmission(Context& c, const QString& notDone) {
    if (c.ui().question(QStringLiteral("Confirma Emissao"))) return true;
    c.out << notDone << Qt::endl;
    return false;
}

void DeliverReport(Context& c, const ReportOutput& o, const ReportResult& result, const QString& screen,
                   const QString& titles, const ReportLayout& layout) {
    auto copyOut = [&](const QString& from) {
        QFile::remove(o.output);
        if (!QFile::copy(from, o.output)) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(o.output));
    };
    if (o.format == QLatin1String("txt")) {
        copyOut(result.reportFile);
    } else if (o.format == QLatin1String("html")) {
        copyOut(result.htmlFile);
        QFile::remove(result.htmlFile);
    } else if (o.format == QLatin1String("xlsx")) {
        XlsxExportOptions options;
        options.titles = ReadRememberedTitles(c.session().installation(), screen);
        if (options.titles.isEmpty()) options.titles = titles;
        options.keepHeader = true;
        options.layout = layout;
        WriteXlsx(result.reportFile, o.output, options, c.ui());
    }
    if (!result.reportFile.isEmpty()) QFile::remove(result.reportFile);
}

namespace {

int cmdReport(Context& c) {
    const QString name = c.args.positional.value(0);
    const ListingDef* def = FindListing(name);
    // The employee register sheet: one page per employee of a code range.
    const bool registerSheet = name.compare(QLatin1String("registro"), Qt::CaseInsensitive) == 0 ||
                               name.compare(EmployeeRegisterScreen, Qt::CaseInsensitive) == 0;
    if (!def && !registerSheet) {
        QStringList known;
        for (const ListingDef& d : Listings()) known << d.alias;
        known << QStringLiteral("registro");
        throw CliError{QStringLiteral("Relatório desconhecido: %1 (relatórios: %2)").arg(name, known.join(QStringLiteral(", ")))};
    }
    const bool byName = OrderByName(c);
    if (!registerSheet && def->rangeField.isEmpty() && (c.args.has("--from") || c.args.has("--to")))
        throw CliError{QStringLiteral("%1 não tem faixa de códigos (--from/--to)").arg(def->caption)};
    const ReportOutput out = ReadReportOutput(c, {"txt", "pdf", "html", "xlsx"});
    OpenReportCompany(c);
    const PrintSettings settings = ReportPrintSettings(c, out);
    if (!ConfirmEmission(c, QStringLiteral("Relatório não emitido."))) return 1;

    ReportRequest request;
    const QString caption = registerSheet ? EmployeeRegisterCaption : def->caption;
    const QString screen = registerSheet ? EmployeeRegisterScreen : def->screen;
    request.info = {caption, screen};
    request.width = registerSheet ? EmployeeRegisterWidth : def->width;
    request.pdfPath = QFileInfo(out.output).absoluteFilePath();
    const ListingOrder order = byName ? ListingOrder::Name : ListingOrder::Code;
    ListingResult listed;
    const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
        if (registerSheet) {
            EmployeeRegisterOptions options;
            options.first = c.args.value("--from");
            options.last = c.args.value("--to");
            options.order = order;
            listed = ComposeEmployeeRegister(c.session(), c.ui(), options, report);
        } else {
            listed = ComposeListing(c.session(), c.ui(), *def, order, report, {c.args.value("--from"), c.args.value("--to")});
        }
        return !listed.cancelled;
    });
    // No file stands for a listing of nothing.
    if (listed.rows == 0)
        return NothingSelected(c, {result.reportFile, result.htmlFile, result.pdfFile, out.output},
                               QStringLiteral("Nenhum registro a imprimir."));

    DeliverReport(c, out, result, screen, def ? ListingTitlesLine(*def) : QString(),
                  def ? ListingReportLayout(*def) : ReportLayout());
    c.out << QStringLiteral("%1: %2 registro(s), %3 página(s) em %4")
                 .arg(caption)
                 .arg(listed.rows)
                 .arg(result.pages)
                 .arg(out.output)
          << Qt::endl;
    return 0;
}

} // namespace

QList<Command> reportCommands() {
    return {
        {"report",
         "report \"NOME\" --company C [--branch B] [--order codigo|nome] [--from CODIGO] [--to CODIGO] --format txt|pdf|html|xlsx --output ARQUIVO "
         "[--lines N] [--normal] [--portrait] [--yes]",
         cmdReport},
    };
}

} // namespace folha::cli
