// `folha esocial send|status|resend|import-totals` on the demo against the
// stand-in of the eSocial web services on loopback: the competence sent,
// one event rejected, its batch and messages shown, sent again and accepted.
#include "DemoInstallationCli.h"
#include "FolhaProcess.h"
#include "TempDir.h"
#include "TestBackend.h"
#include "../esocial/StandInServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using folha::test::FolhaRun;
using folha::test::RunFolha;
using folha::testing::StandInServer;

namespace {

class EsocialSendCli : public folha::test::DemoInstallationCli {
protected:
    FolhaRun run(const QStringList& args) {
        return RunFolha(root.path(), args, {"FOLHA_CERT_PASSWORD=" + QString::fromLatin1(ca.password)});
    }
    // `esocial <command> --company 3 --competence 01/2026 …`
    FolhaRun january(const QString& command, const QStringList& more = {}) {
        return run(QStringList{"esocial", command, "--company", "3", "--competence", "01/2026"} + more);
    }
    FolhaRun send() { return january("send", {"--endpoint", server.sendUrl().section('/', 0, 2)}); }
    // The certificate chosen, the rubricas proposed, January generated.
    void generate() {
        FolhaRun chosen = run({"esocial", "certificate", "--file", ca.clientPfx, "--ca-bundle", ca.caPem});
        ASSERT_EQ(chosen.status, 0) << chosen.err.toStdString();
        ASSERT_EQ(run({"esocial", "propose", "--company", "3"}).status, 0);
        FolhaRun g = january("generate");
        ASSERT_EQ(g.status, 0) << g.out.toStdString() << g.err.toStdString();
    }

