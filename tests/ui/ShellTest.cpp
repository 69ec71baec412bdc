#include "DemoBuilder.h"
#include "IniFile.h"
#include "MenuTable.h"
#include "Passwords.h"
#include "ScreenCatalog.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoLogin.h"
#include "TfoMenuFolha.h"
#include "Startup.h"
#include "TfoNovaSenha.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QLineEdit>
#include <QListWidget>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace folha;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        demo::DemoBuilder(*session).buildDemo(ui);
        session->startUp(ui);
        ui.entries.clear();
    }
    void addCompany(int code, const QString& name, const QString& dir) {
        Table t(session->companyListDb(), "EmpresaFOLHA");
        Record r = t.newRecord();
        r.set("Codigo", code).set("Nome", name).set("Diretorio", dir);
        t.insert(r);
    }
    void addUser(const QString& code, const QString& name, const QString& password, const QString& level) {
        Table users(session->signInDb(), "Usuarios");
        Record r = users.newRecord();
        r.set("Codigo", code).set("Nome", name).set("Senha", HashPassword(password)).set("Nivel", level);
        users.insert(r);
    }
    void allow(const QString& user, int company) {
        Table t(session->signInDb(), "UsuariosPorEmpresa");
        Record r = t.newRecord();
        r.set("Usuario", user).set("Empresa", company);
        t.insert(r);
    }
    // Picks the user by name and types the password followed by Enter.
    void signInAs(TfoLogin& login, const QString& name, const QString& password) {
        const int row = login.userNames().indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        login.userClicked(row);
        login.passwordBox()->setText(password);
        login.passwordEntered();
    }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

TEST_F(ShellTest, ASupervisorWithoutCompanyRowsSeesEveryCompanyWithADirectory) {
    addCompany(5, "EMPRESA SEM DIRETORIO", QString());
    TfoLogin login(*session, ui);
    EXPECT_FALSE(login.passwordShown());
    EXPECT_EQ(login.userNames(), (QStringList{"ADMINISTRADOR", "OPERADOR FILIAL"}));
    signInAs(login, "ADMINISTRADOR", "zorvan");
    EXPECT_TRUE(ui.entries.isEmpty()) << ui.texts().join('|').toStdString();
    EXPECT_FALSE(login.companyChoiceCovered());
    EXPECT_FALSE(login.confirmEnabled());
    EXPECT_EQ(login.companyNames(), (QStringList{"COMERCIAL MODELO DEMONSTRACAO LTDA", "ZORVAN DEMONSTRACAO INDUSTRIA LTDA",
                                                 "ZORVAN SERVICOS DEMONSTRACAO 2026 LTDA"}));
}

TEST_F(ShellTest, AUserAllowedCompaniesFourAndSevenSeesOnlyThose) {
    addCompany(4, "QUARTA EMPRESA LTDA", "folha\\emp1\\");
    addCompany(5, "QUINTA EMPRESA LTDA", "folha\\emp1\\");
    addCompany(7, "SETIMA EMPRESA LTDA", "folha\\emp2\\");
    addUser("000003", "CONTADOR", "s3nha", "USU");
    allow("000003", 4);
    allow("000003", 7);
    TfoLogin login(*session, ui);
    signInAs(login, "CONTADOR", "s3nha");
    EXPECT_EQ(login.companyNames(), (QStringList{"QUARTA EMPRESA LTDA", "SETIMA EMPRESA LTDA"}));

    addUser("000004", "SEM EMPRESA", "x", "USU");
    TfoLogin other(*session, ui);
    signInAs(other, "SEM EMPRESA", "x");
    EXPECT_EQ(ui.texts("error"), QStringList{"Nenhuma empresa liberada para acesso do usuario SEM EMPRESA"});
    EXPECT_TRUE(other.companyChoiceCovered());
}

