#pragma once
// A PDF file drawn with cairo: the pages of the reports and the pay
// statements written straight to a PDF, A4 with 5 mm margins like the
// preview. Its units are those of a 300 dpi device, and its font metrics are
// those the QPainter canvas measures on a 300 dpi PDF writer, so a page is
// laid out the same on both. Glyphs come from the Liberation Mono files that
// fontconfig finds (FreeType), looked up once per character, placed one
// pitch apart at the size whose advance is the pitch (so a run is written as
// one string), and embedded as a subset. A file is drawn by a second
// thread, a few pages behind the caller: the caller describes each page,
// cairo writes it there (the same calls in the same order, so the same
// file); a document kept in memory is drawn as it is described.

#include "PageCanvas.h"

#include <memory>

#include <QByteArray>

namespace folha {

class CairoPdfCanvas : public PageCanvas {
public:
    // Opens `path` for writing: throws UserError saying why it cannot be.
    // A document not finished is removed again.
    CairoPdfCanvas(const QString& path, Orientation orientation, const QString& title, const QString& creator);
    // Writes the document into `memory` (emptied first) instead of a file;
    // a document not finished leaves it empty.
    CairoPdfCanvas(QByteArray& memory, Orientation orientation, const QString& title, const QString& creator);
    ~CairoPdfCanvas() override;
    CairoPdfCanvas(const CairoPdfCanvas&) = delete;
    CairoPdfCanvas& operator=(const CairoPdfCanvas&) = delete;

    void begin() override {}
    double width() const override;
    double height() const override;
    double dpi() const override;
    const CanvasFontMetrics& metrics(double points, bool bold) override;
    void text(QPointF origin, QStringView text, double points, bool bold, double pitch) override;
    void line(QPointF from, QPointF to) override;
    void rect(const QRectF& r) override;
    void newPage() override;
    // The drawing is recorded once and written to the file once (a form
    // XObject); each page only refers to it.
    void stamp(const QString& key, QPointF at, const std::function<void(PageCanvas&)>& draw) override;
    // Writes the rest of the file and closes it; throws UserError (and
    // removes the file) when it could not be written.
    void finish() override;

    // The report font's metrics at `points` on a device of `dpi`, as Qt's
    // FreeType engine measures them: the font at a whole number of pixels,
    // ascent and descent rounded to 1/64 of a pixel, the advance cut to it.
    static CanvasFontMetrics FontMetricsAt(double points, bool bold, double dpi);

private:
    void init(Orientation orientation, const QString& title, const QString& creator);
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace folha
