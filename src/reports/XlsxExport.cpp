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
    explicit PageReader(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::ReadOnly))
            throw UserError(QStringLiteral("Não foi possível ler o arquivo do relatório %1.").arg(path));
    }

    enum class Kind { Header, Body, End };
    struct Line {
        Kind kind = Kind::End;
        int page = 0; // from 1
        QString text;
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
            }
            ++lineInPage_;
            if (text.trimmed().isEmpty()) continue;
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
            if (lineInPage_ <= headerEnd_) return {Kind::Header, page_, text.trimmed()};
            return {Kind::Body, page_, text};
        }
        return {};
    }

private:
    static bool isDashes(const QString& text) {
        const QString t = text.trimmed();
        return t.size() >= 10 && t.count(QLatin1Char('-')) == t.size();
    }
    QFile file_;
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

int WriteXlsx(const QString& reportFile, const QString& xlsxPath, const XlsxExportOptions& options,
              UserInterface& ui) {
    // A report file in, a new workbook out: never a database either way.
    RefuseNonReportInput(reportFile);
    RefuseSystemOutput(xlsxPath);
    const QList<XlsxColumn> columns = ParseTitlesLine(options.titles);

    // First pass: the pages to count, the first page's header and the
    // widest cell of each column.
    int pages = 0;
    QStringList firstHeader;
    int headerPage = 0;
    QList<int> widths;
    for (const XlsxColumn& c : columns)
        widths << c.width;
    {
        PageReader reader(reportFile);
        for (PageReader::Line l = reader.next(); l.kind != PageReader::Kind::End; l = reader.next()) {
            pages = std::max(pages, l.page);
            if (l.kind == PageReader::Kind::Header) {
                if (headerPage == 0) headerPage = l.page;
                if (l.page == headerPage && firstHeader.size() < 3) firstHeader << l.text;
                continue;
            }
            for (int i = 0; i < columns.size(); ++i)
                widths[i] = std::max(widths[i], int(cellText(l.text, columns[i]).size()));
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
    // Every cell is text, so codes and amounts keep their printed form.
    lxw_format* text = workbook_add_format(book.book);
    format_set_num_format(text, "@");
    lxw_format* bold = workbook_add_format(book.book);
    format_set_num_format(bold, "@");
    format_set_bold(bold);

    for (int i = 0; i < columns.size(); ++i)
        worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), std::max(widths[i], 1) + 1, nullptr);

    lxw_row_t row = 0;
    auto write = [&](lxw_row_t r, int col, const QString& value, lxw_format* format) {
        if (value.isEmpty()) return;
        const lxw_error e =
            worksheet_write_string(sheet, r, lxw_col_t(col), value.toUtf8().constData(), format);
        if (e != LXW_NO_ERROR) throw UserError(xlsxErrorText(xlsxPath, e));
    };
    if (options.keepHeader) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray value = firstHeader.value(i).toUtf8();
            const lxw_error e =
                worksheet_merge_range(sheet, row, 0, row, MergedColumns - 1, value.constData(), text);
            if (e != LXW_NO_ERROR) throw UserError(xlsxErrorText(xlsxPath, e));
            ++row;
        }
    }
    for (int i = 0; i < columns.size(); ++i)
        write(row, i, columns[i].title, bold);
    ++row;

    ui.progressStart(QStringLiteral("Exportando relatório para o Excel"), pages);
    int dataRows = 0;
    int page = 0;
    bool stopped = false;
    PageReader reader(reportFile);
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
        for (int i = 0; i < columns.size(); ++i)
            write(row, i, cellText(l.text, columns[i]), text);
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
