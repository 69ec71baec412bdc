// The payroll book on the demo company's April, calculated: the golden
// text, the totals against the event rows read back from the database, the
// INSS and FGTS figures computed here from the rows, the filters, the split
// by category, the typed inputs and the missing fixed roles.
#include "DemoCompany.h"
#include "PayrollBook.h"
#include "PayrollBookLayout.h"
#include "DemoBuilder.h"
#include "PayrollRun.h"
#include "ReportFile.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <tuple>
#include <QFile>
#include <QRegularExpression>
#include "TestBackend.h"

using namespace folha;

namespace {

const QDateTime Clock(QDate(2026, 12, 7), QTime(16, 15, 30));

struct PagesSink : PageSink {
    std::vector<TextPage> pages;
    void page(const TextPage& p) override { pages.push_back(p); }
};

Fixed Amount(const QString& text) {
    QString t = text.trimmed();
    t.remove(QLatin1Char('.'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const auto v = Fixed::parse(t);
    EXPECT_TRUE(v.has_value()) << text.toStdString();
    return v.value_or(Fixed());
}

Fixed F(const char* text) {
    return *Fixed::parse(QLatin1String(text));
}

// The text of a field of a book line.
QString FieldOf(const QString& line, const LayoutField& f) {
    return line.mid(f.column - 1, f.width).trimmed();
}

// The visible lines of every page, in order.
struct Book {
    QStringList lines;
    PayrollBookResult result;
    int pages = 0;

    // Employee code -> net pay of his totals line.
    std::map<QString, Fixed> netByEmployee() const {
        std::map<QString, Fixed> out;
        static const QRegularExpression employee(QStringLiteral("^(\\d{6}) "));
        QString current;
        for (const QString& l : lines) {
            const auto m = employee.match(l);
            if (m.hasMatch()) current = m.captured(1);
            if (l.startsWith(QLatin1String("Total de Proventos.....   ")) && l.size() > 100)
                out[current] = Amount(FieldOf(l, BookLayout().bases.value));
        }
        return out;
    }
    // The general summary's tables: event code -> value.
    std::map<QString, Fixed> generalSummary() const {
        std::map<QString, Fixed> out;
        const int from = find(QStringLiteral("^RESUMO GERAL DA FOLHA"));
        EXPECT_GE(from, 0);
        static const QRegularExpression code(QStringLiteral("^\\d{3} "));
        for (int i = from; i >= 0 && i < lines.size(); ++i)
            if (code.match(lines[i]).hasMatch())
                out[lines[i].left(3)] = Amount(FieldOf(lines[i], BookLayout().summaryValue));
        return out;
    }
    // The first line from `from` on that matches, or -1.
    int find(const QString& pattern, int from = 0) const {
        const QRegularExpression re(pattern);
        for (int i = std::max(0, from); i < lines.size(); ++i)
            if (re.match(lines[i]).hasMatch()) return i;
        return -1;
    }
    // The amount printed after a label of a summary (at column 33).
    QString after(const QString& label, int occurrence = 0) const {
        int seen = 0;
        for (const QString& l : lines)
            if (l.startsWith(label) && l.size() < 60 && seen++ == occurrence) return l.mid(32).trimmed();
        return QStringLiteral("<none>");
    }
    bool shows(const QString& text) const {
        for (const QString& l : lines)
            if (l.contains(text)) return true;
        return false;
    }
    int count(const QString& text) const {
        int n = 0;
        for (const QString& l : lines)
            if (l.contains(text)) ++n;
        return n;
    }
};

// The book's pages as text, from one composition: `compose` writes the book
// into the report it is given.
Book ComposeBookWith(const std::function<PayrollBookResult(TextReport&)>& compose, int linesPerPage = 66,
                     const QString& companyName = {}, const ReportJobInfo& job = {}) {
    PagesSink sink;
    TextReport report(sink, PayrollBookWidth, linesPerPage);
    if (!companyName.isEmpty()) report.setCompanyName(companyName);
    report.setClock(Clock);
    report.beginJob(job);
    Book book;
    book.result = compose(report);
    report.endJob();
    for (const TextPage& p : sink.pages)
        for (int i = 0; i < int(p.lines.size()); ++i)
            book.lines << p.visibleText(i);
    book.pages = int(sink.pages.size());
    return book;
}

// The book of a hand-made company database, composed without a session.
Book ComposeBookOf(Database& db) {
    ScriptedUi ui;
    return ComposeBookWith([&](TextReport& report) { return ComposePayrollBook(db, ui, PayrollBookOptions(), report); });
}

const QString TerminationNet = QStringLiteral("087");

class PayrollBookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempDir;
        session = new Session(Installation(root->path()));
        ScriptedUi ui;
        BuildDemo(*session, ui);
        auto company = Table(session->companyListDb(), "EmpresaFOLHA").find({1});
        ASSERT_TRUE(company.has_value());
        companyName = company->text("Nome").trimmed();
        session->SetaDiretorio(company->text("Diretorio"));
        session->signIn.CurrentCompanyCode = 1;
        Database& db = session->folha();
        // April calculated, family allowance included.
        payroll::RunOptions run;
        run.branchCode = "001";
        run.familyAllowance = true;
        run.automaticMode = true;
        run.userCode = "000001";
        ASSERT_GT(payroll::PayrollRun(db, ui).run(run).employeesCalculated, 20);

        // What the month of a real office also has: a job with special
        // retirement, an individual contributor's registration, maternity
        // pay of an employee on leave "Q1" (and of one who is not), a birth
        // aid, a value-0 row, an employee with no rows in the month.
        Table cargos(db, "Cargos");
        Record vigilante = *cargos.find({"003"});
        vigilante.set("PERC_APOSE", 6);
        cargos.update(vigilante);
        Table cadfun(db, "CADFUN");
        Record director = *cadfun.find({"000019"});
        director.set("NR_INSS", "12345678901").set("CLAS_INSS", "05").set("VLRCONTINS", "450.00");
        cadfun.update(director);
        Record onLeave = *cadfun.find({"000014"});
        onLeave.set("CAUS_RESC", "Q1");
        cadfun.update(onLeave);
        Record idle = *cadfun.find({"000001"});
        idle.set("CODFUN", "000030").set("NOME", "ZELIA SEM MOVIMENTO");
        cadfun.insert(idle);
        Table ocorrenc(db, "OCORRENC");
        auto event = [&](const char* code, const char* fun, const char* value) {
            Record r = ocorrenc.newRecord();
            r.set("OCORRANO", "2013")
                .set("OCORRMES", "04")
                .set("TIPOFOLHA", "F")
                .set("HCODIGO", code)
                .set("CODFUN", fun);
            r.set("REFER", "0").set("VALOR", value).set("FLAG", "");
            ocorrenc.save(r);
        };
        event("042", "000014", "500.00");
        event("042", "000016", "300.00");
        event("041", "000006", "100.00");
        event("014", "000002", "0");
    }
    static void TearDownTestSuite() {
        delete session;
        delete root;
    }

    static Book compose(const PayrollBookOptions& options, ScriptedUi* given = nullptr,
                        int linesPerPage = 66) {
        ScriptedUi local;
        ScriptedUi& ui = given ? *given : local;
        return ComposeBookWith([&](TextReport& report) { return ComposePayrollBook(*session, ui, options, report); },
                               linesPerPage, companyName, {PayrollBookTitle, PayrollBookScreen});
    }
    static PayrollBookOptions options(const PayrollBookInputs& typed = {}) {
        return ReadPayrollBookInputs(typed);
    }

    // The competence's rows of value other than 0, from the database.
    template <typename Fn> static void forEachRow(Fn fn) {
        Table(session->folha(), "OCORRENC")
            .forEach("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?", {"2013", "04", "F"},
                     [&](const Record& r) {
                         if (!r.number("VALOR").isZero()) fn(r);
                         return true;
                     });
    }
    // Where a row goes: by its event's HPRODESC, but the termination's net
    // (role 055, event 087 of the demo), paid in the termination, is a
    // deduction of the month.
    static int kindOf(const QString& code) {
        if (code == TerminationNet) return 0;
        auto h = Table(session->folha(), "HISTFP").find({code});
        return h ? h->integer("HPRODESC") : -1;
    }

    static TempDir* root;
    static Session* session;
    static QString companyName;
};
TempDir* PayrollBookTest::root = nullptr;
Session* PayrollBookTest::session = nullptr;
QString PayrollBookTest::companyName;

const QSet<QString> TotalEvents{"140", "141", "142"}; // roles 026, 027, 028 of the demo

TEST_F(PayrollBookTest, DemoMonthMatchesItsGoldenFile) {
    TempDir out;
    ReportFileSink sink(out.file("book.IMP"), DensityCondensed);
    TextReport report(sink, PayrollBookWidth, 66);
    report.setCompanyName(companyName);
    report.setClock(Clock);
    report.beginJob({PayrollBookTitle, PayrollBookScreen});
    PayrollBookInputs typed;
    typed.prolaborePercent = "20";
    typed.prolaboreValue = "3000";
    typed.otherDescription = "Compensacao GPS anterior";
    typed.otherValue = "125,40";
    typed.otherOperation = "D";
    typed.interest = "12.35";
    typed.observations = {"Folha conferida pelo departamento pessoal.", "", "Recolher a GPS ate o dia 20."};
    ScriptedUi ui;
    ComposePayrollBook(*session, ui, ReadPayrollBookInputs(typed), report);
    report.endJob();
    QFile made(out.file("book.IMP"));
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    const QByteArray bytes = made.readAll();
    const QString path = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/TfoEmiFolhadePagamento.txt");
    QFile golden(path);
    if (qEnvironmentVariableIsSet("FOLHA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(bytes);
        return;
    }
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(bytes, golden.readAll());
    EXPECT_TRUE(ui.texts("warning").isEmpty()) << ui.texts().join('\n').toStdString();
}

TEST_F(PayrollBookTest, NetPayOfEachEmployeeAndTheTotalAgreeWithTheRows) {
    const Book book = compose(options());
    // Net pay per employee from the rows: earnings less deductions.
    std::map<QString, Fixed> expected;
    std::map<QString, Fixed> statementNet; // the run's own net pay (role 028)
    forEachRow([&](const Record& r) {
        const QString code = r.text("HCODIGO").trimmed();
        const QString fun = r.text("CODFUN");
        if (code == "142") statementNet[fun] += r.number("VALOR");
        if (TotalEvents.contains(code)) return;
        const int kind = kindOf(code);
        if (kind == 1) expected[fun] += r.number("VALOR");
        if (kind == 0) expected[fun] -= r.number("VALOR");
    });
    const auto printed = book.netByEmployee();
    // Employees whose rows are all value 0 print a net of 0.
    for (const auto& [fun, net] : printed)
        if (!expected.count(fun)) expected[fun] = Fixed();
    EXPECT_EQ(printed, expected);
    Fixed sum;
    for (const auto& [fun, net] : printed)
        sum += net;
    EXPECT_EQ(Amount(book.after("Total Liquido..........", 1)), sum); // the general summary's
    EXPECT_EQ(book.result.general.net, sum);
    // Where the run wrote a net pay, the book's is the same (but for the
    // employees given rows after the run).
    for (const auto& [fun, net] : statementNet)
        if (fun != "000006" && fun != "000014" && fun != "000016") {
            EXPECT_EQ(printed.at(fun), net) << fun.toStdString();
        }
    EXPECT_EQ(int(printed.size()), book.result.employees);
}

// The dismissed employee's block: its totals line is the month's stored
// totals (roles 026, 027 and 028, which the pay statement prints), the
// termination's net listed among the deductions.
TEST_F(PayrollBookTest, DismissedEmployeeTotalsAreTheStoredTotals) {
    const Book book = compose(options());
    std::map<QString, Fixed> stored; // event -> value of 000013
    Table(session->folha(), "OCORRENC")
        .forEach("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?", {"2013", "04", "F", "000013"},
                 [&](const Record& r) {
                     stored[r.text("HCODIGO").trimmed()] += r.number("VALOR");
                     return true;
                 });
    ASSERT_FALSE(stored[TerminationNet].isZero()); // the demo's termination was calculated
    const int from = book.find("^000013 ");
    ASSERT_GE(from, 0);
    const int totals = book.find("^Total de Proventos", from);
    ASSERT_GT(totals, from);
    const PayrollBookLayout& lay = BookLayout();
    const QString& l = book.lines[totals];
    EXPECT_EQ(Amount(FieldOf(l, lay.earnings.value)), stored["140"]);
    EXPECT_EQ(Amount(FieldOf(l, lay.deductions.value)), stored["141"]);
    EXPECT_EQ(Amount(FieldOf(l, lay.bases.value)), stored["142"]);
    // The termination's net is a deduction line of the block, not a base.
    bool listed = false;
    for (int i = from + 1; i < totals; ++i) {
        EXPECT_NE(FieldOf(book.lines[i], lay.bases.code), TerminationNet);
        if (FieldOf(book.lines[i], lay.deductions.code) == TerminationNet) {
            listed = true;
            EXPECT_EQ(Amount(FieldOf(book.lines[i], lay.deductions.value)), stored[TerminationNet]);
        }
    }
    EXPECT_TRUE(listed);
}

TEST_F(PayrollBookTest, SummaryValueOfEachEventIsTheSumOfItsRows) {
    const Book book = compose(options());
    std::map<QString, Fixed> expected;
    Fixed earnings, deductions;
    forEachRow([&](const Record& r) {
        const QString code = r.text("HCODIGO").trimmed();
        if (TotalEvents.contains(code)) return;
        const int kind = kindOf(code);
        if (kind < 0 || kind > 2) return;
        expected[code] += r.number("VALOR");
        if (kind == 1) earnings += r.number("VALOR");
        if (kind == 0) deductions += r.number("VALOR");
    });
    EXPECT_EQ(book.generalSummary(), expected);
    EXPECT_EQ(Amount(book.after("Total de Proventos.....", 1)), earnings);
    EXPECT_EQ(Amount(book.after("Total de Descontos.....", 1)), deductions);
    // The totals' own events are the totals line, not event lines.
    for (const QString& total : TotalEvents)
        EXPECT_FALSE(book.shows(total + " TOTAL DE") || book.shows(total + " LIQUIDO A"));
}

TEST_F(PayrollBookTest, ValueZeroRowsAndEmployeesWithoutRowsAreLeftOut) {
    const Book book = compose(options());
    EXPECT_FALSE(book.shows("ZELIA SEM MOVIMENTO"));
    EXPECT_FALSE(book.shows("014 PREMIO PRODUCAO"));
    EXPECT_FALSE(book.generalSummary().count("014"));
    EXPECT_TRUE(book.shows("BRUNA COSTA OLIVEIRA"));
    EXPECT_EQ(book.result.employees, 25);
}

TEST_F(PayrollBookTest, EmptyRangeRunsFromTheFirstToTheLast) {
    for (const BookOrder order : {BookOrder::Code, BookOrder::Name, BookOrder::Cargo}) {
        PayrollBookOptions o;
        o.order = order;
        EXPECT_EQ(compose(o).result.employees, 25) << int(order);
    }
}

TEST_F(PayrollBookTest, InssAndFgtsFiguresFollowTheirComposition) {
    PayrollBookInputs typed;
    typed.prolaborePercent = "20";
    typed.prolaboreValue = "3000";
    typed.otherValue = "125,40";
    typed.otherOperation = "D";
    typed.interest = "12.35";
    const Book book = compose(options(typed));

    // Computed here from the rows: the demo's employer rate is 20 (FAP 1),
    // the entities' 5.8, SIMPLES "1"; the vigilante's job adds 6.
    Table cadfun(session->folha(), "CADFUN");
    Fixed contribution, bases, insured, deductions, fgtsBase;
    forEachRow([&](const Record& r) {
        const QString code = r.text("HCODIGO").trimmed();
        const Record e = *cadfun.find({r.text("CODFUN")});
        const Fixed v = r.number("VALOR");
        if (code == "111" || code == "113") { // roles 013 and 015
            const Fixed rate = F("20") + (e.integer("CARGO") == 3 ? F("6") : Fixed());
            contribution += RoundValue(2, rate * v / 100);
            bases += v;
        }
        if (code == "110" || code == "112") insured += v;                            // roles 012, 014
        if (code == "040" || code == "041") deductions += v;                         // role 011, HISTAUXNAT
        if (code == "042" && e.text("CAUS_RESC").trimmed() == "Q1") deductions += v; // HISTSALMAT
        if (code == "130") fgtsBase += v;                                            // role 031
    });
    ASSERT_FALSE(contribution.isZero());
    ASSERT_FALSE(deductions.isZero());
    const Fixed company = contribution + F("600"); // 3000 x 20 %
    const Fixed entities = RoundValue(2, bases * F("5.8") / 100);
    const Fixed inss = insured + company + entities - deductions - F("125.40") + F("12.35");
    const Fixed fgts = RoundValue(2, fgtsBase * 8 / 100);

    const BookInssFigures& f = book.result.general.inss;
    EXPECT_EQ(f.insured, insured);
    EXPECT_EQ(f.company, company);
    EXPECT_EQ(f.entities, entities);
    EXPECT_EQ(f.deductions, deductions);
    EXPECT_EQ(f.other, -F("125.40"));
    EXPECT_EQ(f.interest, F("12.35"));
    EXPECT_EQ(f.inss, inss);
    EXPECT_EQ(f.fgts, fgts);
    // As printed.
    EXPECT_EQ(Amount(book.after("Total da Empresa ............")), company);
    EXPECT_EQ(Amount(book.after("Total de Entidades...........")), entities);
    EXPECT_EQ(Amount(book.after("Total de Deducoes ...........")), deductions);
    EXPECT_EQ(Amount(book.after("Total de Juros ..............")), F("12.35"));
    EXPECT_EQ(Amount(book.after("Outro valor")), -F("125.40"));
    EXPECT_EQ(Amount(book.after("Total de INSS ...............")), inss);
    EXPECT_EQ(Amount(book.after("Total de FGTS a Recolher.....")), fgts);
    // One listing: its subtotals are the general figures without the interest.
    EXPECT_EQ(Amount(book.after("SubTotal de INSS...........")), inss - F("12.35"));
    EXPECT_EQ(Amount(book.after("Subtotal da Empresa........")), company);
    EXPECT_EQ(Amount(book.after("Subtotal de Segurados......")), insured);
}

TEST_F(PayrollBookTest, OneListingPerCategoryThenTheGeneralSummary) {
    PayrollBookInputs typed;
    typed.groupByCategory = true;
    typed.otherValue = "50";
    typed.otherOperation = "S";
    const Book book = compose(options(typed));
    EXPECT_EQ(book.result.groupCategories, (QList<int>{1, 7}));
    // Two summaries, each ending with its FGTS line (a summary may run over
    // a page), then the general one.
    EXPECT_EQ(book.count("SubTotal de FGTS a Recolher"), 2);
    EXPECT_EQ(book.count("Total de FGTS a Recolher....."), 1);
    EXPECT_GT(book.find("^RESUMO GERAL DA FOLHA"), book.find("^RESUMO DA FOLHA"));
    // The apprentice (category 7) is listed after the first summary, alone.
    const int firstSummary = book.find("^SubTotal de FGTS a Recolher");
    const int apprentice = book.find("^000004 ");
    const int second = book.find("^RESUMO DA FOLHA", firstSummary + 1);
    ASSERT_GT(firstSummary, 0);
    EXPECT_GT(apprentice, firstSummary);
    EXPECT_LT(apprentice, second);
    for (int i = firstSummary + 1; i < second; ++i)
        if (QRegularExpression("^\\d{6} ").match(book.lines[i]).hasMatch()) {
            EXPECT_EQ(book.lines[i].left(6), "000004");
        }
    // Each category's totals add up to the general ones; the typed amount
    // goes into the general total only.
    const Fixed net1 = Amount(book.after("Total Liquido..........", 0));
    const Fixed net7 = Amount(book.after("Total Liquido..........", 1));
    EXPECT_EQ(net1 + net7, book.result.general.net);
    EXPECT_EQ(Amount(book.after("Outros valores..............", 0)), Fixed());
    EXPECT_EQ(Amount(book.after("Outros valores..............", 1)), Fixed());
    const Fixed inss1 = Amount(book.after("SubTotal de INSS...........", 0));
    const Fixed inss7 = Amount(book.after("SubTotal de INSS...........", 1));
    EXPECT_EQ(inss1 + inss7 + F("50"), book.result.general.inss.inss);
    EXPECT_TRUE(book.shows("ABRIL/2013 - Vinculo 7"));
}

// A column of the summary keeps its first 500 events; the totals still
// count every row.
TEST(PayrollBookSummary, KeepsFiveHundredEventsPerColumn) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path() + "/big");
    demo::DemoBuilder::buildSyntheticCompany(*db, 1);
    Table histfp(*db, "HISTFP");
    Table ocorrenc(*db, "OCORRENC");
    ocorrenc.removeWhere("1 = 1", {});
    for (int code = 300; code < 820; ++code) {
        Record h = histfp.newRecord();
        h.set("HCODIGO", QString::number(code))
            .set("HNOME", QStringLiteral("EVENTO %1").arg(code))
            .set("HPRODESC", 1);
        histfp.save(h);
        Record r = ocorrenc.newRecord();
        r.set("OCORRANO", "2013")
            .set("OCORRMES", "04")
            .set("TIPOFOLHA", "F")
            .set("HCODIGO", QString::number(code));
        r.set("CODFUN", "000001").set("REFER", "0").set("VALOR", "1.00");
        ocorrenc.insert(r);
    }
    const Book book = ComposeBookOf(*db);
    const PayrollBookResult& result = book.result;
    const auto summary = book.generalSummary();
    EXPECT_EQ(summary.size(), 500u);
    EXPECT_EQ(summary.begin()->first, "300");
    EXPECT_EQ(summary.rbegin()->first, "799");
    EXPECT_EQ(result.general.earnings, F("520"));
    EXPECT_EQ(result.employees, 1);
}

