// The SQL console screen: the script box, the catalogue lists, the grid and
// its navigation, the read-only refusal and the supervisor-only opening.
#include "DemoCompany.h"
#include "ScreenCatalog.h"
#include "ScriptedUi.h"
#include "SqlConsole.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoMenuFolha.h"
#include "TFSCRIPT.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace folha;

namespace {

class ScriptScreen : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        session->signIn.CurrentUserLevel = "SUP";
        ui.entries.clear();
    }
    std::unique_ptr<TFSCRIPT> open() {
        std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TFSCRIPT", *session, ui, nullptr));
        auto* screen = qobject_cast<TFSCRIPT*>(w.get());
        EXPECT_NE(screen, nullptr);
        if (!screen) return {};
        w.release();
        std::unique_ptr<TFSCRIPT> s(screen);
        s->show();
        return s;
    }
    void type(TFSCRIPT& s, const QString& script) {
        s.scriptBox()->clear();
        QTest::keyClicks(s.scriptBox(), script);
    }
    // The grid as text lines, cells joined by '|'.
    static QStringList gridLines(const TFSCRIPT& s) {
        QStringList lines;
        const QStandardItemModel* m = s.gridModel();
        QStringList header;
        for (int c = 0; c < m->columnCount(); ++c)
            header << m->headerData(c, Qt::Horizontal).toString();
        lines << header.join('|');
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            lines << cells.join('|');
        }
        return lines;
    }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

} // namespace

TEST_F(ScriptScreen, ATypedQueryFillsTheReadOnlyGridAndItsNavigation) {
    auto s = open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->windowTitle(), QStringLiteral("CONSOLE DE COMANDOS SQL :"));
    EXPECT_EQ(s->scriptBox()->toPlainText(), QStringLiteral("DIGITE AQUI O SCRIPT A SER EXECUTADO..."));
    EXPECT_EQ(s->executeButton()->text(), QStringLiteral("   EXECUTAR"));
    type(*s, "select CODFUN, NOME, VLR_SALAR from CADFUN where CODFUN <= '000004' order by CODFUN");
    QTest::mouseClick(s->executeButton(), Qt::LeftButton);
    EXPECT_EQ(ui.texts(), QStringList{"Script executado"});

    // The rows as the company's register holds them.
    QStringList expected{"CODFUN|NOME|VLR_SALAR"};
    for (const Record& r : Table(session->folha(), "CADFUN").select("CODFUN <= ?", {"000004"}, "CODFUN"))
        expected << r.text("CODFUN") + "|" + r.text("NOME") + "|" + r.number("VLR_SALAR").toString();
    EXPECT_EQ(gridLines(*s), expected);
    EXPECT_EQ(s->gridModel()->rowCount(), 4);
    EXPECT_EQ(s->statusText(), QStringLiteral("4 registro(s)"));
    EXPECT_EQ(s->grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(s->gridModel()->item(0, 1)->isEditable());

    // First, previous, next, last; the ends hold.
    const struct {
        void (TFSCRIPT::*move)();
        int row;
    } moves[] = {{&TFSCRIPT::first, 0},    {&TFSCRIPT::previous, 0}, {&TFSCRIPT::next, 1},
                 {&TFSCRIPT::next, 2},     {&TFSCRIPT::last, 3},     {&TFSCRIPT::next, 3},
                 {&TFSCRIPT::previous, 2}, {&TFSCRIPT::first, 0}};
    for (const auto& m : moves) {
        (s.get()->*m.move)();
        EXPECT_EQ(s->currentRow(), m.row);
    }

    // A second run closes the previous result first.
    type(*s, "select count(*) as N from CADFUN");
    EXPECT_TRUE(s->execute());
    EXPECT_EQ(gridLines(*s), (QStringList{"N", QString::number(Table(session->folha(), "CADFUN").count())}));
}

