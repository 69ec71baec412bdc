#include "InstallationCopy.h"

#include "IniFile.h"
#include "ServerSettings.h"
#include "SignIn.h"
#include "Table.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <memory>

namespace folha {

namespace {

// One database of an installation, named the way a copy names it.
struct InstalledDb {
    QString label;     // "Login", "Empresas", "Zorvan", "Empresa 1"
    QString directory; // a company's directory as the alias takes it; empty for the others
    Database* db = nullptr;
};

// The installation's databases as the session opens them; company databases
// opened here are kept in `keep`.
std::vector<InstalledDb> installedDatabases(Session& s, std::vector<std::unique_ptr<Database>>& keep,
                                            QStringList* missing = nullptr) {
    std::vector<InstalledDb> list;
    list.push_back({QStringLiteral("Login"), QString(), &s.signInDb()});
    list.push_back({QStringLiteral("Empresas"), QString(), &s.companyListDb()});
    list.push_back({QStringLiteral("Zorvan"), QString(), &s.zorvan()});
    SignIn signIn(s);
    for (const CompanyRow& co : signIn.allCompanies()) {
        const QString dir = s.companyDirectory(co.directory);
        try {
            keep.push_back(s.openCompanyDirectory(dir, false));
            list.push_back({QStringLiteral("Empresa %1").arg(co.code), dir, keep.back().get()});
        } catch (const DbError&) {
            if (missing) missing->append(QStringLiteral("Empresa %1 (%2): diretório de dados não encontrado").arg(co.code).arg(dir));
        }
    }
    return list;
}

// The registry's definition of a stored table, the monthly audit logs
// included; kept in `defs` so that records may point at it.
const TableDef* definitionOf(const QString& name, std::deque<TableDef>& defs) {
    if (const TableDef* def = Registry::instance().table(name); def && def->name.compare(name, Qt::CaseInsensitive) == 0)
        return def;
    static const QRegularExpression log(QStringLiteral("^LogSys_(\\d\\d)_(\\d{4})$"), QRegularExpression::CaseInsensitiveOption);
    if (const auto m = log.match(name); m.hasMatch()) {
        defs.push_back(Registry::instance().auditLogTable(m.captured(1).toInt(), m.captured(2).toInt()));
        return &defs.back();
    }
    return nullptr;
}

// The registry's definition of a stored table a copy carries; the holds of
// the moment (TRAVAS) are never carried. Null for those and for tables the
// registry does not know.
bool isHoldsTable(const QString& name) { return name.compare(QLatin1String("TRAVAS"), Qt::CaseInsensitive) == 0; }
const TableDef* carriedTable(const QString& name, std::deque<TableDef>& defs) {
    return isHoldsTable(name) ? nullptr : definitionOf(name, defs);
}

// Asks before a restore changes anything; a No stops it.
void confirmRestore(UserInterface& ui) {
    if (!ui.question(QStringLiteral("Os dados atuais serão substituídos pelos da cópia. Confirma a restauração?"),
                     QuestionKind::YesNo))
        throw UserError(QStringLiteral("Restauração cancelada."));
}

QStringList keyOrder(const TableDef& def) {
    if (!def.primaryKey.isEmpty()) return def.primaryKey;
    QStringList all;
    for (const auto& f : def.fields) all << f.name;
    return all;
}

// Every row of a table, a page at a time in key order.
template <typename Fn>
void eachRow(Database& db, const TableDef& def, Fn fn) {
    Table t(db, def);
    if (def.primaryKey.isEmpty()) {
        for (const Record& r : t.select({}, {}, keyOrder(def).join(QStringLiteral(", ")))) fn(r);
        return;
    }
    QVariantList after;
    for (;;) {
        const std::vector<Record> page = t.page({}, {}, after, 2000);
        for (const Record& r : page) fn(r);
        if (page.size() < 2000) break;
        after = page.back().keyValues();
    }
}

// A value as the checksum reads it: null apart from the empty text.
QByteArray checkText(const Record& r, int field) {
    const QVariant v = r.boundValue(field);
    if (v.isNull()) return QByteArrayLiteral("\x01");
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QByteArrayLiteral("T") : QByteArrayLiteral("F");
    return 'V' + v.toString().toUtf8();
}

QString findTool(const QString& name) {
    QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        const QString candidate = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(*it, name);
        if (QFileInfo::exists(candidate)) return candidate;
    }
    throw UserError(QStringLiteral("Programa %1 não encontrado: instale o pacote postgresql-client").arg(name));
}

// The connection of the server's tools (pg_dump, pg_restore): the
// installation's settings, the password from its password file.
QString toolConnection(const ServerSettings& s) {
    QStringList parts;
    auto add = [&](const char* key, const QString& value) {
        if (value.isEmpty()) return;
        QString v = value;
        v.replace('\\', QStringLiteral("\\\\")).replace('\'', QStringLiteral("\\'"));
        parts << QStringLiteral("%1='%2'").arg(QLatin1String(key), v);
    };
    add("host", s.host);
    add("port", QString::number(s.port));
    add("dbname", s.database);
    add("user", s.user);
    add("sslmode", s.sslMode);
    add("sslrootcert", s.sslRootCert);
    add("sslcert", s.sslCert);
    add("sslkey", s.sslKey);
    add("passfile", s.passwordFile);
    return parts.join(' ');
}

// Runs a tool of the server; throws with what it said when it fails.
QByteArray runTool(const QString& tool, const QStringList& args, const QString& failure) {
    QProcess p;
    p.start(findTool(tool), args);
    if (!p.waitForStarted(30000)) throw UserError(failure + QStringLiteral(": %1 não pôde ser executado").arg(tool));
    p.closeWriteChannel();
    QByteArray out;
    while (!p.waitForFinished(1000)) out += p.readAllStandardOutput();
    out += p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw UserError(failure + QStringLiteral(":\n") + QString::fromUtf8(p.readAllStandardError()).trimmed());
    return out;
}

const QByteArray CopyMagic = QByteArrayLiteral("FOLHAZORVAN-COPIA 1\n");

} // namespace

