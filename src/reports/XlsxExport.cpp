#include "XlsxExport.h"

#include "SystemFiles.h"
#include "DbError.h"
#include "FileErrors.h"
#include "Installation.h"
#include "UserInterface.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <xlsxwriter.h>

namespace folha {

// A report line without its printer codes: ESC and the character after it
// (ESC "2", the line spacing) and every other character below a blank.
QString VisibleReportText(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 27) {
            ++i;
            continue;
        }
        if (c < 32) continue;
        out += QChar(c); // Latin-1
    }
    return out;
}

namespace {

// The first header line of every page: company ":" system name.
const QString PageMarker = QStringLiteral(":FOLHA DE PAGAMENTO");
constexpr int HeaderLines = 6;
constexpr int MergedColumns = 16; // A to P

// Reads a report file line by line and cuts it into pages, handing each
// line to the caller as header or body of its page; only the current line is
// held.
class PageReader {
public:
    // headerEndsAtDashes: the header is the lines up to the dashes under the
    // title (a report cut by its own layout tells its column titles apart).
    // keepBlankBody: blank lines of the body are handed on too (a line of a
    // row's block whose fields are all empty still counts in the block).
    explicit PageReader(const QString& path, bool headerEndsAtDashes = false, bool keepBlankBody = false)
        : file_(path), headerEndsAtDashes_(headerEndsAtDashes), keepBlankBody_(keepBlankBody) {
        if (!file_.open(QIODevice::ReadOnly))
            throw UserError(QStringLiteral("Não foi possível ler o arquivo do relatório %1.").arg(path));
    }

    enum class Kind { Header, Body, End };
    struct Line {
        Kind kind = Kind::End;
        int page = 0; // from 1
        QString text;
        QString pageTitle; // the page's third header line (the report's title)
    };

    // The next header line (trimmed) or body line, blank lines skipped.
    Line next() {
        while (!file_.atEnd()) {
            QByteArray raw = file_.readLine();
            while (raw.endsWith('\n') || raw.endsWith('\r'))
                raw.chop(1);
            const QString text = VisibleReportText(raw);
            if (text.contains(PageMarker) || page_ == 0) {
                ++page_;
                lineInPage_ = 0;
                headerEnd_ = HeaderLines;
                dashesSeen_ = false;
                title_.clear();
            }
            ++lineInPage_;
            if (lineInPage_ == 3) title_ = text.trimmed();
            if (text.trimmed().isEmpty() && !(keepBlankBody_ && dashesSeen_ && lineInPage_ > headerEnd_)) continue;
            if (headerEndsAtDashes_) {
                if (!dashesSeen_ && lineInPage_ <= HeaderLines && isDashes(text)) {
                    dashesSeen_ = true;
                    headerEnd_ = lineInPage_;
                }
                if (lineInPage_ <= headerEnd_) return {Kind::Header, page_, text.trimmed(), title_};
                return {Kind::Body, page_, text, title_};
            }
            // The header ends with the column titles, the line after the
            // dashes: a page without a subtitle line has a header of five
            // lines, and its sixth line is already a row of the report.
            if (lineInPage_ <= HeaderLines && isDashes(text)) {
                if (!dashesSeen_) {
                    dashesSeen_ = true;
                    headerEnd_ = std::min(HeaderLines, lineInPage_ + 1);
                } else if (lineInPage_ == headerEnd_ + 1) {
                    headerEnd_ = lineInPage_; // dashes under the column titles
                }
            }
            if (lineInPage_ <= headerEnd_) return {Kind::Header, page_, text.trimmed(), title_};
            return {Kind::Body, page_, text, title_};
        }
        return {};
    }

private:
    static bool isDashes(const QString& text) {
        const QString t = text.trimmed();
        return t.size() >= 10 && t.count(QLatin1Char('-')) == t.size();
    }
    QFile file_;
    bool headerEndsAtDashes_ = false;
    bool keepBlankBody_ = false;
    QString title_;
    int page_ = 0;
    int lineInPage_ = 0;
    int headerEnd_ = HeaderLines;
    bool dashesSeen_ = false;
};

QString cellText(const QString& line, const XlsxColumn& column) {
    if (column.position >= line.size()) return {};
    return line.mid(column.position, column.width).trimmed();
}

QString xlsxErrorText(const QString& path, lxw_error error) {
    return QStringLiteral("Não foi possível gravar a planilha %1: %2.")
        .arg(path, QString::fromUtf8(lxw_strerror(error)));
}

// Cleans up a workbook that was not closed (an error or a stop halfway).
struct WorkbookHolder {
    lxw_workbook* book = nullptr;
    QString path;
    lxw_error close() {
        lxw_workbook* b = book;
        book = nullptr;
        return b ? workbook_close(b) : LXW_NO_ERROR;
    }
    ~WorkbookHolder() {
        if (book) {
            workbook_close(book);
            QFile::remove(path);
        }
    }
};

} // namespace

