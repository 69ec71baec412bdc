#pragma once
// Draws text pages on any paged paint device (PDF writer, printer,
// preview) in a fixed-pitch font: Liberation Mono, standing for "Courier
// New", 12 pt; condensed 7 pt in portrait and 8 pt in landscape. Each cell
// is drawn at (characters already drawn on the line) x (width of "M"),
// each line one font height below the previous; control strings are not
// drawn.

#include "../PageSink.h"
#include "../PrintSettings.h"

#include <QString>
#include <QRawFont>
#include <memory>

class QPagedPaintDevice;
class QPainter;

namespace folha {

// The font size in points for the settings.
double PageFontPointSize(const PrintSettings& settings);

class PagePainter {
public:
    // Sets the device's orientation ("R" portrait, otherwise landscape).
    PagePainter(QPagedPaintDevice& device, const PrintSettings& settings);
    ~PagePainter();
    // Draws one page; from the second page on, starts a new device page.
    void paint(const TextPage& page);
    void finish();

private:
    QPagedPaintDevice& device_;
    PrintSettings settings_;
    std::unique_ptr<QPainter> painter_;
    QRawFont rawFont_; // the page font at the device's resolution
    bool first_ = true;
};

// A PDF file of the pages (QPdfWriter titled "FOLHA DE PAGAMENTO"), written
// page by page.
class PdfSink : public PageSink {
public:
    PdfSink(const QString& path, const PrintSettings& settings);
    ~PdfSink() override;
    void begin(const ReportJobInfo& info) override;
    void page(const TextPage& page) override;
    void end() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace folha
