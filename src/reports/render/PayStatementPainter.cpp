#include "PayStatementPainter.h"

#include "CairoPdfCanvas.h"
#include "SystemFiles.h"
#include "DbError.h"

#include <algorithm>
#include <QDir>

namespace folha {

namespace {

const QString DocumentTitle = QStringLiteral("Demonstrativo de Pagamento");

// The layout, in millimetres from the top left corner of a statement.
namespace layout {
constexpr double Width = 200;            // the A4 width within the margins
constexpr double Height = 138;           // one statement; two fit a page
constexpr double Gap = 287 - 2 * Height; // between the two statements of a page
constexpr double TitleRow = 0, CompanyRow = 7, EmployeeRow = 12, JobRow = 17, RowHeight = 5;
constexpr double ColumnsTop = 23, ColumnsBottom = 28;
constexpr double LineHeight = 4; // each of the 17 line slots
constexpr double LinesBottom = ColumnsBottom + StatementLineSlots * LineHeight;
constexpr double TotalsBottom = LinesBottom + 9;
constexpr double NetBottom = TotalsBottom + 10;
constexpr double Pad = 1.5; // text from a box's border

struct Column {
    const char* title;
    double x, width;
    Qt::Alignment align;
};
// "Cód.", "Descrição", "Hrs/Qtde", "Vencimentos", "Descontos".
constexpr Column Columns[] = {
    {"Cód.", 0, 14, Qt::AlignLeft},         {"Descrição", 14, 86, Qt::AlignLeft},
    {"Hrs/Qtde", 100, 24, Qt::AlignRight},  {"Vencimentos", 124, 38, Qt::AlignRight},
    {"Descontos", 162, 38, Qt::AlignRight},
};
constexpr double BasesWidth = 124; // the bases sit under code, description and quantity
constexpr double BaseCell = BasesWidth / 4;

// Font sizes in points.
constexpr double TitlePt = 10, TextPt = 8, LabelPt = 6, SmallPt = 7, NetPt = 9;
} // namespace layout

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString amountOrBlank(Fixed v) {
    return v.isZero() ? QString() : StatementMoney(v);
}

} // namespace

int PayStatementPainter::partsFor(int lines) {
    return std::max(1, (lines + StatementLineSlots - 1) / StatementLineSlots);
}

PayStatementPainter::PayStatementPainter(QPagedPaintDevice& device)
    : own_(std::make_unique<QPainterCanvas>(
          device, PageCanvas::Orientation::Portrait,
          QStringLiteral("Não foi possível iniciar a impressão do demonstrativo de pagamento."))),
      canvas_(*own_) {}

PayStatementPainter::PayStatementPainter(PageCanvas& canvas) : canvas_(canvas) {}

PayStatementPainter::~PayStatementPainter() = default;

void PayStatementPainter::begin() {
    if (begun_) return;
    canvas_.begin();
    begun_ = true;
    // Millimetres to device units; a device whose printable area is smaller
    // than the layout gets the layout drawn smaller, never cut.
    const double perMm = canvas_.dpi() / 25.4;
    const double widthMm = canvas_.width() / perMm;
    const double heightMm = canvas_.height() / perMm;
    fontScale_ = std::min({1.0, widthMm / layout::Width, heightMm / (2 * layout::Height + layout::Gap)});
    unit_ = perMm * fontScale_;
    pages_ = 1;
}

void PayStatementPainter::nextSlot(bool newEmployee) {
    begin();
    if (slot_ < 0) {
        slot_ = 0;
    } else if (newEmployee || slot_ == 1) {
        canvas_.newPage();
        ++pages_;
        slot_ = 0;
    } else {
        slot_ = 1;
    }
}

void PayStatementPainter::paint(const PayStatement& s) {
    const int parts = partsFor(int(s.lines.size()));
    for (int part = 0; part < parts; ++part) {
        nextSlot(part == 0 && s.copy == 1);
        paintPart(s, part, parts, slot_ * (layout::Height + layout::Gap));
    }
}

void PayStatementPainter::text(PageCanvas& canvas, double top, double x, double y, double w, double h,
                               const QString& t, Qt::Alignment align, double points, bool bold) {
    if (t.isEmpty()) return;
    const double u = unit_;
    const QRectF box((x + layout::Pad) * u, (top + y) * u, (w - 2 * layout::Pad) * u, h * u);
    double size = points * fontScale_;
    CanvasFontMetrics f = canvas.metrics(size, bold);
    double pitch = f.advance;
    double wide = pitch * double(t.size());
    if (wide > box.width()) {
        size *= box.width() / wide;
        f = canvas.metrics(size, bold);
        pitch = box.width() / double(t.size());
        wide = box.width();
    }
    // Every glyph is as wide as the next: the text is placed by hand, with
    // nothing to shape or lay out.
    double x0 = box.left();
    if (align & Qt::AlignRight) x0 = box.right() - wide;
    else if (align & Qt::AlignHCenter) x0 = box.center().x() - wide / 2;
    const double baseline = box.center().y() + (f.ascent - f.descent) / 2;
    canvas.text(QPointF(x0, baseline), t, size, bold, pitch);
}

namespace {

// A value under its caption in a box of the footer (the caption is the
// form's).
constexpr double CaptionTop = 0.3, CaptionHeight = 3, ValueTop = 3.5, ValueShort = 3.8;

} // namespace

void PayStatementPainter::paintForm(PageCanvas& p, const PayStatement& s, bool continuation, bool last) {
    const double u = unit_;
    auto hline = [&](double y, double x0 = 0, double x1 = layout::Width) {
        p.line(QPointF(x0 * u, y * u), QPointF(x1 * u, y * u));
    };
    auto vline = [&](double x, double y0, double y1) { p.line(QPointF(x * u, y0 * u), QPointF(x * u, y1 * u)); };
    auto text = [&](double x, double y, double w, double h, const QString& t, Qt::Alignment align,
                    double points, bool bold = false) { this->text(p, 0, x, y, w, h, t, align, points, bold); };
    auto caption = [&](double x, double w, double y, const QString& t) {
        text(x, y + CaptionTop, w, CaptionHeight, t, Qt::AlignLeft, layout::LabelPt);
    };
    using namespace layout;

    p.rect(QRectF(0, 0, Width * u, Height * u));
    text(0, TitleRow, 120, 7,
         continuation ? QStringLiteral("Demonstrativo de Pagamento - Continuação")
                      : QStringLiteral("Demonstrativo de Pagamento"),
         Qt::AlignLeft, TitlePt, true);
    text(120, TitleRow, 80, 7, s.payrollDescription, Qt::AlignRight, TextPt, true);
    text(0, CompanyRow, 140, RowHeight, s.companyName, Qt::AlignLeft, TextPt);
    text(140, CompanyRow, 60, RowHeight, QStringLiteral("Cnpj: ") + s.companyCnpj, Qt::AlignRight, TextPt);

    // Column titles and the 17 line slots.
    hline(ColumnsTop);
    hline(ColumnsBottom);
    for (const Column& c : Columns) {
        text(c.x, ColumnsTop, c.width, ColumnsBottom - ColumnsTop, QString::fromUtf8(c.title), c.align,
             TextPt, true);
        if (c.x > 0) vline(c.x, ColumnsTop, LinesBottom);
    }
    hline(LinesBottom);

    if (!last) {
        // A continued statement: the totals and the receipt are on the last part.
        text(0, LinesBottom, Width, Height - LinesBottom, QStringLiteral("Continua na próxima folha"),
             Qt::AlignHCenter, TitlePt, true);
        return;
    }

    // Bases and totals: a small caption above each value.
    const char* const bases[] = {"Salário p/ Mês", "Base INSS", "Base IRF", "FGTS"};
    for (int i = 0; i < 4; ++i) {
        caption(i * BaseCell, BaseCell, LinesBottom, QString::fromUtf8(bases[i]));
        if (i > 0) vline(i * BaseCell, LinesBottom, TotalsBottom);
    }
    vline(Columns[3].x, LinesBottom, NetBottom);
    vline(Columns[4].x, LinesBottom, TotalsBottom);
    caption(Columns[3].x, Columns[3].width, LinesBottom, QStringLiteral("Total Vencimentos"));
    caption(Columns[4].x, Columns[4].width, LinesBottom, QStringLiteral("Total Descontos"));
    hline(TotalsBottom);

    // The messages beside the net pay.
    const QString messages[] = {s.message1, s.message2, s.message3};
    for (int i = 0; i < 3; ++i)
        text(0, TotalsBottom + 0.5 + i * 3, BasesWidth, 3, messages[i], Qt::AlignLeft, SmallPt);
    caption(Columns[3].x, Width - Columns[3].x, TotalsBottom, QStringLiteral("Líquido"));
    hline(NetBottom);

    // The receipt.
    const QString receipt[] = {QStringLiteral("Recebi o valor líquido deste recibo, "),
                               QStringLiteral("correspondente a discriminação"),
                               QStringLiteral("acima, do qual dou plena e total quitação.")};
    for (int i = 0; i < 3; ++i)
        text(0, NetBottom + 2 + i * 3.5, BasesWidth, 3.5, receipt[i], Qt::AlignLeft, SmallPt);
    text(BasesWidth, NetBottom + 2, Width - BasesWidth, 3.5, QStringLiteral("Data: __/__/_____"),
         Qt::AlignLeft, SmallPt);
    hline(Height - 6, BasesWidth + 2, Width - 2);
    text(BasesWidth, Height - 5.5, Width - BasesWidth, 3.5, QStringLiteral("Assinatura"), Qt::AlignHCenter,
         SmallPt);
}

void PayStatementPainter::paintPart(const PayStatement& s, int part, int parts, double top) {
    auto text = [&](double x, double y, double w, double h, const QString& t, Qt::Alignment align,
                    double points, bool bold = false) {
        this->text(canvas_, top, x, y, w, h, t, align, points, bold);
    };
    using namespace layout;
    const bool continuation = part > 0;
    const bool last = part == parts - 1;

    // The form, the same on every statement of the run, then what is this
    // employee's.
    const QChar sep(0x1f);
    const QString form = QString::number(int(continuation)) + QString::number(int(last)) + sep +
                         QString::number(unit_) + sep + s.payrollDescription + sep + s.companyName + sep +
                         s.companyCnpj + sep + s.message1 + sep + s.message2 + sep + s.message3;
    canvas_.stamp(form, QPointF(0, top * unit_), [&](PageCanvas& c) { paintForm(c, s, continuation, last); });

    // Header.
    text(0, EmployeeRow, 150, RowHeight, s.employeeCode + QStringLiteral(" - ") + s.employeeName,
         Qt::AlignLeft, TextPt, true);
    text(140, EmployeeRow, 60, RowHeight, QStringLiteral("Admissão: ") + dateText(s.admission),
         Qt::AlignRight, TextPt);
    text(0, JobRow, 140, RowHeight, s.jobName, Qt::AlignLeft, TextPt);
    if (parts > 1)
        text(140, JobRow, 60, RowHeight, QStringLiteral("Folha %1 de %2").arg(part + 1).arg(parts),
             Qt::AlignRight, TextPt);

    // The lines of this part.
    const int first = part * StatementLineSlots;
    for (int slot = 0; slot < StatementLineSlots; ++slot) {
        const int index = first + slot;
        if (index >= int(s.lines.size())) break;
        const PayStatementLine& l = s.lines[size_t(index)];
        const double y = ColumnsBottom + slot * LineHeight;
        // A reference of zero (an amount typed as such) leaves the column blank.
        const QString quantity = l.quantity == QLatin1String("0") ? QString() : l.quantity;
        const QString values[] = {l.code, l.description, quantity, amountOrBlank(l.earning),
                                  amountOrBlank(l.deduction)};
        for (size_t c = 0; c < std::size(Columns); ++c)
            text(Columns[c].x, y, Columns[c].width, LineHeight, values[c], Columns[c].align, TextPt);
    }
    if (!last) return; // the totals and the receipt are on the last part

    auto value = [&](double x, double w, double y, double h, const QString& t, double pt, bool bold) {
        text(x, y + ValueTop, w, h - ValueShort, t, Qt::AlignRight, pt, bold);
    };
    const Fixed bases[] = {s.salary, s.inssBase, s.irrfBase, s.fgts};
    for (int i = 0; i < 4; ++i)
        value(i * BaseCell, BaseCell, LinesBottom, TotalsBottom - LinesBottom, StatementMoney(bases[i]), TextPt,
              false);
    value(Columns[3].x, Columns[3].width, LinesBottom, TotalsBottom - LinesBottom, StatementMoney(s.totalEarnings),
          TextPt, false);
    value(Columns[4].x, Columns[4].width, LinesBottom, TotalsBottom - LinesBottom,
          StatementMoney(s.totalDeductions), TextPt, false);

    value(Columns[3].x, Width - Columns[3].x, TotalsBottom, NetBottom - TotalsBottom, StatementMoney(s.net), NetPt,
          true);
}

void PayStatementPainter::paintTrail(const PayStatement& s, const QStringList& lines) {
    begin();
    constexpr double LineHeight = 3.6, Top = 17, PageHeight = 2 * layout::Height + layout::Gap;
    const int perPage = int((PageHeight - Top) / LineHeight);
    const int pages = std::max(1, int((lines.size() + perPage - 1) / perPage));
    const double u = unit_;
    auto line = [&](double y, double h, const QString& t, double points, bool bold, Qt::Alignment align) {
        text(canvas_, 0, 0, y, layout::Width, h, t, align, points, bold);
    };
    for (int page = 0; page < pages; ++page) {
        if (slot_ >= 0) {
            canvas_.newPage();
            ++pages_;
        }
        slot_ = 1; // the next statement begins a page of its own
        line(0, 7, pages > 1 ? QStringLiteral("Memória de Cálculo (%1 de %2)").arg(page + 1).arg(pages)
                             : QStringLiteral("Memória de Cálculo"),
             layout::TitlePt, true, Qt::AlignLeft);
        line(0, 7, s.payrollDescription, layout::TextPt, true, Qt::AlignRight);
        line(7, 5, s.employeeCode + QStringLiteral(" - ") + s.employeeName, layout::TextPt, true, Qt::AlignLeft);
        line(7, 5, s.companyName, layout::TextPt, false, Qt::AlignRight);
        canvas_.line(QPointF(0, (Top - 2) * u), QPointF(layout::Width * u, (Top - 2) * u));
        for (int i = 0; i < perPage; ++i) {
            const int at = page * perPage + i;
            if (at >= lines.size()) break;
            line(Top + i * LineHeight, LineHeight, lines[at], layout::SmallPt, false, Qt::AlignLeft);
        }
    }
}

void PayStatementPainter::finish() {
    begin();
    canvas_.finish();
}

namespace {

// A PDF file opened before anything is drawn, so a folder without
// permission is said at once.
std::unique_ptr<CairoPdfCanvas> openPdf(const QString& path) {
    RefuseSystemOutput(path);
    return std::make_unique<CairoPdfCanvas>(path, PageCanvas::Orientation::Portrait, DocumentTitle,
                                            QStringLiteral("FOLHA DE PAGAMENTO"));
}

} // namespace

int PaintPayStatements(PayStatementPainter& painter, Database& tmpDb, Database& company, StatementOrder order,
                       const std::optional<StatementTrailAnnex>& annex) {
    std::optional<PayStatement> previous;
    auto annexOf = [&](const PayStatement& s) {
        painter.paintTrail(s, TrailAnnexLines(StatementTrail(company, s.employeeCode, *annex),
                                              PayStatementPainter::TrailWidth));
    };
    const int statements = ForEachPayStatement(tmpDb, company, order, [&](const PayStatement& s) {
        if (annex && previous && previous->employeeCode != s.employeeCode) annexOf(*previous);
        painter.paint(s);
        if (annex) previous = s;
        return true;
    });
    if (annex && previous) annexOf(*previous);
    return statements;
}

PayStatementFiles WritePayStatementsPdf(Database& tmpDb, Database& company, StatementOrder order,
                                        const QString& path, const std::optional<StatementTrailAnnex>& annex) {
    PayStatementFiles result;
    auto canvas = openPdf(path);
    {
        PayStatementPainter painter(*canvas);
        result.statements = PaintPayStatements(painter, tmpDb, company, order, annex);
        painter.finish();
        result.pages = painter.pages();
    }
    canvas.reset();
    result.files << path;
    return result;
}

QByteArray PayStatementPdfInMemory(const std::vector<PayStatement>& statements) {
    QByteArray pdf;
    {
        CairoPdfCanvas canvas(pdf, PageCanvas::Orientation::Portrait, DocumentTitle,
                              QStringLiteral("FOLHA DE PAGAMENTO"));
        PayStatementPainter painter(canvas);
        for (const PayStatement& s : statements) painter.paint(s);
        painter.finish();
    }
    return pdf;
}

PayStatementFiles WritePayStatementsSplit(Database& tmpDb, Database& company, StatementOrder order,
                                          const QString& folder, const std::optional<StatementTrailAnnex>& annex) {
    PayStatementFiles result;
    if (!QDir().mkpath(folder))
        throw UserError(QStringLiteral("Não foi possível criar a pasta %1").arg(folder));
    std::unique_ptr<CairoPdfCanvas> canvas;
    std::unique_ptr<PayStatementPainter> painter;
    QString current;
    std::optional<PayStatement> last;
    auto close = [&] {
        if (!painter) return;
        if (annex && last)
            painter->paintTrail(*last, TrailAnnexLines(StatementTrail(company, last->employeeCode, *annex),
                                                       PayStatementPainter::TrailWidth));
        painter->finish();
        result.pages += painter->pages();
        painter.reset();
        canvas.reset();
    };
    result.statements = ForEachPayStatement(tmpDb, company, order, [&](const PayStatement& s) {
        if (!painter || s.employeeCode != current) {
            close();
            const QString path = QDir(folder).filePath(StatementFileName(s.employeeCode, s.employeeName));
            canvas = openPdf(path);
            painter = std::make_unique<PayStatementPainter>(*canvas);
            current = s.employeeCode;
            result.files << path;
        }
        painter->paint(s);
        last = s;
        return true;
    });
    close();
    return result;
}

} // namespace folha
