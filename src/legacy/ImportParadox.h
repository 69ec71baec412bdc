#pragma once
// Brings an office's old Paradox tables into the system. Every ".DB" file of
// a folder is matched to a registered table by its name, every column to a
// field by its name (without case); each row goes through the registry's
// checks and is written with Table::insert. A row that fails is refused and
// reported (table, row number, field, reason) and the rest of the table is
// imported; each table is one transaction, and a file that cannot be read
// imports nothing. Plain-text passwords of the user table are stored hashed.

#include "Database.h"
#include "Registry.h"
#include "UserInterface.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace folha::legacy {

enum class ImportMode {
    Company,      // the company tables: employees, events, registers, branches
    Installation, // users, their companies, the company list, branch parameters
};

struct ImportOptions {
    ImportMode mode = ImportMode::Company;
    QString directory; // the folder holding the ".DB" files
    bool dryRun = false;  // read and check everything, write nothing
    bool replace = false; // empty the tables being imported first
};

// Where the tables of each scope go; a scope without a database is not
// imported.
struct ImportTargets {
    Database* company = nullptr;
    Database* signIn = nullptr;
    Database* companyList = nullptr;
    Database* shared = nullptr;
    Database* of(Scope scope) const;
};

struct RefusedRow {
    QString table;
    int row = 0; // 1-based row of the file
    QString field; // empty when the row as a whole is refused
    QString reason;
};

struct TableImport {
    QString table; // registered name
    QString file;  // file name as found
    qint64 read = 0;
    qint64 imported = 0;
    qint64 refused = 0;
    QString error; // the file could not be read, or the table was refused: nothing imported
    QStringList notes; // what pxlib said of the file; old rows kept by a replace
};

struct ImportResult {
    QList<TableImport> tables;
    QList<RefusedRow> refusals;
    QStringList skipped; // files of no known table, or of the other mode
    bool cancelled = false;
    bool dryRun = false;
    qint64 totalRead() const;
    qint64 totalImported() const;
    qint64 totalRefused() const;
    int failedFiles() const;
};

// The registered tables that a mode imports.
std::vector<const TableDef*> ImportableTables(ImportMode mode);

// Runs the import. Refuses with UserError, before anything is written, a
// folder without Paradox tables, and targets that already hold rows in the
// tables found unless `replace` is given (a dry run too). A replace keeps a
// table's old rows when none of its file's rows was imported, and the user
// table is never left without a supervisor: such a table is refused whole.
// A dry run runs every insert in a transaction it rolls back, so its counts
// are the import's. Progress goes to the interface,
// one step per row, and the cancel button stops between rows: the table
// in progress is rolled back, tables done stay.
ImportResult ImportParadox(const ImportTargets& targets, const ImportOptions& options, UserInterface& ui);

// The closing summary: one line per table with rows read, imported and
// refused, the totals, the refused rows and the skipped files.
QString ImportSummaryText(const ImportResult& result);

} // namespace folha::legacy
