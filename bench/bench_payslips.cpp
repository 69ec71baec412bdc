// Pay statements of a synthetic company (about a dozen events per employee):
// the payroll run of the month, then the work tables filled and the
// statements PDF drawn, each with its time and the peak memory above the
// company already open. Figures only; nothing is asserted.
//   bench_payslips [employees...]   (default: 10000 100000)
#include "BenchSupport.h"
#include "DemoBuilder.h"
#include "PayrollRun.h"
#include "PayStatementPainter.h"
#include "PayStatements.h"
#include "Table.h"

#include <cstdio>
#include <cstring>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace folha;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

void bench(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    auto tmp = Database::openDirectory(dir.path() + "/TmpDb");
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    SilentUi ui;

    payroll::RunOptions run;
    run.branchCode = QStringLiteral("001");
    run.automaticMode = true;
    resetPeak();
    long before = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const payroll::RunSummary calc = payroll::PayrollRun(*db, ui).run(run);
    const double runSecs = t.elapsed() / 1000.0;
    const long runPeak = statusKb("VmHWM:") - before;

    PayStatementOptions options;
    options.branchCode = QStringLiteral("001");
    options.message1 = QStringLiteral("Mensagem de teste");
    resetPeak();
    before = statusKb("VmRSS:");
    t.restart();
    const PayStatementSummary built = BuildPayStatements(*db, *tmp, ui, options);
    const double buildSecs = t.elapsed() / 1000.0;
    const long buildPeak = statusKb("VmHWM:") - before;

    // The statements read back from the work tables, nothing drawn: the
    // part of the PDF's time that is not drawing.
    t.restart();
    ForEachPayStatement(*tmp, *db, StatementOrder::Code, [](const PayStatement&) { return true; });
    const double readSecs = t.elapsed() / 1000.0;

    resetPeak();
    before = statusKb("VmRSS:");
    const QString pdf = dir.filePath("envelopes.pdf");
    t.restart();
    const PayStatementFiles drawn = WritePayStatementsPdf(*tmp, *db, StatementOrder::Code, pdf);
    const double drawSecs = t.elapsed() / 1000.0;
    const long drawPeak = statusKb("VmHWM:") - before;

    std::printf("%7d employees: payroll run %8.2f s (%d calculated, peak +%ld KB)\n", employees, runSecs,
                calc.employeesCalculated, runPeak);
    std::printf("                   work tables %7.2f s (%d statements, %lld lines, peak +%ld KB)\n",
                buildSecs, built.statements, static_cast<long long>(built.lines), buildPeak);
    std::printf("                   PDF         %7.2f s (%d pages, %lld KB file, peak +%ld KB)\n", drawSecs,
                drawn.pages, static_cast<long long>(QFile(pdf).size() / 1024), drawPeak);
    std::printf("                   (reading the statements back, nothing drawn: %.2f s)\n", readSecs);
    std::printf("                   statements / payroll run: %.2f\n",
                (buildSecs + drawSecs) / std::max(runSecs, 0.001));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty()) sizes = {10000, 100000};
    for (int n : sizes)
        if (n > 0) bench(n);
    return 0;
}
