// The month's periodic events of the demo companies: the S-1200 of a worker
// against the rows the calculation left (figures checked by hand), the
// payments of the S-1210, the closings, the rectification after a new
// calculation and the removal after an undo.
//
// Company 3 (January 2026; its 13th salary in December 2025) and company 1
// (April 2013). The chart's mapping is filled below from each event's
// provento/desconto flag: the remuneration events carry only the type.

#include "DemoCompany.h"
#include "EventRegister.h"
#include "Generator.h"
#include "PayrollRun.h"
#include "PeriodicEvents.h"
#include "Rubricas.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "Thirteenth.h"
#include "TempDir.h"
#include "EventXml.h"
#include "TestCertificate.h"
#include "Undo.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>


using namespace folha;
using namespace folha::esocial;
using folha::testing::Value;
using folha::testing::Values;

namespace {

// Each itensRemun as "ideDmDev codRubr qtdRubr vrRubr" ("-" without quantity).
QStringList Items(const QByteArray& xml) {
    QStringList out;
    QXmlStreamReader r(xml);
    QString dmDev, code, qtd, value;
    while (!r.atEnd()) {
        auto t = r.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (r.name() == QLatin1String("ideDmDev")) dmDev = r.readElementText();
            else if (r.name() == QLatin1String("itensRemun")) code.clear(), qtd = QStringLiteral("-"), value.clear();
            else if (r.name() == QLatin1String("codRubr")) code = r.readElementText();
            else if (r.name() == QLatin1String("qtdRubr")) qtd = r.readElementText();
            else if (r.name() == QLatin1String("vrRubr")) value = r.readElementText();
        } else if (t == QXmlStreamReader::EndElement && r.name() == QLatin1String("itensRemun")) {
            out << QStringLiteral("%1 %2 %3 %4").arg(dmDev, code, qtd, value);
        }
    }
    return out;
}

// Each infoPgto as "dtPgto tpPgto perRef ideDmDev vrLiq".
QStringList Payments(const QByteArray& xml) {
    QStringList out;
    QXmlStreamReader r(xml);
    QStringList fields;
    while (!r.atEnd()) {
        auto t = r.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (r.name() == QLatin1String("infoPgto")) fields.clear();
            else if (QStringList{"dtPgto", "tpPgto", "perRef", "ideDmDev", "vrLiq"}.contains(r.name().toString()))
                fields << r.readElementText();
        } else if (t == QXmlStreamReader::EndElement && r.name() == QLatin1String("infoPgto")) {
            out << fields.join(' ');
        }
    }
    return out;
}

// The chart's mapping for the tests: the type from the event's flag
// (HPRODESC 1 provento, 0 desconto, 2 informativa), the other fields filled
// so the mapping is complete.
void MapChart(Database& db) {
    db.execWrite(QStringLiteral("UPDATE HISTFP SET ESNATRUB = '1000', ESINCCP = '00', ESINCIRRF = '00', ESINCFGTS = '00', "
                                "ESTPRUB = CASE WHEN HPRODESC = 1 THEN 1 WHEN HPRODESC = 0 THEN 2 ELSE 3 END"));
}

