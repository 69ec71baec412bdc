// The GRRF file of a small hand-made company.
#include "GovFixture.h"

#include <QFileInfo>
#include "TestBackend.h"

using namespace folha;
using namespace folha::gov;
using namespace folha::gov::testing;

namespace {

class GrrfTest : public GovFixture {
protected:
    GovFileResult run(const GrrfOptions& o) { return GrrfRun(*db, ui).run(o); }
    const QString cgc = QStringLiteral("00012345678909");
};

TEST_F(GrrfTest, TerminatedWorkersOfTheMonth) {
    worker(*db, 1, "ANA");
    worker(*db, 2, "BETO", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}, {"FLAG_AVISO", "S"}, {"FLAG_13I", "S"},
                            {"SAL_FAM", 44}, {"VLR_FGTSBA", "3200"}});
    worker(*db, 3, "CARLA", {{"DT_AFAST", QDate(2013, 4, 5)}, {"CAUS_RESC", "I2"}, {"SEXO", "F"}});
    worker(*db, 4, "DARIO", {{"DT_AFAST", QDate(2013, 4, 5)}, {"CAUS_RESC", "J"}});
    worker(*db, 5, "EVA", {{"DT_AFAST", QDate(2013, 2, 5)}, {"CAUS_RESC", "I1"}});
    row(*db, 2, "111", "2000");
    row(*db, 2, "081", "500");
    row(*db, 2, "111", "1800", "F", "2013", "03");
    row(*db, 2, "999", "1"); // an event without its register row
    row(*db, 3, "111", "-50");
    GrrfOptions o = grrfOptions();
    o.previousMonth = true;
    const GovFileResult r = run(o);
    ASSERT_TRUE(r.written) << ui.texts().join('\n').toStdString();
    const QStringList got = records(o.outputPath);
    const QStringList expected = {
        rec({"00", B(51), "2", "1", "44555666000181", L(30, "CONTABIL"), L(20, "MARIA"), L(50, "RUA B"), L(20, "SE"),
             "01002000", L(20, "SAO PAULO"), "SP", "0011", "32221000", L(60, "a@b.c"), "10052013", B(60), "*"}),
        rec({"10", "2", cgc, Z(36), L(40, "EMPRESA TESTE"), L(50, "RUA A"), L(20, "CENTRO"), "01001000",
             L(20, "SAO PAULO"), "SP", "001132220000", "2599399", "1", "507", B(143), "*"}),
        rec({"40", "2", cgc, "0", Z(14), "12000002228", "01032010", "01", L(70, "BETO"), "0001002", "00123", "1", "07",
             "01011980", "44", "004110", "01032010", "I1", "20042013", "01 ", "2", B(8), "S", B(8), Z(15),
             "000000000180000", "000000000250000", "000000000100000", "P", "03000", Z(15), "10000000280", "000", "0000",
             Z(13), "000000000320000", B(39), "*"}),
        rec({"40", "2", cgc, "0", Z(14), "12000003330", "01032010", "01", L(70, "CARLA"), "0001003", "00123", "2", "07",
             "01011980", "44", "004110", "01032010", "I2", "05042013", "01 ", "1", "21032013", "S", B(8), Z(15), Z(15),
             Z(15), Z(15), "N", "00000", Z(15), "10000000361", "000", "0000", Z(13), Z(15), B(39), "*"}),
        rec({"90", QString(51, '9'), B(306), "*"}),
    };
    ASSERT_EQ(got.size(), expected.size()) << got.join('\n').toStdString();
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].size(), 360) << i;
        EXPECT_EQ(got[i], expected[i]) << "record " << i;
    }
    EXPECT_TRUE(ui.texts("warning").contains("Historico nao cadastrado 999"));
    EXPECT_TRUE(QFileInfo::exists(o.companionPath));
    EXPECT_EQ(QFileInfo(o.companionPath).size(), 0);
    auto sent = Table(*db, "grrf").select();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text("CGC"), cgc);
    EXPECT_EQ(sent[0].text("TIPO"), QStringLiteral("2"));
}

