// import-paradox: an office's old Paradox tables brought into an
// installation or a company.
#include "Cli.h"
#include "ImportParadox.h"

namespace folha::cli {

namespace {

int cmdImportParadox(Context& c) {
    const bool installation = c.args.has("--installation");
    const bool company = c.args.has("--company");
    if (installation == company)
        throw CliError{QStringLiteral("Informe --company C PASTA ou --installation PASTA"), 2, true};
    legacy::ImportOptions options;
    options.dryRun = c.args.has("--dry-run");
    options.replace = c.args.has("--replace");
    legacy::ImportTargets targets;
    Session& session = c.session();
    if (installation) {
        options.mode = legacy::ImportMode::Installation;
        options.directory = c.args.value("--installation");
        // A new root becomes an installation with the tables imported.
        if (!session.installed() && !options.dryRun) session.setCreateMissing(true);
        if (session.installed()) c.requireSupervisor(QStringLiteral("A importação de dados é"));
        if (session.installed() || !options.dryRun) {
            targets.signIn = &session.signInDb();
            targets.companyList = &session.companyListDb();
            targets.shared = &session.zorvan();
        } else {
            throw CliError{QStringLiteral("A simulação da importação pede uma instalação existente: %1")
                               .arg(session.missingInstallationText())};
        }
    } else {
        options.mode = legacy::ImportMode::Company;
        if (c.args.positional.size() != 1) throw CliError{QStringLiteral("Informe a pasta das tabelas Paradox"), 2, true};
        options.directory = c.args.positional.first();
        c.requireSupervisor(QStringLiteral("A importação de dados é"));
        // The company's data directory is made when it is new.
        if (!options.dryRun) session.setCreateMissing(true);
        c.openCompany();
        try {
            targets.company = &session.folha();
        } catch (const DbError&) {
            // A company still without its data directory: a dry run reads
            // the files and checks every row all the same, writing nowhere.
            if (!options.dryRun) throw;
            targets.company = &session.tmpDb();
        }
    }
    const legacy::ImportResult result = Typed([&] { return legacy::ImportParadox(targets, options, c.ui()); });
    c.out << legacy::ImportSummaryText(result) << Qt::endl;
    if (!options.dryRun && result.totalImported() > 0 && session.installed()) {
        try {
            c.audit({QStringLiteral("I"), QStringLiteral("Paradox"),
                     QStringLiteral("Importação de tabelas Paradox de %1: %2 linhas importadas, %3 recusadas")
                         .arg(options.directory)
                         .arg(result.totalImported())
                         .arg(result.totalRefused())});
        } catch (const UserError&) {
            // A company imported without its branches has no branch to log under.
        }
    }
    if (result.cancelled) return 1;
    return result.failedFiles() > 0 || result.totalRefused() > 0 ? 1 : 0;
}

} // namespace

QList<Command> importCommands() {
    return {
        {"import-paradox", "import-paradox [--company C] [--installation DIR] [--dry-run] [--replace] [\"PASTA\"]", cmdImportParadox},
    };
}

} // namespace folha::cli
