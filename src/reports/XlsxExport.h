#pragma once
// Spreadsheet export of a text report: the report file is cut into columns
// by a titles line in which "@" marks where a column ends, and written as
// an ".xlsx" workbook, every cell as text.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace folha {

class Installation;
class UserInterface;

struct XlsxColumn {
    QString title;    // the text between two "@", trimmed
    int position = 0; // 0-based position in the line of the text's first character
    int width = 0;    // the text's length before trimming
};

// The columns of a titles line; none when it holds no "@" or the first title
// is empty.
QList<XlsxColumn> ParseTitlesLine(const QString& titles);

// A line of a report file (Latin-1) as drawn: the printer codes (ESC and
// its letter, other characters below a blank) left out.
QString VisibleReportText(const QByteArray& bytes);

struct ReportPageText {
    QStringList header; // lines 1 to 6, or to the column titles after the dashes; trimmed, not empty
    QStringList body;   // the other lines, blank lines dropped
};
// The pages of a report file: a line holding the first header line
// (":FOLHA DE PAGAMENTO") starts a new page. Control characters are dropped.
QList<ReportPageText> SplitReportPages(const QString& reportFile);

// The remembered titles file of a report: the name without "/", "." and
// blanks, with ".cfg", in the export-configuration folder.
QString RememberedTitlesFile(const Installation& installation, const QString& reportName);
QString ReadRememberedTitles(const Installation& installation, const QString& reportName);
void SaveRememberedTitles(const Installation& installation, const QString& reportName, const QString& titles);

struct XlsxExportOptions {
    QString titles;
    bool keepHeader = true; // "Manter cabeçalho do relatório"
};

// Writes the workbook: with keepHeader rows 1-3 hold the first page's first
// three header lines merged across A to P and the titles go to row 4 in
// bold; otherwise the titles go to row 1. Rows of every page follow. Column
// widths are the titles' widths, then widened to fit the longest cell.
// The report file is read line by line twice (widths first, then the
// rows) and the workbook is written in constant memory, so no page is kept.
// Progress by page through ui; throws UserError when the file cannot be
// written. Returns the number of data rows, or -1 when the person stopped
// the export (asked between pages): the workbook is then closed and the
// partial file removed.
int WriteXlsx(const QString& reportFile, const QString& xlsxPath, const XlsxExportOptions& options, UserInterface& ui);

} // namespace folha
