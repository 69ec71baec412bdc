// The SQL console: read-only unless asked, one statement at a time, the
// engine's errors in Portuguese, the catalogue of the database.
#include "SqlConsole.h"
#include "TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSqlRecord>
#include "TestBackend.h"

using namespace folha;

namespace {

class SqlConsoleTest : public ::testing::Test {
public:
    void SetUp() override { openAt(d.path()); }
    // A fresh database with two tables and five employees.
    void openAt(const QString& directory) {
        console.reset();
        // The console's refusals are worded for SQLite's own statements
        // (PRAGMA, ATTACH); the server's console is tested further down.
        db = Database::openDirectory(directory);
        db->exec(
            "CREATE TABLE CADFUN (CODFUN VARCHAR(6) PRIMARY KEY, NOME VARCHAR(40), VLR_SALAR NUMERIC(18,4))");
        db->exec(
            "CREATE TABLE Bancos (CODIGO VARCHAR(3) PRIMARY KEY, AGENCIA VARCHAR(10), BANCO VARCHAR(30))");
        db->exec("CREATE INDEX CADFUN__NOME ON CADFUN (NOME)");
        const struct {
            const char* code;
            const char* name;
            double salary;
        } employees[] = {{"000001", "ANA", 1500.5},
                         {"000002", "BRUNO", 2200},
                         {"000003", "CARLA", 980.25},
                         {"000004", "DAVI", 3100},
                         {"000005", "ELISA", 1234.5678}};
        for (const auto& e : employees)
            db->exec("INSERT INTO CADFUN (CODFUN, NOME, VLR_SALAR) VALUES (?, ?, ?)",
                     {e.code, e.name, e.salary});
        console = std::make_unique<SqlConsole>(*db);
    }

    // Every table with every row, to tell that nothing changed.
    QString dump() {
        QString out;
        for (const QString& table : db->tableNames()) {
            out += table + ":";
            auto q = db->exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
            while (q.next()) {
                QStringList cells;
                for (int i = 0; i < q.record().count(); ++i)
                    cells << q.value(i).toString();
                out += cells.join('|') + ";";
            }
            out += "\n";
        }
        for (const QString& ix : folha::testing::IndexNames(*db)) out += ix + "\n";
        return out;
    }
    int count(const QString& table, const QString& where = "1 = 1") {
        auto q = db->exec(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, where));
        return q.next() ? q.value(0).toInt() : -1;
    }
    QString refusal(const QString& statement, bool update) {
        try {
            console->run(statement, update);
        } catch (const UserError& e) {
            return e.message();
        }
        return {};
    }

    TempDir d;
    std::unique_ptr<Database> db;
    std::unique_ptr<SqlConsole> console;
};

} // namespace

TEST_F(SqlConsoleTest, AQueryGivesItsColumnsAndRows) {
    const ConsoleResult r =
        console->run("select CODFUN, NOME as Nome from CADFUN where VLR_SALAR > 1400 order by CODFUN", false);
    EXPECT_TRUE(r.query);
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.columns, (QStringList{"CODFUN", "Nome"}));
    QStringList rows;
    for (const auto& row : r.rows)
        rows << row.value(0).toString() + " " + row.value(1).toString();
    EXPECT_EQ(rows, (QStringList{"000001 ANA", "000002 BRUNO", "000004 DAVI"}));
    // The legacy spelling of a table, a trailing ';' and a comment after it.
    const ConsoleResult legacy =
        console->run("select count(*) as N from \"CADFUN.DB\" CADFUN ;  -- todos", false);
    ASSERT_EQ(legacy.rows.size(), 1u);
    EXPECT_EQ(legacy.rows[0].value(0).toInt(), 5);
    // A ';' inside a literal or a quoted name is part of the statement.
    const ConsoleResult quoted = console->run("select 'a;b' as \"x;y\"", false);
    EXPECT_EQ(quoted.columns, QStringList{"x;y"});
    EXPECT_EQ(quoted.rows.at(0).value(0).toString(), QStringLiteral("a;b"));
}