class PeriodicEvents : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<Session>(Installation(dir_.path()));
        ScriptedUi ui;
        BuildDemo(*session_, ui);
    }

    Database& company(int code) {
        auto& db = dbs_[code];
        if (!db) {
            auto row = Table(session_->companyListDb(), "EmpresaFOLHA").find({code});
            EXPECT_TRUE(row.has_value());
            db = session_->openCompanyDirectory(session_->companyDirectory(row->text("Diretorio")));
            MapChart(*db);
        }
        return *db;
    }

    // The drafts of the periodic builder for a competence, by subject.
    std::map<QString, Draft> drafts(int code, int year, int month) {
        Database& db = company(code);
        EventRegister reg(db);
        Context ctx(db, EmployerOf(db, code, QStringLiteral("DEMO")), year, month, QString(), reg, 2);
        std::vector<Draft> out;
        BuildPeriodicEvents(ctx, out);
        std::map<QString, Draft> bySubject;
        for (Draft& d : out) {
            EXPECT_FALSE(bySubject.count(d.subject)) << d.subject.toStdString();
            bySubject[d.subject] = d;
        }
        return bySubject;
    }

    GenerateResult generate(int code, int year, int month, const Certificate* cert = nullptr) {
        Database& db = company(code);
        GenerateRequest r;
        r.year = year;
        r.month = month;
        r.certificate = cert;
        r.now = QDateTime(QDate(2026, 2, 5), QTime(10, 0, generation_++));
        r.builders = {BuildPeriodicEvents};
        ScriptedUi ui;
        return Generate(db, EmployerOf(db, code, QStringLiteral("DEMO")), r, ui);
    }

    // Accepts the latest version of a subject with a receipt.
    void accept(int code, const QString& subject, const QString& receipt) {
        EventRegister reg(company(code));
        auto e = reg.latest(subject);
        ASSERT_TRUE(e.has_value()) << subject.toStdString();
        reg.setStatus(e->id, status::Accepted);
        reg.setReceipt(e->id, receipt);
    }

    std::optional<StoredEvent> latest(int code, const QString& subject) { return EventRegister(company(code)).latest(subject); }

    TempDir dir_;
    std::unique_ptr<Session> session_;
    std::map<int, std::unique_ptr<Database>> dbs_;
    int generation_ = 0;
};

// Bruno, 3.000,00 a month, January 2026: INSS 7,5 % of 1.621,00 = 121,57 +
// 9 % of 1.281,84 = 115,36 + 12 % of 97,16 = 11,65 → 248,58; FGTS 8 % = 240,00;
// dues 15,00 and 30,00; the net 3.000,58 − 293,58 = 2.707,00 rounded up by 0,58.
TEST_F(PeriodicEvents, TheMonthsRemunerationListsEveryRubricaOfTheSheet) {
    auto all = drafts(3, 2026, 1);
    ASSERT_TRUE(all.count("S-1200|000002|2026-01"));
    const QByteArray xml = all["S-1200|000002|2026-01"].xml;
    EXPECT_EQ(Items(xml), (QStringList{"F202601 001 220.00 3000.00", "F202601 094 - 15.00", "F202601 095 - 30.00",
                                       "F202601 103 - 0.58", "F202601 110 - 248.58", "F202601 111 - 3000.00",
                                       "F202601 121 - 3000.00", "F202601 130 - 3000.00", "F202601 131 - 240.00",
                                       "F202601 144 - 3000.00"}));
    EXPECT_EQ(Values(xml, "indApuracao"), QStringList{"1"});
    EXPECT_EQ(Values(xml, "perApur"), QStringList{"2026-01"});
    EXPECT_EQ(Values(xml, "cpfTrab"), QStringList{"30000019720"});
    EXPECT_EQ(Values(xml, "codCateg"), QStringList{"101"});
    EXPECT_EQ(Values(xml, "nrInsc"), (QStringList{"11444777", "11444777000161"}));
    EXPECT_EQ(Values(xml, "codLotacao"), QStringList{"001"});
    EXPECT_EQ(Values(xml, "matricula"), QStringList{"000002"});
    EXPECT_EQ(Values(xml, "ideTabRubr").size(), 10);
    EXPECT_EQ(Values(xml, "indApurIR"), QStringList(10, "0"));
    EXPECT_TRUE(Values(xml, "indGuia").isEmpty());
    EXPECT_EQ(Payments(all["S-1210|000002|2026-01"].xml), QStringList{"2026-01-31 1 2026-01 F202601 2707.00"});
    EXPECT_TRUE(ValidateEvent(xml, "S-1200", Signature::Optional).isEmpty());
}

