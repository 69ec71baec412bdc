// The table events (S-1000, S-1005, S-1010, S-1020) of the demo companies
// and the proposal of the event chart's eSocial mapping.

#include "DemoCompany.h"
#include "EventRegister.h"
#include "Generator.h"
#include "Rubricas.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "TempDir.h"
#include "EventXml.h"
#include "TestCertificate.h"

#include <QRegularExpression>

#include <gtest/gtest.h>


using namespace folha;
using namespace folha::esocial;
using folha::testing::Value;
using folha::testing::Values;

namespace {

class TableEvents : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        session_ = new Session{Installation(dir_->path())};
        ScriptedUi ui;
        BuildDemo(*session_, ui);
    }
    static void TearDownTestSuite() {
        delete session_;
        delete dir_;
        session_ = nullptr;
        dir_ = nullptr;
    }

    static std::unique_ptr<Database> open(int company) {
        auto row = Table(session_->companyListDb(), "EmpresaFOLHA").find({company});
        EXPECT_TRUE(row.has_value()) << company;
        return session_->openCompanyDirectory(session_->companyDirectory(row->text("Diretorio")));
    }

    static GenerateResult generate(Database& db, int company, int year, int month, const Certificate* cert = nullptr) {
        GenerateRequest r;
        r.year = year;
        r.month = month;
        r.certificate = cert;
        r.now = QDateTime(QDate(year, month, 28), QTime(10, 0, 0));
        r.builders = {BuildTableEvents};
        ScriptedUi ui;
        return Generate(db, EmployerOf(db, company, QStringLiteral("EMPRESA %1").arg(company)), r, ui);
    }

    static TempDir* dir_;
    static Session* session_;
};

TempDir* TableEvents::dir_ = nullptr;
Session* TableEvents::session_ = nullptr;

EventFilter Latest(const QString& type = {}) {
    EventFilter f;
    f.type = type;
    return f;
}

} // namespace

