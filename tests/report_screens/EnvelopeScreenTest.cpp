// The screen of the pay statements: its fields, the lookups, the remembered
// range, "Gerar" into the preview and into a PDF equal to the engine's;
// "Enviar por e-mail", and the accounting entries' screen on the same month.
#include "TfoRelEnvelope.h"
#include "TfoLancContabeis.h"
#include "TfoConfigEmail.h"

#include "DemoCompany.h"
#include "EmployeeChoice.h"
#include "JobScreen.h"
#include "MailSettings.h"
#include "PayslipMail.h"
#include "PayrollRun.h"
#include "PayStatementPainter.h"
#include "QtUserInterface.h"
#include "ScreenCatalog.h"
#include "SelecaoMultipla.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace folha;

namespace {

// Answers every box with OK and keeps what it was shown.
class BoxesUi : public QtUserInterface {
public:
    QStringList boxes;

protected:
    QMessageBox::StandardButton showBox(QMessageBox::Icon, const QString&, const QString& text,
                                        QMessageBox::StandardButtons, const QString&) override {
        boxes << text;
        return QMessageBox::Ok;
    }
};

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class EnvelopeScreen : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        session->values.IniDir = d.file("ini/");
        QDir().mkpath(session->values.IniDir);
        payroll::RunOptions o;
        o.branchCode = "001";
        o.automaticMode = true;
        payroll::PayrollRun(session->folha(), ui).run(o);
        ui.boxes.clear();
        registers::ForgetChosenEmployee();
    }
    QStringList statementCodes() {
        QStringList codes;
        for (const Record& r : Table(session->tmpDb(), StatementTableDef()).select("Func_Copia = 1"))
            codes << r.text("Func_Cod");
        return codes;
    }
    TempDir d;
    BoxesUi ui;
    std::unique_ptr<Session> session;
};

// Picks the line `row` of the selection dialog the button opens.
void pickRow(QToolButton* button, int row, QString* code) {
    QTimer::singleShot(0, [row, code] {
        auto* dialog = qobject_cast<ui::TFoSelecaoMultipla*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QTableView*>("Lista");
        ASSERT_NE(list, nullptr);
        ASSERT_GT(list->model()->rowCount(), row);
        list->setCurrentIndex(list->model()->index(row, 0));
        *code = list->model()->index(row, 0).data().toString();
        dialog->clearSelection();
        dialog->addCurrent();
        dialog->confirm();
    });
    button->click();
}

TEST_F(EnvelopeScreen, FieldsCaptionsAndDefaults) {
    std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TfoRelEnvelope", *session, ui, nullptr));
    auto* screen = qobject_cast<TfoRelEnvelope*>(w.get());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Zorvan - Emissão do Envelope:"));
    auto* order = screen->findChild<QComboBox*>("cbxOrdemImpressao");
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order->currentText(), QStringLiteral("Código"));
    QStringList items;
    for (int i = 0; i < order->count(); ++i)
        items << order->itemText(i);
    EXPECT_EQ(items, (QStringList{"Código", "Nome", "Cartão"}));
    for (const char* name : {"edMsg1", "edMsg2", "edMsg3"}) {
        auto* box = screen->findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->maxLength(), 100);
    }
    for (const char* name : {"eFtCodInicial", "eFtCodFinal"})
        EXPECT_NE(screen->findChild<QLineEdit*>(name), nullptr);
    EXPECT_EQ(screen->findChild<QPushButton*>("BotaoGerar")->text(), QStringLiteral("Gerar"));
    EXPECT_EQ(screen->findChild<QPushButton*>("BotaoFechar")->text(), QStringLiteral("Fechar"));
}

TEST_F(EnvelopeScreen, FirstLookupCopiesIntoTheFinalCodeAndTheRangeIsRemembered) {
    {
        TfoRelEnvelope screen(*session, ui);
        QString first, last;
        pickRow(screen.range()->firstButton(), 2, &first);
        ASSERT_FALSE(first.isEmpty());
        EXPECT_EQ(screen.range()->firstField()->text(), first);
        EXPECT_EQ(screen.range()->lastField()->text(), first);
        pickRow(screen.range()->lastButton(), 4, &last);
        EXPECT_EQ(screen.range()->firstField()->text(), first);
        EXPECT_EQ(screen.range()->lastField()->text(), last);
        screen.show();
        screen.range()->firstField()->setText("3");
        screen.range()->lastField()->setText("5");
        screen.close();
    }
    TfoRelEnvelope again(*session, ui);
    EXPECT_EQ(again.range()->firstField()->text(), QStringLiteral("3"));
    EXPECT_EQ(again.range()->lastField()->text(), QStringLiteral("5"));
    EXPECT_TRUE(ui.boxes.isEmpty()) << ui.boxes.join("\n").toStdString();
}

