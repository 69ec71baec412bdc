// The screen of the payroll book: the range captions follow the order, a
// bad value is refused before anything is asked, and the typed inputs
// reach the book on the remote-desktop file and on the PDF.
#include "DemoCompany.h"
#include "PayrollBook.h"
#include "PayrollRun.h"
#include "ReportFile.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoEmiFolhadePagamento.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>

using namespace folha;

namespace {

class PayrollBookScreen : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        payroll::RunOptions run;
        run.branchCode = "001";
        run.automaticMode = true;
        payroll::PayrollRun(session->folha(), ui).run(run);
        RunPrintSettings() = PrintSettings{};
    }
    void TearDown() override { RunPrintSettings() = PrintSettings{}; }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

struct OrderCase {
    BookOrder order;
    const char* first;
    const char* last;
    const char* firstValue;
    const char* lastValue;
};

TEST_F(PayrollBookScreen, RangeCaptionsAndDefaultsFollowTheOrder) {
    TfoEmiFolhadePagamento screen(*session, ui);
    EXPECT_EQ(screen.windowTitle(), "Emissao da Folha de Pagamento");
    for (const OrderCase& c :
         {OrderCase{BookOrder::Name, "Nome Inicial:", "Nome Final:", "", ""},
          OrderCase{BookOrder::Cargo, "Cargo Inicial:", "Cargo Final:", "000", "999"},
          OrderCase{BookOrder::Code, "Codigo Inicial:", "Codigo Final:", "000001", "999999"}}) {
        screen.setOrder(c.order);
        EXPECT_EQ(screen.lbInicio->text(), c.first);
        EXPECT_EQ(screen.lbFinal->text(), c.last);
        EXPECT_EQ(screen.eFtInicio->text(), c.firstValue);
        EXPECT_EQ(screen.eFtFinal->text(), c.lastValue);
    }
    // Clicking the radio button does the same.
    screen.Rg1Cargo->click();
    EXPECT_EQ(screen.lbInicio->text(), "Cargo Inicial:");
    // The other defaults.
    for (QLineEdit* e : screen.eVinculo)
        EXPECT_EQ(e->text(), "0");
    EXPECT_EQ(screen.epercAposent->text(), "99");
    EXPECT_EQ(screen.ewDescrOutr->text(), "Outro valor");
    EXPECT_EQ(screen.ewOper_Outro->currentText(), "N");
    EXPECT_TRUE(screen.RadioGroup1Todos->isChecked());
    EXPECT_FALSE(screen.chkQuebraFunc->isChecked());
}

TEST_F(PayrollBookScreen, BadValueIsToldAndNothingIsAsked) {
    TfoEmiFolhadePagamento screen(*session, ui);
    screen.eVinculo[1]->setText("x");
    EXPECT_FALSE(screen.print(false));
    EXPECT_EQ(ui.texts("error"), QStringList{"Vínculo inválido: x"});
    EXPECT_TRUE(ui.texts("question").isEmpty());
    EXPECT_EQ(screen.eVinculo[1]->text(), "x"); // nothing lost
}

