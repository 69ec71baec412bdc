// The workers' non-periodic events built from the demo companies: the
// admission against the register, leaves and returns, the termination with
// its rubricas, the changes, and every event valid against the schema.

#include "DemoCompany.h"
#include "EventRegister.h"
#include "Generator.h"
#include "LawRules.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "Table.h"
#include "TempDir.h"
#include "EventXml.h"
#include "TestCertificate.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <map>


using namespace folha;
using namespace folha::esocial;
using folha::testing::Value;
using folha::testing::Values;

namespace {


class WorkerEventsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>(Installation(dir.path()));
    ScriptedUi ui{{}, true};

    bool built = false;

    Database& open(int company) {
        if (!built) BuildDemo(*session, ui);
        built = true;
        auto row = Table(session->companyListDb(), "EmpresaFOLHA").find({company});
        EXPECT_TRUE(row.has_value()) << company;
        session->SetaDiretorio(row->text("Diretorio"));
        Database& db = session->folha();
        // The event chart's eSocial mapping, as the office completes it:
        // earnings, deductions and the rest informative.
        db.execWrite("UPDATE HISTFP SET ESNATRUB = '1000', ESINCCP = '00', ESINCIRRF = '00', ESINCFGTS = '00', "
                     "ESTPRUB = CASE WHEN HPRODESC = 1 THEN 1 WHEN HPRODESC = 0 THEN 2 ELSE 3 END");
        return db;
    }

    Employer employer(Database& db, int company) { return EmployerOf(db, company, "EMPRESA"); }

    std::vector<Draft> drafts(Database& db, int company, int year, int month, const QString& branch = {}) {
        EventRegister reg(db);
        Context ctx(db, employer(db, company), year, month, branch, reg, 2);
        std::vector<Draft> out;
        BuildWorkerEvents(ctx, out);
        return out;
    }

    GenerateResult generate(Database& db, int company, int year, int month, const Certificate* cert = nullptr, int minute = 0) {
        GenerateRequest r;
        r.year = year;
        r.month = month;
        r.certificate = cert;
        r.now = QDateTime(QDate(2026, 5, 4), QTime(10, minute, 0));
        r.builders = {BuildWorkerEvents};
        return Generate(db, employer(db, company), r, ui);
    }

    // The government accepted every stored event (each with its receipt).
    void acceptAll(Database& db) {
        EventRegister reg(db);
        EventFilter f;
        int n = 0;
        for (const StoredEvent& e : reg.list(f)) {
            reg.setStatus(e.id, status::Accepted);
            reg.setReceipt(e.id, QStringLiteral("1.1.%1").arg(++n, 19, 10, QChar('0')));
        }
    }

    static const Draft* find(const std::vector<Draft>& ds, const QString& subject) {
        for (const Draft& d : ds)
            if (d.subject == subject) return &d;
        return nullptr;
    }
    static int count(const std::vector<Draft>& ds, const QString& type) {
        return int(std::count_if(ds.begin(), ds.end(), [&](const Draft& d) { return d.type == type; }));
    }
};

} // namespace

