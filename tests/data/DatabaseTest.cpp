#include "Database.h"
#include "Fixed.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

TEST(LegacySql, MapsTableFileNamesToStoredTables) {
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"SELECT * FROM \"CADFUN.DB\" CADFUN", "SELECT * FROM CADFUN CADFUN"},
        {"Select * from empresaFOLHA.DB", "Select * from empresaFOLHA"},
        {"select * from \"c:\\dados\\emp1\\Ocorrenc.db\" o where o.CODFUN = '1.db'",
         "select * from Ocorrenc o where o.CODFUN = '1.db'"},
        {"delete from ocorrenc Where Ocorrenc.CODFUN = 'it''s \"X.db\"'",
         "delete from ocorrenc Where Ocorrenc.CODFUN = 'it''s \"X.db\"'"},
        {"select \"NOME\" from CADFUN.dbx", "select \"NOME\" from CADFUN.dbx"},
        {"update Filial.db set VALOR = 1.5", "update Filial set VALOR = 1.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(translateLegacySql(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(dir.path());
        db->ensureSchema(Scope::Company);
    }
    // A register row of an employee with only the fields every one needs.
    static Record employeeRow(const Table& cad, const char* code) {
        Record r = cad.newRecord();
        r.set("CODFUN", code).set("NOME", "X");
        return r;
    }
    TempDir dir;
    std::unique_ptr<Database> db;
};

TEST_F(DatabaseTest, OpensInWalModeWithTheCompanyTables) {
    if (db->backend() == Backend::SQLite) {
        auto q = db->exec("PRAGMA journal_mode");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString().toLower(), QStringLiteral("wal"));
    } else {
        // On the server: the directory's own schema, and a busy row waited
        // for as long as on SQLite.
        auto q = db->exec("SELECT current_schema(), current_setting('lock_timeout')");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), db->location().schemaName());
        EXPECT_EQ(q.value(1).toString(), QStringLiteral("5s"));
    }
    EXPECT_TRUE(db->hasTable("cadfun"));
    EXPECT_TRUE(db->hasTable("OCORRENC"));
    const TableDef& oc = Registry::instance().require("OCORRENC");
    EXPECT_TRUE(db->hasIndex(oc, *oc.index("id_ocor_func")));
    // The index over the key's own fields is the key's: no copy is stored,
    // so an event row written updates one index less.
    EXPECT_TRUE(db->hasIndex(oc, *oc.index("id_ocor_hcod")));
    auto stored = db->exec(db->backend() == Backend::SQLite
                               ? "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'OCORRENC'"
                               : "SELECT count(*) FROM pg_indexes WHERE schemaname = current_schema() AND tablename = 'ocorrenc'");
    ASSERT_TRUE(stored.next());
    EXPECT_EQ(stored.value(0).toInt(), 3); // the key's, "id_ocor_func" and "id_ocor_func2"
}

TEST_F(DatabaseTest, OverlongTextIsRefusedNeverCut) {
    Table cad(*db, "CADFUN");
    Record r = cad.newRecord();
    EXPECT_NO_THROW(r.set("NOME", QString(40, 'A')));
    try {
        r.set("NOME", QString(41, 'A'));
        FAIL() << "no refusal";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("NOME"));
        EXPECT_TRUE(e.message().contains("40"));
    }
    EXPECT_EQ(r.text("NOME"), QString(40, 'A'));
    // The stored table keeps the width too, for statements typed by hand.
    EXPECT_THROW(db->exec("INSERT INTO CADFUN (CODFUN, NOME) VALUES (?, ?)", {"000001", QString(41, 'B')}), DbError);
}