TEST_F(ShellTest, ACompanyWithOneBranchNeverShowsTheBranchListAndConfirmsWithIt) {
    TfoLogin login(*session, ui);
    signInAs(login, "ADMINISTRADOR", "zorvan");
    const int one = login.companyNames().indexOf("ZORVAN DEMONSTRACAO INDUSTRIA LTDA");
    const int two = login.companyNames().indexOf("COMERCIAL MODELO DEMONSTRACAO LTDA");
    login.companyClicked(two);
    EXPECT_TRUE(login.branchListShown());
    EXPECT_EQ(login.branchNames(), (QStringList{"COMERCIAL MODELO - FILIAL CENTRO", "COMERCIAL MODELO - MATRIZ"}));
    EXPECT_FALSE(login.confirmEnabled());
    login.companyClicked(one);
    EXPECT_FALSE(login.branchListShown());
    EXPECT_TRUE(login.confirmEnabled());
    EXPECT_EQ(login.directoryText(), session->values.DataDir);
    EXPECT_EQ(login.directoryText(), QStringLiteral("c:\\folha\\emp1\\"));
    login.confirmClicked();
    EXPECT_TRUE(ui.entries.isEmpty()) << ui.texts().join('|').toStdString();
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_TRUE(session->signIn.LoginConfirmed);
    EXPECT_EQ(session->signIn.CurrentCompanyCode, 1);
    EXPECT_EQ(session->signIn.CurrentBranchCodeText, QStringLiteral("001"));
    EXPECT_EQ(session->signIn.CurrentUserName, QStringLiteral("ADMINISTRADOR"));
}

TEST_F(ShellTest, AWrongPasswordAfterUncoveringCoversAgainAndConfirmChecksComeTogether) {
    TfoLogin login(*session, ui);
    signInAs(login, "ADMINISTRADOR", "zorvan");
    login.companyClicked(login.companyNames().indexOf("ZORVAN DEMONSTRACAO INDUSTRIA LTDA"));
    ASSERT_TRUE(login.confirmEnabled());
    login.passwordBox()->setText("zorvanx"); // any change covers
    EXPECT_TRUE(login.companyChoiceCovered());
    EXPECT_FALSE(login.confirmEnabled());
    login.passwordEntered();
    EXPECT_EQ(ui.texts("error"), QStringList{"Senha digitada não confere..."});
    EXPECT_TRUE(login.companyChoiceCovered());
    EXPECT_FALSE(login.confirmEnabled());
    ui.entries.clear();
    login.confirmClicked();
    EXPECT_EQ(ui.texts("error"),
              QStringList{"\nSenha digitada não confere com usuario selecionado!\nNão selecionou empresa!"
                          "\nNão selecionou filial!\nNão selecionou filial no datamodule!"});
    EXPECT_NE(login.result(), QDialog::Accepted);
    EXPECT_FALSE(session->signIn.LoginConfirmed);
}

TEST_F(ShellTest, TheSignInMemoryPreselectsAndClearingItLeavesNoUserChosen) {
    {
        TfoLogin login(*session, ui);
        signInAs(login, "OPERADOR FILIAL", "operador");
        login.companyClicked(0);
        login.branchClicked(login.branchNames().indexOf("COMERCIAL MODELO - FILIAL CENTRO"));
        login.confirmClicked();
        ASSERT_EQ(login.result(), QDialog::Accepted) << ui.texts().join('|').toStdString();
    }
    {
        TfoLogin login(*session, ui);
        login.show();
        EXPECT_EQ(login.selectedUserCode(), QStringLiteral("000002"));
        EXPECT_TRUE(login.passwordShown());
        login.passwordBox()->setText("operador");
        login.passwordEntered();
        // The remembered company and branch are chosen again.
        EXPECT_TRUE(login.confirmEnabled());
        EXPECT_EQ(login.branchList()->currentItem()->text(), QStringLiteral("COMERCIAL MODELO - FILIAL CENTRO"));
        login.clearLastLoginClicked();
        login.close();
    }
    const QString ini = session->installation().programFile("LoginFolha.ini");
    EXPECT_EQ(ReadIniValue(ini, "UsuarioUltLogin", "Usuario"), QString());
    TfoLogin restarted(*session, ui);
    restarted.show();
    EXPECT_EQ(restarted.selectedUserCode(), QString());
    EXPECT_FALSE(restarted.passwordShown());
}