TEST_F(SqlConsoleTest, ADataChangingStatementRunsOnlyWithUpdate) {
    struct Case {
        const char* statement;
        std::function<bool(SqlConsoleTest&)> changed;
        int rowsAffected; // with update; -1 for a statement that counts none
    };
    const Case cases[] = {
        {"insert into CADFUN (CODFUN, NOME) values ('000009', 'NOVO')",
         [](SqlConsoleTest& t) { return t.count("CADFUN") == 6; }, 1},
        {"update CADFUN set NOME = 'X' where VLR_SALAR > 2000",
         [](SqlConsoleTest& t) { return t.count("CADFUN", "NOME = 'X'") == 2; }, 2},
        {"delete from CADFUN where CODFUN <= '000003'",
         [](SqlConsoleTest& t) { return t.count("CADFUN") == 2; }, 3},
        {"DROP TABLE Bancos", [](SqlConsoleTest& t) { return !t.db->hasTable("Bancos"); }, -1},
        {"create table NOVA (A integer)", [](SqlConsoleTest& t) { return t.db->hasTable("NOVA"); }, -1},
        {"create index CADFUN__SAL on CADFUN (VLR_SALAR)",
         [](SqlConsoleTest& t) { return folha::testing::IndexNames(*t.db).contains("CADFUN__SAL", Qt::CaseInsensitive); }, -1},
        {"alter table Bancos add column CONTA varchar(10)",
         [](SqlConsoleTest& t) { return t.console->fieldNames("Bancos").contains("CONTA"); }, -1},
        // Hidden behind a WITH, the write is still refused by the database.
        {"with velhos as (select CODFUN from CADFUN where VLR_SALAR < 1000) delete from CADFUN where CODFUN "
         "in velhos",
         [](SqlConsoleTest& t) { return t.count("CADFUN") == 4; }, 1},
        {"create temp table RASCUNHO (A integer)",
         [](SqlConsoleTest& t) { return t.count("sqlite_temp_master", "name = 'RASCUNHO'") == 1; }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        openAt(d.file(QString::number(&c - cases)));
        const QString before = dump();
        const QString refused = refusal(c.statement, false);
        EXPECT_TRUE(refused.contains(QStringLiteral("Marque \"UPDATE\""))) << refused.toStdString();
        EXPECT_EQ(dump(), before);
        EXPECT_FALSE(c.changed(*this));

        const ConsoleResult r = console->run(c.statement, true);
        EXPECT_FALSE(r.query);
        EXPECT_TRUE(c.changed(*this));
        if (c.rowsAffected >= 0) {
            EXPECT_EQ(r.rowsAffected, c.rowsAffected);
        }
        // The connection writes again after the read-only run.
        db->exec("INSERT INTO CADFUN (CODFUN) VALUES ('999999')");
    }
}

TEST_F(SqlConsoleTest, AFailedUpdateIsRolledBackAndTheEnginesTextIsShown) {
    const QString before = dump();
    // The second row breaks the key: the first is not kept.
    const QString failed =
        refusal("insert into CADFUN (CODFUN, NOME) values ('000010', 'A'), ('000001', 'B')", true);
    EXPECT_TRUE(
        failed.startsWith(QStringLiteral("Script não executado: Registro já cadastrado com a mesma chave")))
        << failed.toStdString();
    EXPECT_EQ(dump(), before);

    struct Case {
        const char* statement;
        bool update;
        const char* text;
    };
    const Case cases[] = {
        {"select * from NAOEXISTE", false, "Script não executado: Tabela não encontrada: NAOEXISTE"},
        {"selec * from CADFUN", false, "Erro de sintaxe no comando SQL, perto de \"selec\""},
        {"update CADFUN set NAOHA = 1", true, "Campo não encontrado: NAOHA"},
        // An error without a translation: the engine's own words.
        {"select abs(1, 2)", false, "wrong number of arguments to function abs()"},
    };
    for (const Case& c : cases) {
        const QString text = refusal(c.statement, c.update);
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.text))) << c.statement << "\n" << text.toStdString();
    }
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(db->inTransaction());
}