TEST_F(EnvelopeScreen, GerarWritesTheEngineStatements) {
    TfoRelEnvelope screen(*session, ui);
    screen.range()->firstField()->setText("3");
    screen.range()->lastField()->setText("5");
    screen.orderBox()->setCurrentText("Nome");
    screen.messageField(2)->setText("Bom trabalho");
    const QString pdf = d.file("tela.pdf");
    ASSERT_TRUE(screen.BotaoGerarClick(pdf)) << ui.boxes.join("\n").toStdString();
    EXPECT_EQ(statementCodes(), (QStringList{"000003", "000004", "000005"}));
    EXPECT_EQ(screen.lastRun()->employees, 3);
    EXPECT_EQ(screen.lastPages(), 3);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count("Bom trabalho"), 6);
    // The same statements as the engine draws them in the order asked.
    const QString engine = d.file("motor.pdf");
    WritePayStatementsPdf(session->tmpDb(), session->folha(), StatementOrder::Name, engine);
    EXPECT_EQ(text, pdfText(engine));
    const int celso = int(text.indexOf("CELSO")), denise = int(text.indexOf("DENISE")),
              emilio = int(text.indexOf("EMILIO"));
    EXPECT_LT(celso, denise);
    EXPECT_LT(denise, emilio);

    // A code that is none is refused; nothing is rebuilt.
    screen.range()->firstField()->setText("abc");
    EXPECT_FALSE(screen.BotaoGerarClick(pdf));
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(statementCodes().size(), 3);
}

// "Imprimir memória de cálculo" (off by default): the engine's annex after
// each employee's statements.
TEST_F(EnvelopeScreen, TrailOptionAddsTheAnnexOfEachEmployee) {
    TfoRelEnvelope screen(*session, ui);
    auto* trail = screen.findChild<QCheckBox*>("ckMemoriaCalculo");
    ASSERT_NE(trail, nullptr);
    EXPECT_EQ(trail->text(), QStringLiteral("Imprimir memória de cálculo"));
    EXPECT_FALSE(trail->isChecked());
    screen.range()->firstField()->setText("3");
    screen.range()->lastField()->setText("5");
    trail->setChecked(true);
    const QString pdf = d.file("tela.pdf");
    ASSERT_TRUE(screen.BotaoGerarClick(pdf)) << ui.boxes.join("\n").toStdString();
    // A page of statements and a page of annex for each of the three.
    EXPECT_EQ(screen.lastPages(), 6);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count(QStringLiteral("Memória de Cálculo")), 3);
    // 180 hours at R$ 8,50 an hour.
    EXPECT_TRUE(text.contains(QStringLiteral("1,00 × 180,00 × 8,50 (salário-hora) = 1.530,00"))) << text.toStdString();
    const QString engine = d.file("motor.pdf");
    WritePayStatementsPdf(session->tmpDb(), session->folha(), StatementOrder::Code, engine,
                          StatementTrailAnnex{screen.lastRun()->competence, screen.lastRun()->sheet});
    EXPECT_EQ(text, pdfText(engine));
}

TEST_F(EnvelopeScreen, GerarShowsThePreviewOfEveryActiveEmployee) {
    TfoRelEnvelope screen(*session, ui);
    screen.show();
    // The preview comes after the statements are filled (their progress
    // dialog is modal meanwhile): looked for until it shows.
    bool previewed = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) return;
        poll.stop();
        previewed = true;
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("Demonstrativo de Pagamento"));
        preview->reject();
    });
    poll.start();
    screen.generateButton()->click();
    EXPECT_TRUE(previewed);
    EXPECT_TRUE(ui.boxes.isEmpty()) << ui.boxes.join("\n").toStdString();
    EXPECT_EQ(statementCodes().size(), 24); // both codes empty: every active employee
    EXPECT_EQ(screen.lastPages(), 24);
}

} // namespace

