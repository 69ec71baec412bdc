#pragma once
// The storage backend a test runs on. Every engine and command-line test
// program runs twice: on SQLite files, and (its CTest names start with
// "pg.") on the throwaway PostgreSQL cluster that ./test.sh starts, with
// FOLHA_TEST_BACKEND=postgres and FOLHA_TEST_PG holding the cluster's
// connection ("host=/tmp/x port=54321 user=folha dbname=postgres").
//
// On the server each test program gets databases of its own, dropped when
// the program ends: one for the loose databases a test opens in a folder,
// and one per installation.

#include "Database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace folha::testing {

inline bool OnServer() { return qEnvironmentVariable("FOLHA_TEST_BACKEND") == QLatin1String("postgres"); }

// The cluster's connection as key/value pairs.
inline QMap<QString, QString> ServerConnection() {
    const QString text = qEnvironmentVariable("FOLHA_TEST_PG");
    if (text.isEmpty()) {
        ADD_FAILURE() << "FOLHA_TEST_BACKEND=postgres sem FOLHA_TEST_PG: rode ./test.sh, que inicia o servidor de testes";
        return {};
    }
    QMap<QString, QString> kv;
    for (const QString& part : text.split(' ', Qt::SkipEmptyParts)) {
        const int eq = part.indexOf('=');
        if (eq > 0) kv.insert(part.left(eq), part.mid(eq + 1));
    }
    return kv;
}

namespace detail {

// Runs one statement on the cluster's administration database.
inline bool AdminExec(const QString& statement, QString* error = nullptr) {
    const auto kv = ServerConnection();
    if (kv.isEmpty()) return false;
    const QString name = QStringLiteral("folha_test_admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(kv.value("host"));
        db.setPort(kv.value("port", "5432").toInt());
        db.setUserName(kv.value("user"));
        db.setDatabaseName(kv.value("dbname", "postgres"));
        if (!db.isOpen() && !db.open()) {
            if (error) *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(statement);
            if (!ok && error) *error = q.lastError().text();
        }
    }
    return ok;
}

// Databases made by this test program; dropped when it ends.
class DropAtEnd : public ::testing::EmptyTestEventListener {
public:
    static DropAtEnd& instance() {
        static DropAtEnd* self = [] {
            auto* l = new DropAtEnd;
            ::testing::UnitTest::GetInstance()->listeners().Append(l);
            return l;
        }();
        return *self;
    }
    void add(const QString& name) { names_ << name; }
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        for (const QString& n : names_) AdminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(n));
        names_.clear();
        if (QSqlDatabase::contains(QStringLiteral("folha_test_admin")))
            QSqlDatabase::removeDatabase(QStringLiteral("folha_test_admin"));
    }

private:
    QStringList names_;
};

} // namespace detail

// A new, empty database on the cluster (from `model` when given), dropped
// when the test program ends.
inline QString NewServerDatabase(const QString& model = {}) {
    static int counter = 0;
    const QString name = QStringLiteral("t%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++counter)
                             .arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    QString error;
    const QString statement = model.isEmpty() ? QStringLiteral("CREATE DATABASE %1").arg(name)
                                              : QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, model);
    EXPECT_TRUE(detail::AdminExec(statement, &error)) << error.toStdString();
    detail::DropAtEnd::instance().add(name);
    return name;
}

// The connection text of a database on the cluster.
inline QString ServerConnectionText(const QString& database) {
    const auto kv = ServerConnection();
    return QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
        .arg(kv.value("host"), kv.value("port", "5432"), kv.value("user"), database);
}

// Where a test's loose database in `dir` lives: the SQLite file in the
// folder, or on the server a schema named after the folder in this
// program's own database.
inline DatabaseLocation TestLocation(const QString& dir) {
    DatabaseLocation l;
    l.directory = dir;
    if (!OnServer()) return l;
    static const QString database = NewServerDatabase();
    const auto kv = ServerConnection();
    l.backend = Backend::PostgreSQL;
    l.host = kv.value("host");
    l.port = kv.value("port", "5432").toInt();
    l.user = kv.value("user");
    l.databaseName = database;
    return l;
}

inline std::unique_ptr<Database> OpenTestDatabase(const QString& dir, bool create = true) {
    return Database::open(TestLocation(dir), create);
}

