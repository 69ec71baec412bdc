#pragma once
// What the import tests share: a new installation on the test's backend with
// one company database, the import's options, a table's rows.
#include "ImportParadox.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <memory>

namespace folha::legacy::importtest {

// A new installation root and company database for one test.
struct Fresh {
    TempDir dir;
    ScriptedUi ui;
    Session session{Installation(dir.file("nova"))};
    std::unique_ptr<Database> company;
    Fresh() {
        folha::testing::PrepareInstallation(dir.file("nova"));
        session.setCreateMissing(true);
        session.startUp(ui);
        company = session.openCompanyDirectory(dir.file("empresa1"), true);
    }
    ImportTargets installation() {
        ImportTargets t;
        t.signIn = &session.signInDb();
        t.companyList = &session.companyListDb();
        t.shared = &session.zorvan();
        return t;
    }
    ImportTargets companyTargets() {
        ImportTargets t;
        t.company = company.get();
        return t;
    }
};

inline ImportOptions options(ImportMode mode, const QString& dir, bool dryRun = false, bool replace = false) {
    ImportOptions o;
    o.mode = mode;
    o.directory = dir;
    o.dryRun = dryRun;
    o.replace = replace;
    return o;
}

// A table's part of an import's result; null when the import has none.
inline const TableImport* reportOf(const ImportResult& r, const QString& table) {
    for (const auto& t : r.tables)
        if (t.table == table) return &t;
    return nullptr;
}

inline qint64 rowsOf(Database& db, const QString& table) { return db.hasTable(table) ? Table(db, table).count() : 0; }

} // namespace folha::legacy::importtest
