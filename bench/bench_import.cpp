// Writes a synthetic company (employees and their events) as Paradox files,
// imports them into an empty company and reports the time beside a bare
// insert of the same rows through Table::insert, and beside the synthetic
// writer's own insert rate.
#include "DemoBuilder.h"
#include "ImportParadox.h"
#include "ParadoxExport.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace folha;

namespace {

long peakRssKb() {
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

class QuietUi : public UserInterface {
public:
    void message(MessageKind, const QString& text, const QString&) override { fprintf(stderr, "%s\n", qPrintable(text)); }
    bool question(const QString&, QuestionKind, const QString&) override { return false; }
    void log(const QString& line) override { fprintf(stderr, "%s\n", qPrintable(line)); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employees = argc > 1 ? atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    QuietUi ui;

    auto source = Database::openDirectory(dir.path() + "/source");
    QElapsedTimer t;
    t.start();
    demo::DemoBuilder::buildSyntheticCompany(*source, employees);
    const double buildSecs = t.elapsed() / 1000.0;

    t.restart();
    qint64 rows = 0;
    const QString files = dir.path() + "/paradox";
    for (const TableDef* def : legacy::ImportableTables(legacy::ImportMode::Company))
        if (source->hasTable(def->name)) rows += legacy::WriteParadoxTable(*source, *def, files, 850);
    const double writeSecs = t.elapsed() / 1000.0;

    auto target = Database::openDirectory(dir.path() + "/target");
    legacy::ImportTargets targets;
    targets.company = target.get();
    legacy::ImportOptions options;
    options.directory = files;
    t.restart();
    const legacy::ImportResult result = legacy::ImportParadox(targets, options, ui);
    const double importSecs = t.elapsed() / 1000.0;

    // The same rows read from the source and inserted through Table::insert,
    // one transaction per table.
    auto bare = Database::openDirectory(dir.path() + "/bare");
    bare->ensureSchema(Scope::Company);
    t.restart();
    for (const TableDef* def : legacy::ImportableTables(legacy::ImportMode::Company)) {
        if (!source->hasTable(def->name)) continue;
        Table from(*source, *def), to(*bare, *def);
        Transaction tx(*bare);
        from.forEach({}, {}, [&](const Record& r) {
            to.insert(r);
            return true;
        });
        tx.commit();
    }
    const double bareSecs = t.elapsed() / 1000.0;

    printf("employees=%d rows=%lld imported=%lld refused=%lld\n", employees, (long long)rows,
           (long long)result.totalImported(), (long long)result.totalRefused());
    printf("synthetic writer %.2fs (%.0f rows/s); paradox files written %.2fs\n", buildSecs, rows / buildSecs, writeSecs);
    printf("import %.2fs (%.0f rows/s); bare Table::insert %.2fs (%.0f rows/s); import/bare %.2f; import/writer %.2f; peak_rss=%ld KiB\n",
           importSecs, rows / importSecs, bareSecs, rows / bareSecs, importSecs / bareSecs, importSecs / buildSecs, peakRssKb());
    return result.totalImported() == rows ? 0 : 1;
}
