#include "PagePainter.h"

#include "SystemFiles.h"
#include "DbError.h"
#include "FileErrors.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMarginsF>
#include <QPagedPaintDevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace folha {

namespace {

const QString FontFamily = QStringLiteral("Liberation Mono");
const QString DocumentTitle = QStringLiteral("FOLHA DE PAGAMENTO");

// The fixed-pitch font, taken from the font files when the system's font
// configuration does not know it.
void ensureFont() {
    static bool done = false;
    if (done) return;
    done = true;
    if (QFontDatabase::families().contains(FontFamily)) return;
    const QDir fonts(QStringLiteral("/usr/share/fonts/truetype"));
    const QStringList folders =
        fonts.entryList({QStringLiteral("liberation*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& folder : folders) {
        const QString file = fonts.filePath(folder + QStringLiteral("/LiberationMono-Regular.ttf"));
        if (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0) return;
    }
}

// The number of columns a page needs: its width, or a longer line's drawn
// characters (text is never cut).
int columnsNeeded(const TextPage& page) {
    int columns = page.width;
    for (const QStringList& line : page.lines) {
        int visible = 0;
        for (const QString& cell : line)
            if (!IsControlCell(cell)) ++visible;
        columns = std::max(columns, visible);
    }
    return std::max(columns, 1);
}

} // namespace

double PageFontPointSize(const PrintSettings& settings) {
    if (settings.condensed()) return settings.portrait() ? 7.0 : 8.0;
    if (settings.density == QString(QChar(10))) return 10.0;
    return 12.0;
}

PagePainter::PagePainter(QPagedPaintDevice& device, const PrintSettings& settings)
    : device_(device), settings_(settings) {
    device_.setPageSize(QPageSize(QPageSize::A4));
    device_.setPageOrientation(settings_.portrait() ? QPageLayout::Portrait : QPageLayout::Landscape);
    device_.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

PagePainter::~PagePainter() {
    if (painter_ && painter_->isActive()) painter_->end();
}

void PagePainter::paint(const TextPage& page) {
    if (!painter_) {
        ensureFont();
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&device_))
            throw UserError(QStringLiteral("Não foi possível iniciar a impressão gráfica do relatório."));
        QFont font(FontFamily);
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        font.setPointSizeF(PageFontPointSize(settings_));
        painter_->setFont(font);
        painter_->setPen(Qt::black);
        // Lines are drawn as glyph runs of this font: every glyph is as wide
        // as the next, so nothing needs shaping, only the glyph of each
        // character.
        rawFont_ = QRawFont::fromFont(font);
        rawFont_.setPixelSize(font.pointSizeF() * device_.logicalDpiY() / 72.0);
    } else if (!first_) {
        device_.newPage();
    }
    first_ = false;

    const QFontMetricsF metrics(painter_->font(), &device_);
    const double cellWidth = metrics.horizontalAdvance(QStringLiteral("M"));
    const double lineHeight = metrics.lineSpacing();

    // The lines and the width asked may not fit the paper at this font size
    // (73 condensed lines in landscape): the whole page is drawn smaller so
    // that both fit, never cut.
    const int lines = std::max<int>(settings_.linesPerPage, int(page.lines.size()));
    const double neededWidth = columnsNeeded(page) * cellWidth;
    const double neededHeight = std::max(lines, 1) * lineHeight;
    const double scale = std::min({1.0, device_.width() / neededWidth, device_.height() / neededHeight});
    painter_->resetTransform();
    painter_->scale(scale, scale);

    // Every glyph of the font is as wide as "M", so a run of cells drawn as
    // one text lands each character at its cell's place: a line is drawn as
    // few texts as it can, blanks inside, each from its first visible cell
    // to its last.
    QString run;
    for (size_t i = 0; i < page.lines.size(); ++i) {
        const double baseline = double(i) * lineHeight + metrics.ascent();
        run.clear();
        int runStart = -1; // column of the run's first character
        int lastVisible = -1;
        int column = 0;
        for (const QString& cell : page.lines[i]) {
            if (IsControlCell(cell)) continue;
            const bool blank = cell.isEmpty() || cell == QStringLiteral(" ");
            if (!blank) {
                if (runStart < 0) runStart = column;
                // Blanks before this cell, inside the run.
                while (runStart + run.size() < column) run += QLatin1Char(' ');
                run += cell;
                lastVisible = column;
            }
            ++column;
        }
        if (lastVisible < 0) continue;
        if (!rawFont_.isValid()) {
            painter_->drawText(QPointF(runStart * cellWidth, baseline), run);
            continue;
        }
        const QList<quint32> glyphs = rawFont_.glyphIndexesForString(run);
        QList<QPointF> positions(glyphs.size());
        for (qsizetype k = 0; k < positions.size(); ++k) positions[k] = QPointF(double(k) * cellWidth, 0);
        QGlyphRun glyphRun;
        glyphRun.setRawFont(rawFont_);
        glyphRun.setGlyphIndexes(glyphs);
        glyphRun.setPositions(positions);
        painter_->drawGlyphRun(QPointF(runStart * cellWidth, baseline), glyphRun);
    }
}

void PagePainter::finish() {
    if (!painter_) {
        // A job without pages still gives one blank page.
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&device_))
            throw UserError(QStringLiteral("Não foi possível iniciar a impressão gráfica do relatório."));
    }
    if (painter_->isActive()) painter_->end();
}

struct PdfSink::Impl {
    QString path;
    PrintSettings settings;
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<PagePainter> painter;
};

PdfSink::PdfSink(const QString& path, const PrintSettings& settings) : d_(std::make_unique<Impl>()) {
    d_->path = path;
    d_->settings = settings;
}

PdfSink::~PdfSink() {
    d_->painter.reset();
    d_->writer.reset();
}

void PdfSink::begin(const ReportJobInfo& info) {
    (void)info;
    // The file is tried before anything is drawn, so a folder without
    // permission is said at once; never over the system's files.
    RefuseSystemOutput(d_->path);
    QFile probe(d_->path);
    if (!probe.open(QIODevice::WriteOnly)) throw UserError(FileErrorText(probe, d_->path));
    probe.close();
    d_->painter.reset();
    d_->writer = std::make_unique<QPdfWriter>(d_->path);
    d_->writer->setTitle(DocumentTitle);
    d_->writer->setCreator(DocumentTitle);
    d_->writer->setResolution(300);
    d_->painter = std::make_unique<PagePainter>(*d_->writer, d_->settings);
}

void PdfSink::page(const TextPage& page) {
    if (!d_->painter) begin({});
    d_->painter->paint(page);
}

void PdfSink::end() {
    if (!d_->painter) begin({});
    d_->painter->finish();
    d_->painter.reset();
    d_->writer.reset();
    QFile written(d_->path);
    if (written.size() == 0) throw UserError(FileErrorText(written, d_->path));
}

} // namespace folha
