#include "AuditLog.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

TEST(AuditLog, CreatesItsTablesOnceAndCataloguesEachNameOnce) {
    TempDir d;
    auto db = folha::testing::OpenTestDatabase(d.path());
    ScriptedUi ui;
    const QDateTime march(QDate(2013, 3, 15), QTime(10, 30, 0));
    EXPECT_TRUE(WriteAuditLog(*db, 1, "TfoCadBancos", "I", "000001", "", "Banco 001 incluido", ui, march));
    EXPECT_TRUE(WriteAuditLog(*db, 1, "TfoCadBancos", "E", "", "", "Banco 001 alterado", ui, march.addSecs(60)));
    EXPECT_TRUE(WriteAuditLog(*db, 2, "TfoCadCargos", "I", "000002", "Cargos", "Cargo 010", ui, march.addDays(20)));
    EXPECT_TRUE(ui.entries.isEmpty());

    EXPECT_TRUE(db->hasTable("LogSys_03_2013"));
    EXPECT_TRUE(db->hasTable("LogSys_04_2013"));
    EXPECT_TRUE(db->hasTable("LogSys_Tipos"));
    Table march13(*db, Registry::instance().auditLogTable(3, 2013));
    auto rows = march13.select({}, {}, "AutoInc");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text("Usuario"), QStringLiteral("000001"));
    EXPECT_EQ(rows[1].text("Usuario"), QStringLiteral("Nenhum"));
    EXPECT_EQ(rows[0].time("Hora"), QTime(10, 30, 0));
    EXPECT_EQ(rows[0].date("Data"), QDate(2013, 3, 15));
    EXPECT_LT(rows[0].integer("AutoInc"), rows[1].integer("AutoInc"));

    Table tipos(*db, "LogSys_Tipos");
    QStringList cat;
    for (const auto& r : tipos.select({}, {}, "Tipo, Campo")) cat << r.text("Tipo") + ":" + r.text("Campo");
    EXPECT_EQ(cat, (QStringList{"A:Editar", "A:Inserir", "J:TfoCadBancos", "J:TfoCadCargos", "T:Cargos"}));
}

TEST(AuditLog, AFailureIsShownAndTheCallerGoesOn) {
    TempDir d;
    auto db = folha::testing::OpenTestDatabase(d.path());
    ScriptedUi ui;
    // A screen name wider than the log's field cannot be written.
    EXPECT_FALSE(WriteAuditLog(*db, 1, QString(61, 'X'), "I", "000001", "", "texto do log", ui));
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].startsWith("Erro ao gravar log de sistema : \r\n"));
    EXPECT_TRUE(ui.texts("error")[0].endsWith("\r\ntexto do log"));
}