// "Enviar por e-mail": refused with a clear message until the mail server is
// configured; then it says how many statements would go, asks (the boxes
// here answer OK), sends, and shows the failures at the end: a server that
// does not answer fails every message, each logged with the reason.
TEST_F(EnvelopeScreen, TheEmailButtonAsksSendsAndShowsTheFailures) {
    TfoRelEnvelope screen(*session, ui);
    auto* button = screen.findChild<QPushButton*>("BotaoEmail");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Enviar por e-mail"));
    screen.range()->findChild<QLineEdit*>("eFtCodInicial")->setText("000001");
    screen.range()->findChild<QLineEdit*>("eFtCodFinal")->setText("000002");
    EXPECT_FALSE(screen.BotaoEmailClick());
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_TRUE(ui.boxes.first().startsWith("Configure o envio de e-mail")) << ui.boxes.first().toStdString();

    MailSettings s;
    s.server = "127.0.0.1";
    s.port = 1; // nothing listens there
    s.sender = "folha@escritorio.example";
    WriteMailSettings(session->installation().programFile("CfgFolha.ini"), s);
    ui.boxes.clear();
    EXPECT_FALSE(screen.BotaoEmailClick());
    ASSERT_GE(ui.boxes.size(), 2) << ui.boxes.join('\n').toStdString();
    EXPECT_EQ(ui.boxes.first(), QStringLiteral("Enviar 2 demonstrativo(s) de 04/2013 por e-mail para 127.0.0.1?"));
    EXPECT_TRUE(ui.boxes.last().startsWith("Demonstrativos de 04/2013 por e-mail: 0 enviado(s), 2 com falha."))
        << ui.boxes.last().toStdString();
    EXPECT_TRUE(ui.boxes.last().contains("000002 BRUNA COSTA OLIVEIRA: ")) << ui.boxes.last().toStdString();
    const auto log = PayslipMailLog(session->folha(), "201304", "F");
    ASSERT_EQ(log.size(), 2u);
    for (const auto& row : log) {
        EXPECT_EQ(row.result, QStringLiteral("F"));
        EXPECT_FALSE(row.answer.isEmpty());
    }
}

