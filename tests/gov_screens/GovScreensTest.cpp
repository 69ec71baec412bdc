// The SEFIP and GRRF screens on a copy of the demo installation: the files
// they write are the files `folha` writes with the same values, and the
// wiring of the company list, the lookups, the remembered fields and the
// dialog of a company's additional values.
#include "GovCompanyGrid.h"
#include "GovScreens.h"
#include "JobScreen.h"
#include "QtUserInterface.h"
#include "Session.h"
#include "SignIn.h"
#include "TempDir.h"
#include "Registry.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TfoGeraSefip.h"
#include "TfoGeraSefipValores.h"
#include "TfoGerarGRRF.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include "FolhaProcess.h"

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace folha;

namespace {

// Records the boxes instead of showing them; questions get `answer`.
class RecordingUi : public QtUserInterface {
public:
    QStringList texts;
    QStringList questions;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    // The answer to "Regravar ?" when it differs from `answer`.
    std::optional<QMessageBox::StandardButton> overwriteAnswer;

protected:
    QMessageBox::StandardButton showBox(QMessageBox::Icon, const QString&, const QString& text,
                                        QMessageBox::StandardButtons buttons, const QString&) override {
        texts << text;
        if (!(buttons & QMessageBox::Yes)) return QMessageBox::Ok;
        questions << text;
        if (overwriteAnswer && text.contains(QLatin1String("Regravar"))) return *overwriteAnswer;
        return answer;
    }
};

int runFolha(const QString& root, const QStringList& args, QString* err = nullptr) {
    const test::FolhaRun r = test::RunFolha(root, args);
    if (err) *err = r.err;
    return r.status;
}

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(QFile::copy(file, target)) << target.toStdString();
    }
}

QByteArray contents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList recordsOf(const QByteArray& file, const char* type) {
    QStringList out;
    for (const QString& line : QString::fromLatin1(file).split(QStringLiteral("\r\n")))
        if (line.startsWith(QLatin1String(type))) out << line;
    return out;
}

// "screen|user|text" of each entry of this month's audit log.
QStringList auditEntries(Session& session) {
    const QDate today = QDate::currentDate();
    QStringList out;
    Table log(session.zorvan(), Registry::instance().auditLogTable(today.month(), today.year()));
    for (const Record& r : log.select({}, {}, "AutoInc"))
        out << r.text("Janela").trimmed() + "|" + r.text("Usuario").trimmed() + "|" + r.text("Log").trimmed();
    return out;
}

template <typename W>
W* child(QWidget& parent, const char* name) {
    W* w = parent.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Answers "Informe os valores:" each time the run shows it: `fill` gets the
// dialog and how many times it was shown before.
class ValuesDialogDriver {
public:
    explicit ValuesDialogDriver(std::function<void(TfoGeraSefip_RecebeValoresEmpresa&, int)> fill)
        : fill_(std::move(fill)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<TfoGeraSefip_RecebeValoresEmpresa*>(w);
                if (!d || !d->isVisible() || busy_) continue;
                busy_ = true;
                fill_(*d, shown++);
                busy_ = false;
            }
        });
        timer_.start();
    }
    int shown = 0;

private:
    std::function<void(TfoGeraSefip_RecebeValoresEmpresa&, int)> fill_;
    QTimer timer_;
    bool busy_ = false;
};

// The values typed in the dialog and their command-line options.
const QList<std::tuple<const char*, const char*, const char*>> TypedValues = {
    {"ewLicMat", "--lic-mat", "1.234,56"},      {"ewReceita", "--receita", "10"},
    {"ewTipo", "--tipo", "P"},                  {"ewRurFis", "--rur-fis", "0,5"},
    {"ewRurJur", "--rur-jur", "2.000"},         {"ewProces", "--processo", "12345678901"},
    {"ewProces1", "--processo-ano", "2012"},    {"ewVara", "--vara", "77"},
    {"ewIniPerPle", "--pleito-inicio", "01/2012"}, {"ewFimPerPle", "--pleito-fim", "03/2012"},
    {"ewCompens", "--compensacao", "321,09"},   {"ewTomadComp", "--tomador-comp", "1"},
    {"ewInipercom", "--comp-inicio", "02/2013"}, {"ewFimPerCom", "--comp-fim", "03/2013"},
    {"ewAntINSS", "--ant-inss", "1,01"},        {"ewAntOutFol", "--ant-outras", "2,02"},
    {"ewAntINSSRu", "--ant-inss-rural", "3,03"}, {"ewAntOutRur", "--ant-outras-rural", "4,04"},
    {"ewAntReceit", "--ant-receitas", "5,05"},  {"ewParcFgts1", "--parc-fgts1", "6,06"},
    {"ewParcFgts2", "--parc-fgts2", "7,07"},    {"ewParcFgtsT", "--parc-fgts-total", "8,08"},
    {"ewVlrCoop", "--cooperativas", "99,99"},
};

