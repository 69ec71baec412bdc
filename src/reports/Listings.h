#pragma once
// The register listings: one line (or a few) per row of a register table,
// in code or name order, under the page header and a line of column titles.
// One composer runs every listing from a table of listings.

#include "Fixed.h"
#include "TextReport.h"
#include "XlsxExport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace folha {

class Session;
class UserInterface;
class Database;

// A column of a listing: its title, the field it prints, where (column from
// 1, and which line of the row's block), and the format: "" as stored,
// "%3.3d" a zero-filled whole number of 3 digits, "%6.2n" a number with
// thousands separators and 2 decimals right-aligned in 6 positions (wider
// values take the room they need).
struct ListColumn {
    QString title;
    QString field;
    int column = 1;
    QString format;
    int line = 1;         // line within the row's block
    QString whenEmpty;    // printed when the field is empty ("-")
};

// A number with "." between thousands and "," before `places` decimals,
// rounded half away from zero ("-1.234,50"; never "-0,00").
QString BrazilianNumber(Fixed value, int places);

// Formats a value by a listing format ("%3.3d", "%6.2n", "%1.1d", ...).
QString FormatListValue(const QVariant& value, const QString& format);

struct ListingDef {
    QString screen;        // "TfoCadRelCargos"
    QString alias;         // short name for the command line ("cargos")
    QString caption;       // "Relatório de Cargos"
    QString table;         // registry table name
    QString nameIndex;     // index for name order; empty: code order only
    int width = 80;        // page width
    QList<ListColumn> columns;
    // Extra lines printed below a row (the dependants of an employee), or
    // none. Gets the row and returns the lines' texts with their columns.
    std::function<QList<QPair<int, QString>>(Database& db, const QVariantMap& row)> detail;
    // Values from other tables added to the row before it is printed (the
    // cargo name of an employee), or none.
    std::function<void(Database& db, QVariantMap& row)> enrich;
    // The field a code range ("Código Inicial", "Código Final") narrows, or
    // none when the listing takes every row.
    QString rangeField;
};

// The first and last codes of a listing with a code range; empty ends are
// open. Codes typed as digits are taken zero-filled to the field's size.
struct ListingRange {
    QString first;
    QString last;
};

// The room a column's values take: a format's width ("%6.2n" 6, wider
// values take more), a text field's size, 10 for a date.
int ListColumnWidth(const ListingDef& def, const ListColumn& column);

// Every listing, in menu order.
const QList<ListingDef>& Listings();
// By screen class or alias (any case); null when unknown.
const ListingDef* FindListing(const QString& nameOrAlias);

enum class ListingOrder { Code, Name };

// The spreadsheet titles line matching a listing's columns ("@Codigo  @Nome @").
QString ListingTitlesLine(const ListingDef& def);
// How a listing lays out the lines of its rows, for the spreadsheet export:
// blocks of as many lines as a row takes, each line's fields at their
// columns, amounts of two decimals as numbers. None for a listing that
// prints extra lines under a row (their number varies).
ReportLayout ListingReportLayout(const ListingDef& def);
// The same for any columns of a row's first line: each title right after
// the "@" that stands one place before its column; the last column is
// `lastWidth` wide (at least its title).
QString ColumnTitlesLine(QList<ListColumn> columns, int lastWidth);

// Lays rows out as a list on the pages of a report: on each page the header
// with the title and the column titles (one line per line of a row's
// block, amounts' titles right-aligned), then the rows at their columns; a
// row that would not fit starts a new page. Used by the register listings
// and the grid lists of the register screens.
struct ListOptions {
    int blankLinesAfterTitles = 0; // empty lines under the column titles
    int bottomMargin = 0;          // lines kept free at the foot of a page
    bool capitalTitles = false;    // column titles in capitals
};

class ListComposer {
public:
    using Options = ListOptions;
    // `columnWidth` gives the room a column's values take (for the titles
    // of amounts); by default the format's width.
    ListComposer(TextReport& report, QString title, QList<ListColumn> columns,
                 std::function<int(const ListColumn&)> columnWidth = {}, Options options = {});
    // One row: its fields by name (any case), and extra lines below it
    // (column, text).
    void addRow(const QVariantMap& row, const QList<QPair<int, QString>>& details = {});
    // Hands the last page to the destination.
    void finish();
    int rows() const { return rows_; }

private:
    void startPage();
    TextReport& report_;
    QString title_;
    QList<ListColumn> columns_;
    std::function<int(const ListColumn&)> columnWidth_;
    Options options_;
    int blockLines_ = 1;
    int line_ = 0;
    bool started_ = false;
    bool rowsOnPage_ = false;
    int rows_ = 0;
};

struct ListingResult {
    int rows = 0;           // rows listed
    bool cancelled = false; // stopped by the person at a row boundary
};

// Composes a listing of the open company into the report: header and
// column titles on each page, a new page when the page is full, progress
// by rows with cancel (the pages so far are kept and the job still ends).
ListingResult ComposeListing(Session& session, UserInterface& ui, const ListingDef& def, ListingOrder order, TextReport& report,
                             const ListingRange& range = {});

} // namespace folha
