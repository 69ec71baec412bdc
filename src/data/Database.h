#pragma once
// One named database of the system (a company's data, the sign-in tables,
// the company list, the shared "Zorvan" tables, temporary tables), reached
// through Qt SQL. SQLite keeps one file per database directory; PostgreSQL
// keeps one schema per directory on the office server. Callers never see the
// difference: schema statements come from the registry through the dialect,
// and every value is bound as a parameter.

#include "DbError.h"
#include "Registry.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace folha {

enum class Backend { SQLite, PostgreSQL };

// How to reach a database. For SQLite `directory` is the folder holding the
// database file; for PostgreSQL `directory` names the schema (made from the
// directory text, unless `schema` names it) and the connection fields say
// where the server is. The password is never kept here: it comes from the
// password file named in `options` ("passfile=..."), or the usual libpq
// sources (~/.pgpass, PGPASSWORD), or the server's peer or certificate
// authentication.
struct DatabaseLocation {
    Backend backend = Backend::SQLite;
    QString directory;
    QString host;
    int port = 5432;
    QString databaseName;
    QString user;
    QString schema;  // PostgreSQL: the schema, when not made from `directory`
    QString options; // PostgreSQL: further libpq settings, "sslmode=verify-full;passfile=/x"

    // The file that holds a directory's tables on SQLite.
    static QString sqliteFileName() { return QStringLiteral("dados.sqlite"); }
    // The schema that holds a directory's tables on PostgreSQL.
    QString schemaName() const;
};

class Database {
public:
    // Opens the database of a location; with `create`, a missing SQLite
    // directory and file are created. Throws DbError with the engine's text.
    static std::unique_ptr<Database> open(const DatabaseLocation& location, bool create = true);
    // Shorthand for a SQLite database directory.
    static std::unique_ptr<Database> openDirectory(const QString& directory, bool create = true);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const DatabaseLocation& location() const { return location_; }
    Backend backend() const { return location_.backend; }
    QSqlDatabase& connection() { return db_; }

    // Tables.
    QStringList tableNames();
    bool hasTable(const QString& name);
    // Creates the table and its indexes when missing; adds missing indexes
    // of an existing table.
    void ensureTable(const TableDef& def);
    // Every table of a scope (a new company directory, the sign-in database...).
    void ensureSchema(Scope scope);
    void dropTable(const QString& name);
    // A named index whose fields are the key's, in its order, is served by
    // the key: it is always there and nothing is created for it.
    bool hasIndex(const TableDef& def, const IndexDef& index);
    void createIndex(const TableDef& def, const IndexDef& index);
    // The stored name of a named index (index names are unique per database).
    static QString physicalIndexName(const TableDef& def, const IndexDef& index);

    // Runs a statement with bound values. The statement may name tables the
    // legacy way ("CADFUN.DB", "c:\dados\CADFUN.db"). Throws DbError with the
    // engine's message.
    QSqlQuery exec(const QString& statement, const QVariantList& params = {});
    // Runs a statement as it stands, without preparing it (schema changes,
    // session settings).
    void execDirect(const QString& statement);
    // On the server, has it learn a table's rows again when what it knows of
    // them is stale: never learnt, or more rows changed since than its own
    // maintenance waits for (a tenth of them). A table filled since (a
    // company imported, a month typed) it may otherwise read whole to find
    // a few keys. Nothing on the embedded engine, whose planner goes by the
    // indexes, nor inside a transaction.
    void refreshStatistics(const QString& table);
    // An INSERT, UPDATE or DELETE kept prepared for reuse; returns the
    // number of rows it changed.
    int execWrite(const QString& statement, const QVariantList& params = {});
    // A query kept prepared for reuse. The caller reads it to the end (or
    // calls finish()) before the same statement text is run again.
    QSqlQuery& execCached(const QString& statement, const QVariantList& params = {});
    // A query kept prepared for reuse that may be read while other
    // statements run, the same text included: each use takes a prepared
    // query of its own, given back (finished) when the last handle goes.
    // Statements without values run on the server as exec() runs them.
    std::shared_ptr<QSqlQuery> execShared(const QString& statement, const QVariantList& params = {});
    // Statement text as the engine receives it.
    QString translate(const QString& statement) const;
    // Statements sent to the engine through this connection so far.
    quint64 statementsRun() const { return statements_; }

