#pragma once
// What the commands that print a text report share: the output options
// (--format, --output, --lines, --normal, --portrait), the company and
// branch the report is printed for, "Confirma Emissao", and putting the
// finished job into the output file.

#include "Cli.h"
#include "PrintSettings.h"
#include "ReportJob.h"
#include "XlsxExport.h"

namespace folha::cli {

struct ReportOutput {
    QString format; // one of the formats the command takes
    QString output; // --output
    int lines = 0;  // --lines; 0: the proposed lines per page
};

// An output file a job may write: its folder exists and it is no database
// or settings file of an installation (UserError otherwise). With `folder`,
// the path is a folder that receives the files and must exist itself.
void CheckOutputPath(const QString& path, bool folder = false);
// --order of a listing or document: "codigo" (the default) or "nome", the
// words every command's --order takes ("code" and "name" are read too, as
// scripts of earlier versions wrote them). True for the name order.
bool OrderByName(Context& c);
// Reads and checks the options before anything is opened.
ReportOutput ReadReportOutput(Context& c, const QStringList& formats, bool takesLines = true);
// The print settings of the options: condensed landscape unless --normal or
// --portrait say otherwise, PDF drawn graphic, the other formats as text.
PrintSettings ReportPrintSettings(Context& c, const ReportOutput& o);
// Opens --company and its branch and puts them into the session as the
// report screens find them. Returns the branch key.
QString OpenReportCompany(Context& c);
// Asks "Confirma Emissao"; No prints `notDone` and gives false.
bool ConfirmEmission(Context& c, const QString& notDone);
// A job that selected nothing leaves no file behind: the files it wrote
// (work files, the output, the PDF it drew) are removed, and `nothing` is
// said. The job fails (1).
int NothingSelected(Context& c, const QStringList& written, const QString& nothing);
// Puts the finished job into the output: the report file for "txt", the
// page for "html", the spreadsheet for "xlsx" (the titles remembered for
// `screen`, else `titles`; a report with a layout of its own is cut by
// it); the job's work files are removed.
void DeliverReport(Context& c, const ReportOutput& o, const ReportResult& result, const QString& screen,
                   const QString& titles, const ReportLayout& layout = {});

} // namespace folha::cli