TEST_F(ShellTest, ClosingTheFirstSignInEndsTheProgramAndALaterOneKeepsThePreviousSignIn) {
    TfoMenuFolha menu(*session, ui);
    QSignalSpy ended(&menu, &TfoMenuFolha::terminateRequested);
    EXPECT_EQ(menu.userPanelText(), QStringLiteral("Usuário :"));
    EXPECT_EQ(menu.versionPanelText(), QStringLiteral("Versão : 1.01.01"));
    menu.runLogin = [](TfoLogin&) { return int(QDialog::Rejected); };
    menu.logOff();
    EXPECT_EQ(ended.count(), 1);

    TfoMenuFolha second(*session, ui);
    QSignalSpy secondEnded(&second, &TfoMenuFolha::terminateRequested);
    second.runLogin = [this](TfoLogin& login) {
        signInAs(login, "ADMINISTRADOR", "zorvan");
        login.companyClicked(login.companyNames().indexOf("ZORVAN DEMONSTRACAO INDUSTRIA LTDA"));
        login.confirmClicked();
        return login.result();
    };
    second.logOff();
    EXPECT_EQ(secondEnded.count(), 0);
    const QString place = "Empresa 1 - ZORVAN DEMONSTRACAO INDUSTRIA LTDA | Filial 001 | Competência 04/2013 | Folha F";
    EXPECT_EQ(second.windowTitle(), "ZORVAN INFORMÁTICA - Folha de Pagamento: " + place);
    EXPECT_EQ(second.placePanelText(), place);
    const QString panel = second.userPanelText();
    EXPECT_TRUE(panel.startsWith("Usuário Zorvan: ADMINISTRADOR |TS: ")) << panel.toStdString();
    EXPECT_EQ(second.versionPanelText(), QStringLiteral("Versão : 1.0"));
    const QString firstDataDir = session->values.DataDir;
    second.runLogin = [&, this](TfoLogin& login) {
        // While signing in again nobody is shown as signed in.
        EXPECT_EQ(second.userPanelText(), QStringLiteral("Usuário :"));
        EXPECT_EQ(second.placePanelText(), QString());
        EXPECT_FALSE(second.windowTitle().contains("Empresa")) << second.windowTitle().toStdString();
        // Another company is picked, then the sign-in is abandoned.
        signInAs(login, "ADMINISTRADOR", "zorvan");
        login.companyClicked(login.companyNames().indexOf("COMERCIAL MODELO DEMONSTRACAO LTDA"));
        EXPECT_EQ(session->values.DataDir, QStringLiteral("c:\\folha\\emp2\\"));
        return int(QDialog::Rejected);
    };
    second.logOff();
    EXPECT_EQ(secondEnded.count(), 0);
    EXPECT_EQ(session->values.DataDir, firstDataDir);
    EXPECT_EQ(session->signIn.CurrentCompanyCode, 1);
    EXPECT_EQ(second.userPanelText(), panel);
    EXPECT_EQ(second.placePanelText(), place);
    EXPECT_EQ(session->signIn.CurrentUserName, QStringLiteral("ADMINISTRADOR"));

    // A screen that moves the branch to May: the caption follows when it closes.
    ScreenCatalog::instance().add("TfoCadBancos", [](Session&, UserInterface&, QWidget* parent) { return new QWidget(parent); });
    QWidget* screen = second.open(MenuEntries()[1]);
    ASSERT_NE(screen, nullptr);
    Table branches(session->folha(), "Filial");
    auto branch = branches.find({"001"});
    ASSERT_TRUE(branch);
    branch->set("DATA_FOLHA", QDate(2013, 5, 31));
    branches.update(*branch);
    screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.windowTitle().endsWith("Filial 001 | Competência 05/2013 | Folha F")) << second.windowTitle().toStdString();
    EXPECT_TRUE(second.placePanelText().endsWith("Competência 05/2013 | Folha F"));
    second.runLogin = [](TfoLogin&) { return int(TfoLogin::ExitRequested); };
    second.logOff();
    EXPECT_EQ(secondEnded.count(), 1);
}

