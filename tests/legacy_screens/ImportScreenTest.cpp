// "Importar Dados (Paradox)": the screen runs the engine's import on the
// folder and options its boxes hold, shows the summary in its log box and
// refuses what the engine refuses.
#include "DemoCompany.h"
#include "ImportParadox.h"
#include "ParadoxExport.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TfoImportaParadox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace folha;

namespace {

struct ScreenCase {
    const char* name;
    bool folder;        // the folder of company 1's files, or none typed
    bool dryRun;
    bool replace;
    QList<bool> answers; // to the replace question
    bool ran;
    const char* message; // the last box shown
    bool employeesChanged;
};

} // namespace

TEST(ImportScreen, RunsTheImportWithTheBoxesOptions) {
    TempDir dir;
    ScriptedUi setup;
    Session session(Installation(dir.file("demo")));
    OpenDemoCompany(session, setup, 1);
    session.signIn.CurrentUserLevel = "SUP";
    const QString files = dir.file("paradox");
    for (const TableDef* def : legacy::ImportableTables(legacy::ImportMode::Company))
        if (session.folha().hasTable(def->name)) legacy::WriteParadoxTable(session.folha(), *def, files, 850);
    Table cadfun(session.folha(), "CADFUN");
    const qint64 employees = cadfun.count();
    ASSERT_GT(employees, 0);

    const ScreenCase cases[] = {
        {"no folder", false, false, false, {}, false, "Informe a pasta das tabelas Paradox.", false},
        {"company holds rows", true, false, false, {}, false, "O destino já tem dados", false},
        {"dry run over rows", true, true, false, {}, false, "O destino já tem dados", false},
        {"dry run of a replace", true, true, true, {}, true, "Procedimento concluído!", false},
        {"replace not confirmed", true, false, true, {false}, false, nullptr, false},
        {"replace confirmed", true, false, true, {true}, true, "Procedimento concluído!", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // One employee more, which only a replace removes.
        Record extra = cadfun.newRecord();
        extra.set("CODFUN", "999999").set("NOME", "A REMOVER");
        if (!cadfun.find({QStringLiteral("999999")})) cadfun.insert(extra);
        ScriptedUi ui(c.answers);
        TfoImportaParadox screen(session, ui);
        if (c.folder) screen.folderBox()->setText(files);
        screen.dryRunBox()->setChecked(c.dryRun);
        screen.replaceBox()->setChecked(c.replace);
        EXPECT_TRUE(screen.companyButton()->isChecked());
        EXPECT_EQ(screen.runImport(), c.ran);
        const QStringList boxes = ui.texts("message") + ui.texts("error");
        if (c.message) {
            ASSERT_FALSE(boxes.isEmpty());
            EXPECT_TRUE(boxes.last().startsWith(QString::fromUtf8(c.message))) << boxes.last().toStdString();
        } else {
            EXPECT_TRUE(boxes.isEmpty());
        }
        EXPECT_EQ(cadfun.count(), c.employeesChanged ? employees : employees + 1);
        if (c.ran) {
            EXPECT_TRUE(screen.logBox()->toPlainText().contains(legacy::ImportSummaryText(screen.result())));
            EXPECT_EQ(screen.result().tables.isEmpty(), false);
            EXPECT_EQ(screen.result().totalImported(), screen.result().totalRead());
        }
    }
}

TEST(ImportScreen, OnlyForSupervisors) {
    TempDir dir;
    ScriptedUi ui;
    Session session(Installation(dir.file("demo")));
    OpenDemoCompany(session, ui, 1);
    session.signIn.CurrentUserLevel = "USU";
    EXPECT_EQ(TfoImportaParadox::create(session, ui, nullptr), nullptr);
    EXPECT_EQ(ui.texts("error").value(0), QStringLiteral("A importação de dados é liberada somente para usuários de nível SUP."));
    session.signIn.CurrentUserLevel = "SUP";
    std::unique_ptr<QWidget> w(TfoImportaParadox::create(session, ui, nullptr));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Importar Dados (Paradox)"));
}