    // Forgets the prepared statements and the tables known to exist, after
    // a statement that may have created, changed or dropped tables.
    void forgetSchema();

    // Transactions (nested calls join the outer one).
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return depth_ > 0; }
    // A point of the open transaction that the writes made after it can be
    // taken back to, the rest of the transaction kept (see Savepoint).
    int savepoint();
    void releaseSavepoint(int id);
    void rollbackToSavepoint(int id);

    // DDL pieces for the dialect.
    QString columnType(const FieldDef& f) const;
    QString createTableStatement(const TableDef& def) const;

private:
    Database() = default;
    DatabaseLocation location_;
    QSqlDatabase db_;
    QString connectionName_;
    int depth_ = 0;
    quint64 statements_ = 0;
    bool rollbackOnly_ = false;
    int savepoints_ = 0;
    // The rollback-only state when each open savepoint was set.
    QHash<int, bool> savepointStates_;
    void undoTransaction(); // ROLLBACK of the outermost transaction
    QHash<QString, std::shared_ptr<QSqlQuery>> prepared_;
    QHash<QString, std::shared_ptr<QSqlQuery>> preparedReads_;
    QSet<QString> ensuredTables_; // tables (with their indexes) known to exist
    // Prepared reads of execShared() not in use, by statement text.
    QHash<QString, std::vector<std::shared_ptr<QSqlQuery>>> idleReads_;
    // Expires with the database: a handle of execShared() outliving it just
    // drops its query.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Groups writes that belong together; rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
    ~Transaction() {
        if (!done_) {
            try {
                db_.rollback();
            } catch (...) {
            }
        }
    }
    void commit() {
        db_.commit();
        done_ = true;
    }

private:
    Database& db_;
    bool done_ = false;
};

// Writes that stand or go together inside a larger transaction: a
// calculation that commits employees in groups takes back one employee's
// rows without losing the group's others. Taken back unless released.
class Savepoint {
public:
    explicit Savepoint(Database& db) : db_(db), id_(db.savepoint()) {}
    ~Savepoint() {
        if (id_ == 0) return;
        try {
            db_.rollbackToSavepoint(id_);
        } catch (...) {
        }
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void release() {
        const int id = id_;
        id_ = 0;
        db_.releaseSavepoint(id);
    }

private:
    Database& db_;
    int id_;
};

// The text a user reads for an error of the database engine: a failure the
// user can act on (another workstation holding the data, a read-only folder,
// a full disk, a damaged file, a wrong statement) in Portuguese.
// `environment` tells whether the failure lies outside the statement.
QString DatabaseErrorText(const QSqlError& error, bool* environment = nullptr);

// "?, ?, ?": the marks of `n` bound values in a list.
QString BindMarks(int n);
// The condition for the rows whose `fields` hold one of `tuples` (as many
// values each as fields); their values are added to `params`. The server
// takes a list of row values, which it joins to an index whatever it knows
// of the table; alternatives joined by OR it may walk a whole year's index
// for. The embedded engine seeks each alternative through its index, and
// would walk the table for a list of row values.
QString AnyOf(Backend backend, const QStringList& fields, const std::vector<QVariantList>& tuples,
              QVariantList& params);

// Maps table names written the legacy way to the stored tables: a quoted file
// name or path ("CADFUN.DB", "c:\x\CADFUN.db") and a bare name with the ".db"
// extension (empresaFOLHA.DB) become the plain table name. Text inside single
// quotes is left alone.
QString translateLegacySql(const QString& statement);

} // namespace folha