TEST_F(ShellTest, TheMenuHoldsEveryEntryAndTheSameEntryTwiceOpensTwoWindows) {
    ScreenCatalog::instance().add("TfoCadBancos", [](Session&, UserInterface&, QWidget* parent) {
        auto* w = new QWidget(parent);
        w->setObjectName("BancosDeTeste");
        return w;
    });
    TfoMenuFolha menu(*session, ui);
    ASSERT_EQ(MenuEntries().size(), 72);
    for (const auto& e : MenuEntries()) {
        QAction* a = menu.action(e.path());
        ASSERT_NE(a, nullptr) << e.path().toStdString();
        EXPECT_EQ(a->isEnabled(), IsBuilt(e)) << e.path().toStdString();
    }
    EXPECT_TRUE(menu.action("Relatórios > Acordos e Termos > Acordo Horário Trabalho")->isEnabled());
    EXPECT_TRUE(menu.action("Folha > Descalcular")->isEnabled());
    EXPECT_TRUE(menu.action("Zorvan > Sair do Sistema")->isEnabled());
    menu.action("Cadastros > Bancos")->trigger();
    menu.action("Cadastros > Bancos")->trigger();
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "BancosDeTeste" && w->isVisible()) ++windows;
    EXPECT_EQ(windows, 2);
    // A screen closed remembers its placement; the next one opens there.
    QWidget* first = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "BancosDeTeste") first = w;
    ASSERT_NE(first, nullptr);
    first->move(30, 40);
    first->resize(333, 222);
    first->close();
    EXPECT_TRUE(QFile::exists(session->values.IniDir + "TfoCadBancos.ini"));
    menu.action("Cadastros > Bancos")->trigger();
    QWidget* third = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "BancosDeTeste" && w != first && w->size() == QSize(333, 222)) third = w;
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->pos(), QPoint(30, 40));
    QSignalSpy ended(&menu, &TfoMenuFolha::terminateRequested);
    menu.action("Zorvan > Sair do Sistema")->trigger();
    EXPECT_EQ(ended.count(), 1);
}

TEST(MenuTable, ListsEveryEntryWithItsScreenAndState) {
    const QStringList lines = ScreenListing();
    ASSERT_EQ(lines.size(), 72);
    EXPECT_EQ(lines.first(), QStringLiteral("Cadastros > Afastamento de Funcionários\tTfoCadAfastFun\tnão-modal\tpronta"));
    EXPECT_EQ(lines[24], QStringLiteral("Folha > Descalcular\tTfoDescalcularFolha\tmodal\tpronta"));
    EXPECT_EQ(lines[25], QStringLiteral("Folha > Contas Contábeis\tTfoCadContasContabeis\tnão-modal\tpronta"));
    EXPECT_EQ(lines[26], QStringLiteral("Folha > Lançamentos Contábeis\tTfoLancContabeis\tnão-modal\tpronta"));
    EXPECT_EQ(lines[31], QStringLiteral("Relatórios > Acordos e Termos > Acordo Horário Trabalho\tTfoRelAcordoHoraTrabalho\tnão-modal\tpronta"));
    EXPECT_EQ(lines[47], QStringLiteral("Relatórios > Cadastro > Históricos da Folha\tTfoRelCadHistfp\tnão-modal\tpronta"));
    EXPECT_EQ(lines[68], QStringLiteral("Utilitários > Importar Dados (Paradox)\tTfoImportaParadox\tmodal\tpronta"));
    EXPECT_EQ(lines.last(), QStringLiteral("Zorvan > Sair do Sistema\t-\t-\tpronta"));
}

