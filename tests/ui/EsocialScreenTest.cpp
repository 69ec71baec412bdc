// The "eSocial" screen on the demo's 2026 company: the certificate chosen,
// the competence generated from the screen, the events in the grid with
// their XML, the filter by status, the export, and what it refuses.
#include "DemoCompany.h"
#include "Generator.h"
#include "Rubricas.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoEsocial.h"
#include "../esocial/TestCertificate.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace folha;

TEST(EsocialScreen, GeneratesShowsFiltersAndExports) {
    TempDir d, out;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    OpenDemoCompany(session, ui, 3);
    session.signIn.CurrentUserLevel = "SUP";
    esocial::ProposeMissingRubricas(session.folha());
    const auto& cert = folha::testing::ThrowawayCertificate();

    TfoEsocial screen(session, ui);
    EXPECT_TRUE(screen.certificateLabel()->text().startsWith("Nenhum certificado escolhido"));
    EXPECT_FALSE(screen.chooseCertificate(cert.pfx, "errada"));
    EXPECT_TRUE(ui.texts("error").last().endsWith("não confere."));
    ASSERT_TRUE(screen.chooseCertificate(cert.pfx, cert.password));
    EXPECT_EQ(screen.certificateLabel()->text(), "Certificado: " + cert.pfx + ". Ambiente: produção restrita.");

    // A competence typed by keys; a bad one is refused and nothing is kept.
    screen.competence()->clear();
    QTest::keyClicks(screen.competence(), "132026");
    EXPECT_FALSE(screen.generate(cert.password));
    EXPECT_EQ(ui.texts("error").last(), "Competência inválida: 13/2026 (use MM/AAAA)");
    screen.competence()->clear();
    QTest::keyClicks(screen.competence(), "012026");
    ASSERT_TRUE(screen.generate(cert.password)) << ui.texts("error").join('\n').toStdString();
    EXPECT_TRUE(ui.texts("message").last().contains("0 inválido(s)")) << ui.texts("message").last().toStdString();

    const int rows = screen.grid()->rowCount();
    ASSERT_GT(rows, 0);
    EXPECT_EQ(rows, int(screen.shown().size()));
    // The grid comes in batch order: the employer's tables first.
    EXPECT_EQ(screen.grid()->item(0, 1)->text(), "S-1000");
    EXPECT_EQ(screen.grid()->item(0, 2)->text(), "empregador");
    EXPECT_EQ(screen.grid()->item(0, 6)->text(), "assinado");
    screen.grid()->selectRow(rows - 1);
    EXPECT_TRUE(screen.detail()->toPlainText().contains("<SignatureValue>"));

    // Only what is "validado" (unsigned): none.
    screen.status()->setCurrentText("validado");
    EXPECT_EQ(screen.grid()->rowCount(), 0);
    screen.status()->setCurrentIndex(0);
    EXPECT_EQ(screen.grid()->rowCount(), rows);

    ASSERT_TRUE(screen.exportTo(out.path())) << ui.texts("error").join('\n').toStdString();
    EXPECT_EQ(QDir(out.path()).entryList({"ID*.xml"}).size(), rows);
    EXPECT_EQ(screen.grid()->item(0, 9)->text(), "1"); // its batch
}

TEST(EsocialScreen, OnlyASupervisorChoosesTheCertificate) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    OpenDemoCompany(session, ui, 3);
    session.signIn.CurrentUserLevel = "USU";
    TfoEsocial screen(session, ui);
    const auto& cert = folha::testing::ThrowawayCertificate();
    EXPECT_FALSE(screen.chooseCertificate(cert.pfx, cert.password));
    EXPECT_EQ(ui.texts("error").last(), "Escolher o certificado do eSocial é liberado somente para usuários de nível SUP.");
    EXPECT_TRUE(esocial::ReadSettings(session.installation().programFile("CfgFolha.ini")).certificate.isEmpty());
}
