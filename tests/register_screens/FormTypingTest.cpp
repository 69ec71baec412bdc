// What a clerk types on the register forms, driven by key presses and read
// back from the database: amounts the Brazilian way, codes typed short,
// dates typed whole, F8 / Ctrl+S and Escape.
#include "DemoCompany.h"
#include "EventsScreens.h"
#include "RegisterDefs.h"
#include "RegisterModel.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoCadFuncionarios.h"
#include "TfoCadastro.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace folha;

namespace {

class FormTyping : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        ui.entries.clear();
    }

    // The employee register on the panel of its first employee (F3).
    void editFirstEmployee(TfoCadFuncionarios& screen) {
        screen.show();
        screen.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
        screen.setCurrentRow(0);
        code = screen.gridModel()->index(0, 0).data().toString();
        QTest::keyClick(screen.grid(), Qt::Key_F3);
        ASSERT_TRUE(screen.editing());
    }
    // Focus on a field's box, on its page, the cursor at `at`.
    QLineEdit* focusBox(TfoCadastro& screen, const QString& field, int at = -1) {
        auto* box = qobject_cast<QLineEdit*>(screen.fieldBox(field));
        if (!box) return nullptr;
        if (screen.pages())
            for (int p = 0; p < screen.pages()->count(); ++p)
                if (screen.pages()->widget(p)->isAncestorOf(box)) screen.pages()->setCurrentIndex(p);
        box->setFocus();
        QApplication::processEvents();
        if (at >= 0) box->setCursorPosition(at);
        return box;
    }
    Record employee() { return *Table(session->folha(), "CADFUN").find({code}); }

    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
    QString code;
};

const registers::RegisterDef& Register(const char* screen) { return *registers::FindRegister(screen); }

} // namespace

// An amount typed "3.100,50", "3100,50" or "3100.50" is stored as 3100.50
// and shown "3.100,50" on the form and in the grid; F8 saves.
TEST_F(FormTyping, AmountsAreTypedAndShownTheBrazilianWay) {
    for (const char* typed : {"3.100,50", "3100,50", "3100.50"}) {
        SCOPED_TRACE(typed);
        TfoCadFuncionarios screen(*session, ui);
        editFirstEmployee(screen);
        QLineEdit* box = focusBox(screen, "VLR_SALAR");
        ASSERT_NE(box, nullptr);
        box->selectAll();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_F8);
        ASSERT_FALSE(screen.editing()) << ui.texts().join('\n').toStdString();
        EXPECT_EQ(employee().number("VLR_SALAR"), *Fixed::parse("3100.50"));
        const int column = screen.tableDef().fieldIndex("VLR_SALAR");
        EXPECT_EQ(screen.gridModel()->index(screen.currentRow(), column).data().toString(), "3.100,50");
        // The column holds the widest amount the field can hold.
        const QString widest = "99.999.999.999.999,99";
        EXPECT_GE(screen.grid()->columnWidth(column), screen.grid()->fontMetrics().horizontalAdvance(widest));
        QTest::keyClick(screen.grid(), Qt::Key_F3);
        EXPECT_EQ(screen.fieldText("VLR_SALAR"), "3.100,50");
        screen.cancelRow();
    }
}

// A wrong amount is refused with its field's name and nothing is stored.
TEST_F(FormTyping, AWrongAmountIsRefusedAndTheFormStays) {
    TfoCadFuncionarios screen(*session, ui);
    editFirstEmployee(screen);
    const Fixed before = employee().number("VLR_SALAR");
    QLineEdit* box = focusBox(screen, "VLR_SALAR");
    box->selectAll();
    QTest::keyClicks(box, "3.10,50");
    QTest::keyClick(box, Qt::Key_F8);
    EXPECT_TRUE(screen.editing());
    EXPECT_EQ(ui.texts("error"), QStringList{"Valor inválido em Valor Salário: 3.10,50 (use 1.234,56)"});
    EXPECT_EQ(employee().number("VLR_SALAR"), before);
    screen.cancelRow();
}

// A date is typed whole from wherever the cursor was, with or without its
// bars, and never mixed with the date the box held; Ctrl+S saves.
TEST_F(FormTyping, DatesAreTypedWholeFromAnyCursorPosition) {
    for (const char* typed : {"30042013", "30/04/2013"})
        for (int at : {0, 4, 10}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(typed).arg(at).toStdString());
            TfoCadFuncionarios screen(*session, ui);
            editFirstEmployee(screen);
            QLineEdit* box = focusBox(screen, "DT_NASC", at);
            ASSERT_NE(box, nullptr);
            ASSERT_FALSE(screen.fieldText("DT_NASC").isEmpty());
            QTest::keyClicks(box, typed);
            EXPECT_EQ(box->text(), "30/04/2013");
            QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
            ASSERT_FALSE(screen.editing()) << ui.texts().join('\n').toStdString();
            EXPECT_EQ(employee().date("DT_NASC"), QDate(2013, 4, 30));
        }
}

