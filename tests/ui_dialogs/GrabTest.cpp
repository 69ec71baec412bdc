// The dialogs as a screenshot tool opens them, on the demo installation's
// company 1; with FOLHA_GRAB_DIR set, their pictures are written there.
#include "DemoBuilder.h"
#include "EmployeeChoice.h"
#include "EscolheFunc.h"
#include "SelecaoMultipla.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QPixmap>
#include <QTableView>
#include <gtest/gtest.h>

using namespace folha;

namespace {

void save(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("FOLHA_GRAB_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(QDir(dir).filePath(name)));
}

TEST(GrabDialogs, OpenOnTheDemoCompany) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    demo::DemoBuilder(session).buildDemo(ui);
    for (const Record& company : Table(session.companyListDb(), "EmpresaFOLHA").select())
        if (company.integer("Codigo") == 1) session.SetaDiretorio(company.text("Diretorio"));
    session.signIn.CurrentBranchCodeText = "001";
    const qint64 employees = Table(session.folha(), "CADFUN").count();
    ASSERT_GT(employees, 10);

    std::unique_ptr<QWidget> selection(ui::TFoSelecaoMultipla::createForGrab(session, ui, nullptr));
    selection->show();
    auto* list = selection->findChild<QTableView*>("Lista");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), employees);
    EXPECT_EQ(selection->findChild<QTableView*>("Selecao")->model()->rowCount(), 2);
    EXPECT_LE(selection->width(), 1366);
    EXPECT_LE(selection->height(), 768);
    save(*selection, "TFoSelecaoMultipla.png");

    std::unique_ptr<QWidget> chooser(ui::TfoEscolheFunc::createForGrab(session, ui, nullptr));
    chooser->show();
    auto* c = static_cast<ui::TfoEscolheFunc*>(chooser.get());
    EXPECT_EQ(c->year(), QStringLiteral("2013"));
    EXPECT_EQ(c->month(), QStringLiteral("04"));
    EXPECT_EQ(c->sheetText(), QStringLiteral("F - Folha"));
    save(*chooser, "TfoEscolheFunc.png");
    EXPECT_TRUE(ui.texts("error").isEmpty()) << ui.texts("error").join('\n').toStdString();
}

} // namespace
