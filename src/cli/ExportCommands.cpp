// export-xlsx: a text report file cut into the columns of a titles line
// and written as a spreadsheet.
#include "Cli.h"
#include "ReportOutput.h"
#include "SystemFiles.h"
#include "XlsxExport.h"

#include <QFileInfo>

namespace folha::cli {

namespace {

int cmdExportXlsx(Context& c) {
    const QString reportFile = c.args.positional.value(0);
    if (!QFileInfo(reportFile).isFile())
        throw CliError{QStringLiteral("Arquivo do relatório não encontrado: %1").arg(reportFile)};
    RefuseNonReportInput(reportFile);
    const QString output = c.requireOption("--output");
    CheckOutputPath(output);
    const QString reportName = c.args.value("--report");
    const Installation& installation = c.session().installation();

    XlsxExportOptions options;
    options.keepHeader = !c.args.has("--no-header");
    if (c.args.has("--titles"))
        options.titles = c.args.value("--titles");
    else if (!reportName.isEmpty())
        options.titles = ReadRememberedTitles(installation, reportName);
    if (options.titles.isEmpty())
        throw CliError{
            reportName.isEmpty()
                ? QStringLiteral("Informe os títulos das colunas (--titles) ou o relatório (--report).")
                : QStringLiteral(
                      "Não há títulos das colunas guardados para o relatório %1: informe --titles.")
                      .arg(reportName)};
    // The titles line is remembered for the next export of the report.
    if (!reportName.isEmpty()) SaveRememberedTitles(installation, reportName, options.titles);

    const int rows = WriteXlsx(reportFile, output, options, c.ui());
    if (rows < 0) {
        c.out << QStringLiteral("Exportação cancelada.") << Qt::endl;
        return 1;
    }
    c.out << output << Qt::endl;
    c.out << QStringLiteral("Linhas: %1").arg(rows) << Qt::endl;
    return 0;
}

} // namespace

QList<Command> exportCommands() {
    return {
        {"export-xlsx",
         "export-xlsx \"RELATORIO\" [--titles T] --output ARQUIVO [--no-header] [--report NOME]",
         cmdExportXlsx},
    };
}

} // namespace folha::cli
