// Runs the 13th salary calculation of December over a synthetic company
// whose April events are averaged, beside the monthly payroll run of the
// same employees: the calculation values every employee with its own run of
// the payroll, so the ratio shows what the per-employee valuation costs.
//   bench_leave [employees...]   (default: 2000 10000)
#include "BenchSupport.h"
#include "DemoBuilder.h"
#include "PayrollRun.h"
#include "Table.h"
#include "Thirteenth.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace folha;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

void setBranch(Database& db, const QDate& date, const char* sheet) {
    Table filial(db, QStringLiteral("Filial"));
    Record b = *filial.find({QStringLiteral("001")});
    b.set("DATA_FOLHA", date).set("TIPO_FOL", QLatin1String(sheet));
    filial.update(b);
}

void bench(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    SilentUi ui;

    payroll::RunOptions monthly;
    monthly.branchCode = QStringLiteral("001");
    monthly.automaticMode = true;
    QElapsedTimer t;
    t.start();
    payroll::PayrollRun(*db, ui).run(monthly);
    const double monthlySecs = t.elapsed() / 1000.0;

    setBranch(*db, QDate(2013, 12, 31), "D");
    leave::LeaveOptions o;
    o.branchCode = QStringLiteral("001");
    t.restart();
    const leave::LeaveSummary s = leave::ThirteenthCalc(*db, ui).run(o);
    const double secs = t.elapsed() / 1000.0;
    const qint64 rows = Table(*db, "OCORRENC").count(QStringLiteral("TIPOFOLHA = 'D'"));
    t.restart();
    leave::ThirteenthCalc(*db, ui).run(o);
    const double again = t.elapsed() / 1000.0;

    std::printf("%d employees: monthly run %.1f s (%.0f employees/s)\n", employees, monthlySecs, employees / monthlySecs);
    std::printf("  13th salary: %d calculated, %d valued, %lld rows on sheet D, %.1f s (%.0f employees/s), "
                "ratio to the monthly run %.2f; again %.1f s\n",
                s.employeesCalculated, s.employeesValued, static_cast<long long>(rows), secs, employees / secs,
                secs / monthlySecs, again);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty()) sizes = {2000, 10000};
    for (int n : sizes) bench(n);
    return 0;
}