TEST_F(DatabaseTest, BadValuesAreRefusedWithTheFieldNamed) {
    Table cad(*db, "CADFUN");
    Record r = cad.newRecord();
    struct {
        const char* field;
        QVariant value;
    } bad[] = {{"VLR_SALAR", "12,3,4"}, {"VLR_SALAR", "1.23456"}, {"HR_SEMAN", 40000}, {"HR_SEMAN", "quarenta"},
               {"DT_ADMIS", "31/02/2013"}, {"NAOEXISTE", 1}};
    for (const auto& b : bad) {
        try {
            r.set(b.field, b.value);
            ADD_FAILURE() << b.field << " accepted " << b.value.toString().toStdString();
        } catch (const DbError& e) {
            EXPECT_TRUE(e.message().contains(b.field)) << e.message().toStdString();
        }
    }
    r.set("DT_ADMIS", "05/01/2013").set("VLR_SALAR", "1500,5").set("HR_SEMAN", "44");
    EXPECT_EQ(r.date("DT_ADMIS"), QDate(2013, 1, 5));
    EXPECT_EQ(r.number("VLR_SALAR"), Fixed::fromRaw(15005000));
    EXPECT_EQ(r.integer("HR_SEMAN"), 44);
}

TEST_F(DatabaseTest, EventRowsOfOtherSheetsAndUnpaddedMonthsAreDistinct) {
    Table oc(*db, "OCORRENC");
    auto row = [&](const char* month, const char* sheet, const char* valor) {
        Record r = oc.newRecord();
        r.set("OCORRANO", "2013").set("OCORRMES", month).set("TIPOFOLHA", sheet).set("HCODIGO", "001");
        r.set("CODFUN", "000001").set("VALOR", valor);
        return r;
    };
    oc.insert(row("03", "F", "100"));
    oc.insert(row("03", "A", "40"));
    oc.insert(row("3", "F", "7"));
    EXPECT_EQ(oc.count(), 3);
    EXPECT_EQ(oc.find({"2013", "03", "F", "001", "000001"})->number("VALOR"), Fixed::fromInt(100));
    EXPECT_EQ(oc.find({"2013", "03", "A", "001", "000001"})->number("VALOR"), Fixed::fromInt(40));
    // Writing the same key replaces the values.
    oc.save(row("03", "F", "123.45"));
    EXPECT_EQ(oc.count(), 3);
    EXPECT_EQ(oc.find({"2013", "03", "F", "001", "000001"})->number("VALOR"), Fixed::fromRaw(1234500));
    EXPECT_THROW(oc.insert(row("03", "F", "1")), DbError);
}

TEST_F(DatabaseTest, IndexOrderAndNearestPositioning) {
    Table oc(*db, "OCORRENC");
    for (const char* fun : {"000003", "000001", "000002"})
        for (const char* cod : {"010", "001"}) {
            Record r = oc.newRecord();
            r.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", cod).set("CODFUN", fun);
            oc.insert(r);
        }
    oc.setIndex("id_ocor_func");
    auto first = oc.findNearest({"2013", "04", "F", "000002"});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text("CODFUN"), QStringLiteral("000002"));
    EXPECT_EQ(first->text("HCODIGO"), QStringLiteral("001"));
    auto after = oc.findNearest({"2013", "04", "F", "0000025"});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->text("CODFUN"), QStringLiteral("000003"));
    EXPECT_FALSE(oc.findNearest({"2013", "04", "F", "000004"}).has_value());
    QStringList order;
    for (const auto& r : oc.select()) order << r.text("CODFUN") + r.text("HCODIGO");
    EXPECT_EQ(order, (QStringList{"000001001", "000001010", "000002001", "000002010", "000003001", "000003010"}));
    EXPECT_THROW(oc.setIndex("nao_existe"), DbError);
}

