#pragma once
// The page engine of every text report: a page buffer of fixed-width cells,
// "put text", the page header, flush and end of job. A composer fills the
// buffer; each flush hands the page to the destination (a PageSink), so a
// long report holds one page in memory at a time.

#include "PageSink.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace folha {

class TextReport {
public:
    static constexpr int MaxLines = 5000;
    static constexpr int MaxColumns = 300;

    // width: columns of the page; linesPerPage: from the print settings.
    TextReport(PageSink& sink, int width, int linesPerPage);

    // The header's fixed texts: the company open in the program, the moment
    // printed as "DATA.:" and "HORA.:" (now, unless set for a test), and
    // whether the title line shows "FOLHA:" once instead of "PAG..:".
    void setCompanyName(const QString& name) { company_ = name; }
    void setClock(const QDateTime& when) { clock_ = when; }
    void setSheetNumberingOnce() { sheetOnce_ = true; }
    // The filter text is left out of the header (spreadsheet destination).
    void setOmitFilter(bool omit) { omitFilter_ = omit; }

    int width() const { return width_; }
    int linesPerPage() const { return linesPerPage_; }
    int pageNumber() const { return page_; }

    void beginJob(const ReportJobInfo& info);
    // Line and column count from 1. Each character takes its own cell from
    // the column on; a text below " " (a control string) goes whole into one
    // cell. Text past the page width or the buffer is dropped.
    void putText(int line, int column, const QString& text);
    // Clears the page buffer (all cells blank).
    void clear();
    // Clears the buffer, writes the header at the top of the page and
    // returns the last line it took (4, or 5 with a subtitle or filter): company and
    // "FOLHA DE PAGAMENTO" / "DATA.:" at column W-15, the supplier line /
    // "HORA.:  ", the title / "PAG..:" with ten digits (or "FOLHA:" once),
    // the subtitle " - " filter when either is given, then W dashes.
    int pageHeader(const QString& title, const QString& subtitle = {}, const QString& filter = {});
    // A page must hold its header and at least the first row below it:
    // `lines` lines. Fewer lines per page are refused with a UserError.
    void requireLines(int lines) const;
    // Hands the page (lines 1..usedLines, or the last line written) to the
    // destination and counts one more page. The buffer is not cleared.
    void flushPage(int usedLines = 0);
    // Closes the destination and clears the buffer.
    void endJob();

    // The fixed supplier line of the header.
    static const QString SupplierLine;
    static const QString SystemName; // "FOLHA DE PAGAMENTO"

private:
    PageSink& sink_;
    int width_;
    int linesPerPage_;
    int page_ = 1;
    int lastLine_ = 0;
    QString company_;
    QDateTime clock_;
    bool sheetOnce_ = false;
    bool omitFilter_ = false;
    std::vector<TextLine> lines_; // rows allocated as written
};

} // namespace folha