TEST_F(ScriptScreen, TablesAndFieldsComeFromTheDatabaseAndTheFieldGoesToTheCursor) {
    auto s = open();
    ASSERT_TRUE(s);
    SqlConsole console(session->folha());
    QStringList tables;
    for (int i = 0; i < s->tableBox()->count(); ++i)
        tables << s->tableBox()->itemText(i);
    EXPECT_EQ(tables, console.tableNames());
    ASSERT_TRUE(tables.contains("CADFUN"));

    s->tableBox()->setCurrentText("CADFUN");
    QStringList fields;
    for (int i = 0; i < s->fieldList()->count(); ++i)
        fields << s->fieldList()->item(i)->text();
    EXPECT_EQ(fields, console.fieldNames("CADFUN"));
    EXPECT_TRUE(fields.contains("NOME"));

    type(*s, "select from CADFUN");
    QTextCursor cursor = s->scriptBox()->textCursor();
    cursor.setPosition(6); // after "select"
    s->scriptBox()->setTextCursor(cursor);
    s->fieldList()->setCurrentRow(fields.indexOf("NOME"));
    QTest::mouseClick(s->findChild<QPushButton*>("BotaoInserirCampo"), Qt::LeftButton);
    EXPECT_EQ(s->scriptBox()->toPlainText(), QStringLiteral("select NOME  from CADFUN"));
    EXPECT_TRUE(s->execute());
    EXPECT_EQ(s->gridModel()->columnCount(), 1);
    EXPECT_EQ(s->gridModel()->rowCount(), Table(session->folha(), "CADFUN").count());

    // A table the console creates is listed at once; the chosen table stays.
    type(*s, "create table AUXILIAR (B integer, A text)");
    s->updateBox()->setChecked(true);
    EXPECT_TRUE(s->execute());
    QStringList after;
    for (int i = 0; i < s->tableBox()->count(); ++i)
        after << s->tableBox()->itemText(i);
    EXPECT_EQ(after, console.tableNames());
    EXPECT_TRUE(after.contains("AUXILIAR"));
    EXPECT_EQ(s->tableBox()->currentText(), QStringLiteral("CADFUN"));
    EXPECT_EQ(s->fieldList()->count(), fields.size());
}

TEST_F(ScriptScreen, AChangeNeedsUpdateAndThenLeavesItsAuditEntry) {
    auto s = open();
    ASSERT_TRUE(s);
    const QString statement = "update CADFUN set NOME = 'ALTERADO NO CONSOLE' where CODFUN = '000003'";
    const QString before = Table(session->folha(), "CADFUN").find({"000003"})->text("NOME");
    type(*s, statement);
    EXPECT_FALSE(s->execute());
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains(QStringLiteral("Marque \"UPDATE\"")))
        << ui.texts("error")[0].toStdString();
    EXPECT_FALSE(ui.texts().contains("Script executado"));
    EXPECT_TRUE(s->isVisible());
    EXPECT_EQ(s->scriptBox()->toPlainText(), statement); // the script is kept
    EXPECT_EQ(Table(session->folha(), "CADFUN").find({"000003"})->text("NOME"), before);

    // An engine error: shown, the screen stays.
    ui.entries.clear();
    type(*s, "select * from NAOEXISTE");
    EXPECT_FALSE(s->execute());
    EXPECT_TRUE(ui.texts("error").value(0).contains(QStringLiteral("Tabela não encontrada: NAOEXISTE")));
    EXPECT_TRUE(s->isVisible());

    ui.entries.clear();
    type(*s, statement);
    s->updateBox()->setChecked(true);
    QTest::mouseClick(s->executeButton(), Qt::LeftButton);
    EXPECT_EQ(ui.texts(), QStringList{"Script executado"});
    EXPECT_EQ(Table(session->folha(), "CADFUN").find({"000003"})->text("NOME"),
              QStringLiteral("ALTERADO NO CONSOLE"));
    EXPECT_EQ(s->statusText(), QStringLiteral("1 registro(s) afetado(s)"));
    const QDate today = QDate::currentDate();
    Table log(session->zorvan(), Registry::instance().auditLogTable(today.month(), today.year()));
    const auto rows = log.select("Janela = ?", {"TFSCRIPT"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("Acao"), QStringLiteral("E"));
    EXPECT_EQ(rows[0].text("Usuario"), QStringLiteral("000001"));
    EXPECT_EQ(rows[0].integer("Filial"), 1);
    EXPECT_EQ(rows[0].text("Log"), "Console SQL, 1 registro(s): " + statement);
}

TEST_F(ScriptScreen, OnlyASupervisorOpensIt) {
    for (const char* level : {"USU", ""}) {
        ui.entries.clear();
        session->signIn.CurrentUserLevel = level;
        std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TFSCRIPT", *session, ui, nullptr));
        EXPECT_EQ(w, nullptr) << level;
        ASSERT_EQ(ui.texts("error").size(), 1) << level;
        EXPECT_TRUE(ui.texts("error")[0].startsWith(
            QStringLiteral("O console SQL é liberado somente para usuários de nível SUP")));
    }
    // From the main menu: told, and no console window.
    auto consoles = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFSCRIPT*>(w)) ++n;
        return n;
    };
    TfoMenuFolha menu(*session, ui);
    menu.signInOnFirstShow = false;
    ui.entries.clear();
    menu.action("Utilitários > Console SQL")->trigger();
    EXPECT_EQ(consoles(), 0);
    EXPECT_EQ(ui.texts("error").size(), 1);

    session->signIn.CurrentUserLevel = "SUP";
    ui.entries.clear();
    menu.action("Utilitários > Console SQL")->trigger();
    EXPECT_EQ(consoles(), 1);
    EXPECT_TRUE(ui.entries.isEmpty());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TFSCRIPT*>(w)) {
            EXPECT_TRUE(w->isModal());
            w->close();
        }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(consoles(), 0);
}