// Page by page in key order over a five-field key: every row once, in
// order, whatever the page size, and the condition keeps only its rows.
TEST_F(DatabaseTest, PagesFollowTheKeyAcrossEveryField) {
    Table oc(*db, "OCORRENC");
    QStringList all;
    for (const char* month : {"03", "04"})
        for (const char* sheet : {"F", "I"})
            for (const char* cod : {"010", "001"})
                for (const char* fun : {"000003", "000001"}) {
                    oc.insert(oc.newRecord()
                                  .set("OCORRANO", "2013")
                                  .set("OCORRMES", month)
                                  .set("TIPOFOLHA", sheet)
                                  .set("HCODIGO", cod)
                                  .set("CODFUN", fun));
                }
    auto readAll = [&](int size, const QString& where, const QVariantList& params) {
        QStringList keys;
        QVariantList after;
        for (int pages = 0; pages < 100; ++pages) {
            const std::vector<Record> page = oc.page(where, params, after, size);
            EXPECT_LE(int(page.size()), size);
            for (const Record& r : page)
                keys << r.text("OCORRMES") + r.text("TIPOFOLHA") + r.text("HCODIGO") + r.text("CODFUN");
            if (int(page.size()) < size) break;
            after = page.back().keyValues();
        }
        return keys;
    };
    const QStringList ordered = {"03F001000001", "03F001000003", "03F010000001", "03F010000003", "03I001000001", "03I001000003",
                                 "03I010000001", "03I010000003", "04F001000001", "04F001000003", "04F010000001", "04F010000003",
                                 "04I001000001", "04I001000003", "04I010000001", "04I010000003"};
    for (int size : {1, 3, 16, 100}) EXPECT_EQ(readAll(size, {}, {}), ordered) << size;
    EXPECT_EQ(readAll(2, "CODFUN = ? AND TIPOFOLHA = ?", {"000003", "I"}),
              (QStringList{"03I001000003", "03I010000003", "04I001000003", "04I010000003"}));
    EXPECT_THROW(oc.page({}, {}, {"2013"}, 10), DbError);
}

TEST_F(DatabaseTest, WritesThatBelongTogetherRollBackTogether) {
    Table cad(*db, "CADFUN");
    auto emp = [&](const char* code) { return employeeRow(cad, code); };
    {
        Transaction outer(*db);
        cad.insert(emp("000001"));
        {
            Transaction inner(*db);
            cad.insert(emp("000002"));
            // inner not committed: the whole outer transaction is spoiled
        }
        EXPECT_THROW(outer.commit(), DbError);
    }
    EXPECT_EQ(cad.count(), 0);
    {
        Transaction t(*db);
        cad.insert(emp("000001"));
        t.commit();
    }
    EXPECT_EQ(cad.count(), 1);
}

// A group of employees committed together: one employee's writes taken back
// to his savepoint leave the group's others, also after a step of his
// failed (an inner transaction rolled back) or the engine refused a
// statement of his.
TEST_F(DatabaseTest, ASavepointTakesBackOneEmployeeAndKeepsTheGroup) {
    Table cad(*db, "CADFUN");
    auto emp = [&](const char* code) { return employeeRow(cad, code); };
    {
        Transaction group(*db);
        cad.insert(emp("000001"));
        {
            Savepoint one(*db);
            cad.insert(emp("000002"));
            {
                Transaction step(*db); // a step that fails spoils only what follows the point
                cad.insert(emp("000003"));
            }
        }
        {
            Savepoint refused(*db);
            EXPECT_THROW(cad.insert(emp("000001")), DbError); // the key is taken
        }
        {
            Savepoint kept(*db);
            cad.insert(emp("000004"));
            kept.release();
        }
        group.commit();
    }
    QStringList codes;
    for (const Record& r : cad.select()) codes << r.text("CODFUN");
    EXPECT_EQ(codes, (QStringList{"000001", "000004"}));
}

