// Text pages to PDF: the same pages written by the program's PDF
// destination (PdfSink) and by a bare cairo writer (a cairo PDF surface,
// the same font, each line one cairo_show_text), in this process, with the
// pages per CPU-second of each (median of three) and their ratio. The pages
// are those of a condensed landscape report: 132 columns, the lines of the
// graphic page length, the density code at the head of each page.
//   bench_pdf [PAGES [FOLDER]]   (default 1000 pages; the two PDFs are kept
//                                 in FOLDER when given)
#include "PagePainter.h"
#include "PrintSettings.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

using namespace folha;

namespace {

QString bodyLine(int n) {
    return QStringLiteral(" %1 %2 %3 %4 %5")
        .arg(n, 6, 10, QLatin1Char('0'))
        .arg(QStringLiteral("FUNCIONÁRIO %1 CONCEIÇÃO").arg(n).leftJustified(40))
        .arg(QStringLiteral("CARGO %1 ANALISTA Nº").arg(n % 97).leftJustified(30))
        .arg(QStringLiteral("%1,%2").arg(1000 + n % 9000).arg(n % 100, 2, 10, QLatin1Char('0')), 12)
        .arg(QStringLiteral("01/%1/2013").arg(1 + n % 12, 2, 10, QLatin1Char('0')));
}

std::vector<TextPage> makePages(int count, int lines) {
    std::vector<TextPage> pages;
    for (int p = 1; p <= count; ++p) {
        TextPage page;
        page.number = p;
        page.width = 132;
        for (int i = 0; i < lines; ++i) {
            const QString text = i == 0 ? QStringLiteral("DEMO LTDA:FOLHA DE PAGAMENTO").leftJustified(112) +
                                              QStringLiteral("PÁGINA %1").arg(p, 6)
                                        : bodyLine(p * lines + i);
            TextLine cells = TextLine::fromText(i == 0 ? DensityCondensed + text : text);
            cells.close();
            page.lines.push_back(cells);
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

double writeWithSink(const QString& path, const PrintSettings& settings, const std::vector<TextPage>& pages) {
    const double start = cpuSeconds();
    PdfSink sink(path, settings);
    sink.begin({});
    for (const TextPage& p : pages)
        sink.page(p);
    sink.end();
    return cpuSeconds() - start;
}

cairo_font_face_t* referenceFace() {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Mono"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return face;
}

// The plain way of writing the pages with cairo: A4 landscape, 5 mm margins,
// the font at its size, one cairo_show_text per line at its baseline.
double writeWithCairo(const QString& path, double points, double lineHeight, const std::vector<TextPage>& pages) {
    const double start = cpuSeconds();
    const double margin = 5 / 25.4 * 72;
    cairo_surface_t* surface = cairo_pdf_surface_create(QFile::encodeName(path).constData(), 842, 595);
    cairo_t* cr = cairo_create(surface);
    cairo_font_face_t* face = referenceFace();
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, points);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_font_extents_t extents;
    cairo_font_extents(cr, &extents);
    bool first = true;
    for (const TextPage& page : pages) {
        if (!first) cairo_show_page(cr);
        first = false;
        for (int i = 0; i < int(page.lines.size()); ++i) {
            const QByteArray text = page.visibleText(i).toUtf8();
            if (text.trimmed().isEmpty()) continue;
            cairo_move_to(cr, margin, margin + i * lineHeight + extents.ascent);
            cairo_show_text(cr, text.constData());
        }
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    cairo_font_face_destroy(face);
    return cpuSeconds() - start;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    PrintSettings settings;
    settings.mode = PrintMode::Graphic;
    settings.destination = PrintDestination::Pdf;
    settings.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
    const std::vector<TextPage> pages = makePages(count, settings.linesPerPage);
    const double points = PageFontPointSize(settings);
    // The reference's lines as far apart as the program's (8 points of
    // Liberation Mono: 1.1328 em).
    const double lineHeight = points * 2320.0 / 2048.0;

    QTemporaryDir temporary;
    const QDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path());
    std::vector<double> program, reference;
    qint64 programSize = 0, referenceSize = 0;
    for (int round = 0; round < 3; ++round) {
        const QString a = dir.filePath(QStringLiteral("programa.pdf"));
        const QString b = dir.filePath(QStringLiteral("cairo.pdf"));
        program.push_back(writeWithSink(a, settings, pages));
        reference.push_back(writeWithCairo(b, points, lineHeight, pages));
        programSize = QFile(a).size();
        referenceSize = QFile(b).size();
    }
    const double p = count / median(program), r = count / median(reference);
    std::printf("%d pages of %d lines, 132 columns, %.0f pt\n", count, settings.linesPerPage, points);
    std::printf("  PdfSink:      %9.1f pages per CPU-second (%.2f s; %lld KB)\n", p, median(program),
                static_cast<long long>(programSize / 1024));
    std::printf("  cairo alone:  %9.1f pages per CPU-second (%.2f s; %lld KB)\n", r, median(reference),
                static_cast<long long>(referenceSize / 1024));
    std::printf("  PdfSink / cairo: %.2f\n", p / r);
    return 0;
}
