#pragma once
// Builds installations: the demo installation of `folha init --demo`, and
// large synthetic companies for the benchmarks.

#include "DemoData.h"
#include "Session.h"
#include "UserInterface.h"

namespace folha::demo {

class DemoBuilder {
public:
    explicit DemoBuilder(Session& session) : session_(session) {}

    // True when the installation root already holds a company list.
    bool installationExists() const;
    // The whole demo installation: configuration files, users (supervisor
    // "000001" ADMINISTRADOR / "zorvan", user "000002" of level "USU" allowed
    // only company 2), companies 1, 2 and 3 with their branches, tables,
    // employees and the month's events. Refuses an existing installation.
    void buildDemo(UserInterface& ui);
    // An installation with its configuration and empty tables: the sign-in
    // tables without users, an empty company list, the shared tables.
    void buildEmpty(UserInterface& ui);

    // A company database filled with the common tables, branch "001" and
    // `employees` synthetic employees with about a dozen events each.
    static void buildSyntheticCompany(Database& db, int employees, UserInterface* ui = nullptr);

    // Writes rows through the registry, which checks names, types and widths.
    static void insertRows(Database& db, const QList<DemoRow>& rows);

    static constexpr const char* SupervisorCode = "000001";
    static constexpr const char* SupervisorPassword = "zorvan";

    // Aliases.ini (SQLite files, or the installation's server) and versao.ini.
    void writeConfiguration(UserInterface& ui);

private:
    Session& session_;
};

} // namespace folha::demo
