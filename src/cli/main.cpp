// folha: the payroll engine's jobs from the command line.
#include "Cli.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <QTextStream>
#include <cstdio>

using namespace folha;
using namespace folha::cli;

static QList<Command> allCommands() {
    return coreCommands() + payrollCommands() + govCommands() + reportCommands() + documentCommands() + exportCommands() + bookCommands() +
           payslipCommands() + importCommands() + serverCommands() + lawCommands() + esocialCommands() + bankCommands() +
           accountingCommands();
}

static const char* const globalHelp =
    "Uso: folha [--root DIR] [--user CODIGO] COMANDO [opções]\n"
    "  --root DIR     raiz da instalação (padrão: $ZORVAN_ROOT ou ~/.local/share/FolhaZorvan)\n"
    "  --user CODIGO  usuário (ou $FOLHA_USER); senha em $FOLHA_PASSWORD ou digitada\n"
    "  -h, --help     esta ajuda; folha COMANDO --help mostra a ajuda do comando\n"
    "  --version      versão do programa\n";

static void usage(QTextStream& to) {
    to << globalHelp << "Comandos:\n";
    for (const auto& c : allCommands()) to << "  folha " << c.usage << "\n";
    to.flush();
}

static void commandUsage(QTextStream& to, const Command& c) {
    to << "Uso: folha [--root DIR] [--user CODIGO] " << c.usage << "\n";
    to.flush();
}

int main(int argc, char** argv) {
    // Reports draw PDF pages with fonts, which needs a GUI application; it
    // runs without a display unless told otherwise.
    std::unique_ptr<QCoreApplication> application;
    {
        QStringList raw;
        for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
        const QString command = commandName(raw);
        if (command == QLatin1String("report") || command == QLatin1String("document") || command == QLatin1String("payroll-book") || command == QLatin1String("payslips")) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
                // A private runtime folder, as a desktop session would give.
                const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(getuid());
                if (mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) qputenv("XDG_RUNTIME_DIR", dir);
            }
            application = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            application = std::make_unique<QCoreApplication>(argc, argv);
        }
    }
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("folha"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    const QString name = commandName(args);
    const QList<Command> commands = allCommands();
    auto it = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == name; });
    try {
        if (name.isEmpty() || name == QLatin1String("help")) {
            if (args.contains("--version")) {
                out << "folha (FolhaZorvan) " << PROJECT_VERSION << "\n";
                return 0;
            }
            const bool asked = name == QLatin1String("help") || args.contains("--help") || args.contains("-h");
            for (const QString& a : args)
                if (a.startsWith('-') && !globalOptions.contains(a) && a != "--help" && a != "-h" &&
                    !globalOptions.contains(a.section('=', 0, 0)))
                    throw CliError{QStringLiteral("Opção desconhecida: %1").arg(a), 2, true};
            usage(asked ? out : err);
            return asked ? 0 : 2;
        }
        if (it == commands.end()) {
            err << "Erro: Comando desconhecido: " << name << "\n";
            usage(err);
            return 2;
        }
        Arguments parsed = parseArguments(args, OptionSpec::fromUsage(it->usage));
        if (parsed.has("--help")) {
            commandUsage(out, *it);
            return 0;
        }
        Context context(parsed, out);
        if (parsed.command != "init") {
            // A new installation may come whole from an office's old tables.
            const bool newInstallation = parsed.command == "import-paradox" && parsed.has("--installation") &&
                                         !context.session().installed();
            if (!newInstallation) context.requireInstallation();
            context.session().startUp(context.ui());
            if (!newInstallation) context.signInUser();
        }
        int status = it->run(context);
        out.flush();
        return status;
    } catch (const CliError& e) {
        out.flush();
        if (!e.message().isEmpty()) err << "Erro: " << e.message() << "\n";
        if (e.showUsage) {
            if (it != commands.end())
                commandUsage(err, *it);
            else
                usage(err);
        }
        return e.status;
    } catch (const UserError& e) {
        out.flush();
        err << "Erro: " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        out.flush();
        err << "Erro: " << e.what() << "\n";
        return 1;
    }
}
