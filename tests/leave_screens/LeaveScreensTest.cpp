// The vacation, 13th-salary and termination screens: the rows a click leaves
// are the rows the command line leaves on an identical installation, and
// the wiring (lookups, remembered fields, the last chosen employee, the log
// box, refusals, cancel between employees).
#include "LeaveScreens.h"

#include "DemoCompany.h"
#include "EmployeeChoice.h"
#include "JobScreen.h"
#include "LeaveScreen.h"
#include "QtUserInterface.h"
#include "Registry.h"
#include "ScreenCatalog.h"
#include "Table.h"
#include "TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include "FolhaProcess.h"

#include <gtest/gtest.h>

using namespace folha;

namespace {

// Answers every box with OK (or Yes) and keeps it; can stop a run once a
// given employee has been reached, as the cancel button of the progress
// does.
class RecordingUi : public QtUserInterface {
public:
    QStringList boxes;
    int cancelAfterStep = 0; // 0: never
    int lastStep = 0;

    void progressStart(const QString& caption, int steps) override {
        lastStep = 0;
        QtUserInterface::progressStart(caption, steps);
    }
    void progressStep(int done) override {
        lastStep = done;
        QtUserInterface::progressStep(done);
    }
    bool cancelRequested() override {
        return (cancelAfterStep > 0 && lastStep >= cancelAfterStep) || QtUserInterface::cancelRequested();
    }

protected:
    QMessageBox::StandardButton showBox(QMessageBox::Icon, const QString&, const QString& text,
                                        QMessageBox::StandardButtons buttons, const QString&) override {
        boxes << text;
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
};

// Every OCORRENC row with every column, in key order.
QStringList AllEventRows(Database& db) {
    Table t(db, QStringLiteral("OCORRENC"));
    const QStringList fields = t.def().fieldNames();
    QStringList out;
    for (const Record& r : t.select({}, {}, t.def().primaryKey.join(QStringLiteral(", ")))) {
        QStringList values;
        for (const QString& f : fields) values << r.text(f);
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

QStringList RowsOf(const QStringList& rows, const QString& employee, const QString& sheet) {
    QStringList out;
    for (const QString& r : rows) {
        const QStringList v = r.split(QLatin1Char('|'));
        if (v.value(4) == employee && v.value(2) == sheet) out << r;
    }
    return out;
}

// The audit entries of a screen (or of a command: "folha vacation") this month.
QStringList AuditEntries(Session& session, const QString& screen) {
    const QDate today = QDate::currentDate();
    Database& zorvan = session.zorvan();
    const TableDef def = Registry::instance().auditLogTable(today.month(), today.year());
    if (!zorvan.hasTable(def.name)) return {};
    QStringList out;
    for (const Record& r : Table(zorvan, def).select(QStringLiteral("Janela = ?"), {screen}))
        out << r.text("Filial") + '|' + r.text("Acao") + '|' + r.text("Usuario") + '|' + r.text("Tabela") + '|' + r.text("Log");
    return out;
}

void SetBranch(Database& db, const QString& branch, const QDate& date, const QString& sheet) {
    Table f(db, QStringLiteral("Filial"));
    Record b = *f.find({branch});
    b.set("DATA_FOLHA", date).set("TIPO_FOL", sheet);
    f.update(b);
}

void SetEmployee(Database& db, const QString& code, const QList<QPair<QString, QVariant>>& values) {
    Table t(db, QStringLiteral("CADFUN"));
    auto r = t.find({code});
    ASSERT_TRUE(r.has_value()) << code.toStdString();
    for (const auto& [field, value] : values) r->set(field, value);
    t.update(*r);
}

void BlankRole(Database& db, const QString& role) {
    Table t(db, QStringLiteral("FIXAOCOR"));
    auto r = t.find({role});
    ASSERT_TRUE(r.has_value()) << role.toStdString();
    r->set("FHISTORICO", QString());
    t.update(*r);
}

template <class T>
T* Child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

// One case of the end-to-end comparison.
struct Job {
    const char* screen;
    const char* command;
    int company;
    const char* branch;
    std::function<void(Database&)> prepare;
    const char* first;
    const char* last;
    const char* months;
};

// The demo, and what each calculation needs of it.
void VacationData(Database& db) {
    SetBranch(db, "001", QDate(2013, 4, 30), "I");
    // Overtime hours in the acquisition period; 20 days and 10 of allowance.
    SetEmployee(db, "000010", {{"DT_INIFERI", QDate(2012, 3, 1)}, {"DT_FINFERI", QDate(2013, 2, 28)},
                               {"DT_IGOZFER", QDate(2013, 4, 10)}, {"DT_FGOZFER", QDate(2013, 4, 29)},
                               {"DT_IABOFER", QDate(2013, 4, 30)}, {"DT_FABOFER", QDate(2013, 5, 9)}});
    // Commissions: the months typed decide their average.
    SetEmployee(db, "000020", {{"DT_INIFERI", QDate(2012, 4, 1)}, {"DT_FINFERI", QDate(2013, 3, 31)},
                               {"DT_IGOZFER", QDate(2013, 4, 1)}, {"DT_FGOZFER", QDate(2013, 4, 30)}});
}

void ThirteenthData(Database& db) {
    // December's rows of the second branch go; November's first instalment stays.
    Table(db, QStringLiteral("OCORRENC"))
        .removeWhere(QStringLiteral("OCORRANO = '2013' AND OCORRMES = '12' AND TIPOFOLHA = 'D' AND FLAG = '*'"), {});
}

void TerminationData(Database& db) {
    // The demo's termination is taken back; a second one, with commissions.
    Table(db, QStringLiteral("OCORRENC"))
        .removeWhere(QStringLiteral("OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = 'F' AND FLAG = '*' AND CODFUN = '000013'"), {});
    SetEmployee(db, "000020", {{"DT_AFAST", QDate(2013, 4, 25)}, {"CAUS_RESC", "I1"}, {"DT_FINFERI", QDate(2012, 6, 30)},
                               {"FLAG_SALDO", "S"}, {"FLAG_AVISO", "S"}, {"FLAG_FERPR", "S"}});
}

using CliRun = test::FolhaRun;
CliRun RunFolha(const QString& root, const QStringList& args) { return test::RunFolha(root, args); }

class LeaveScreens : public ::testing::Test {
protected:
    void SetUp() override { registers::ForgetChosenEmployee(); }
    void TearDown() override { registers::ForgetChosenEmployee(); }

    // The screen's installation and, when asked, an identical second one
    // for the command line.
    void open(int company = 1, const char* branch = "001", bool twin = false) { openAt(d.path(), d2.path(), company, branch, twin); }
    void openAt(const QString& root, const QString& twinRoot, int company, const char* branch, bool twin) {
        session = std::make_unique<Session>(Installation(root));
        OpenDemoCompany(*session, ui, company);
        session->signIn.CurrentBranchCode = QString(branch).toInt();
        session->signIn.CurrentBranchCodeText = branch;
        if (twin) {
            cliSession = std::make_unique<Session>(Installation(twinRoot));
            OpenDemoCompany(*cliSession, ui, company);
        }
        ui.boxes.clear();
    }
    std::unique_ptr<LeaveScreen> screen(const QString& name) {
        QWidget* w = ScreenCatalog::instance().create(name, *session, ui, nullptr);
        auto* s = qobject_cast<LeaveScreen*>(w);
        EXPECT_NE(s, nullptr) << name.toStdString();
        if (!s) delete w;
        return std::unique_ptr<LeaveScreen>(s);
    }
    static void fill(LeaveScreen& s, const QString& first, const QString& last, const QString& months) {
        s.range()->firstField()->setText(first);
        s.range()->lastField()->setText(last);
        s.monthsField()->setText(months);
    }

    TempDir d, d2;
    RecordingUi ui;
    std::unique_ptr<Session> session, cliSession;
};

// A click leaves exactly the rows the command line leaves, column by column,
// and the same audit text under the screen's name.
TEST_F(LeaveScreens, ClickLeavesTheRowsOfTheCommandLine) {
    const Job jobs[] = {
        {"TfoCalcFeriasMedias", "vacation", 1, "001", VacationData, "12", "000020", "6"},
        {"TfoCalc13Medias", "thirteenth", 2, "002", ThirteenthData, "", "", "3"},
        {"TfoCalcResciHorasExtras", "termination", 1, "001", TerminationData, "13", "20", "6"},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.screen);
        TempDir a, b;
        openAt(a.path(), b.path(), job.company, job.branch, true);
        job.prepare(session->folha());
        job.prepare(cliSession->folha());
        const QStringList before = AllEventRows(session->folha());
        ASSERT_EQ(before, AllEventRows(cliSession->folha()));

        auto s = screen(job.screen);
        ASSERT_TRUE(s);
        s->show();
        fill(*s, job.first, job.last, job.months);
        QTest::mouseClick(s->runButton(), Qt::LeftButton);
        const QStringList clicked = AllEventRows(session->folha());

        QStringList args{job.command, "--company", QString::number(job.company), "--branch", job.branch, "--months", job.months};
        if (*job.first) args << "--from" << job.first;
        if (*job.last) args << "--to" << job.last;
        const CliRun cli = RunFolha(b.path(), args);
        ASSERT_LE(cli.status, 1) << cli.err.toStdString();
        const QStringList typed = AllEventRows(cliSession->folha());

        EXPECT_NE(clicked, before); // the run wrote something
        EXPECT_EQ(clicked, typed);
        // The screen tells the count the command line prints.
        QStringList counted = cli.out.split('\n').filter(QStringLiteral("calculado(s)"));
        ASSERT_FALSE(counted.isEmpty()) << cli.out.toStdString();
        EXPECT_EQ(ui.boxes.last(), counted.join('\n'));
        EXPECT_EQ(s->progressBar()->value(), s->progressBar()->maximum());
        EXPECT_GT(s->progressBar()->maximum(), 1);

        const QStringList audit = AuditEntries(*session, job.screen);
        const QStringList cliAudit = AuditEntries(*cliSession, QStringLiteral("folha ") + job.command);
        ASSERT_EQ(audit.size(), 1);
        EXPECT_EQ(audit, cliAudit);
        s.reset();
        session.reset();
        cliSession.reset();
    }
}

// Hand-worked rows of the vacation click: 44 ÷ 6 × 30 = 220 hours; the
// commissions of January and February over 6 months: 2200 ÷ 6 = 366.67.
TEST_F(LeaveScreens, VacationRowsAreTheHandWorkedOnes) {
    open();
    VacationData(session->folha());
    auto s = screen("TfoCalcFeriasMedias");
    fill(*s, "20", "20", "6");
    ASSERT_TRUE(s->run().has_value());
    Table t(session->folha(), QStringLiteral("OCORRENC"));
    auto hours = t.find({"2013", "04", "I", "050", "000020"});
    ASSERT_TRUE(hours.has_value());
    EXPECT_EQ(hours->number("REFER"), *Fixed::parse("220"));
    EXPECT_EQ(hours->text("FLAG"), "*");
    auto commissions = t.find({"2013", "04", "I", "208", "000020"});
    ASSERT_TRUE(commissions.has_value());
    EXPECT_EQ(commissions->number("VALOR"), *Fixed::parse("366.67"));
    EXPECT_FALSE(t.find({"2013", "04", "I", "050", "000010"}).has_value()); // outside the range
}

// The progress's cancel while employee 12 is calculated: 10 and 12 are
// whole (the rows of a full run), 20 untouched; the notice counts them and
// the audit says it was stopped.
TEST_F(LeaveScreens, CancelLeavesWholeEmployees) {
    open(1, "001", true);
    VacationData(session->folha());
    VacationData(cliSession->folha());
    for (Database* db : {&session->folha(), &cliSession->folha()})
        Table(*db, QStringLiteral("OCORRENC")).removeWhere(QStringLiteral("TIPOFOLHA = 'I'"), {});
    auto s = screen("TfoCalcFeriasMedias");
    fill(*s, "", "", "99");
    ui.cancelAfterStep = 12;
    ASSERT_TRUE(s->run().has_value());
    ASSERT_EQ(RunFolha(d2.path(), {"vacation", "--company", "1", "--branch", "001"}).status, 0);
    const QStringList clicked = AllEventRows(session->folha());
    const QStringList full = AllEventRows(cliSession->folha());
    for (const char* employee : {"000010", "000012"}) {
        EXPECT_FALSE(RowsOf(full, employee, "I").isEmpty()) << employee;
        EXPECT_EQ(RowsOf(clicked, employee, "I"), RowsOf(full, employee, "I")) << employee;
    }
    EXPECT_FALSE(RowsOf(full, "000020", "I").isEmpty());
    EXPECT_TRUE(RowsOf(clicked, "000020", "I").isEmpty());
    EXPECT_TRUE(ui.boxes.contains(QStringLiteral(
        "Cálculo interrompido pelo usuário: 2 funcionário(s) calculado(s); os demais não foram calculados.")))
        << ui.boxes.join('\n').toStdString();
    const QStringList audit = AuditEntries(*session, "TfoCalcFeriasMedias");
    ASSERT_EQ(audit.size(), 1);
    EXPECT_TRUE(audit[0].endsWith(QStringLiteral(", interrompido pelo usuário"))) << audit[0].toStdString();
}

// The first lookup fills both codes, the second only the final one; the
// code is brought to six digits.
TEST_F(LeaveScreens, LookupsFillTheCodes) {
    open();
    for (const char* name : {"TfoCalcFeriasMedias", "TfoCalc13Medias", "TfoCalcResciHorasExtras"}) {
        SCOPED_TRACE(name);
        auto s = screen(name);
        s->show();
        auto pick = [&](QToolButton* button, const QString& code) {
            bool driven = false;
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                ASSERT_NE(modal, nullptr);
                Child<QComboBox>(*modal, "PesquisarEm")->setCurrentText("Codigo");
                Child<QComboBox>(*modal, "Logico")->setCurrentText("Iniciando");
                auto* value = Child<QLineEdit>(*modal, "Valor");
                value->clear();
                QTest::keyClicks(value, code);
                QTest::keyClick(value, Qt::Key_Return);
                auto* view = Child<QTableView>(*modal, "Lista");
                ASSERT_EQ(view->model()->rowCount(), 1);
                const QRect r = view->visualRect(view->model()->index(0, 0));
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
                driven = true;
            });
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_TRUE(driven);
        };
        pick(s->range()->firstButton(), "000007");
        EXPECT_EQ(s->range()->firstField()->text(), "000007");
        EXPECT_EQ(s->range()->lastField()->text(), "000007");
        pick(s->range()->lastButton(), "000009");
        EXPECT_EQ(s->range()->firstField()->text(), "000007");
        EXPECT_EQ(s->range()->lastField()->text(), "000009");
        EXPECT_TRUE(ui.boxes.isEmpty()) << ui.boxes.join('\n').toStdString();
    }
}

// The codes come back when the screen opens again; the termination also
// keeps its months, the others start again at 99.
TEST_F(LeaveScreens, FieldsAreRememberedAcrossCloseAndReopen) {
    open();
    const struct {
        const char* name;
        const char* months;
    } cases[] = {{"TfoCalcFeriasMedias", "99"}, {"TfoCalc13Medias", "99"}, {"TfoCalcResciHorasExtras", "12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto s = screen(c.name);
            EXPECT_EQ(s->monthsField()->text(), "99");
            EXPECT_TRUE(s->range()->firstField()->text().isEmpty());
            s->show();
            fill(*s, "000003", "000008", "12");
            QTest::mouseClick(s->closeButton(), Qt::LeftButton);
            EXPECT_FALSE(s->isVisible());
        }
        auto again = screen(c.name);
        EXPECT_EQ(again->range()->firstField()->text(), "000003");
        EXPECT_EQ(again->range()->lastField()->text(), "000008");
        EXPECT_EQ(again->monthsField()->text(), c.months);
    }
}

// A role without an event code: the vacation writes the line into its log
// box, cleared first; the 13th salary, without a box, hands it to the
// program's interface, which shows it when the run ends.
TEST_F(LeaveScreens, MissingEventLineGoesToTheLogBox) {
    open();
    VacationData(session->folha());
    BlankRole(session->folha(), "601");
    const QString line = QStringLiteral("Ocorrencia Fixa sem Historico: - Fix Oco: 601");
    auto s = screen("TfoCalcFeriasMedias");
    ASSERT_NE(s->logBox(), nullptr);
    EXPECT_TRUE(s->logBox()->isReadOnly());
    s->logBox()->setPlainText("linha de um cálculo anterior");
    fill(*s, "000010", "000010", "99");
    ASSERT_TRUE(s->run().has_value());
    EXPECT_EQ(s->logBox()->toPlainText(), line);
    EXPECT_FALSE(ui.logLines().contains(line));

    SetBranch(session->folha(), "001", QDate(2013, 4, 30), "D");
    auto thirteenth = screen("TfoCalc13Medias");
    EXPECT_EQ(thirteenth->logBox(), nullptr);
    fill(*thirteenth, "000010", "000010", "99");
    ui.boxes.clear();
    ASSERT_TRUE(thirteenth->run().has_value());
    EXPECT_TRUE(ui.logLines().contains(line));
    EXPECT_TRUE(ui.boxes.join('\n').contains(line)) << ui.boxes.join('\n').toStdString();
}

// Refusals before anything runs: an empty months field (the calculation's
// own message) and a code that is not one. Nothing is written, nothing
// is logged.
TEST_F(LeaveScreens, RefusedRunsWriteNothing) {
    open();
    const struct {
        const char* first;
        const char* months;
        const char* message;
    } refusals[] = {
        {"000001", "", "Informar o campo Meses para média de comissões!"},
        {"  ", "", "Informar o campo Meses para média de comissões!"},
        {"12x", "99", "Código de funcionário inválido: 12x"},
    };
    const QStringList before = AllEventRows(session->folha());
    for (const char* name : {"TfoCalcFeriasMedias", "TfoCalc13Medias", "TfoCalcResciHorasExtras"})
        for (const auto& r : refusals) {
            SCOPED_TRACE(std::string(name) + " " + r.first);
            auto s = screen(name);
            s->show();
            fill(*s, r.first, "000030", r.months);
            ui.boxes.clear();
            QTest::mouseClick(s->runButton(), Qt::LeftButton);
            EXPECT_EQ(ui.boxes, QStringList{QString::fromUtf8(r.message)});
            EXPECT_EQ(AllEventRows(session->folha()), before);
            EXPECT_TRUE(AuditEntries(*session, name).isEmpty());
            EXPECT_TRUE(s->runButton()->isEnabled());
        }
    // The branch on the monthly sheet: the vacation and the 13th salary are
    // refused by the calculation, which says which sheet it needs.
    const struct {
        const char* name;
        const char* message;
    } sheets[] = {
        {"TfoCalcFeriasMedias", "A filial 001 está com o Tipo Folha \"F\"; o cálculo das férias exige o Tipo Folha \"I\". "
                                "Altere o Tipo Folha da filial e calcule novamente."},
        {"TfoCalc13Medias", "A filial 001 está com o Tipo Folha \"F\"; o cálculo do 13º salário exige o Tipo Folha \"D\". "
                            "Altere o Tipo Folha da filial e calcule novamente."},
    };
    for (const auto& c : sheets) {
        SCOPED_TRACE(c.name);
        auto s = screen(c.name);
        fill(*s, "", "", "99");
        ui.boxes.clear();
        EXPECT_FALSE(s->run().has_value());
        EXPECT_EQ(ui.boxes, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(AllEventRows(session->folha()), before);
        EXPECT_TRUE(AuditEntries(*session, c.name).isEmpty());
    }
}

// Each screen opens from the catalog with its title, captions and the
// branch's special variables.
TEST_F(LeaveScreens, ScreensOpenWithTheirCaptions) {
    open();
    const struct {
        const char* name;
        const char* title;
        const char* button;
        bool logBox;
    } cases[] = {
        {"TfoCalcFeriasMedias", "Calculo das Férias e Médias", "Calcular", true},
        {"TfoCalc13Medias", "Calculo 13 e Medias", "Calcular", false},
        {"TfoCalcResciHorasExtras", "Calculo da Recsão e Media Horas Extras", "Imprimir", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = screen(c.name);
        EXPECT_EQ(s->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(s->runButton()->text(), c.button);
        EXPECT_EQ(s->closeButton()->text(), "Fechar");
        EXPECT_EQ(s->logBox() != nullptr, c.logBox);
        EXPECT_EQ(s->variables()->title(), QStringLiteral("Variáveis especiais:"));
        EXPECT_EQ(s->variables()->sheetText(), "F - Folha");
        EXPECT_EQ(s->variables()->dateText(), "30/04/2013");
        EXPECT_EQ(s->variables()->ceilingText(), "4.159,00");
        EXPECT_FALSE(s->grab().isNull());
    }
}

} // namespace
