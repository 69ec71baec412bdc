#pragma once
// What the page painters draw on: text runs of the fixed-pitch report font
// (Liberation Mono, standing for "Courier New") at a position, lines,
// rectangles and page breaks, in the units of a device of `dpi()` dots per
// inch whose origin is the top left corner of the printable area. The page
// is described once (PagePainter, PayStatementPainter); a QPainter canvas
// draws it on the preview and the printer, a cairo canvas writes it to a
// PDF file.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <functional>
#include <map>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QRawFont;

namespace folha {

// The report font at one size and weight, in device units. Every glyph of
// the font is as wide as the next (`advance`).
struct CanvasFontMetrics {
    double advance = 0;
    double ascent = 0;
    double descent = 0;
    double lineSpacing = 0;
};

class PageCanvas {
public:
    enum class Orientation { Portrait, Landscape };
    virtual ~PageCanvas() = default;

    // Starts the drawing (once; later calls do nothing). Throws UserError
    // when the device cannot be drawn on.
    virtual void begin() = 0;
    // The printable area and the resolution.
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual double dpi() const = 0;
    // The report font at `points` on this device.
    virtual const CanvasFontMetrics& metrics(double points, bool bold) = 0;
    // Text from `origin` (the left end of its baseline), character k at
    // origin.x() + k * pitch: placed by hand, nothing to shape.
    virtual void text(QPointF origin, QStringView text, double points, bool bold, double pitch) = 0;
    virtual void line(QPointF from, QPointF to) = 0;
    virtual void rect(const QRectF& r) = 0;
    virtual void newPage() = 0;
    // A drawing many pages repeat (a form's frame and captions), known by
    // `key`: `draw` draws it on the canvas it is given with its top left
    // corner at the origin, and the drawing lands with that corner at `at`.
    // The same key must always draw the same thing. A canvas may keep it
    // once and place it on each page; this one simply draws it again,
    // moved.
    virtual void stamp(const QString& key, QPointF at, const std::function<void(PageCanvas&)>& draw);
    // Ends the document (a canvas never drawn on gives one blank page).
    // Throws UserError when the output could not be written.
    virtual void finish() = 0;
};

// The page size, margins and orientation every page of the reports uses:
// A4 with 5 mm margins.
void SetReportPage(QPagedPaintDevice& device, PageCanvas::Orientation orientation);

// A canvas on a paged paint device through QPainter (the preview, the
// printer). Sets the device's page to A4, 5 mm margins, in `orientation`.
class QPainterCanvas : public PageCanvas {
public:
    // `beginError` is the message when the device refuses the painter.
    QPainterCanvas(QPagedPaintDevice& device, Orientation orientation, QString beginError);
    ~QPainterCanvas() override;
    void begin() override;
    double width() const override;
    double height() const override;
    double dpi() const override;
    const CanvasFontMetrics& metrics(double points, bool bold) override;
    void text(QPointF origin, QStringView text, double points, bool bold, double pitch) override;
    void line(QPointF from, QPointF to) override;
    void rect(const QRectF& r) override;
    void newPage() override;
    void finish() override;

private:
    struct Font;
    Font& font(double points, bool bold);
    QPagedPaintDevice& device_;
    QString beginError_;
    std::unique_ptr<QPainter> painter_;
    std::map<std::pair<double, bool>, std::unique_ptr<Font>> fonts_;
};

} // namespace folha