TableCheck CheckTable(Database& db, const TableDef& def) {
    TableCheck c;
    c.table = def.name;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    eachRow(db, def, [&](const Record& r) {
        for (int i = 0; i < int(def.fields.size()); ++i) {
            hash.addData(checkText(r, i));
            hash.addData(QByteArrayView("\x1f", 1));
        }
        hash.addData(QByteArrayView("\x1e", 1));
        ++c.rows;
    });
    c.checksum = QString::fromLatin1(hash.result().toHex());
    return c;
}

void AdvanceCounters(Database& db, const TableDef& def) {
    if (db.backend() != Backend::PostgreSQL) return;
    for (const FieldDef& f : def.fields)
        if (f.type == FieldType::AutoInc)
            db.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%2), 0) + 1, false) FROM %1")
                        .arg(def.name.toLower(), f.name.toLower()));
}

QList<TableCheck> CheckInstallation(Session& session) {
    QList<TableCheck> checks;
    std::vector<std::unique_ptr<Database>> keep;
    std::deque<TableDef> defs;
    for (const InstalledDb& d : installedDatabases(session, keep))
        for (const QString& name : d.db->tableNames()) {
            const TableDef* def = carriedTable(name, defs);
            if (!def) continue;
            TableCheck c = CheckTable(*d.db, *def);
            c.database = d.label;
            checks << c;
        }
    std::sort(checks.begin(), checks.end(), [](const TableCheck& a, const TableCheck& b) {
        return std::pair(a.database, a.table.toLower()) < std::pair(b.database, b.table.toLower());
    });
    return checks;
}

