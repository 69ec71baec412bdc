#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "IniFile.h"
#include "Passwords.h"
#include "SignIn.h"
#include "Table.h"
#include "TempDir.h"

#include "Workstation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
    EXPECT_EQ(s.allowedCompanies(*sup).size(), 3);
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
    r.set("Codigo", 9).set("Nome", "SEM DIRETORIO");
    empresas.insert(r);
    SignIn s(*session);
    EXPECT_EQ(s.allCompanies().size(), 3); // the three demo companies
    UserRow stranger{"000077", "ESTRANHO", "USU"};
    EXPECT_TRUE(s.allowedCompanies(stranger).isEmpty());
    UserRow sup{"000078", "OUTRO SUP", "SUP"};
    EXPECT_EQ(s.allowedCompanies(sup).size(), 3);
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

// The rules of failed sign-ins, with a clock the test moves: a known user
// with a wrong password and a code nobody has go through the same steps.
TEST_F(SignInTest, FailuresSlowTheNextAttemptThenLockTheCodeUntilASupervisorLiftsIt) {
    QDateTime clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC);
    SignIn s(*session);
    s.setClock([&] { return clock; });
    for (const QString code : {"000001", "999999"}) {
        const QString right = code == "000001" ? "zorvan" : "qualquer";
        auto outcome = [&](const QString& password) { return s.attempt(code, password).outcome; };
        // Three free failures; the third asks for a wait, which holds even
        // the right password back.
        for (int i = 1; i <= SignIn::FreeFailures; ++i) {
            const SignInAttempt a = s.attempt(code, "errada");
            EXPECT_EQ(a.outcome, SignInOutcome::Refused);
            EXPECT_EQ(a.message.contains("aguarde"), i == SignIn::FreeFailures) << a.message.toStdString();
        }
        EXPECT_EQ(outcome(right), SignInOutcome::Waiting);
        clock = clock.addSecs(SignIn::waitAfter(SignIn::FreeFailures));
        if (code == "000001") {
            EXPECT_EQ(outcome(right), SignInOutcome::Accepted); // and the failures are forgotten
            EXPECT_EQ(outcome("errada"), SignInOutcome::Refused);
            EXPECT_EQ(outcome("errada"), SignInOutcome::Refused);
        }
        // On to the lock, waiting each time as long as asked.
        SignInAttempt last;
        int failures = code == "000001" ? 2 : SignIn::FreeFailures;
        while (failures < SignIn::LockAfterFailures) {
            last = s.attempt(code, "errada");
            ASSERT_EQ(last.outcome, SignInOutcome::Refused) << failures;
            if (++failures < SignIn::LockAfterFailures) clock = clock.addSecs(SignIn::waitAfter(failures));
        }
        EXPECT_TRUE(last.message.contains("bloqueado por 15 minutos")) << last.message.toStdString();
        clock = clock.addSecs(14 * 60);
        EXPECT_EQ(outcome(right), SignInOutcome::Locked);
        ASSERT_EQ(s.holds().size(), 1);
        EXPECT_EQ(s.holds().first().user, code);
        EXPECT_TRUE(s.holds().first().lockedUntil.isValid());
        EXPECT_TRUE(s.unlock(code));
        EXPECT_FALSE(s.unlock(code));
        EXPECT_EQ(outcome(code == "000001" ? right : "errada"),
                  code == "000001" ? SignInOutcome::Accepted : SignInOutcome::Refused);
        s.unlock(code);
    }
    // Every refusal is in the supervisor's list, with the workstation.
    const QList<FailedSignIn> failed = s.failedSignIns(1000);
    ASSERT_FALSE(failed.isEmpty());
    EXPECT_EQ(failed.first().user, QStringLiteral("999999"));
    EXPECT_EQ(failed.first().workstation, GetComputerNameText().left(60));
    EXPECT_EQ(failed.first().when, clock.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));
    int locked = 0;
    for (const FailedSignIn& f : failed) locked += f.reason == QStringLiteral("usuário bloqueado");
    EXPECT_EQ(locked, 2);
    // A lock ends by itself after its minutes.
    for (int i = 0; i < SignIn::LockAfterFailures; ++i) {
        s.attempt("000002", "errada");
        clock = clock.addSecs(SignIn::waitAfter(i + 1));
    }
    EXPECT_EQ(s.attempt("000002", "operador").outcome, SignInOutcome::Locked);
    clock = clock.addSecs(SignIn::LockMinutes * 60);
    EXPECT_EQ(s.attempt("000002", "operador").outcome, SignInOutcome::Accepted);
}