TEST_F(TableEvents, DemoCompanyOneSignedValidAndHandChecked) {
    auto db = open(1);
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    GenerateResult first = generate(*db, 1, 2013, 4, cert.get());
    EXPECT_EQ(first.invalid, 0) << first.problems.join('\n').toStdString();
    EXPECT_EQ(first.stored, first.built);
    EXPECT_EQ(first.signedCount, first.built);

    EventRegister reg(*db);
    auto events = reg.list(Latest());
    ASSERT_EQ(int(events.size()), first.built);
    for (const StoredEvent& e : events) {
        EXPECT_EQ(e.status, status::Signed) << e.subject.toStdString();
        EXPECT_EQ(ValidateEvent(e.xml, e.type, Signature::Required), QStringList()) << e.subject.toStdString();
        EXPECT_EQ(e.competence, "2013-04");
    }
    EXPECT_EQ(reg.list(Latest("S-1000")).size(), 1u);
    EXPECT_EQ(reg.list(Latest("S-1005")).size(), 1u);
    EXPECT_EQ(reg.list(Latest("S-1020")).size(), 1u);
    // Every event of the chart has its mapping after the demo's proposal.
    EXPECT_EQ(reg.list(Latest("S-1010")).size(), size_t(RubricaMap(*db).all().size()));

    // The employer: classification 99 of the head office, root of its CNPJ.
    auto employer = reg.latest("S-1000");
    ASSERT_TRUE(employer.has_value());
    EXPECT_TRUE(employer->xml.contains("<inclusao><idePeriodo><iniValid>2013-04</iniValid></idePeriodo>"));
    EXPECT_EQ(Value(employer->xml, "nrInsc"), "12345678");
    EXPECT_EQ(Value(employer->xml, "classTrib"), "99");
    EXPECT_EQ(Value(employer->xml, "indCoop"), "0");
    EXPECT_EQ(Value(employer->xml, "indConstr"), "0");
    EXPECT_EQ(Value(employer->xml, "indDesFolha"), "0");
    EXPECT_EQ(Value(employer->xml, "indOptRegEletron"), "0");

    // Branch 001: CNPJ 12.345.678/0001-95, CNAE 2599-3/99.
    auto estab = reg.latest("S-1005|001");
    ASSERT_TRUE(estab.has_value());
    EXPECT_TRUE(estab->xml.contains("<ideEstab><tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc>"
                                    "<iniValid>2013-04</iniValid></ideEstab>"));
    EXPECT_TRUE(estab->xml.contains("<dadosEstab><cnaePrep>2599399</cnaePrep></dadosEstab>"));

    // Event 001 SALARIO: salary (1000), paid (1), monthly base of social
    // security (11), of IRRF (11) and of FGTS (11).
    auto salary = reg.latest("S-1010|001");
    ASSERT_TRUE(salary.has_value());
    EXPECT_TRUE(salary->xml.contains("<ideRubrica><codRubr>001</codRubr><ideTabRubr>FOLHA</ideTabRubr>"
                                     "<iniValid>2013-04</iniValid></ideRubrica>"));
    EXPECT_TRUE(salary->xml.contains("<dadosRubrica><dscRubr>SALARIO</dscRubr><natRubr>1000</natRubr><tpRubr>1</tpRubr>"
                                     "<codIncCP>11</codIncCP><codIncIRRF>11</codIncIRRF><codIncFGTS>11</codIncFGTS>"
                                     "</dadosRubrica>"));
    // Event 110 INSS: the worker's contribution (9201), a discount that is
    // the contribution withheld (31) and a deduction of IRRF (41).
    auto inss = reg.latest("S-1010|110");
    ASSERT_TRUE(inss.has_value());
    EXPECT_EQ(Value(inss->xml, "natRubr"), "9201");
    EXPECT_EQ(Value(inss->xml, "tpRubr"), "2");
    EXPECT_EQ(Value(inss->xml, "codIncCP"), "31");
    EXPECT_EQ(Value(inss->xml, "codIncIRRF"), "41");
    EXPECT_EQ(Value(inss->xml, "codIncFGTS"), "00");

    // The allocation: FPAS 507, third parties 0115, type 01.
    auto allocation = reg.latest("S-1020|001");
    ASSERT_TRUE(allocation.has_value());
    EXPECT_TRUE(allocation->xml.contains("<dadosLotacao><tpLotacao>01</tpLotacao><fpasLotacao><fpas>507</fpas>"
                                         "<codTercs>0115</codTercs></fpasLotacao></dadosLotacao>"));

    // Twice: the same content, nothing new stored.
    GenerateResult second = generate(*db, 1, 2013, 4, cert.get());
    EXPECT_EQ(second.built, first.built);
    EXPECT_EQ(second.stored, 0);
    EXPECT_EQ(second.unchanged, first.built);
    // The next month reports the same rows, valid since April.
    GenerateResult may = generate(*db, 1, 2013, 5, cert.get());
    EXPECT_EQ(may.stored, 0);
}

TEST_F(TableEvents, Demo2026ValidatesAndAnAcceptedRubricaIsAltered) {
    auto db = open(3);
    GenerateResult first = generate(*db, 3, 2026, 1);
    EXPECT_GT(first.built, 4);
    EXPECT_EQ(first.invalid, 0) << first.problems.join('\n').toStdString();
    EXPECT_EQ(first.stored, first.built);
    EventRegister reg(*db);
    for (const StoredEvent& e : reg.list(Latest())) EXPECT_EQ(e.status, status::Validated) << e.subject.toStdString();
    auto estab = reg.latest("S-1005|001");
    ASSERT_TRUE(estab.has_value());
    EXPECT_TRUE(estab->xml.contains("<nrInsc>11444777000161</nrInsc>"));

    // The government accepted event 001's row; then the office renames it.
    auto salary = reg.latest("S-1010|001");
    ASSERT_TRUE(salary.has_value());
    reg.setStatus(salary->id, status::Accepted);
    reg.setReceipt(salary->id, "1.1.0000000000000000001");
    db->execWrite("UPDATE HISTFP SET HNOME = ? WHERE HCODIGO = ?", {QStringLiteral("SALARIO MENSAL"), QStringLiteral("001")});

    GenerateResult second = generate(*db, 3, 2026, 1);
    EXPECT_EQ(second.invalid, 0) << second.problems.join('\n').toStdString();
    EXPECT_EQ(second.stored, 1);
    EXPECT_EQ(second.unchanged, second.built - 1);
    auto altered = reg.latest("S-1010|001");
    ASSERT_TRUE(altered.has_value());
    EXPECT_EQ(altered->version, 2);
    EXPECT_TRUE(altered->xml.contains("<infoRubrica><alteracao><ideRubrica><codRubr>001</codRubr>"
                                      "<ideTabRubr>FOLHA</ideTabRubr><iniValid>2026-01</iniValid></ideRubrica>"));
    EXPECT_EQ(Value(altered->xml, "dscRubr"), "SALARIO MENSAL");
    EXPECT_FALSE(altered->xml.contains("<inclusao>"));

    // A later competence keeps the start of the accepted row.
    GenerateResult february = generate(*db, 3, 2026, 2);
    EXPECT_EQ(february.stored, 0);
}