// Many rows to a statement: what is read back is what each row held, nulls
// and all; the rows of other keys stay; a required field left empty is
// refused before anything is written.
TEST_F(DatabaseTest, RowsWrittenAndRemovedManyToAStatementRoundTrip) {
    Table t(*db, "OCORRENC");
    std::vector<Record> rows;
    for (int i = 0; i < 150; ++i) { // more than one statement's worth
        Record r = t.newRecord();
        r.set("OCORRANO", "2026").set("OCORRMES", "01").set("TIPOFOLHA", "F");
        r.set("HCODIGO", QStringLiteral("%1").arg(i % 50 + 1, 3, 10, QChar('0')));
        r.set("CODFUN", QStringLiteral("%1").arg(i / 50 + 1, 6, 10, QChar('0')));
        r.setNumber("VALOR", Fixed::fromInt(i) + *Fixed::parse("0.01"));
        if (i % 7 == 0) r.set("FLAG", "*");
        if (i == 149) r.set("DT_IGOZFER", QDate(2026, 1, 5)); // a column only one row fills
        rows.push_back(r);
    }
    std::vector<const Record*> all;
    for (const Record& r : rows) all.push_back(&r);
    {
        Transaction tx(*db);
        t.insertMany(all);
        tx.commit();
    }
    ASSERT_EQ(t.count(), 150);
    for (const Record& r : rows) {
        const auto back = t.find(r.keyValues());
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(*back == r) << r.keyText().toStdString();
    }
    std::vector<QVariantList> gone;
    for (int i = 0; i < 150; i += 2) gone.push_back(rows[size_t(i)].keyValues());
    EXPECT_EQ(t.removeMany(gone), 75);
    EXPECT_EQ(t.count(), 75);
    EXPECT_FALSE(t.find(rows[0].keyValues()).has_value());
    EXPECT_TRUE(t.find(rows[1].keyValues()).has_value());

    // Rows sought by several partial keys at once, one of them twice and
    // one that has no rows, in either engine's form.
    QVariantList params;
    const QString where = AnyOf(db->backend(), {"OCORRANO", "OCORRMES", "TIPOFOLHA", "CODFUN"},
                                {{"2026", "01", "F", "000001"}, {"2026", "01", "I", "000002"},
                                 {"2026", "01", "F", "000003"}, {"2026", "01", "F", "000001"}},
                                params);
    QSet<QString> employees;
    for (const Record& r : t.select(where, params)) employees << r.text("CODFUN");
    EXPECT_EQ(t.count(where, params), 50);
    EXPECT_EQ(employees, (QSet<QString>{"000001", "000003"}));

    Record blank = t.newRecord();
    blank.set("OCORRANO", "2026").set("OCORRMES", "02").set("TIPOFOLHA", "F").set("HCODIGO", "001");
    std::vector<const Record*> refused{&rows[0], &blank};
    EXPECT_THROW(t.insertMany(refused), DbError); // CODFUN is required
    EXPECT_EQ(t.count(), 75);
}

// The server learns a table's rows again when it has never learnt them; the
// embedded engine is sent nothing.
TEST_F(DatabaseTest, StaleStatisticsAreRefreshedOnTheServerOnly) {
    Table t(*db, "OCORRENC");
    {
        Transaction tx(*db);
        for (int i = 0; i < 120; ++i)
            t.insert(t.newRecord().set("OCORRANO", "2026").set("OCORRMES", "01").set("TIPOFOLHA", "F")
                         .set("HCODIGO", QStringLiteral("%1").arg(i % 40 + 1, 3, 10, QChar('0')))
                         .set("CODFUN", QStringLiteral("%1").arg(i / 40 + 1, 6, 10, QChar('0'))));
        tx.commit();
    }
    const quint64 sent = db->statementsRun();
    db->refreshStatistics("OCORRENC");
    if (db->backend() == Backend::SQLite) {
        EXPECT_EQ(db->statementsRun(), sent);
        return;
    }
    QSqlQuery q = db->exec("SELECT reltuples FROM pg_class WHERE oid = to_regclass(?)", {"ocorrenc"});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toDouble(), 120.0);
}

TEST_F(DatabaseTest, EngineErrorsArePortugueseAndNameTheStatement) {
    try {
        db->exec("SELEC * FROM CADFUN");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Erro de sintaxe no comando SQL, perto de \"SELEC\"\nSELEC * FROM CADFUN"));
    }
    Table cad(*db, "CADFUN");
    cad.insert(cad.newRecord().set("CODFUN", "000001"));
    try {
        cad.insert(cad.newRecord().set("CODFUN", "000001"));
        FAIL();
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Registro já cadastrado com a mesma chave CADFUN.CODFUN\n")))
            << e.message().toStdString();
    }
}