QList<XlsxColumn> ParseTitlesLine(const QString& titles) {
    QList<XlsxColumn> columns;
    qsizetype at = titles.indexOf(QLatin1Char('@'));
    while (at >= 0) {
        const qsizetype next = titles.indexOf(QLatin1Char('@'), at + 1);
        if (next < 0) break;
        XlsxColumn c;
        const QString raw = titles.mid(at + 1, next - at - 1);
        c.title = raw.trimmed();
        c.position = int(at + 1);
        c.width = int(raw.size());
        if (c.title.isEmpty()) break;
        columns << c;
        at = next;
    }
    return columns;
}

QList<ReportPageText> SplitReportPages(const QString& reportFile) {
    QList<ReportPageText> pages;
    PageReader reader(reportFile);
    for (PageReader::Line l = reader.next(); l.kind != PageReader::Kind::End; l = reader.next()) {
        while (pages.size() < l.page)
            pages << ReportPageText{};
        (l.kind == PageReader::Kind::Header ? pages.last().header : pages.last().body) << l.text;
    }
    // A page made only of blank lines leaves no entry.
    pages.removeIf([](const ReportPageText& p) { return p.header.isEmpty() && p.body.isEmpty(); });
    return pages;
}

QString RememberedTitlesFile(const Installation& installation, const QString& reportName) {
    QString name = reportName;
    name.remove(QLatin1Char('/')).remove(QLatin1Char('.')).remove(QLatin1Char(' '));
    return installation.programFile(QStringLiteral("ExpCfg\\") + name + QStringLiteral(".cfg"));
}

QString ReadRememberedTitles(const Installation& installation, const QString& reportName) {
    QFile f(RememberedTitlesFile(installation, reportName));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray line = f.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLatin1(line);
}

void SaveRememberedTitles(const Installation& installation, const QString& reportName,
                          const QString& titles) {
    const QString path = RememberedTitlesFile(installation, reportName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw UserError(FileErrorText(f, path));
    f.write(titles.toLatin1() + "\r\n");
    if (!f.flush()) throw UserError(FileErrorText(f, path));
}

QStringList CutLine(const QString& line, const LineLayout& layout) {
    QStringList cells;
    for (int i = 0; i < layout.fields.size(); ++i) {
        const int from = layout.fields[i].column - 1;
        const int to = i + 1 < layout.fields.size() ? layout.fields[i + 1].column - 1 : int(line.size());
        cells << (from < line.size() ? line.mid(from, std::max(0, to - from)).trimmed() : QString());
    }
    return cells;
}

std::optional<double> PrintedAmount(const QString& text) {
    static const QRegularExpression amount(QStringLiteral("^-?\\d{1,3}(\\.\\d{3})*(,\\d+)?$"));
    const QString t = text.trimmed();
    if (!amount.match(t).hasMatch()) return std::nullopt;
    QString plain = t;
    plain.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok); // a cell's value, never summed here
    if (!ok) return std::nullopt;
    return value;
}

