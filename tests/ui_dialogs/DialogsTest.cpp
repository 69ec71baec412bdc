#include "EmployeeChoice.h"
#include "EscolheFunc.h"
#include "SelecaoMultipla.h"
#include "ScriptedUi.h"
#include "registers/RegistersFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

using namespace folha;
using namespace folha::registers;
using namespace folha::ui;

namespace {

const QString BaseQuery = QStringLiteral(" SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN ");

class DialogsTest : public folha::testing::RegistersFixture {
protected:
    void TearDown() override {
        ForgetChosenEmployee();
        SetSelectedCodesText({});
    }
    std::unique_ptr<TFoSelecaoMultipla> dialog(int maximum, QLineEdit* box, const QString& ordering = "Order by CODFUN") {
        auto d = std::make_unique<TFoSelecaoMultipla>(
            *db, std::make_unique<QuerySelectionList>(SelectionSource{BaseQuery, {}, ordering, "CODFUN", "NOME"}),
            CodeColumn, "'", box, maximum, ui);
        d->prepare();
        return d;
    }
    template <typename W> static W* child(QWidget& d, const char* name) {
        W* w = d.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QStringList listCodes(QWidget& d) {
        auto* view = child<QTableView>(d, "Lista");
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r) out << view->model()->index(r, 0).data().toString();
        return out;
    }
    static QStringList selectedCodes(QWidget& d) {
        auto* view = child<QTableView>(d, "Selecao");
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r) out << view->model()->index(r, 0).data().toString();
        return out;
    }
    // Types a search and presses Enter in the value box.
    static void searchFor(QWidget& d, const QString& typed, const QString& mode, const QString& column = "Descricao") {
        child<QComboBox>(d, "PesquisarEm")->setCurrentText(column);
        child<QComboBox>(d, "Logico")->setCurrentText(mode);
        auto* value = child<QLineEdit>(d, "Valor");
        value->clear();
        QTest::keyClicks(value, typed);
        QTest::keyClick(value, Qt::Key_Return);
    }
    static void doubleClickListRow(QWidget& d, int row) {
        auto* view = child<QTableView>(d, "Lista");
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    ScriptedUi ui;
};

TEST_F(DialogsTest, OpensWithEveryRowDescricaoAndContendo) {
    auto d = dialog(10, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Filtro de Seleção Multipla :"));
    EXPECT_EQ(child<QComboBox>(*d, "PesquisarEm")->currentText(), QStringLiteral("Descricao"));
    EXPECT_EQ(child<QComboBox>(*d, "Logico")->currentText(), QStringLiteral("Contendo"));
    EXPECT_EQ(listCodes(*d), (QStringList{"000001", "000005", "000012", "000045", "000123", "000124", "001200"}));
}

TEST_F(DialogsTest, ContendoAndIniciandoWithTypedTextInCapitals) {
    auto d = dialog(10, nullptr);
    searchFor(*d, "ana", "Contendo");
    EXPECT_EQ(child<QLineEdit>(*d, "Valor")->text(), QStringLiteral("ANA"));
    EXPECT_EQ(listCodes(*d), (QStringList{"000001", "000012", "001200"}));
    searchFor(*d, "ana", "Iniciando");
    EXPECT_EQ(listCodes(*d), (QStringList{"000001"}));
    searchFor(*d, "0012", "Iniciando", "Codigo");
    EXPECT_EQ(listCodes(*d), (QStringList{"001200"}));
    searchFor(*d, "", "Contendo");
    EXPECT_EQ(listCodes(*d).size(), 7);
}

TEST_F(DialogsTest, AQuoteInTheTypedTextIsSearchedSafely) {
    auto d = dialog(10, nullptr);
    searchFor(*d, "o'brien", "Contendo");
    EXPECT_EQ(listCodes(*d), (QStringList{"000045"}));
    searchFor(*d, "x') or ('1'='1", "Contendo");
    EXPECT_TRUE(listCodes(*d).isEmpty());
    EXPECT_TRUE(ui.entries.isEmpty());
}

TEST_F(DialogsTest, DoubleClickWithMaximumOneWritesTheQuotedCodeAndCloses) {
    QLineEdit box;
    auto d = dialog(1, &box);
    d->show();
    searchFor(*d, "000123", "Contendo", "Codigo");
    doubleClickListRow(*d, 0);
    EXPECT_EQ(box.text(), QStringLiteral("'000123'"));
    EXPECT_EQ(SelectedCodesText(), QStringLiteral("'000123'"));
    EXPECT_TRUE(d->confirmed());
    EXPECT_FALSE(d->isVisible());
}

TEST_F(DialogsTest, TheMaximumRefusesOneMoreRow) {
    QLineEdit box;
    auto d = dialog(2, &box);
    d->show();
    auto* add = child<QToolButton>(*d, "Adiciona");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(selectedCodes(*d), (QStringList{"000001", "000005"}));
    EXPECT_TRUE(ui.entries.isEmpty());
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(selectedCodes(*d), (QStringList{"000001", "000005"}));
    EXPECT_EQ(ui.texts("warning"),
              QStringList{"O numero máximo de registros possiveis de selecionar já foi ultrapassado!"});
    // Inserting all the found rows stops at the maximum too.
    QTest::mouseClick(child<QToolButton>(*d, "Limpa"), Qt::LeftButton);
    searchFor(*d, "ana", "Contendo");
    QTest::mouseClick(child<QToolButton>(*d, "InserirTodos"), Qt::LeftButton);
    EXPECT_EQ(selectedCodes(*d), (QStringList{"000001", "000012"}));
    EXPECT_EQ(ui.texts("warning").size(), 2);
    QTest::keyClick(d.get(), Qt::Key_F3);
    EXPECT_EQ(box.text(), QStringLiteral("'000001','000012'"));
}

TEST_F(DialogsTest, InsertAllWithNothingMarkedAndNothingTypedIsRefused) {
    auto d = dialog(10, nullptr);
    d->show();
    QTest::mouseClick(child<QToolButton>(*d, "InserirTodos"), Qt::LeftButton);
    EXPECT_EQ(ui.texts("error"),
              QStringList{"Selecione um ou mais registros, ou faça alguma pesquisa para selecionar os registros!"});
    EXPECT_TRUE(selectedCodes(*d).isEmpty());
}

TEST_F(DialogsTest, TheBoxSelectionReappearsSelected) {
    QLineEdit box;
    box.setText("'000001','000005'");
    auto d = dialog(10, &box);
    EXPECT_EQ(selectedCodes(*d), (QStringList{"000001", "000005"}));
    // Esc leaves the box alone.
    d->show();
    QTest::mouseClick(child<QToolButton>(*d, "Remove"), Qt::LeftButton);
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_FALSE(d->confirmed());
    EXPECT_EQ(box.text(), QStringLiteral("'000001','000005'"));
}

TEST_F(DialogsTest, ConfirmingAfterClearingWritesAnEmptyText) {
    QLineEdit box;
    box.setText("'000001','000005'");
    auto d = dialog(10, &box);
    d->show();
    auto* list = child<QTableView>(*d, "Lista");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(2, 0)).center());
    QTest::mouseClick(child<QToolButton>(*d, "Limpa"), Qt::LeftButton);
    QTest::keyClick(d.get(), Qt::Key_F3);
    EXPECT_TRUE(d->confirmed());
    EXPECT_EQ(box.text(), QString());
}

