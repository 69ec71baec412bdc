// Runs the monthly payroll over a synthetic company (about a dozen entered
// events per employee) and reports its throughput and memory beside a bare
// prepared SQLite insert of the same number of rows into the same table.
// Then measures a 100 000-employee run cancelled after about 1 000
// employees: how long the run takes to return once the cancel is asked, and
// whether every employee is whole (all of its rows or none).
//   bench_run [employees...]   (default: 10000 100000, then the cancelled run)
//   bench_run --cancel [employees [after]]   (default: 100000 1000)
#include "BenchSupport.h"
#include "DemoBuilder.h"
#include "PayrollRun.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

using namespace folha;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

void bench(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    const qint64 entered = Table(*db, "OCORRENC").count();

    SilentUi ui;
    payroll::RunOptions options;
    options.branchCode = QStringLiteral("001");
    options.automaticMode = true;
    resetPeak();
    const long rssBefore = statusKb("VmRSS:");
    QElapsedTimer t;
    const quint64 statementsBefore = db->statementsRun();
    t.start();
    const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(options);
    const double runSecs = t.elapsed() / 1000.0;
    const long peak = statusKb("VmHWM:");
    const quint64 statementsRun = db->statementsRun() - statementsBefore;
    t.restart();
    const payroll::RunSummary again = payroll::PayrollRun(*db, ui).run(options);
    const double againSecs = t.elapsed() / 1000.0;
    const quint64 statementsAgain = db->statementsRun() - statementsBefore - statementsRun;

    // The storage limit: the same number of rows, one prepared insert per
    // row, into an empty events table with the same keys and indexes,
    // committed in groups of the run's size.
    auto bare = Database::openDirectory(dir.path() + "/bare");
    bare->ensureTable(Registry::instance().require("OCORRENC"));
    QSqlQuery q(bare->connection());
    q.prepare("INSERT INTO OCORRENC (OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REFER, VALOR, FLAG) "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const qint64 rows = s.rowsWritten;
    const qint64 perEmployee = std::max<qint64>(1, rows / std::max(1, s.employeesCalculated));
    t.restart();
    for (qint64 i = 0; i < rows;) {
        Transaction tx(*bare);
        for (qint64 k = 0; k < 200 * perEmployee && i < rows; ++k, ++i) {
            q.addBindValue(QStringLiteral("2013"));
            q.addBindValue(QStringLiteral("04"));
            q.addBindValue(QStringLiteral("F"));
            q.addBindValue(QString::number(100 + i % perEmployee));
            q.addBindValue(QStringLiteral("%1").arg(i / perEmployee, 6, 10, QChar('0')));
            q.addBindValue(qint64(0));
            q.addBindValue(qint64(12345600));
            q.addBindValue(QStringLiteral("*"));
            if (!q.exec()) {
                fprintf(stderr, "bare insert failed\n");
                return;
            }
        }
        tx.commit();
    }
    const double bareSecs = t.elapsed() / 1000.0;

    printf("employees=%d entered_rows=%lld calculated=%d rows_written=%lld\n", employees, (long long)entered,
           s.employeesCalculated, (long long)rows);
    printf("  run:    %.2f s  %.0f employees/s  %.0f rows written/s  rss before %ld KiB, peak %ld KiB\n", runSecs,
           s.employeesCalculated / runSecs, rows / runSecs, rssBefore, peak);
    printf("  rerun:  %.2f s  %.0f employees/s  (%lld rows changed)\n", againSecs, again.employeesCalculated / againSecs,
           (long long)again.rowsWritten);
    printf("  bare:   %.2f s  %.0f rows/s\n", bareSecs, rows / bareSecs);
    printf("  statements per employee: run %.1f, rerun %.1f\n", double(statementsRun) / std::max(1, s.employeesCalculated),
           double(statementsAgain) / std::max(1, again.employeesCalculated));
    printf("  ratio run/bare: %.2f\n", runSecs / bareSecs);
    fflush(stdout);
}

// Asks for the cancel when the run reaches employee `after`.
class CancellingUi : public SilentUi {
public:
    explicit CancellingUi(int after) : after_(after) {}
    void progressStep(int done) override {
        if (done >= after_ && !asked) {
            asked = true;
            sinceCancel.start();
        }
    }
    bool cancelRequested() override { return asked; }
    bool asked = false;
    QElapsedTimer sinceCancel;

private:
    int after_;
};

// The calculated rows of the employees up to `lastCode`, every column, by employee.
std::map<QString, QStringList> calculatedRows(Database& db, const QString& lastCode) {
    Table t(db, "OCORRENC");
    std::map<QString, QStringList> out;
    const TableDef& def = t.def();
    t.forEach(QStringLiteral("FLAG = ? AND CODFUN <= ?"), {QStringLiteral("*"), lastCode}, [&](const Record& r) {
        QStringList cols;
        for (int i = 0; i < int(def.fields.size()); ++i) cols << r.boundValue(i).toString();
        out[r.text("CODFUN")] << cols.join('|');
        return true;
    });
    for (auto& [code, rows] : out) rows.sort();
    return out;
}

void benchCancel(int employees, int after) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    QElapsedTimer t;
    t.start();
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    printf("cancelled run: employees=%d, cancel asked at employee %d (company built in %.1f s)\n", employees, after,
           t.elapsed() / 1000.0);

    CancellingUi ui(after);
    payroll::RunOptions options;
    options.branchCode = QStringLiteral("001");
    options.automaticMode = true;
    t.restart();
    const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(options);
    const double runSecs = t.elapsed() / 1000.0;
    const double stopMs = ui.asked ? ui.sinceCancel.nsecsElapsed() / 1e6 : -1;
    printf("  run:    %.2f s, %d calculated, %d read, cancelled=%s\n", runSecs, s.employeesCalculated, s.employeesRead,
           s.cancelled ? "yes" : "no");
    printf("  stop:   %.1f ms from the cancel request to the run's return\n", stopMs);

    // Whole employees: the rows of each one the cancelled run wrote are
    // the rows a run of that employee writes again; the others have none.
    const QString last = QStringLiteral("%1").arg(std::min(employees, s.employeesRead + 100), 6, 10, QChar('0'));
    const auto written = calculatedRows(*db, last);
    payroll::RunOptions again = options;
    again.firstEmployee = QStringLiteral("000001");
    again.lastEmployee = last;
    SilentUi quiet;
    payroll::PayrollRun(*db, quiet).run(again);
    const auto whole = calculatedRows(*db, last);
    int complete = 0, partial = 0;
    for (const auto& [code, rows] : written) {
        auto it = whole.find(code);
        if (it != whole.end() && it->second == rows) ++complete;
        else ++partial;
    }
    printf("  whole:  %d employee(s) with all their rows, %d with only some, %d with none (of %d checked)\n", complete,
           partial, int(whole.size()) - int(written.size()), int(whole.size()));
    printf("  %s\n", partial == 0 && complete == s.employeesCalculated ? "every employee whole"
                                                                      : "SOME EMPLOYEE IS NOT WHOLE");
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--cancel") {
        benchCancel(argc > 2 ? atoi(argv[2]) : 100000, argc > 3 ? atoi(argv[3]) : 1000);
        return 0;
    }
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) sizes << atoi(argv[i]);
    const bool defaults = sizes.isEmpty();
    if (defaults) sizes = {10000, 100000};
    for (int n : sizes) bench(n);
    if (defaults) benchCancel(100000, 1000);
    return 0;
}
