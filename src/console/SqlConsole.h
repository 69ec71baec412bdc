#pragma once
// The SQL console of the maintenance tools: one statement typed by a
// supervisor, run against a company's database. Without "UPDATE" the
// statement runs read-only and a data-changing statement is refused by the
// database itself; with "UPDATE" it runs in one transaction and leaves an
// audit entry carrying the statement. The desktop's console and `folha sql`
// both run here.

#include "AuditLog.h"
#include "Database.h"

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

namespace folha {

struct ConsoleResult {
    QStringList columns;               // the result's column names (a query)
    std::vector<QVariantList> rows;    // at most the rows asked for
    bool truncated = false;            // the query had more rows than were read
    bool query = false;                // the statement gave a result set
    int rowsAffected = -1;             // a data-changing statement: rows it changed
};

// Receives a query's result as the engine reads it: the column names once,
// then each row; `row` returns false to stop reading (the rest is never
// fetched).
struct ConsoleSink {
    std::function<void(const QStringList& columns)> columns;
    std::function<bool(const QVariantList& row)> row;
};

class SqlConsole {
public:
    explicit SqlConsole(Database& db) : db_(db) {}

    // Only level "SUP" opens the console: throws UserError otherwise.
    static void requireLevel(const QString& userLevel);

    // The database's tables and a table's fields, from its own catalogue
    // (sorted by name).
    QStringList tableNames();
    QStringList fieldNames(const QString& table);

    // Runs one statement. `update` false: read-only; a statement that would
    // change data is refused with UserError. Statements that would change
    // the connection or reach outside the database (transaction control,
    // settings, attached files, file and process
    // functions), also behind EXPLAIN, are refused in either mode. `update` true: in one
    // transaction, rolled back when it fails. An empty statement, several
    // statements at once and the engine's errors are refused with UserError
    // in Portuguese, carrying the engine's text. Reads at most `maxRows` rows
    // of a result.
    ConsoleResult run(const QString& statement, bool update, int maxRows = 100000);
    // The same, handing the rows to `sink` as they come instead of keeping
    // them (the result's `rows` stay empty; `truncated` says the sink
    // stopped the reading).
    ConsoleResult run(const QString& statement, bool update, const ConsoleSink& sink);

    // The audit entry of a data-changing statement ("E", the statement).
    static AuditEntry auditOf(const QString& statement, const ConsoleResult& result);

    // A result cell as the console shows it: a stored amount with its four
    // places, a null as nothing.
    static QString cellText(const QVariant& value);

private:
    Database& db_;
};

} // namespace folha
