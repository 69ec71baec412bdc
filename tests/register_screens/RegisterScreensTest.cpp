// The register screens' wiring: F-keys, modes, closing rules, grid
// columns, the grid list and the employee register's pickers.
#include "DemoBuilder.h"
#include "DemoCompany.h"
#include "EventsScreens.h"
#include "PrintSettings.h"
#include "RegisterDefs.h"
#include "RegisterModel.h"
#include "ReportFile.h"
#include "ScreenCatalog.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoCadFuncionarios.h"
#include "TfoCadastro.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace folha;

namespace {

class RegisterScreens : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        session->signIn.WindowCaptionPrefix = "Zorvan Informática - Sistema de Folha de Pagamento: Versão: 1.0";
        ui.entries.clear();
        RunPrintSettings() = PrintSettings{};
        qunsetenv("XRDP_SESSION");
    }
    void TearDown() override { RunPrintSettings() = PrintSettings{}; }

    const registers::RegisterDef& bancos() {
        const registers::RegisterDef* def = registers::FindRegister("TfoCadBancos");
        EXPECT_NE(def, nullptr);
        return *def;
    }
    void emptyTable(const QString& name) {
        Table t(session->folha(), name);
        for (const Record& r : t.select()) t.remove(r.keyValues());
    }
    QString caption(const QString& table, const QString& field) {
        return Registry::instance().require(table).field(field)->caption;
    }

    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

QStringList ReportLines(const QString& folder) {
    const QStringList files = QDir(folder).entryList({"TMP*.IMP"}, QDir::Files);
    if (files.size() != 1) return {};
    QFile f(QDir(folder).filePath(files[0]));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).remove('\r').split('\n');
}

} // namespace

// F12 while inserting is refused with the message and the screen stays;
// after "Cancelar" it closes.
TEST_F(RegisterScreens, F12DuringAnInsertIsRefusedAndTheScreenStaysOpen) {
    TfoCadastro screen(*session, ui, bancos());
    screen.show();
    EXPECT_EQ(screen.windowTitle(), session->signIn.WindowCaptionPrefix);
    EXPECT_EQ(screen.headerText(), "                  Cadastro e Consulta de Bancos:");
    EXPECT_EQ(screen.statusText(), "Modo: Navegação");
    QTest::keyClick(&screen, Qt::Key_F2);
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.mode(), "I");
    EXPECT_EQ(screen.statusText(), "Modo: Inclusão");
    EXPECT_TRUE(screen.fieldBox("COD_BANCO")->isEnabled());
    EXPECT_FALSE(screen.mayClose());

    QTest::keyClick(&screen, Qt::Key_F12);
    EXPECT_EQ(ui.texts("error"),
              QStringList{"Sistema em modo de inclusão\\alteração. Grave ou cancele as alterações para sair da tela!"});
    EXPECT_TRUE(screen.isVisible());
    EXPECT_TRUE(screen.editing());

    screen.cancelRow();
    EXPECT_EQ(screen.statusText(), "Modo: Navegação");
    EXPECT_EQ(screen.mode(), "I"); // the last mode stays
    QTest::keyClick(&screen, Qt::Key_F12);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(ui.texts("error").size(), 1);
}

// F3 keeps the key: its box is disabled and the row's values are shown.
TEST_F(RegisterScreens, F3EditsTheCurrentRowWithTheKeyLocked) {
    TfoCadastro screen(*session, ui, bancos());
    screen.show();
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    screen.setCurrentRow(0);
    QTest::keyClick(&screen, Qt::Key_F3);
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.mode(), "E");
    EXPECT_EQ(screen.statusText(), "Modo: Alteração");
    EXPECT_EQ(screen.fieldText("COD_BANCO"), "00100001");
    EXPECT_FALSE(screen.fieldBox("COD_BANCO")->isEnabled());
    EXPECT_EQ(screen.fieldText("NOME"), "BANCO DO BRASIL");
    // F-keys of the side panel do nothing while editing.
    QTest::keyClick(&screen, Qt::Key_F4);
    EXPECT_TRUE(ui.texts("question").isEmpty());
    screen.cancelRow();
}

// F4 on an empty table asks nothing and deletes nothing.
TEST_F(RegisterScreens, F4OnAnEmptyTableDoesNothing) {
    emptyTable("BANCO");
    ScriptedUi yes({true}, true);
    TfoCadastro screen(*session, yes, bancos());
    screen.show();
    ASSERT_EQ(screen.gridModel()->rowCount(), 0);
    QTest::keyClick(&screen, Qt::Key_F4);
    EXPECT_TRUE(yes.entries.isEmpty());
    EXPECT_EQ(screen.statusText(), "Modo: Navegação");
}

