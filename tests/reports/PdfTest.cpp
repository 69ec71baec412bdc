// The PDF destination read back through poppler's text extraction.
#include "CairoPdfCanvas.h"
#include "GuiEnvironment.h"
#include "PagePainter.h"
#include "TempDir.h"

#include "DbError.h"

#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

using namespace folha;

namespace {

[[maybe_unused]] ::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::GuiEnvironment);

// A page of the given lines, one character per cell.
TextPage makePage(int number, int width, const QStringList& lines) {
    TextPage page;
    page.number = number;
    page.width = width;
    for (const QString& text : lines) page.lines.push_back(TextLine::fromText(text));
    return page;
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int page = 0) {
    QStringList args{"-layout"};
    if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
    return run("pdftotext", args << pdf << "-");
}

// "Pages:" and "Page size:" (width and height in points) of pdfinfo.
struct PdfInfo {
    int pages = 0;
    double width = 0;
    double height = 0;
};
PdfInfo pdfInfo(const QString& pdf) {
    const QString text = run("pdfinfo", {pdf});
    PdfInfo info;
    QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    if (m.hasMatch()) info.pages = m.captured(1).toInt();
    m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(text);
    if (m.hasMatch()) {
        info.width = m.captured(1).toDouble();
        info.height = m.captured(2).toDouble();
    }
    return info;
}

PrintSettings graphic(const QString& orientation, bool condensed, int lines) {
    PrintSettings s;
    s.mode = PrintMode::Graphic;
    s.destination = PrintDestination::Pdf;
    s.orientation = orientation;
    s.density = condensed ? DensityCondensed : DensityNormal;
    s.linesPerPage = lines;
    return s;
}

void writePdf(const QString& path, const PrintSettings& settings, const std::vector<TextPage>& pages) {
    PdfSink sink(path, settings);
    sink.begin({QStringLiteral("Relatório de Cargos"), QStringLiteral("TfoCadRelCargos")});
    for (const TextPage& p : pages)
        sink.page(p);
    sink.end();
}

} // namespace

TEST(PageFont, PointSizeFollowsDensityAndOrientation) {
    struct Case {
        bool condensed;
        const char* orientation;
        double points;
    } cases[] = {{true, "R", 7.0}, {true, "P", 8.0}, {false, "R", 12.0}, {false, "P", 12.0}};
    for (const Case& c : cases)
        EXPECT_EQ(PageFontPointSize(graphic(c.orientation, c.condensed, 50)), c.points)
            << c.orientation << c.condensed;
    PrintSettings lineFeed = graphic("P", false, 50);
    lineFeed.density = QString(QChar(10));
    EXPECT_EQ(PageFontPointSize(lineFeed), 10.0);
}

TEST(PdfSink, WritesEveryPageInLandscapeA4) {
    TempDir dir;
    const QString pdf = dir.file("cargos.pdf");
    std::vector<TextPage> pages;
    pages.push_back(makePage(1, 132, {"DEMO LTDA:FOLHA DE PAGAMENTO", "", "PRIMEIRA PAGINA 001 ANALISTA"}));
    pages.push_back(makePage(2, 132, {"DEMO LTDA:FOLHA DE PAGAMENTO", "SEGUNDA PAGINA 002 OPERADOR"}));
    writePdf(pdf, graphic("P", true, 73), pages);

    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.pages, 2);
    // A4 is 595.28 x 841.89 points; landscape lies on its long side.
    EXPECT_NEAR(info.width, 841.89, 1.0);
    EXPECT_NEAR(info.height, 595.28, 1.0);
    const QString first = pdfText(pdf, 1);
    const QString second = pdfText(pdf, 2);
    EXPECT_TRUE(first.contains("PRIMEIRA PAGINA 001 ANALISTA")) << first.toStdString();
    EXPECT_FALSE(first.contains("SEGUNDA"));
    EXPECT_TRUE(second.contains("SEGUNDA PAGINA 002 OPERADOR")) << second.toStdString();
    EXPECT_TRUE(run("pdfinfo", {pdf}).contains("FOLHA DE PAGAMENTO"));
}

