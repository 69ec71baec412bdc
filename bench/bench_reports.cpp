// Peak memory of the two streamed report destinations: the spreadsheet
// export of a 10 000- and a 100 000-line report file, and the PDF of 200 and
// 2000 pages; then the employees listing of a company of 10 000 and of
// 100 000 employees, composed from the database to the report file and to a
// PDF. Each case runs in a process of its own, so its peak resident size
// (ru_maxrss) is its own.
//   bench_reports                   every case
//   bench_reports xlsx LINES | pdf PAGES | listing EMPLOYEES txt|pdf   one case
#include "DemoBuilder.h"
#include "Listings.h"
#include "PagePainter.h"
#include "ReportJob.h"
#include "Table.h"
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
                                true, {}},
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
            page.lines.push_back(TextLine::fromText(line(++n)));
        }
        sink.page(page);
    }
    sink.end();
    std::printf("pdf  %7d pages: %6lld KB file, %6lld ms, peak %6ld KB (before %ld KB)\n", pages,
                static_cast<long long>(QFile(dir.filePath("r.pdf")).size() / 1024),
                static_cast<long long>(t.elapsed()), peakKb(), before);
    return 0;
}

// The demo installation with company 1 grown to `employees` employees.
void growCompany(Session& session, int employees) {
    QuietUi ui;
    demo::DemoBuilder(session).buildDemo(ui);
    for (const Record& company : Table(session.companyListDb(), "EmpresaFOLHA").select())
        if (company.integer("Codigo") == 1) session.SetaDiretorio(company.text("Diretorio"));
    session.signIn.CurrentCompanyCode = 1;
    session.signIn.CurrentBranchCodeText = QStringLiteral("001");
    Database& db = session.folha();
    Table cadfun(db, "CADFUN");
    const qint64 present = cadfun.count();
    Transaction t(db);
    for (int i = int(present) + 1; i <= employees; ++i) {
        Record r = cadfun.newRecord();
        r.set("CODFUN", QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')))
            .set("NOME", QStringLiteral("FUNCIONARIO %1").arg(i))
            .set("CARGO", 1 + i % 6)
            .set("DT_ADMIS", QDate(2010, 1 + i % 12, 1))
            .set("DT_NASC", QDate(1970 + i % 30, 1 + i % 12, 1 + i % 28));
        cadfun.insert(r);
    }
    t.commit();
}

int runListing(int employees, const QString& format) {
    QTemporaryDir dir;
    Session session{Installation(dir.path())};
    growCompany(session, employees);
    const ListingDef* def = FindListing(QStringLiteral("TfoRelCadFunc"));
    PrintSettings settings;
    if (format == QLatin1String("pdf")) {
        settings.mode = PrintMode::Graphic;
        settings.destination = PrintDestination::Pdf;
        settings.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
    } else {
        settings.destination = PrintDestination::Preview;
    }
    ReportRequest request;
    request.info = {def->caption, def->screen};
    request.width = def->width;
    request.pdfPath = dir.filePath("listing.pdf");
    QuietUi ui;
    const long before = peakKb();
    QElapsedTimer t;
    t.start();
    int rows = 0;
    const ReportResult result = RunReportJob(session, ui, settings, request, [&](TextReport& report) {
        const ListingResult r = ComposeListing(session, ui, *def, ListingOrder::Code, report);
        rows = r.rows;
        return !r.cancelled;
    });
    const QString out = format == QLatin1String("pdf") ? result.pdfFile : result.reportFile;
    std::printf("listing %s %7d employees: %6d rows, %5d pages, %7lld KB file, %6lld ms, peak %6ld KB (before %ld KB)\n",
                qPrintable(format), employees, rows, result.pages, static_cast<long long>(QFile(out).size() / 1024),
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
    if (args.size() == 3 && args[0] == QLatin1String("listing")) return runListing(args[1].toInt(), args[2]);
    const QStringList cases[] = {{"xlsx", "10000"},          {"xlsx", "100000"},         {"pdf", "200"},
                                 {"pdf", "2000"},            {"listing", "10000", "txt"}, {"listing", "100000", "txt"},
                                 {"listing", "10000", "pdf"}, {"listing", "100000", "pdf"}};
    for (const QStringList& c : cases) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(app.applicationFilePath(), c);
        p.waitForFinished(-1);
    }
    return 0;
}
