#include "BranchParameters.h"
#include "ScriptedUi.h"
#include "TableRoutines.h"
#include "TempDir.h"

#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

class TableRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.path());
        db->ensureSchema(Scope::Company);
    }
    TempDir d;
    std::unique_ptr<Database> db;
    ScriptedUi ui;
};

TEST_F(TableRoutinesTest, EnsureIndexRecreatesAMissingStoredIndex) {
    Table oc(*db, "OCORRENC");
    const TableDef& def = oc.def();
    db->exec("DROP INDEX " + Database::physicalIndexName(def, *def.index("id_ocor_func2")));
    EXPECT_FALSE(db->hasIndex(def, *def.index("id_ocor_func2")));
    EXPECT_TRUE(EnsureIndex(oc, "id_ocor_func2", ui));
    EXPECT_TRUE(db->hasIndex(def, *def.index("id_ocor_func2")));
    EXPECT_EQ(oc.indexName(), QStringLiteral("id_ocor_func2"));
    EXPECT_TRUE(ui.entries.isEmpty());
}

TEST_F(TableRoutinesTest, EnsureIndexAsksAfterThreeFailuresAndGivesUpOnNo) {
    Table oc(*db, "OCORRENC");
    ScriptedUi answers({true, false});
    EXPECT_FALSE(EnsureIndex(oc, "id_inexistente", answers));
    QStringList q = answers.texts("question");
    ASSERT_EQ(q.size(), 2);
    EXPECT_EQ(q[0], QStringLiteral("Impossivel mudar chave:id_inexistente do arquivo:OCORRENC.db,tentar novamente"));
    EXPECT_EQ(answers.texts("error"), QStringList{"Sair do programa e entrar novamente"});
}

TEST_F(TableRoutinesTest, TryEditRefusesARowHeldByAnotherWorkstation) {
    const TableDef& cad = Registry::instance().require("CADFUN");
    {
        auto lock = TryEdit(*db, cad, {"000001"}, "000001", ui);
        ASSERT_TRUE(lock.has_value());
        EXPECT_EQ(RowHolder(*db, cad, {"000001"}), StationId());
    }
    EXPECT_EQ(RowHolder(*db, cad, {"000001"}), QString()); // released
    if (db->backend() == Backend::PostgreSQL) return; // the server's holds are tested below
    // Another workstation holds the row.
    db->exec("INSERT INTO TRAVAS (TABELA, CHAVE, ESTACAO, PROCESSO) VALUES ('CADFUN', '000002', 'OUTRA-ESTACAO', 1)");
    ScriptedUi answers({true, false}); // OK once, then Cancel
    EXPECT_FALSE(TryEdit(*db, cad, {"000002"}, "000001", answers).has_value());
    EXPECT_EQ(answers.texts("question"),
              (QStringList{"Existe outro usuário alterando este registro", "Existe outro usuário alterando este registro"}));
    // A hold left by a program of this workstation that has ended is taken over.
    pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    db->exec("INSERT INTO TRAVAS (TABELA, CHAVE, ESTACAO, PROCESSO) VALUES ('CADFUN', '000003', ?, ?)",
             {StationId(), int(child)});
    EXPECT_TRUE(TryEdit(*db, cad, {"000003"}, "000001", ui).has_value());
}

TEST_F(TableRoutinesTest, TempTablesAreReplacedAndFieldLabelsMapBack) {
    TableDef def = TableBuilder("TMPRESUMO", "TMPRESUMO.db", Scope::Company, "Resumo")
                       .text("CODIGO", 3, "Código")
                       .number("VALOR", "Valor Total")
                       .key({"CODIGO"})
                       .build();
    CreateTempTable(*db, def);
    Table t(*db, def);
    Record r = t.newRecord();
    r.set("CODIGO", "001").set("VALOR", "10.5");
    t.insert(r);
    CreateTempTable(*db, def);
    EXPECT_EQ(t.count(), 0);
    EXPECT_EQ(FillFieldLabels(def), (QStringList{"Código", "Valor Total"}));
    EXPECT_EQ(FieldNameByLabel(def, "Valor Total"), QStringLiteral("VALOR"));
    EXPECT_EQ(FieldNameByLabel(def, "Sem campo"), QStringLiteral("Sem campo"));
    EXPECT_EQ(GridLayoutFile("/x/ini/", "GridBancos"), QStringLiteral("/x/ini/GridBancos.ini"));
}

TEST_F(TableRoutinesTest, BranchParametersAreCachedForTheRun) {
    db->ensureSchema(Scope::Shared);
    auto add = [&](int filial, const char* name, const char* value) {
        db->exec("INSERT INTO ParametrosEmpresa (filial, NomeParametro, ValorStr) VALUES (?, ?, ?)", {filial, name, value});
    };
    add(1, "DirImpTmp", "K");
    add(2, "DirImpTmp", "Z");
    ResetBranchParameterCache();
    EXPECT_EQ(GetBranchParameter(*db, "1", "DirImpTmp"), QStringLiteral("K"));
    EXPECT_EQ(GetBranchParameter(*db, "1", "Outro"), QString());
    db->exec("UPDATE ParametrosEmpresa SET ValorStr = 'M' WHERE filial = 1");
    EXPECT_EQ(GetBranchParameter(*db, "1", "DirImpTmp"), QStringLiteral("K")); // never refreshed
    ResetBranchParameterCache();
    EXPECT_EQ(GetBranchParameter(*db, "-ZERO-", "DirImpTmp"), QStringLiteral("M"));
}