// Salaries of 150.000,00, 1.234.567,89 and 9.500.000,00, totals past ten
// million: every amount of the book is printed whole, in its own field.
TEST(PayrollBookAmounts, MillionsArePrintedWholeInTheirFields) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path() + "/milhoes");
    demo::DemoBuilder::buildSyntheticCompany(*db, 3);
    Table histfp(*db, "HISTFP");
    for (const auto& [code, name, kind] : {std::tuple{"301", "SALARIO MENSAL", 1}, std::tuple{"302", "ADIANTAMENTO", 0},
                                           std::tuple{"303", "BASE DO MES", 2}}) {
        Record h = histfp.newRecord();
        h.set("HCODIGO", code).set("HNOME", name).set("HPRODESC", kind);
        histfp.save(h);
    }
    Table ocorrenc(*db, "OCORRENC");
    ocorrenc.removeWhere("1 = 1", {});
    Table cadfun(*db, "CADFUN");
    struct Pay {
        const char* employee;
        const char* salary;
        const char* advance;
    };
    const Pay pays[] = {{"000001", "150000.00", "45000.00"},
                        {"000002", "1234567.89", "1000000.00"},
                        {"000003", "9500000.00", "999999.99"}};
    for (const Pay& p : pays) {
        Record e = *cadfun.find({p.employee});
        e.set("VLR_SALAR", p.salary);
        cadfun.update(e);
        for (const auto& [code, value, refer] :
             {std::tuple{"301", p.salary, "220.00"}, std::tuple{"302", p.advance, "999999.99"},
              std::tuple{"303", p.salary, "0"}}) {
            Record r = ocorrenc.newRecord();
            r.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", code);
            r.set("CODFUN", p.employee).set("REFER", refer).set("VALOR", value);
            ocorrenc.insert(r);
        }
    }
    const Book book = ComposeBookOf(*db);
    const PayrollBookResult& result = book.result;
    ASSERT_EQ(result.employees, 3);
    EXPECT_EQ(result.general.earnings, F("10884567.89"));

    // Every number printed is whole: thousands and two decimals, never cut
    // at the page's edge nor run into the next field.
    static const QRegularExpression number(QStringLiteral("[\\d.,]*\\d,[\\d,.]*|[\\d.]+,"));
    static const QRegularExpression whole(QStringLiteral("^\\d{1,3}(\\.\\d{3})*,\\d\\d$"));
    for (const QString& l : book.lines) {
        EXPECT_LE(l.size(), PayrollBookWidth) << l.toStdString();
        for (auto it = number.globalMatch(l); it.hasNext();) {
            const QString n = it.next().captured();
            EXPECT_TRUE(whole.match(n).hasMatch()) << n.toStdString() << " in: " << l.toStdString();
        }
    }
    // Each field holds its amount.
    const PayrollBookLayout& lay = BookLayout();
    for (const Pay& p : pays) {
        const Fixed salary = F(p.salary), advance = F(p.advance);
        const int at = book.find(QStringLiteral("^%1 ").arg(p.employee));
        ASSERT_GE(at, 0) << p.employee;
        EXPECT_EQ(Amount(FieldOf(book.lines[at], lay.salary)), salary);
        const QString& events = book.lines[at + 1];
        EXPECT_EQ(Amount(FieldOf(events, lay.earnings.value)), salary);
        EXPECT_EQ(Amount(FieldOf(events, lay.deductions.reference)), F("999999.99"));
        EXPECT_EQ(Amount(FieldOf(events, lay.deductions.value)), advance);
        EXPECT_EQ(Amount(FieldOf(events, lay.bases.value)), salary);
        const QString& totals = book.lines[at + 2];
        EXPECT_EQ(Amount(FieldOf(totals, lay.earnings.value)), salary);
        EXPECT_EQ(Amount(FieldOf(totals, lay.deductions.value)), advance);
        EXPECT_EQ(Amount(FieldOf(totals, lay.bases.value)), salary - advance);
    }
    // The summary's sums and totals: a reference summed past a million too.
    const auto summary = book.generalSummary();
    EXPECT_EQ(summary.at("301"), F("10884567.89"));
    EXPECT_EQ(summary.at("302"), F("2044999.99"));
    EXPECT_EQ(summary.at("303"), F("10884567.89"));
    const int advances = book.find("^302 ADIANTAMENTO", book.find("^RESUMO GERAL"));
    ASSERT_GE(advances, 0);
    EXPECT_EQ(FieldOf(book.lines[advances], lay.summaryReference), "2.999.999,97");
    EXPECT_EQ(book.after("Total de Proventos....."), "10.884.567,89");
    EXPECT_EQ(book.after("Total Liquido..........", 1), "8.839.567,90");
}