// Escape with a changed box asks before discarding (default "Não"); with
// nothing changed it leaves the form without a word.
TEST_F(FormTyping, EscapeAsksOnlyWhenSomethingChanged) {
    struct Case {
        bool change;
        QList<bool> answers;
        bool stillEditing;
    };
    for (const Case& c : {Case{false, {}, false}, Case{true, {false}, true}, Case{true, {true}, false}}) {
        ui = ScriptedUi(c.answers);
        TfoCadFuncionarios screen(*session, ui);
        editFirstEmployee(screen);
        const QString name = employee().text("NOME");
        if (c.change) QTest::keyClicks(focusBox(screen, "NOME"), "X");
        QTest::keyClick(screen.fieldBox("NOME"), Qt::Key_Escape);
        EXPECT_EQ(ui.texts("question"), c.change ? QStringList{"Descartar as alterações?"} : QStringList{});
        EXPECT_EQ(screen.editing(), c.stillEditing);
        EXPECT_EQ(employee().text("NOME"), name);
        if (screen.editing()) screen.cancelRow();
    }
}

// A code typed short is completed when its box is left: a position's own
// code, the events screen's filter, the event typed or picked in its
// insert panel.
TEST_F(FormTyping, CodesTypedShortAreCompletedWhenTheBoxIsLeft) {
    TfoCadastro positions(*session, ui, Register("TfoCadCargos"));
    positions.show();
    positions.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&positions));
    Table cargos(session->folha(), "Cargos");
    if (auto old = cargos.find({"042"})) cargos.remove(old->keyValues());
    QTest::keyClick(positions.grid(), Qt::Key_F2);
    QTest::keyClicks(focusBox(positions, "COD_CARGOS"), "42");
    QTest::keyClick(positions.fieldBox("COD_CARGOS"), Qt::Key_Return);
    EXPECT_EQ(positions.fieldText("COD_CARGOS"), "042");
    QTest::keyClicks(focusBox(positions, "NOME_CARGO"), "CONFERENTE");
    QTest::keyClick(positions.fieldBox("NOME_CARGO"), Qt::Key_F8);
    ASSERT_FALSE(positions.editing()) << ui.texts().join('\n').toStdString();
    ASSERT_TRUE(cargos.find({"042"}).has_value());
}

TEST_F(FormTyping, EventsFilterAndInsertPanelCompleteCodes) {
    TfoCadOcorrenc screen(*session, ui);
    screen.chooseOnShow = false;
    screen.show();
    screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    const int employeeColumn = 4;
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    const QString wanted = screen.gridModel()->index(screen.gridModel()->rowCount() - 1, employeeColumn).data().toString();
    auto* filterBox = screen.findChild<QLineEdit*>("edCodFunc");
    filterBox->setFocus();
    QTest::keyClicks(filterBox, QString::number(wanted.toInt()));
    QTest::keyClick(filterBox, Qt::Key_F11);
    EXPECT_EQ(filterBox->text(), wanted);
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    // Its amounts "1.800,00", in a column as wide as the largest amount.
    const int valueColumn = 6;
    const QRegularExpression amount(QStringLiteral("^\\d{1,3}(\\.\\d{3})*,\\d{2,4}$"));
    for (int r = 0; r < screen.gridModel()->rowCount(); ++r) {
        EXPECT_EQ(screen.gridModel()->index(r, employeeColumn).data().toString(), wanted);
        const QString value = screen.gridModel()->index(r, valueColumn).data().toString();
        EXPECT_TRUE(amount.match(value).hasMatch()) << value.toStdString();
    }
    EXPECT_GE(screen.grid()->columnWidth(valueColumn), screen.grid()->fontMetrics().horizontalAdvance("99.999.999.999.999,99"));

    // The search bar on the employee column: "3" is employee 000003.
    screen.clearFilters();
    screen.chooseSearchLabel(screen.gridModel()->headerData(employeeColumn, Qt::Horizontal).toString());
    screen.setSearchText(QString::number(wanted.toInt()));
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    EXPECT_EQ(screen.gridModel()->index(0, employeeColumn).data().toString(), wanted);

    // F2: the event is typed short or picked from its list.
    QTest::keyClick(screen.grid(), Qt::Key_F2);
    ASSERT_TRUE(screen.editing());
    QTest::keyClicks(screen.fieldBox("HCODIGO"), "95");
    QTest::keyClick(screen.fieldBox("HCODIGO"), Qt::Key_Return);
    EXPECT_EQ(screen.fieldText("HCODIGO"), "095");
    const QString description = screen.descriptionLabel("HCODIGO")->text();
    EXPECT_FALSE(description.isEmpty());
    ASSERT_TRUE(screen.pickButton("HCODIGO")->isEnabled());
    screen.pickCode("HCODIGO", [](QLineEdit* box) {
        box->setText("'070'");
        return true;
    });
    EXPECT_EQ(screen.fieldText("HCODIGO"), "070");
    EXPECT_FALSE(screen.descriptionLabel("HCODIGO")->text().isEmpty());
    EXPECT_NE(screen.descriptionLabel("HCODIGO")->text(), description);
    screen.cancelRow();
}