TEST_F(SqlConsoleTest, OneStatementAtATimeAndNothingEmpty) {
    const QString before = dump();
    struct Case {
        const char* statement;
        const char* text;
    };
    const Case cases[] = {
        {"", "Digite o comando SQL a ser executado."},
        {"   \n  ", "Digite o comando SQL a ser executado."},
        {" ; ", "Digite o comando SQL a ser executado."},
        {"-- só um comentário", "Digite o comando SQL a ser executado."},
        {"delete from CADFUN; select 1", "execute um comando de cada vez"},
        {"select 1; delete from CADFUN", "execute um comando de cada vez"},
        {"update CADFUN set NOME = ';'; drop table Bancos", "execute um comando de cada vez"},
        {"select 1; 'x'", "execute um comando de cada vez"},
        // Statements that would take the transaction or the connection away.
        {"BEGIN", "o console controla a transação"},
        {"commit", "o console controla a transação"},
        {"  rollback", "o console controla a transação"},
        {"pragma query_only = off", "este PRAGMA altera a conexão"},
        {"PRAGMA synchronous(0)", "este PRAGMA altera a conexão"},
        {"attach database 'x.sqlite' as x", "ATTACH não é aceito"},
        // The same behind EXPLAIN (SQLite applies a flag PRAGMA while it
        // prepares the statement EXPLAIN shows), comments or quotes.
        {"EXPLAIN PRAGMA query_only=0", "este PRAGMA altera a conexão"},
        {"explain query plan pragma query_only = 0", "este PRAGMA altera a conexão"},
        {"/* a */ EXPLAIN -- b\n /* c */ PRAGMA ignore_check_constraints=1", "este PRAGMA altera a conexão"},
        {"explain pragma foreign_keys(0)", "este PRAGMA altera a conexão"},
        {"explain attach database 'x.sqlite' as x", "ATTACH não é aceito"},
        {"explain begin", "o console controla a transação"},
        {"vacuum into 'copia.sqlite'", "VACUUM não é aceito"},
        {"EXPLAIN VACUUM INTO 'copia.sqlite'", "VACUUM não é aceito"},
        {"select load_extension('/tmp/x.so')", "a função load_extension"},
        {"select \"LOAD_EXTENSION\" ('/tmp/x.so')", "a função load_extension"},
        {"select fts3_tokenizer('simple')", "a função fts3_tokenizer"},
        {"with x as (select 1) select * from x; pragma query_only = 0", "execute um comando de cada vez"},
        {"select [a;b] from CADFUN; delete from CADFUN", "execute um comando de cada vez"},
    };
    for (bool update : {false, true}) {
        for (const Case& c : cases) {
            const QString text = refusal(c.statement, update);
            EXPECT_TRUE(text.contains(QString::fromUtf8(c.text))) << c.statement << " " << update << "\n"
                                                                  << text.toStdString();
        }
    }
    EXPECT_EQ(dump(), before);
    // The connection's switches are as they were.
    auto flag = [&](const char* pragma) {
        auto q = db->exec(pragma);
        return q.next() ? q.value(0).toInt() : -1;
    };
    EXPECT_EQ(flag("pragma query_only"), 0);
    EXPECT_EQ(flag("pragma ignore_check_constraints"), 0);
    EXPECT_EQ(refusal("update CADFUN set NOME = 'X'", false).contains("Marque \"UPDATE\""), true);
    // Words inside literals are only text.
    EXPECT_EQ(console->run("select 'pragma query_only = 0; temp load_extension(1)' as T", false).rows.size(), 1u);
    // Reading the catalogue is allowed.
    const ConsoleResult info = console->run("pragma table_info(Bancos)", false);
    EXPECT_EQ(info.rows.size(), 3u);
}

TEST_F(SqlConsoleTest, ReadsAtMostTheRowsAsked) {
    const struct {
        int maxRows;
        size_t rows;
        bool truncated;
    } cases[] = {{3, 3, true}, {4, 4, true}, {5, 5, false}, {100, 5, false}, {0, 0, true}};
    for (const auto& c : cases) {
        const ConsoleResult r = console->run("select CODFUN from CADFUN order by CODFUN", false, c.maxRows);
        EXPECT_EQ(r.rows.size(), c.rows) << c.maxRows;
        EXPECT_EQ(r.truncated, c.truncated) << c.maxRows;
        if (!r.rows.empty()) {
            EXPECT_EQ(r.rows.front().value(0).toString(), QStringLiteral("000001"));
        }
    }
    // Reading stops cleanly: the connection writes afterwards.
    console->run("update CADFUN set NOME = 'Z' where CODFUN = '000005'", true);
    EXPECT_EQ(count("CADFUN", "NOME = 'Z'"), 1);
}

TEST_F(SqlConsoleTest, TablesAndFieldsComeFromTheDatabase) {
    EXPECT_EQ(console->tableNames(), (QStringList{"Bancos", "CADFUN"}));
    EXPECT_EQ(console->fieldNames("CADFUN"), (QStringList{"CODFUN", "NOME", "VLR_SALAR"}));
    EXPECT_EQ(console->fieldNames("bancos"), (QStringList{"AGENCIA", "BANCO", "CODIGO"}));
    EXPECT_EQ(console->fieldNames("NAOEXISTE"), QStringList());
    EXPECT_EQ(console->fieldNames(""), QStringList());
    // A table created through the console is listed at once.
    // (Outside the registry the server's own lower case shows.)
    console->run("create table AUXILIAR (Z integer, A text)", true);
    const bool server = db->backend() == Backend::PostgreSQL;
    EXPECT_EQ(console->tableNames(), (QStringList{server ? "auxiliar" : "AUXILIAR", "Bancos", "CADFUN"}));
    EXPECT_EQ(console->fieldNames("AUXILIAR"), server ? (QStringList{"a", "z"}) : (QStringList{"A", "Z"}));
}

