// The legal tables register and the calculation trail of the events query:
// who may change the tables, what a save and an import store and refuse,
// and the trail of a calculated line shown by key presses.
#include "AuditLog.h"
#include "DemoCompany.h"
#include "EventsScreens.h"
#include "LegalTablesEdit.h"
#include "PayrollRun.h"
#include "Registry.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoCadTabelasLegais.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace folha;
using law::LegalTables;

namespace {

Fixed F(const char* s) { return *Fixed::parse(QString::fromLatin1(s)); }

class LawScreens : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        session->signIn.CurrentUserLevel = "SUP";
        session->loadLaw();
        ui.entries.clear();
    }
    void TearDown() override { law::SetCurrentLaw({}); }

    LegalTables stored() { return law::LoadLegalTables(session->zorvan()); }
    // The grid line of a kind's table beginning in a competence (MM/AAAA), bracket 1.
    int lineOf(const TfoCadTabelasLegais& screen, const QString& kind, const QString& start) {
        const auto* m = screen.model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->item(r, TfoCadTabelasLegais::Kind)->text() == kind &&
                m->item(r, TfoCadTabelasLegais::Start)->text() == start)
                return r;
        return -1;
    }
    void type(TfoCadTabelasLegais& screen, int row, int column, const QString& text) {
        screen.model()->item(row, column)->setText(text);
    }
    QStringList auditTexts() {
        const QDate today = QDate::currentDate();
        const TableDef def = Registry::instance().auditLogTable(today.month(), today.year());
        QStringList out;
        if (!session->zorvan().hasTable(def.name)) return out;
        for (const auto& r : Table(session->zorvan(), def).select({}, {}, "AutoInc"))
            out << r.text("Janela") + " " + r.text("Acao") + " " + r.text("Usuario") + ": " + r.text("Log");
        return out;
    }

    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

} // namespace

TEST_F(LawScreens, ListsEveryStoredRowByKindAndStartWithItsSource) {
    TfoCadTabelasLegais screen(*session, ui);
    const LegalTables tables = stored();
    ASSERT_EQ(screen.model()->rowCount(), int(tables.rows().size()));
    // The grid shows them all.
    EXPECT_EQ(screen.grid()->verticalHeader()->count(), screen.model()->rowCount());
    // The kinds in their own order: INSS first, the FGTS fine last.
    EXPECT_EQ(screen.model()->item(0, TfoCadTabelasLegais::Kind)->text(), "INSS");
    EXPECT_EQ(screen.model()->item(0, TfoCadTabelasLegais::Start)->text(), "03/2020");
    EXPECT_EQ(screen.model()->item(0, TfoCadTabelasLegais::Bracket)->text(), "1");
    // The first bracket of 2020: up to R$ 1.045,00 at 7,5 %.
    EXPECT_EQ(screen.model()->item(0, TfoCadTabelasLegais::Limit)->text(), "1.045,00");
    EXPECT_EQ(screen.model()->item(0, TfoCadTabelasLegais::Rate)->text(), "7,5");
    EXPECT_EQ(screen.model()->item(screen.model()->rowCount() - 1, TfoCadTabelasLegais::Kind)->text(), "FGTSMULTA");
    // The minimum wage of 2026: R$ 1.621,00, open, with its act.
    const int salmin = lineOf(screen, "SALMIN", "01/2026");
    ASSERT_GE(salmin, 0);
    EXPECT_EQ(screen.model()->item(salmin, TfoCadTabelasLegais::Value)->text(), "1.621,00");
    EXPECT_EQ(screen.model()->item(salmin, TfoCadTabelasLegais::End)->text(), "");
    EXPECT_FALSE(screen.model()->item(salmin, TfoCadTabelasLegais::Source)->text().isEmpty());
    // Read back, the grid is the stored set.
    EXPECT_EQ(LegalTables(screen.gridRows()).rows(), tables.rows());
    EXPECT_FALSE(screen.changed());
}

TEST_F(LawScreens, OnlyASupervisorChangesTheTables) {
    struct Case {
        const char* level;
        bool editable;
    };
    for (const Case& c : {Case{"SUP", true}, Case{"USU", false}, Case{"", false}}) {
        session->signIn.CurrentUserLevel = c.level;
        TfoCadTabelasLegais screen(*session, ui);
        EXPECT_EQ(screen.editable(), c.editable) << c.level;
        for (const char* b : {"btInserir", "btCopiar", "btExcluir", "btGravar", "btImportar"})
            EXPECT_EQ(screen.button(b)->isEnabled(), c.editable) << c.level << " " << b;
        EXPECT_EQ(screen.model()->item(0, 0)->isEditable(), c.editable) << c.level;
        const int rows = screen.model()->rowCount();
        QTest::keyClick(&screen, Qt::Key_F2);
        EXPECT_EQ(screen.model()->rowCount(), rows + (c.editable ? 1 : 0)) << c.level;
    }
    // The engine refuses too, whatever screen asks.
    session->signIn.CurrentUserLevel = "USU";
    EXPECT_THROW(law::SaveLegalTables(*session, ui, stored().rows(), "teste"), UserError);
}

