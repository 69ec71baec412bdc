// Times the register grids and the events entry over a large company beside
// a plain lookup of one employee by its key, and reports each as a ratio of
// that lookup:
//   (a) the employee register's model: built and the cells of its first
//       thirty rows read;
//   (b) the model filtered on a name and on a code prefix;
//   (c) finding a code near the end of the employees;
//   (d) the events grid of one employee's month, and the first 200 rows of a
//       whole month;
//   (e) saving one event, with the employee's calculated rows discarded.
// It also prints the plan of the one-employee grid, which must search the
// events by an index.
//   bench_registers [employees]   (default: 100000; about 13 events each)
#include "DemoBuilder.h"
#include "EventsEntry.h"
#include "RegisterModel.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace folha;
using namespace folha::registers;

namespace {

// Answers every question with Yes and prints what it is told.
class BenchUi : public UserInterface {
public:
    void message(MessageKind, const QString& text, const QString& = {}) override {
        std::printf("  (message) %s\n", qPrintable(text));
    }
    bool question(const QString&, QuestionKind = QuestionKind::YesNo, const QString& = {}) override { return true; }
};

// Milliseconds per call, over `rounds` calls.
template <typename F> double timeMs(int rounds, F&& f) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) f(i);
    return double(t.nsecsElapsed()) / 1e6 / rounds;
}