TEST_F(ShellTest, TheUpdateImageStartsTheUpdateProgramWhenPresentAndEndsTheProgram) {
    ScriptedUi asked({false, true, true});
    TfoLogin login(*session, asked);
    login.updateClicked(); // "No"
    login.updateClicked(); // "Yes", but no update program
    EXPECT_EQ(asked.texts("question").size(), 2);
    EXPECT_EQ(asked.texts("question").first(),
              QStringLiteral("Ao chamar o procedimento de atualização, você automaticamente irá encerrar o sistema, "
                             "deseja continuar???"));
    EXPECT_NE(login.result(), int(TfoLogin::ExitRequested));

    const QString program = SignIn(*session).updateProgramPath();
    const QString marker = d.file("atualizado");
    QDir().mkpath(QFileInfo(program).absolutePath());
    QFile f(program);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    login.updateClicked();
    EXPECT_EQ(login.result(), int(TfoLogin::ExitRequested));
    for (int i = 0; i < 100 && !QFile::exists(marker); ++i) QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(marker));
}

// A user without a password (as old tables bring) chooses one on the
// desktop: Enter with the empty password opens a dialog that asks for it
// twice, refuses a blank or a mismatched one, and then the sign-in goes on.
TEST_F(ShellTest, AUserWithoutPasswordTypesANewOneTwiceAndGoesOn) {
    Table users(session->signInDb(), "Usuarios");
    auto row = users.find({"000002"});
    ASSERT_TRUE(row);
    row->set("Senha", QString());
    users.update(*row);

    auto typeInto = [](QLineEdit* box, const QString& text) {
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    {
        TfoNovaSenha dialog("OPERADOR FILIAL", ui);
        dialog.show();
        const struct {
            const char* first;
            const char* second;
            const char* error;
        } refused[] = {{"", "", "A senha não pode ficar em branco."},
                       {"   ", "   ", "A senha não pode ficar em branco."},
                       {"s3gura", "s3gur", "As senhas digitadas não conferem"}};
        for (const auto& c : refused) {
            ui.entries.clear();
            typeInto(dialog.firstBox(), c.first);
            typeInto(dialog.secondBox(), c.second);
            ASSERT_EQ(ui.texts("error").size(), 1) << c.first;
            EXPECT_TRUE(ui.texts("error").first().startsWith(QString::fromUtf8(c.error)));
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(dialog.firstBox()->text().isEmpty() && dialog.secondBox()->text().isEmpty());
        }
    }

    ui.entries.clear();
    TfoLogin login(*session, ui);
    login.userClicked(login.userNames().indexOf("OPERADOR FILIAL"));
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<TfoNovaSenha*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            dialogSeen = true;
            typeInto(dialog->firstBox(), "s3gura");
            typeInto(dialog->secondBox(), "s3gura");
        }
    });
    QTest::keyClick(login.passwordBox(), Qt::Key_Return);
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(ui.entries.isEmpty()) << ui.texts().join('|').toStdString();
    EXPECT_FALSE(login.companyChoiceCovered());
    EXPECT_EQ(login.companyNames(), QStringList{"COMERCIAL MODELO DEMONSTRACAO LTDA"});
    const QString stored = users.find({"000002"})->text("Senha");
    EXPECT_TRUE(IsPasswordHash(stored));
    EXPECT_TRUE(CheckPassword("s3gura", stored));
    login.companyClicked(0);
    login.branchClicked(0);
    login.confirmClicked();
    EXPECT_EQ(login.result(), QDialog::Accepted) << ui.texts().join('|').toStdString();
    EXPECT_EQ(session->signIn.CurrentUserCode, QStringLiteral("000002"));
}

