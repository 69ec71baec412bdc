#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "IniFile.h"
#include "Passwords.h"
#include "SignIn.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

TEST(Passwords, AreStoredAsSaltedHashesAndComparedExactly) {
    QString h1 = HashPassword("zorvan");
    QString h2 = HashPassword("zorvan");
    EXPECT_TRUE(IsPasswordHash(h1));
    EXPECT_NE(h1, h2); // salted
    EXPECT_FALSE(h1.contains("zorvan"));
    EXPECT_LE(h1.size(), Registry::instance().require("Usuarios").field("Senha")->size);
    bool legacy = true;
    EXPECT_TRUE(CheckPassword("zorvan", h1, &legacy));
    EXPECT_FALSE(legacy);
    for (const char* wrong : {"Zorvan", "zorvan ", " zorvan", "zorva", ""}) EXPECT_FALSE(CheckPassword(wrong, h1)) << wrong;
    EXPECT_TRUE(CheckPassword("abc 1", "abc 1", &legacy));
    EXPECT_TRUE(legacy);
    EXPECT_FALSE(CheckPassword("ABC 1", "abc 1"));
}

class SignInTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        BuildDemo(*session, ui);
        ui.entries.clear();
    }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

TEST_F(SignInTest, DemoUsersSignInAndSeeTheirCompanies) {
    SignIn s(*session);
    EXPECT_FALSE(s.authenticate("000001", "ZORVAN", ui).has_value());
    EXPECT_EQ(ui.texts("error"), QStringList{"Senha digitada não confere..."});
    auto sup = s.authenticate("000001", "zorvan", ui);
    ASSERT_TRUE(sup);
    EXPECT_EQ(sup->level, QStringLiteral("SUP"));
    EXPECT_EQ(s.allowedCompanies(*sup).size(), 2);
    auto usu = s.authenticate("000002", "operador", ui);
    ASSERT_TRUE(usu);
    auto list = s.allowedCompanies(*usu);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].code, 2);
    ASSERT_TRUE(s.confirm(*usu, list[0], "002", ui));
    EXPECT_EQ(session->signIn.CurrentBranchCode, 2);
    EXPECT_EQ(session->signIn.CurrentCompanyCode, 2);
    EXPECT_TRUE(session->signIn.LoginConfirmed);
    const QString ini = session->installation().programFile("LoginFolha.ini");
    EXPECT_EQ(ReadIniValue(ini, "BaseDadosUltLogin", "Base"), QStringLiteral("2"));
    EXPECT_EQ(ReadIniValue(ini, "BaseDadosUltLogin", "CodFilial"), QStringLiteral("002"));
    EXPECT_EQ(ReadIniValue(ini, "UsuarioUltLogin", "Usuario"), QStringLiteral("000002"));
    EXPECT_FALSE(s.confirm(*usu, list[0], "009", ui));
}

TEST_F(SignInTest, ALegacyPlainPasswordIsReplacedByItsHashAtTheFirstSignIn) {
    Table users(session->signInDb(), "Usuarios");
    Record r = users.newRecord();
    r.set("Codigo", "000009").set("Nome", "ANTIGO").set("Senha", "Abc 12").set("Nivel", "USU");
    users.insert(r);
    SignIn s(*session);
    EXPECT_FALSE(s.authenticate("000009", "abc 12", ui).has_value());
    EXPECT_EQ(users.find({"000009"})->text("Senha"), QStringLiteral("Abc 12")); // a failure changes nothing
    EXPECT_TRUE(s.authenticate("000009", "Abc 12", ui).has_value());
    QString stored = users.find({"000009"})->text("Senha");
    EXPECT_TRUE(IsPasswordHash(stored));
    EXPECT_TRUE(s.authenticate("000009", "Abc 12", ui).has_value());
    EXPECT_FALSE(s.authenticate("000009", "Abc 1", ui).has_value());
}

TEST_F(SignInTest, CompaniesWithoutDirectoryAreNeverOfferedAndUnlistedUsersSeeNone) {
    Table empresas(session->companyListDb(), "EmpresaFOLHA");
    Record r = empresas.newRecord();
    r.set("Codigo", 3).set("Nome", "SEM DIRETORIO");
    empresas.insert(r);
    SignIn s(*session);
    EXPECT_EQ(s.allCompanies().size(), 2);
    UserRow stranger{"000077", "ESTRANHO", "USU"};
    EXPECT_TRUE(s.allowedCompanies(stranger).isEmpty());
    UserRow sup{"000078", "OUTRO SUP", "SUP"};
    EXPECT_EQ(s.allowedCompanies(sup).size(), 2);
}

TEST_F(SignInTest, ConfirmChecksAreCollectedIntoOneTextInTheirOrder) {
    SignIn s(*session);
    auto company = s.company(2);
    ASSERT_TRUE(company);
    session->SetaDiretorio(company->directory);
    EXPECT_EQ(s.confirmProblems("000002", "operador", company, "002"), QString());
    EXPECT_EQ(s.confirmProblems("000002", "Operador", company, "002"),
              QStringLiteral("\nSenha digitada não confere com usuario selecionado!"));
    EXPECT_EQ(s.confirmProblems("000002", "operador", company, "009"),
              QStringLiteral("\nNão selecionou filial no datamodule!"));
    EXPECT_EQ(s.confirmProblems("000002", "x", std::nullopt, QString()),
              QStringLiteral("\nSenha digitada não confere com usuario selecionado!\nNão selecionou empresa!"
                             "\nNão selecionou filial!\nNão selecionou filial no datamodule!"));
    EXPECT_TRUE(ui.entries.isEmpty()); // the checks tell nobody
}

TEST_F(SignInTest, SignInMemoryIsReadClearedAndLeftAloneWhenAskedNotToRemember) {
    SignIn s(*session);
    auto sup = s.authenticate("000001", "zorvan", ui);
    ASSERT_TRUE(sup);
    auto company = s.company(2);
    ASSERT_TRUE(s.confirm(*sup, *company, "002", ui));
    LastSignIn last = s.lastSignIn();
    EXPECT_EQ(last.company, QStringLiteral("2"));
    EXPECT_EQ(last.branch, QStringLiteral("002"));
    EXPECT_EQ(last.user, QStringLiteral("000001"));
    s.clearLastSignIn();
    last = s.lastSignIn();
    EXPECT_TRUE(last.company.isEmpty() && last.branch.isEmpty() && last.user.isEmpty());
    ASSERT_TRUE(s.confirm(*sup, *s.company(1), "001", ui, false));
    EXPECT_EQ(session->signIn.CurrentCompanyCode, 1);
    EXPECT_TRUE(s.lastSignIn().user.isEmpty());
    EXPECT_EQ(s.updateProgramPath(), d.path() + "/programa/atualizar/atualizar.exe");
}