// Luana's vacation of 05/01/2026: the vacation sheet is a demonstrative of
// its own, paid two days before it begins; the monthly sheet carries it.
TEST_F(PeriodicEvents, TheVacationIsADemonstrativeOfItsOwnPaidBeforeItBegins) {
    auto all = drafts(3, 2026, 1);
    const QStringList items = Items(all["S-1200|000012|2026-01"].xml);
    EXPECT_EQ(Values(all["S-1200|000012|2026-01"].xml, "ideDmDev"), (QStringList{"F202601", "I202601"}));
    // The monthly sheet holds the whole month (vacation rows again, INSS of
    // 4.888,91 = 485,94, and the vacation's net 4.533,65 deducted); its
    // demonstrative reports what the month adds to the vacation's: salary
    // 1.333,27, INSS 485,94 - 315,26 = 170,68, dues 15,00, rounding 0,41,
    // which leaves the 1.148,00 the monthly sheet paid.
    EXPECT_EQ(items.filter("I202601 "),
              (QStringList{"I202601 050 146.67 2666.73", "I202601 051 73.33 1333.27", "I202601 052 - 888.91",
                           "I202601 095 - 40.00", "I202601 110 - 315.26", "I202601 111 - 3555.64",
                           "I202601 127 - 4281.71", "I202601 130 - 3555.64", "I202601 131 - 284.45",
                           "I202601 144 - 4000.00"}));
    EXPECT_EQ(items.filter("F202601 "),
              (QStringList{"F202601 001 73.33 1333.27", "F202601 094 - 15.00", "F202601 103 - 0.41",
                           "F202601 110 - 170.68", "F202601 111 - 1333.27", "F202601 121 - 1333.27",
                           "F202601 122 1.00 189.59", "F202601 130 - 1333.27", "F202601 131 - 106.66"}));
    EXPECT_EQ(Payments(all["S-1210|000012|2026-01"].xml),
              (QStringList{"2026-01-31 1 2026-01 F202601 1148.00", "2026-01-03 1 2026-01 I202601 4533.65"}));
}

// Kaio, dismissed on 20/01/2026: his monthly sheet is the termination's
// (the S-2299 reports it); the S-1210 pays it ten days later.
TEST_F(PeriodicEvents, TheTerminationIsPaidButReportedByTheDismissal) {
    auto all = drafts(3, 2026, 1);
    EXPECT_FALSE(all.count("S-1200|000011|2026-01"));
    EXPECT_EQ(Payments(all["S-1210|000011|2026-01"].xml), QStringList{"2026-01-30 2 2026-01 R202601 10404.73"});
    const QByteArray closing = all["S-1299|2026-01"].xml;
    EXPECT_EQ(Values(closing, "evtRemun"), QStringList{"S"});
    EXPECT_EQ(Values(closing, "evtPgtos"), QStringList{"S"});
    EXPECT_EQ(Values(closing, "indApuracao"), QStringList{"1"});
}

// December 2025's 13th salary: the year's remuneration (indApuracao 2,
// perApur 2025), paid on 20 December in the month's S-1210, closed apart.
// Luana: 4.000,00; INSS 13 373,40; IRRF 13 121,39; dues 40,00; net 3.466,00.
TEST_F(PeriodicEvents, TheThirteenthGoesInTheYearsRemuneration) {
    auto all = drafts(3, 2025, 12);
    EXPECT_FALSE(all.count("S-1200|000012|2025-12"));
    ASSERT_TRUE(all.count("S-1200|000012|2025"));
    const QByteArray xml = all["S-1200|000012|2025"].xml;
    EXPECT_EQ(Values(xml, "indApuracao"), QStringList{"2"});
    EXPECT_EQ(Values(xml, "perApur"), QStringList{"2025"});
    EXPECT_EQ(Items(xml), (QStringList{"D2025 070 220.00 4000.00", "D2025 095 - 40.00", "D2025 103 - 0.79",
                                       "D2025 112 - 373.40", "D2025 113 - 4000.00", "D2025 123 - 121.39",
                                       "D2025 124 - 4000.00", "D2025 125 1.00 189.59", "D2025 130 - 4000.00",
                                       "D2025 131 - 320.00", "D2025 144 - 4000.00"}));
    EXPECT_EQ(Payments(all["S-1210|000012|2025-12"].xml), QStringList{"2025-12-20 1 2025 D2025 3466.00"});
    EXPECT_EQ(Values(all["S-1299|2025"].xml, "evtRemun"), QStringList{"S"});
    EXPECT_EQ(Values(all["S-1299|2025"].xml, "evtPgtos"), QStringList{"N"});
    EXPECT_EQ(Values(all["S-1299|2025-12"].xml, "evtRemun"), QStringList{"N"});
    EXPECT_EQ(Values(all["S-1299|2025-12"].xml, "evtPgtos"), QStringList{"S"});
    for (const auto& [subject, d] : all) EXPECT_TRUE(ValidateEvent(d.xml, d.type, Signature::Optional).isEmpty()) << subject.toStdString();
}

