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

// The rows `folha sql` writes unless told otherwise.
constexpr qint64 DefaultSqlRowLimit = 100000;

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
    SignIn(c.session()).hadUsers(); // from now on every command needs a user
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
// a result as CSV with a header line, each row written as the engine reads
// it, up to the row limit (--limit, 0 for none), which is stated when reached.
int cmdSql(Context& c) {
    if (c.args.positional.size() != 1)
        throw CliError{QStringLiteral("Informe o comando SQL entre aspas"), 2, true};
    const QString statement = c.args.positional.first();
    qint64 limit = DefaultSqlRowLimit;
    if (c.args.has("--limit")) {
        bool ok = false;
        limit = c.args.value("--limit").toLongLong(&ok);
        if (!ok || limit < 0)
            throw CliError{QStringLiteral("Limite de linhas inválido: %1 (use um número, 0 para nenhum)")
                               .arg(c.args.value("--limit")),
                           2, true};
    }
    c.requireSupervisor(QStringLiteral("O console SQL é"));
    c.openCompany();
    if (c.args.has("--branch")) c.branchCode();
    const bool update = c.args.has("--update");
    SqlConsole console(c.session().folha());
    qint64 written = 0;
    bool limitReached = false;
    ConsoleSink sink;
    sink.columns = [&](const QStringList& columns) {
        QStringList header;
        for (const QString& name : columns) header << csvField(name);
        c.out << header.join(',') << Qt::endl;
    };
    sink.row = [&](const QVariantList& row) {
        if (limit > 0 && written >= limit) {
            limitReached = true;
            return false;
        }
        QStringList cells;
        for (const QVariant& v : row) cells << csvField(SqlConsole::cellText(v));
        c.out << cells.join(',') << '\n';
        if (++written % 256 == 0) c.out.flush();
        return true;
    };
    const ConsoleResult result = console.run(statement, update, sink);
    c.out.flush();
    if (!result.query)
        c.out << QStringLiteral("%1 registro(s) afetado(s)").arg(std::max(0, result.rowsAffected)) << Qt::endl;
    if (limitReached)
        c.ui().message(MessageKind::Warning,
                       QStringLiteral("… (limite de %1 linhas atingido; use --limit N para outro limite, 0 para "
                                      "nenhum)")
                           .arg(limit));
    if (update) c.audit(SqlConsole::auditOf(statement, result));
    return 0;
}

// The refused sign-ins, newest first, for a supervisor.
int cmdFailedSignIns(Context& c) {
    c.requireSupervisor(QStringLiteral("A lista de acessos negados é"));
    SignIn signIn(c.session());
    c.out << "Momento,Usuario,Estacao,UsuarioSistema,Motivo" << Qt::endl;
    for (const FailedSignIn& f : signIn.failedSignIns(1000))
        c.out << csvField(f.when) << ',' << csvField(f.user) << ',' << csvField(f.workstation) << ','
              << csvField(f.systemUser) << ',' << csvField(f.reason) << Qt::endl;
    for (const SignInHold& h : signIn.holds())
        if (h.lockedUntil.isValid())
            c.ui().message(MessageKind::Warning,
                           QStringLiteral("Usuário %1 bloqueado até %2 (folha unlock-user \"%1\" o libera)")
                               .arg(h.user, h.lockedUntil.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
    return 0;
}

// A supervisor lifts a user's lock and clears its failures.
int cmdUnlockUser(Context& c) {
    if (c.args.positional.size() != 1) throw CliError{QStringLiteral("Informe o código do usuário"), 2, true};
    c.requireSupervisor(QStringLiteral("A liberação de usuários é"));
    const QString code = c.args.positional.first();
    SignIn signIn(c.session());
    if (!signIn.unlock(code)) {
        c.out << QStringLiteral("Usuário %1 não tinha tentativas sem sucesso nem bloqueio").arg(code) << Qt::endl;
        return 0;
    }
    c.audit({QStringLiteral("E"), QStringLiteral("SituacaoAcesso"),
             QStringLiteral("Acesso do usuário %1 liberado (falhas e bloqueio apagados)").arg(code)});
    c.out << QStringLiteral("Usuário %1 liberado").arg(code) << Qt::endl;
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
        {"sql", "sql --company C [--branch B] [--update] [--limit N] \"COMANDO\"", cmdSql},
        {"failed-sign-ins", "failed-sign-ins", cmdFailedSignIns},
        {"unlock-user", "unlock-user \"CODIGO\"", cmdUnlockUser},
        {"set-period", "set-period --company C --branch B --date DD/MM/AAAA --sheet X", cmdSetPeriod},
    };
}

} // namespace folha::cli
