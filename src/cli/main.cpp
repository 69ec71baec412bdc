// folha: the payroll engine's jobs from the command line.
#include "Cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

using namespace folha;
using namespace folha::cli;

static QList<Command> allCommands() { return coreCommands() + payrollCommands() + govCommands(); }

static void usage(QTextStream& err) {
    err << "Uso: folha [--root DIR] [--user CODIGO] COMANDO [opções]\n"
           "  --root DIR     raiz da instalação (padrão: $ZORVAN_ROOT ou ~/.local/share/FolhaZorvan)\n"
           "  --user CODIGO  usuário (senha em FOLHA_PASSWORD ou digitada)\n"
           "Comandos:\n";
    for (const auto& c : allCommands()) err << "  folha " << c.usage << "\n";
    err.flush();
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("folha"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    try {
        Arguments parsed = parseArguments(args);
        if (parsed.command.isEmpty() || parsed.command == "help" || parsed.has("--help")) {
            usage(err);
            return parsed.command.isEmpty() && !parsed.has("--help") ? 2 : 0;
        }
        const QList<Command> commands = allCommands();
        auto it = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == parsed.command; });
        if (it == commands.end()) {
            err << "Comando desconhecido: " << parsed.command << "\n";
            usage(err);
            return 2;
        }
        Context context(parsed, out);
        if (parsed.command != "init") {
            context.session().startUp(context.ui());
            context.signInUser();
        }
        int status = it->run(context);
        out.flush();
        return status;
    } catch (const CliError& e) {
        out.flush();
        if (!e.message.isEmpty()) err << "Erro: " << e.message << "\n";
        return e.status;
    } catch (const DbError& e) {
        out.flush();
        err << "Erro: " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        out.flush();
        err << "Erro: " << e.what() << "\n";
        return 1;
    }
}
