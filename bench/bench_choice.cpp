// Times the employee chooser's searches over a company of many employees
// beside a plain lookup of one employee by its key, and reports the ratio.
//   bench_choice [employees...]   (default: 100000)
#include "EmployeeChoice.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace folha;
using namespace folha::registers;

namespace {

void fill(Database& db, int employees) {
    static const char* first[] = {"ANA", "BRUNO", "CARLOS", "DANIELA", "EDUARDO", "FERNANDA", "GUSTAVO", "HELENA",
                                  "IGOR", "JULIANA", "KARINA", "LUCAS", "MARIANA", "NELSON", "OTAVIO", "PAULA"};
    static const char* last[] = {"SILVA", "SOUZA", "COSTA", "SANTOS", "OLIVEIRA", "PEREIRA", "LIMA", "CARVALHO",
                                 "RIBEIRO", "ALMEIDA", "O'BRIEN", "GOMES", "MARTINS", "ROCHA", "DIAS", "MOURA"};
    Table cadfun(db, "CADFUN");
    Transaction t(db);
    for (int i = 1; i <= employees; ++i) {
        Record r = cadfun.newRecord();
        r.set("CODFUN", QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')))
            .set("NOME", QStringLiteral("%1 %2 %3 %4")
                             .arg(first[i % 16], last[(i / 16) % 16], last[(i / 256) % 16])
                             .arg(i));
        cadfun.insert(r);
    }
    t.commit();
}

// Microseconds per call, over `rounds` calls.
template <typename F> double timeIt(int rounds, F&& f) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) f(i);
    return double(t.nsecsElapsed()) / 1000.0 / rounds;
}

void bench(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/choice");
    db->ensureSchema(Scope::Company);
    fill(*db, employees);

    const int rounds = 200;
    const double plain = timeIt(rounds, [&](int i) {
        QSqlQuery& q = db->execCached(QStringLiteral("SELECT CODFUN, NOME FROM CADFUN WHERE CODFUN = ?"),
                                      {QStringLiteral("%1").arg(1 + (i * 487) % employees, 6, 10, QLatin1Char('0'))});
        while (q.next()) {
        }
    });
    std::printf("%d employees; plain key lookup %.1f us\n", employees, plain);
    struct Case {
        const char* label;
        SearchRequest request;
    };
    const Case cases[] = {
        {"whole list, first page", {DescriptionColumn, "", SearchMode::Contains, false, {}}},
        {"code Iniciando 0456", {CodeColumn, "0456", SearchMode::StartsWith, false, {}}},
        {"code Contendo 4567", {CodeColumn, "4567", SearchMode::Contains, false, {}}},
        {"name Iniciando MARIANA GOMES", {DescriptionColumn, "MARIANA GOMES", SearchMode::StartsWith, false, {}}},
        {"name Contendo O'BRIEN", {DescriptionColumn, "o'brien", SearchMode::Contains, false, {}}},
        {"name Contendo 99999 (one hit)", {DescriptionColumn, " 99999", SearchMode::Contains, false, {}}},
        {"name Contendo ZZZ (none)", {DescriptionColumn, "ZZZ", SearchMode::Contains, false, {}}},
    };
    for (const Case& c : cases) {
        size_t hits = 0;
        const double us = timeIt(20, [&](int) { hits = SearchEmployees(*db, c.request).size(); });
        std::printf("  %-32s %4zu rows %10.1f us  ratio %8.1f\n", c.label, hits, us, us / plain);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty()) sizes << 100000;
    for (int n : sizes) bench(n);
    return 0;
}