TEST(PdfSink, PortraitPageStandsUp) {
    TempDir dir;
    const QString pdf = dir.file("retrato.pdf");
    writePdf(pdf, graphic("R", true, 99), {makePage(1, 80, {"RETRATO"})});
    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, 595.28, 1.0);
    EXPECT_NEAR(info.height, 841.89, 1.0);
}

TEST(PdfSink, ControlCellsTakeNoColumnAndCellsFallOnTheGrid) {
    TempDir dir;
    const QString pdf = dir.file("grade.pdf");
    // The condensed code before the line is not drawn and takes no column:
    // "BBB" starts 40 columns after "AAA". Liberation Mono's characters are
    // 0.6 em wide; 8 points at 300 dpi are 33.3 pixels, taken as 33, so a
    // column is 19.8 pixels (4.752 points) and 40 columns 190.08 points.
    const TextPage page = makePage(1, 80, {DensityCondensed + QStringLiteral("AAA") + QString(37, ' ') + QStringLiteral("BBB")});
    writePdf(pdf, graphic("P", true, 10), {page});
    const QString boxes = run("pdftotext", {"-bbox", pdf, "-"});
    auto xMin = [&](const QString& word) {
        QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\"[^>]*>%1<").arg(word)).match(boxes);
        EXPECT_TRUE(m.hasMatch()) << word.toStdString() << boxes.toStdString();
        return m.captured(1).toDouble();
    };
    EXPECT_NEAR(xMin("BBB") - xMin("AAA"), 190.08, 0.2);
    // The left margin is 5 mm (14.17 points).
    EXPECT_NEAR(xMin("AAA"), 14.17, 0.5);
    EXPECT_FALSE(boxes.contains(QChar(15)));
}

TEST(PdfSink, NinetyNineCondensedLinesFitAPortraitPage) {
    TempDir dir;
    const QString pdf = dir.file("longa.pdf");
    QStringList lines;
    for (int i = 1; i <= 99; ++i)
        lines << QStringLiteral("LINHA%1").arg(i, 3, 10, QLatin1Char('0')) + QString(118, '.') +
                     QStringLiteral("FIM%1").arg(i, 3, 10, QLatin1Char('0'));
    writePdf(pdf, graphic("R", true, 99), {makePage(1, 132, lines)});
    EXPECT_EQ(pdfInfo(pdf).pages, 1);
    const QString text = pdfText(pdf);
    for (int i = 1; i <= 99; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_TRUE(text.contains("LINHA" + n)) << n.toStdString();
        EXPECT_TRUE(text.contains("FIM" + n)) << n.toStdString();
    }
}

TEST(PdfSink, SeventyThreeNormalLinesInLandscapeAreAllDrawn) {
    TempDir dir;
    const QString pdf = dir.file("paisagem.pdf");
    QStringList lines;
    for (int i = 1; i <= 73; ++i)
        lines << QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0')) + QString(125, '-') +
                     QStringLiteral("FIM");
    writePdf(pdf, graphic("P", false, 73), {makePage(1, 132, lines)});
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains("L01")) << text.toStdString();
    EXPECT_TRUE(text.contains("L73"));
    EXPECT_EQ(text.count("FIM"), 73);
}