// Folha > Lançamentos Contábeis: opens on the branch's competence, writes
// the CSV of the month (the summary's destination is the print set-up's,
// not opened here) and refuses a competence that is none.
TEST_F(EnvelopeScreen, TheAccountingScreenWritesTheMonthsEntries) {
    std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TfoLancContabeis", *session, ui, nullptr));
    auto* screen = qobject_cast<TfoLancContabeis*>(w.get());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Zorvan - Lançamentos Contábeis:"));
    EXPECT_EQ(screen->competenceField()->text(), QStringLiteral("04/2013"));
    screen->fileField()->setText(d.file("lancamentos.csv"));
    ASSERT_TRUE(screen->BotaoImprimirClick(false)) << ui.boxes.join('\n').toStdString();
    ASSERT_TRUE(screen->lastRun().has_value());
    EXPECT_TRUE(screen->lastRun()->unmapped.empty());
    EXPECT_EQ(screen->lastRun()->earnings, screen->lastRun()->book.earnings);
    QFile csv(d.file("lancamentos.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readLine(), QByteArray("data;debito;credito;valor;historico;centro_custo\r\n"));
    EXPECT_EQ(ui.boxes.last(), QStringLiteral("%1 lançamento(s) gravado(s) em %2.")
                                   .arg(screen->lastRun()->entries.size())
                                   .arg(d.file("lancamentos.csv")));

    screen->competenceField()->setText("13/2013");
    ui.boxes.clear();
    EXPECT_FALSE(screen->BotaoImprimirClick(false));
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(ui.boxes.first(), QStringLiteral("Competência inválida: 13/2013 (use MM/AAAA)"));
}

// Utilitários > Configuração de E-mail: a supervisor's screen; typed
// fields are checked before anything is written, the settings go to
// [Email], the password to its own file (owner only), and the field left
// blank keeps the stored password.
TEST_F(EnvelopeScreen, TheMailSettingsScreenChecksWritesAndKeepsThePassword) {
    session->signIn.CurrentUserLevel = "OPE";
    EXPECT_EQ(ScreenCatalog::instance().create("TfoConfigEmail", *session, ui, nullptr), nullptr);
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(ui.boxes.first(), QStringLiteral("A configuração de e-mail é liberada somente para usuários de nível SUP."));

    session->signIn.CurrentUserLevel = "SUP";
    std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TfoConfigEmail", *session, ui, nullptr));
    auto* screen = qobject_cast<TfoConfigEmail*>(w.get());
    ASSERT_NE(screen, nullptr);
    const QString cfg = session->installation().programFile("CfgFolha.ini");
    auto type = [&](const char* field, const QString& text) {
        QLineEdit* e = screen->field(field);
        EXPECT_NE(e, nullptr) << field;
        if (!e) return;
        e->selectAll();
        QTest::keyClicks(e, text);
    };
    EXPECT_EQ(screen->field("edPorta")->text(), QStringLiteral("587"));
    type("edServidor", "smtp.escritorio.example");
    type("edRemetente", "folha@escritorio.example");
    type("edUsuario", "folha");
    type("edSenha", "s3gr3do");
    screen->securityBox()->setCurrentIndex(1); // SSL: the usual port follows
    EXPECT_EQ(screen->field("edPorta")->text(), QStringLiteral("465"));
    screen->pdfRuleBox()->setCurrentIndex(2);

    // Each refusal names the field and leaves the files untouched.
    const struct {
        const char* field;
        QString typed;
        QString message;
    } refused[] = {
        {"edServidor", "smtp escritorio", "Informe o servidor SMTP (só o nome ou o endereço, sem espaços)."},
        {"edRemetente", "folha.escritorio", "Remetente inválido: folha.escritorio (um endereço como folha@escritorio.com.br)"},
        {"edNomeRemetente", "DP <folha>", "O nome do remetente não pode ter aspas nem < >."},
        {"edCertificadosCA", "/nao/existe.pem", "O arquivo de certificados /nao/existe.pem não existe ou não pode ser lido."},
        {"edPorta", "0", "Porta inválida: 0 (de 1 a 65535)"},
    };
    for (const auto& r : refused) {
        const QString before = screen->field(r.field)->text();
        screen->field(r.field)->setText(r.typed); // past the validator, as a paste would
        ui.boxes.clear();
        EXPECT_FALSE(screen->BotaoGravarClick()) << r.field;
        ASSERT_EQ(ui.boxes.size(), 1) << r.field;
        EXPECT_EQ(ui.boxes.first(), r.message);
        EXPECT_FALSE(QFile::exists(cfg) && ReadMailSettings(cfg).configured()) << r.field;
        EXPECT_TRUE(ReadMailPassword(session->installation()).isEmpty()) << r.field;
        screen->field(r.field)->setText(before);
    }

    ui.boxes.clear();
    ASSERT_TRUE(screen->BotaoGravarClick()) << ui.boxes.join('\n').toStdString();
    EXPECT_EQ(ui.boxes.last(), QStringLiteral("Configuração de e-mail gravada."));
    MailSettings s = ReadMailSettings(cfg);
    EXPECT_EQ(s.url(), QStringLiteral("smtps://smtp.escritorio.example:465"));
    EXPECT_EQ(s.sender, QStringLiteral("folha@escritorio.example"));
    EXPECT_EQ(s.user, QStringLiteral("folha"));
    EXPECT_EQ(s.pdfPassword, PdfPasswordRule::BirthDate);
    EXPECT_EQ(ReadMailPassword(session->installation()), QStringLiteral("s3gr3do"));
    EXPECT_EQ(QFileInfo(MailPasswordFile(session->installation())).permissions() &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
    EXPECT_FALSE(QFile(cfg).readAll().contains("s3gr3do"));
    EXPECT_TRUE(screen->field("edSenha")->text().isEmpty());

    // Saved again with the password left blank: the stored one stays.
    type("edNomeRemetente", "Departamento Pessoal");
    ASSERT_TRUE(screen->BotaoGravarClick()) << ui.boxes.join('\n').toStdString();
    EXPECT_EQ(ReadMailSettings(cfg).senderName, QStringLiteral("Departamento Pessoal"));
    EXPECT_EQ(ReadMailPassword(session->installation()), QStringLiteral("s3gr3do"));
}