// What the engines say, as the user reads it: SQLite's result codes and
// PostgreSQL's SQLSTATEs.
TEST(DatabaseErrorText, MapsTheFailuresAUserMeets) {
    struct Case {
        const char* databaseText;
        const char* code;
        const char* expected;
        bool environment;
    };
    const Case cases[] = {
        {"database is locked", "5", "A base de dados está em uso por outra estação; aguarde alguns instantes e tente novamente.", true},
        {"database table is locked", "6", "A base de dados está em uso por outra estação; aguarde alguns instantes e tente novamente.", true},
        {"could not obtain lock on row", "55P03", "A base de dados está em uso por outra estação; aguarde alguns instantes e tente novamente.", true},
        {"attempt to write a readonly database", "8", "A base de dados está somente para leitura: verifique as permissões da pasta de dados.", true},
        {"database or disk is full", "13", "Disco cheio: não há espaço para gravar na base de dados.", true},
        {"database disk image is malformed", "11", "A base de dados está danificada ou não é uma base do sistema.", true},
        {"file is not a database", "26", "A base de dados está danificada ou não é uma base do sistema.", true},
        {"unable to open database file", "14", "Não foi possível abrir a base de dados: verifique a pasta de dados e suas permissões.", true},
        {"disk I/O error", "10", "Erro de leitura ou gravação no disco da base de dados.", true},
        {"disk I/O error", "522", "Erro de leitura ou gravação no disco da base de dados.", true}, // extended code
        {"no such table: XPTO", "1", "Tabela não encontrada: XPTO", false},
        {"no such column: NOMEX", "1", "Campo não encontrado: NOMEX", false},
        {"NOT NULL constraint failed: CADFUN.CODFUN", "19", "Campo obrigatório não preenchido CADFUN.CODFUN", false},
        {"incomplete input", "1", "Comando SQL incompleto", false},
        {"", "", "Erro não identificado da base de dados", false},
    };
    for (const Case& c : cases) {
        bool environment = !c.environment;
        const QSqlError e(*c.databaseText ? QStringLiteral("Unable to execute statement") : QString(), QString::fromUtf8(c.databaseText),
                          QSqlError::StatementError, QString::fromLatin1(c.code));
        EXPECT_EQ(DatabaseErrorText(e, &environment), QString::fromUtf8(c.expected)) << c.databaseText;
        EXPECT_EQ(environment, c.environment) << c.databaseText;
    }
    // "not an error" from the engine gives the driver's own account.
    const QSqlError mismatch(QStringLiteral("Parameter count mismatch"), QStringLiteral("not an error"),
                             QSqlError::StatementError, QStringLiteral("0"));
    EXPECT_EQ(DatabaseErrorText(mismatch), QStringLiteral("O número de valores não confere com o comando SQL"));
}

// What the register takes in a number field: numbers within range, and for
// the salary nothing below zero. Each refusal names the table and field (and
// the row, once its key is filled).
TEST(RecordNumbers, SetRefusesWhatIsNotAGoodNumber) {
    const struct {
        const char* table;
        const char* field;
        QVariant value;
        const char* reason; // empty: taken
        const char* stored;
    } cases[] = {
        {"CADFUN", "VLR_SALAR", QStringLiteral("1500.50"), "", "1500.5"},
        {"CADFUN", "VLR_SALAR", QStringLiteral("0"), "", "0"},
        {"CADFUN", "VLR_SALAR", QStringLiteral("abc"), "\"abc\" não é um número", nullptr},
        {"CADFUN", "VLR_SALAR", QStringLiteral("-0.01"), "-0.01 é menor que o mínimo 0", nullptr},
        {"CADFUN", "VLR_SALAR", QVariant(-1500), "-1500 é menor que o mínimo 0", nullptr},
        {"CADFUN", "VLR_SALAR", QVariant(-0.5), "-0.5 é menor que o mínimo 0", nullptr},
        {"CADFUN", "VLR_SALAR", QStringLiteral("1e16"), "\"1e16\" não é um número", nullptr},
        {"CADFUN", "VLR_SALAR", QStringLiteral("10000000000000000"), "10000000000000000 está fora da faixa", nullptr},
        {"CADFUN", "VLR_SALAR", QVariant(qlonglong(10000000000000000LL)), "10000000000000000 está fora da faixa", nullptr},
        {"CADFUN", "VLR_SALAR", QVariant(1e16), "10000000000000000 está fora da faixa", nullptr},
        {"OCORRENC", "VALOR", QStringLiteral("-25.10"), "", "-25.1"}, // a negative event amount is a correction
        {"OCORRENC", "VALOR", QVariant(qlonglong(10000000000000000LL)), "10000000000000000 está fora da faixa", nullptr},
        {"OCORRENC", "REFER", QStringLiteral("12x"), "\"12x\" não é um número", nullptr},
    };
    for (const auto& c : cases) {
        Record r(Registry::instance().require(c.table));
        const QString label = QStringLiteral("%1.%2 = %3").arg(c.table, c.field, c.value.toString());
        if (!*c.reason) {
            r.set(c.field, c.value);
            EXPECT_EQ(r.number(c.field).toString(), QString::fromLatin1(c.stored)) << label.toStdString();
            continue;
        }
        try {
            r.set(c.field, c.value);
            ADD_FAILURE() << "taken: " << label.toStdString();
        } catch (const DbError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("%1.%2").arg(c.table, c.field))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.reason))) << e.message().toStdString();
        }
        EXPECT_TRUE(r.isNull(c.field)) << label.toStdString();
    }
    Record e(Registry::instance().require("CADFUN"));
    e.set("CODFUN", "000007");
    try {
        e.set("VLR_SALAR", "-100");
        ADD_FAILURE() << "a negative salary was taken";
    } catch (const DbError& err) {
        EXPECT_EQ(err.message(), QStringLiteral("Valor inválido para o campo CADFUN.VLR_SALAR (\"Valor Salário\") do "
                                                "registro CODFUN 000007: -100 é menor que o mínimo 0"));
    }
}

