// Builds a synthetic company and reports how fast the registry-checked
// writer stores employees and events, beside a bare SQLite insert of the
// same number of rows.
#include "DemoBuilder.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace folha;

static long peakRssKb() {
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int employees = argc > 1 ? atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    QElapsedTimer t;
    t.start();
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    double secs = t.elapsed() / 1000.0;
    qint64 rows = Table(*db, "CADFUN").count() + Table(*db, "OCORRENC").count();

    // Bare SQLite: the same number of rows into a plain table, in batches of the same size.
    auto bare = Database::openDirectory(dir.path() + "/bare");
    bare->exec("CREATE TABLE T (A VARCHAR(6), B VARCHAR(3), C NUMERIC(18,4), PRIMARY KEY (A, B))");
    t.restart();
    for (qint64 i = 0; i < rows;) {
        Transaction tx(*bare);
        for (int k = 0; k < 13000 && i < rows; ++k, ++i)
            bare->execWrite("INSERT INTO T VALUES (?, ?, ?)", {QString::number(i / 13), QString::number(i % 13), "1.5"});
        tx.commit();
    }
    double bareSecs = t.elapsed() / 1000.0;
    printf("employees=%d rows=%lld build=%.2fs (%.0f rows/s) bare=%.2fs (%.0f rows/s) ratio=%.2f peak_rss=%ld KiB\n",
           employees, (long long)rows, secs, rows / secs, bareSecs, rows / bareSecs, secs / bareSecs, peakRssKb());
    return 0;
}