class GovScreensTest : public ::testing::Test {
protected:
    // The demo installation with the month calculated, made once by `folha`.
    static void SetUpTestSuite() {
        templ = new TempDir;
        const QString root = templ->file("raiz");
        QString err;
        status = runFolha(root, {"init", "--demo"}, &err);
        if (status == 0) status = runFolha(root, {"calc", "--company", "1", "--branch", "001", "--family-allowance"}, &err);
        setupError = err;
    }
    static void TearDownTestSuite() {
        delete templ;
        templ = nullptr;
    }

    // A fresh pair of copies: one for the screen, signed in at company 1,
    // branch 001; one for the command line.
    void SetUp() override {
        ASSERT_EQ(status, 0) << setupError.toStdString();
        ++copies;
        screenRoot = d.file(QStringLiteral("tela%1").arg(copies));
        cliRoot = d.file(QStringLiteral("linha%1").arg(copies));
        copyTree(templ->file("raiz"), screenRoot);
        copyTree(templ->file("raiz"), cliRoot);
        session = std::make_unique<Session>(Installation(screenRoot));
        session->startUp(ui);
        SignIn signIn(*session);
        auto user = signIn.authenticate("000001", "zorvan", ui);
        ASSERT_TRUE(user.has_value());
        auto company = signIn.company(1);
        ASSERT_TRUE(company.has_value());
        session->SetaDiretorio(company->directory);
        ASSERT_TRUE(signIn.confirm(*user, *company, "001", ui, false));
        ui.texts.clear();
    }

    QString screenFile(const char* path) const { return screenRoot + "/" + path; }
    QString cliFile(const char* path) const { return cliRoot + "/" + path; }

    static TempDir* templ;
    static int status;
    static QString setupError;
    TempDir d;
    int copies = 0;
    QString screenRoot, cliRoot;
    RecordingUi ui;
    std::unique_ptr<Session> session;
};

TempDir* GovScreensTest::templ = nullptr;
int GovScreensTest::status = -1;
QString GovScreensTest::setupError;

const char* SefipPath = "c/CAIXA/SEFIP/SEFIP.TXT";
const char* GrrfPath = "c/CAIXA/GRRF/GRRF.TXT";

TEST_F(GovScreensTest, SefipScreenOpensOnTheBranchWithTheOpenCompanyTicked) {
    TfoGeraSefip screen(*session, ui);
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Zorvan - Geração da SEFIP:"));
    const QList<QPair<const char*, QString>> expected = {
        {"eMCompetencia", "04/2013"},  {"evCod_Recol", "115"}, {"evModalidade", ""},  {"evTipo_Remes", "1"},
        {"evInd_FGTS", "1"},           {"evInd_INSS", "1"},    {"evCod_Res", "001"},  {"ePisInicial", "00000000000"},
        {"ePisFinal", "99999999999"},  {"eFtCodInicial", ""},  {"eFtCodFinal", ""},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(child<QLineEdit>(screen, name)->text(), text) << name;
    auto* sheet = child<QComboBox>(screen, "eCbxTipoFolha");
    EXPECT_FALSE(sheet->isEnabled());
    EXPECT_EQ(sheet->count(), 6);
    EXPECT_EQ(sheet->currentText(), QStringLiteral("F - Folha"));
    for (const char* box : {"chkwRecIndiv", "chkwCBOAntigo", "chkwVariasEmp"})
        EXPECT_FALSE(child<QCheckBox>(screen, box)->isChecked()) << box;

    GovCompanyGrid* grid = screen.companies();
    ASSERT_EQ(grid->rowCount(), 3);
    QMap<int, bool> ticked;
    for (int r = 0; r < grid->rowCount(); ++r) ticked[grid->codeAt(r)] = grid->isTicked(r);
    EXPECT_EQ(ticked, (QMap<int, bool>{{1, true}, {2, false}, {3, false}}));
    // Another company counts only while "Proc.Varias Empresas" is ticked.
    grid->setTicked(2, true);
    EXPECT_EQ(grid->tickedCodes(), QList<int>{1});
    child<QCheckBox>(screen, "chkwVariasEmp")->setChecked(true);
    QList<int> both = grid->tickedCodes();
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (QList<int>{1, 2}));
}