TEST_F(WorkerEventsTest, AdmissionCarriesTheRegister) {
    Database& db = open(1);
    const auto ds = drafts(db, 1, 2013, 4);
    const Draft* d = find(ds, "S-2200|000002");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->competence, "2013-04");
    EXPECT_EQ(d->worker, "000002");
    Record e = *Table(db, "CADFUN").find({"000002"});
    // BRUNA COSTA OLIVEIRA as the demo registers her (DemoData.cpp).
    const struct {
        const char* tag;
        QString expected;
    } cases[] = {
        {"cpfTrab", QString::number(e.text("NR_CPF").toLongLong()).rightJustified(11, '0')},
        {"nmTrab", "BRUNA COSTA OLIVEIRA"},
        {"sexo", "F"},
        {"racaCor", "1"},   // RACACOR 2 (branca)
        {"estCiv", "1"},    // S (solteira)
        {"grauInstr", "07"}, // INSTRUCAO 7
        {"paisNascto", "105"},
        {"dscLograd", "RUA DAS PALMEIRAS, 100"},
        {"nrLograd", "102"},
        {"cep", "01010000"},
        {"codMunic", "3550308"},
        {"uf", "SP"},
        {"matricula", "000002"},
        {"tpRegTrab", "1"},
        {"tpRegPrev", "1"},
        {"cadIni", "S"}, // admitted 01/03/2010, before the company's first eSocial month
        {"dtAdm", "2010-03-01"},
        {"tpAdmissao", "1"},
        {"cnpjSindCategProf", "60628468000157"},
        {"nmCargo", "OPERADOR DE MAQUINAS"},
        {"CBOCargo", "784205"},
        {"codCateg", "101"},
        {"vrSalFx", "2800.00"},
        {"undSalFixo", "5"},
        {"tpContr", "1"},
        {"qtdHrsSem", "44"},
    };
    for (const auto& c : cases) EXPECT_EQ(Value(d->xml, c.tag), c.expected) << c.tag;
    EXPECT_EQ(Value(d->xml, "dtNascto"), e.date("DT_NASC").toString("yyyy-MM-dd"));
    EXPECT_TRUE(d->xml.contains("<localTrabGeral><tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc></localTrabGeral>"));
    // Her two children, in the order of their numbers.
    EXPECT_EQ(Values(d->xml, "nmDep"), QStringList({"BRENO COSTA", "BIANCA COSTA"}));
    EXPECT_EQ(Values(d->xml, "tpDep"), QStringList({"03", "03"}));
    EXPECT_EQ(Values(d->xml, "cpfDep").size(), 2);
    EXPECT_EQ(Values(d->xml, "depSF"), QStringList({"S", "S"})); // born 2006 and 2010: under 14

    // Admitted in the first month: an admission, not the initial register.
    EXPECT_EQ(Value(find(ds, "S-2200|000016")->xml, "cadIni"), "N");
    // The apprentice, the hourly worker and the worker on leave since February.
    EXPECT_EQ(Value(find(ds, "S-2200|000004")->xml, "codCateg"), "103");
    EXPECT_EQ(Value(find(ds, "S-2200|000003")->xml, "undSalFixo"), "1");
    EXPECT_TRUE(find(ds, "S-2200|000014")->xml.contains(
        "<afastamento><dtIniAfast>2013-02-10</dtIniAfast><codMotAfast>03</codMotAfast></afastamento>"));
    // The night shift.
    EXPECT_EQ(Value(find(ds, "S-2200|000017")->xml, "tpJornada"), "2");
    EXPECT_EQ(Value(find(ds, "S-2200|000017")->xml, "horNoturno"), "S");
}

TEST_F(WorkerEventsTest, EveryDemoWorkerEventValidatesAndSigns) {
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    const struct {
        int company, year, month;
        std::map<QString, int> types;
    } cases[] = {
        // 25 workers; 000015's return ends the leave the admission carries;
        // 000013 dismissed on 20 April.
        {1, 2013, 4, {{"S-2200", 25}, {"S-2230", 1}, {"S-2299", 1}}},
        // 13 workers; 000011 dismissed on 20 January; the apprentice on a fixed term.
        {3, 2026, 1, {{"S-2200", 13}, {"S-2299", 1}}},
    };
    for (const auto& c : cases) {
        Database& db = open(c.company);
        const auto ds = drafts(db, c.company, c.year, c.month);
        std::map<QString, int> types;
        for (const Draft& d : ds) {
            ++types[d.type];
            QByteArray xml = d.xml;
            xml.replace(kIdPlaceholder, "ID1123456780000002026050410000000001");
            EXPECT_EQ(ValidateEvent(xml, d.type, Signature::Optional), QStringList()) << d.subject.toStdString();
        }
        EXPECT_EQ(types, c.types) << c.company;
        GenerateResult r = generate(db, c.company, c.year, c.month, cert.get());
        EXPECT_EQ(r.problems, QStringList());
        EXPECT_EQ(r.invalid, 0);
        EXPECT_EQ(r.stored, int(ds.size()));
        EXPECT_EQ(r.signedCount, int(ds.size()));
        for (const QString& id : r.ids) {
            auto e = EventRegister(db).byId(id);
            ASSERT_TRUE(e);
            EXPECT_EQ(ValidateEvent(e->xml, e->type, Signature::Required), QStringList()) << e->subject.toStdString();
            EXPECT_TRUE(VerifySignature(e->xml)) << e->subject.toStdString();
        }
        if (c.company == 3) {
            const Draft* apprentice = find(ds, "S-2200|000009");
            ASSERT_TRUE(apprentice);
            EXPECT_TRUE(apprentice->xml.contains("<tpContr>2</tpContr><dtTerm>2027-03-09</dtTerm><clauAssec>N</clauAssec>"));
            EXPECT_EQ(Value(apprentice->xml, "indAprend"), "1");
            EXPECT_EQ(Value(apprentice->xml, "qtdHrsSem"), "30");
        }
    }
}

TEST_F(WorkerEventsTest, GeneratedTwiceKeepsNothingNew) {
    Database& db = open(3);
    GenerateResult first = generate(db, 3, 2026, 1);
    EXPECT_EQ(first.stored, 14);
    GenerateResult again = generate(db, 3, 2026, 1, nullptr, 1);
    EXPECT_EQ(again.stored, 0);
    EXPECT_EQ(again.unchanged, 14);
    // The branch filter: every demo worker is in branch 001.
    EXPECT_EQ(drafts(db, 3, 2026, 1, "002").size(), 0u);
    EXPECT_EQ(drafts(db, 3, 2026, 1, "001").size(), 14u);
}