MigrateResult MigrateToServer(Session& session, const QString& connectionText, bool replace, UserInterface& ui) {
    if (session.onServer()) throw UserError(QStringLiteral("A instalação já está no servidor."));
    MigrateResult result;
    std::vector<std::unique_ptr<Database>> keep;
    QStringList missing;
    const std::vector<InstalledDb> sources = installedDatabases(session, keep, &missing);
    if (!missing.isEmpty())
        throw UserError(QStringLiteral("A instalação tem empresas sem dados; corrija antes de migrar:\n") + missing.join('\n'));

    const Installation& inst = session.installation();
    const ServerSettings server = ConnectServer(inst, connectionText);
    const QString zorvanPath = Session::paramValue(session.aliasParams(QStringLiteral("Zorvan")), QStringLiteral("PATH"));
    auto targetOf = [&](const InstalledDb& d) {
        if (d.label == QLatin1String("Login")) return server.location(QString(), SignInSchema());
        if (d.label == QLatin1String("Empresas")) return server.location(QString(), CompanyListSchema());
        if (d.label == QLatin1String("Zorvan")) return server.location(zorvanPath);
        return server.location(d.directory);
    };

    // A server that holds an installation is not written over unless told.
    auto admin = Database::open(server.location(QString(), QStringLiteral("public")), false);
    QStringList occupied;
    for (const InstalledDb& d : sources) {
        const QString schema = targetOf(d).schemaName();
        auto q = admin->exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = ?"), {schema});
        if (q.next() && q.value(0).toInt() > 0) occupied << schema;
    }
    if (!occupied.isEmpty() && !replace)
        throw UserError(QStringLiteral("O servidor já tem dados desta instalação (%1). Use --replace para substituí-los.")
                            .arg(occupied.join(QStringLiteral(", "))));
    for (const QString& schema : occupied) admin->execDirect(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));

    // What is to be copied.
    std::deque<TableDef> defs;
    struct Job {
        const InstalledDb* source;
        const TableDef* def;
    };
    std::vector<Job> jobs;
    for (const InstalledDb& d : sources)
        for (const QString& name : d.db->tableNames()) {
            if (const TableDef* def = carriedTable(name, defs))
                jobs.push_back({&d, def});
            else if (!isHoldsTable(name))
                result.skipped << QStringLiteral("%1: %2").arg(d.label, name);
        }

    ui.progressStart(QStringLiteral("Copiando a instalação para o servidor"), int(jobs.size()) * 2);
    int step = 0;
    std::map<QString, std::unique_ptr<Database>> targets;
    auto target = [&](const InstalledDb& d) -> Database& {
        auto& t = targets[d.label];
        if (!t) t = Database::open(targetOf(d), true);
        return *t;
    };
    for (const Job& job : jobs) {
        if (ui.cancelRequested()) {
            result.cancelled = true;
            ui.progressEnd();
            return result; // the installation stays on its files
        }
        Database& to = target(*job.source);
        to.ensureTable(*job.def);
        Transaction t(to);
        Table dst(to, *job.def);
        eachRow(*job.source->db, *job.def, [&](const Record& r) { dst.insert(r); });
        AdvanceCounters(to, *job.def);
        t.commit();
        ui.progressStep(++step);
    }
    // Every table checked on both sides before the installation moves.
    for (const Job& job : jobs) {
        TableCheck from = CheckTable(*job.source->db, *job.def);
        const TableCheck to = CheckTable(target(*job.source), *job.def);
        if (from.rows != to.rows || from.checksum != to.checksum)
            throw UserError(QStringLiteral("A cópia da tabela %1 (%2) não confere: %3 registro(s) na origem, %4 no servidor. "
                                           "A instalação continua nos arquivos.")
                                .arg(job.def->name, job.source->label)
                                .arg(from.rows)
                                .arg(to.rows));
        from.database = job.source->label;
        result.tables << from;
        ui.progressStep(++step);
    }
    ui.progressEnd();

    SaveServerSettings(inst, server);
    const QString aliases = inst.programFile(QStringLiteral("Aliases.ini"));
    for (const char* alias : {"Folha", "Zorvan"})
        WriteIniFileValue(aliases, QLatin1String(alias), QStringLiteral("TYPE"), QStringLiteral("POSTGRES"));
    return result;
}