// April 2013 is before the IR indicator of the items (from 2021-07).
TEST_F(PeriodicEvents, BeforeJuly2021TheItemsHaveNoIrIndicator) {
    auto all = drafts(1, 2013, 4);
    ASSERT_FALSE(all.empty());
    int remunerations = 0;
    for (const auto& [subject, d] : all)
        if (d.type == QLatin1String("S-1200")) {
            ++remunerations;
            EXPECT_TRUE(Values(d.xml, "indApurIR").isEmpty()) << subject.toStdString();
        }
    EXPECT_GT(remunerations, 0);
    // The advance is a demonstrative of its own.
    EXPECT_EQ(Items(all["S-1200|000023|2013-04"].xml).filter("A201304 "), QStringList{"A201304 096 - 721.00"});
}

TEST_F(PeriodicEvents, EveryPeriodicEventOfTheDemoValidatesSigned) {
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    const struct {
        int company, year, month;
    } months[] = {{1, 2013, 4}, {3, 2025, 12}, {3, 2026, 1}};
    for (const auto& m : months) {
        GenerateResult r = generate(m.company, m.year, m.month, cert.get());
        EXPECT_EQ(r.invalid, 0) << m.company << " " << m.month << ": " << r.problems.join("\n").toStdString();
        EXPECT_GT(r.stored, 0);
        EXPECT_EQ(r.signedCount, r.stored);
        EventFilter f;
        f.competence = MonthText(m.year, m.month);
        for (const StoredEvent& e : EventRegister(company(m.company)).list(f))
            EXPECT_TRUE(ValidateEvent(e.xml, e.type, Signature::Required).isEmpty()) << e.subject.toStdString();
    }
}

TEST_F(PeriodicEvents, ARubricaWithoutItsMappingStopsTheGenerationNamingIt) {
    Database& db = company(3);
    db.execWrite("UPDATE HISTFP SET ESNATRUB = NULL WHERE HCODIGO IN ('110', '131')");
    try {
        generate(3, 2026, 1);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().contains("110 - INSS")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("131 - FGTS DO MES")) << e.message().toStdString();
    }
    EXPECT_TRUE(EventRegister(db).list({}).empty());
}