TEST_F(SqlConsoleTest, OnlyASupervisorOpensTheConsole) {
    EXPECT_NO_THROW(SqlConsole::requireLevel("SUP"));
    for (const char* level : {"USU", "", "sup", "ADM"}) {
        try {
            SqlConsole::requireLevel(level);
            ADD_FAILURE() << level;
        } catch (const UserError& e) {
            EXPECT_TRUE(e.message().startsWith(
                QStringLiteral("O console SQL é liberado somente para usuários de nível SUP")))
                << e.message().toStdString();
        }
    }
}

TEST_F(SqlConsoleTest, TheAuditEntryCarriesTheStatement) {
    const QString statement = "update CADFUN\n   set NOME = 'X'\n where CODFUN = '000002'";
    const ConsoleResult r = console->run(statement, true);
    const AuditEntry e = SqlConsole::auditOf(statement, r);
    EXPECT_EQ(e.action, QStringLiteral("E"));
    EXPECT_EQ(
        e.text,
        QStringLiteral("Console SQL, 1 registro(s): update CADFUN set NOME = 'X' where CODFUN = '000002'"));
    // A long statement is cut to the log's width.
    const QString longOne = "update CADFUN set NOME = '" + QString(300, 'A') + "'";
    EXPECT_EQ(SqlConsole::auditOf(longOne, r).text.size(), 250);
}

TEST_F(SqlConsoleTest, CellsAreShownAsStored) {
    const ConsoleResult r =
        console->run("select VLR_SALAR, NOME, NULL, 1e16 from CADFUN where CODFUN = '000005'", false);
    ASSERT_EQ(r.rows.size(), 1u);
    QStringList cells;
    for (const QVariant& v : r.rows[0])
        cells << SqlConsole::cellText(v);
    EXPECT_EQ(cells, (QStringList{"1234.5678", "ELISA", "", "10000000000000000"}));
}