TEST_F(DialogsTest, ConfirmingAnEmptySelectionTakesTheClickedRow) {
    QLineEdit box;
    auto d = dialog(10, &box);
    d->show();
    auto* list = child<QTableView>(*d, "Lista");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(3, 0)).center());
    QTest::keyClick(d.get(), Qt::Key_F3);
    EXPECT_EQ(box.text(), QStringLiteral("'000045'"));
}

TEST_F(DialogsTest, ClickingAColumnTitleOrdersByItsField) {
    auto d = dialog(10, nullptr, {});
    d->show();
    auto* list = child<QTableView>(*d, "Lista");
    auto* header = list->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(listCodes(*d), (QStringList{"000001", "000005", "000124", "000123", "000045", "001200", "000012"}));
}

// A session whose alias "Folha" is the fixture's company, signed in at branch 001.
class ChooserTest : public DialogsTest {
protected:
    void SetUp() override {
        DialogsTest::SetUp();
        session = std::make_unique<Session>(Installation(d.path() + "/raiz"));
        session->modifyAlias("Folha", {"PATH=" + d.path() + "/empresa"});
        session->signIn.CurrentBranchCodeText = "001";
    }
    // Picks the employee `typed` in the selection dialog the pick button opens.
    void pickWithKeys(TfoEscolheFunc& chooser, const QString& typed) {
        QTimer::singleShot(0, [&, typed] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            searchFor(*modal, typed, "Iniciando", "Codigo");
            doubleClickListRow(*modal, 0);
        });
        QTest::mouseClick(child<QToolButton>(chooser, "Pesquisa"), Qt::LeftButton);
    }
    std::unique_ptr<Session> session;
};