TEST(PdfSink, UnwritablePathIsAUserError) {
    TempDir dir;
    const QString pdf = dir.file("nao-existe/cargos.pdf");
    PdfSink sink(pdf, graphic("P", true, 73));
    try {
        sink.begin({});
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Não foi possível gravar o arquivo %1: a pasta não existe.").arg(pdf));
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

// The PDF is drawn with cairo and the preview with QPainter: both lay the
// page out with the same font measures, those Qt takes on a 300 dpi PDF
// writer (the font at a whole number of pixels, in 1/64 of a pixel).
TEST(CairoPdfCanvas, FontMetricsAreThoseOfTheQPainterCanvasAt300Dpi) {
    // Hand-computed: 8 points at 300 dpi are 33 pixels; Liberation Mono's
    // advance is 1229 of 2048 units (cut to 1267/64 px), its ascent 1705
    // (1758/64) and descent 615 (634/64).
    const CanvasFontMetrics eight = CairoPdfCanvas::FontMetricsAt(8, false, 300);
    EXPECT_DOUBLE_EQ(eight.advance, 1267.0 / 64);
    EXPECT_DOUBLE_EQ(eight.ascent, 1758.0 / 64);
    EXPECT_DOUBLE_EQ(eight.descent, 634.0 / 64);
    EXPECT_DOUBLE_EQ(eight.lineSpacing, (1758.0 + 634.0) / 64);

    TempDir dir;
    QPdfWriter writer(dir.file("medidas.pdf"));
    writer.setResolution(300);
    QPainterCanvas painter(writer, PageCanvas::Orientation::Portrait, QStringLiteral("erro"));
    const double sizes[] = {6, 7, 8, 9, 10, 12, 6.5, 7.25};
    for (double points : sizes)
        for (bool bold : {false, true}) {
            const CanvasFontMetrics qt = painter.metrics(points, bold);
            const CanvasFontMetrics cairo = CairoPdfCanvas::FontMetricsAt(points, bold, 300);
            EXPECT_DOUBLE_EQ(cairo.advance, qt.advance) << points << bold;
            EXPECT_DOUBLE_EQ(cairo.ascent, qt.ascent) << points << bold;
            EXPECT_DOUBLE_EQ(cairo.descent, qt.descent) << points << bold;
            EXPECT_DOUBLE_EQ(cairo.lineSpacing, qt.lineSpacing) << points << bold;
        }
    painter.finish();
}

// A form stamped on every page is written to the file once and lands where
// drawing it on each page would put it: the words of both files have the
// same boxes.
TEST(CairoPdfCanvas, AStampIsWrittenOnceAndLandsWhereItWouldBeDrawn) {
    TempDir dir;
    auto form = [](PageCanvas& c) {
        c.rect(QRectF(0, 0, 1500, 600));
        c.line(QPointF(0, 100), QPointF(1500, 100));
        c.text(QPointF(30, 60), QStringLiteral("FORMULÁRIO FIXO"), 8, true, 20);
    };
    auto write = [&](const QString& path, bool stamped) {
        CairoPdfCanvas canvas(path, PageCanvas::Orientation::Portrait, QStringLiteral("t"), QStringLiteral("c"));
        for (int page = 1; page <= 3; ++page) {
            for (int half = 0; half < 2; ++half) {
                const QPointF at(0, half * 1700);
                if (stamped) canvas.stamp(QStringLiteral("forma"), at, form);
                else canvas.PageCanvas::stamp(QStringLiteral("forma"), at, form);
                canvas.text(at + QPointF(30, 300), QStringLiteral("PAGINA%1PARTE%2").arg(page).arg(half), 8, false, 20);
            }
            if (page < 3) canvas.newPage();
        }
        canvas.finish();
    };
    const QString stamped = dir.file("carimbo.pdf"), drawn = dir.file("desenho.pdf");
    write(stamped, true);
    write(drawn, false);
    auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_EQ(bytes(stamped).count("/Subtype /Form"), 1);
    EXPECT_EQ(bytes(drawn).count("/Subtype /Form"), 0);
    // Each word with its box, in the order of the pages.
    auto words = [](const QString& pdf) {
        std::vector<std::pair<QString, std::array<double, 4>>> found;
        const QRegularExpression word(QStringLiteral(
            "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]+)<"));
        for (const QRegularExpressionMatch& m : word.globalMatch(run("pdftotext", {"-bbox", pdf, "-"})))
            found.push_back({m.captured(5), {m.captured(1).toDouble(), m.captured(2).toDouble(),
                                             m.captured(3).toDouble(), m.captured(4).toDouble()}});
        return found;
    };
    const auto once = words(stamped), each = words(drawn);
    ASSERT_EQ(once.size(), 18u); // per page: the form's two words twice and two page words
    ASSERT_EQ(each.size(), once.size());
    for (size_t i = 0; i < once.size(); ++i) {
        EXPECT_EQ(once[i].first, each[i].first) << i;
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(once[i].second[k], each[i].second[k], 0.001) << i << k;
    }
    EXPECT_EQ(once[17].first, QStringLiteral("PAGINA3PARTE1"));
}

// A form whose drawing fails halfway leaves nothing of it on the page, and
// the document goes on.
TEST(CairoPdfCanvas, AStampThatFailsLeavesNothingBehind) {
    TempDir dir;
    const QString pdf = dir.file("falha.pdf");
    CairoPdfCanvas canvas(pdf, PageCanvas::Orientation::Portrait, QStringLiteral("t"), QStringLiteral("c"));
    canvas.text(QPointF(30, 100), QStringLiteral("ANTES"), 8, false, 20);
    EXPECT_THROW(canvas.stamp(QStringLiteral("forma"), QPointF(0, 0),
                              [](PageCanvas& c) {
                                  c.text(QPointF(30, 300), QStringLiteral("METADE"), 8, false, 20);
                                  c.line(QPointF(0, 0), QPointF(1000, 0));
                                  throw UserError(QStringLiteral("falhou"));
                              }),
                 UserError);
    canvas.stamp(QStringLiteral("forma"), QPointF(0, 0),
                 [](PageCanvas& c) { c.text(QPointF(30, 500), QStringLiteral("INTEIRA"), 8, false, 20); });
    canvas.text(QPointF(30, 700), QStringLiteral("DEPOIS"), 8, false, 20);
    canvas.finish();
    const QString text = pdfText(pdf).simplified();
    EXPECT_EQ(text, QStringLiteral("ANTES INTEIRA DEPOIS"));
}

TEST(PdfSink, AccentsAreTextAndTheFontIsEmbedded) {
    TempDir dir;
    const QString pdf = dir.file("acentos.pdf");
    writePdf(pdf, graphic("P", true, 20),
             {makePage(1, 132, {QStringLiteral("RESCISÃO Nº 12 - CONCEIÇÃO JOSÉ - Férias pagas"),
                                QStringLiteral("ÀÉÍÓÚ âêô ü ª º °")})});
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("RESCISÃO Nº 12 - CONCEIÇÃO JOSÉ - Férias pagas"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ÀÉÍÓÚ âêô ü ª º °"))) << text.toStdString();
    // "name type encoding emb sub uni object ID": Liberation Mono, embedded
    // as a subset.
    const QStringList fonts = run("pdffonts", {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_EQ(fonts.size(), 1) << fonts.join('\n').toStdString();
    EXPECT_TRUE(fonts[0].contains(QStringLiteral("LiberationMono"))) << fonts[0].toStdString();
    EXPECT_TRUE(fonts[0].contains(QRegularExpression(QStringLiteral("\\byes\\s+yes\\s+yes\\b")))) << fonts[0].toStdString();
}

// A file that cannot be written to the end (here: larger than the process
// may write) is a clear error, and no half-written file is left behind.
TEST(PdfSink, AFailedWriteLeavesNoFile) {
    TempDir dir;
    const QString pdf = dir.file("cheio.pdf");
    std::vector<TextPage> pages;
    for (int p = 1; p <= 40; ++p) {
        QStringList lines;
        for (int i = 0; i < 60; ++i) lines << QStringLiteral("PAGINA %1 LINHA %2 ").arg(p).arg(i).repeated(5);
        pages.push_back(makePage(p, 132, lines));
    }
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        writePdf(pdf, graphic("P", true, 60), pages);
    } catch (const UserError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Não foi possível gravar o arquivo %1: ").arg(pdf)))
        << message.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}
