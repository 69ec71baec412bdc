#include "PagePainter.h"

#include "CairoPdfCanvas.h"
#include "SystemFiles.h"
#include "DbError.h"

#include <algorithm>

namespace folha {

namespace {

const QString DocumentTitle = QStringLiteral("FOLHA DE PAGAMENTO");
const QString BeginError = QStringLiteral("Não foi possível iniciar a impressão gráfica do relatório.");

// The number of columns a page needs: its width, or a longer line's drawn
// characters (text is never cut).
int columnsNeeded(const TextPage& page) {
    int columns = page.width;
    for (const TextLine& line : page.lines) columns = std::max(columns, int(line.visibleSize()));
    return std::max(columns, 1);
}

} // namespace

double PageFontPointSize(const PrintSettings& settings) {
    if (settings.condensed()) return settings.portrait() ? 7.0 : 8.0;
    if (settings.density == QString(QChar(10))) return 10.0;
    return 12.0;
}

PageCanvas::Orientation PageOrientation(const PrintSettings& settings) {
    return settings.portrait() ? PageCanvas::Orientation::Portrait : PageCanvas::Orientation::Landscape;
}

PagePainter::PagePainter(QPagedPaintDevice& device, const PrintSettings& settings)
    : own_(std::make_unique<QPainterCanvas>(device, PageOrientation(settings), BeginError)),
      canvas_(*own_),
      settings_(settings) {}

PagePainter::PagePainter(PageCanvas& canvas, const PrintSettings& settings) : canvas_(canvas), settings_(settings) {}

PagePainter::~PagePainter() = default;

void PagePainter::paint(const TextPage& page) {
    canvas_.begin();
    if (!first_) canvas_.newPage();
    first_ = false;

    const double points = PageFontPointSize(settings_);
    const CanvasFontMetrics metrics = canvas_.metrics(points, false);
    const double cellWidth = metrics.advance;
    const double lineHeight = metrics.lineSpacing;

    // The lines and the width asked may not fit the paper at this font size
    // (73 condensed lines in landscape): the whole page is drawn smaller so
    // that both fit, never cut.
    const int lines = std::max<int>(settings_.linesPerPage, int(page.lines.size()));
    const int columns = columnsNeeded(page);
    const double neededWidth = columns * cellWidth;
    const double neededHeight = std::max(lines, 1) * lineHeight;
    const double scale = std::min({1.0, canvas_.width() / neededWidth, canvas_.height() / neededHeight});

    // Every glyph of the font is as wide as "M", so a run of cells drawn as
    // one text lands each character at its cell's place: a line is drawn as
    // few texts as it can, blanks inside, each from its first visible cell
    // to its last.
    for (size_t i = 0; i < page.lines.size(); ++i) {
        const double baseline = double(i) * lineHeight + metrics.ascent;
        // Control codes take no column: the drawn cells are the line's
        // characters without them, and the run goes from the first to the
        // last that is not blank.
        const QString shown = page.lines[i].visible();
        const QStringView cells(shown);
        qsizetype first = 0, last = cells.size();
        while (first < last && cells[first] == u' ') ++first;
        while (last > first && cells[last - 1] == u' ') --last;
        if (first == last) continue;
        const int runStart = int(first);
        const QStringView text = cells.sliced(first, last - first);
        canvas_.text(QPointF(runStart * cellWidth * scale, baseline * scale), text, points * scale, false,
                     cellWidth * scale);
    }
}

void PagePainter::finish() {
    // A job without pages still gives one blank page.
    canvas_.begin();
    canvas_.finish();
}

struct PdfSink::Impl {
    QString path;
    PrintSettings settings;
    std::unique_ptr<CairoPdfCanvas> canvas;
    std::unique_ptr<PagePainter> painter;
};

PdfSink::PdfSink(const QString& path, const PrintSettings& settings) : d_(std::make_unique<Impl>()) {
    d_->path = path;
    d_->settings = settings;
}

PdfSink::~PdfSink() {
    d_->painter.reset();
    d_->canvas.reset();
}

void PdfSink::begin(const ReportJobInfo& info) {
    (void)info;
    // The file is opened before anything is drawn, so a folder without
    // permission is said at once; never over the system's files.
    RefuseSystemOutput(d_->path);
    d_->painter.reset();
    d_->canvas.reset();
    d_->canvas = std::make_unique<CairoPdfCanvas>(d_->path, PageOrientation(d_->settings), DocumentTitle, DocumentTitle);
    d_->painter = std::make_unique<PagePainter>(*d_->canvas, d_->settings);
}

void PdfSink::page(const TextPage& page) {
    if (!d_->painter) begin({});
    d_->painter->paint(page);
}

void PdfSink::end() {
    if (!d_->painter) begin({});
    d_->painter->finish();
    d_->painter.reset();
    d_->canvas.reset();
}

} // namespace folha