// A company of many workers is read a page of workers at a time: 300 copies
// of Bruno (codes 900000 on, past the first page) report what he does, in
// code order, and a missing mapping found on a later page is named as well.
TEST_F(PeriodicEvents, ManyWorkersAreReadAPageAtATime) {
    Database& db = company(3);
    const int copies = 300;
    {
        Transaction tx(db);
        Table cadfun(db, "CADFUN"), ocorrenc(db, "OCORRENC");
        const Record bruno = *cadfun.find({"000002"});
        const auto rows = ocorrenc.select("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ?", {"000002", "2026", "01"});
        for (int i = 0; i < copies; ++i) {
            const QString code = QStringLiteral("9%1").arg(i, 5, 10, QChar('0'));
            Record worker = bruno;
            cadfun.insert(worker.set("CODFUN", code));
            for (Record r : rows) ocorrenc.insert(r.set("CODFUN", code));
        }
        tx.commit();
    }
    const auto all = drafts(3, 2026, 1);
    const QStringList items = Items(all.at("S-1200|000002|2026-01").xml);
    const QStringList payments = Payments(all.at("S-1210|000002|2026-01").xml);
    for (const int i : {0, 255, 256, copies - 1}) {
        const QString code = QStringLiteral("9%1").arg(i, 5, 10, QChar('0'));
        SCOPED_TRACE(code.toStdString());
        EXPECT_EQ(Items(all.at("S-1200|" + code + "|2026-01").xml), items);
        EXPECT_EQ(Payments(all.at("S-1210|" + code + "|2026-01").xml), payments);
    }
    EXPECT_EQ(all.size(), size_t(12 + 13 + 1 + 2 * copies));

    // The dues of event 095 only on the last copy, on the second page, and
    // unmapped: the first page's events were stored when it is found, and
    // nothing is kept.
    db.execWrite("DELETE FROM OCORRENC WHERE HCODIGO = '095' AND OCORRANO = '2026' AND OCORRMES = '01' AND CODFUN <> ?",
                 {QStringLiteral("9%1").arg(copies - 1, 5, 10, QChar('0'))});
    db.execWrite("UPDATE HISTFP SET ESNATRUB = NULL WHERE HCODIGO = '095'");
    try {
        generate(3, 2026, 1);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().contains("095 - ")) << e.message().toStdString();
    }
    EXPECT_TRUE(EventRegister(db).list({}).empty());
}

TEST_F(PeriodicEvents, GeneratingAgainStoresNothing) {
    GenerateResult first = generate(3, 2026, 1);
    EXPECT_EQ(first.invalid, 0) << first.problems.join("\n").toStdString();
    // 12 remunerations (Kaio's is his dismissal's), 13 payments, the closing.
    EXPECT_EQ(first.stored, 12 + 13 + 1);
    GenerateResult again = generate(3, 2026, 1);
    EXPECT_EQ(again.stored, 0);
    EXPECT_EQ(again.unchanged, first.stored);
}

// A new calculation marks the worker's events; when the amounts changed and
// the earlier version was accepted, the next one rectifies it.
TEST_F(PeriodicEvents, ARecalculatedMonthIsRectified) {
    Database& db = company(3);
    generate(3, 2026, 1);
    accept(3, "S-1200|000002|2026-01", "1.2.0000000000000000001");

    ScriptedUi ui;
    payroll::RunOptions o;
    o.branchCode = "001";
    o.firstEmployee = o.lastEmployee = "000002";
    o.automaticMode = true;
    // The same month again: nothing changes, nothing is marked.
    payroll::PayrollRun(db, ui).run(o);
    EXPECT_FALSE(latest(3, "S-1200|000002|2026-01")->changed);

    // A raise to 3.100,00: every amount of the month changes.
    db.execWrite("UPDATE CADFUN SET VLR_SALAR = 3100 WHERE CODFUN = '000002'");
    payroll::PayrollRun(db, ui).run(o);
    EXPECT_TRUE(latest(3, "S-1200|000002|2026-01")->changed);
    EXPECT_TRUE(latest(3, "S-1210|000002|2026-01")->changed);
    EXPECT_FALSE(latest(3, "S-1200|000003|2026-01")->changed);

    GenerateResult r = generate(3, 2026, 1);
    EXPECT_EQ(r.invalid, 0) << r.problems.join("\n").toStdString();
    EXPECT_EQ(r.stored, 2); // Bruno's remuneration and payment
    auto rect = latest(3, "S-1200|000002|2026-01");
    EXPECT_EQ(rect->version, 2);
    EXPECT_EQ(rect->indRetif, 2);
    EXPECT_EQ(rect->rectifies, "1.2.0000000000000000001");
    EXPECT_EQ(Values(rect->xml, "nrRecibo"), QStringList{"1.2.0000000000000000001"});
    EXPECT_TRUE(Items(rect->xml).contains("F202601 001 220.00 3100.00"));
    EXPECT_FALSE(rect->changed);
    auto payment = latest(3, "S-1210|000002|2026-01");
    EXPECT_EQ(payment->version, 2);
    EXPECT_EQ(payment->indRetif, 1); // the first was never accepted
}

