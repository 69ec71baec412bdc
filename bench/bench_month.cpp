// A whole month of a synthetic company (about a dozen entered events per
// employee) in one process, the jobs in the order an office runs them:
//   1. the monthly payroll run,
//   2. the payroll book to the report file and to a PDF,
//   3. the pay statements: the work tables filled, then the PDF drawn,
//   4. the SEFIP file of the month,
//   5. the eSocial S-1200 of the month (built, validated, signed with a
//      throwaway A1 certificate, validated again, stored).
// For each step: its wall time, its ratio to the payroll run, the peak
// resident memory during the step (the peak is reset before each step,
// /proc/self/clear_refs) and the resident memory after it; then the total
// and whether the month fits in five minutes. Figures only; nothing is
// asserted beyond each job doing its work.
//   bench_month [employees]   (default: 100000)
// Needs openssl on the PATH for the throwaway certificate.
#include "BenchSupport.h"
#include "OnlyRemuneration.h"
#include "CountingSink.h"
#include "DemoBuilder.h"
#include "Generator.h"
#include "PagePainter.h"
#include "PayStatementPainter.h"
#include "PayStatements.h"
#include "PayrollBook.h"
#include "PayrollRun.h"
#include "PeriodicEvents.h"
#include "ReportFile.h"
#include "Sefip.h"
#include "Signer.h"
#include "Table.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <vector>

using namespace folha;
using folha::benchmarks::CountingSink;
using folha::benchmarks::OnlyRemunerationEvents;
using folha::benchmarks::SilentUi;
using folha::benchmarks::statusKb;
using folha::benchmarks::resetPeak;

