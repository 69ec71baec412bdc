// The eSocial S-1200 of a synthetic company beside its monthly payroll run,
// measured in the same process: the run of N employees, then the generation
// of their S-1200 (built, validated against the schema, signed with a
// throwaway A1 certificate, validated again with the signature, stored).
//   bench_esocial [employees]   (default: 10000)
// then the same S-1200 step by step on one core: building, schema,
// signature, schema of the signed event (nothing stored), to see where the
// time goes (the generation signs and validates on every core).
// Needs openssl on the PATH for the throwaway certificate.
#include "BenchSupport.h"
#include "OnlyRemuneration.h"
#include "DemoBuilder.h"
#include "Generator.h"
#include "PayrollRun.h"
#include "PeriodicEvents.h"
#include "Schemas.h"
#include "Signer.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace folha;
using folha::benchmarks::OnlyRemunerationEvents;
using folha::benchmarks::SilentUi;

namespace {

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employees = argc > 1 ? atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    // The chart's mapping: the type from the event's provento/desconto flag;
    // the rest only needs to be there (the S-1200 carries the type alone).
    db->ensureTable(Registry::instance().require("HISTFP"));
    db->execWrite("UPDATE HISTFP SET ESNATRUB = '1000', ESINCCP = '00', ESINCIRRF = '00', ESINCFGTS = '00', "
                  "ESTPRUB = CASE WHEN HPRODESC = 1 THEN 1 WHEN HPRODESC = 0 THEN 2 ELSE 3 END");

    SilentUi ui;
    payroll::RunOptions options;
    options.branchCode = QStringLiteral("001");
    options.automaticMode = true;
    QElapsedTimer t;
    t.start();
    const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(options);
    const double runSecs = t.elapsed() / 1000.0;

    const QByteArray password = "senha-do-benchmark";
    const QString pfx = folha::benchmarks::ThrowawayCertificate(dir.path(), password);
    if (pfx.isEmpty()) {
        fprintf(stderr, "openssl could not make the throwaway certificate\n");
        return 1;
    }
    auto cert = esocial::Certificate::load(pfx, password);
    const esocial::Employer employer = esocial::EmployerOf(*db, 1, QStringLiteral("EMPRESA SINTETICA"));
    esocial::GenerateRequest r;
    r.year = 2013;
    r.month = 4;
    r.certificate = cert.get();
    r.builders = {OnlyRemunerationEvents(esocial::BuildPeriodicEvents)};
    t.restart();
    const esocial::GenerateResult g = esocial::Generate(*db, employer, r, ui);
    const double genSecs = t.elapsed() / 1000.0;

    printf("employees=%d calculated=%d rows_written=%lld\n", employees, s.employeesCalculated, (long long)s.rowsWritten);
    printf("  run:      %.2f s  %.0f employees/s\n", runSecs, s.employeesCalculated / runSecs);
    printf("  S-1200:   %.2f s  %.0f events/s  (%d built, %d signed, %d invalid%s%s)\n", genSecs, g.stored / genSecs,
           g.built, g.signedCount, g.invalid, g.problems.isEmpty() ? "" : ": ",
           g.problems.isEmpty() ? "" : g.problems.first().toUtf8().constData());
    printf("  ratio S-1200/run: %.2f\n", genSecs / runSecs);

    // Step by step, on the drafts of the same month.
    esocial::EventRegister reg(*db);
    esocial::Context ctx(*db, employer, 2013, 4, QString(), reg, 2);
    std::vector<esocial::Draft> drafts;
    t.restart();
    r.builders.front()(ctx, drafts);
    const double buildSecs = t.elapsed() / 1000.0;
    t.restart();
    int errors = 0;
    for (const auto& d : drafts) errors += int(esocial::ValidateEvent(d.xml, d.type, esocial::Signature::Optional).size());
    const double schemaSecs = t.elapsed() / 1000.0;
    std::vector<QByteArray> signedXml;
    t.restart();
    for (const auto& d : drafts) signedXml.push_back(cert->sign(d.xml));
    const double signSecs = t.elapsed() / 1000.0;
    t.restart();
    for (size_t i = 0; i < drafts.size(); ++i)
        errors += int(esocial::ValidateEvent(signedXml[i], drafts[i].type, esocial::Signature::Required).size());
    const double signedSchemaSecs = t.elapsed() / 1000.0;
    printf("  steps, one core: build %.2f s, schema %.2f s, sign %.2f s, schema signed %.2f s%s\n", buildSecs, schemaSecs,
           signSecs, signedSchemaSecs, errors ? "  SCHEMA ERRORS" : "");
    fflush(stdout);
    return g.invalid == 0 && g.signedCount == employees ? 0 : 1;
}
