// Saving and deleting register rows: the post and its audit entry together,
// a refused post without an entry, rows held by another workstation and
// rows deleted by another screen.
#include "RegisterService.h"

#include "DbError.h"
#include "ScriptedUi.h"
#include "TempDir.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace folha;
using namespace folha::registers;

namespace {

class RegisterServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.setCreateMissing(true);
        session.signIn.CurrentUserCode = "000002";
        session.signIn.CurrentBranchCode = 1;
        session.folha().ensureSchema(Scope::Company);
        session.zorvan().ensureSchema(Scope::Shared);
    }
    // The audit entries of this month as "Janela Acao Usuario Filial: Log".
    QStringList auditEntries() {
        const QDate today = QDate::currentDate();
        const TableDef def = Registry::instance().auditLogTable(today.month(), today.year());
        QStringList out;
        if (!session.zorvan().hasTable(def.name)) return out;
        for (const auto& r : Table(session.zorvan(), def).select({}, {}, "AutoInc"))
            out << QStringLiteral("%1 %2 %3 %4: %5")
                       .arg(r.text("Janela"), r.text("Acao"), r.text("Usuario"))
                       .arg(r.integer("Filial"))
                       .arg(r.text("Log"));
        return out;
    }
    // An employee with everything the register asks for.
    Record employee(const QString& code) {
        Record r(Registry::instance().require("CADFUN"));
        r.set("CODFUN", code).set("NOME", "JOSE DA SILVA").set("DT_ADMIS", QDate(2013, 1, 2));
        r.set("VLR_SALAR", "1500.00").set("TIPO_PAG", 1).set("CONDICAO", 1).set("VINCULO", 10);
        r.set("CALCULO", 1).set("HR_SEMAN", 44);
        return r;
    }
    Record bank(const QString& code, const QString& name) {
        Record r(Registry::instance().require("BANCO"));
        r.set("COD_BANCO", code).set("NOME", name).set("AGENCIA", "0001");
        return r;
    }
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
};

TEST_F(RegisterServiceTest, InsertAndEditPostTheRowAndWriteTheirEntries) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    banks.save(bank("001", "BANCO UM"), true);
    EXPECT_EQ(banks.table().find({"001"})->text("NOME"), "BANCO UM");
    banks.save(bank("001", "BANCO UM S.A."), false);
    EXPECT_EQ(banks.table().find({"001"})->text("NOME"), "BANCO UM S.A.");
    EXPECT_EQ(auditEntries(),
              (QStringList{"TfoCadBancos I 000002 1: Inclusão de cadastro de banco |Codigo: 001 |Nome): BANCO UM |Ag: 0001",
                           "TfoCadBancos E 000002 1: Edição de cadastro de banco |Codigo: 001 |Nome): BANCO UM S.A. |Ag: 0001"}));
    EXPECT_TRUE(ui.entries.isEmpty());
}

TEST_F(RegisterServiceTest, ADuplicateKeyIsRefusedWithoutAnEntry) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    banks.save(bank("001", "BANCO UM"), true);
    try {
        banks.save(bank("001", "OUTRO"), true);
        FAIL() << "a key that exists was posted";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), "Registro já cadastrado: Cod Banco 001.");
    }
    EXPECT_EQ(banks.table().find({"001"})->text("NOME"), "BANCO UM");
    EXPECT_EQ(auditEntries().size(), 1);
}

// An employee the calculation could not pay, or a register row without its
// description, is refused, naming the field by its caption.
TEST_F(RegisterServiceTest, ARequiredFieldLeftEmptyIsRefusedWithoutAnEntry) {
    RegisterService employees(session, *FindRegister("TfoCadFuncionarios"), ui);
    const Record whole = employee("000024");
    employees.save(whole, true);
    employees.table().remove({"000024"});
    const int entries = int(auditEntries().size());
    const struct {
        const char* field;
        QVariant value;
        const char* caption;
    } cases[] = {
        {"CODFUN", QVariant(), "Código"},         {"CODFUN", "   ", "Código"}, // blanks are no value either
        {"NOME", "", "Nome"},                      {"DT_ADMIS", QVariant(), "Data Admissão"},
        {"VLR_SALAR", QVariant(), "Valor Salário"}, {"TIPO_PAG", QVariant(), "Tipo Pag"},
        {"CONDICAO", QVariant(), "Condição"},      {"VINCULO", QVariant(), "Vínculo"},
        {"HR_SEMAN", QVariant(), "Hr Semana"},
    };
    for (const auto& c : cases) {
        Record r = whole;
        if (c.value.isNull())
            r.setNull(c.field);
        else
            r.set(c.field, c.value);
        try {
            employees.save(r, true);
            ADD_FAILURE() << c.field << " left empty was posted";
        } catch (const UserError& e) {
            EXPECT_EQ(e.message().toStdString(),
                      QStringLiteral("O campo \"%1\" é obrigatório. Preencha-o antes de gravar.").arg(c.caption).toStdString());
        }
    }
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    EXPECT_THROW(banks.save(bank("001", ""), true), UserError);
    EXPECT_EQ(employees.table().count(), 0);
    EXPECT_EQ(auditEntries().size(), entries);
}