namespace {

// A cell of the sheet: its text, and whether it is written as a number.
struct Cell {
    QString text;
    bool amount = false;
};

// Cuts the body lines of a report into the cells of a row, by a layout or
// by a titles line. Returns no cells for a line that makes no row.
class RowCutter {
public:
    explicit RowCutter(const XlsxExportOptions& options)
        : layout_(options.layout), columns_(ParseTitlesLine(options.titles)) {}

    bool byLayout() const { return !layout_.isEmpty(); }

    // The bold titles rows.
    QList<QStringList> titleRows() const {
        QList<QStringList> rows;
        if (byLayout()) {
            for (const LineLayout& l : layout_.lines) {
                if (!l.titled) continue;
                QStringList titles;
                for (const LayoutField& f : l.fields)
                    titles << f.title;
                rows << titles;
            }
            return rows;
        }
        QStringList titles;
        for (const XlsxColumn& c : columns_)
            titles << c.title;
        rows << titles;
        return rows;
    }
    // The widths the titles ask for, by sheet column.
    QList<int> titleWidths() const {
        QList<int> widths;
        auto widen = [&](int i, int w) {
            while (widths.size() <= i)
                widths << 1;
            widths[i] = std::max(widths[i], w);
        };
        if (byLayout()) {
            for (const LineLayout& l : layout_.lines)
                for (int i = 0; i < l.fields.size(); ++i)
                    widen(i, std::max(l.titled ? int(l.fields[i].title.size()) : 0, l.fields[i].width));
        } else {
            for (int i = 0; i < columns_.size(); ++i)
                widen(i, columns_[i].width);
        }
        return widths;
    }

    std::optional<QList<Cell>> cut(const PageReader::Line& l) {
        if (l.page != page_) {
            page_ = l.page;
            bodyLine_ = 0;
        }
        const int index = bodyLine_++;
        QList<Cell> cells;
        if (!byLayout()) {
            for (const XlsxColumn& c : columns_)
                cells << Cell{cellText(l.text, c), false};
            return cells;
        }
        const LineLayout* kind = nullptr;
        if (layout_.blockLines > 0) {
            // The column titles open the page; then blocks of lines.
            if (index < layout_.titleLines) return std::nullopt;
            kind = &layout_.lines[(index - layout_.titleLines) % layout_.blockLines];
        } else {
            for (const LineLayout& k : layout_.lines) {
                if (!k.page.pattern().isEmpty() && !k.page.match(l.pageTitle).hasMatch()) continue;
                if (!k.line.pattern().isEmpty() && !k.line.match(l.text).hasMatch()) continue;
                kind = &k;
                break;
            }
        }
        if (!kind) return QList<Cell>{Cell{l.text.trimmed(), false}}; // a line of no known kind: whole
        if (kind->skip || l.text.trimmed().isEmpty()) return std::nullopt;
        const QStringList texts = CutLine(l.text, *kind);
        for (int i = 0; i < texts.size(); ++i)
            cells << Cell{texts[i], kind->fields[i].amount && PrintedAmount(texts[i]).has_value()};
        return cells;
    }

private:
    const ReportLayout& layout_;
    const QList<XlsxColumn> columns_;
    int page_ = 0;
    int bodyLine_ = 0;
};

} // namespace

