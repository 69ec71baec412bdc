// Times the payroll jobs over a synthetic company on SQLite and on the
// office server side by side: a bare prepared insert of as many rows as the
// monthly run writes (the storage limit), the same with the calculation
// trails the run writes beside them (the limit of everything it writes),
// the monthly run, the 13th salary, the vacation and the termination, with
// the statements each sends and its peak memory. The server is reached by
// the connection in FOLHA_TEST_PG or given with --pg "host=... port=...
// user=... dbname=..."; without one only SQLite is measured. With --history
// MONTHS, the company first keeps as many calculated months before April
// 2013 (copies of its April), so that every job meets an office's years of
// rows; the bare inserts still go into empty tables.
//   bench_backends [--pg CONNINFO] [--history MONTHS] [employees...]   (default: 2000 10000)
#include "BenchSupport.h"
#include "DemoBuilder.h"
#include "PayrollRun.h"
#include "Table.h"
#include "Termination.h"
#include "Thirteenth.h"
#include "Vacation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <sys/resource.h>
#include <map>
#include <optional>

using namespace folha;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

struct Job {
    double secs = 0;
    double cpu = 0; // this process's own time (the rest waits for the engine, the server or the disk)
    quint64 statements = 0;
    long peakKb = 0; // above the memory in use when the job started
    int employees = 0;
};

struct Figures {
    Job bare, bareTrails, monthly, thirteenth, vacation, termination;
    qint64 rows = 0, trailRows = 0;
};