struct FilterCase {
    const char* name;
    PayrollBookInputs typed;
    QStringList expected; // the employees printed, in order
};

class PayrollBookFilters : public PayrollBookTest, public ::testing::WithParamInterface<FilterCase> {};

PayrollBookInputs With(std::function<void(PayrollBookInputs&)> change) {
    PayrollBookInputs t;
    change(t);
    return t;
}

TEST_P(PayrollBookFilters, PrintsTheChosenEmployeesInOrder) {
    const FilterCase& c = GetParam();
    const Book book = compose(options(c.typed));
    QStringList printed;
    static const QRegularExpression employee("^(\\d{6}) ");
    for (const QString& l : book.lines)
        if (const auto m = employee.match(l); m.hasMatch()) printed << m.captured(1);
    EXPECT_EQ(printed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PayrollBookFilters,
    ::testing::Values(FilterCase{"CodeRange",
                                 With([](auto& t) {
                                     t.first = "5";
                                     t.last = "8";
                                 }),
                                 {"000005", "000006", "000007", "000008"}},
                      FilterCase{"ActiveOnly",
                                 With([](auto& t) {
                                     t.status = "[A]tivos";
                                     t.first = "12";
                                     t.last = "14";
                                 }),
                                 {"000012", "000014"}},
                      FilterCase{"InactiveOnly", With([](auto& t) { t.status = "I"; }), {"000013"}},
                      FilterCase{"Category7", With([](auto& t) { t.categories = {"7"}; }), {"000004"}},
                      FilterCase{"SpecialRetirement6",
                                 With([](auto& t) { t.retirementPercent = "6"; }),
                                 {"000008", "000011", "000017"}},
                      FilterCase{"NameOrderAndRange",
                                 With([](auto& t) {
                                     t.order = "Nome";
                                     t.first = "w";
                                     t.last = "x";
                                 }),
                                 {"000023", "000024"}},
                      FilterCase{"CargoOrder",
                                 With([](auto& t) {
                                     t.order = "Cargo";
                                     t.first = "5";
                                     t.last = "6";
                                 }),
                                 {"000004", "000019", "000025"}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST_F(PayrollBookTest, MissingFixedRolesAreToldAndTheBookGoesOn) {
    Table fixa(session->folha(), "FIXAOCOR");
    const Record family = *fixa.find({"011"});
    const Record fgts = *fixa.find({"032"});
    fixa.remove({"011"});
    fixa.remove({"032"});
    ScriptedUi ui;
    const Book book = compose(options(), &ui);
    fixa.insert(family);
    fixa.insert(fgts);
    EXPECT_EQ(ui.texts("warning"), (QStringList{"Ocorrencia fixa 032 (Valor FGTS) nao existe",
                                                "Ocorrencia fixa 011 (Salario Familia) nao existe"}));
    EXPECT_TRUE(book.shows("RESUMO GERAL DA FOLHA DE PAGAMENTO"));
    EXPECT_EQ(book.result.employees, 25);
}

TEST_F(PayrollBookTest, RowOfAnUnknownEventIsToldOnceAndLeftOut) {
    Table ocorrenc(session->folha(), "OCORRENC");
    for (const char* fun : {"000002", "000003"}) {
        Record r = ocorrenc.newRecord();
        r.set("OCORRANO", "2013")
            .set("OCORRMES", "04")
            .set("TIPOFOLHA", "F")
            .set("HCODIGO", "998")
            .set("CODFUN", fun);
        r.set("REFER", "0").set("VALOR", "5.00");
        ocorrenc.insert(r);
    }
    ScriptedUi ui;
    const Book book = compose(options(), &ui);
    ocorrenc.removeWhere("HCODIGO = ?", {"998"});
    EXPECT_EQ(ui.texts("log"), QStringList{"Historico nao cadastrado 998"});
    for (const QString& l : book.lines)
        for (const int column : {0, 47, 94})
            EXPECT_NE(l.mid(column, 4), "998 ") << l.toStdString();
    EXPECT_FALSE(book.generalSummary().count("998"));
    EXPECT_EQ(Amount(book.after("Total Liquido..........", 1)), compose(options()).result.general.net);
}

TEST_F(PayrollBookTest, ObservationsCloseTheBook) {
    PayrollBookInputs typed;
    typed.observations = {"Primeira linha", "", "Terceira linha", "", ""};
    const Book book = compose(options(typed));
    QStringList printed;
    for (const QString& l : book.lines)
        if (l.startsWith("Obs. ")) printed << l;
    EXPECT_EQ(printed, (QStringList{"Obs. 1: Primeira linha", "Obs. 2:", "Obs. 3: Terceira linha"}));
    // They are the last lines of the book.
    EXPECT_EQ(book.lines.last(), "Obs. 3: Terceira linha");
}

TEST_F(PayrollBookTest, PagesNeverPassLineFiftyNine) {
    const Book book = compose(options());
    int line = 0;
    for (const QString& l : book.lines) {
        line = l.contains("DATA.:") ? 1 : line + 1;
        EXPECT_LE(line, 59);
    }
    EXPECT_GE(book.pages, 5);
    // A short page length is kept as well.
    const Book shortPages = compose(options(), nullptr, 40);
    EXPECT_GT(shortPages.pages, book.pages);
}

TEST_F(PayrollBookTest, CancelStopsBeforeTheSummaries) {
    ScriptedUi ui;
    ui.cancelAfterSteps = 3;
    const Book book = compose(options(), &ui);
    EXPECT_TRUE(book.result.cancelled);
    EXPECT_FALSE(book.shows("RESUMO"));
    EXPECT_LE(book.result.employees, 3);
}

// ---- typed inputs ----------------------------------------------------------

struct InputCase {
    const char* name;
    PayrollBookInputs typed;
    QString refusal; // empty: accepted
};

class PayrollBookInputsTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(PayrollBookInputsTest, RefusesWhatIsNotAValue) {
    const InputCase& c = GetParam();
    try {
        ReadPayrollBookInputs(c.typed);
        EXPECT_TRUE(c.refusal.isEmpty()) << "accepted";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), c.refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PayrollBookInputsTest,
    ::testing::Values(
        InputCase{"Defaults", {}, ""},
        InputCase{"Category", With([](auto& t) {
                      t.categories = {"1", "x"};
                  }),
                  "Vínculo inválido: x"},
        InputCase{"SixCategories", With([](auto& t) { t.categories = {"1", "2", "3", "4", "5", "6"}; }),
                  "No máximo 5 vínculos"},
        InputCase{"Retirement", With([](auto& t) { t.retirementPercent = "100"; }),
                  "% Aposent. Especial inválido: 100"},
        InputCase{"Status", With([](auto& t) { t.status = "X"; }),
                  "Emitir Funcionários inválido: X (T, A ou I)"},
        InputCase{"Operation", With([](auto& t) { t.otherOperation = "+"; }),
                  "Oper. Outro inválida: + (S, D ou N)"},
        InputCase{"Amount", With([](auto& t) { t.interest = "1,2,3"; }),
                  "Valor inválido em \"Valor Juros\\Mora\": 1,2,3"},
        InputCase{"Code", With([](auto& t) { t.first = "12a"; }), "Código de funcionário inválido: 12a"},
        InputCase{"Cargo", With([](auto& t) {
                      t.order = "Cargo";
                      t.last = "1000";
                  }),
                  "Cargo Final inválido: 1000"},
        InputCase{"Reversed", With([](auto& t) {
                      t.first = "9";
                      t.last = "2";
                  }),
                  "Codigo Inicial maior que Codigo Final"},
        InputCase{"Order", With([](auto& t) { t.order = "Salario"; }),
                  "Ordem inválida: Salario (Codigo, Nome ou Cargo)"},
        InputCase{"Observations", With([](auto& t) { t.observations = QStringList(13, "x"); }),
                  "Observacoes: no máximo 12 linhas (foram digitadas 13)"}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

TEST(PayrollBookInputsRead, ValuesAndDefaults) {
    PayrollBookInputs typed;
    typed.first = "5";
    typed.categories = {"1", "3", ""};
    typed.status = "[A]tivos";
    typed.prolaboreValue = "1.234,56";
    typed.otherOperation = "s";
    const PayrollBookOptions o = ReadPayrollBookInputs(typed);
    EXPECT_EQ(o.first, "000005");
    EXPECT_EQ(o.last, "999999");
    EXPECT_EQ(o.categories, (QList<int>{1, 3, 0, 0, 0}));
    EXPECT_EQ(o.status, BookStatus::Active);
    EXPECT_EQ(o.prolaboreValue, F("1234.56"));
    EXPECT_EQ(o.otherOperation, OtherOperation::Add);
    EXPECT_EQ(o.retirementPercent, 99);
    typed = {};
    typed.order = "cargo";
    const PayrollBookOptions cargo = ReadPayrollBookInputs(typed);
    EXPECT_EQ(cargo.first, "000");
    EXPECT_EQ(cargo.last, "999");
    EXPECT_EQ(RangeFieldsOf(BookOrder::Name).firstCaption, "Nome Inicial:");
    EXPECT_EQ(RangeFieldsOf(BookOrder::Cargo).lastCaption, "Cargo Final:");
    EXPECT_EQ(BookSubtitle(QDate(2013, 3, 31)), QString::fromUtf8("MARÇO/2013"));
}

} // namespace