// The desktop follows the engine's rules of failed sign-ins: after three
// failures even the right password waits.
TEST_F(ShellTest, FailedSignInsMakeTheNextOneWait) {
    TfoLogin login(*session, ui);
    for (int i = 0; i < 3; ++i) signInAs(login, "ADMINISTRADOR", "errada");
    ui.entries.clear();
    signInAs(login, "ADMINISTRADOR", "zorvan");
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error").first().contains("aguarde")) << ui.texts("error").first().toStdString();
    EXPECT_TRUE(login.companyChoiceCovered());
}

// Alt and the underlined letter opens each menu of the bar; F10 opens the
// first one. Within every menu the letters differ.
TEST_F(ShellTest, TheMenuBarOpensFromTheKeyboard) {
    TfoMenuFolha menu(*session, ui);
    menu.signInOnFirstShow = false;
    menu.show();
    QApplication::setActiveWindow(&menu);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&menu));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* menu;
    } cases[] = {{Qt::Key_C, Qt::AltModifier, "Cadastros"},  {Qt::Key_O, Qt::AltModifier, "Consultas"},
                 {Qt::Key_F, Qt::AltModifier, "Folha"},      {Qt::Key_R, Qt::AltModifier, "Relatórios"},
                 {Qt::Key_U, Qt::AltModifier, "Utilitários"}, {Qt::Key_Z, Qt::AltModifier, "Zorvan"},
                 {Qt::Key_F10, Qt::NoModifier, "Cadastros"}};
    for (const auto& c : cases) {
        QTest::keyClick(&menu, c.key, c.modifiers);
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr) << c.menu;
        EXPECT_EQ(open->title().remove('&'), QString::fromUtf8(c.menu));
        open->close();
        menu.menuBar()->setActiveAction(nullptr);
        QApplication::setActiveWindow(&menu);
    }
    // Every menu level: one marked letter per entry, none twice.
    QList<QWidget*> levels{menu.menuBar()};
    while (!levels.isEmpty()) {
        QWidget* level = levels.takeFirst();
        QString letters;
        for (QAction* a : level->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu()) levels << a->menu();
            const qsizetype at = a->text().indexOf('&');
            ASSERT_GE(at, 0) << a->text().toStdString();
            const QChar letter = a->text()[at + 1].toLower();
            EXPECT_FALSE(letters.contains(letter)) << a->text().toStdString();
            letters += letter;
        }
    }
}

TEST(MenuTable, MnemonicsAreFirstLettersWhenFreeAndNeverTwice) {
    const struct {
        QStringList captions, marked;
    } cases[] = {
        {{"Cadastros", "Consultas", "Folha"}, {"&Cadastros", "C&onsultas", "&Folha"}},
        {{"Centro de Custos", "13º Salário"}, {"&Centro de Custos", "&13º Salário"}},
        // "A" has one letter only: "Ab" gives it up and "Bc" moves on for it.
        {{"Ab", "Bc", "A"}, {"A&b", "B&c", "&A"}},
        {{"Ab", "Ba", "Ab"}, {"&Ab", "&Ba", "Ab"}}, // no letter left for the third
    };
    for (const auto& c : cases) EXPECT_EQ(WithMnemonics(c.captions), c.marked) << c.captions.join('|').toStdString();
}