int WriteXlsx(const QString& reportFile, const QString& xlsxPath, const XlsxExportOptions& options,
              UserInterface& ui) {
    // A report file in, a new workbook out: never a database either way.
    RefuseNonReportInput(reportFile);
    RefuseSystemOutput(xlsxPath);
    const bool byLayout = !options.layout.isEmpty();

    // First pass: the pages to count, the first page's header and the
    // widest cell of each column.
    int pages = 0;
    QStringList firstHeader;
    int headerPage = 0;
    QList<int> widths = RowCutter(options).titleWidths();
    {
        RowCutter cutter(options);
        PageReader reader(reportFile, byLayout, options.layout.blockLines > 0);
        for (PageReader::Line l = reader.next(); l.kind != PageReader::Kind::End; l = reader.next()) {
            pages = std::max(pages, l.page);
            if (l.kind == PageReader::Kind::Header) {
                if (headerPage == 0) headerPage = l.page;
                if (l.page == headerPage && firstHeader.size() < 3) firstHeader << l.text;
                continue;
            }
            const auto cells = cutter.cut(l);
            if (!cells) continue;
            for (int i = 0; i < cells->size(); ++i) {
                while (widths.size() <= i)
                    widths << 1;
                widths[i] = std::max(widths[i], int((*cells)[i].text.size()));
            }
        }
    }

    // The path is tried first, so a folder without permission is said
    // before any work.
    {
        QFile probe(xlsxPath);
        if (!probe.open(QIODevice::WriteOnly)) throw UserError(FileErrorText(probe, xlsxPath));
    }

    lxw_workbook_options bookOptions{};
    bookOptions.constant_memory = LXW_TRUE;
    WorkbookHolder book;
    book.path = xlsxPath;
    const QByteArray pathBytes = QFile::encodeName(xlsxPath);
    book.book = workbook_new_opt(pathBytes.constData(), &bookOptions);
    if (!book.book) {
        QFile::remove(xlsxPath);
        throw UserError(xlsxErrorText(xlsxPath, LXW_ERROR_MEMORY_MALLOC_FAILED));
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book.book, nullptr);
    // Texts stay as printed (codes keep their zeros); amounts are numbers
    // the sheet can sum, shown with thousands and two decimals.
    lxw_format* text = workbook_add_format(book.book);
    format_set_num_format(text, "@");
    lxw_format* bold = workbook_add_format(book.book);
    format_set_num_format(bold, "@");
    format_set_bold(bold);
    lxw_format* number = workbook_add_format(book.book);
    format_set_num_format(number, AmountFormat);

    for (int i = 0; i < widths.size(); ++i)
        worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), std::max(widths[i], 1) + 1, nullptr);

    lxw_row_t row = 0;
    auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR) throw UserError(xlsxErrorText(xlsxPath, e));
    };
    auto write = [&](lxw_row_t r, int col, const Cell& cell, lxw_format* format) {
        if (cell.text.isEmpty()) return;
        if (cell.amount) // a count ("12") as a plain number, an amount with its decimals
            check(worksheet_write_number(sheet, r, lxw_col_t(col), *PrintedAmount(cell.text),
                                         cell.text.contains(QLatin1Char(',')) ? number : nullptr));
        else
            check(worksheet_write_string(sheet, r, lxw_col_t(col), cell.text.toUtf8().constData(), format));
    };
    if (options.keepHeader) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray value = firstHeader.value(i).toUtf8();
            check(worksheet_merge_range(sheet, row, 0, row, MergedColumns - 1, value.constData(), text));
            ++row;
        }
    }
    for (const QStringList& titles : RowCutter(options).titleRows()) {
        for (int i = 0; i < titles.size(); ++i)
            write(row, i, Cell{titles[i], false}, bold);
        ++row;
    }

    ui.progressStart(QStringLiteral("Exportando relatório para o Excel"), pages);
    int dataRows = 0;
    int page = 0;
    bool stopped = false;
    RowCutter cutter(options);
    PageReader reader(reportFile, byLayout, options.layout.blockLines > 0);
    for (PageReader::Line l = reader.next(); l.kind != PageReader::Kind::End; l = reader.next()) {
        if (l.page != page) {
            if (page > 0) {
                ui.progressStep(page);
                if (ui.cancelRequested()) {
                    stopped = true;
                    break;
                }
            }
            page = l.page;
        }
        if (l.kind != PageReader::Kind::Body) continue;
        const auto cells = cutter.cut(l);
        if (!cells) continue;
        for (int i = 0; i < cells->size(); ++i)
            write(row, i, (*cells)[i], text);
        ++row;
        ++dataRows;
    }
    if (!stopped && page > 0) ui.progressStep(page);
    ui.progressEnd();
    if (stopped) return -1; // the holder closes the workbook and removes the partial file

    const lxw_error e = book.close();
    if (e != LXW_NO_ERROR) {
        QFile::remove(xlsxPath);
        throw UserError(xlsxErrorText(xlsxPath, e));
    }
    return dataRows;
}

} // namespace folha