// A code nobody has is refused in the time a wrong password takes: the
// check hashes all the same.
TEST_F(SignInTest, AnUnknownUserIsRefusedInTheTimeOfAWrongPassword) {
    SignIn s(*session);
    auto timeOf = [&](const QString& code) {
        QList<qint64> times;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer t;
            t.start();
            EXPECT_EQ(s.attempt(code, "errada").outcome, SignInOutcome::Refused);
            times << t.nsecsElapsed();
            s.unlock(code);
        }
        std::sort(times.begin(), times.end());
        return double(times[1]);
    };
    const double wrong = timeOf("000001");
    const double unknown = timeOf("999999");
    EXPECT_GT(unknown, wrong * 0.5) << unknown << " " << wrong;
    EXPECT_LT(unknown, wrong * 2.0) << unknown << " " << wrong;
}

// An empty password is never accepted: a user without one (empty, or the
// hash of an empty text) must choose one first; a blank one is refused.
TEST_F(SignInTest, AnEmptyPasswordIsNeverAcceptedAndTheFirstOneIsChosen) {
    Table users(session->signInDb(), "Usuarios");
    const QString emptyHash = HashPassword("");
    for (const QString& stored : {QString(""), emptyHash}) {
        Record r = users.newRecord();
        r.set("Codigo", "000009").set("Nome", "ANTIGO").set("Senha", stored).set("Nivel", "USU");
        users.insert(r);
        SignIn s(*session);
        EXPECT_EQ(s.attempt("000009", "").outcome, SignInOutcome::NeedsPassword);
        EXPECT_EQ(s.attempt("000009", "x").outcome, SignInOutcome::Refused);
        EXPECT_FALSE(s.authenticate("000009", "", ui).has_value());
        for (const char* blank : {"", "   "}) EXPECT_THROW(s.setFirstPassword("000009", blank), UserError);
        s.setFirstPassword("000009", "nova senha");
        EXPECT_THROW(s.setFirstPassword("000009", "outra"), UserError);
        EXPECT_EQ(s.attempt("000009", "").outcome, SignInOutcome::Refused);
        EXPECT_EQ(s.attempt("000009", "nova senha").outcome, SignInOutcome::Accepted);
        EXPECT_FALSE(s.passwordMatches("000009", ""));
        users.remove({"000009"});
    }
    // A user with a password cannot be given a "first" one.
    EXPECT_THROW(SignIn(*session).setFirstPassword("000001", "tomada"), UserError);
    EXPECT_TRUE(SignIn(*session).authenticate("000001", "zorvan", ui).has_value());
}

// Once an installation has had users it never falls back to running
// without a sign-in, even with its user table emptied.
TEST(SignInInstallation, HavingHadUsersOutlivesTheUserRows) {
    TempDir d;
    ScriptedUi ui;
    folha::testing::PrepareInstallation(d.path());
    Session session{Installation(d.path())};
    demo::DemoBuilder(session).buildEmpty(ui);
    SignIn s(session);
    EXPECT_FALSE(s.hadUsers());
    EXPECT_FALSE(s.hasUsers());
    Table users(session.signInDb(), "Usuarios");
    Record r = users.newRecord();
    r.set("Codigo", "000001").set("Nome", "PRIMEIRO").set("Senha", HashPassword("x")).set("Nivel", "SUP");
    users.insert(r);
    EXPECT_TRUE(s.hasUsers());
    session.signInDb().exec("DELETE FROM Usuarios");
    EXPECT_FALSE(s.hasUsers());
    EXPECT_TRUE(s.hadUsers());
    EXPECT_TRUE(SignIn(session).hadUsers());
}

// The sign-in database keeps the password hashes: its folder and files are
// its owner's only, whatever the umask.
TEST_F(SignInTest, TheSignInDatabaseIsReadableByItsOwnerOnly) {
    if (session->signInDb().backend() != Backend::SQLite) GTEST_SKIP() << "o banco de acesso está no servidor";
    const QString dir = session->signInDb().location().directory;
    QStringList checked;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(QDir(dir).filePath(name)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 077, 0u) << name.toStdString();
        checked << name;
    }
    EXPECT_FALSE(checked.isEmpty());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}