TEST_F(WorkerEventsTest, NameAndSalaryChangesGiveOneEventEach) {
    Database& db = open(3);
    generate(db, 3, 2026, 1);
    // Before the admissions are sent, a change rebuilds the admission itself.
    Table cadfun(db, "CADFUN");
    Record alice = *cadfun.find({"000001"});
    alice.set("NOME", "ALICE SALARIO MINIMO SOUZA");
    cadfun.update(alice);
    auto unsent = drafts(db, 3, 2026, 2);
    EXPECT_EQ(count(unsent, "S-2205"), 0);
    EXPECT_EQ(Value(find(unsent, "S-2200|000001")->xml, "nmTrab"), "ALICE SALARIO MINIMO SOUZA");
    EXPECT_EQ(find(unsent, "S-2200|000001")->competence, "2026-01");
    alice.set("NOME", "ALICE SALARIO MINIMO");
    cadfun.update(alice);

    acceptAll(db);
    EXPECT_EQ(drafts(db, 3, 2026, 2).size(), 0u); // nothing changed: nothing to send

    alice.set("NOME", "ALICE SALARIO MINIMO SOUZA");
    cadfun.update(alice);
    Record bruno = *cadfun.find({"000002"});
    bruno.set("VLR_SALAR", "3150.00");
    cadfun.update(bruno);
    auto ds = drafts(db, 3, 2026, 2);
    ASSERT_EQ(ds.size(), 2u);
    const Draft* name = find(ds, "S-2205|000001|2026-02-01");
    ASSERT_TRUE(name);
    EXPECT_EQ(Value(name->xml, "nmTrab"), "ALICE SALARIO MINIMO SOUZA");
    EXPECT_EQ(Value(name->xml, "dtAlteracao"), "2026-02-01");
    EXPECT_EQ(name->competence, "2026-02");
    const Draft* salary = find(ds, "S-2206|000002|2026-02-01");
    ASSERT_TRUE(salary);
    EXPECT_EQ(Value(salary->xml, "vrSalFx"), "3150.00");
    EXPECT_EQ(Value(salary->xml, "matricula"), "000002");

    GenerateResult r = generate(db, 3, 2026, 2, nullptr, 1);
    EXPECT_EQ(r.stored, 2);
    EXPECT_EQ(r.invalid, 0) << r.problems.join('\n').toStdString();
    // The change is reported: not again, in this month or the next.
    EXPECT_EQ(drafts(db, 3, 2026, 2).size(), 0u);
    EXPECT_EQ(drafts(db, 3, 2026, 3).size(), 0u);
    // A dependant's change is a change of the personal data.
    db.execWrite("UPDATE DEPENDE SET NOME_DEPEN = 'ENZO ELISA SOUZA' WHERE CODFUN = '000005'");
    auto dep = drafts(db, 3, 2026, 3);
    ASSERT_EQ(dep.size(), 1u);
    EXPECT_EQ(dep[0].subject, "S-2205|000005|2026-03-01");
    EXPECT_EQ(Value(dep[0].xml, "nmDep"), "ENZO ELISA SOUZA");
}

