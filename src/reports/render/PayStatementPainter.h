#pragma once
// Draws pay statements on any paged paint device (PDF writer, printer,
// preview): A4 portrait, 5 mm margins, two statements to a page, in the
// fixed-pitch font of the text reports (Liberation Mono). The layout is a
// small table of boxes in millimetres (header, 17 line slots, footer with
// the bases, totals, net, messages and the receipt). An employee's copy 1
// begins a new page; lines beyond the 17th go on continuation statements,
// the statement before saying "Continua na próxima folha".

#include "PayStatements.h"

#include <map>
#include <memory>
#include <optional>
#include <QFont>
#include <QRawFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace folha {

class PayStatementPainter {
public:
    // Sets the device to A4 portrait with 5 mm margins.
    explicit PayStatementPainter(QPagedPaintDevice& device);
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
    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    int slot_ = -1; // slot of the current page in use (0 or 1); -1 before any
    int pages_ = 0;
    double unit_ = 1; // device pixels per millimetre
    // The fonts drawn with, by size and weight, each with the width of one
    // character on the device (every glyph of the font is as wide).
    struct DeviceFont {
        QFont font;
        QRawFont raw; // the same font at the device's resolution, for glyph runs
        double charWidth = 0;
        double ascent = 0;
        double descent = 0;
    };
    const DeviceFont& fontFor(double points, bool bold);
    std::map<int, DeviceFont> fonts_;
};

struct PayStatementFiles {
    int statements = 0;
    int pages = 0;
    QStringList files; // the PDFs written
};

// Every statement of the work tables in the order asked, into one PDF.
// Throws UserError when the file cannot be written.
// With `annex`, each employee's statements are followed by the annex of his
// calculation trail.
PayStatementFiles WritePayStatementsPdf(Database& tmpDb, Database& company, StatementOrder order,
                                        const QString& path, const std::optional<StatementTrailAnnex>& annex = {});
// One PDF per employee in the folder (created when missing), named by
// StatementFileName.
PayStatementFiles WritePayStatementsSplit(Database& tmpDb, Database& company, StatementOrder order,
                                          const QString& folder, const std::optional<StatementTrailAnnex>& annex = {});
// Every statement of the work tables drawn with `painter` (the preview and
// the printer), each employee's annex after his statements with `annex`.
// Returns the number of statements.
int PaintPayStatements(PayStatementPainter& painter, Database& tmpDb, Database& company, StatementOrder order,
                       const std::optional<StatementTrailAnnex>& annex = {});

} // namespace folha