// The screen with the dialog's values typed writes the file `folha sefip`
// writes with the same values as options; so does the screen whose dialog
// is cancelled, against the command without them.
TEST_F(GovScreensTest, SefipFileIsTheCommandLinesFile) {
    for (bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "valores digitados" : "cancelado");
        if (!typed) SetUp(); // fresh copies for the second run
        TfoGeraSefip screen(*session, ui);
        child<QLineEdit>(screen, "evCod_Res")->setText("1");
        child<QCheckBox>(screen, "chkwVariasEmp")->setChecked(true);
        screen.companies()->setTicked(2, true);
        QStringList companiesAsked;
        ValuesDialogDriver driver([&](TfoGeraSefip_RecebeValoresEmpresa& dialog, int) {
            companiesAsked << dialog.findChild<QLabel*>("lblEmpresa")->text();
            if (!typed) {
                QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
                return;
            }
            for (const auto& [control, option, value] : TypedValues) {
                (void)option;
                QLineEdit* box = dialog.box(control);
                box->selectAll();
                QTest::keyClicks(box, value);
            }
            QTest::mouseClick(dialog.continueButton(), Qt::LeftButton);
        });
        screen.show();
        ASSERT_TRUE(screen.generate()) << ui.texts.join('\n').toStdString();
        EXPECT_EQ(screen.result(), QDialog::Accepted);
        // Asked in the file's order: by inscription, not by the grid's.
        EXPECT_EQ(companiesAsked, (QStringList{"Empresa: 1 - ZORVAN DEMONSTRACAO INDUSTRIA LTDA",
                                               "Empresa: 2 - COMERCIAL MODELO DEMONSTRACAO LTDA"}));

        QStringList args = {"sefip", "--company", "1", "--branch", "001", "--companies", "1,2",
                            "--responsible", "1", "--fgts-collected", "S", "--yes"};
        if (typed)
            for (const auto& [control, option, value] : TypedValues) args << option << value;
        QString err;
        ASSERT_EQ(runFolha(cliRoot, args, &err), 0) << err.toStdString();
        const QByteArray fromScreen = contents(screenFile(SefipPath));
        EXPECT_FALSE(fromScreen.isEmpty());
        // The closing message names the file and its records.
        EXPECT_EQ(ui.texts.value(ui.texts.size() - 1),
                  QStringLiteral("Arquivo gerado com sucesso: %1\n%2 registro(s), 2 empresa(s)")
                      .arg(QDir::toNativeSeparators(screenFile(SefipPath)))
                      .arg(fromScreen.count("\r\n")));
        EXPECT_EQ(fromScreen, contents(cliFile(SefipPath)));
        const QString counts = typed ? "00: 1, 10: 2, 12: 2, 30: " : "00: 1, 10: 2, 30: ";
        const QStringList audit = auditEntries(*session);
        ASSERT_FALSE(audit.isEmpty());
        EXPECT_TRUE(audit.last().startsWith("TfoGeraSefip|000001|SEFIP gerada, recolhimento 115: " + counts))
            << audit.last().toStdString();
        const QStringList r12 = recordsOf(fromScreen, "12");
        ASSERT_EQ(r12.size(), typed ? 2 : 0);
        if (typed) {
            EXPECT_EQ(r12[0].mid(53, 15), "000000000123456"); // 1.234,56
            EXPECT_EQ(r12[0].mid(83, 1), "P");
            EXPECT_EQ(r12[0].mid(99, 15), "000000000200000"); // 2.000
            EXPECT_EQ(r12[0].mid(114, 32), "12345678901201200077201201201203");
            EXPECT_EQ(r12[0].mid(146, 27), "000000000032109201302201303");
            EXPECT_EQ(r12[0].mid(293, 15), "000000000009999");
        }
    }
}