// The console on a database the test builds by hand, with the catalogue as
// each backend keeps it (the server folds names to lower case).
TEST(SqlConsoleCatalogue, ReadOnlyUpdateErrorsAndCatalogue) {
    TempDir dir;
    const DatabaseLocation location = folha::testing::TestLocation(dir.path());
    const bool server = location.backend == Backend::PostgreSQL;
    auto db = Database::open(location);
    db->exec(
        "CREATE TABLE CADFUN (CODFUN VARCHAR(6) PRIMARY KEY, NOME VARCHAR(40), VLR_SALAR NUMERIC(18,4))");
    db->exec("CREATE TABLE Bancos (CODIGO VARCHAR(3) PRIMARY KEY, BANCO VARCHAR(30))");
    for (const char* code : {"000001", "000002", "000003"})
        db->exec("INSERT INTO CADFUN (CODFUN, NOME, VLR_SALAR) VALUES (?, ?, ?)",
                 {code, QString("N") + code, 1000.25});
    SqlConsole console(*db);
    auto names = [&] {
        QStringList out;
        for (const auto& row : console.run("select NOME from CADFUN order by CODFUN", false).rows)
            out << row.value(0).toString();
        return out.join(',');
    };
    const QString before = names();
    EXPECT_EQ(before, QStringLiteral("N000001,N000002,N000003"));

    // The server's lower case names are shown as the registry spells them
    // (Bancos is no table of the registry).
    const QStringList tables = {server ? "bancos" : "Bancos", "CADFUN"};
    EXPECT_EQ(console.tableNames(), tables);
    EXPECT_EQ(console.fieldNames("CADFUN"), (QStringList{"CODFUN", "NOME", "VLR_SALAR"}));

    const ConsoleResult query =
        console.run("select CODFUN, VLR_SALAR from \"CADFUN.DB\" CADFUN order by CODFUN", false, 2);
    EXPECT_EQ(query.columns, (QStringList{"CODFUN", "VLR_SALAR"}));
    ASSERT_EQ(query.rows.size(), 2u);
    EXPECT_TRUE(query.truncated);
    EXPECT_EQ(SqlConsole::cellText(query.rows[0].value(1)), QStringLiteral("1000.25"));

    QStringList writes = {"update CADFUN set NOME = 'X'", "delete from CADFUN", "drop table Bancos",
                          "create table NOVA (A integer)"};
    if (server) writes << "with x as (delete from CADFUN returning 1) select count(*) from x";
    for (const QString& statement : writes) {
        try {
            console.run(statement, false);
            ADD_FAILURE() << statement.toStdString();
        } catch (const UserError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("Marque \"UPDATE\"")))
                << statement.toStdString() << e.message().toStdString();
        }
        EXPECT_EQ(names(), before);
    }
    EXPECT_EQ(console.tableNames(), tables);
    for (const char* statement : {"set search_path to public", "select 1; select 2", "begin"}) {
        EXPECT_THROW(console.run(statement, true), UserError) << statement;
    }
    try {
        console.run("select * from NAOEXISTE", false);
        ADD_FAILURE();
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Script não executado: Tabela não encontrada")))
            << e.message().toStdString();
    }
    // A failed change is undone as a whole.
    EXPECT_THROW(
        console.run("insert into CADFUN (CODFUN, NOME) values ('000009', 'A'), ('000001', 'B')", true),
        UserError);
    EXPECT_EQ(names(), before);

    const ConsoleResult changed = console.run("update CADFUN set NOME = 'Y' where CODFUN >= '000002'", true);
    EXPECT_EQ(changed.rowsAffected, 2);
    EXPECT_EQ(names(), QStringLiteral("N000001,Y,Y"));
    if (server) {
        // What would change the connection or reach the server's files and
        // processes is refused, in either mode; a dollar-quoted text may not
        // hide a second statement.
        const char* refused[] = {
            "select set_config('search_path', 'public', false)",
            "SELECT pg_catalog.\"set_config\"('datestyle', 'SQL, DMY', false)",
            "copy CADFUN to '/tmp/cadfun.txt'",
            "explain copy CADFUN to program 'true'",
            "do $$ begin perform 1; end $$",
            "select pg_read_file('/etc/passwd')",
            "select lo_export(1, '/tmp/x')",
            "prepare p as delete from CADFUN",
            "select $$`$$; delete from CADFUN; select $$`$$",
            "select $x$ ; $x$, 1; delete from CADFUN",
            "select E'\\'' ; commit; delete from CADFUN; select ''",
            "select e'\\\\' ; delete from CADFUN",
            "alter system set fsync = off",
            "reset all",
        };
        for (bool update : {false, true})
            for (const char* statement : refused) {
                EXPECT_THROW(console.run(statement, update), UserError) << statement << " " << update;
                EXPECT_EQ(names(), QStringLiteral("N000001,Y,Y")) << statement;
            }
        // A dollar-quoted text with a ';' is one statement.
        const ConsoleResult dollar = console.run("select $$a;b$$ as T", false);
        ASSERT_EQ(dollar.rows.size(), 1u);
        EXPECT_EQ(dollar.rows[0].value(0).toString(), QStringLiteral("a;b"));
        const ConsoleResult escaped = console.run("select E'it\\'s; ok' as T", false);
        ASSERT_EQ(escaped.rows.size(), 1u);
        EXPECT_EQ(escaped.rows[0].value(0).toString(), QStringLiteral("it's; ok"));
    }
    EXPECT_FALSE(db->inTransaction());

    // A query's rows come one at a time and reading stops when asked: a
    // query without end stops after the rows wanted, and the connection
    // goes on working.
    const QString endless = "with recursive c(x) as (select 1 union all select x + 1 from c) select x from c";
    QStringList columns;
    qint64 seen = 0;
    ConsoleSink sink;
    sink.columns = [&](const QStringList& c) {
        EXPECT_EQ(seen, 0);
        columns = c;
    };
    sink.row = [&](const QVariantList& row) {
        EXPECT_EQ(row.value(0).toLongLong(), seen + 1);
        return ++seen < 20000;
    };
    const ConsoleResult streamed = console.run(endless, false, sink);
    EXPECT_EQ(seen, 20000);
    EXPECT_TRUE(streamed.truncated);
    EXPECT_TRUE(streamed.rows.empty());
    EXPECT_EQ(columns, QStringList{"x"});
    EXPECT_EQ(console.run(endless, false, 3).rows.size(), 3u);
    EXPECT_EQ(names(), QStringLiteral("N000001,Y,Y"));
    EXPECT_FALSE(db->inTransaction());
}
