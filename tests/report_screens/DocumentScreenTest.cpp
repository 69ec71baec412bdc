// The screen of the labour documents: every document in the catalog, the
// confirmation asked once, one report file per copy, nothing for zero
// copies or a refusal, and the typed equipment required.
#include "DemoCompany.h"
#include "Documents.h"
#include "JobScreen.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "ScreenCatalog.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoRelDocumento.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace folha;

namespace {

class DocumentScreen : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        ScriptedUi quiet;
        OpenDemoCompany(*session, quiet);
        PrintSettings s;
        s.destination = PrintDestination::RemoteFile;
        RunPrintSettings() = ConfirmPrintSettings(s);
        folder = ReportFolder(*session, RunPrintSettings());
        QDir(folder).removeRecursively();
    }
    void TearDown() override { RunPrintSettings() = PrintSettings{}; }
    QStringList files() const { return QDir(folder).entryList({"TMP*.IMP"}, QDir::Files, QDir::Name); }
    TempDir d;
    std::unique_ptr<Session> session;
    QString folder;
};

TEST_F(DocumentScreen, EveryDocumentOpensFromTheCatalogWithItsDates) {
    for (const DocumentDef& def : Documents()) {
        ASSERT_TRUE(ScreenCatalog::instance().contains(def.screen)) << def.screen.toStdString();
        ScriptedUi ui;
        std::unique_ptr<QWidget> w(ScreenCatalog::instance().create(def.screen, *session, ui, nullptr));
        auto* screen = qobject_cast<TfoRelDocumento*>(w.get());
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->windowTitle(), def.caption);
        // The dates start at the open competence (the demo's April 2013,
        // payroll date 30/04/2013), not at the machine's day.
        const QMap<QString, QDate> start = {{"DATA_INICIAL", QDate(2013, 4, 1)},
                                            {"DATA_FINAL", QDate(2013, 4, 30)},
                                            {"DATA_RECEBIMENTO", QDate(2013, 4, 30)},
                                            {"DATA_EMISSAO", QDate(2013, 4, 30)}};
        for (const QString& date : def.dates) {
            ASSERT_NE(screen->dateField(date), nullptr) << date.toStdString();
            EXPECT_EQ(screen->dateField(date)->date(), start.value(date)) << def.screen.toStdString() << " " << date.toStdString();
        }
        EXPECT_EQ(screen->listField() != nullptr, !def.lists.isEmpty());
    }
}

TEST_F(DocumentScreen, CopiesAreJobsAndTheConfirmationIsAskedOnce) {
    const struct {
        int copies;
        QList<bool> answers;
        int questions;
        int files;
    } cases[] = {{0, {true}, 0, 0}, {1, {false}, 1, 0}, {1, {true}, 1, 1}, {2, {true}, 1, 2}};
    for (const auto& c : cases) {
        QDir(folder).removeRecursively();
        ScriptedUi ui(c.answers);
        TfoRelDocumento screen(*session, ui, *FindDocument("TfoRelPedDemissao"));
        screen.range()->firstField()->setText("1");
        screen.range()->lastField()->setText("2");
        screen.copiesField()->setValue(c.copies);
        screen.dateField("DATA_EMISSAO")->setDate(QDate(2026, 12, 7));
        screen.print(false);
        EXPECT_EQ(ui.texts("question").size(), c.questions) << c.copies;
        const QStringList made = files();
        ASSERT_EQ(made.size(), c.files) << c.copies;
        for (const QString& f : made) {
            QFile file(QDir(folder).filePath(f));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromLatin1(file.readAll()); // the printer's text, in Latin-1
            EXPECT_EQ(text.count(QStringLiteral("PEDIDO DE DEMISSÃO")), 2) << f.toStdString(); // two employees
            EXPECT_TRUE(text.contains("07 de dezembro de 2026"));
        }
    }
}

TEST_F(DocumentScreen, EquipmentReceiptWantsTheTypedList) {
    ScriptedUi ui({true});
    TfoRelDocumento screen(*session, ui, *FindDocument("TfoRelComproReciEPI"));
    screen.range()->firstField()->setText("1");
    screen.range()->lastField()->setText("1");
    EXPECT_FALSE(screen.print(false));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(ui.texts().join('\n').contains("Informe os equipamentos")) << ui.texts().join('\n').toStdString();
    screen.listField()->setPlainText("Luva de raspa\n\nCapacete\n");
    EXPECT_EQ(screen.options().lists.value("EQUIPAMENTOS"), (QStringList{"Luva de raspa", "Capacete"}));
    EXPECT_TRUE(screen.print(false));
    ASSERT_EQ(files().size(), 1);
}

} // namespace
