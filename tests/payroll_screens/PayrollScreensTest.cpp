// The payroll job screens: what they write equals what the command line
// writes on an identical installation, and their wiring (lookups, remembered
// fields, the log box, the undo's checks, a cancelled run).
#include "PayrollScreens.h"

#include "DemoCompany.h"
#include "EmployeeChoice.h"
#include "EscolheFunc.h"
#include "JobScreen.h"
#include "QtUserInterface.h"
#include "Registry.h"
#include "ScreenCatalog.h"
#include "SelecaoMultipla.h"
#include "Table.h"
#include "TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTest>
#include "FolhaProcess.h"

#include <gtest/gtest.h>

#include <map>

// Failures show the rows as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

using namespace folha;

namespace {

// Answers every box with `answer` and keeps what it was shown; cancels the
// progress dialog when the run reaches employee `cancelAt`.
class RecordingUi : public QtUserInterface {
public:
    struct Box {
        QMessageBox::Icon icon;
        QString text;
    };
    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    int cancelAt = 0;

    // The rows bar as each row step reaches the program's interface.
    QPointer<QProgressBar> rowsBar;
    int rowSteps = 0, rowStepsShown = 0, mostRows = 0;
    void subProgress(int done, int steps) override {
        ++rowSteps;
        mostRows = std::max(mostRows, steps);
        if (rowsBar && rowsBar->value() == done && rowsBar->maximum() == std::max(steps, 1)) ++rowStepsShown;
    }
    void progressStep(int done) override {
        QtUserInterface::progressStep(done);
        if (cancelAt > 0 && done == cancelAt && progressDialog()) progressDialog()->cancel();
    }
    QStringList texts() const {
        QStringList out;
        for (const Box& b : boxes) out << b.text;
        return out;
    }

protected:
    QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString&, const QString& text,
                                        QMessageBox::StandardButtons, const QString&) override {
        boxes << Box{icon, text};
        return answer;
    }
};

using CliRun = test::FolhaRun;

// `folha` on an installation, signed in as the demo's supervisor.
CliRun runFolha(const QString& root, const QStringList& args) { return test::RunFolha(root, args); }

// Every row of OCORRENC, every column, in key order.
QStringList eventRows(Database& db, const QString& where = {}, const QVariantList& params = {}) {
    Table t(db, QStringLiteral("OCORRENC"));
    const TableDef& def = t.def();
    QStringList out;
    for (const Record& r : t.select(where, params, QStringLiteral("OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN"))) {
        QStringList cols;
        for (int i = 0; i < int(def.fields.size()); ++i) cols << def.fields[i].name + "=" + r.boundValue(i).toString();
        out << cols.join('|');
    }
    return out;
}

// The calculated rows of an employee in the demo's working month and sheet.
QStringList calculatedRows(Database& db, const QString& employee) {
    return eventRows(db, QStringLiteral("CODFUN = ? AND FLAG = '*' AND OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = 'F'"),
                     {employee});
}

// The demo installation at `root` with company 1 open at branch 001, the
// supervisor signed in.
std::unique_ptr<Session> demoSession(const QString& root, UserInterface& ui) {
    auto session = std::make_unique<Session>(Installation(root));
    OpenDemoCompany(*session, ui, 1);
    session->startUp(ui);
    return session;
}

// Texts of this screen's entries in this month's audit log.
QStringList auditTexts(Session& session, const QString& screen) {
    const QDate today = QDate::currentDate();
    if (!session.zorvan().hasTable(Registry::auditLogName(today.month(), today.year()))) return {};
    Table log(session.zorvan(), Registry::instance().auditLogTable(today.month(), today.year()));
    QStringList out;
    for (const Record& r : log.select(QStringLiteral("Janela = ?"), {screen}, QStringLiteral("AutoInc")))
        out << r.text("Acao") + ":" + r.text("Log") + " [" + QString::number(r.integer("Filial")) + " " + r.text("Usuario") +
                   " " + r.text("Tabela") + "]";
    return out;
}

template <typename T>
T* child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

class PayrollScreens : public ::testing::Test {
protected:
    void SetUp() override {
        registers::ForgetChosenEmployee();
        openAt(QStringLiteral("a"));
    }
    void TearDown() override { registers::ForgetChosenEmployee(); }