// Writes an installation's server settings (what `folha init --server`
// writes) pointing at `database`.
inline void WriteServerSettings(const QString& root, const QString& database) {
    const auto kv = ServerConnection();
    const QString program = root + QStringLiteral("/programa");
    QDir().mkpath(program);
    QFile f(program + QStringLiteral("/Servidor.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral("[Servidor]\nHOST=%1\nPORT=%2\nDATABASE=%3\nUSER=%4\n")
                .arg(kv.value("host"), kv.value("port", "5432"), database, kv.value("user"))
                .toUtf8());
}

// Readies an installation root before the installation is built in it: on
// the server, points it at a database of its own. Returns that database.
inline QString PrepareInstallation(const QString& root) {
    if (!OnServer()) return {};
    const QString database = NewServerDatabase();
    WriteServerSettings(root, database);
    return database;
}

} // namespace folha::testing

namespace folha::testing {

// Runs "UPDATE T SET F = value ..." the way a table changed behind the
// register's back holds it. SQLite keeps any value in any column; on the
// server the column is made text first, so that it can hold what the field
// cannot ("abc" in a number).
inline void StoreBehindTheRegister(Database& db, const QString& statement) {
    if (db.backend() == Backend::PostgreSQL) {
        static const QRegularExpression update(QStringLiteral("^\\s*UPDATE\\s+(\\w+)\\s+SET\\s+(\\w+)\\s*="),
                                               QRegularExpression::CaseInsensitiveOption);
        const auto m = update.match(statement);
        EXPECT_TRUE(m.hasMatch()) << statement.toStdString();
        db.exec(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE VARCHAR(40) USING %2::text").arg(m.captured(1), m.captured(2)));
        db.forgetSchema();
    }
    db.exec(statement);
}

} // namespace folha::testing

namespace folha::testing {

// The plan of a query as SQLite words it, one line per step ("SEARCH t USING
// INDEX i", "SCAN t", "USE TEMP B-TREE FOR ORDER BY"). On the server the
// plan is the server's with sequential scans made a last resort, so a scan
// shows only where no index can serve.
inline QStringList QueryPlan(Database& db, const QString& statement, const QVariantList& params) {
    QStringList lines;
    if (db.backend() == Backend::SQLite) {
        QSqlQuery plan = db.exec("EXPLAIN QUERY PLAN " + statement, params);
        while (plan.next()) lines << plan.value(3).toString();
        return lines;
    }
    // The server cannot prepare EXPLAIN: the test's own values are written in.
    QString text = db.translate(statement);
    for (const QVariant& v : params) {
        const int at = text.indexOf('?');
        if (at < 0) break;
        text.replace(at, 1, QLatin1Char('\'') + v.toString().replace('\'', QStringLiteral("''")) + QLatin1Char('\''));
    }
    db.exec("SET enable_seqscan = off");
    QSqlQuery plan = db.exec("EXPLAIN " + text);
    static const QRegularExpression index(QStringLiteral("(?:Index Scan|Index Only Scan)(?: Backward)? using (\\S+) on (\\S+)"));
    static const QRegularExpression bitmap(QStringLiteral("Bitmap Index Scan on (\\S+)"));
    static const QRegularExpression seq(QStringLiteral("Seq Scan on (\\S+)"));
    while (plan.next()) {
        const QString step = plan.value(0).toString();
        if (auto m = index.match(step); m.hasMatch())
            lines << QStringLiteral("SEARCH %1 USING INDEX %2").arg(m.captured(2), m.captured(1));
        else if (auto b = bitmap.match(step); b.hasMatch())
            lines << QStringLiteral("SEARCH USING INDEX %1").arg(b.captured(1));
        else if (auto s = seq.match(step); s.hasMatch())
            lines << QStringLiteral("SCAN %1").arg(s.captured(1));
        else if (step.contains(QLatin1String("Sort")) && !step.contains(QLatin1String("Sort Key")))
            lines << QStringLiteral("USE TEMP B-TREE FOR ORDER BY");
    }
    db.exec("SET enable_seqscan = on");
    return lines;
}

} // namespace folha::testing

namespace folha::testing {

// The indexes of a database, by name, in order.
inline QStringList IndexNames(Database& db) {
    QStringList names;
    QSqlQuery q = db.backend() == Backend::SQLite
                      ? db.exec("SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name")
                      : db.exec("SELECT indexname FROM pg_indexes WHERE schemaname = ? ORDER BY indexname",
                                {db.location().schemaName()});
    while (q.next()) names << q.value(0).toString();
    return names;
}

} // namespace folha::testing