TEST_F(TableEvents, ProposalFillsOnlyWhatIsEmptyAndAMissingMappingStopsGeneration) {
    auto db = open(2);
    // The office chose a nature for 003 and left its FGTS empty; 001 lost its mapping.
    db->execWrite("UPDATE HISTFP SET ESNATRUB = ?, ESINCFGTS = ? WHERE HCODIGO = ?",
                  {QStringLiteral("1099"), QString(), QStringLiteral("003")});
    db->execWrite("UPDATE HISTFP SET ESNATRUB = ?, ESTPRUB = ?, ESINCCP = ?, ESINCIRRF = ?, ESINCFGTS = ? WHERE HCODIGO = ?",
                  {QString(), 0, QString(), QString(), QString(), QStringLiteral("001")});
    EXPECT_EQ(ProposeMissingRubricas(*db), 2);
    RubricaMap map(*db);
    ASSERT_TRUE(map.find("003"));
    EXPECT_EQ(map.find("003")->nature, "1099");
    EXPECT_EQ(map.find("003")->incFGTS, "11");
    ASSERT_TRUE(map.find("001"));
    EXPECT_EQ(map.find("001")->nature, "1000");
    EXPECT_EQ(map.find("001")->type, 1);
    EXPECT_EQ(ProposeMissingRubricas(*db), 0);

    // Event 010 is entered in April 2013 and has no mapping: nothing is generated.
    db->execWrite("UPDATE HISTFP SET ESNATRUB = ? WHERE HCODIGO = ?", {QString(), QStringLiteral("010")});
    try {
        generate(*db, 2, 2013, 4);
        FAIL() << "a generation with an event used in the month without mapping";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), "Históricos sem o mapeamento do eSocial (natureza, tipo e incidências): 010 - COMISSOES. "
                               "Complete-os na página \"eSocial\" do cadastro de Históricos.");
    }
    EXPECT_TRUE(EventRegister(*db).list(Latest()).empty());
}

TEST_F(TableEvents, BranchWithoutClassificationIsNamed) {
    auto db = open(2);
    db->execWrite("UPDATE Filial SET ES_CLASSTR = ? WHERE CODIGO = ?", {QString(), QStringLiteral("001")});
    ProposeMissingRubricas(*db);
    try {
        generate(*db, 2, 2013, 4);
        FAIL();
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), "Filial 001 (COMERCIAL MODELO - MATRIZ): preencha \"Classificação Tributária (Tabela 08)\" "
                               "no cadastro de Filiais (página \"eSocial\" ou \"Encargos\"); o evento S-1000 do eSocial "
                               "não pode ser gerado sem ele.");
    }
    db->execWrite("UPDATE Filial SET ES_CLASSTR = ? WHERE CODIGO = ?", {QStringLiteral("99"), QStringLiteral("001")});
    GenerateResult r = generate(*db, 2, 2013, 4);
    EXPECT_EQ(r.invalid, 0) << r.problems.join('\n').toStdString();
    EventRegister reg(*db);
    EXPECT_EQ(reg.list(Latest("S-1005")).size(), 2u);
    EXPECT_EQ(reg.list(Latest("S-1020")).size(), 2u);
    auto second = reg.latest("S-1005|002");
    ASSERT_TRUE(second.has_value());
    EXPECT_TRUE(second->xml.contains("<nrInsc>98765432000279</nrInsc>"));
}