TEST_F(RegisterServiceTest, EditingARowGoneMeanwhileIsRefusedWithoutAnEntry) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    EXPECT_THROW(banks.save(bank("009", "NENHUM"), false), UserError);
    EXPECT_EQ(banks.table().count(), 0);
    EXPECT_TRUE(auditEntries().isEmpty());
}

TEST_F(RegisterServiceTest, DeleteAsksFirstAndLogsTheStoredRow) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    banks.save(bank("001", "BANCO UM"), true);
    ScriptedUi no({false});
    RegisterService refusing(session, *FindRegister("TfoCadBancos"), no);
    EXPECT_FALSE(refusing.remove(bank("001", "BANCO UM")));
    EXPECT_EQ(no.texts("question").join('|').toStdString(), "Confirma exclusão do registro selecionado?\nBanco 001 - BANCO UM");
    EXPECT_TRUE(banks.table().find({"001"}).has_value());

    ScriptedUi yes({true});
    RegisterService deleting(session, *FindRegister("TfoCadBancos"), yes);
    // The screen's copy is out of date; the entry names the row as stored.
    EXPECT_TRUE(deleting.remove(bank("001", "NOME ANTIGO")));
    EXPECT_FALSE(banks.table().find({"001"}).has_value());
    QStringList entries = auditEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1], "TfoCadBancos X 000002 1: Exclusão de cadastro de banco |Codigo: 001 |Nome): BANCO UM |Ag: 0001");
}

// A row names only what is registered (a code typed short is the code with
// its zeros), and a registered row is not deleted while rows name it.
TEST_F(RegisterServiceTest, RowsNameOnlyWhatIsRegisteredAndKeepItFromDeletion) {
    RegisterService positions(session, *FindRegister("TfoCadCargos"), ui);
    Record position(Registry::instance().require("Cargos"));
    position.set("COD_CARGOS", "007").set("NOME_CARGO", "ANALISTA");
    positions.save(position, true);
    RegisterService employees(session, *FindRegister("TfoCadFuncionarios"), ui);
    Record e = employee("24");
    const struct {
        const char* field;
        QVariant value;
        const char* refusal;
    } cases[] = {
        {"CARGO", 8, "Cargo 8 não cadastrado"},
        {"CENTCUSTO", "99", "Centro de custo 99 não cadastrado"},
        {"HISTO1", 101, "Histórico 101 não cadastrado"},
        {"COD_SIND", 3, "Sindicato 3 não cadastrado"},
    };
    for (const auto& c : cases) {
        Record wrong = e;
        wrong.set(c.field, c.value);
        try {
            employees.save(wrong, true);
            ADD_FAILURE() << c.field << " naming nothing was posted";
        } catch (const UserError& error) {
            EXPECT_EQ(error.message().toStdString(), c.refusal);
        }
    }
    EXPECT_EQ(employees.table().count(), 0);
    e.set("CARGO", 7).set("CENTCUSTO", "").set("COD_SIND", 0);
    employees.save(e, true);
    ASSERT_TRUE(employees.table().find({"000024"}).has_value());
    const int entries = int(auditEntries().size());

    ScriptedUi yes({true});
    RegisterService deleting(session, *FindRegister("TfoCadCargos"), yes);
    EXPECT_FALSE(deleting.remove(position));
    EXPECT_EQ(yes.texts("error"), QStringList{"Cargo 007 tem 1 registro(s) em Funcionários\nNão é possível excluir."});
    EXPECT_TRUE(positions.table().find({"007"}).has_value());
    EXPECT_EQ(auditEntries().size(), entries);
}

TEST_F(RegisterServiceTest, ARowDeletedMeanwhileIsNotFound) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    banks.save(bank("001", "BANCO UM"), true);
    const Record shown = *banks.table().find({"001"});
    banks.table().remove({"001"}); // another screen deleted it
    EXPECT_FALSE(banks.reread(shown).has_value());
    EXPECT_FALSE(banks.beginEdit(shown).has_value());
    EXPECT_EQ(ui.texts("error"), (QStringList{"Registro não encontrado!", "Registro não encontrado!"}));

    ScriptedUi yes({true});
    RegisterService deleting(session, *FindRegister("TfoCadBancos"), yes);
    EXPECT_FALSE(deleting.remove(shown));
    EXPECT_EQ(yes.texts("error"), QStringList{"Registro não encontrado!"});
    EXPECT_EQ(auditEntries().size(), 1); // the insert only
}

