#include "PageCanvas.h"

#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMarginsF>
#include <QPagedPaintDevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QRawFont>

namespace folha {

namespace {

const QString FontFamily = QStringLiteral("Liberation Mono");

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

// Draws on another canvas, every position moved by an offset.
class MovedCanvas : public PageCanvas {
public:
    MovedCanvas(PageCanvas& to, QPointF by) : to_(to), by_(by) {}
    void begin() override { to_.begin(); }
    double width() const override { return to_.width(); }
    double height() const override { return to_.height(); }
    double dpi() const override { return to_.dpi(); }
    const CanvasFontMetrics& metrics(double points, bool bold) override { return to_.metrics(points, bold); }
    void text(QPointF origin, QStringView text, double points, bool bold, double pitch) override {
        to_.text(origin + by_, text, points, bold, pitch);
    }
    void line(QPointF from, QPointF to) override { to_.line(from + by_, to + by_); }
    void rect(const QRectF& r) override { to_.rect(r.translated(by_)); }
    void newPage() override { to_.newPage(); }
    void finish() override { to_.finish(); }

private:
    PageCanvas& to_;
    QPointF by_;
};

} // namespace

void PageCanvas::stamp(const QString& key, QPointF at, const std::function<void(PageCanvas&)>& draw) {
    (void)key;
    MovedCanvas moved(*this, at);
    draw(moved);
}

void SetReportPage(QPagedPaintDevice& device, PageCanvas::Orientation orientation) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(orientation == PageCanvas::Orientation::Portrait ? QPageLayout::Portrait
                                                                               : QPageLayout::Landscape);
    device.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

struct QPainterCanvas::Font {
    QFont font;
    QRawFont raw; // the same font at the device's resolution, for glyph runs
    CanvasFontMetrics metrics;
};

QPainterCanvas::QPainterCanvas(QPagedPaintDevice& device, Orientation orientation, QString beginError)
    : device_(device), beginError_(std::move(beginError)) {
    SetReportPage(device_, orientation);
}

QPainterCanvas::~QPainterCanvas() {
    if (painter_ && painter_->isActive()) painter_->end();
}

void QPainterCanvas::begin() {
    if (painter_) return;
    ensureFont();
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&device_)) throw UserError(beginError_);
    painter_->setPen(QPen(Qt::black, 0));
}

double QPainterCanvas::width() const { return device_.width(); }
double QPainterCanvas::height() const { return device_.height(); }
double QPainterCanvas::dpi() const { return device_.logicalDpiY(); }

QPainterCanvas::Font& QPainterCanvas::font(double points, bool bold) {
    auto& slot = fonts_[{points, bold}];
    if (slot) return *slot;
    ensureFont();
    slot = std::make_unique<Font>();
    Font& f = *slot;
    f.font = QFont(FontFamily);
    f.font.setStyleHint(QFont::Monospace);
    f.font.setFixedPitch(true);
    f.font.setBold(bold);
    f.font.setPointSizeF(points);
    const QFontMetricsF m(f.font, &device_);
    f.metrics.advance = m.horizontalAdvance(QStringLiteral("M"));
    f.metrics.ascent = m.ascent();
    f.metrics.descent = m.descent();
    f.metrics.lineSpacing = m.lineSpacing();
    f.raw = QRawFont::fromFont(f.font);
    f.raw.setPixelSize(points * device_.logicalDpiY() / 72.0);
    return f;
}

const CanvasFontMetrics& QPainterCanvas::metrics(double points, bool bold) { return font(points, bold).metrics; }

void QPainterCanvas::text(QPointF origin, QStringView text, double points, bool bold, double pitch) {
    if (text.isEmpty()) return;
    begin();
    const Font& f = font(points, bold);
    const QString s = text.toString();
    if (!f.raw.isValid()) {
        painter_->setFont(f.font);
        painter_->drawText(origin, s);
        return;
    }
    const QList<quint32> glyphs = f.raw.glyphIndexesForString(s);
    QList<QPointF> positions(glyphs.size());
    for (qsizetype k = 0; k < positions.size(); ++k) positions[k] = QPointF(double(k) * pitch, 0);
    QGlyphRun run;
    run.setRawFont(f.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_->drawGlyphRun(origin, run);
}

void QPainterCanvas::line(QPointF from, QPointF to) {
    begin();
    painter_->drawLine(from, to);
}

void QPainterCanvas::rect(const QRectF& r) {
    begin();
    painter_->drawRect(r);
}

void QPainterCanvas::newPage() {
    begin();
    device_.newPage();
}

void QPainterCanvas::finish() {
    begin();
    if (painter_->isActive()) painter_->end();
}

} // namespace folha