// SQLite keeps whatever a statement stores (`folha sql` can put "abc" into a
// number column); reading such a value is refused by the field, with the
// table, field and row named, while the row's other fields still read.
TEST_F(DatabaseTest, StoredValuesThatTheFieldCannotHoldAreRefusedWhenRead) {
    Table cadfun(*db, "CADFUN");
    Record e = cadfun.newRecord();
    e.set("CODFUN", "000001").set("NOME", "ANA").set("VLR_SALAR", "1000.00").set("CONDICAO", 1);
    cadfun.insert(e);
    Table ocorrenc(*db, "OCORRENC");
    Record o = ocorrenc.newRecord();
    o.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", "003").set("CODFUN", "000001");
    o.set("VALOR", "10.00").set("REFER", "2.00");
    ocorrenc.insert(o);

    const struct {
        const char* update;
        const char* table;
        const char* field;
        const char* message;
    } cases[] = {
        {"UPDATE CADFUN SET VLR_SALAR = 'abc'", "CADFUN", "VLR_SALAR",
         "Valor inválido gravado na tabela CADFUN, campo VLR_SALAR (\"Valor Salário\"), registro CODFUN 000001: "
         "\"abc\" não é um número"},
        {"UPDATE CADFUN SET VLR_SALAR = -1500", "CADFUN", "VLR_SALAR",
         "Valor inválido gravado na tabela CADFUN, campo VLR_SALAR (\"Valor Salário\"), registro CODFUN 000001: "
         "-1500 é menor que o mínimo 0"},
        {"UPDATE CADFUN SET VLR_SALAR = '1e16'", "CADFUN", "VLR_SALAR",
         "Valor inválido gravado na tabela CADFUN, campo VLR_SALAR (\"Valor Salário\"), registro CODFUN 000001: "
         "10000000000000000 está fora da faixa de -922337203685477.5807 a 922337203685477.5807"},
        {"UPDATE OCORRENC SET VALOR = 1e16", "OCORRENC", "VALOR",
         "Valor inválido gravado na tabela OCORRENC, campo VALOR (\"Valor\"), registro OCORRANO 2013, OCORRMES 04, "
         "TIPOFOLHA F, HCODIGO 003, CODFUN 000001: 10000000000000000 está fora da faixa de -922337203685477.5807 a "
         "922337203685477.5807"},
    };
    for (const auto& c : cases) {
        folha::testing::StoreBehindTheRegister(*db, QString::fromLatin1(c.update));
        Table t(*db, c.table);
        const Record r = t.select().at(0);
        try {
            (void)r.value(c.field);
            ADD_FAILURE() << "read: " << c.update;
        } catch (const DbError& err) {
            EXPECT_EQ(err.message(), QString::fromUtf8(c.message)) << c.update;
        }
        EXPECT_THROW((void)r.number(c.field), DbError) << c.update;
        EXPECT_THROW((void)r.text(c.field), DbError) << c.update;
        EXPECT_EQ(r.text("CODFUN"), QStringLiteral("000001")) << c.update;
        // Read with a few fields only: the same refusal; a field not asked for is empty.
        int rows = 0;
        t.forEachOf(t.def().primaryKey + QStringList{c.field}, {}, {}, [&](const Record& few) {
            ++rows;
            try {
                (void)few.value(c.field);
                ADD_FAILURE() << "few fields: " << c.update;
            } catch (const DbError& err) {
                EXPECT_EQ(err.message(), QString::fromUtf8(c.message)) << c.update;
            }
            EXPECT_TRUE(few.isNull(QString::fromLatin1(c.table) == "CADFUN" ? "NOME" : "REFER")) << c.update;
            return true;
        });
        EXPECT_EQ(rows, 1) << c.update;
        // Written back only once the field holds a good value again.
        EXPECT_THROW(t.update(r), DbError) << c.update;
        Record fixed = r;
        fixed.set(c.field, 1);
        EXPECT_TRUE(t.update(fixed)) << c.update;
        EXPECT_EQ(t.select().at(0).number(c.field), Fixed::fromInt(1)) << c.update;
    }
}