// A run over the whole company marks the workers it changed as their
// group commits, whatever the group's size, and a run stopped halfway marks
// the workers it wrote before stopping and no other.
TEST_F(PeriodicEvents, EachWorkerWrittenIsMarkedWithHisGroup) {
    Database& db = company(3);
    generate(3, 2026, 1);
    const QStringList workers{"000002", "000003", "000004", "000005"};
    auto marked = [&] {
        QStringList out;
        for (const QString& w : workers) {
            const bool remuneration = latest(3, "S-1200|" + w + "|2026-01")->changed;
            EXPECT_EQ(latest(3, "S-1210|" + w + "|2026-01")->changed, remuneration) << w.toStdString();
            if (remuneration) out << w;
        }
        return out;
    };
    const struct {
        int group;
        int cancelAfter; // progress steps; -1 runs to the end
        QStringList raised, expected;
    } cases[] = {
        {1, -1, {"000002", "000004"}, {"000002", "000004"}},
        {3, -1, {"000003", "000005"}, {"000003", "000005"}},
        {200, -1, {"000002", "000005"}, {"000002", "000005"}},
        // Stopped after the third employee: 000003 was written, 000005 never was.
        {200, 3, {"000003", "000005"}, {"000003"}},
    };
    int raise = 3200;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        for (const QString& w : c.raised)
            db.execWrite("UPDATE CADFUN SET VLR_SALAR = ? WHERE CODFUN = ?", {raise++, w});
        ScriptedUi ui;
        ui.cancelAfterSteps = c.cancelAfter;
        payroll::RunOptions o;
        o.branchCode = "001";
        o.automaticMode = true;
        payroll::PayrollRun run(db, ui);
        run.setCommitGroup(c.group, 600000);
        EXPECT_EQ(run.run(o).cancelled, c.cancelAfter >= 0);
        EXPECT_EQ(marked(), c.expected);
        // The events are built again: nothing is left marked.
        generate(3, 2026, 1);
        EXPECT_EQ(marked(), QStringList());
    }
}

// The 13th salary calculated again marks the year's remuneration of the
// workers it wrote, as their group commits: a calculation stopped after
// the first worker marks him and no other. (Calculated again, each
// worker's 13th row is written with its quantity and then valued, so every
// worker counts as written.)
TEST_F(PeriodicEvents, TheThirteenthCalculatedAgainMarksTheWorkersItWrote) {
    Database& db = company(3);
    generate(3, 2025, 12);
    QStringList workers, inService; // Kaio, dismissed in January, gets no 13th
    for (const Record& r : Table(db, "CADFUN").select({}, {}, "CODFUN")) {
        if (!latest(3, "S-1200|" + r.text("CODFUN") + "|2025")) continue;
        workers << r.text("CODFUN");
        if (r.integer("CONDICAO") == 1) inService << r.text("CODFUN");
    }
    ASSERT_GE(inService.size(), 2);
    ASSERT_LT(inService.size(), workers.size());
    auto marked = [&] {
        QStringList out;
        for (const QString& w : workers)
            if (latest(3, "S-1200|" + w + "|2025")->changed) out << w;
        return out;
    };
    db.execWrite("UPDATE Filial SET DATA_FOLHA = ?, TIPO_FOL = 'D'", {QDate(2025, 12, 31)});
    const struct {
        int cancelAfter; // progress steps; -1 runs to the end
        QStringList expected;
    } cases[] = {{-1, inService}, {1, {inService.front()}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAfter);
        ScriptedUi ui;
        ui.cancelAfterSteps = c.cancelAfter;
        leave::LeaveOptions o;
        o.branchCode = "001";
        EXPECT_EQ(leave::ThirteenthCalc(db, ui).run(o).cancelled, c.cancelAfter >= 0);
        EXPECT_EQ(marked(), c.expected);
        generate(3, 2025, 12);
        EXPECT_EQ(marked(), QStringList());
    }
}

