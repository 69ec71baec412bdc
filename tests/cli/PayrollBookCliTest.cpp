// `folha payroll-book`, run as a user runs it: the text file is the book the
// engine composes for the same inputs; bad inputs and an unconfirmed book
// write nothing.
#include "TempDir.h"

#include "Installation.h"
#include "PayrollBook.h"
#include "ReportFile.h"
#include "Session.h"
#include "Table.h"
#include "UserInterface.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include "FolhaProcess.h"
#include "TestBackend.h"

namespace {

using namespace folha;

using BookRun = folha::test::FolhaRun;

class PayrollBookCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempDir;
        folha::testing::PrepareInstallation(root->path());
        ready = run({"init", "--demo"}).status == 0 &&
                run({"calc", "--company", "1", "--branch", "001"}).status == 0;
    }
    static void TearDownTestSuite() {
        delete root;
        root = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(ready); }
    static BookRun run(const QStringList& args) { return folha::test::RunFolha(root->path(), args); }
    static TempDir* root;
    static bool ready;
};
TempDir* PayrollBookCli::root = nullptr;
bool PayrollBookCli::ready = false;

QString MaskClock(QString text) {
    static const QRegularExpression moment("(DATA\\.:\\d\\d/\\d\\d/\\d{4}|HORA\\.:  \\d\\d:\\d\\d:\\d\\d)");
    return text.replace(moment, "<clock>");
}

class Quiet : public UserInterface {
public:
    void message(MessageKind, const QString&, const QString&) override {}
    bool question(const QString&, QuestionKind, const QString&) override { return true; }
};

TEST_F(PayrollBookCli, TextFileIsTheBookOfTheSameInputs) {
    TempDir out;
    const QString file = out.file("folha.txt");
    QFile obs(out.file("obs.txt"));
    ASSERT_TRUE(obs.open(QIODevice::WriteOnly));
    obs.write("Conferida\nAssinada\n");
    obs.close();
    const BookRun r = run({"payroll-book", "--company", "1", "--branch", "001", "--order", "nome", "--categories", "1,7",
                           "--status", "A", "--prolabore-percent", "20", "--prolabore-value", "1000", "--other-value", "10",
                           "--other-operation", "S", "--interest", "2,5", "--observations", out.file("obs.txt"), "--format",
                           "txt", "--output", file, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Folha de pagamento: 24 funcionário(s)")) << r.out.toStdString();

    // The same book composed here.
    PayrollBookInputs typed;
    typed.order = "Nome";
    typed.categories = {"1", "7"};
    typed.status = "A";
    typed.prolaborePercent = "20";
    typed.prolaboreValue = "1000";
    typed.otherValue = "10";
    typed.otherOperation = "S";
    typed.interest = "2,5";
    typed.observations = {"Conferida", "Assinada", ""};
    PayrollBookOptions options = ReadPayrollBookInputs(typed);
    options.branchCode = "001";
    Session session{Installation(root->path())};
    Quiet ui;
    session.startUp(ui);
    auto company = Table(session.companyListDb(), "EmpresaFOLHA").find({1});
    ASSERT_TRUE(company.has_value());
    session.SetaDiretorio(company->text("Diretorio"));
    ReportFileSink sink(out.file("here.IMP"), DensityCondensed);
    TextReport report(sink, PayrollBookWidth, 66);
    report.setCompanyName(company->text("Nome").trimmed());
    report.beginJob({PayrollBookTitle, PayrollBookScreen});
    ComposePayrollBook(session, ui, options, report);
    report.endJob();

    QFile written(file), here(out.file("here.IMP"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(here.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(written.readAll());
    EXPECT_EQ(MaskClock(text), MaskClock(QString::fromLatin1(here.readAll())));
    EXPECT_TRUE(text.contains("Obs. 2: Assinada"));
    EXPECT_FALSE(text.contains("MARCOS VIEIRA DEMITIDO")); // dismissed
}

TEST_F(PayrollBookCli, RefusalsWriteNothing) {
    TempDir out;
    const QString file = out.file("x.txt");
    struct Case {
        QStringList args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"--categories", "1,a"}, 2, "Vínculo inválido: a"},
        {{"--order", "salario"}, 2, "Ordem inválida: salario (Codigo, Nome ou Cargo)"},
        {{"--other-operation", "X"}, 2, "Oper. Outro inválida: X (S, D ou N)"},
        {{"--format", "doc"}, 2, "Formato inválido: doc"},
    };
    for (const Case& c : cases) {
        QStringList args{"payroll-book", "--company", "1", "--output", file, "--yes"};
        if (!c.args.contains("--format")) args << "--format" << "txt";
        const BookRun r = run(args + c.args);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
    const BookRun unconfirmed = run({"payroll-book", "--company", "1", "--format", "txt", "--output", file});
    EXPECT_EQ(unconfirmed.status, 1);
    EXPECT_TRUE(unconfirmed.out.contains("Relatório não emitido."));
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
