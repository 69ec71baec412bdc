// init, companies, sql, set-period.
#include "Cli.h"
#include "DemoBuilder.h"
#include "ServerSettings.h"
#include "SqlConsole.h"
#include "Table.h"
#include "TypedInput.h"

#include <QDate>
#include <limits>

namespace folha::cli {

namespace {

int cmdInit(Context& c) {
    const bool server = c.args.has("--server");
    if (!c.args.has("--demo") && !server)
        throw CliError{QStringLiteral("Use: folha init --demo (cria a instalação de demonstração) ou "
                                      "folha init --server \"CONEXAO\" (instalação no servidor)")};
    demo::DemoBuilder builder(c.session());
    if (server) {
        if (c.session().installed() && !c.session().onServer())
            throw CliError{QStringLiteral("Já existe uma instalação em %1; para levá-la ao servidor use "
                                          "folha migrate --to-server \"CONEXAO\"")
                               .arg(c.session().installation().root())};
        const ServerSettings s = ConfigureServer(c.session().installation(), c.requireOption("--server"));
        c.out << QStringLiteral("Instalação configurada no servidor %1, base %2")
                     .arg(s.host.isEmpty() ? QStringLiteral("local") : s.host, s.database)
              << Qt::endl;
        if (c.session().installed()) {
            // Another workstation of the office set the server up already.
            builder.writeConfiguration(c.ui());
            if (c.args.has("--demo"))
                throw CliError{QStringLiteral("O servidor já tem uma instalação nesta base de dados; esta estação "
                                              "passa a usá-la e a demonstração não foi criada")};
            c.out << QStringLiteral("O servidor já tem uma instalação: esta estação passa a usá-la") << Qt::endl;
            return 0;
        }
        if (!c.args.has("--demo")) {
            builder.buildEmpty(c.ui());
            c.out << QStringLiteral("Instalação vazia criada: cadastre as empresas e os usuários pelo programa") << Qt::endl;
            return 0;
        }
    }
    builder.buildDemo(c.ui());
    c.out << QStringLiteral("Instalação de demonstração criada em %1").arg(c.session().installation().root()) << Qt::endl;
    c.out << QStringLiteral("Usuário %1 (ADMINISTRADOR), senha \"%2\"")
                 .arg(QLatin1String(demo::DemoBuilder::SupervisorCode), QLatin1String(demo::DemoBuilder::SupervisorPassword))
          << Qt::endl;
    return 0;
}

int cmdCompanies(Context& c) {
    SignIn signIn(c.session());
    QList<CompanyRow> list = c.user ? signIn.allowedCompanies(*c.user) : signIn.allCompanies();
    if (list.isEmpty() && c.user)
        throw CliError{QStringLiteral("Nenhuma empresa liberada para acesso do usuario ") + c.user->name};
    c.out << "Codigo,Nome,Diretorio,Filiais" << Qt::endl;
    std::sort(list.begin(), list.end(), [](const CompanyRow& a, const CompanyRow& b) { return a.code < b.code; });
    for (const auto& co : list) {
        QStringList branches;
        try {
            auto db = c.session().openCompanyDirectory(c.session().companyDirectory(co.directory));
            Table filial(*db, QStringLiteral("Filial"));
            for (const auto& r : filial.select()) branches << r.text("CODIGO");
        } catch (const DbError& e) {
            // A directory that was never created, or a failure to tell as it is.
            branches << QStringLiteral("(%1)").arg(e.message());
        }
        c.out << co.code << ',' << csvField(co.name) << ',' << csvField(co.directory) << ','
              << csvField(branches.join(' ')) << Qt::endl;
    }
    return 0;
}

// One statement through the console engine: read-only unless --update;
// a result as CSV with a header line.
int cmdSql(Context& c) {
    if (c.args.positional.size() != 1)
        throw CliError{QStringLiteral("Informe o comando SQL entre aspas"), 2, true};
    const QString statement = c.args.positional.first();
    c.requireSupervisor(QStringLiteral("O console SQL é"));
    c.openCompany();
    if (c.args.has("--branch")) c.branchCode();
    const bool update = c.args.has("--update");
    SqlConsole console(c.session().folha());
    const ConsoleResult result = console.run(statement, update, std::numeric_limits<int>::max());
    if (result.query) {
        QStringList header;
        for (const QString& name : result.columns) header << csvField(name);
        c.out << header.join(',') << Qt::endl;
        for (const QVariantList& row : result.rows) {
            QStringList cells;
            for (const QVariant& v : row) cells << csvField(SqlConsole::cellText(v));
            c.out << cells.join(',') << Qt::endl;
        }
    } else {
        c.out << QStringLiteral("%1 registro(s) afetado(s)").arg(std::max(0, result.rowsAffected)) << Qt::endl;
    }
    if (update) c.audit(SqlConsole::auditOf(statement, result));
    return 0;
}

int cmdSetPeriod(Context& c) {
    const QString dateText = c.requireOption("--date");
    const QString typedSheet = c.requireOption("--sheet");
    const QDate date = Typed([&] { return TypedDate(dateText); });
    const QString sheet = Typed([&] { return TypedSheetType(typedSheet); });
    if (!c.args.has("--branch")) throw CliError{QStringLiteral("Informe a opção --branch")};
    const QString branch = c.branchCode();
    Database& db = c.session().folha();
    Table filial(db, QStringLiteral("Filial"));
    Transaction t(db);
    auto row = filial.find({branch});
    if (!row) throw CliError{QStringLiteral("Filial não cadastrada: %1").arg(branch)};
    const QString before = row->text("DATA_FOLHA") + ' ' + row->text("TIPO_FOL");
    row->set("DATA_FOLHA", date).set("TIPO_FOL", sheet);
    filial.update(*row);
    t.commit();
    c.audit({QStringLiteral("E"), QStringLiteral("Filial"),
            QStringLiteral("Filial %1: DATA_FOLHA/TIPO_FOL de %2 para %3 %4").arg(branch, before, dateText, sheet)});
    c.out << QStringLiteral("Filial %1: competência %2, folha %3").arg(branch, date.toString("MM/yyyy"), sheet) << Qt::endl;
    return 0;
}

} // namespace

QList<Command> coreCommands() {
    return {
        {"init", "init [--demo] [--server CONEXAO]", cmdInit},
        {"companies", "companies", cmdCompanies},
        {"sql", "sql --company C [--branch B] [--update] \"COMANDO\"", cmdSql},
        {"set-period", "set-period --company C --branch B --date DD/MM/AAAA --sheet X", cmdSetPeriod},
    };
}

} // namespace folha::cli
