// The "eSocial" screen sending the demo's competence to the stand-in of the
// eSocial web services on loopback: one event rejected, shown with its
// messages under its batch, sent again from the screen and accepted; the
// reconciliation shown without totals imported.
#include "DemoCompany.h"
#include "IniFile.h"
#include "Rubricas.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoEsocial.h"
#include "../esocial/StandInServer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace folha;
using folha::testing::StandInServer;

TEST(EsocialSendScreen, SendsShowsBatchesResendsAndReconciles) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    OpenDemoCompany(session, ui, 3);
    session.signIn.CurrentUserLevel = "SUP";
    esocial::ProposeMissingRubricas(session.folha());
    const auto& ca = folha::testing::Authority();
    StandInServer server{ca};
    ASSERT_TRUE(WriteIniFileValue(session.installation().programFile("CfgFolha.ini"), "eSocial", "CertificadosAC", ca.caPem));
    const QString at = server.sendUrl().section('/', 0, 2);

    TfoEsocial screen(session, ui);
    ASSERT_TRUE(screen.chooseCertificate(ca.clientPfx, ca.password));
    screen.competence()->setText("01/2026");
    ASSERT_TRUE(screen.generate(ca.password)) << ui.texts("error").join('\n').toStdString();
    QString rejected;
    for (const auto& e : screen.shown())
        if (e.type == "S-1200" && rejected.isEmpty()) rejected = e.id;
    ASSERT_FALSE(rejected.isEmpty());
    server.setOutcome(rejected, StandInServer::Outcome::Reject);

    ASSERT_TRUE(screen.send(ca.password, at)) << ui.texts("error").join('\n').toStdString();
    EXPECT_TRUE(ui.texts().last().contains(", 1 rejeitado(s), 0 em processamento")) << ui.texts().last().toStdString();
    const QString batches = screen.detail()->toPlainText();
    EXPECT_TRUE(batches.contains("protocolo 1.2.202602.0000000000000000001: processado, código 201")) << batches.toStdString();
    EXPECT_TRUE(batches.contains("S-1200 " + rejected + " ")) << batches.toStdString();
    EXPECT_TRUE(batches.contains("      Erro 1234 - O CPF informado não pertence a um trabalhador do empregador.")) << batches.toStdString();
    EXPECT_EQ(server.problems(), QStringList());

    // The rejected one in the grid, sent again.
    screen.status()->setCurrentText("rejeitado");
    ASSERT_EQ(screen.grid()->rowCount(), 1);
    screen.grid()->selectRow(0);
    ASSERT_TRUE(screen.resendSelected()) << ui.texts("error").join('\n').toStdString();
    EXPECT_EQ(screen.grid()->rowCount(), 0);
    server.setOutcome(rejected, StandInServer::Outcome::Accept);
    const int received = int(server.eventsReceived().size());
    ASSERT_TRUE(screen.send(ca.password, at));
    EXPECT_TRUE(ui.texts().last().startsWith("1 lote(s) enviado(s) com 1 evento(s); 1 aceito(s)")) << ui.texts().last().toStdString();
    EXPECT_EQ(int(server.eventsReceived().size()), received + 1);

    // A wrong password: said, nothing sent.
    EXPECT_FALSE(screen.send("errada", at));
    EXPECT_TRUE(ui.texts("error").last().endsWith("não confere.")) << ui.texts("error").last().toStdString();

    esocial::ReconciliationResult r = screen.reconcile(false);
    EXPECT_EQ(r.missing.size(), 5);
    EXPECT_TRUE(screen.detail()->toPlainText().contains("Não importados (não conferidos): S-5001, S-5002, S-5003, S-5011, S-5013"));
    EXPECT_TRUE(screen.detail()->toPlainText().contains("Sem divergências"));

    if (qEnvironmentVariableIsSet("FOLHA_GRAB")) {
        screen.status()->setCurrentIndex(0);
        screen.showBatches({});
        screen.show();
        screen.grab().save(qEnvironmentVariable("FOLHA_GRAB"));
    }
}