BackupResult BackupInstallation(Session& session, const QString& file, UserInterface& ui) {
    BackupResult result;
    result.file = file;
    if (session.onServer()) {
        // pg_dump's archive, inside the same checked file as the SQLite
        // databases: "SERVIDOR", its size and its SHA-256.
        const ServerSettings s = ReadServerSettings(session.installation());
        ui.progressStart(QStringLiteral("Gravando a cópia de segurança"), 1);
        QTemporaryDir work;
        const QString dump = work.filePath(QStringLiteral("servidor.dump"));
        runTool(QStringLiteral("pg_dump"),
                {QStringLiteral("--format=custom"), QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                 QStringLiteral("--file=") + dump, QStringLiteral("--dbname=") + toolConnection(s)},
                QStringLiteral("Não foi possível gravar a cópia de segurança"));
        QFile in(dump);
        if (!in.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Não foi possível gravar a cópia de segurança"));
        const QByteArray bytes = in.readAll();
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly)) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
        out.write(CopyMagic);
        out.write(QStringLiteral("SERVIDOR\t%1\t\t%2\t%3\n")
                      .arg(s.database)
                      .arg(bytes.size())
                      .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()))
                      .toUtf8());
        out.write(bytes);
        out.write("FIM\n");
        if (!out.commit()) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
        result.databases = 1;
        result.bytes = bytes.size();
        ui.progressStep(1);
        ui.progressEnd();
        return result;
    }
    std::vector<std::unique_ptr<Database>> keep;
    const std::vector<InstalledDb> dbs = installedDatabases(session, keep);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
    out.write(CopyMagic);
    QTemporaryDir work;
    ui.progressStart(QStringLiteral("Gravando a cópia de segurança"), int(dbs.size()));
    for (const InstalledDb& d : dbs) {
        // A consistent copy while other workstations go on working.
        const QString copy = work.filePath(QStringLiteral("copia.sqlite"));
        QFile::remove(copy);
        d.db->exec(QStringLiteral("VACUUM INTO ?"), {copy});
        QFile in(copy);
        if (!in.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Não foi possível copiar a base %1").arg(d.label));
        const QByteArray bytes = in.readAll();
        const QString header = QStringLiteral("BASE\t%1\t%2\t%3\t%4\n")
                                   .arg(d.label, d.directory)
                                   .arg(bytes.size())
                                   .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        out.write(header.toUtf8());
        out.write(bytes);
        result.bytes += bytes.size();
        ++result.databases;
        ui.progressStep(result.databases);
    }
    out.write("FIM\n");
    if (!out.commit()) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
    ui.progressEnd();
    return result;
}