// The proposal from the flags and roles alone, each case worked out from
// Tabela 03 and the incidence codes.
TEST(RubricaProposal, FromFlagsAndRoles) {
    struct Case {
        const char* name;
        int prodesc, inps, irrf, fgts;
        QStringList roles;
        const char* nature;
        int type;
        const char* cp;
        const char* irrfCode;
        const char* fgtsCode;
    } cases[] = {
        {"SALARIO", 1, 1, 1, 1, {}, "1000", 1, "11", "11", "11"},
        {"HORAS EXTRAS 50%", 1, 1, 1, 1, {}, "1003", 1, "11", "11", "11"},
        {"DSR S/ HORAS EXTRAS 100%", 1, 1, 1, 1, {"004"}, "1012", 1, "11", "11", "11"},
        {"FERIAS NORMAIS", 1, 3, 3, 1, {"051"}, "1016", 1, "11", "13", "11"},
        {"1/3 FERIAS NORMAIS", 1, 3, 3, 1, {"041"}, "1017", 1, "11", "13", "11"},
        {"13 SALARIO", 1, 2, 2, 1, {"052"}, "5001", 1, "12", "12", "12"},
        {"13 SALARIO INDENIZADO", 1, 4, 2, 1, {"061"}, "6001", 1, "12", "12", "12"},
        {"AVISO PREVIO INDENIZADO", 1, 4, 4, 1, {"046"}, "6003", 1, "00", "11", "21"},
        {"FERIAS VENCIDAS", 1, 4, 4, 0, {"047"}, "6007", 1, "00", "11", "00"},
        {"SALARIO FAMILIA", 1, 0, 0, 0, {"011"}, "1409", 1, "51", "79", "00"},
        {"SALARIO MATERNIDADE", 1, 1, 1, 1, {"HISTSALMAT"}, "4050", 1, "21", "11", "11"},
        {"AUXILIO NATALIDADE", 1, 0, 0, 0, {"HISTAUXNAT"}, "1411", 1, "00", "79", "00"},
        {"ADIANTAMENTO SALARIAL", 1, 0, 0, 0, {"043"}, "5501", 1, "00", "9", "00"},
        {"ADIANTAMENTO JA PAGO", 0, 0, 0, 0, {"053"}, "9200", 2, "00", "9", "00"},
        {"INSS", 0, 0, 0, 0, {"012"}, "9201", 2, "31", "41", "00"},
        {"INSS 13 SALARIO", 0, 0, 0, 0, {"014"}, "9201", 2, "32", "42", "00"},
        {"IRRF", 0, 0, 0, 0, {"016"}, "9203", 2, "00", "31", "00"},
        {"IRRF 13 SALARIO", 0, 0, 0, 0, {"018"}, "9203", 2, "00", "32", "00"},
        {"FALTAS", 0, 1, 1, 1, {"054"}, "9207", 2, "11", "11", "11"},
        {"DSR S/ FALTAS", 0, 1, 1, 1, {}, "9211", 2, "11", "11", "11"},
        {"VALE TRANSPORTE", 0, 0, 0, 0, {"076"}, "9216", 2, "00", "9", "00"},
        {"DESCONTO QUALQUER", 0, 0, 0, 0, {}, "9299", 2, "00", "9", "00"},
        {"BASE INSS", 2, 0, 0, 0, {"013"}, "9901", 3, "00", "9", "00"},
        {"FGTS DO MES", 2, 0, 0, 0, {"032"}, "9908", 3, "00", "9", "00"},
        {"LIQUIDO A RECEBER", 2, 0, 0, 0, {"028"}, "9989", 3, "00", "9", "00"},
        {"VERBA QUALQUER", 1, 1, 1, 1, {}, "1099", 1, "11", "11", "11"},
        {"AJUDA QUALQUER", 1, 0, 0, 0, {}, "1899", 1, "00", "79", "00"},
        // A role whose nature does not fit the event's kind is passed over.
        {"SALARIO", 1, 1, 1, 1, {"012"}, "1000", 1, "11", "11", "11"},
    };
    for (const Case& c : cases) {
        RubricaFacts f;
        f.code = "999";
        f.name = QString::fromUtf8(c.name);
        f.prodesc = c.prodesc;
        f.inps = c.inps;
        f.irrf = c.irrf;
        f.fgts = c.fgts;
        f.roles = c.roles;
        const Rubrica r = ProposeRubrica(f);
        const std::string what = c.name;
        EXPECT_EQ(r.nature, c.nature) << what;
        EXPECT_EQ(r.type, c.type) << what;
        EXPECT_EQ(r.incCP, c.cp) << what;
        EXPECT_EQ(r.incIRRF, c.irrfCode) << what;
        EXPECT_EQ(r.incFGTS, c.fgtsCode) << what;
        EXPECT_TRUE(r.complete()) << what;
    }
}
