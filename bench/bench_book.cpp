// The payroll book of a synthetic company of 10 000 and of 100 000
// employees (about a dozen entered events each): first the payroll run of
// the company (time and peak memory), then the book composed from the
// calculated rows to the report file and to a PDF, each with its time and
// peak resident memory. The book reads one employee's rows at a time and
// hands each page to its destination, so its peak should not grow with the
// company. Each company runs in a process of its own; within it the peak is
// reset before each step (/proc/self/clear_refs).
//   bench_book                 10000 and 100000
//   bench_book EMPLOYEES...    the given sizes
#include "BenchSupport.h"
#include "CountingSink.h"
#include "DemoBuilder.h"
#include "PagePainter.h"
#include "PayrollBook.h"
#include "PayrollRun.h"
#include "ReportFile.h"
#include "Table.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

using namespace folha;
using folha::benchmarks::CountingSink;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

int runCompany(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    QElapsedTimer t;
    t.start();
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    std::printf("employees=%d  built in %.1f s\n", employees, t.elapsed() / 1000.0);

    SilentUi ui;
    payroll::RunOptions run;
    run.branchCode = QStringLiteral("001");
    run.automaticMode = true;
    resetPeak();
    long before = statusKb("VmRSS:");
    t.restart();
    const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(run);
    const double runSecs = t.elapsed() / 1000.0;
    std::printf(
        "  payroll run: %8.2f s  %6d employees  %8lld rows written  rss before %6ld KiB, peak %6ld KiB\n",
        runSecs, s.employeesCalculated, static_cast<long long>(s.rowsWritten), before, statusKb("VmHWM:"));
    std::fflush(stdout);

    PayrollBookOptions options;
    options.branchCode = QStringLiteral("001");
    for (const char* kind : {"txt", "pdf"}) {
        const QString path = dir.filePath(QStringLiteral("book.") + QLatin1String(kind));
        PrintSettings settings;
        std::unique_ptr<PageSink> target;
        if (QLatin1String(kind) == QLatin1String("pdf")) {
            settings.mode = PrintMode::Graphic;
            settings.destination = PrintDestination::Pdf;
            settings.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
            target = std::make_unique<PdfSink>(path, settings);
        } else {
            target = std::make_unique<ReportFileSink>(path, settings.density);
        }
        resetPeak();
        before = statusKb("VmRSS:");
        t.restart();
        CountingSink counting(*target);
        TextReport report(counting, PayrollBookWidth, settings.linesPerPage);
        report.beginJob({PayrollBookTitle, PayrollBookScreen});
        const PayrollBookResult book = ComposePayrollBook(*db, ui, options, report);
        report.endJob();
        const double secs = t.elapsed() / 1000.0;
        std::printf("  book %s:    %8.2f s  %6d employees  %6d pages  %8lld KB file  rss before %6ld KiB, "
                    "peak %6ld KiB"
                    "  (%.2f x the run)\n",
                    kind, secs, book.employees, counting.pages,
                    static_cast<long long>(QFile(path).size() / 1024), before, statusKb("VmHWM:"),
                    secs / runSecs);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--one")) return runCompany(args[1].toInt());
    if (args.isEmpty()) args = {QStringLiteral("10000"), QStringLiteral("100000")};
    for (const QString& n : args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(app.applicationFilePath(), {QStringLiteral("--one"), n});
        p.waitForFinished(-1);
    }
    return 0;
}
