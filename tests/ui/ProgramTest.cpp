#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "TempDir.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

using namespace folha;

namespace {
struct ProgramRun {
    int code;
    QString out, err;
};
ProgramRun runProgram(const QStringList& args, const QString& password = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("FOLHA_USER");
    env.insert("FOLHA_PASSWORD", password);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FOLHA_BIN_DIR "/FolhaZorvan"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return ProgramRun{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

TEST(Program, ListsEveryScreenOfTheMenu) {
    ProgramRun r = runProgram({"--list-screens"});
    EXPECT_EQ(r.code, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 72);
    EXPECT_EQ(lines[66], QStringLiteral("Utilitários > eSocial\tTfoEsocial\tmodal\tpronta"));
    EXPECT_EQ(lines[69], QStringLiteral("Utilitários > Cópia de Segurança\tTfoCopiaSeguranca\tmodal\tpronta"));
    EXPECT_EQ(lines[70], QStringLiteral("Utilitários > Configuração de E-mail\tTfoConfigEmail\tmodal\tpronta"));
    EXPECT_EQ(lines[71], QStringLiteral("Zorvan > Sair do Sistema\t-\t-\tpronta"));
    EXPECT_EQ(lines[63], QStringLiteral("Utilitários > Arquivo de Pagamento (Banco)\tTfoArquivoBanco\tmodal\tpronta"));
    EXPECT_EQ(lines[64], QStringLiteral("Utilitários > Geração GRRF\tTfoGerarGRRF\tmodal\tpronta"));
}

TEST(Program, GrabsTheSignInAndTheMenuAfterSigningIn) {
    TempDir d;
    {
        Session session{Installation(d.path())};
        ScriptedUi ui;
        demo::DemoBuilder(session).buildDemo(ui);
    }
    const QString png = d.file("menu.png");
    ProgramRun r = runProgram({"--root", d.path(), "--user", "000001", "--grab", "TfoMenuFolha", png}, "zorvan");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QImage menu(png);
    ASSERT_FALSE(menu.isNull());
    EXPECT_EQ(menu.size(), QSize(1000, 600));

    const QString login = d.file("login.png");
    r = runProgram({"--root", d.path(), "--user", "000001", "--grab", "TfoLogin", login}, "zorvan");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(login).size(), QSize(640, 420));

    r = runProgram({"--root", d.path(), "--user", "000001", "--grab", "TfoLogin", d.file("x.png")}, "Zorvan");
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains("Senha digitada não confere...")) << r.err.toStdString();
    // Screens that open a dialog at once are drawn with it and never wait.
    for (const char* screen : {"TfoCadOcorrenc", "TfoDescalcularFolha", "TfoCadFuncionarios"}) {
        SCOPED_TRACE(screen);
        const QString shot = d.file(QStringLiteral("%1.png").arg(screen));
        r = runProgram({"--root", d.path(), "--user", "000001", "--grab", screen, shot}, "zorvan");
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_FALSE(QImage(shot).isNull());
    }
    r = runProgram({"--root", d.path(), "--user", "000001", "--grab", "TfoNada", d.file("x.png")}, "zorvan");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("Tela desconhecida: TfoNada")) << r.err.toStdString();
}

TEST(Program, ARootWithoutAnInstallationIsRefusedWithAClearMessage) {
    TempDir d;
    ProgramRun r = runProgram({"--root", d.path(), "--user", "000001", "--grab", "TfoLogin", d.file("x.png")}, "zorvan");
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Nenhuma instalação encontrada em %1").arg(d.path()))) << r.err.toStdString();
}