TEST_F(LawScreens, ANewValidityClosesTheOpenTableAndBecomesTheLawAtOnce) {
    TfoCadTabelasLegais screen(*session, ui);
    const int salmin = lineOf(screen, "SALMIN", "01/2026");
    ASSERT_GE(salmin, 0);
    screen.grid()->setCurrentIndex(screen.model()->index(salmin, 0));
    QTest::keyClick(&screen, Qt::Key_F3); // "Nova vigência": the table copied, validity and source blank
    const int copy = salmin + 1;
    EXPECT_EQ(screen.model()->item(copy, TfoCadTabelasLegais::Kind)->text(), "SALMIN");
    EXPECT_EQ(screen.model()->item(copy, TfoCadTabelasLegais::Start)->text(), "");
    type(screen, copy, TfoCadTabelasLegais::Start, "01/2027");
    type(screen, copy, TfoCadTabelasLegais::Value, "1700,00");
    type(screen, copy, TfoCadTabelasLegais::Source, "Decreto de teste");
    EXPECT_TRUE(screen.changed());
    QTest::keyClick(&screen, Qt::Key_F8);
    ASSERT_TRUE(ui.texts("error").isEmpty()) << ui.texts("error").join('\n').toStdString();
    EXPECT_FALSE(screen.changed());

    const LegalTables now = stored();
    EXPECT_EQ(now.single("SALMIN", "202701")->value, F("1700"));
    EXPECT_EQ(now.single("SALMIN", "202612")->value, F("1621"));
    EXPECT_EQ(now.single("SALMIN", "202612")->end, "202612"); // closed the month before
    EXPECT_EQ(law::CurrentLaw().tables->single("SALMIN", "202701")->value, F("1700"));
    EXPECT_EQ(auditTexts(), QStringList{"TfoCadTabelasLegais I 000001: Tabelas legais |Incluídas: SALMIN 01/2027 |Alteradas: SALMIN 01/2026"});
    // The grid shows the stored set, the old table now closed.
    EXPECT_EQ(screen.model()->item(lineOf(screen, "SALMIN", "01/2026"), TfoCadTabelasLegais::End)->text(), "12/2026");
}

// F12 with rows typed and not saved asks first; "Não" keeps the screen.
TEST_F(LawScreens, LeavingWithUnsavedRowsAsksFirst) {
    TfoCadTabelasLegais screen(*session, ui);
    screen.show();
    QTest::keyClick(&screen, Qt::Key_F12);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_TRUE(ui.texts("question").isEmpty());
    screen.show();
    QTest::keyClick(&screen, Qt::Key_F2);
    QTest::keyClick(&screen, Qt::Key_F12); // the scripted answer is "Não"
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(ui.texts("question"),
              QStringList{"As alterações das tabelas legais não foram gravadas. Sair sem gravar?"});
    screen.reload();
    QTest::keyClick(&screen, Qt::Key_F12);
    EXPECT_FALSE(screen.isVisible());
}

TEST_F(LawScreens, ASetThatDoesNotHoldIsRefusedWithEveryFaultAndNothingStored) {
    struct Case {
        int column;
        const char* typed;
        const char* fault;
    };
    const Case cases[] = {
        {TfoCadTabelasLegais::Limit, "1,00", "Tabela INSS de 03/2020: o limite da faixa 2 deve ser maior que o da anterior."},
        {TfoCadTabelasLegais::Source, "", "Tabela INSS de 03/2020: informe a fonte (ato, número e data)."},
        {TfoCadTabelasLegais::Start, "13/2020", "Linha 2: competência inicial inválida: \"13/2020\" (MM/AAAA)."},
        {TfoCadTabelasLegais::Rate, "abc", "Linha 2: alíquota inválido: \"abc\"."},
    };
    const LegalTables before = stored();
    for (const Case& c : cases) {
        TfoCadTabelasLegais screen(*session, ui);
        ui.entries.clear();
        // The second bracket of the first INSS table.
        ASSERT_EQ(screen.model()->item(1, TfoCadTabelasLegais::Bracket)->text(), "2");
        type(screen, 1, c.column, c.typed);
        EXPECT_FALSE(screen.save()) << c.typed;
        ASSERT_EQ(ui.texts("error").size(), 1) << c.typed;
        EXPECT_TRUE(ui.texts("error")[0].startsWith("As tabelas legais não foram gravadas:")) << c.typed;
        EXPECT_TRUE(ui.texts("error")[0].contains(QString::fromUtf8(c.fault))) << ui.texts("error")[0].toStdString();
        EXPECT_TRUE(screen.changed());
        screen.reload(); // nothing to ask when the screen closes
    }
    EXPECT_EQ(stored().rows(), before.rows());
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(LawScreens, ImportMergesACsvFileOrRefusesItWhole) {
    const QString good = d.file("2027.csv");
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte\n"
                "FGTS;01/2027;;1;;7,5;;;Lei de teste\n");
    }
    const QString bad = d.file("ruim.csv");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FGTS;01/2028;;1;;;;;\n");
    }
    TfoCadTabelasLegais screen(*session, ui);
    EXPECT_FALSE(screen.importCsv(bad));
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains("Tabela FGTS de 01/2028: informe a fonte (ato, número e data)."));
    EXPECT_TRUE(ui.texts("error")[0].contains("Tabela FGTS de 01/2028: alíquota fora de 0 a 100 %."));
    EXPECT_FALSE(stored().single("FGTS", "202801")->start == "202801");

    EXPECT_TRUE(screen.importCsv(good));
    EXPECT_EQ(stored().single("FGTS", "202701")->rate, F("7.5"));
    EXPECT_EQ(stored().single("FGTS", "202612")->rate, F("8"));
    EXPECT_EQ(law::CurrentLaw().tables->single("FGTS", "202701")->rate, F("7.5"));
    EXPECT_GE(lineOf(screen, "FGTS", "01/2027"), 0);
    EXPECT_EQ(auditTexts(), QStringList{"TfoCadTabelasLegais I 000001: Tabelas legais |Incluídas: FGTS 01/2027 |Alteradas: FGTS 03/2020"});
}