// F4 asks first, naming the row; No keeps the row.
TEST_F(RegisterScreens, F4AsksBeforeDeleting) {
    ScriptedUi no({false});
    TfoCadastro screen(*session, no, bancos());
    screen.show();
    const int rows = screen.gridModel()->rowCount();
    ASSERT_GT(rows, 0);
    screen.setCurrentRow(0);
    QTest::keyClick(&screen, Qt::Key_F4);
    ASSERT_EQ(no.texts("question").size(), 1);
    const Record first = Table(session->folha(), "BANCO").select({}, {}, "COD_BANCO").front();
    EXPECT_EQ(no.texts("question")[0].toStdString(),
              ("Confirma exclusão do registro selecionado?\nBanco " + first.text("COD_BANCO").trimmed() + " - " +
               first.text("NOME").trimmed())
                  .toStdString());
    EXPECT_EQ(Table(session->folha(), "BANCO").count(), rows);
}

// The saved grid layout comes back on the next opening; restoring the
// columns closes the screen and the next opening has the default ones.
TEST_F(RegisterScreens, RestoringGridColumnsClosesTheScreenAndTheNextOpeningShowsTheDefaults) {
    int defaultWidth = 0;
    {
        TfoCadastro screen(*session, ui, bancos());
        screen.show();
        defaultWidth = screen.grid()->horizontalHeader()->sectionSize(0);
        screen.grid()->setColumnHidden(2, true);
        screen.grid()->horizontalHeader()->resizeSection(0, defaultWidth + 40);
        screen.close();
    }
    {
        TfoCadastro screen(*session, ui, bancos());
        screen.show();
        EXPECT_TRUE(screen.grid()->isColumnHidden(2));
        EXPECT_EQ(screen.grid()->horizontalHeader()->sectionSize(0), defaultWidth + 40);
        screen.restoreGridColumns();
        EXPECT_EQ(ui.texts("message"), QStringList{"Para concluir esta alteração, a tela será fechada!!!"});
        EXPECT_FALSE(screen.isVisible());
    }
    TfoCadastro again(*session, ui, bancos());
    again.show();
    EXPECT_FALSE(again.grid()->isColumnHidden(2));
    EXPECT_EQ(again.grid()->horizontalHeader()->sectionSize(0), defaultWidth);
}

// The list prints the visible columns only, at positions from their pixel
// widths after one blank: 60 pixels are 10 characters, so the second column
// starts at 12.
TEST_F(RegisterScreens, ListPrintsOnlyTheVisibleColumns) {
    PrintSettings s;
    s.destination = PrintDestination::RemoteFile;
    RunPrintSettings() = ConfirmPrintSettings(s);
    const QString folder = ReportFolder(*session, RunPrintSettings());

    ScriptedUi yes({true}, true);
    TfoCadastro screen(*session, yes, bancos());
    screen.show();
    const TableDef& def = screen.tableDef();
    for (int c = 0; c < int(def.fields.size()); ++c)
        screen.grid()->setColumnHidden(c, def.fields[c].name != "COD_BANCO" && def.fields[c].name != "NOME");
    screen.grid()->horizontalHeader()->resizeSection(def.fieldIndex("COD_BANCO"), 60);
    screen.grid()->horizontalHeader()->resizeSection(def.fieldIndex("NOME"), 240);
    QFile::remove(screen.listLayoutFile());
    ASSERT_TRUE(screen.listGrid(false, false));
    EXPECT_TRUE(QFile::exists(screen.listLayoutFile()));

    const QStringList lines = ReportLines(folder);
    ASSERT_FALSE(lines.isEmpty());
    const QString titles = QStringLiteral(" ") + caption("BANCO", "COD_BANCO").toUpper().left(9).leftJustified(10) +
                           caption("BANCO", "NOME").toUpper();
    const int at = lines.indexOf(titles);
    ASSERT_GE(at, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.value(at + 1).trimmed(), ""); // the empty line under the titles
    EXPECT_EQ(lines.value(at + 2), " 00100001  BANCO DO BRASIL");
    // The hidden agency ("0001") and number ("001") are not printed.
    for (const QString& line : lines) EXPECT_FALSE(line.contains(caption("BANCO", "AGENCIA").toUpper()));
}

