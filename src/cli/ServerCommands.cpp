// migrate, backup, restore: moving an installation to the office server and
// keeping copies of it.
#include "Cli.h"
#include "InstallationCopy.h"

namespace folha::cli {

namespace {

int cmdMigrate(Context& c) {
    c.requireSupervisor(QStringLiteral("A migração para o servidor é"));
    const MigrateResult r = Typed([&] {
        return MigrateToServer(c.session(), c.requireOption("--to-server"), c.args.has("--replace"), c.ui());
    });
    if (r.cancelled) {
        c.out << QStringLiteral("Migração interrompida pelo usuário: a instalação continua nos arquivos.") << Qt::endl;
        return 1;
    }
    c.out << QStringLiteral("%1 %2 %3  %4").arg(QStringLiteral("Base"), -12).arg(QStringLiteral("Tabela"), -20)
                 .arg(QStringLiteral("Registros"), 10).arg(QStringLiteral("Verificação"))
          << Qt::endl;
    qint64 rows = 0;
    for (const TableCheck& t : r.tables) {
        c.out << QStringLiteral("%1 %2 %3  %4").arg(t.database, -12).arg(t.table, -20).arg(t.rows, 10).arg(t.checksum.left(16))
              << Qt::endl;
        rows += t.rows;
    }
    for (const QString& s : r.skipped) c.ui().message(MessageKind::Warning, QStringLiteral("Tabela desconhecida, não copiada: ") + s);
    c.out << QStringLiteral("Instalação migrada para o servidor: %1 tabela(s), %2 registro(s), todos conferidos.")
                 .arg(r.tables.size())
                 .arg(rows)
          << Qt::endl;
    c.audit({QStringLiteral("E"), QStringLiteral("Instalação"),
             QStringLiteral("Migração para o servidor: %1 tabela(s), %2 registro(s)").arg(r.tables.size()).arg(rows)});
    return 0;
}

int cmdBackup(Context& c) {
    c.requireSupervisor(QStringLiteral("A cópia de segurança é"));
    // A job that fails or a copy refused is the job's failure (exit status
    // 1), not a wrong command line.
    const BackupResult r = BackupInstallation(c.session(), c.requireOption("--output"), c.ui());
    c.out << QStringLiteral("Cópia de segurança gravada em %1: %2 base(s), %3 bytes").arg(r.file).arg(r.databases).arg(r.bytes)
          << Qt::endl;
    c.audit({QStringLiteral("C"), QStringLiteral("Instalação"), QStringLiteral("Cópia de segurança gravada em %1").arg(r.file)});
    return 0;
}

int cmdRestore(Context& c) {
    if (c.args.positional.size() != 1) throw CliError{QStringLiteral("Informe o arquivo da cópia de segurança"), 2, true};
    c.requireSupervisor(QStringLiteral("A restauração da cópia de segurança é"));
    const QString file = c.args.positional.first();
    const RestoreResult r = RestoreInstallation(c.session(), file, c.ui());
    c.out << QStringLiteral("Cópia de segurança restaurada de %1: %2 base(s)").arg(file).arg(r.databases) << Qt::endl;
    c.audit({QStringLiteral("E"), QStringLiteral("Instalação"), QStringLiteral("Cópia de segurança restaurada de %1").arg(file)});
    return 0;
}

} // namespace

QList<Command> serverCommands() {
    return {
        {"migrate", "migrate --to-server CONEXAO [--replace]", cmdMigrate},
        {"backup", "backup --output ARQUIVO", cmdBackup},
        {"restore", "restore \"ARQUIVO\" [--yes]", cmdRestore},
    };
}

} // namespace folha::cli