// What was typed for a book comes back the next time the screen opens,
// also when the book was not confirmed; a refused value is not kept.
TEST_F(PayrollBookScreen, InputsAreRememberedForTheNextUse) {
    {
        ScriptedUi no({false});
        TfoEmiFolhadePagamento screen(*session, no);
        screen.setOrder(BookOrder::Cargo);
        screen.eFtInicio->setText("002");
        screen.eVinculo[2]->setText("4");
        screen.chkQuebraFunc->setChecked(true);
        screen.RadioGroup1Inativos->setChecked(true);
        screen.ewVlr_Juros->setText("7,50");
        screen.ewOper_Outro->setCurrentText("D");
        EXPECT_FALSE(screen.print(false));
        EXPECT_EQ(no.texts("question"), QStringList{"Confirma Emissao"});
    }
    {
        TfoEmiFolhadePagamento screen(*session, ui);
        EXPECT_TRUE(screen.Rg1Cargo->isChecked());
        EXPECT_EQ(screen.lbInicio->text(), "Cargo Inicial:");
        EXPECT_EQ(screen.eFtInicio->text(), "002");
        EXPECT_EQ(screen.eFtFinal->text(), "999");
        EXPECT_EQ(screen.eVinculo[2]->text(), "4");
        EXPECT_TRUE(screen.chkQuebraFunc->isChecked());
        EXPECT_TRUE(screen.RadioGroup1Inativos->isChecked());
        EXPECT_EQ(screen.ewVlr_Juros->text(), "7,50");
        EXPECT_EQ(screen.ewOper_Outro->currentText(), "D");
        screen.ewVlr_Juros->setText("abc");
        EXPECT_FALSE(screen.print(false));
    }
    TfoEmiFolhadePagamento again(*session, ui);
    EXPECT_EQ(again.ewVlr_Juros->text(), "7,50");
}

TEST_F(PayrollBookScreen, TypedInputsReachTheRemoteFile) {
    PrintSettings s;
    s.destination = PrintDestination::RemoteFile;
    RunPrintSettings() = ConfirmPrintSettings(s);
    const QString folder = ReportFolder(*session, RunPrintSettings());
    ScriptedUi yes({true});
    TfoEmiFolhadePagamento screen(*session, yes);
    screen.eVinculo[0]->setText("7");
    screen.chkQuebraFunc->setChecked(true);
    screen.ewDescrOutr->setText("Parcelamento");
    screen.ewVlr_Outro->setText("80");
    screen.ewOper_Outro->setCurrentText("S");
    screen.mObservacoes->setPlainText("Conferida\nAssinada");
    ASSERT_TRUE(screen.print(false));
    EXPECT_EQ(yes.texts("question"), QStringList{"Confirma Emissao"});
    const QStringList files = QDir(folder).entryList({"TMP*.IMP"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile f(QDir(folder).filePath(files[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(f.readAll());
    // Only the apprentice, in the listing of category 7.
    const QRegularExpression employee("\\n(\\d{6}) ");
    QStringList printed;
    for (auto it = employee.globalMatch(text); it.hasNext();)
        printed << it.next().captured(1);
    EXPECT_EQ(printed, QStringList{"000004"});
    EXPECT_TRUE(text.contains("ABRIL/2013 - Vinculo 7"));
    EXPECT_TRUE(QRegularExpression("Parcelamento +80,00").match(text).hasMatch());
    EXPECT_TRUE(text.contains("Obs. 1: Conferida\r\nObs. 2: Assinada"));
}

TEST_F(PayrollBookScreen, PdfCarriesEveryPageOfTheBook) {
    PrintSettings s;
    s.destination = PrintDestination::Pdf;
    s.mode = PrintMode::Graphic;
    s.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
    RunPrintSettings() = ConfirmPrintSettings(s);
    ScriptedUi yes({true});
    TfoEmiFolhadePagamento screen(*session, yes);
    ASSERT_TRUE(screen.print(false, d.file("folha")));
    ASSERT_TRUE(QFile::exists(d.file("folha.pdf")));
    QProcess p;
    p.start("pdftotext", {"-layout", d.file("folha.pdf"), "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("RESUMO GERAL DA FOLHA DE PAGAMENTO"));
    EXPECT_TRUE(text.contains("ABRIL/2013"));
    EXPECT_TRUE(text.contains("BRUNA COSTA OLIVEIRA"));
    // As many pages as the book composed on its own at the same length.
    struct Counting : PageSink {
        int pages = 0;
        void page(const TextPage&) override { ++pages; }
    } counting;
    TextReport report(counting, PayrollBookWidth, RunPrintSettings().linesPerPage);
    ScriptedUi quiet;
    ComposePayrollBook(*session, quiet, ReadPayrollBookInputs({}), report);
    EXPECT_EQ(text.count("PAG..:"), counting.pages);
    EXPECT_GE(counting.pages, 5);
}

} // namespace
