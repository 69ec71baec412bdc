#pragma once
// Draws text pages on a canvas (the preview, the printer, a PDF file) in a
// fixed-pitch font: Liberation Mono, standing for "Courier New", 12 pt;
// condensed 7 pt in portrait and 8 pt in landscape. Each cell is drawn at
// (characters already drawn on the line) x (width of "M"), each line one
// font height below the previous; control strings are not drawn.

#include "../PageSink.h"
#include "../PrintSettings.h"
#include "PageCanvas.h"

#include <QString>
#include <memory>

class QPagedPaintDevice;

namespace folha {

// The font size in points for the settings.
double PageFontPointSize(const PrintSettings& settings);
// "R" portrait, otherwise landscape.
PageCanvas::Orientation PageOrientation(const PrintSettings& settings);

class PagePainter {
public:
    // Draws on the device through QPainter; sets its page to A4 in the
    // settings' orientation.
    PagePainter(QPagedPaintDevice& device, const PrintSettings& settings);
    // Draws on a canvas already laid out in the settings' orientation.
    PagePainter(PageCanvas& canvas, const PrintSettings& settings);
    ~PagePainter();
    // Draws one page; from the second page on, starts a new device page.
    void paint(const TextPage& page);
    void finish();

private:
    std::unique_ptr<PageCanvas> own_; // the QPainter canvas on a device
    PageCanvas& canvas_;
    PrintSettings settings_;
    bool first_ = true;
};

// A PDF file of the pages (titled "FOLHA DE PAGAMENTO"), written page by
// page with cairo.
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
