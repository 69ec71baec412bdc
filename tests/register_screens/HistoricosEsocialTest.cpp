// The event chart's register: its pages "Principal" and "eSocial" and the
// proposal of the mapping by F11, typed as a user would.
#include "DemoCompany.h"
#include "RegisterDefs.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoCadHistoricos.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace folha;

namespace {

class HistoricosEsocial : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        ui.entries.clear();
    }
    const registers::RegisterDef& def() { return *registers::FindRegister("TfoCadHistFolhaPag"); }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

} // namespace

TEST_F(HistoricosEsocial, PagesAndF11FillsOnlyTheEmptyBoxes) {
    // The office keeps its own nature for 001 and has no incidences yet.
    session->folha().execWrite("UPDATE HISTFP SET ESNATRUB = ?, ESTPRUB = ?, ESINCCP = ?, ESINCIRRF = ?, ESINCFGTS = ? "
                               "WHERE HCODIGO = ?",
                               {QStringLiteral("1099"), 0, QString(), QString(), QString(), QStringLiteral("001")});
    TfoCadHistoricos screen(*session, ui, def());
    screen.show();
    ASSERT_NE(screen.pages(), nullptr);
    ASSERT_EQ(screen.pages()->count(), 2);
    EXPECT_EQ(screen.pages()->tabText(0), "Principal");
    EXPECT_EQ(screen.pages()->tabText(1), "eSocial");

    screen.setCurrentRow(0);
    QTest::keyClick(&screen, Qt::Key_F3);
    ASSERT_TRUE(screen.editing());
    EXPECT_EQ(screen.fieldText("HCODIGO"), "001");
    EXPECT_EQ(screen.fieldText("ESINCCP"), "");
    EXPECT_FALSE(screen.proposeButton()->isHidden());

    // F11 from a box of the first page: the empty boxes are proposed.
    screen.fieldBox("HNOME")->setFocus();
    QTest::keyClick(screen.fieldBox("HNOME"), Qt::Key_F11);
    EXPECT_EQ(screen.pages()->currentIndex(), 1);
    EXPECT_EQ(screen.fieldText("ESNATRUB"), "1099"); // the office's choice stays
    EXPECT_EQ(screen.fieldText("ESTPRUB"), "1");
    EXPECT_EQ(screen.fieldText("ESINCCP"), "11");
    EXPECT_EQ(screen.fieldText("ESINCIRRF"), "11");
    EXPECT_EQ(screen.fieldText("ESINCFGTS"), "11");

    // F8 saves: the row keeps the mapping.
    QTest::keyClick(screen.fieldBox("HNOME"), Qt::Key_F8);
    EXPECT_FALSE(screen.editing());
    auto row = Table(session->folha(), "HISTFP").find({QStringLiteral("001")});
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->text("ESNATRUB").trimmed(), "1099");
    EXPECT_EQ(row->integer("ESTPRUB"), 1);
    EXPECT_EQ(row->text("ESINCCP").trimmed(), "11");
    EXPECT_EQ(row->text("ESINCIRRF").trimmed(), "11");
    EXPECT_EQ(row->text("ESINCFGTS").trimmed(), "11");

    // While browsing F11 proposes nothing.
    EXPECT_FALSE(screen.proposeMapping());
}