RestoreResult RestoreInstallation(Session& session, const QString& file, UserInterface& ui) {
    RestoreResult result;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Arquivo não encontrado: %1").arg(file));
    // The whole file is read and checked before anything changes.
    if (in.read(CopyMagic.size()) != CopyMagic)
        throw UserError(QStringLiteral("%1 não é uma cópia de segurança do sistema.").arg(file));
    const QString damaged = QStringLiteral("A cópia de segurança está incompleta ou danificada: %1");
    const bool serverCopy = in.peek(9) == "SERVIDOR\t";
    if (serverCopy != session.onServer())
        throw UserError(serverCopy ? QStringLiteral("A cópia é de uma instalação no servidor; esta instalação usa arquivos.")
                                   : QStringLiteral("A cópia é de uma instalação em arquivos; esta instalação está no servidor."));
    QTemporaryDir work;
    // One entry of the file: its header fields, its bytes checked against
    // the SHA-256 the header gives.
    auto readEntry = [&](const char* kind, QStringList* header) -> QByteArray {
        const QByteArray line = in.readLine();
        const QStringList h = QString::fromUtf8(line).chopped(line.endsWith('\n') ? 1 : 0).split('\t');
        if (h.size() != 5 || h[0] != QLatin1String(kind)) throw UserError(damaged.arg(file));
        bool ok = false;
        const qint64 size = h[3].toLongLong(&ok);
        if (!ok || size < 0) throw UserError(damaged.arg(file));
        const QByteArray bytes = in.read(size);
        if (bytes.size() != size || QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() != h[4].toLatin1())
            throw UserError(damaged.arg(file));
        *header = h;
        return bytes;
    };
    if (serverCopy) {
        QStringList header;
        const QByteArray bytes = readEntry("SERVIDOR", &header);
        if (in.readLine() != "FIM\n") throw UserError(damaged.arg(file));
        const QString dump = work.filePath(QStringLiteral("servidor.dump"));
        QFile out(dump);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) throw UserError(damaged.arg(file));
        out.close();
        const QString list =
            QString::fromUtf8(runTool(QStringLiteral("pg_restore"), {QStringLiteral("--list"), dump}, damaged.arg(file)));
        for (const QString& schema : {SignInSchema(), CompanyListSchema()})
            if (!list.contains(QStringLiteral("SCHEMA - ") + schema))
                throw UserError(QStringLiteral("A cópia de segurança não é de uma instalação do sistema (falta %1).").arg(schema));
        confirmRestore(ui);
        const ServerSettings s = ReadServerSettings(session.installation());
        ui.progressStart(QStringLiteral("Restaurando a cópia de segurança"), 1);
        runTool(QStringLiteral("pg_restore"),
                {QStringLiteral("--clean"), QStringLiteral("--if-exists"), QStringLiteral("--single-transaction"),
                 QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"), QStringLiteral("--dbname=") + toolConnection(s),
                 dump},
                QStringLiteral("A restauração falhou e nada foi alterado"));
        ui.progressStep(1);
        ui.progressEnd();
        result.databases = 1;
        return result;
    }

    struct Entry {
        QString label;
        QString directory;
        QString path;
        std::unique_ptr<Database> db;
    };
    std::vector<Entry> entries;
    for (;;) {
        if (in.peek(4) == "FIM\n") break;
        QStringList h;
        const QByteArray bytes = readEntry("BASE", &h);
        const qint64 size = bytes.size();
        Entry e;
        e.label = h[1];
        e.directory = h[2];
        const QString dir = work.filePath(QString::number(entries.size()));
        QDir().mkpath(dir);
        e.path = QDir(dir).filePath(DatabaseLocation::sqliteFileName());
        QFile out(e.path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != size) throw UserError(damaged.arg(file));
        out.close();
        try {
            e.db = Database::openDirectory(dir, false);
            auto check = e.db->exec(QStringLiteral("PRAGMA integrity_check"));
            if (!check.next() || check.value(0).toString() != QLatin1String("ok")) throw UserError(damaged.arg(e.label));
        } catch (const DbError&) {
            throw UserError(damaged.arg(e.label));
        }
        entries.push_back(std::move(e));
    }
    QStringList labels;
    for (const Entry& e : entries) labels << e.label;
    for (const char* needed : {"Login", "Empresas", "Zorvan"})
        if (!labels.contains(QLatin1String(needed))) throw UserError(damaged.arg(file));
    confirmRestore(ui);

    ui.progressStart(QStringLiteral("Restaurando a cópia de segurança"), int(entries.size()));
    std::vector<std::unique_ptr<Database>> keep;
    std::deque<TableDef> defs;
    for (Entry& e : entries) {
        Database* to = nullptr;
        if (e.label == QLatin1String("Login")) to = &session.signInDb();
        else if (e.label == QLatin1String("Empresas")) to = &session.companyListDb();
        else if (e.label == QLatin1String("Zorvan")) to = &session.zorvan();
        else {
            keep.push_back(session.openCompanyDirectory(e.directory, true));
            to = keep.back().get();
        }
        const QStringList names = e.db->tableNames();
        e.db.reset();
        // Each database in one transaction: its tables emptied and filled
        // from the copy, field by field where both have the field.
        to->exec(QStringLiteral("ATTACH DATABASE ? AS copia"), {e.path});
        try {
            Transaction t(*to);
            for (const QString& name : names) {
                const TableDef* def = carriedTable(name, defs);
                if (!def) continue;
                to->ensureTable(*def);
                QStringList copied;
                auto cols = to->exec(QStringLiteral("SELECT name FROM pragma_table_info(?, 'copia')"), {name});
                while (cols.next())
                    if (def->field(cols.value(0).toString())) copied << cols.value(0).toString();
                to->exec(QStringLiteral("DELETE FROM main.%1").arg(def->name));
                to->exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM copia.%3")
                             .arg(def->name, copied.join(QStringLiteral(", ")), name));
                ++result.tables;
            }
            t.commit();
        } catch (...) {
            try {
                to->forgetSchema();
                to->exec(QStringLiteral("DETACH DATABASE copia"));
            } catch (...) {
            }
            throw;
        }
        to->forgetSchema();
        to->exec(QStringLiteral("DETACH DATABASE copia"));
        ++result.databases;
        ui.progressStep(result.databases);
    }
    ui.progressEnd();
    return result;
}

} // namespace folha