TEST_F(GovScreensTest, ValuesDialogAsksTheTypeAndRefusesBadText) {
    TfoGeraSefip_RecebeValoresEmpresa dialog(ui, "1 - EMPRESA");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Informe os valores:"));
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Dados adicionais da empresa"));
    EXPECT_EQ(dialog.box("ewLicMat")->text(), "0");
    EXPECT_EQ(dialog.box("ewVlrCoop")->text(), "0");
    EXPECT_EQ(dialog.box("ewTipo")->text(), "");
    EXPECT_EQ(dialog.box("ewIniPerPle")->inputMask(), "!90/0000");
    dialog.show();

    // Continuar with the type empty keeps the dialog open.
    QTest::mouseClick(dialog.continueButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.values().has_value());
    EXPECT_EQ(ui.texts.value(0), QStringLiteral("Informe o Tipo (E=Evento, P=Patrocínio, A=Ambos)"));
    // The caption says what the letters mean.
    QStringList captions;
    for (const QLabel* l : dialog.findChildren<QLabel*>()) captions << l->text();
    EXPECT_TRUE(captions.contains(QStringLiteral("Tipo (E=Evento, P=Patrocínio, A=Ambos)"))) << captions.join('|').toStdString();

    struct Bad {
        const char* control;
        const char* typed;
        const char* message;
    };
    const Bad bad[] = {
        {"ewLicMat", "12.3.4", "Valor inválido em Deducao 13 Salario Licenca Maternidade: 12.3.4 (use 1.234,56)"},
        {"ewVlrCoop", "1,234", "Valor inválido em Vlr. Pago a Cooperativas de Trabalho: 1,234 (use 1.234,56)"},
        {"ewCompens", "-5", "Valor inválido em Compensacao: -5 (use 1.234,56)"},
        {"ewProces", "12a", "Valor inválido em Processo (número): 12a (até 11 dígitos)"},
        {"ewInipercom", "14/2013", "Período inválido no campo Periodo Compensacao (início): 14/2013 (use MM/AAAA)"},
        {"ewTipo", "X", "Tipo (E=Evento, P=Patrocínio, A=Ambos) inválido: X"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.control);
        dialog.box("ewTipo")->setText("e");
        const QString before = dialog.box(b.control)->text();
        dialog.box(b.control)->setText(b.typed);
        ui.texts.clear();
        QTest::mouseClick(dialog.continueButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(ui.texts, QStringList{QString::fromUtf8(b.message)});
        EXPECT_EQ(dialog.box(b.control)->text(), QString::fromLatin1(b.typed)); // nothing typed is lost
        dialog.box(b.control)->setText(before);
    }

    // Enter moves to the next box and closes nothing.
    dialog.box("ewLicMat")->setFocus();
    QTest::keyClick(dialog.box("ewLicMat"), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.box("ewReceita"));

    dialog.box("ewTipo")->setText("a");
    dialog.box("ewLicMat")->setText("1.234.567,8");
    QTest::mouseClick(dialog.continueButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.values().has_value());
    EXPECT_EQ(dialog.values()->revenueType, "A");
    EXPECT_EQ(dialog.values()->maternity13Deduction, *Fixed::parse("1234567.8"));

    TfoGeraSefip_RecebeValoresEmpresa cancelled(ui, "1 - EMPRESA");
    cancelled.show();
    cancelled.box("ewTipo")->setText("E");
    QTest::mouseClick(cancelled.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_FALSE(cancelled.values().has_value());
}

// Either lookup puts the chosen code into both fields, and the fields are
// there again when the screen opens next.
TEST_F(GovScreensTest, SefipLookupsFillBothFieldsWhichAreRemembered) {
    for (const char* button : {"eFtCodInicialLookup", "eFtCodFinalLookup"}) {
        SCOPED_TRACE(button);
        TfoGeraSefip screen(*session, ui);
        // A code already in the field would be the one choice the dialog allows.
        screen.employees()->firstField()->clear();
        screen.employees()->lastField()->clear();
        screen.show();
        QString picked;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            auto* list = child<QTableView>(*modal, "Lista");
            const int row = QString(button).contains("Final") ? 1 : 0;
            picked = list->model()->index(row, 0).data().toString();
            const QRect r = list->visualRect(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        });
        QTest::mouseClick(child<QToolButton>(screen, button), Qt::LeftButton);
        ASSERT_FALSE(picked.isEmpty());
        const QString digits = OnlyDigits(picked);
        EXPECT_EQ(child<QLineEdit>(screen, "eFtCodInicial")->text(), digits);
        EXPECT_EQ(child<QLineEdit>(screen, "eFtCodFinal")->text(), digits);
        screen.close();

        TfoGeraSefip again(*session, ui);
        EXPECT_EQ(child<QLineEdit>(again, "eFtCodInicial")->text(), digits);
        EXPECT_EQ(child<QLineEdit>(again, "eFtCodFinal")->text(), digits);
    }
}

TEST_F(GovScreensTest, AnswerNoToRegravarLeavesTheOldFiles) {
    for (const char* path : {SefipPath, GrrfPath}) {
        QDir().mkpath(QFileInfo(screenFile(path)).path());
        QFile f(screenFile(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("arquivo anterior\r\n");
    }
    ui.overwriteAnswer = QMessageBox::No;
    TfoGeraSefip sefip(*session, ui);
    child<QLineEdit>(sefip, "evCod_Res")->setText("1");
    ValuesDialogDriver driver([](TfoGeraSefip_RecebeValoresEmpresa& d, int) { d.cancelButton()->click(); });
    sefip.show();
    EXPECT_FALSE(sefip.generate());
    EXPECT_TRUE(sefip.isVisible());
    EXPECT_EQ(driver.shown, 0);
    TfoGerarGRRF grrf(*session, ui);
    child<QLineEdit>(grrf, "evCod_Res")->setText("1");
    child<QLineEdit>(grrf, "evDtaPagFgts")->setText("10/05/2013");
    EXPECT_FALSE(grrf.generate());
    EXPECT_EQ(ui.questions, (QStringList{"ARQUIVO c:\\CAIXA\\SEFIP\\SEFIP.TXT Ja existe. Regravar ? ",
                                         "ARQUIVO c:\\CAIXA\\GRRF\\GRRF.TXT Ja existe. Regravar ? "}));
    for (const char* path : {SefipPath, GrrfPath}) EXPECT_EQ(contents(screenFile(path)), "arquivo anterior\r\n") << path;
}

TEST_F(GovScreensTest, GrrfScreenWritesTheCommandLinesFile) {
    TfoGerarGRRF screen(*session, ui);
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Zorvan - Gerar GRRF:"));
    const QList<QPair<const char*, QString>> defaults = {
        {"evInicio", "00000000000"}, {"evFinal", "99999999999"}, {"evCod_Res", "001"}, {"evCodSaque", ""}};
    for (const auto& [name, text] : defaults) EXPECT_EQ(child<QLineEdit>(screen, name)->text(), text) << name;
    EXPECT_EQ(screen.companies()->tickedCodes(), QList<int>{1});

    QTest::keyClicks(child<QLineEdit>(screen, "evDtaPagFgts"), "10052013");
    QTest::keyClicks(child<QLineEdit>(screen, "evDtaAvPrev"), "21032013");
    child<QLineEdit>(screen, "evCod_Res")->setText("1");
    child<QLineEdit>(screen, "evCodSaque")->setText("01");
    child<QCheckBox>(screen, "chkMesAnterior")->setChecked(true);
    ASSERT_TRUE(screen.generate()) << ui.texts.join('\n').toStdString();
    QString err;
    ASSERT_EQ(runFolha(cliRoot, {"grrf", "--company", "1", "--branch", "001", "--responsible", "1", "--withdrawal", "01",
                                 "--collection-date", "10/05/2013", "--notice-date", "21/03/2013", "--previous-month",
                                 "--yes"},
                       &err),
              0)
        << err.toStdString();
    const QByteArray fromScreen = contents(screenFile(GrrfPath));
    EXPECT_EQ(recordsOf(fromScreen, "40").size(), 1);
    EXPECT_EQ(fromScreen, contents(cliFile(GrrfPath)));
    EXPECT_EQ(ui.texts.value(ui.texts.size() - 1),
              QStringLiteral("Arquivo gerado com sucesso: %1\n%2 registro(s), 1 empresa(s)")
                  .arg(QDir::toNativeSeparators(screenFile(GrrfPath)))
                  .arg(fromScreen.count("\r\n")));
    EXPECT_TRUE(QFileInfo::exists(screenFile("c/CAIXA/GRRF/GRRF.RE")));
    EXPECT_EQ(auditEntries(*session).value(-1 + auditEntries(*session).size()),
              "TfoGerarGRRF|000001|GRRF gerada: 00: 1, 10: 1, 40: 1, 90: 1");

    // A date that is not one is refused before anything is written.
    QFile::remove(screenFile(GrrfPath));
    child<QLineEdit>(screen, "evDtaPagFgts")->setText("31/02/2013");
    ui.texts.clear();
    EXPECT_FALSE(screen.generate());
    EXPECT_EQ(ui.texts, QStringList{"Data inválida em Data recolheimento GRRF: 31/02/2013 (use DD/MM/AAAA)"});
    EXPECT_FALSE(QFileInfo::exists(screenFile(GrrfPath)));
}

// The responsible party starts on the only one registered; with several,
// on the one this screen used last in this company, which F2 picks from the
// registered ones. Another company does not see it.
TEST_F(GovScreensTest, TheResponsiblePartyIsTheOnlyOneOrTheLastUsedInTheCompany) {
    const struct {
        const char* name;
        std::function<QDialog*()> make;
    } screens[] = {
        {"TfoGeraSefip", [&] { return new TfoGeraSefip(*session, ui); }},
        {"TfoGerarGRRF", [&] { return new TfoGerarGRRF(*session, ui); }},
    };
    auto responsible = [](QDialog& w) { return child<QLineEdit>(w, "evCod_Res"); };
    auto openCompany = [&](int code) {
        auto company = SignIn(*session).company(code);
        ASSERT_TRUE(company.has_value());
        session->SetaDiretorio(company->directory);
        session->signIn.CurrentCompanyCode = code;
    };
    Table parties(session->folha(), QStringLiteral("RESPONSA"));
    Record second = *parties.find({"001"});
    parties.insert(second.set("COD_RES", "002").set("NOME", "SEGUNDO RESPONSAVEL"));
    for (const auto& s : screens) {
        SCOPED_TRACE(s.name);
        openCompany(1);
        {
            std::unique_ptr<QDialog> w(s.make());
            EXPECT_EQ(responsible(*w)->text(), QString()); // two registered, none used
            w->show();
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                ASSERT_NE(modal, nullptr);
                auto* list = child<QTableView>(*modal, "Lista");
                const QRect r = list->visualRect(list->model()->index(1, 0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
            });
            responsible(*w)->setFocus();
            QTest::keyClick(responsible(*w), Qt::Key_F2);
            EXPECT_EQ(responsible(*w)->text(), QStringLiteral("002"));
            w->reject();
        }
        openCompany(2);
        {
            std::unique_ptr<QDialog> w(s.make());
            EXPECT_EQ(responsible(*w)->text(), QStringLiteral("001")); // company 2's only party
        }
        openCompany(1);
        std::unique_ptr<QDialog> w(s.make());
        EXPECT_EQ(responsible(*w)->text(), QStringLiteral("002"));
    }
}

// Enter moves to the next field, completes a code typed short, and starts
// no file.
TEST_F(GovScreensTest, EnterMovesBetweenTheFields) {
    const struct {
        const char* name;
        std::function<QDialog*()> make;
        const char* from;
        const char* typed;
        const char* shown;
        const char* to;
    } cases[] = {
        {"TfoGeraSefip", [&] { return new TfoGeraSefip(*session, ui); }, "eFtCodInicial", "7", "000007", "eFtCodFinal"},
        {"TfoGeraSefip", [&] { return new TfoGeraSefip(*session, ui); }, "evCod_Recol", "", "115", "evModalidade"},
        {"TfoGerarGRRF", [&] { return new TfoGerarGRRF(*session, ui); }, "evCod_Res", "", "001", "evCodSaque"},
        {"TfoGerarGRRF", [&] { return new TfoGerarGRRF(*session, ui); }, "evCodSaque", "", "", "chkMesAnterior"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        std::unique_ptr<QDialog> w(c.make());
        w->show();
        QApplication::setActiveWindow(w.get());
        auto* from = child<QLineEdit>(*w, c.from);
        from->setFocus();
        QTest::keyClicks(from, c.typed);
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_EQ(from->text(), QString::fromLatin1(c.shown));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(c.to));
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(ui.texts.isEmpty() && ui.questions.isEmpty()) << ui.texts.join('|').toStdString();
    }
}

TEST_F(GovScreensTest, TheCatalogOpensTheThreeScreens) {
    QMap<QString, std::function<QWidget*(Session&, UserInterface&, QWidget*)>> factories;
    RegisterGovScreens([&](const QString& name, auto f) { factories.insert(name, f); });
    const QMap<QString, QString> captions = {{"TfoGeraSefip", "Zorvan - Geração da SEFIP:"},
                                             {"TfoGeraSefip_RecebeValoresEmpresa", "Informe os valores:"},
                                             {"TfoGerarGRRF", "Zorvan - Gerar GRRF:"}};
    EXPECT_EQ(factories.keys(), captions.keys());
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        std::unique_ptr<QWidget> w(factories.value(it.key())(*session, ui, nullptr));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->windowTitle(), it.value());
        EXPECT_EQ(w->objectName(), it.key());
    }
}

} // namespace