// The whole sign-in with the keys only: user, password, company, branch and
// the access button; Tab round the screen keeps what was chosen.
TEST_F(ShellTest, SignInWithTheKeyboardAlone) {
    TfoLogin login(*session, ui);
    login.show();
    QApplication::setActiveWindow(&login);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
    auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    };
    login.userList()->setFocus();
    press(Qt::Key_Home); // ADMINISTRADOR
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), login.passwordBox());
    QTest::keyClicks(login.passwordBox(), "zorvan");
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), login.companyList());
    ASSERT_EQ(login.companyList()->currentItem()->text(), "COMERCIAL MODELO DEMONSTRACAO LTDA");
    press(Qt::Key_Down); // ZORVAN: one branch
    EXPECT_FALSE(login.branchListShown());
    press(Qt::Key_Up); // COMERCIAL: two
    EXPECT_TRUE(login.branchListShown());
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), login.branchList());
    press(Qt::Key_End);
    const QString branch = login.branchList()->currentItem()->text();
    EXPECT_TRUE(login.confirmEnabled());
    // Round the screen with Tab, and back with Shift+Tab: nothing is lost.
    for (auto modifiers : {Qt::NoModifier, Qt::ShiftModifier})
        for (int i = 0; i < 12; ++i) {
            press(Qt::Key_Tab, modifiers);
            ASSERT_FALSE(login.companyChoiceCovered()) << i;
            ASSERT_TRUE(login.confirmEnabled()) << i;
            ASSERT_EQ(login.branchList()->currentItem()->text(), branch);
        }
    login.branchList()->setFocus();
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), login.confirmButton());
    press(Qt::Key_Return);
    EXPECT_EQ(login.result(), QDialog::Accepted) << ui.texts().join('|').toStdString();
    EXPECT_TRUE(session->signIn.LoginConfirmed);
    EXPECT_EQ(session->signIn.CurrentCompanyCode, 2);
    EXPECT_EQ(session->signIn.CurrentBranchName, branch);
}

// A window larger than the screen, or placed beyond it, is brought inside.
TEST(WindowPlacement, AWindowIsFittedIntoTheAvailableArea) {
    const QRect screen(0, 30, 1280, 770); // a panel above
    const struct {
        QRect window, fitted;
    } cases[] = {{{100, 100, 400, 300}, {100, 100, 400, 300}},   // inside: untouched
                 {{1200, 700, 400, 300}, {880, 500, 400, 300}},  // past the right and bottom edges
                 {{-50, 0, 400, 300}, {0, 30, 400, 300}},        // above and left of it
                 {{200, 100, 3000, 2000}, {0, 30, 1280, 770}}};  // larger than the screen
    for (const auto& c : cases) EXPECT_EQ(FittedInto(c.window, screen), c.fitted) << c.window.x() << "," << c.window.y();
}

TEST_F(ShellTest, AScreenRestoredLargerThanTheScreenOpensInsideIt) {
    ScreenCatalog::instance().add("TfoCadBancos", [](Session&, UserInterface&, QWidget* parent) {
        auto* w = new QWidget(parent);
        w->setObjectName("BancosGrande");
        return w;
    });
    TfoMenuFolha menu(*session, ui);
    const QRect available = menu.screen()->availableGeometry();
    QWidget* first = menu.open(MenuEntries()[1]);
    ASSERT_NE(first, nullptr);
    // Saved on a bigger monitor, far to the right.
    first->setGeometry(available.right() + 500, 200, available.width() * 2, available.height() + 400);
    first->close();
    QWidget* again = menu.open(MenuEntries()[1]);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(available.contains(again->frameGeometry())) << again->frameGeometry().x() << "," << again->frameGeometry().width();
    again->close();
    // The main window itself, too big for this screen.
    menu.signInOnFirstShow = false;
    menu.resize(available.width() + 800, available.height() + 600);
    menu.show();
    EXPECT_TRUE(available.contains(menu.frameGeometry())) << menu.frameGeometry().width();
}

// Qt's own buttons speak Portuguese once the translation is loaded.
TEST(QtTranslation, StandardButtonsReadInPortuguese) {
    QTranslator* words = InstallQtTranslation(*QCoreApplication::instance());
    if (!words) GTEST_SKIP() << "Tradução do Qt ausente (pacote qt6-translations-l10n não instalado)";
    QDialogButtonBox box(QDialogButtonBox::Close | QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(box.button(QDialogButtonBox::Close)->text().remove('&'), "Fechar");
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&'), "Cancelar");
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text().remove('&'), "Sim");
    EXPECT_EQ(box.button(QDialogButtonBox::No)->text().remove('&'), "Não");
    QCoreApplication::removeTranslator(words);
    delete words;
}
