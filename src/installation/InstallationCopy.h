#pragma once
// Moving an installation and keeping copies of it:
//
//  - MigrateToServer copies an installation kept in SQLite files to the
//    office server, table by table, checks every table (its row count and a
//    checksum of every row on both sides) and only then points the
//    installation at the server. A server that already holds an
//    installation is refused unless `replace`.
//  - BackupInstallation writes one file with all the installation's data:
//    on SQLite a consistent copy of every database (taken while others work)
//    with a checksum per database; on the server the archive of pg_dump.
//  - RestoreInstallation checks the file whole first (its kind, every
//    checksum, every database readable and of its kind, every company's
//    folder below the root) and only then puts it back: on SQLite every
//    database is written anew and all are switched in at the end under a
//    journal, so that a restore killed at any moment leaves the old
//    installation or the new one, whole; on the server pg_restore runs in
//    one transaction. The audit log keeps its entries.

#include "Session.h"
#include "UserInterface.h"

#include <QString>
#include <QStringList>

namespace folha {

// One table copied or checked: where, which, how many rows, its checksum.
struct TableCheck {
    QString database; // "Login", "Empresas", "Zorvan", "Empresa 1"...
    QString table;
    qint64 rows = 0;
    QString checksum; // hex SHA-256 of the rows in key order
    bool operator==(const TableCheck&) const = default;
};

struct MigrateResult {
    QList<TableCheck> tables;
    QStringList skipped; // tables the registry does not know, left behind
    bool cancelled = false;
};

// Throws UserError / DbError with the reason; nothing on the server is
// taken for good (the installation keeps its files) unless every table
// checks.
MigrateResult MigrateToServer(Session& session, const QString& connectionText, bool replace, UserInterface& ui);

// The rows and the checksum of a table, read in key order through the
// registry, so that the same rows give the same checksum on either backend.
TableCheck CheckTable(Database& db, const TableDef& def);
// After rows were written with their own numbers into a table numbered by
// the database (an auto-increment field), the server's counter goes on
// after the highest; SQLite does so by itself.
void AdvanceCounters(Database& db, const TableDef& def);

// Every table of every database of the installation (holds aside).
QList<TableCheck> CheckInstallation(Session& session);

struct BackupResult {
    QString file;
    int databases = 0;
    qint64 bytes = 0;
};
BackupResult BackupInstallation(Session& session, const QString& file, UserInterface& ui);

struct RestoreResult {
    int databases = 0;
    int tables = 0;
};
// Checks the file and puts the installation back as it was when the copy
// was made. Throws UserError for a file that is not a whole copy of this
// kind of installation, changing nothing.
RestoreResult RestoreInstallation(Session& session, const QString& file, UserInterface& ui);

// At start-up: a restore that died after it began to switch the databases
// is completed, one that died before is undone, and the work files of dead
// backups and restores (below the program folder, "trabalho") are removed.
void FinishInterruptedWork(const Installation& installation);

} // namespace folha