// Without a termination there is nothing to send: no file, and the
// register of the last file sent stays as it was.
TEST_F(GrrfTest, CompanyWithoutTerminationsWritesNoFile) {
    put(*db, "grrf", {{"CGC", "77777777000177"}, {"NOME", "DE OUTRA GERACAO"}, {"TIPO", "1"}});
    worker(*db, 1, "ANA");
    worker(*db, 4, "DARIO", {{"DT_AFAST", QDate(2013, 4, 5)}, {"CAUS_RESC", "J"}});
    GrrfOptions o = grrfOptions();
    EXPECT_FALSE(run(o).written);
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
    EXPECT_FALSE(QFileInfo::exists(o.companionPath));
    EXPECT_TRUE(ui.texts("warning").contains("Empresa sem funcionarios com movimento"));
    EXPECT_FALSE(ui.texts("message").contains("Arquivo gerado com sucesso!"));
    auto sent = Table(*db, "grrf").select();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text("NOME"), QStringLiteral("DE OUTRA GERACAO"));
}

TEST_F(GrrfTest, RefusalsBeforeTheFile) {
    GrrfOptions o = grrfOptions();
    o.responsible = "";
    EXPECT_FALSE(run(o).written);
    EXPECT_EQ(ui.texts("error"), QStringList{"Preencher codigo responsavel"});
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
    ui.entries.clear();
    branch({{"TIPO_FOL", "D"}});
    EXPECT_FALSE(run(grrfOptions()).written);
    EXPECT_EQ(ui.texts("error"), QStringList{QStringLiteral("Folha não é do tipo F")});
    ui.entries.clear();
    branch({{"TIPO_FOL", "F"}});
    o = grrfOptions();
    o.withdrawalCode = "1234";
    EXPECT_FALSE(run(o).written);
    EXPECT_EQ(ui.texts("error").size(), 1);
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
}

TEST_F(GrrfTest, OtherCompanyOutOfTheCompetenceIsPassedOver) {
    auto db2 = folha::testing::OpenTestDatabase(d.file("empresa2"));
    db2->ensureSchema(Scope::Company);
    company(*db2, "98765432000198", "SEGUNDA");
    Table f2(*db2, "Filial");
    Record b2 = *f2.find({"001"});
    b2.set("DATA_FOLHA", QDate(2013, 3, 31));
    f2.save(b2);
    worker(*db, 2, "BETO", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    GrrfOptions o = grrfOptions();
    o.companies.push_back(GovCompany{2, "SEGUNDA", db2.get()});
    ASSERT_TRUE(run(o).written) << ui.texts().join('\n').toStdString();
    EXPECT_TRUE(ui.texts("warning").contains(QStringLiteral("Data da folha fora de prazo 201303 na empresa SEGUNDA")));
}

// Companies are written by inscription type and number, whatever the order
// they were ticked in: the CNPJ (type 1) before the CEI (type 2).
TEST_F(GrrfTest, CompaniesGoInOrderOfInscription) {
    auto db2 = folha::testing::OpenTestDatabase(d.file("empresa2"));
    db2->ensureSchema(Scope::Company);
    company(*db2, "98765432000198", "SEGUNDA");
    worker(*db2, 7, "GIL", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    worker(*db, 2, "BETO", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    GrrfOptions o = grrfOptions();
    o.companies.push_back(GovCompany{2, "SEGUNDA", db2.get()});
    ASSERT_TRUE(run(o).written) << ui.texts().join('\n').toStdString();
    QStringList order;
    for (const QString& l : records(o.outputPath))
        if (l.startsWith("40")) order << l.mid(2, 15);
    EXPECT_EQ(order, QStringList({"198765432000198", "200012345678909"}));
}

} // namespace