TEST_F(ChooserTest, OpensAtTheBranchCompetenceAndSheet) {
    TfoEscolheFunc chooser(*session, ui);
    chooser.show();
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Zorvan - Folha de Pagamento - Escolha o filtro:"));
    EXPECT_EQ(chooser.year(), QStringLiteral("2013"));
    EXPECT_EQ(chooser.month(), QStringLiteral("04"));
    EXPECT_EQ(chooser.sheetText(), QStringLiteral("F - Folha"));
    EXPECT_EQ(chooser.employeeText(), QString());
}

// The events screen opens the chooser on its filter bar's period.
TEST_F(ChooserTest, OpensAtTheCallersPeriodWhenGiven) {
    TfoEscolheFunc chooser(*session, ui);
    chooser.setPeriod("2012", "11", "D");
    chooser.show();
    EXPECT_EQ(chooser.year(), QStringLiteral("2012"));
    EXPECT_EQ(chooser.month(), QStringLiteral("11"));
    EXPECT_EQ(chooser.sheetText(), QStringLiteral("D - 13º Salário"));
    TfoEscolheFunc partly(*session, ui);
    partly.setPeriod("", "03", "");
    partly.show();
    EXPECT_EQ(partly.year(), QStringLiteral("2013"));
    EXPECT_EQ(partly.month(), QStringLiteral("03"));
    EXPECT_EQ(partly.sheetText(), QStringLiteral("F - Folha"));
}

TEST_F(ChooserTest, RemembersTheLastEmployeePicked) {
    {
        TfoEscolheFunc chooser(*session, ui);
        chooser.show();
        pickWithKeys(chooser, "000045");
        EXPECT_EQ(chooser.employeeText(), QStringLiteral("'000045'"));
        QTest::mouseClick(child<QPushButton>(chooser, "Escolher"), Qt::LeftButton);
        EXPECT_TRUE(chooser.confirmed());
    }
    TfoEscolheFunc again(*session, ui);
    again.show();
    EXPECT_EQ(again.employeeText(), QStringLiteral("000045"));
    // The close box leaves the confirmation unset.
    again.close();
    EXPECT_FALSE(again.confirmed());
}

TEST_F(ChooserTest, EnterMovesToTheNextControl) {
    TfoEscolheFunc chooser(*session, ui);
    chooser.show();
    QApplication::setActiveWindow(&chooser);
    auto* year = child<QLineEdit>(chooser, "Ano");
    year->setFocus();
    QTest::keyClick(year, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(chooser, "Mes"));
    EXPECT_FALSE(chooser.confirmed());
    EXPECT_TRUE(chooser.isVisible());
}

} // namespace

namespace {

TEST_F(DialogsTest, AQueryTheDatabaseRefusesIsToldNotThrown) {
    TFoSelecaoMultipla d(*db,
                         std::make_unique<QuerySelectionList>(
                             SelectionSource{"SELECT X as Codigo, Y as Descricao FROM NAOEXISTE", {}, {}, "X", "Y"}),
                         CodeColumn, "'", nullptr, 1, ui);
    d.prepare();
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_EQ(listCodes(d), QStringList());
}

} // namespace