// Integer columns are guarded by the schema; a value read from elsewhere (a
// database not created by the system) is refused all the same.
TEST(RecordNumbers, StoredIntegersThatTheFieldCannotHoldAreRefused) {
    const FieldDef& condicao = *Registry::instance().require("CADFUN").field("CONDICAO");
    const struct {
        QVariant stored;
        const char* reason; // empty: taken
        int value;
    } cases[] = {
        {QVariant(qlonglong(1)), "", 1},
        {QVariant(QStringLiteral(" 0 ")), "", 0},
        {QVariant(2.0), "", 2},
        {QVariant(QStringLiteral("ativo")), "\"ativo\" não é um número inteiro", 0},
        {QVariant(1.5), "\"1.5\" não é um número inteiro", 0},
        {QVariant(qlonglong(40000)), "40000 fora da faixa -32768 a 32767", 0},
    };
    for (const auto& c : cases) {
        const QVariant v = normaliseStored(condicao, c.stored);
        if (!*c.reason) {
            EXPECT_EQ(v, QVariant(c.value)) << c.stored.toString().toStdString();
            continue;
        }
        ASSERT_EQ(v.typeId(), qMetaTypeId<StoredFault>()) << c.stored.toString().toStdString();
        EXPECT_EQ(v.value<StoredFault>().message, QString::fromUtf8(c.reason));
    }
    EXPECT_TRUE(normaliseStored(condicao, QVariant(QString())).isNull());
}

// A query run while another's rows are being read (a lookup per employee,
// a write of its result) leaves the outer reading whole on either backend.
TEST_F(DatabaseTest, AQueryInsideAnIterationLeavesItWhole) {
    Table cadfun(*db, "CADFUN");
    Table ocorrenc(*db, "OCORRENC");
    const int employees = 300; // more than a server sends in one go
    for (int i = 1; i <= employees; ++i) {
        const QString code = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        Record e = cadfun.newRecord();
        e.set("CODFUN", code).set("NOME", "N" + code).set("VLR_SALAR", QString::number(1000 + i)).set("CONDICAO", 1);
        cadfun.insert(e);
        Record o = ocorrenc.newRecord();
        o.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", "001").set("CODFUN", code);
        o.set("VALOR", QString::number(i));
        ocorrenc.insert(o);
    }
    int seen = 0;
    Fixed total;
    cadfun.forEach({}, {}, [&](const Record& e) {
        ++seen;
        // A lookup and a write for each employee, on the same connection.
        const auto rows = ocorrenc.select("CODFUN = ?", {e.text("CODFUN")});
        EXPECT_EQ(rows.size(), 1u) << e.text("CODFUN").toStdString();
        if (!rows.empty()) total = total + rows[0].number("VALOR");
        Record r = ocorrenc.newRecord();
        r.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", "002");
        r.set("CODFUN", e.text("CODFUN")).setNumber("VALOR", e.number("VLR_SALAR"));
        ocorrenc.insert(r);
        return true;
    });
    EXPECT_EQ(seen, employees);
    EXPECT_EQ(total, Fixed::fromInt(employees * (employees + 1) / 2));
    EXPECT_EQ(ocorrenc.count("HCODIGO = ?", {"002"}), employees);
}