// An accepted month undone for a worker is removed by S-3000.
TEST_F(PeriodicEvents, AnUndoneAcceptedMonthIsRemoved) {
    Database& db = company(3);
    generate(3, 2026, 1);
    accept(3, "S-1200|000001|2026-01", "1.2.0000000000000000011");
    accept(3, "S-1210|000001|2026-01", "1.2.0000000000000000012");

    ScriptedUi ui({true});
    payroll::PayrollUndo undo(db, ui);
    ASSERT_TRUE(undo.run({"2026", "01", "F", "000001"}));
    EXPECT_GT(undo.rowsRemoved(), 0);
    EXPECT_TRUE(latest(3, "S-1200|000001|2026-01")->changed);

    GenerateResult r = generate(3, 2026, 1);
    EXPECT_EQ(r.invalid, 0) << r.problems.join("\n").toStdString();
    EXPECT_EQ(r.removals, 2);
    auto removal = latest(3, "S-1200|000001|2026-01");
    EXPECT_EQ(removal->type, "S-3000");
    EXPECT_EQ(Values(removal->xml, "nrRecEvt"), QStringList{"1.2.0000000000000000011"});
    EXPECT_EQ(Values(removal->xml, "cpfTrab").size(), 1);
    EXPECT_EQ(latest(3, "S-1210|000001|2026-01")->type, "S-3000");
}

TEST(PaymentDates, EachSheetByItsRule) {
    const struct {
        PaymentDateRule rule;
        char sheet;
        int year, month;
        QDate branch, vacation, leaving, expected;
    } cases[] = {
        {PaymentDateRule::EndOfCompetence, 'F', 2026, 1, QDate(2026, 1, 31), {}, {}, QDate(2026, 1, 31)},
        {PaymentDateRule::EndOfCompetence, 'A', 2026, 2, QDate(2026, 2, 20), {}, {}, QDate(2026, 2, 28)},
        {PaymentDateRule::BranchPayrollDate, 'A', 2026, 2, QDate(2026, 2, 20), {}, {}, QDate(2026, 2, 20)},
        // a payroll date of another month is not the payment's
        {PaymentDateRule::BranchPayrollDate, 'F', 2026, 1, QDate(2026, 2, 28), {}, {}, QDate(2026, 1, 31)},
        {PaymentDateRule::EndOfCompetence, 'I', 2026, 1, {}, QDate(2026, 1, 5), {}, QDate(2026, 1, 3)},
        // a vacation beginning on the 1st is paid within the competence
        {PaymentDateRule::EndOfCompetence, 'I', 2026, 3, {}, QDate(2026, 3, 1), {}, QDate(2026, 3, 1)},
        {PaymentDateRule::EndOfCompetence, 'D', 2025, 12, {}, {}, {}, QDate(2025, 12, 20)},
        {PaymentDateRule::EndOfCompetence, 'R', 2026, 1, {}, {}, QDate(2026, 1, 20), QDate(2026, 1, 30)},
        {PaymentDateRule::EndOfCompetence, 'R', 2026, 1, {}, {}, QDate(2026, 1, 25), QDate(2026, 1, 31)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaymentDate(c.rule, QLatin1Char(c.sheet), c.year, c.month, c.branch, c.vacation, c.leaving), c.expected)
            << c.sheet << " " << c.month;
}

TEST(PeriodicIds, DemonstrativesAndCategories) {
    EXPECT_EQ(DemonstrativeId("F", 2026, 1), "F202601");
    EXPECT_EQ(DemonstrativeId("D", 2025, 12), "D2025");
    EXPECT_EQ(TerminationDmDev(2026, 1), "R202601");
    EXPECT_EQ(CategoryOfVinculo(1), 101);
    EXPECT_EQ(CategoryOfVinculo(7), 103);
    EXPECT_EQ(CategoryOfVinculo(2), 0);
}

} // namespace