void setBranch(Database& db, const QDate& date, const char* sheet) {
    Table filial(db, QStringLiteral("Filial"));
    Record b = *filial.find({QStringLiteral("001")});
    b.set("DATA_FOLHA", date).set("TIPO_FOL", QLatin1String(sheet));
    filial.update(b);
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <typename F>
Job measure(Database& db, F&& job) {
    resetPeak();
    const long before = statusKb("VmRSS:");
    const quint64 statements = db.statementsRun();
    const double cpu = cpuSeconds();
    QElapsedTimer t;
    t.start();
    Job j;
    j.employees = job();
    j.secs = t.nsecsElapsed() / 1e9;
    j.cpu = cpuSeconds() - cpu;
    j.statements = db.statementsRun() - statements;
    j.peakKb = statusKb("VmHWM:") - before;
    return j;
}

template <typename Calc>
Job leaveJob(Database& db, const QDate& date, const char* sheet) {
    setBranch(db, date, sheet);
    SilentUi ui;
    leave::LeaveOptions o;
    o.branchCode = QStringLiteral("001");
    return measure(db, [&] { return Calc(db, ui).run(o).employeesCalculated; });
}

// The trails the monthly run wrote, employee by employee, as they are:
// HCODIGO, REGRA, TEXTO.
using Trails = std::vector<std::vector<std::array<QString, 3>>>;
Trails runTrails(Database& db) {
    Trails out;
    QString employee;
    QSqlQuery q = db.exec(QStringLiteral("SELECT CODFUN, HCODIGO, REGRA, TEXTO FROM MEMOCALC WHERE OCORRANO = ? AND "
                                         "OCORRMES = ? AND TIPOFOLHA = ? ORDER BY CODFUN, HCODIGO"),
                          {QStringLiteral("2013"), QStringLiteral("04"), QStringLiteral("F")});
    while (q.next()) {
        if (out.empty() || q.value(0).toString() != employee) out.emplace_back();
        employee = q.value(0).toString();
        out.back().push_back({q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    }
    return out;
}

// The storage limit: `rows` rows, one prepared insert each, into an empty
// events table with the same keys and indexes, committed in groups of 200
// employees' rows; with `trails`, each employee's rows followed by the
// trails the run wrote for him (the limit of every row the run writes).
Job bareInsert(Database& bare, qint64 rows, qint64 perEmployee, const Trails& trails = {}) {
    bare.ensureTable(Registry::instance().require("OCORRENC"));
    if (!trails.empty()) bare.ensureTable(Registry::instance().require("MEMOCALC"));
    const QString insert = QStringLiteral("INSERT INTO OCORRENC (OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REFER, "
                                          "VALOR, FLAG) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const QString trail = QStringLiteral("INSERT INTO MEMOCALC (OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REGRA, "
                                         "TEXTO) VALUES (?, ?, ?, ?, ?, ?, ?)");
    const qint64 employees = std::max<qint64>((rows + perEmployee - 1) / perEmployee, qint64(trails.size()));
    return measure(bare, [&] {
        qint64 i = 0;
        for (qint64 e = 0; e < employees;) {
            Transaction tx(bare);
            for (int k = 0; k < 200 && e < employees; ++k, ++e) {
                const QString code = QStringLiteral("%1").arg(e, 6, 10, QChar('0'));
                for (qint64 n = 0; n < perEmployee && i < rows; ++n, ++i)
                    bare.execWrite(insert, {QStringLiteral("2013"), QStringLiteral("04"), QStringLiteral("F"),
                                            QString::number(100 + i % perEmployee), code, qint64(0), qint64(12345600),
                                            QStringLiteral("*")});
                if (e < qint64(trails.size()))
                    for (const auto& t : trails[size_t(e)])
                        bare.execWrite(trail, {QStringLiteral("2013"), QStringLiteral("04"), QStringLiteral("F"), t[0],
                                               code, t[1], t[2]});
            }
            tx.commit();
        }
        return int(employees);
    });
}

// An office's years: April 2013 calculated once, its monthly sheet copied
// into each of the `months` months before it, then April as it was before
// the calculation (its entered rows alone) for the jobs to calculate.
void keepHistory(Database& db, int months) {
    if (months <= 0) return;
    const QString columns = QStringLiteral("TIPOFOLHA, HCODIGO, CODFUN, REFER, VALOR, FLAG");
    auto copy = [&](const QString& toYear, const QString& toMonth, const QString& fromYear, const QString& fromMonth) {
        db.execWrite(QStringLiteral("INSERT INTO OCORRENC (OCORRANO, OCORRMES, %1) SELECT ?, ?, %1 FROM OCORRENC "
                                    "WHERE OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = 'F'")
                         .arg(columns),
                     {toYear, toMonth, fromYear, fromMonth});
    };
    auto drop = [&](const QString& year, const QString& month) {
        db.execWrite(QStringLiteral("DELETE FROM OCORRENC WHERE OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = 'F'"),
                     {year, month});
    };
    copy(QStringLiteral("1900"), QStringLiteral("01"), QStringLiteral("2013"), QStringLiteral("04"));
    SilentUi ui;
    payroll::RunOptions o;
    o.branchCode = QStringLiteral("001");
    o.automaticMode = true;
    payroll::PayrollRun(db, ui).run(o);
    const QDate april(2013, 4, 1);
    for (int m = 1; m <= months; ++m) {
        const QDate d = april.addMonths(-m);
        Transaction tx(db);
        copy(d.toString(QStringLiteral("yyyy")), d.toString(QStringLiteral("MM")), QStringLiteral("2013"), QStringLiteral("04"));
        tx.commit();
    }
    Transaction tx(db);
    db.execWrite(QStringLiteral("DELETE FROM MEMOCALC"));
    drop(QStringLiteral("2013"), QStringLiteral("04"));
    copy(QStringLiteral("2013"), QStringLiteral("04"), QStringLiteral("1900"), QStringLiteral("01"));
    drop(QStringLiteral("1900"), QStringLiteral("01"));
    tx.commit();
}

Figures run(const std::function<std::unique_ptr<Database>(const QString&)>& open, int employees, int history) {
    Figures f;
    auto db = open(QStringLiteral("synthetic"));
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    keepHistory(*db, history);

    SilentUi ui;
    payroll::RunOptions monthly;
    monthly.branchCode = QStringLiteral("001");
    monthly.automaticMode = true;
    qint64 written = 0;
    f.monthly = measure(*db, [&] {
        const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(monthly);
        written = s.rowsWritten;
        return s.employeesCalculated;
    });
    f.rows = written;
    const qint64 perEmployee = std::max<qint64>(1, written / std::max(1, f.monthly.employees));
    {
        auto bare = open(QStringLiteral("bare"));
        f.bare = bareInsert(*bare, written, perEmployee);
    }
    {
        const Trails trails = runTrails(*db);
        for (const auto& t : trails) f.trailRows += qint64(t.size());
        auto bare = open(QStringLiteral("bare_trails"));
        f.bareTrails = bareInsert(*bare, written, perEmployee, trails);
    }
    // The trails held here go back to the system, so that the jobs' peaks
    // below are their own.
    malloc_trim(0);

    f.thirteenth = leaveJob<leave::ThirteenthCalc>(*db, QDate(2013, 12, 31), "D");

    // Every employee enjoys 30 days of vacation in April, then leaves on the
    // 20th of April with every termination item.
    db->exec(QStringLiteral("UPDATE CADFUN SET DT_INIFERI = ?, DT_FINFERI = ?, DT_IGOZFER = ?, DT_FGOZFER = ?"),
             {QDate(2012, 1, 1), QDate(2012, 12, 31), QDate(2013, 4, 1), QDate(2013, 4, 30)});
    f.vacation = leaveJob<leave::VacationCalc>(*db, QDate(2013, 4, 30), "I");
    db->exec(QStringLiteral("UPDATE CADFUN SET CONDICAO = ?, DT_AFAST = ?, CAUS_RESC = ?, FLAG_SALDO = ?, FLAG_13I = ?, "
                            "FLAG_13 = ?, FLAG_AVISO = ?, FLAG_FERVC = ?, FLAG_FERPR = ?"),
             {0, QDate(2013, 4, 20), QStringLiteral("I1"), QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("S"),
              QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("S")});
    f.termination = leaveJob<leave::TerminationCalc>(*db, QDate(2013, 4, 30), "F");
    return f;
}

void line(const char* name, const Job& j, const Job* sqlite) {
    std::printf("  %-12s %8.2f s (cpu %5.2f) %9llu stmts %8ld KiB  %5d empl", name, j.secs, j.cpu,
                (unsigned long long)j.statements, j.peakKb, j.employees);
    if (sqlite && sqlite->secs > 0) std::printf("   server/SQLite %.2f", j.secs / sqlite->secs);
    std::printf("\n");
}

void report(const char* backend, const Figures& f, const Figures* sqlite) {
    std::printf(" %s (%lld rows written by the monthly run, and %lld rows of their trails)\n", backend,
                (long long)f.rows, (long long)f.trailRows);
    line("bare insert", f.bare, sqlite ? &sqlite->bare : nullptr);
    line("bare+trails", f.bareTrails, sqlite ? &sqlite->bareTrails : nullptr);
    line("monthly run", f.monthly, sqlite ? &sqlite->monthly : nullptr);
    line("13th salary", f.thirteenth, sqlite ? &sqlite->thirteenth : nullptr);
    line("vacation", f.vacation, sqlite ? &sqlite->vacation : nullptr);
    line("termination", f.termination, sqlite ? &sqlite->termination : nullptr);
    const double m = f.monthly.secs;
    std::printf("  ratios: run/bare %.2f; run/(bare+trails) %.2f; 13th/run %.2f; vacation/run %.2f; "
                "termination/run %.2f\n",
                m / f.bare.secs, m / f.bareTrails.secs, f.thirteenth.secs / m, f.vacation.secs / m,
                f.termination.secs / m);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString conninfo = qEnvironmentVariable("FOLHA_TEST_PG");
    QList<int> sizes;
    int history = 0;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--pg" && i + 1 < argc) conninfo = QString::fromLocal8Bit(argv[++i]);
        else if (QByteArray(argv[i]) == "--history" && i + 1 < argc) history = QString::fromLocal8Bit(argv[++i]).toInt();
        else sizes << QString::fromLocal8Bit(argv[i]).toInt();
    }
    if (sizes.isEmpty()) sizes = {2000, 10000};
    const std::optional<DatabaseLocation> server = folha::benchmarks::ServerLocation(conninfo);
    if (!server)
        std::printf("No server given (FOLHA_TEST_PG or --pg \"conninfo\"): the server half is skipped.\n");

    for (int n : sizes) {
        std::printf("%d employees, %d months of history\n", n, history);
        QTemporaryDir dir;
        const Figures lite = run([&](const QString& name) { return Database::openDirectory(dir.path() + '/' + name); }, n, history);
        report("SQLite", lite, nullptr);
        if (!server) continue;
        // One schema per database of the run, dropped afterwards.
        QStringList schemas;
        const QString tag = QStringLiteral("bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
        try {
            const Figures pg = run(
                [&](const QString& name) {
                    DatabaseLocation l = *server;
                    l.directory = QStringLiteral("c:\\folha\\%1_%2\\").arg(tag, name);
                    schemas << l.schemaName();
                    return Database::open(l, true);
                },
                n, history);
            report("PostgreSQL", pg, &lite);
        } catch (const DbError& e) {
            std::printf(" PostgreSQL: %s\n", qPrintable(e.message()));
        }
        DatabaseLocation l = *server;
        l.directory = QStringLiteral("c:\\folha\\%1_cleanup\\").arg(tag);
        auto cleanup = Database::open(l, true);
        for (const QString& s : schemas) cleanup->execDirect(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(s));
        cleanup->execDirect(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(l.schemaName()));
    }
    return 0;
}