// The events query after a calculation: Ctrl+F5 on a line shows its trail,
// Escape closes it; a line without trail says so; the button does the same.
TEST_F(LawScreens, EventsQueryShowsTheTrailOfTheSelectedLine) {
    payroll::RunOptions o;
    o.branchCode = "001";
    o.automaticMode = true;
    payroll::PayrollRun(session->folha(), ui).run(o);
    // A line calculated before trails were kept.
    session->folha().execWrite("DELETE FROM MEMOCALC WHERE CODFUN = ? AND HCODIGO = ?", {"000003", "094"});

    TfoConsOcorrenc screen(*session, ui);
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    auto* year = screen.findChild<QLineEdit*>("edAno");
    auto* month = screen.findChild<QLineEdit*>("edMes");
    auto* employee = screen.findChild<QLineEdit*>("edCodFunc");
    QTest::keyClicks(year, "2013");
    QTest::keyClicks(month, "04");
    QTest::keyClicks(employee, "3");
    QTest::keyClick(employee, Qt::Key_F5); // "Consultar"
    EXPECT_EQ(employee->text(), "000003");
    auto lineOfEvent = [&](const QString& event) {
        for (int r = 0; r < screen.gridModel()->rowCount(); ++r)
            if (screen.lineKey(r).value(3).toString() == event) return r;
        return -1;
    };
    struct Case {
        const char* event;
        const char* shown;
    };
    // 180 hours at R$ 8,50 an hour: 1.530,00; the INSS of 04/2013 by the
    // company's table 011, 9 % of 1.530,00: 137,70.
    const Case cases[] = {
        {"001", "Regra: Valorização da ocorrência (regra 1)\n1,00 × 180,00 × 8,50 (salário-hora) = 1.530,00"},
        {"110", "Regra: INSS\nINSS 04/2013: tabela 011 da empresa (1.247,71 a 2.079,50): 1.530,00 × 9 % = 137,70"},
        {"094", "Sem memória de cálculo para esta linha."},
    };
    screen.grid()->setFocus();
    for (const Case& c : cases) {
        const int line = lineOfEvent(c.event);
        ASSERT_GE(line, 0) << c.event;
        QTest::keyClick(screen.grid(), Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < line; ++i) QTest::keyClick(screen.grid(), Qt::Key_Down);
        ASSERT_EQ(screen.currentRow(), line) << c.event;
        QTest::keyClick(screen.grid(), Qt::Key_F5, Qt::ControlModifier);
        QDialog* dialog = screen.trailDialog();
        ASSERT_NE(dialog, nullptr) << c.event;
        EXPECT_TRUE(dialog->isVisible());
        auto* text = dialog->findChild<QPlainTextEdit*>("edMemoria");
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->isReadOnly());
        EXPECT_EQ(text->toPlainText(), QString::fromUtf8(c.shown)) << c.event;
        EXPECT_TRUE(dialog->findChild<QLabel*>("lbLinha")->text().startsWith(QStringLiteral("Evento %1 - ").arg(c.event)));
        QTest::keyClick(dialog, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(screen.trailDialog(), nullptr) << c.event;
    }
    // The side panel's button shows the same for the current line.
    screen.actionButton(13)->click();
    ASSERT_NE(screen.trailDialog(), nullptr);
    EXPECT_EQ(screen.trailDialog()->findChild<QPlainTextEdit*>("edMemoria")->toPlainText(),
              "Sem memória de cálculo para esta linha.");
    screen.trailDialog()->reject();
    // F5 is still "Consultar": the grid read again, no dialog.
    QTest::keyClick(screen.grid(), Qt::Key_F5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(screen.trailDialog(), nullptr);
}