    // A fresh demo installation in the subfolder `name`, open for the screens.
    void openAt(const QString& name) {
        session.reset();
        root = d.path() + "/" + name;
        session = demoSession(root, ui);
        ui.boxes.clear();
    }
    // A second, identical installation: built, then `folha` run on it.
    std::unique_ptr<Session> twin(const QList<QStringList>& commands, const QString& name = QStringLiteral("a")) {
        const QString otherRoot = other.path() + "/" + name;
        RecordingUi quiet;
        { demoSession(otherRoot, quiet); }
        for (const QStringList& args : commands) {
            const CliRun r = runFolha(otherRoot, args);
            EXPECT_LE(r.status, 1) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        }
        auto s = std::make_unique<Session>(Installation(otherRoot));
        auto row = Table(s->companyListDb(), "EmpresaFOLHA").find({1});
        EXPECT_TRUE(row.has_value());
        if (row) s->SetaDiretorio(row->text("Diretorio"));
        return s;
    }
    // The same installation, another company open.
    void switchCompany(int company) {
        auto row = Table(session->companyListDb(), "EmpresaFOLHA").find({company});
        ASSERT_TRUE(row.has_value());
        session->SetaDiretorio(row->text("Diretorio"));
        session->signIn.CurrentCompanyCode = company;
    }
    qint64 calculatedCount() { return Table(session->folha(), "OCORRENC").count(QStringLiteral("FLAG = '*'")); }

    TempDir d;
    TempDir other;
    RecordingUi ui;
    QString root;
    std::unique_ptr<Session> session;
};

// --- What the screens write equals what the command line writes ------------