// Picking position 007 leaves 7 in the box, shows the position's name and
// saves 7 in the employee's row.
TEST_F(RegisterScreens, PickingPosition007StoresSevenAndShowsItsName) {
    Table cargos(session->folha(), "Cargos");
    if (auto old = cargos.find({"007"})) cargos.remove(old->keyValues());
    Record position = cargos.newRecord();
    position.set("COD_CARGOS", "007").set("NOME_CARGO", "ANALISTA DE TESTES");
    cargos.insert(position);

    TfoCadFuncionarios screen(*session, ui);
    screen.show();
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    screen.setCurrentRow(0);
    QTest::keyClick(&screen, Qt::Key_F3);
    ASSERT_TRUE(screen.editing());
    const QString code = screen.fieldText("CODFUN");
    ASSERT_NE(screen.pickButton("CARGO"), nullptr);
    screen.pickCode("CARGO", [](QLineEdit* box) {
        box->setText("'007'");
        return true;
    });
    EXPECT_EQ(screen.fieldText("CARGO"), "7");
    EXPECT_EQ(screen.descriptionLabel("CARGO")->text(), "ANALISTA DE TESTES");
    ASSERT_TRUE(screen.saveRow()) << ui.texts().join('\n').toStdString();
    EXPECT_EQ(Table(session->folha(), "CADFUN").find({code})->integer("CARGO"), 7);

    // A cancelled dialog leaves the box as it was.
    QTest::keyClick(&screen, Qt::Key_F3);
    screen.pickCode("CARGO", [](QLineEdit*) { return false; });
    EXPECT_EQ(screen.fieldText("CARGO"), "7");
    EXPECT_EQ(screen.descriptionLabel("CARGO")->text(), "ANALISTA DE TESTES");
    screen.cancelRow();
}

// An employee whose union is gone shows an empty union description; an
// insert clears the eight descriptions.
TEST_F(RegisterScreens, EmployeeWithAMissingUnionShowsAnEmptyDescription) {
    Table cadfun(session->folha(), "CADFUN");
    Record employee = cadfun.select().front();
    employee.set("COD_SIND", 999);
    cadfun.update(employee);

    TfoCadFuncionarios screen(*session, ui);
    screen.show();
    auto* model = qobject_cast<registers::RegisterModel*>(screen.gridModel());
    ASSERT_NE(model, nullptr);
    const int row = model->rowOfKey(employee.keyValues());
    ASSERT_GE(row, 0);
    screen.setCurrentRow(row);
    QTest::keyClick(&screen, Qt::Key_F3);
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.fieldText("COD_SIND"), "999");
    ASSERT_NE(screen.descriptionLabel("COD_SIND"), nullptr);
    EXPECT_EQ(screen.descriptionLabel("COD_SIND")->text(), "");
    if (screen.pages()) {
        EXPECT_EQ(screen.pages()->currentIndex(), 0);
    }
    screen.cancelRow();

    QTest::keyClick(&screen, Qt::Key_F2);
    ASSERT_TRUE(screen.editing());
    for (const QString& field : TfoCadFuncionarios::PickedFields) {
        ASSERT_NE(screen.descriptionLabel(field), nullptr) << field.toStdString();
        EXPECT_EQ(screen.descriptionLabel(field)->text(), "") << field.toStdString();
    }
    screen.cancelRow();
}

// Every register of the menu, the events screens and their pictures'
// variants are in the catalog, and each register opens on its header.
TEST_F(RegisterScreens, EveryRegisterIsInTheCatalog) {
    ASSERT_EQ(registers::RegisterDefs().size(), 23); // the twenty-one registers and the two events screens
    for (const registers::RegisterDef& def : registers::RegisterDefs()) {
        ASSERT_TRUE(ScreenCatalog::instance().contains(def.screen)) << def.screen.toStdString();
        std::unique_ptr<QWidget> screen(ScreenCatalog::instance().create(def.screen, *session, ui, nullptr));
        auto* reg = qobject_cast<TfoCadastro*>(screen.get());
        ASSERT_NE(reg, nullptr) << def.screen.toStdString();
        EXPECT_EQ(reg->headerText(), def.header());
        EXPECT_EQ(reg->actionButton(2)->text(), " F2 - Inserir");
        EXPECT_FALSE(reg->actionButton(1)->isEnabled());
        EXPECT_FALSE(reg->actionButton(7)->isEnabled());
        EXPECT_TRUE(reg->actionButton(9)->isEnabled());
    }
    for (const char* name : {"TfoCadOcorrenc", "TfoConsOcorrenc", "TfoCadFuncionarios-1", "TfoCadFuncionarios-2"})
        EXPECT_TRUE(ScreenCatalog::instance().contains(name)) << name;
}

