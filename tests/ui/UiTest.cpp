#include "LayoutStore.h"
#include "QtUserInterface.h"
#include "TempDir.h"

#include <QDirIterator>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace folha;

namespace {
// Records the boxes instead of showing them.
class RecordingUi : public QtUserInterface {
public:
    struct Box {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Yes;

protected:
    QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString&, const QString& text,
                                        QMessageBox::StandardButtons buttons, const QString&) override {
        boxes << Box{icon, text, buttons};
        return answer;
    }
};
} // namespace

TEST(QtUserInterface, WarningsOfARunAreShownOnceTogetherAtItsEnd) {
    RecordingUi ui;
    {
        UiRun run(ui, "Calculo da Folha");
        ui.message(MessageKind::Warning, "Funcionário 000001: ocorrência 101 não encontrada");
        ui.log("Funcionário 000002: sem salário");
        ui.message(MessageKind::Error, "Funcionário 000003: cargo inexistente");
        ui.message(MessageKind::Information, "Procedimento concluído!");
        ASSERT_EQ(ui.boxes.size(), 1); // the information is not held back
        EXPECT_EQ(ui.boxes[0].icon, QMessageBox::Information);
    }
    ASSERT_EQ(ui.boxes.size(), 2);
    EXPECT_EQ(ui.boxes[1].icon, QMessageBox::Critical);
    EXPECT_EQ(ui.boxes[1].text, QStringLiteral("Funcionário 000001: ocorrência 101 não encontrada\n"
                                               "Funcionário 000002: sem salário\n"
                                               "Funcionário 000003: cargo inexistente"));
    EXPECT_EQ(ui.logLines(), QStringList{"Funcionário 000002: sem salário"});
    { UiRun quiet(ui, "Nada a dizer"); }
    EXPECT_EQ(ui.boxes.size(), 2);
    ui.message(MessageKind::Warning, "fora de um cálculo");
    EXPECT_EQ(ui.boxes.size(), 3);
}

TEST(QtUserInterface, QuestionsAskYesNoOrOkCancelAndProgressCanBeCancelled) {
    RecordingUi ui;
    ui.answer = QMessageBox::No;
    EXPECT_FALSE(ui.question("Tem certeza que deseja descalcular a folha?"));
    EXPECT_EQ(ui.boxes.last().buttons, QMessageBox::Yes | QMessageBox::No);
    ui.answer = QMessageBox::Ok;
    EXPECT_TRUE(ui.question("Continuar?", QuestionKind::OkCancel));
    EXPECT_EQ(ui.boxes.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QWidget owner;
    ui.setOwner(&owner);
    ui.progressStart("Calculando", 10);
    ASSERT_NE(ui.progressDialog(), nullptr);
    EXPECT_EQ(ui.progressDialog()->parentWidget(), &owner);
    EXPECT_EQ(ui.progressDialog()->windowModality(), Qt::WindowModal);
    ui.progressStep(3);
    EXPECT_FALSE(ui.cancelRequested());
    ui.progressDialog()->cancel();
    EXPECT_TRUE(ui.cancelRequested());
    ui.progressEnd();
    EXPECT_EQ(ui.progressDialog(), nullptr);
    EXPECT_FALSE(ui.cancelRequested());
}

TEST(LayoutStore, WindowPlacementIsRestoredFromTheScreensFile) {
    TempDir d;
    const QString iniDir = d.path() + "/ini/";
    QWidget w;
    w.move(40, 50);
    w.resize(300, 200);
    SaveWindowPlacement(iniDir, "TfoCadBancos", &w);
    EXPECT_TRUE(QFile::exists(iniDir + "TfoCadBancos.ini"));
    QWidget other;
    other.resize(100, 100);
    RestoreWindowPlacement(iniDir, "TfoCadBancos", &other);
    EXPECT_EQ(other.pos(), QPoint(40, 50));
    EXPECT_EQ(other.size(), QSize(300, 200));
    QWidget untouched;
    untouched.resize(120, 90);
    RestoreWindowPlacement(iniDir, "TfoCadCargos", &untouched);
    EXPECT_EQ(untouched.size(), QSize(120, 90));
}

TEST(LayoutStore, GridLayoutsAreSavedLoadedAndDroppedWhenStale) {
    TempDir d;
    const QString iniDir = d.path() + "/ini/";
    QStandardItemModel model(2, 3);
    QTableView grid;
    grid.setModel(&model);
    grid.horizontalHeader()->resizeSection(0, 80);
    grid.horizontalHeader()->resizeSection(2, 150);
    grid.horizontalHeader()->moveSection(2, 0); // visual order 2, 0, 1
    grid.setColumnHidden(1, true);
    SaveGridLayout(iniDir, "gridBancos", &grid, false);
    EXPECT_FALSE(QFile::exists(iniDir + "gridBancos.ini"));
    SaveGridLayout(iniDir, "gridBancos", &grid);
    ASSERT_TRUE(QFile::exists(iniDir + "gridBancos.ini"));

    QTableView again;
    again.setModel(&model);
    LoadGridLayout(iniDir, "gridBancos", &again);
    const QHeaderView* h = again.horizontalHeader();
    EXPECT_EQ(h->visualIndex(2), 0);
    EXPECT_EQ(h->visualIndex(0), 1);
    EXPECT_EQ(h->sectionSize(0), 80);
    EXPECT_EQ(h->sectionSize(2), 150);
    EXPECT_TRUE(h->isSectionHidden(1));

    QStandardItemModel wider(2, 4);
    QTableView stale;
    stale.setModel(&wider);
    LoadGridLayout(iniDir, "gridBancos", &stale);
    EXPECT_FALSE(QFile::exists(iniDir + "gridBancos.ini"));
    EXPECT_FALSE(stale.horizontalHeader()->isSectionHidden(1));

    SaveGridLayout(iniDir, "gridBancos", &grid);
    ResetGridLayout(iniDir, "gridBancos");
    EXPECT_FALSE(QFile::exists(iniDir + "gridBancos.ini"));
}
