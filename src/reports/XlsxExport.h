#pragma once
// Spreadsheet export of a text report: the report file is cut into columns
// and written as an ".xlsx" workbook. A report that lays its lines out by a
// table of its own (the payroll book, the listings) is cut where that table
// says, each kind of line by its own fields, amounts as numbers; any other
// report by a titles line in which "@" marks where a column ends, every cell
// as text.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

// A field of a report line: its title, the column it starts at (from 1),
// the room it takes and whether it holds an amount ("1.234,56").
struct LayoutField {
    QString title;
    int column = 1;
    int width = 0;
    bool amount = false;
    int end() const { return column + width - 1; } // its last column
};

// A kind of report line and its fields, left to right. A line is of this
// kind when the title line of its page (the third header line) matches
// `page` and the line matches `line` (an empty pattern matches any).
struct LineLayout {
    QString name;
    QRegularExpression page;
    QRegularExpression line;
    QList<LayoutField> fields;
    bool skip = false;   // not a row of the sheet (column titles repeated on each page)
    bool titled = false; // its fields' titles make a bold titles row
};

// How a report lays out its lines. Either each line takes the first kind
// that matches it, or (blockLines > 0) the rows are blocks of blockLines
// lines and the k-th line of a block on a page takes lines[k].
// `titleLines` lines of column titles follow the dashes of each page header.
struct ReportLayout {
    QList<LineLayout> lines;
    int blockLines = 0;
    int titleLines = 1;
    bool isEmpty() const { return lines.isEmpty(); }
};

// The cells of one line by a line layout: each field runs from its column
// up to the next field's column (the last to the end of the line), trimmed.
QStringList CutLine(const QString& line, const LineLayout& layout);
// "1.234,56", "-0,45", "12": the amount as printed, or none.
std::optional<double> PrintedAmount(const QString& text);
// The number format of amount cells: thousands and two decimals, shown
// "#.##0,00" by a spreadsheet set to Portuguese.
inline constexpr const char* AmountFormat = "#,##0.00";

struct XlsxExportOptions {
    QString titles;
    bool keepHeader = true; // "Manter cabeçalho do relatório"
    ReportLayout layout;    // when set, the report is cut by it and the titles line is not used
};

// Writes the workbook: with keepHeader rows 1-3 hold the first page's first
// three header lines merged across A to P and the titles go to row 4 in
// bold (with a layout, one titles row per titled kind of line); otherwise
// the titles go to row 1. Rows of every page follow: by a layout, each line
// cut by its kind's fields (amounts as numbers in AmountFormat, a count as a
// plain number, the kinds marked skip leaving no row, a line of no kind in
// one cell); else by the titles line, every cell as text. Column widths are
// the titles' widths, then widened to fit the longest cell.
// The report file is read line by line twice (widths first, then the
// rows) and the workbook is written in constant memory, so no page is kept.
// Progress by page through ui; throws UserError when the file cannot be
// written. Returns the number of data rows, or -1 when the person stopped
// the export (asked between pages): the workbook is then closed and the
// partial file removed.
int WriteXlsx(const QString& reportFile, const QString& xlsxPath, const XlsxExportOptions& options, UserInterface& ui);

} // namespace folha
