// The monthly run of a company that keeps a year of eSocial events: each
// employee calculated marks his month's events for the next generation, so
// the run meets a register of (employees x 11 months x 2) stored events and
// each one's admission, each with its XML. Reports the run's time with that register beside the
// same run over an empty one, and what a register save's mark of a worker's
// events costs over that register, on SQLite and, when FOLHA_TEST_PG or
// --pg gives a server, on the server.
//   bench_marks [--pg CONNINFO] [employees]   (default 2000)
#include "BenchSupport.h"
#include "Database.h"
#include "DemoBuilder.h"
#include "EsocialMarks.h"
#include "PayrollRun.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdio>

using namespace folha;
using folha::benchmarks::SilentUi;

namespace {

// Every employee's S-1200 and S-1210 of the eleven months before April 2013.
void keepAYearOfEvents(Database& db, int employees) {
    db.ensureTable(Registry::instance().require(QStringLiteral("ESOCIAL")));
    const QString xml = QStringLiteral("<eSocial>") + QString(2000, QChar('x')) + QStringLiteral("</eSocial>");
    const QString insert = QStringLiteral("INSERT INTO ESOCIAL (ID, TIPO, ASSUNTO, VERSAO, CODFUN, COMPETENC, SITUACAO, XML, "
                                          "ALTERADO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int e = 1; e <= employees; ++e) {
        Transaction tx(db);
        const QString code = QStringLiteral("%1").arg(e, 6, 10, QChar('0'));
        for (int m = 0; m < 11; ++m) {
            const QDate month = QDate(2012, 5, 1).addMonths(m);
            const QString competence = month.toString(QStringLiteral("yyyy-MM"));
            for (const char* type : {"S-1200", "S-1210"}) {
                const QString t = QLatin1String(type);
                db.execWrite(insert, {QUuid::createUuid().toString(QUuid::WithoutBraces), t,
                                      t + QLatin1Char('|') + code + QLatin1Char('|') + competence, qint64(1), code,
                                      competence, QStringLiteral("ACEITO"), xml, QStringLiteral("N")});
            }
        }
        // His admission, sent before the year.
        db.execWrite(insert, {QUuid::createUuid().toString(QUuid::WithoutBraces), QStringLiteral("S-2200"),
                              QStringLiteral("S-2200|") + code, qint64(1), code, QStringLiteral("2012-04"),
                              QStringLiteral("ACEITO"), xml, QStringLiteral("N")});
        tx.commit();
    }
}

double monthlyRun(Database& db) {
    SilentUi ui;
    payroll::RunOptions o;
    o.branchCode = QStringLiteral("001");
    o.automaticMode = true;
    QElapsedTimer t;
    t.start();
    payroll::PayrollRun(db, ui).run(o);
    return t.nsecsElapsed() / 1e9;
}

// Milliseconds per save of the marks of 20 workers spread over the company.
double saveMarks(Database& db, int employees) {
    constexpr int saves = 20;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < saves; ++i) {
        Transaction tx(db);
        EsocialMarks(db).markWorker(QStringLiteral("%1").arg(1 + i * employees / saves, 6, 10, QChar('0')));
        tx.commit();
    }
    return t.nsecsElapsed() / 1e6 / saves;
}

void bench(const char* backend, const std::function<std::unique_ptr<Database>(const QString&)>& open, int employees) {
    auto empty = open(QStringLiteral("empty"));
    demo::DemoBuilder::buildSyntheticCompany(*empty, employees);
    auto kept = open(QStringLiteral("kept"));
    demo::DemoBuilder::buildSyntheticCompany(*kept, employees);
    keepAYearOfEvents(*kept, employees);
    const double a = monthlyRun(*empty);
    const double b = monthlyRun(*kept);
    std::printf(" %-10s run, no events kept %7.2f s; a year of events kept (%d) %7.2f s; ratio %.2f\n", backend, a,
                employees * 23, b, b / a);
    // A register save marks the worker's events: through the worker's
    // index, and with the engine left to read the register without it.
    const TableDef& def = Registry::instance().require(QStringLiteral("ESOCIAL"));
    const IndexDef& byWorker = *def.index(QStringLiteral("id_esocial_func"));
    const double indexed = saveMarks(*kept, employees);
    kept->exec(QStringLiteral("DROP INDEX ") + Database::physicalIndexName(def, byWorker));
    const double unindexed = saveMarks(*kept, employees);
    std::printf(" %-10s a register save's mark: %.3f ms through the worker's index, %.3f ms without it\n", backend,
                indexed, unindexed);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString conninfo = qEnvironmentVariable("FOLHA_TEST_PG");
    int employees = 2000;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--pg" && i + 1 < argc) conninfo = QString::fromLocal8Bit(argv[++i]);
        else employees = QString::fromLocal8Bit(argv[i]).toInt();
    }
    std::printf("%d employees\n", employees);
    QTemporaryDir dir;
    bench("SQLite", [&](const QString& name) { return Database::openDirectory(dir.path() + '/' + name); }, employees);
    const std::optional<DatabaseLocation> server = benchmarks::ServerLocation(conninfo);
    if (!server) return 0;
    const QString tag = QStringLiteral("marks_%1").arg(QCoreApplication::applicationPid());
    QStringList schemas;
    auto open = [&](const QString& name) {
        DatabaseLocation l = *server;
        l.directory = QStringLiteral("c:\\folha\\%1_%2\\").arg(tag, name);
        schemas << l.schemaName();
        return Database::open(l, true);
    };
    bench("PostgreSQL", open, employees);
    auto cleanup = open(QStringLiteral("cleanup"));
    for (const QString& s : schemas) cleanup->execDirect(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(s));
    return 0;
}