TEST_F(WorkerEventsTest, LeaveAndReturnGiveTheirS2230) {
    Database& db = open(3);
    generate(db, 3, 2026, 1);
    acceptAll(db);
    Table afastfun(db, "AFASTFUN");
    auto leave = [&](const char* fun, const char* hist, QDate date, const char* cause) {
        Record r = afastfun.newRecord();
        r.set("CODFUN", fun).set("HCODIGO", hist).set("DATA", date).set("CAUS_RESC", cause);
        afastfun.insert(r);
    };
    // 000003 sick from 10 February (reason 001: Tabela 18 code 03).
    leave("000003", "001", QDate(2026, 2, 10), "P1");
    // 000004 on maternity leave (003: code 17) from 2 February, back on 20 February.
    leave("000004", "003", QDate(2026, 2, 2), "Q1");
    leave("000004", "003", QDate(2026, 2, 20), "Z1");

    auto feb = drafts(db, 3, 2026, 2);
    ASSERT_EQ(feb.size(), 2u);
    const Draft* sick = find(feb, "S-2230|000003|2026-02-10|inicio");
    ASSERT_TRUE(sick);
    EXPECT_TRUE(sick->xml.contains("<iniAfastamento><dtIniAfast>2026-02-10</dtIniAfast><codMotAfast>03</codMotAfast>"
                                   "<infoMesmoMtv>N</infoMesmoMtv></iniAfastamento>"));
    EXPECT_FALSE(sick->xml.contains("fimAfastamento"));
    // Start and end in the same month: one event with both.
    const Draft* maternity = find(feb, "S-2230|000004|2026-02-02|inicio");
    ASSERT_TRUE(maternity);
    EXPECT_EQ(Value(maternity->xml, "codMotAfast"), "17");
    EXPECT_EQ(Value(maternity->xml, "dtTermAfast"), "2026-02-20");
    EXPECT_EQ(generate(db, 3, 2026, 2, nullptr, 1).invalid, 0);

    // The return of 000003 on 5 March: the end on an event of its own.
    Table cadfun(db, "CADFUN");
    Record e = *cadfun.find({"000003"});
    e.set("DT_RETORNO", QDate(2026, 3, 5)).set("CAUS_RETOR", "Z5");
    cadfun.update(e);
    auto mar = drafts(db, 3, 2026, 3);
    ASSERT_EQ(mar.size(), 1u);
    EXPECT_EQ(mar[0].subject, "S-2230|000003|2026-02-10|fim");
    EXPECT_EQ(mar[0].competence, "2026-03");
    EXPECT_TRUE(mar[0].xml.contains("<infoAfastamento><fimAfastamento><dtTermAfast>2026-03-05</dtTermAfast>"
                                    "</fimAfastamento></infoAfastamento>"));
    GenerateResult r = generate(db, 3, 2026, 3, nullptr, 2);
    EXPECT_EQ(r.stored, 1);
    EXPECT_EQ(r.invalid, 0) << r.problems.join('\n').toStdString();

    // A reason without its eSocial code stops the generation naming it.
    db.execWrite("UPDATE HISTAFAS SET ESMOTAFAS = '' WHERE HCODIGO = '001'");
    leave("000006", "001", QDate(2026, 4, 6), "P1");
    try {
        drafts(db, 3, 2026, 4);
        FAIL();
    } catch (const UserError& err) {
        EXPECT_TRUE(err.message().startsWith("Histórico de afastamento 001 sem o motivo do eSocial")) << err.message().toStdString();
    }
}

TEST_F(WorkerEventsTest, TerminationListsEachRubricaOfItsRows) {
    Database& db = open(3);
    const auto ds = drafts(db, 3, 2026, 1);
    const Draft* d = find(ds, "S-2299|000011");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->competence, "2026-01");
    EXPECT_EQ(Value(d->xml, "mtvDeslig"), "02"); // I1: dismissed without cause
    EXPECT_EQ(Value(d->xml, "dtDeslig"), "2026-01-20");
    EXPECT_EQ(Value(d->xml, "indPagtoAPI"), "S");
    // 30 days and 3 per full year since 05/01/2022 (4 years): 42 days after 20/01/2026.
    EXPECT_EQ(Value(d->xml, "dtProjFimAPI"), "2026-03-03");
    EXPECT_EQ(Value(d->xml, "pensAlim"), "0");
    // The identifier the S-1210 pays the termination by.
    EXPECT_EQ(Values(d->xml, "ideDmDev"), QStringList({"R202601"}));
    EXPECT_EQ(Value(d->xml, "codLotacao"), "001");
    // Every row of the month's sheet with an amount, with that amount.
    QStringList codes, amounts;
    for (const Record& r : Table(db, "OCORRENC").select("OCORRANO = '2026' AND OCORRMES = '01' AND CODFUN = '000011' "
                                                      "AND TIPOFOLHA = 'F'", {}, "HCODIGO"))
        if (r.number("VALOR") > Fixed()) {
            codes << r.text("HCODIGO").trimmed();
            amounts << RoundValue(2, r.number("VALOR")).toString(2);
        }
    ASSERT_GT(codes.size(), 5);
    EXPECT_EQ(Values(d->xml, "codRubr"), codes);
    EXPECT_EQ(Values(d->xml, "vrRubr"), amounts);
    EXPECT_EQ(Values(d->xml, "ideTabRubr").size(), codes.size());
    EXPECT_EQ(Values(d->xml, "indApurIR"), QStringList(codes.size(), "0"));
    // The indemnified notice (081): its 42 days of 2800.00 ÷ 30; the
    // balance of salary (080): 146.67 hours (44 ÷ 6 × 20 days) at 12.7273.
    const struct {
        const char* code;
        const char* amount;
    } items[] = {{"081", "3920.00"}, {"080", "1866.71"}};
    for (const auto& item : items) {
        const int at = codes.indexOf(item.code);
        ASSERT_GE(at, 0) << item.code;
        EXPECT_EQ(amounts[at], item.amount) << item.code;
    }

    // An event code without its eSocial mapping stops the generation naming it.
    db.execWrite("UPDATE HISTFP SET ESNATRUB = '' WHERE HCODIGO = ?", {codes[0]});
    try {
        drafts(db, 3, 2026, 1);
        FAIL();
    } catch (const UserError& err) {
        EXPECT_TRUE(err.message().contains(codes[0] + " - ")) << err.message().toStdString();
    }
}
