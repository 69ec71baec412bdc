// Peak memory of the two streamed report destinations: the spreadsheet
// export of a 10 000- and a 100 000-line report file, and the PDF of 200 and
// 2000 pages. Each case runs in a process of its own, so its peak resident
// size (ru_maxrss) is its own.
//   bench_reports                   all four cases
//   bench_reports xlsx LINES | pdf PAGES   one case in this process
#include "PagePainter.h"
#include "XlsxExport.h"

#include "UserInterface.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace folha;

namespace {

class QuietUi : public UserInterface {
public:
    void message(MessageKind, const QString&, const QString&) override {}
    bool question(const QString&, QuestionKind, const QString&) override { return false; }
};

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

QString line(int n) {
    return QStringLiteral(" %1 %2 %3 %4 %5")
        .arg(n, 6, 10, QLatin1Char('0'))
        .arg(QStringLiteral("FUNCIONARIO %1").arg(n).leftJustified(40))
        .arg(QStringLiteral("CARGO %1").arg(n % 97).leftJustified(30))
        .arg(QStringLiteral("%1,%2").arg(1000 + n % 9000).arg(n % 100, 2, 10, QLatin1Char('0')), 12)
        .arg(QStringLiteral("01/%1/2013").arg(1 + n % 12, 2, 10, QLatin1Char('0')));
}

// A report file of 90-line pages (the spreadsheet destination's page
// length): six header lines, then the body.
void writeReport(const QString& path, int lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    int written = 0;
    for (int page = 1; written < lines; ++page) {
        f.write("\x0f\x1b"
                "2");
        f.write(QStringLiteral("DEMO LTDA:FOLHA DE PAGAMENTO").leftJustified(117).toLatin1() +
                "DATA.:07/12/2026\r\n");
        f.write(QStringLiteral("ZORVAN SISTEMAS").leftJustified(117).toLatin1() + "HORA.:  16:15:30\r\n");
        f.write(QStringLiteral("Relatorio de Funcionarios").leftJustified(117).toLatin1() +
                QStringLiteral("PAG..:%1\r\n").arg(page, 10, 10, QLatin1Char('0')).toLatin1());
        f.write(QByteArray(132, '-') + "\r\n");
        f.write(" Codigo Nome                                     Cargo                                "
                "Salario Admissao\r\n");
        f.write(QByteArray(132, '-') + "\r\n");
        written += 6;
        for (int i = 0; i < 84 && written < lines; ++i, ++written)
            f.write(line(written).toLatin1() + "\r\n");
    }
}

int runXlsx(int lines) {
    QTemporaryDir dir;
    const QString report = dir.filePath("TMP.IMP");
    writeReport(report, lines);
    const long before = peakKb();
    QuietUi ui;
    QElapsedTimer t;
    t.start();
    const int rows = WriteXlsx(report, dir.filePath("r.xlsx"),
                               {QStringLiteral("@Codigo@Nome                                    @Cargo       "
                                               "                  @     Salario@Admissao  @"),
                                true},
                               ui);
    std::printf("xlsx %7d lines: %6d rows, %6lld ms, peak %6ld KB (before export %ld KB)\n", lines, rows,
                static_cast<long long>(t.elapsed()), peakKb(), before);
    return 0;
}

int runPdf(int pages) {
    QTemporaryDir dir;
    PrintSettings settings;
    settings.mode = PrintMode::Graphic;
    settings.linesPerPage = 73;
    const long before = peakKb();
    QElapsedTimer t;
    t.start();
    PdfSink sink(dir.filePath("r.pdf"), settings);
    sink.begin({QStringLiteral("Relatorio de Funcionarios"), QStringLiteral("bench")});
    TextPage page;
    page.width = 132;
    int n = 0;
    for (int p = 1; p <= pages; ++p) {
        page.number = p;
        page.lines.clear();
        for (int i = 0; i < 73; ++i) {
            QStringList cells;
            for (QChar ch : line(++n))
                cells << QString(ch);
            page.lines.push_back(cells);
        }
        sink.page(page);
    }
    sink.end();
    std::printf("pdf  %7d pages: %6lld KB file, %6lld ms, peak %6ld KB (before %ld KB)\n", pages,
                static_cast<long long>(QFile(dir.filePath("r.pdf")).size() / 1024),
                static_cast<long long>(t.elapsed()), peakKb(), before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("xlsx")) return runXlsx(args[1].toInt());
    if (args.size() == 2 && args[0] == QLatin1String("pdf")) return runPdf(args[1].toInt());
    const QStringList cases[] = {{"xlsx", "10000"}, {"xlsx", "100000"}, {"pdf", "200"}, {"pdf", "2000"}};
    for (const QStringList& c : cases) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(app.applicationFilePath(), c);
        p.waitForFinished(-1);
    }
    return 0;
}