    const folha::testing::TestAuthority& ca = folha::testing::Authority();
    StandInServer server{ca};
};

TEST_F(EsocialSendCli, SendsShowsTheResultsAndResendsARejectedEvent) {
    ASSERT_NO_FATAL_FAILURE(generate());
    FolhaRun listed = january("list", {"--type", "1200"});
    ASSERT_EQ(listed.status, 0);
    const QString rejected = listed.out.split('\n', Qt::SkipEmptyParts).value(1).section(';', 0, 0);
    ASSERT_TRUE(rejected.startsWith("ID1")) << listed.out.toStdString();
    server.setOutcome(rejected, StandInServer::Outcome::Reject);

    FolhaRun sent = send();
    EXPECT_EQ(sent.status, 1) << sent.out.toStdString() << sent.err.toStdString();
    EXPECT_TRUE(sent.out.contains(", 1 rejeitado(s), 0 em processamento")) << sent.out.toStdString();
    EXPECT_TRUE(sent.out.contains("S-1200 " + rejected + " rejeitado: Erro 1234 - O CPF informado não pertence a um trabalhador do empregador."))
        << sent.out.toStdString();
    EXPECT_EQ(server.problems(), QStringList());
    const int received = int(server.eventsReceived().size());
    EXPECT_GT(received, 1);

    FolhaRun status = january("status");
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_TRUE(status.out.startsWith("Lote;Grupo;Competência;Protocolo;Situação;Código;Enviado;Consultado;Eventos\n"))
        << status.out.toStdString();
    EXPECT_TRUE(status.out.contains(";1.2.202602.0000000000000000001;processado;201;")) << status.out.toStdString();
    EXPECT_TRUE(status.out.contains("  " + rejected + ";S-1200;")) << status.out.toStdString();
    EXPECT_TRUE(status.out.contains("    Erro 5678 - A rubrica informada não existe na tabela de rubricas.")) << status.out.toStdString();

    // Nothing left to send: nothing goes.
    EXPECT_EQ(send().status, 0);
    EXPECT_EQ(int(server.eventsReceived().size()), received);

    FolhaRun marked = run({"esocial", "resend", rejected, "--company", "3"});
    ASSERT_EQ(marked.status, 0) << marked.err.toStdString();
    server.setOutcome(rejected, StandInServer::Outcome::Accept);
    FolhaRun resent = send();
    EXPECT_EQ(resent.status, 0) << resent.out.toStdString() << resent.err.toStdString();
    EXPECT_TRUE(resent.out.contains("1 lote(s) enviado(s) com 1 evento(s); 1 aceito(s)")) << resent.out.toStdString();
    EXPECT_EQ(server.eventsReceived().size(), received + 1);
    EXPECT_EQ(january("list", {"--status", "rejeitado"}).status, 1);
}

// The tables' batch still processing: the workers' and the month's events
// wait; the next sending asks it again and sends them.
TEST_F(EsocialSendCli, LaterGroupsWaitForTheTablesBatch) {
    ASSERT_NO_FATAL_FAILURE(generate());
    server.setProcessingRounds(1);
    FolhaRun first = send();
    ASSERT_EQ(first.status, 0) << first.out.toStdString() << first.err.toStdString();
    EXPECT_EQ(server.batchesReceived(), 1);
    EXPECT_TRUE(first.out.contains("esperam o processamento do lote do grupo 1: envie de novo depois.")) << first.out.toStdString();
    server.setProcessingRounds(0);
    FolhaRun second = send();
    ASSERT_EQ(second.status, 0) << second.out.toStdString() << second.err.toStdString();
    EXPECT_GT(server.batchesReceived(), 2);
    EXPECT_FALSE(second.out.contains("esperam")) << second.out.toStdString();
    FolhaRun pending = january("list", {"--status", "assinado"});
    EXPECT_EQ(pending.status, 1) << pending.out.toStdString();
    EXPECT_EQ(server.problems(), QStringList());
}

TEST_F(EsocialSendCli, ConnectionRefusedLeavesEverythingToSendAgain) {
    ASSERT_NO_FATAL_FAILURE(generate());
    server.dropNextSend();
    FolhaRun dropped = send();
    EXPECT_EQ(dropped.status, 1);
    EXPECT_TRUE(dropped.err.contains("A conexão com o eSocial caiu antes da resposta")) << dropped.err.toStdString();
    FolhaRun listed = january("list", {"--status", "enviado"});
    EXPECT_EQ(listed.status, 1) << listed.out.toStdString();
    FolhaRun status = run({"esocial", "status", "--company", "3"});
    EXPECT_TRUE(status.out.contains("Nenhum lote enviado.")) << status.out.toStdString();
}

// Totals dropped in a folder: the good one kept, the damaged one named and
// left out, the same folder again storing nothing new; the reconciliation
// finds the company's INSS that differs, on the screen and in the report.
TEST_F(EsocialSendCli, ImportsTotalsAndReconciles) {
    TempDir in;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(in.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const QByteArray cs =
        "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtCS/v_S_01_03_00\"><evtCS Id=\"ID1000030000000002026020509300000001\">"
        "<ideEvento><indApuracao>1</indApuracao><perApur>2026-01</perApur></ideEvento><ideEmpregador><tpInsc>1</tpInsc><nrInsc>11444777</nrInsc>"
        "</ideEmpregador><infoCS><nrRecArqBase>1.2.0000000000000000009</nrRecArqBase><indExistInfo>1</indExistInfo><infoCPSeg>"
        "<vrDescCP>0.01</vrDescCP><vrCpSeg>0.01</vrCpSeg></infoCPSeg><infoContrib><classTrib>99</classTrib></infoContrib></infoCS></evtCS></eSocial>";
    write("a-5011.xml", cs);
    write("b-danificado.xml", cs.left(cs.size() - 40));
    write("c-outro.xml", QByteArray(cs).replace("11444777", "12345678").replace("00000001\"", "00000002\""));
    FolhaRun imported = run({"esocial", "import-totals", in.path(), "--company", "3"});
    EXPECT_EQ(imported.status, 1);
    EXPECT_TRUE(imported.out.contains("1 totalizador(es) gravado(s), 0 já importado(s), 2 com problema")) << imported.out.toStdString();
    EXPECT_TRUE(imported.err.contains("c-outro.xml: o S-5011 é do empregador 12345678, não desta empresa (11444777); nada dele foi gravado."))
        << imported.err.toStdString();
    EXPECT_TRUE(imported.err.contains("b-danificado.xml: não é um XML do eSocial legível; nada dele foi gravado.")) << imported.err.toStdString();
    QFile::remove(in.file("b-danificado.xml"));
    QFile::remove(in.file("c-outro.xml"));
    FolhaRun again = run({"esocial", "import-totals", in.path(), "--company", "3"});
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("0 totalizador(es) gravado(s), 1 já importado(s), 0 com problema")) << again.out.toStdString();

    TempDir out;
    FolhaRun rec = january("reconcile", {"--format", "txt", "--output", out.file("conferencia.txt")});
    EXPECT_EQ(rec.status, 1) << rec.err.toStdString();
    EXPECT_TRUE(rec.out.contains("Não importados (não conferidos): S-5001, S-5002, S-5003, S-5013")) << rec.out.toStdString();
    const QStringList company = rec.out.split('\n').filter(";Empresa;");
    ASSERT_EQ(company.size(), 1) << rec.out.toStdString();
    EXPECT_TRUE(company[0].startsWith(";Empresa;Contribuição INSS;") && company[0].endsWith(";0.01;")) << rec.out.toStdString();
    QFile report(out.file("conferencia.txt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(report.readAll()); // the text report is written in Latin-1
    EXPECT_TRUE(text.contains("CONFERÊNCIA DOS TOTALIZADORES DO eSocial")) << text.toStdString();
    EXPECT_TRUE(text.contains("1 divergência(s)")) << text.toStdString();
}

TEST_F(EsocialSendCli, GuideSummaryToEveryFormat) {
    FolhaRun screen = january("guides");
    ASSERT_EQ(screen.status, 0) << screen.err.toStdString();
    EXPECT_TRUE(screen.out.contains("Competência 01/2026: 13 funcionário(s)")) << screen.out.toStdString();
    EXPECT_TRUE(screen.out.contains("FGTS Digital: base 72766.61, FGTS 5754.99")) << screen.out.toStdString();
    TempDir out;
    for (const char* format : {"txt", "pdf", "html", "xlsx"}) {
        const QString file = out.file(QStringLiteral("guias.%1").arg(format));
        FolhaRun r = january("guides", {"--format", format, "--output", file});
        EXPECT_EQ(r.status, 0) << format << ": " << r.err.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 0) << format;
    }
    QFile pdf(out.file("guias.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    if (qEnvironmentVariableIsSet("FOLHA_GRAB")) QFile::copy(out.file("guias.pdf"), qEnvironmentVariable("FOLHA_GRAB"));
}

} // namespace
