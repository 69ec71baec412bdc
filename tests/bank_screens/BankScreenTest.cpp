// The screen of the salary-payment file on the demo's January 2026: what it
// proposes from the branch, the file it writes with the employee without an
// account listed, and the bank's return read back, whole and cut short.
#include "DemoCompany.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "Table.h"
#include "TfoArquivoBanco.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace folha;

namespace {

class BankScreen : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui, 3);
    }
    TempDir d;
    TempDir out;
    ScriptedUi ui{{}, true};
    std::unique_ptr<Session> session;
};

TEST_F(BankScreen, WritesTheFileAndReadsTheReturn) {
    TfoArquivoBanco screen(*session, ui);
    EXPECT_EQ(screen.findChild<QLineEdit*>("evBanco")->text(), QString("104"));
    EXPECT_EQ(screen.findChild<QLineEdit*>("evCompetencia")->text(), QString("01/2026"));
    EXPECT_TRUE(screen.findChild<QLineEdit*>("evArquivo")->text().endsWith("_000001.REM"));
    // Beside the box: the bank's name, and in its tip the agreement and the
    // layout the file will follow; a bank without a profile is said so.
    struct BankCase {
        const char* code;
        const char* name;
        const char* tip;
    };
    const BankCase banks[] = {
        {"999", "(banco sem perfil)", ""},
        {"341", "Itaú",
         "Convênio: não usado: o SISPAG identifica a empresa pela agência e conta (deixe em branco)\n"
         "Leiaute SISPAG Itaú (CNAB 240 versão 085): arquivo 080, lote 040"},
        {"104", "Caixa", "Convênio: o código do convênio dado pela agência\nLeiaute FEBRABAN 240: arquivo 103, lote 046"},
    };
    for (const BankCase& b : banks) {
        screen.findChild<QLineEdit*>("evBanco")->setText(b.code);
        EXPECT_EQ(screen.findChild<QLabel*>("lbNomeBanco")->text(), QString::fromUtf8(b.name));
        EXPECT_EQ(screen.findChild<QLabel*>("lbNomeBanco")->toolTip(), QString::fromUtf8(b.tip));
    }

    // Without the payment date nothing is written.
    const QString file = out.file("PAG104.REM");
    screen.output()->setText(file);
    EXPECT_FALSE(screen.generate());
    EXPECT_FALSE(QFile::exists(file));

    screen.paymentDate()->setText("05/02/2026");
    ASSERT_TRUE(screen.generate()) << ui.entries.last().text.toStdString();
    ASSERT_TRUE(QFile::exists(file));
    const QString report = screen.report()->toPlainText();
    EXPECT_TRUE(report.contains("Excluído 000013 MATEUS HORAS EXTRAS")) << report.toStdString();
    EXPECT_TRUE(report.contains("Lote 2 (41) 000003")) << report.toStdString();
    EXPECT_TRUE(ui.entries.last().text.startsWith("Arquivo gravado: " + file)) << ui.entries.last().text.toStdString();

    // The bank's answer: everything paid.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray answer;
    for (QByteArray line : f.readAll().split('\n')) {
        if (line.size() < 240) continue;
        if (line[7] == '0') line[142] = '2';
        if (line[7] == '3' && line[13] == 'A') line.replace(230, 2, "00");
        answer += line + '\n';
    }
    f.close();
    const QString ret = out.file("PAG104.RET");
    QFile r(ret);
    ASSERT_TRUE(r.open(QIODevice::WriteOnly));
    r.write(answer);
    r.close();
    ASSERT_TRUE(screen.readReturn(ret));
    EXPECT_TRUE(screen.report()->toPlainText().contains("; agendados: 0; recusados: 0"))
        << screen.report()->toPlainText().toStdString();

    // Cut short: the message names the line, on the screen and in a box.
    ASSERT_TRUE(r.open(QIODevice::WriteOnly));
    r.write(answer.left(242 + 30));
    r.close();
    EXPECT_FALSE(screen.readReturn(ret));
    EXPECT_TRUE(screen.report()->toPlainText().contains("linha 2: o registro tem 30 posições"))
        << screen.report()->toPlainText().toStdString();
    EXPECT_EQ(ui.entries.last().kind, QString("error"));
}

// The branch's layout versions (page Banco) are the ones the screen says.
TEST_F(BankScreen, SaysTheBranchsLayoutVersions) {
    Table branches(session->folha(), QStringLiteral("Filial"));
    Record branch = *branches.find({CurrentBranchKey(*session)});
    branch.set("VER_ARQ", "081");
    branches.update(branch);
    TfoArquivoBanco screen(*session, ui);
    EXPECT_EQ(screen.findChild<QLabel*>("lbNomeBanco")->toolTip(),
              QString("Convênio: o código do convênio dado pela agência\nLeiaute FEBRABAN 240: arquivo 081, lote 046"));
}

} // namespace
