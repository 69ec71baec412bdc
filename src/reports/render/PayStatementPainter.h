#pragma once
// Draws pay statements on a canvas (the preview, the printer, a PDF file):
// A4 portrait, 5 mm margins, two statements to a page, in the
// fixed-pitch font of the text reports (Liberation Mono). The layout is a
// small table of boxes in millimetres (header, 17 line slots, footer with
// the bases, totals, net, messages and the receipt). An employee's copy 1
// begins a new page; lines beyond the 17th go on continuation statements,
// the statement before saying "Continua na próxima folha".

#include "PageCanvas.h"
#include "PayStatements.h"

#include <memory>
#include <optional>
#include <QString>
#include <qnamespace.h>

class QPagedPaintDevice;

namespace folha {

class PayStatementPainter {
public:
    // Draws on the device through QPainter; sets it to A4 portrait with 5 mm
    // margins.
    explicit PayStatementPainter(QPagedPaintDevice& device);
    // Draws on a canvas laid out in portrait.
    explicit PayStatementPainter(PageCanvas& canvas);
    ~PayStatementPainter();
    PayStatementPainter(const PayStatementPainter&) = delete;
    PayStatementPainter& operator=(const PayStatementPainter&) = delete;

    // Draws one statement with its continuations.
    void paint(const PayStatement& statement);
    // The annex of an employee's calculation trail: pages of its own after
    // his statements, headed by his name and the payroll's description.
    void paintTrail(const PayStatement& statement, const QStringList& lines);
    // The characters an annex line holds.
    static constexpr int TrailWidth = 120;
    // Ends the drawing (a job without statements gives one blank page).
    void finish();
    int pages() const { return pages_; }

    // How many printed parts a statement with that many lines takes.
    static int partsFor(int lines);

private:
    void begin();
    void nextSlot(bool newEmployee);
    void paintPart(const PayStatement& s, int part, int parts, double top);
    // What the statements of a run print alike (frame, titles, captions,
    // the company, the payroll, the messages, the receipt), at the top of
    // the canvas.
    void paintForm(PageCanvas& canvas, const PayStatement& s, bool continuation, bool last);
    // A text in a box (millimetres from the top left corner of a statement
    // `top` millimetres down the page), left, right or centred, vertically
    // centred; a text wider than its box is drawn smaller so that it fits.
    void text(PageCanvas& canvas, double top, double x, double y, double w, double h, const QString& t,
              Qt::Alignment align, double points, bool bold);
    std::unique_ptr<PageCanvas> own_; // the QPainter canvas on a device
    PageCanvas& canvas_;
    bool begun_ = false;
    int slot_ = -1; // slot of the current page in use (0 or 1); -1 before any
    int pages_ = 0;
    double unit_ = 1;      // device units per millimetre
    double fontScale_ = 1; // the layout drawn smaller on a device too small for it
};

struct PayStatementFiles {
    int statements = 0;
    int pages = 0;
    QStringList files; // the PDFs written
};

// Every statement of the work tables in the order asked, into one PDF
// (written with cairo).
// Throws UserError when the file cannot be written.
// With `annex`, each employee's statements are followed by the annex of his
// calculation trail.
PayStatementFiles WritePayStatementsPdf(Database& tmpDb, Database& company, StatementOrder order,
                                        const QString& path, const std::optional<StatementTrailAnnex>& annex = {});
// One PDF per employee in the folder (created when missing), named by
// StatementFileName.
PayStatementFiles WritePayStatementsSplit(Database& tmpDb, Database& company, StatementOrder order,
                                          const QString& folder, const std::optional<StatementTrailAnnex>& annex = {});
// One employee's statements (his copies in `statements`, each with its
// continuations) as a PDF held in memory, drawn by the same layout as the
// files: the e-mailed statement never touches the disk unprotected.
// Throws UserError when the PDF cannot be composed.
QByteArray PayStatementPdfInMemory(const std::vector<PayStatement>& statements);
// Every statement of the work tables drawn with `painter` (the preview and
// the printer), each employee's annex after his statements with `annex`.
// Returns the number of statements.
int PaintPayStatements(PayStatementPainter& painter, Database& tmpDb, Database& company, StatementOrder order,
                       const std::optional<StatementTrailAnnex>& annex = {});

} // namespace folha