namespace {

struct Step {
    QString name;
    double secs = 0;
    long peakKb = 0;
    long rssAfterKb = 0;
    QString note;
    bool failed = false;
};

// Runs one step with its clock and its memory; the step returns its note
// (what it did) or throws to stop the month.
Step measure(const QString& name, const std::function<QString()>& work) {
    Step s;
    s.name = name;
    resetPeak();
    QElapsedTimer t;
    t.start();
    try {
        s.note = work();
    } catch (const UserError& e) {
        s.failed = true;
        s.note = QStringLiteral("FALHOU: ") + e.message();
    }
    s.secs = t.elapsed() / 1000.0;
    s.peakKb = statusKb("VmHWM:");
    s.rssAfterKb = statusKb("VmRSS:");
    std::printf("  done: %-28s %9.2f s  peak %8ld KiB  rss after %8ld KiB  %s\n", qPrintable(name), s.secs, s.peakKb,
                s.rssAfterKb, qPrintable(s.note));
    std::fflush(stdout);
    return s;
}

// Remembers the first problem told, so that a refused job says why.
class MonthUi : public SilentUi {
public:
    void message(MessageKind kind, const QString& text, const QString& title) override {
        SilentUi::message(kind, text, title);
        if (kind != MessageKind::Information && firstProblem.isEmpty()) firstProblem = text;
    }
    QString firstProblem;
};

// What the month's files read and the synthetic employees do not carry:
// the work card, the FGTS option and birth dates, the occupation (SEFIP),
// and the chart's eSocial mapping (S-1200). Filled here, in the company's
// data, before the clock starts.
void completeForTheMonth(Database& db) {
    Transaction t(db);
    db.execWrite("UPDATE CADFUN SET NR_CART = CODFUN, SERIE = '123', DT_OPCAO = DT_ADMIS, "
                 "DT_NASC = ?, CBO = '411005'",
                 {QDate(1985, 6, 15)});
    // The type from the event's provento/desconto flag; the rest only needs
    // to be there (the S-1200 carries the type alone).
    db.execWrite("UPDATE HISTFP SET ESNATRUB = '1000', ESINCCP = '00', ESINCIRRF = '00', ESINCFGTS = '00', "
                 "ESTPRUB = CASE WHEN HPRODESC = 1 THEN 1 WHEN HPRODESC = 0 THEN 2 ELSE 3 END");
    t.commit();
}

int runMonth(int employees) {
    QTemporaryDir dir;
    auto db = Database::openDirectory(dir.path() + "/synthetic");
    auto tmp = Database::openDirectory(dir.path() + "/TmpDb");
    QElapsedTimer t;
    t.start();
    demo::DemoBuilder::buildSyntheticCompany(*db, employees);
    db->ensureTable(Registry::instance().require("HISTFP"));
    completeForTheMonth(*db);
    const double buildSecs = t.elapsed() / 1000.0;
    const QByteArray password = "senha-do-benchmark";
    const QString pfx = folha::benchmarks::ThrowawayCertificate(dir.path(), password);
    if (pfx.isEmpty()) {
        std::fprintf(stderr, "openssl could not make the throwaway certificate\n");
        return 1;
    }
    auto cert = esocial::Certificate::load(pfx, password);
    std::printf("employees=%d  company built in %.1f s  rss %ld KiB\n", employees, buildSecs, statusKb("VmRSS:"));
    std::fflush(stdout);

    MonthUi ui;
    std::vector<Step> steps;
    bool failed = false;
    auto check = [&](bool ok, const QString& what) {
        if (ok) return;
        failed = true;
        std::printf("  FAILED: %s%s%s\n", qPrintable(what), ui.firstProblem.isEmpty() ? "" : ": ",
                    qPrintable(ui.firstProblem));
        ui.firstProblem.clear();
    };

    // 1. The monthly payroll run.
    steps.push_back(measure(QStringLiteral("1 folha mensal (cálculo)"), [&] {
        payroll::RunOptions run;
        run.branchCode = QStringLiteral("001");
        run.automaticMode = true;
        run.closingNotice = false;
        const payroll::RunSummary s = payroll::PayrollRun(*db, ui).run(run);
        check(s.employeesCalculated == employees, QStringLiteral("cálculo da folha"));
        return QStringLiteral("%1 calculados, %2 linhas gravadas").arg(s.employeesCalculated).arg(s.rowsWritten);
    }));

    // 2. The payroll book, to the report file and to a PDF.
    PayrollBookOptions bookOptions;
    bookOptions.branchCode = QStringLiteral("001");
    for (const char* kind : {"txt", "pdf"}) {
        const bool pdf = QLatin1String(kind) == QLatin1String("pdf");
        steps.push_back(measure(QStringLiteral("2 livro de folha (%1)").arg(QLatin1String(kind)), [&] {
            const QString path = dir.filePath(QStringLiteral("livro.") + QLatin1String(kind));
            PrintSettings settings;
            std::unique_ptr<PageSink> target;
            if (pdf) {
                settings.mode = PrintMode::Graphic;
                settings.destination = PrintDestination::Pdf;
                settings.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
                target = std::make_unique<PdfSink>(path, settings);
            } else {
                target = std::make_unique<ReportFileSink>(path, settings.density);
            }
            CountingSink counting(*target);
            TextReport report(counting, PayrollBookWidth, settings.linesPerPage);
            report.beginJob({PayrollBookTitle, PayrollBookScreen});
            const PayrollBookResult book = ComposePayrollBook(*db, ui, bookOptions, report);
            report.endJob();
            target.reset();
            check(book.employees == employees, QStringLiteral("livro de folha"));
            return QStringLiteral("%1 funcionários, %2 páginas, %3 KB")
                .arg(book.employees)
                .arg(counting.pages)
                .arg(QFile(path).size() / 1024);
        }));
    }

    // 3. The pay statements: work tables, then the PDF.
    steps.push_back(measure(QStringLiteral("3 envelopes (tabelas)"), [&] {
        PayStatementOptions options;
        options.branchCode = QStringLiteral("001");
        options.message1 = QStringLiteral("Mensagem de teste");
        const PayStatementSummary built = BuildPayStatements(*db, *tmp, ui, options);
        check(built.employees == employees, QStringLiteral("envelopes de pagamento"));
        return QStringLiteral("%1 funcionários, %2 vias, %3 linhas").arg(built.employees).arg(built.statements).arg(built.lines);
    }));
    steps.push_back(measure(QStringLiteral("3 envelopes (pdf)"), [&] {
        const QString pdf = dir.filePath(QStringLiteral("envelopes.pdf"));
        const PayStatementFiles drawn = WritePayStatementsPdf(*tmp, *db, StatementOrder::Code, pdf);
        check(drawn.pages > 0, QStringLiteral("PDF dos envelopes"));
        return QStringLiteral("%1 páginas, %2 KB").arg(drawn.pages).arg(QFile(pdf).size() / 1024);
    }));

    // 4. The SEFIP file of the month.
    steps.push_back(measure(QStringLiteral("4 SEFIP"), [&] {
        gov::SefipOptions o;
        o.branchCode = QStringLiteral("001");
        o.collectionCode = QStringLiteral("115");
        o.modality = QString();
        o.responsible = QStringLiteral("1");
        o.fgtsCollected = true;
        o.outputPath = dir.filePath(QStringLiteral("SEFIP.TXT"));
        o.closingNotice = false;
        gov::SefipCompany c;
        c.code = 1;
        c.name = QStringLiteral("EMPRESA SINTETICA");
        c.db = db.get();
        o.companies.push_back(c);
        const gov::GovFileResult r = gov::SefipRun(*db, ui).run(o);
        const int workers = r.records.count(QStringLiteral("30")) ? r.records.at(QStringLiteral("30")) : 0;
        check(r.written && workers == employees, QStringLiteral("SEFIP"));
        return QStringLiteral("%1 registros 30, %2 KB").arg(workers).arg(QFile(o.outputPath).size() / 1024);
    }));

    // 5. The eSocial S-1200 of the month.
    steps.push_back(measure(QStringLiteral("5 eSocial S-1200"), [&] {
        const esocial::Employer employer = esocial::EmployerOf(*db, 1, QStringLiteral("EMPRESA SINTETICA"));
        esocial::GenerateRequest r;
        r.year = 2013;
        r.month = 4;
        r.certificate = cert.get();
        r.builders = {OnlyRemunerationEvents(esocial::BuildPeriodicEvents)};
        const esocial::GenerateResult g = esocial::Generate(*db, employer, r, ui);
        if (!g.problems.isEmpty() && ui.firstProblem.isEmpty()) ui.firstProblem = g.problems.first();
        check(g.invalid == 0 && g.signedCount == employees, QStringLiteral("S-1200"));
        return QStringLiteral("%1 montados, %2 assinados, %3 inválidos").arg(g.built).arg(g.signedCount).arg(g.invalid);
    }));

    const double runSecs = std::max(steps.front().secs, 0.001);
    for (const Step& s : steps) failed = failed || s.failed;
    double total = 0;
    long maxPeak = 0;
    std::printf("\n%-28s %10s %8s %12s %12s\n", "etapa", "segundos", "x folha", "pico KiB", "rss após KiB");
    for (const Step& s : steps) {
        std::printf("%-28s %10.2f %8.2f %12ld %12ld%s\n", qPrintable(s.name), s.secs, s.secs / runSecs, s.peakKb,
                    s.rssAfterKb, s.failed ? "  FALHOU" : "");
        total += s.secs;
        maxPeak = std::max(maxPeak, s.peakKb);
    }
    std::printf("%-28s %10.2f %8.2f %12ld\n", "total do mês", total, total / runSecs, maxPeak);
    std::printf("%d funcionários: o mês em %.1f s (%.1f min), %s de 5 minutos%s\n", employees, total, total / 60,
                total < 300 ? "abaixo" : "ACIMA", failed ? "  (ALGUMA ETAPA FALHOU)" : "");
    std::fflush(stdout);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int employees = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    if (employees <= 0) {
        std::fprintf(stderr, "uso: bench_month [funcionários]\n");
        return 2;
    }
    return runMonth(employees);
}