QString code6(int n) { return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')); }

// March's calculated overtime of every employee, so that the month has rows
// the save discards: one more event per employee.
void addCalculatedMarch(Database& db, int employees) {
    Table events(db, QStringLiteral("OCORRENC"));
    Transaction t(db);
    for (int i = 1; i <= employees; ++i) {
        Record r = events.newRecord();
        r.set("OCORRANO", "2013").set("OCORRMES", "03").set("TIPOFOLHA", "F").set("HCODIGO", "002");
        r.set("CODFUN", code6(i)).set("REFER", QString::number(1 + i % 9)).set("VALOR", "0").set("FLAG", "*");
        events.insert(r);
    }
    t.commit();
}

// Names as an office has them (the synthetic ones all read "FUNCIONARIO
// SINTETICO n"), so that a name filter finds some and not all.
void giveNames(Database& db, int employees) {
    static const char* first[] = {"ANA", "BRUNO", "CARLOS", "DANIELA", "EDUARDO", "FERNANDA", "GUSTAVO", "HELENA",
                                  "IGOR", "JULIANA", "KARINA", "LUCAS", "MARIA", "MARIANA", "OTAVIO", "PAULA"};
    static const char* last[] = {"SILVA", "SOUZA", "COSTA", "SANTOS", "OLIVEIRA", "PEREIRA", "LIMA", "CARVALHO",
                                 "RIBEIRO", "ALMEIDA", "O'BRIEN", "GOMES", "MARTINS", "ROCHA", "DIAS", "MOURA"};
    Transaction t(db);
    for (int i = 1; i <= employees; ++i)
        db.execWrite(QStringLiteral("UPDATE CADFUN SET NOME = ? WHERE CODFUN = ?"),
                     {QStringLiteral("%1 %2 %3").arg(first[i % 16], last[(i / 16) % 16]).arg(i), code6(i)});
    t.commit();
}

void printPlan(Database& db, const BoundQuery& q, const char* label) {
    std::printf("plan of %s:\n", label);
    QSqlQuery plan = db.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + q.statement, q.params);
    while (plan.next()) std::printf("  %s\n", qPrintable(plan.value(3).toString()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employees = argc > 1 ? std::max(100, atoi(argv[1])) : 100000;
    QTemporaryDir root;
    Session session{Installation(root.path())};
    session.setCreateMissing(true);
    session.signIn.CurrentBranchCode = 1;
    session.signIn.CurrentBranchCodeText = QStringLiteral("001");
    session.signIn.CurrentUserCode = QStringLiteral("000001");
    Database& db = session.folha();

    QElapsedTimer build;
    build.start();
    demo::DemoBuilder::buildSyntheticCompany(db, employees);
    addCalculatedMarch(db, employees);
    giveNames(db, employees);
    db.exec(QStringLiteral("ANALYZE"));
    const qint64 events = Table(db, QStringLiteral("OCORRENC")).count();
    std::printf("%d employees, %lld events, built in %.1f s\n", employees, (long long)events, build.elapsed() / 1000.0);

    const double plain = timeMs(500, [&](int i) {
        QSqlQuery& q = db.execCached(QStringLiteral("SELECT * FROM CADFUN WHERE CODFUN = ?"),
                                     {code6(1 + (i * 487) % employees)});
        while (q.next()) {
        }
    });
    std::printf("plain key lookup of one employee: %.4f ms\n", plain);
    auto report = [&](const char* label, double ms, long long rows) {
        std::printf("  %-46s %7lld rows %10.3f ms  ratio %9.1f\n", label, rows, ms, ms / plain);
    };

    const TableDef& cadfun = Registry::instance().require(QStringLiteral("CADFUN"));
    // (a)
    {
        int rows = 0;
        const double ms = timeMs(5, [&](int) {
            RegisterModel model(db, cadfun);
            rows = model.rowCount();
            // What a screen shows: the first rows' cells.
            for (int r = 0; r < std::min(rows, 30); ++r)
                for (int c = 0; c < model.columnCount(); ++c) (void)model.data(model.index(r, c));
        });
        if (rows <= 0) std::printf("  (a) the model showed no rows!\n");
        report("(a) employee model, first page", ms, rows);
    }
    // (b)
    {
        RegisterModel model(db, cadfun);
        int rows = 0;
        double ms = timeMs(5, [&](int i) {
            model.setFilter(QStringLiteral("NOME"), i % 2 ? QStringLiteral("MARIA") : QStringLiteral("MARIA "));
            rows = model.rowCount();
            if (rows > 0) (void)model.record(0);
        });
        report("(b) filter NOME starting MARIA", ms, rows);
        // The codes of the last hundred employees or so.
        const QString prefix = code6(std::max(1, employees - 99)).left(4);
        ms = timeMs(5, [&](int i) {
            model.setFilter(QStringLiteral("CODFUN"), i % 2 ? prefix : prefix + QLatin1Char('0'));
            rows = model.rowCount();
            if (rows > 0) (void)model.record(0);
        });
        report(qPrintable(QStringLiteral("(b) filter CODFUN starting %1").arg(prefix)), ms, rows);
    }
    // (c)
    {
        int row = -1;
        const QString nearEnd = code6(employees - 10);
        const double ms = timeMs(3, [&](int) {
            RegisterModel model(db, cadfun);
            row = model.findFirst(QStringLiteral("CODFUN"), nearEnd);
            if (row >= 0) (void)model.record(row); // the grid shows the row found
        });
        report("(c) findFirst of a code near the end", ms, row);
    }
    // (d)
    {
        const BoundQuery one = EventsGridQuery({"2013", "04", "F", code6(employees / 2), {}});
        long long rows = 0;
        double ms = timeMs(200, [&](int i) {
            const BoundQuery q = EventsGridQuery({"2013", "04", "F", code6(1 + (i * 487) % employees), {}});
            QSqlQuery r = db.exec(q.statement, q.params);
            rows = 0;
            while (r.next()) ++rows;
        });
        report("(d) events grid of one employee's month", ms, rows);
        ms = timeMs(20, [&](int) {
            const BoundQuery q = EventsGridQuery({"2013", "04", "F", {}, {}});
            QSqlQuery r = db.exec(q.statement, q.params);
            rows = 0;
            for (int k = 0; k < 200 && r.next(); ++k) ++rows;
        });
        report("(d) events grid of a whole month, 200 rows", ms, rows);
        printPlan(db, one, "the grid of one employee's month");
        printPlan(db, EventsGridQuery({"2013", "04", "F", {}, {}}), "the grid of a whole month");
    }
    // (e)
    {
        BenchUi ui;
        EventsEntry entry(session, ui);
        const double ms = timeMs(50, [&](int i) {
            Record r = entry.newRow({"2013", "03", "F", code6(1 + i % employees), {}});
            r.set("HCODIGO", "004").set("REFER", "2").set("VALOR", "0");
            entry.save(r, true);
        });
        report("(e) save one event, calculated rows discarded", ms, 1);
    }
    return 0;
}
