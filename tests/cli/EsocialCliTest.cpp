// `folha esocial` as an office runs it on the demo: the certificate chosen
// with its password, a competence generated and signed, listed, shown and
// exported, and what is refused on the way.
#include "DemoInstallationCli.h"
#include "FolhaProcess.h"
#include "TempDir.h"
#include "TestBackend.h"
#include "../esocial/EventXml.h"
#include "../esocial/TestCertificate.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

using folha::test::FolhaRun;
using folha::test::RunFolha;

namespace {

class EsocialCli : public folha::test::DemoInstallationCli {
protected:
    FolhaRun run(const QStringList& args, const QString& certPassword = {}) {
        QStringList env;
        if (!certPassword.isNull()) env << "FOLHA_CERT_PASSWORD=" + certPassword;
        return RunFolha(root.path(), args, env);
    }
    QString password() const { return QString::fromLatin1(folha::testing::ThrowawayCertificate().password); }

};

TEST_F(EsocialCli, GeneratesSignsListsShowsAndExportsACompetence) {
    const auto& cert = folha::testing::ThrowawayCertificate();
    FolhaRun chosen = run({"esocial", "certificate", "--file", cert.pfx}, password());
    ASSERT_EQ(chosen.status, 0) << chosen.err.toStdString();
    EXPECT_TRUE(chosen.out.contains("Titular: EMPRESA DEMONSTRACAO LTDA:12345678000195")) << chosen.out.toStdString();
    EXPECT_TRUE(chosen.out.contains("Ambiente: 2 - produção restrita"));

    ASSERT_EQ(run({"esocial", "propose", "--company", "3"}).status, 0);
    FolhaRun g = run({"esocial", "generate", "--company", "3", "--competence", "01/2026"}, password());
    ASSERT_EQ(g.status, 0) << g.out.toStdString() << g.err.toStdString();
    EXPECT_TRUE(g.out.contains("0 inválido(s)")) << g.out.toStdString();

    // Nothing changed: nothing new.
    FolhaRun again = run({"esocial", "generate", "--company", "3", "--competence", "01/2026"}, password());
    ASSERT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.contains(" 0 novo(s) ou alterado(s)")) << again.out.toStdString();

    FolhaRun listed = run({"esocial", "list", "--company", "3", "--competence", "01/2026", "--type", "1200"});
    ASSERT_EQ(listed.status, 0) << listed.err.toStdString();
    QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "ID;Evento;Competência;Funcionário;Versão;Situação;Retificação;Recibo;Lote;Alterado");
    const QStringList first = lines[1].split(';');
    EXPECT_EQ(first.value(1), "S-1200");
    EXPECT_EQ(first.value(2), "2026-01");
    EXPECT_EQ(first.value(5), "assinado");

    FolhaRun shown = run({"esocial", "show", first[0], "--company", "3"});
    ASSERT_EQ(shown.status, 0);
    EXPECT_TRUE(shown.out.contains("<evtRemun Id=\"" + first[0] + "\">"));
    EXPECT_TRUE(shown.out.contains("<SignatureValue>"));

    TempDir out;
    FolhaRun exported = run({"esocial", "export", "--company", "3", "--competence", "01/2026", "--output", out.path()});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(out.path()).filePath(first[0] + ".xml")));
    EXPECT_FALSE(QDir(out.path()).entryList({"lote-*.xml"}).isEmpty());
    const QString xmlsec = QStandardPaths::findExecutable("xmlsec1");
    ASSERT_FALSE(xmlsec.isEmpty());
    QString why;
    EXPECT_TRUE(folha::testing::RunTool(xmlsec, {"--verify", "--trusted-pem", cert.pem, QDir(out.path()).filePath(first[0] + ".xml")}, &why))
        << why.toStdString();
}

TEST_F(EsocialCli, RefusesWhatCannotBeDone) {
    struct Case {
        QStringList args;
        QString certPassword;
        int status;
        QString message;
    } cases[] = {
        {{"esocial", "generate", "--company", "3"}, {}, 2, "Informe a competência: --competence MM/AAAA"},
        {{"esocial", "generate", "--company", "3", "--competence", "13/2026"}, {}, 2, "Competência inválida: 13/2026 (use MM/AAAA)"},
        {{"esocial", "list", "--company", "3", "--status", "pronto"}, {}, 2, "Situação desconhecida: pronto"},
        {{"esocial", "show", "ID999", "--company", "3"}, {}, 1, "Evento do eSocial não encontrado: ID999"},
        {{"esocial", "export", "--company", "3", "--output", "/tmp/x"}, {}, 1, "Nenhum evento assinado para exportar."},
        {{"esocial", "certificate", "--file", "/nao/existe.pfx"}, "x", 2, "Arquivo não encontrado: /nao/existe.pfx"},
        {{"esocial", "certificate", "--environment", "3"}, {}, 2, "Ambiente inválido: 3"},
        {{"esocial", "enviar"}, {}, 2, "Ação desconhecida: enviar"},
    };
    for (const Case& c : cases) {
        FolhaRun r = run(c.args, c.certPassword);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    // A wrong password is said when the certificate is chosen; nothing is kept.
    FolhaRun wrong = run({"esocial", "certificate", "--file", folha::testing::ThrowawayCertificate().pfx}, "errada");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.err.contains("não confere"));
    EXPECT_TRUE(run({"esocial", "certificate"}).out.contains("Nenhum certificado escolhido."));
}

TEST_F(EsocialCli, ExportNeverWritesIntoTheInstallation) {
    const auto& cert = folha::testing::ThrowawayCertificate();
    ASSERT_EQ(run({"esocial", "certificate", "--file", cert.pfx}, password()).status, 0);
    ASSERT_EQ(run({"esocial", "propose", "--company", "3"}).status, 0);
    ASSERT_EQ(run({"esocial", "generate", "--company", "3", "--competence", "01/2026"}, password()).status, 0);
    // The program folder holds the installation's settings and database.
    const QString program = QDir(root.path()).filePath("programa");
    ASSERT_TRUE(QFile::exists(QDir(program).filePath("Aliases.ini")));
    const QStringList before = QDir(program).entryList(QDir::Files);
    FolhaRun r = run({"esocial", "export", "--company", "3", "--output", program});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("base de dados do sistema")) << r.err.toStdString();
    EXPECT_EQ(QDir(program).entryList(QDir::Files), before);
}

} // namespace