TEST_F(PayrollScreens, PayrollRowsEqualTheCommandLinesRun) {
    const struct {
        const char* first;
        const char* last;
        bool family;
        bool automatic;
        QStringList args;
    } cases[] = {
        {"", "", false, false, {"calc", "--company", "1", "--branch", "001"}},
        {"3", "000012", true, true,
         {"calc", "--company", "1", "--branch", "001", "--from", "3", "--to", "000012", "--family-allowance", "--auto"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString name = QString::number(&c - cases);
        openAt(name);
        const qint64 before = calculatedCount();
        TfoCalculosFolha screen(*session, ui);
        ui.rowsBar = screen.rowsBar();
        ui.rowSteps = ui.rowStepsShown = ui.mostRows = 0;
        screen.range()->firstField()->setText(c.first);
        screen.range()->lastField()->setText(c.last);
        screen.familyAllowanceBox()->setChecked(c.family);
        screen.automaticBox()->setChecked(c.automatic);
        child<QPushButton>(screen, "BotaoCalcularFolha")->click();
        ASSERT_TRUE(screen.lastRun().has_value());
        EXPECT_GT(screen.lastRun()->employeesCalculated, 0);
        EXPECT_GT(calculatedCount(), before);
        auto reference = twin({c.args}, name);
        EXPECT_EQ(eventRows(session->folha()), eventRows(reference->folha()));
        // The closing message counts the employees calculated.
        ASSERT_FALSE(ui.boxes.isEmpty());
        EXPECT_EQ(ui.boxes.last().text, QStringLiteral("%1 funcionário(s) calculado(s)").arg(screen.lastRun()->employeesCalculated));
        EXPECT_EQ(ui.boxes.last().icon, QMessageBox::Information);
        // The audit entry the command line writes.
        const QStringList audit = auditTexts(*session, "TfoCalculosFolha");
        ASSERT_EQ(audit.size(), 1);
        EXPECT_TRUE(audit[0].startsWith("C:")) << audit[0].toStdString();
        EXPECT_EQ(audit, auditTexts(*reference, "folha calc"));
        // The rows bar followed the rows of the employees.
        EXPECT_GT(ui.mostRows, 1);
        EXPECT_GT(ui.rowSteps, screen.lastRun()->employeesCalculated);
        EXPECT_EQ(ui.rowStepsShown, ui.rowSteps);
        EXPECT_EQ(screen.employeesBar()->value(), screen.employeesBar()->maximum());
    }
}

TEST_F(PayrollScreens, AdvanceRowsEqualTheCommandLinesRun) {
    const struct {
        const char* onSalary;
        const char* month;
        const char* event;
        bool writeNet;
        const char* first;
        const char* last;
        QStringList args;
    } cases[] = {
        {"Sim", "201304", "", false, "", "", {"advance", "--company", "1", "--branch", "001"}},
        {"Não", "201304", "13", true, "1", "10",
         {"advance", "--company", "1", "--branch", "001", "--base-event", "13", "--base-month", "201304", "--write-net",
          "--from", "1", "--to", "10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString name = QString::number(&c - cases);
        openAt(name);
        TfoCalcAdiantamento screen(*session, ui);
        EXPECT_EQ(screen.baseMonthBox()->text(), QStringLiteral("201304")); // the branch's working month
        screen.range()->firstField()->setText(c.first);
        screen.range()->lastField()->setText(c.last);
        screen.baseOnSalaryBox()->setCurrentText(QString::fromUtf8(c.onSalary));
        screen.baseMonthBox()->setText(c.month);
        screen.baseEventBox()->setText(c.event);
        screen.writeNetBox()->setChecked(c.writeNet);
        child<QPushButton>(screen, "BotaoCalcular")->click();
        ASSERT_TRUE(screen.lastRun().has_value());
        EXPECT_FALSE(screen.lastRun()->refused);
        EXPECT_GT(screen.lastRun()->employeesCalculated, 0);
        EXPECT_GT(Table(session->folha(), "OCORRENC").count("TIPOFOLHA = 'A'"), 0);
        auto reference = twin({c.args}, name);
        EXPECT_EQ(eventRows(session->folha()), eventRows(reference->folha()));
        EXPECT_EQ(auditTexts(*session, "TfoCalcAdiantamento").size(), 1);
        EXPECT_EQ(auditTexts(*session, "TfoCalcAdiantamento"), auditTexts(*reference, "folha advance"));
    }
}

// The base as typed on the advance screen, read by the engine the command
// line uses too.
TEST(AdvanceBase, TypedOnTheScreenAsTheRunTakesIt) {
    const struct {
        const char* onSalary;
        const char* month;
        const char* event;
        bool baseOnSalary;
        const char* baseMonth;
        const char* baseEvent;
        const char* refusal;
    } cases[] = {
        {"Sim", "201304", "13", true, "", "", nullptr},
        {"Não", " 201304 ", " 13 ", false, "201304", "013", nullptr},
        {"Não", "201212", "5", false, "201212", "005", nullptr},
        {"Não", "201304", "", false, "201304", "", nullptr}, // the run refuses it with its message
        {"Não", "201304", "1x", false, "", "", "Código de ocorrência inválido: 1x"},
        {"Não", "201304", "1234", false, "", "", "Código de ocorrência inválido: 1234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event);
        payroll::AdvanceOptions o;
        try {
            payroll::SetTypedAdvanceBase(o, QString::fromUtf8(c.onSalary), c.month, c.event);
            EXPECT_EQ(c.refusal, nullptr);
            EXPECT_EQ(o.baseOnSalary, c.baseOnSalary);
            EXPECT_EQ(o.baseMonth, QString::fromUtf8(c.baseMonth));
            EXPECT_EQ(o.baseEvent, QString::fromUtf8(c.baseEvent));
        } catch (const UserError& e) {
            ASSERT_NE(c.refusal, nullptr) << e.message().toStdString();
            EXPECT_EQ(e.message(), QString::fromUtf8(c.refusal));
        }
    }
}

TEST_F(PayrollScreens, AdvanceRefusesABadBaseAndWritesNothing) {
    const struct {
        const char* month;
        const char* event;
        const char* message;
    } cases[] = {
        {"201304", "1x", "Código de ocorrência inválido: 1x"},
        {"201304", "", "Informe a ocorrência na base do adiantamento"},
        {"201304", "999", "Ocorrência na base não cadastrada: 999"},
        {"201399", "013", "Ano e mês da base inválido: 201399 (use AAAAMM, com o mês de 01 a 12)"},
    };
    const QStringList before = eventRows(session->folha());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ui.boxes.clear();
        TfoCalcAdiantamento screen(*session, ui);
        screen.baseOnSalaryBox()->setCurrentText(QStringLiteral("Não"));
        screen.baseMonthBox()->setText(c.month);
        screen.baseEventBox()->setText(c.event);
        screen.BotaoCalcularClick();
        EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(eventRows(session->folha()), before);
    }
    EXPECT_TRUE(auditTexts(*session, "TfoCalcAdiantamento").isEmpty());
}

TEST_F(PayrollScreens, UndoLeavesWhatTheCommandLinesUndoLeaves) {
    const QStringList calc{"calc", "--company", "1", "--branch", "001"};
    ASSERT_LE(runFolha(root, calc).status, 1);
    auto reference = twin({calc, {"undo", "--company", "1", "--branch", "001", "--employee", "10", "--yes"}});
    ASSERT_FALSE(calculatedRows(session->folha(), "000010").isEmpty());

    TfoDescalcularFolha screen(*session, ui);
    screen.chooseOnShow = false;
    screen.show();
    screen.setChoice({"2013", "04", "F - Folha", "10"});
    EXPECT_EQ(screen.current().employee, QStringLiteral("000010"));
    screen.BotaoDescalcularClick();
    EXPECT_EQ(ui.texts(), (QStringList{"Tem certeza que deseja descalcular a folha?",
                                       QStringLiteral("Ok, procedimento concluído! %1 linha(s) calculada(s) removida(s).")
                                           .arg(screen.rowsRemoved())}));
    EXPECT_FALSE(screen.isVisible());
    EXPECT_GT(screen.rowsRemoved(), 0);
    EXPECT_TRUE(calculatedRows(session->folha(), "000010").isEmpty());
    EXPECT_EQ(eventRows(session->folha()), eventRows(reference->folha()));
    const QStringList audit = auditTexts(*session, "TfoDescalcularFolha");
    ASSERT_EQ(audit.size(), 1);
    EXPECT_EQ(audit[0], QStringLiteral("E:Descalcular 000010 04/2013 folha F: %1 registro(s) [1 000001 OCORRENC]")
                            .arg(screen.rowsRemoved()));
    EXPECT_EQ(audit, auditTexts(*reference, "folha undo"));
}

// --- Wiring ----------------------------------------------------------------

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
        // The box's code comes selected: the one chosen takes its place.
        dialog->clearSelection();
        dialog->addCurrent();
        dialog->confirm();
    });
    button->click();
}

TEST_F(PayrollScreens, FirstLookupAlsoFillsTheFinalCodeAndTheSecondOnlyItsOwn) {
    TfoCalculosFolha payroll(*session, ui);
    TfoCalcAdiantamento advance(*session, ui);
    for (ui::EmployeeRange* range : {payroll.range(), advance.range()}) {
        QString first, last;
        pickRow(range->firstButton(), 2, &first);
        ASSERT_FALSE(first.isEmpty());
        EXPECT_EQ(range->firstField()->text(), first);
        EXPECT_EQ(range->lastField()->text(), first);
        pickRow(range->lastButton(), 5, &last);
        EXPECT_EQ(range->firstField()->text(), first);
        EXPECT_EQ(range->lastField()->text(), last);
        EXPECT_NE(first, last);
    }
    EXPECT_TRUE(ui.boxes.isEmpty());
}

// Every calculation screen, as the menu opens it, with its run button.
const struct JobScreenCase {
    const char* name;
    const char* runButton;
    const char* countText; // what one done is called in the closing message
    const char* sheet;     // the branch's sheet type the calculation asks
} JobScreens[] = {
    {"TfoCalculosFolha", "BotaoCalcularFolha", "funcionário(s) calculado(s)", "F"},
    {"TfoCalcAdiantamento", "BotaoCalcular", "adiantamento(s) calculado(s)", "F"},
    {"TfoCalcFeriasMedias", "BotaoCalcular", "funcionário(s) calculado(s)", "I"},
    {"TfoCalc13Medias", "BotaoCalcular", "funcionário(s) calculado(s)", "D"},
    {"TfoCalcResciHorasExtras", "BotaoImprimir", "funcionário(s) calculado(s)", "F"},
};

std::unique_ptr<ui::JobScreen> openJobScreen(const char* name, Session& session, UserInterface& ui) {
    QWidget* w = ScreenCatalog::instance().create(QString::fromLatin1(name), session, ui, nullptr);
    auto* screen = qobject_cast<ui::JobScreen*>(w);
    EXPECT_NE(screen, nullptr) << name;
    if (!screen) delete w;
    return std::unique_ptr<ui::JobScreen>(screen);
}

// The range typed in one company comes back in that company only: another
// company, a range kept by an earlier version without the company, or the
// employee chosen last on another screen never fill it.
TEST_F(PayrollScreens, TheRangeIsRememberedPerCompanyOnly) {
    for (const auto& s : JobScreens) {
        SCOPED_TRACE(s.name);
        ui::RememberScreenField(*session, s.name, "FuncionarioInicial", "000099"); // the old key
        registers::RememberChosenEmployee("000045");
        {
            auto w = openJobScreen(s.name, *session, ui);
            ASSERT_TRUE(w);
            EXPECT_EQ(w->range()->firstField()->text(), QString());
            w->show();
            QTest::keyClicks(w->range()->firstField(), "3");
            QTest::keyClicks(w->range()->lastField(), "17");
            w->close();
        }
        switchCompany(2);
        {
            auto w = openJobScreen(s.name, *session, ui);
            EXPECT_EQ(w->range()->firstField()->text(), QString());
            EXPECT_EQ(w->range()->lastField()->text(), QString());
            w->show();
            QTest::keyClicks(w->range()->firstField(), "5");
            w->close();
        }
        switchCompany(1);
        auto w = openJobScreen(s.name, *session, ui);
        EXPECT_EQ(w->range()->firstField()->text(), QStringLiteral("3"));
        EXPECT_EQ(w->range()->lastField()->text(), QStringLiteral("17"));
    }
}

// Enter goes from field to field and completes the code left; Enter on the
// last field starts nothing.
TEST_F(PayrollScreens, EnterMovesOnAndCompletesTheCodes) {
    for (const auto& s : JobScreens) {
        SCOPED_TRACE(s.name);
        ui.boxes.clear();
        auto w = openJobScreen(s.name, *session, ui);
        ASSERT_TRUE(w);
        w->show();
        QApplication::setActiveWindow(w.get());
        QLineEdit* first = w->range()->firstField();
        QLineEdit* last = w->range()->lastField();
        first->setFocus();
        QTest::keyClicks(first, "10");
        QTest::keyClick(first, Qt::Key_Return);
        EXPECT_EQ(first->text(), QStringLiteral("000010"));
        EXPECT_EQ(QApplication::focusWidget(), last);
        QTest::keyClicks(last, "12");
        QTest::keyClick(last, Qt::Key_Enter);
        EXPECT_EQ(last->text(), QStringLiteral("000012"));
        EXPECT_NE(QApplication::focusWidget(), last);
        EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join('\n').toStdString();
        EXPECT_EQ(calculatedCount(), Table(session->folha(), "OCORRENC").count(QStringLiteral("FLAG = '*'")));
    }
}

// A run that calculates nobody says so as a warning, and one that does
// says how many.
TEST_F(PayrollScreens, TheClosingMessageCountsWhatWasDone) {
    for (const auto& s : JobScreens) {
        SCOPED_TRACE(s.name);
        for (const bool nobody : {true, false}) {
            openAt(QStringLiteral("%1-%2").arg(s.name).arg(nobody));
            Table branches(session->folha(), QStringLiteral("Filial"));
            Record branch = *branches.find({"001"});
            branches.update(branch.set("TIPO_FOL", s.sheet));
            auto w = openJobScreen(s.name, *session, ui);
            ASSERT_TRUE(w);
            w->show();
            QTest::keyClicks(w->range()->firstField(), nobody ? "900000" : "1");
            QTest::keyClicks(w->range()->lastField(), nobody ? "900001" : "999999");
            QTest::mouseClick(child<QPushButton>(*w, s.runButton), Qt::LeftButton);
            ASSERT_FALSE(ui.boxes.isEmpty());
            const RecordingUi::Box box = ui.boxes.last();
            if (nobody) {
                EXPECT_EQ(box.text, QStringLiteral("0 ") + QString::fromUtf8(s.countText));
                EXPECT_EQ(box.icon, QMessageBox::Warning);
            } else {
                EXPECT_TRUE(box.text.section('\n', 0, 0).endsWith(QString::fromUtf8(s.countText))) << box.text.toStdString();
                EXPECT_FALSE(box.text.startsWith("0 ")) << box.text.toStdString();
                EXPECT_EQ(box.icon, QMessageBox::Information) << box.text.toStdString();
            }
            EXPECT_FALSE(ui.texts().contains("Procedimento concluído!"));
        }
    }
}

TEST_F(PayrollScreens, ABadCodeIsRefusedAndNothingRuns) {
    const struct {
        const char* first;
        const char* last;
        const char* message;
    } cases[] = {
        {"12a", "", "Código de funcionário inválido: 12a"},
        {"1", "1 2", "Código de funcionário inválido: 1 2"},
    };
    const qint64 before = calculatedCount();
    for (const auto& c : cases) {
        ui.boxes.clear();
        TfoCalculosFolha screen(*session, ui);
        screen.range()->firstField()->setText(c.first);
        screen.range()->lastField()->setText(c.last);
        screen.BotaoCalcularFolhaClick();
        EXPECT_EQ(ui.texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_FALSE(screen.lastRun().has_value());
        EXPECT_EQ(calculatedCount(), before);
    }
    EXPECT_TRUE(auditTexts(*session, "TfoCalculosFolha").isEmpty());
}

TEST_F(PayrollScreens, AMissingEventCodeIsALineOfTheLogBox) {
    // Employee 000001 has a row of event 013; the event is gone.
    ASSERT_TRUE(Table(session->folha(), "HISTFP").remove({"013"}));
    TfoCalculosFolha screen(*session, ui);
    screen.range()->firstField()->setText("1");
    screen.range()->lastField()->setText("2");
    screen.BotaoCalcularFolhaClick();
    ASSERT_TRUE(screen.lastRun().has_value());
    EXPECT_EQ(screen.lastRun()->employeesCalculated, 2);
    EXPECT_EQ(screen.logBox()->toPlainText(), QStringLiteral("Funcionário 000001: histórico 013 não cadastrado"));
    EXPECT_TRUE(screen.logBox()->isReadOnly());
    // A second run starts an empty log.
    screen.range()->firstField()->setText("2");
    screen.BotaoCalcularFolhaClick();
    EXPECT_EQ(screen.logBox()->toPlainText(), QString());
}

TEST_F(PayrollScreens, UndoChecksItsFieldsInOrderAndKeepsTypedRowsAndOtherSheets) {
    ASSERT_LE(runFolha(root, {"calc", "--company", "1", "--branch", "001"}).status, 1);
    // A calculated row of another sheet of the same month and employee.
    Table ocorrenc(session->folha(), "OCORRENC");
    Record vacation = ocorrenc.newRecord();
    vacation.set("OCORRANO", QStringLiteral("2013")).set("OCORRMES", QStringLiteral("04"));
    vacation.set("TIPOFOLHA", QStringLiteral("I")).set("HCODIGO", QStringLiteral("001"));
    vacation.set("CODFUN", QStringLiteral("000010")).set("FLAG", QStringLiteral("*"));
    vacation.setNumber("VALOR", Fixed::fromInt(100));
    ocorrenc.insert(vacation);
    const QStringList typed = eventRows(session->folha(), "CODFUN = '000010' AND (FLAG IS NULL OR FLAG <> '*')");
    ASSERT_FALSE(typed.isEmpty());
    const QStringList otherSheet = eventRows(session->folha(), "CODFUN = '000010' AND TIPOFOLHA <> 'F'");
    ASSERT_EQ(otherSheet.size(), 1);
    const QStringList before = eventRows(session->folha());
    const QStringList others = eventRows(session->folha(), "CODFUN <> '000010'");

    const struct {
        TfoDescalcularFolha::Choice choice;
        QStringList boxes;
    } refused[] = {
        {{"", "", "", ""}, {"Preencher o ano!"}},
        {{"2013", "", "", ""}, {"Preencher o mês!"}},
        {{"", "04", "F - Folha", "10"}, {"Preencher o ano!"}},
        {{"2013", "04", "", "10"}, {"Preencher o tipo da folha!"}},
        {{"2013", "04", "F - Folha", ""}, {"Preencher o código do funcionário!"}},
        {{"2013", "04", "F - Folha", "10"}, {"Tem certeza que deseja descalcular a folha?"}}, // answered No
    };
    TfoDescalcularFolha screen(*session, ui);
    screen.chooseOnShow = false;
    screen.show();
    ui.answer = QMessageBox::No;
    for (const auto& r : refused) {
        SCOPED_TRACE(r.boxes.join(' ').toStdString());
        ui.boxes.clear();
        screen.setChoice(r.choice);
        screen.BotaoDescalcularClick();
        EXPECT_EQ(ui.texts(), r.boxes);
        EXPECT_TRUE(screen.isVisible());
        EXPECT_EQ(eventRows(session->folha()), before);
    }
    ui.answer = QMessageBox::Yes;
    ui.boxes.clear();
    screen.BotaoDescalcularClick();
    EXPECT_EQ(ui.texts(), (QStringList{"Tem certeza que deseja descalcular a folha?",
                                       QStringLiteral("Ok, procedimento concluído! %1 linha(s) calculada(s) removida(s).")
                                           .arg(screen.rowsRemoved())}));
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(eventRows(session->folha(), "CODFUN = '000010' AND (FLAG IS NULL OR FLAG <> '*')"), typed);
    EXPECT_EQ(eventRows(session->folha(), "CODFUN = '000010' AND TIPOFOLHA <> 'F'"), otherSheet);
    EXPECT_TRUE(eventRows(session->folha(), "CODFUN = '000010' AND OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = 'F' AND FLAG = '*'").isEmpty());
    // The other employees keep their calculation.
    EXPECT_EQ(eventRows(session->folha(), "CODFUN <> '000010'"), others);
    EXPECT_FALSE(calculatedRows(session->folha(), "000011").isEmpty());
}

TEST_F(PayrollScreens, UndoOpensTheChooserAtOnceAndTakesItsChoice) {
    TfoDescalcularFolha screen(*session, ui);
    bool opened = false;
    // Showing the screen queues the chooser; this comes after it, inside
    // the chooser's own loop.
    screen.show();
    QTimer::singleShot(0, &screen, [&] {
        // The chooser is up, on the branch's period; the screen's fields are
        // empty yet.
        auto* chooser = qobject_cast<ui::TfoEscolheFunc*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        opened = true;
        EXPECT_EQ(chooser->year(), QStringLiteral("2013"));
        EXPECT_EQ(chooser->month(), QStringLiteral("04"));
        chooser->setEmployeeText("5");
        for (QPushButton* b : chooser->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Escolher")) b->click();
    });
    QElapsedTimer waited;
    waited.start();
    while (!opened && waited.elapsed() < 5000) QApplication::processEvents();
    ASSERT_TRUE(opened);
    QApplication::processEvents();
    EXPECT_EQ(screen.current().year, QStringLiteral("2013"));
    EXPECT_EQ(screen.current().month, QStringLiteral("04"));
    EXPECT_EQ(screen.current().sheetText, QStringLiteral("F - Folha"));
    EXPECT_EQ(screen.current().employee, QStringLiteral("000005"));
    EXPECT_EQ(screen.employeeName(), Table(session->folha(), "CADFUN").find({"000005"})->text("NOME"));
    EXPECT_FALSE(screen.employeeName().isEmpty());

    // "Período" again: the chooser gets the screen's values; a cancel keeps them.
    TfoDescalcularFolha::Choice seen;
    screen.BotaoPeriodoClick([&](const TfoDescalcularFolha::Choice& now) {
        seen = now;
        return std::optional<TfoDescalcularFolha::Choice>();
    });
    EXPECT_EQ(seen.employee, QStringLiteral("000005"));
    EXPECT_EQ(seen.sheetText, QStringLiteral("F - Folha"));
    EXPECT_EQ(screen.current().employee, QStringLiteral("000005"));
    screen.BotaoPeriodoClick([](const TfoDescalcularFolha::Choice&) {
        return std::optional<TfoDescalcularFolha::Choice>({"2012", "11", "D - 13º Salário", "12"});
    });
    EXPECT_EQ(screen.current().sheetText, QStringLiteral("D - 13º Salário"));
    EXPECT_EQ(screen.current().employee, QStringLiteral("000012"));
    EXPECT_EQ(screen.employeeName(), Table(session->folha(), "CADFUN").find({"000012"})->text("NOME"));

    // The real chooser opens on the screen's values; closing it without
    // "Escolher" changes nothing.
    bool reopened = false;
    QTimer::singleShot(0, &screen, [&] {
        auto* chooser = qobject_cast<ui::TfoEscolheFunc*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        reopened = true;
        EXPECT_EQ(chooser->year(), QStringLiteral("2012"));
        EXPECT_EQ(chooser->month(), QStringLiteral("11"));
        EXPECT_EQ(chooser->sheetText(), QStringLiteral("D - 13º Salário"));
        EXPECT_EQ(chooser->employeeText(), QStringLiteral("000012"));
        chooser->setEmployeeText("7");
        chooser->reject();
    });
    child<QPushButton>(screen, "BotaoPeriodo")->click();
    EXPECT_TRUE(reopened);
    EXPECT_EQ(screen.current().year, QStringLiteral("2012"));
    EXPECT_EQ(screen.current().employee, QStringLiteral("000012"));
}

TEST_F(PayrollScreens, ACancelledRunLeavesWholeEmployeesAndSaysHowMany) {
    auto reference = twin({{"calc", "--company", "1", "--branch", "001"}});
    std::map<QString, QStringList> before;
    const std::vector<Record> employees = Table(session->folha(), "CADFUN").select();
    for (const Record& e : employees) before[e.text("CODFUN")] = calculatedRows(session->folha(), e.text("CODFUN"));
    ui.cancelAt = 4;
    TfoCalculosFolha screen(*session, ui);
    screen.show();
    screen.BotaoCalcularFolhaClick();
    ASSERT_TRUE(screen.lastRun().has_value());
    const payroll::RunSummary s = *screen.lastRun();
    EXPECT_TRUE(s.cancelled);
    EXPECT_GT(s.employeesCalculated, 0);
    EXPECT_LE(s.employeesRead, 5);
    // Every employee has either all the rows the full run writes or those
    // of before the run.
    int whole = 0, untouched = 0;
    for (const Record& e : employees) {
        const QString code = e.text("CODFUN");
        const QStringList mine = calculatedRows(session->folha(), code);
        const QStringList full = calculatedRows(reference->folha(), code);
        if (mine == before[code]) {
            if (mine != full) ++untouched;
            continue;
        }
        ++whole;
        EXPECT_EQ(mine, full) << code.toStdString();
    }
    EXPECT_EQ(whole, s.employeesCalculated);
    EXPECT_GT(untouched, 0);
    EXPECT_TRUE(ui.texts().contains(QStringLiteral("Cálculo interrompido pelo usuário: %1 funcionário(s) calculado(s); "
                                                   "os demais não foram calculados.")
                                        .arg(s.employeesCalculated)))
        << ui.texts().join('\n').toStdString();
    const QStringList audit = auditTexts(*session, "TfoCalculosFolha");
    ASSERT_EQ(audit.size(), 1);
    EXPECT_TRUE(audit[0].contains(", interrompido pelo usuário [")) << audit[0].toStdString();
}

TEST_F(PayrollScreens, EveryScreenIsInTheCatalogAndTheGrabsOpenNoDialog) {
    std::unique_ptr<QWidget> undo(TfoDescalcularFolha::createForGrab(*session, ui, nullptr));
    undo->show();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    auto* u = static_cast<TfoDescalcularFolha*>(undo.get());
    EXPECT_EQ(u->current().year, QStringLiteral("2013"));
    EXPECT_FALSE(u->employeeName().isEmpty());
    QStringList names;
    RegisterPayrollScreens([&](const QString& name, auto) { names << name; });
    EXPECT_EQ(names, (QStringList{"TfoCalculosFolha", "TfoCalcAdiantamento", "TfoDescalcularFolha",
                                  "TfoDescalcularFolha-grab"}));
}

} // namespace