TEST_F(RegisterServiceTest, ARowHeldByAnotherWorkstationAsksAndGivesUpOnCancel) {
    RegisterService banks(session, *FindRegister("TfoCadBancos"), ui);
    banks.save(bank("001", "BANCO UM"), true);
    banks.save(bank("002", "BANCO DOIS"), true);
    const Record one = *banks.table().find({"001"});
    {
        auto lock = banks.beginEdit(one);
        ASSERT_TRUE(lock.has_value());
        EXPECT_EQ(RowHolder(session.folha(), banks.table().def(), {"001"}), StationId());
    }
    EXPECT_EQ(RowHolder(session.folha(), banks.table().def(), {"001"}), QString());

    session.folha().exec("INSERT INTO TRAVAS (TABELA, CHAVE, ESTACAO, PROCESSO) VALUES ('BANCO', '002', 'OUTRA-ESTACAO', 1)");
    ScriptedUi answers({true, false}); // OK once, then Cancel
    RegisterService held(session, *FindRegister("TfoCadBancos"), answers);
    EXPECT_FALSE(held.beginEdit(*banks.table().find({"002"})).has_value());
    EXPECT_EQ(answers.texts("question"), (QStringList{"Existe outro usuário alterando este registro",
                                                      "Existe outro usuário alterando este registro"}));
}

TEST_F(RegisterServiceTest, TheEmployeeRegisterLogsTheSalaryWithADecimalComma) {
    RegisterService employees(session, *FindRegister("TfoCadFuncionarios"), ui);
    Record r = employee("000045");
    r.set("NOME", "JOSE O'BRIEN").set("VLR_SALAR", "2345.60");
    employees.save(r, true);
    r.set("VLR_SALAR", "2400");
    employees.save(r, false);
    EXPECT_EQ(auditEntries(),
              (QStringList{"TfoCadFuncionarios I 000002 1: Inclusão de cadastro de funcionários |Codigo: 000045|Nome: JOSE O'BRIEN|Salário: 2345,6",
                           "TfoCadFuncionarios E 000002 1: Edição de de cadastro de funcionários |Codigo: 000045|Nome: JOSE O'BRIEN|Salário: 2400"}));
}

} // namespace

// An employee's or a dependant's save marks the worker's non-periodic eSocial
// events changed, and only those.
TEST_F(RegisterServiceTest, EmployeeAndDependantSavesMarkTheWorkersEsocialEvents) {
    Database& db = session.folha();
    Table events(db, "ESOCIAL");
    // As generated: the type and the worker beside the subject.
    const char* subjects[][3] = {{"S-2200|000007", "S-2200", "000007"},
                                 {"S-2206|000007|2013-02-01", "S-2206", "000007"},
                                 {"S-1200|000007|2013-01", "S-1200", "000007"},
                                 {"S-2200|000070", "S-2200", "000070"}};
    int n = 0;
    for (const auto& [subject, type, worker] : subjects) {
        Record e = events.newRecord();
        e.set("ID", QStringLiteral("ID%1").arg(++n)).set("ASSUNTO", subject).set("TIPO", type).set("CODFUN", worker);
        events.insert(e.set("VERSAO", 1).set("ALTERADO", "N"));
    }
    auto changed = [&] {
        QStringList out;
        for (const Record& e : events.select("ALTERADO = 'S'", {}, "ASSUNTO")) out << e.text("ASSUNTO").trimmed();
        return out;
    };
    RegisterService employees(session, *FindRegister("TfoCadFuncionarios"), ui);
    Record joe = employee("000007");
    joe.set("VINCULO", 1);
    employees.save(joe, true);
    EXPECT_EQ(changed(), (QStringList{"S-2200|000007", "S-2206|000007|2013-02-01"}));

    db.execWrite("UPDATE ESOCIAL SET ALTERADO = 'N'");
    RegisterService dependants(session, *FindRegister("TfoCadDependentes"), ui);
    Record child(Registry::instance().require("DEPENDE"));
    child.set("CODFUN", "000007").set("NUMERO", "01").set("NOME_DEPEN", "JOAO DA SILVA");
    dependants.save(child, true);
    EXPECT_EQ(changed(), (QStringList{"S-2200|000007", "S-2206|000007|2013-02-01"}));
}
