// The "Cópia de Segurança" screen: a copy written from the screen and put
// back from it gives the company's rows back; a missing file name is asked
// for; only a supervisor opens it.
#include "DemoCompany.h"
#include "InstallationChecks.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoCopiaSeguranca.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace folha;

TEST(CopiaSeguranca, WritesACopyAndPutsItBack) {
    TempDir d, files;
    Session session{Installation(d.path())};
    ScriptedUi ui({true}); // "Confirma a restauração?" Yes
    OpenDemoCompany(session, ui);
    session.signIn.CurrentUserLevel = "SUP";
    std::unique_ptr<QWidget> screen(TfoCopiaSeguranca::create(session, ui, nullptr));
    auto* copy = qobject_cast<TfoCopiaSeguranca*>(screen.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->whereLabel()->text().startsWith(QStringLiteral("Dados nos arquivos de")));

    // Without a file name the screen asks for one.
    copy->copyFileBox()->clear();
    EXPECT_FALSE(copy->writeCopy());
    EXPECT_EQ(ui.texts("error"), QStringList{"Informe o arquivo da cópia de segurança."});

    const QList<TableCheck> before = CheckInstallation(session);
    copy->copyFileBox()->setText(files.file("copia.bkp"));
    copy->findChild<QPushButton*>("BotaoGravar")->click();
    EXPECT_TRUE(QFileInfo::exists(files.file("copia.bkp")));
    EXPECT_TRUE(ui.texts("message").last().startsWith(QStringLiteral("Cópia de segurança gravada em")));

    session.folha().exec("DELETE FROM OCORRENC");
    EXPECT_NE(CheckInstallation(session), before);
    copy->restoreFileBox()->setText(files.file("copia.bkp"));
    copy->findChild<QPushButton*>("BotaoRestaurar")->click();
    EXPECT_EQ(ui.texts("question").size(), 1);
    EXPECT_TRUE(ui.texts("message").last().startsWith(QStringLiteral("Cópia de segurança restaurada"))) << ui.texts("error").join('\n').toStdString();
    // Every table as it was, but the audit log with the screen's entries.
    EXPECT_EQ(folha::testing::WithoutAuditLogs(CheckInstallation(session)), folha::testing::WithoutAuditLogs(before));
}

TEST(CopiaSeguranca, OnlyASupervisorOpensIt) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    OpenDemoCompany(session, ui);
    session.signIn.CurrentUserLevel = "USU";
    EXPECT_EQ(TfoCopiaSeguranca::create(session, ui, nullptr), nullptr);
    EXPECT_EQ(ui.texts("error"), QStringList{"A cópia de segurança é liberada somente para usuários de nível SUP."});
}