// The events entry opens on the branch's competence; F2 keys the new row
// from the filter bar and only the event code is typed.
TEST_F(RegisterScreens, EventsEntryKeysTheNewRowFromTheFilterBar) {
    TfoCadOcorrenc screen(*session, ui);
    screen.chooseOnShow = false;
    screen.show();
    const registers::EventsFilter branch = registers::EventsEntry(*session, ui).branchPeriod();
    EXPECT_EQ(screen.filter().year, branch.year);
    EXPECT_EQ(screen.filter().month, branch.month);
    EXPECT_EQ(screen.filter().sheet, branch.sheet);
    registers::EventsFilter f = branch;
    f.employee = "000001";
    screen.choosePeriod([&] { return std::optional<registers::EventsFilter>(f); });
    QTest::keyClick(&screen, Qt::Key_F2);
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.fieldText("CODFUN"), "000001");
    EXPECT_EQ(screen.fieldText("OCORRANO"), branch.year);
    EXPECT_FALSE(screen.fieldBox("CODFUN")->isEnabled());
    EXPECT_TRUE(screen.fieldBox("HCODIGO")->isEnabled());
    screen.cancelRow();
}

// The events grid's search bar: ticked, the grid query keeps the matching
// lines; unticked, the grid moves to the first match, read up to it.
TEST_F(RegisterScreens, EventsSearchBarNarrowsOrMovesInSql) {
    TfoCadOcorrenc screen(*session, ui);
    screen.chooseOnShow = false;
    screen.show();
    registers::EventsFilter f = registers::EventsEntry(*session, ui).branchPeriod();
    screen.choosePeriod([&] { return std::optional<registers::EventsFilter>(f); });
    const int all = screen.gridModel()->rowCount();
    ASSERT_GT(all, 3);
    const int employeeColumn = 4;
    const QString last = screen.gridModel()->index(all - 1, employeeColumn).data().toString();
    screen.chooseSearchLabel(screen.gridModel()->headerData(employeeColumn, Qt::Horizontal).toString());
    screen.setSearchText(last);
    ASSERT_GT(screen.gridModel()->rowCount(), 0);
    EXPECT_LT(screen.gridModel()->rowCount(), all);
    for (int r = 0; r < screen.gridModel()->rowCount(); ++r)
        EXPECT_EQ(screen.gridModel()->index(r, employeeColumn).data().toString(), last);
    screen.setSearchText("");
    EXPECT_EQ(screen.gridModel()->rowCount(), all);
    screen.setFiltering(false);
    screen.setCurrentRow(0);
    screen.setSearchText(last);
    EXPECT_EQ(screen.gridModel()->rowCount(), all);
    EXPECT_EQ(screen.gridModel()->index(screen.currentRow(), employeeColumn).data().toString(), last);
}

// A click on a column title searches that column; ticked, the grid keeps
// the matching rows; F6 goes back to the default field; unticked, the grid
// moves to the first match.
TEST_F(RegisterScreens, SearchBarFiltersOrMovesToTheFirstMatch) {
    TfoCadastro screen(*session, ui, bancos());
    screen.show();
    ASSERT_EQ(screen.gridModel()->rowCount(), 2);
    EXPECT_EQ(screen.searchField(), "COD_BANCO");
    emit screen.grid()->horizontalHeader()->sectionClicked(screen.tableDef().fieldIndex("NOME"));
    EXPECT_EQ(screen.searchField(), "NOME");
    screen.setSearchText("CAIXA");
    ASSERT_EQ(screen.gridModel()->rowCount(), 1);
    EXPECT_TRUE(screen.gridModel()->index(0, screen.tableDef().fieldIndex("NOME")).data().toString().startsWith("CAIXA"));

    QTest::keyClick(&screen, Qt::Key_F6);
    EXPECT_EQ(screen.searchField(), "COD_BANCO");
    EXPECT_EQ(screen.gridModel()->rowCount(), 2);

    screen.setFiltering(false);
    screen.setCurrentRow(0);
    screen.setSearchText("104");
    EXPECT_EQ(screen.gridModel()->rowCount(), 2);
    EXPECT_EQ(screen.gridModel()->index(screen.currentRow(), 0).data().toString(), "10400002");
}
