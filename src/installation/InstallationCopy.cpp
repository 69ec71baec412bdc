#include "InstallationCopy.h"

#include "SystemFiles.h"
#include "IniFile.h"
#include "JobLock.h"
#include "ServerSettings.h"
#include "SignIn.h"
#include "Table.h"

#include <QCryptographicHash>
#include <QDateTime>
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
#include <csignal>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

// Lets the tests kill a job at a chosen moment of its work: the process
// stops itself (SIGSTOP) at the moment FOLHA_PARADA_TESTE names.
void pauseAt(const char* moment) {
    static const QByteArray wanted = qgetenv("FOLHA_PARADA_TESTE");
    if (!wanted.isEmpty() && wanted == moment) ::raise(SIGSTOP);
}

// Forces a file (or a folder's entries) to the disk.
bool syncPath(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The folder of the work files of backups and restores: below the
// installation root, readable by its owner only.
QString workFolderOf(const Installation& inst) { return inst.programFile(QStringLiteral("trabalho")); }

// The work files of one job: a folder of its own below the installation's
// work folder (mode 0700), with a file the job holds locked while it runs,
// so that the next start tells a dead job's folder from a running one's.
class WorkFolder {
public:
    WorkFolder(const Installation& inst, const QString& kind) {
        const QString base = workFolderOf(inst);
        if (!QDir().mkpath(base) ||
            !QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            throw UserError(QStringLiteral("Não foi possível criar a pasta de trabalho %1.").arg(base));
        dir_ = std::make_unique<QTemporaryDir>(base + '/' + kind + QStringLiteral("-XXXXXX"));
        if (!dir_->isValid())
            throw UserError(QStringLiteral("Não foi possível criar a pasta de trabalho em %1.").arg(base));
        fd_ = ::open(QFile::encodeName(filePath(QStringLiteral("ativo"))).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
            throw UserError(QStringLiteral("Não foi possível criar a pasta de trabalho em %1.").arg(base));
    }
    ~WorkFolder() {
        if (keep_) dir_->setAutoRemove(false);
        dir_.reset();
        if (fd_ >= 0) ::close(fd_);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    QString path() const { return dir_->path(); }
    QString filePath(const QString& name) const { return dir_->filePath(name); }
    // Left behind for the next start, which finishes what it holds.
    void keep() { keep_ = true; }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    int fd_ = -1;
    bool keep_ = false;
};

// The journal of a restore of SQLite files. "PREPARAR": the new databases
// are being written beside the old ones ("dados.sqlite.novo"); a restore
// that dies then is undone. "TROCAR": every new database is on the disk; a
// restore that dies then is completed. One line per database file.
const QByteArray JournalMagic = QByteArrayLiteral("FOLHAZORVAN-RESTAURACAO 1\n");
const QString JournalName = QStringLiteral("diario");
QString freshFile(const QString& target) { return target + QStringLiteral(".novo"); }

void writeJournal(const QString& folder, const char* state, const QStringList& targets) {
    QSaveFile out(QDir(folder).filePath(JournalName));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(JournalMagic);
        out.write(QByteArray(state) + '\n');
        for (const QString& t : targets) out.write(t.toUtf8() + '\n');
    }
    if (!out.commit() || !syncPath(folder))
        throw UserError(QStringLiteral("Não foi possível gravar o diário da restauração em %1.").arg(folder));
}

// Puts one new database in the place of the old one; nothing to do when
// it is in place already.
void switchIn(const QString& target) {
    const QString fresh = freshFile(target);
    if (!QFileInfo::exists(fresh)) return;
    // The old database's write-ahead log would be read into the new file.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString side = target + QLatin1String(suffix);
        if (QFileInfo::exists(side) && !QFile::remove(side))
            throw UserError(QStringLiteral("Não foi possível remover %1.").arg(side));
    }
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) != 0 ||
        !syncPath(QFileInfo(target).absolutePath()))
        throw UserError(QStringLiteral("Não foi possível colocar a base restaurada em %1.").arg(target));
}

// What a dead restore's journal says to do: complete the switch or remove
// the new files it had begun to write.
void finishJournal(const QString& folder) {
    QFile in(QDir(folder).filePath(JournalName));
    if (!in.open(QIODevice::ReadOnly)) return;
    if (in.readLine() != JournalMagic) return;
    const QByteArray state = in.readLine().trimmed();
    QStringList targets;
    while (!in.atEnd()) {
        const QString t = QString::fromUtf8(in.readLine()).trimmed();
        if (!t.isEmpty()) targets << t;
    }
    if (state == "TROCAR") {
        for (const QString& t : targets) switchIn(t);
    } else {
        for (const QString& t : targets) QFile::remove(freshFile(t));
    }
}

} // namespace

void FinishInterruptedWork(const Installation& installation) {
    const QDir base(workFolderOf(installation));
    if (!base.exists()) return;
    for (const QFileInfo& job : base.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const int fd = ::open(QFile::encodeName(job.filePath() + QStringLiteral("/ativo")).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            // A job that has only just made its folder has not locked it yet.
            if (job.lastModified().secsTo(QDateTime::currentDateTime()) < 60) continue;
        } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd); // a job that is running
            continue;
        }
        try {
            finishJournal(job.filePath());
        } catch (const UserError& e) {
            if (fd >= 0) ::close(fd);
            throw UserError(QStringLiteral("Uma restauração interrompida não pôde ser concluída: %1 Feche as outras estações "
                                           "e abra o sistema novamente.")
                                .arg(e.message()));
        }
        QDir(job.filePath()).removeRecursively();
        if (fd >= 0) ::close(fd);
    }
}

namespace {

// The calculations' job (CalculationLock.h): a restore waits for none and
// lets none begin.
const QString CalculationJob = QStringLiteral("calculo");
const QString CalculationCaption = QStringLiteral("um cálculo");

QString damagedText(const QString& file) {
    return QStringLiteral("O arquivo %1 é uma cópia danificada ou incompleta; nada foi alterado.").arg(file);
}

UserError refused(const QString& file, const QString& why) {
    return UserError(QStringLiteral("A cópia de segurança %1 foi recusada: %2. Nada foi alterado.").arg(file, why));
}

// A folder as a company row names it, with backslashes and without the
// separators at either end.
QString folderText(QString dir) {
    dir = dir.trimmed().replace('/', '\\');
    while (dir.startsWith('\\')) dir.remove(0, 1);
    while (dir.endsWith('\\')) dir.chop(1);
    return dir;
}

// A company's folder as a copy's header names it ("c:\folha\emp1"), without
// the root the alias puts before the company's `Diretorio`.
QString withoutRoot(const QString& dir) { return folderText(dir.mid(Session::driveRoot(dir).size())); }

// Whether a company's `Diretorio` stays below the drive root it is put
// under: relative, without "..", without a drive or a path of this machine
// ("/...") of its own.
bool safeFolder(const QString& diretorio) {
    const QString text = folderText(diretorio);
    const QString given = diretorio.trimmed();
    if (text.isEmpty() || text.contains(':') || given.startsWith('/') || given.startsWith(QLatin1String("\\\\"))) return false;
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; })) return false;
    for (const QString& part : text.split('\\', Qt::SkipEmptyParts))
        if (part.trimmed() == QLatin1String("..")) return false;
    return true;
}

bool below(const QString& path, const QString& root) {
    const QString p = QDir::cleanPath(path);
    return p.startsWith(QDir::cleanPath(root) + '/');
}

bool isAuditTable(const QString& name) { return name.startsWith(QLatin1String("LogSys"), Qt::CaseInsensitive); }

// The stored table every database of a kind has.
QString markTable(Scope scope) {
    switch (scope) {
    case Scope::SignIn: return QStringLiteral("Usuarios");
    case Scope::CompanyList: return QStringLiteral("EmpresaFOLHA");
    case Scope::Company: return QStringLiteral("Filial");
    case Scope::Shared: break;
    }
    return {};
}

QString kindName(Scope scope) {
    switch (scope) {
    case Scope::SignIn: return QStringLiteral("dos usuários");
    case Scope::CompanyList: return QStringLiteral("da lista de empresas");
    case Scope::Company: return QStringLiteral("de empresa");
    case Scope::Shared: break;
    }
    return QStringLiteral("das tabelas comuns");
}

// A database of a copy holds the tables of its kind: every table the
// registry knows belongs there, and the kind's own table is present.
// Returns why not, or empty.
QString kindMismatch(const QStringList& tables, Scope scope, const QString& label) {
    std::deque<TableDef> defs;
    for (const QString& name : tables) {
        const TableDef* def = carriedTable(name, defs);
        if (def && def->scope != scope)
            return QStringLiteral("a base \"%1\" contém a tabela %2, que não é uma tabela %3").arg(label, name, kindName(scope));
    }
    const QString mark = markTable(scope);
    if (!mark.isEmpty() && !std::any_of(tables.begin(), tables.end(),
                                        [&](const QString& t) { return t.compare(mark, Qt::CaseInsensitive) == 0; }))
        return QStringLiteral("a base \"%1\" não tem a tabela %2 de uma base %3").arg(label, mark, kindName(scope));
    return {};
}

// The kind of database a copy's entry names: "Login", "Empresas",
// "Zorvan", "Empresa N" (N into `code`).
std::optional<Scope> kindOfLabel(const QString& label, int* code) {
    if (label == QLatin1String("Login")) return Scope::SignIn;
    if (label == QLatin1String("Empresas")) return Scope::CompanyList;
    if (label == QLatin1String("Zorvan")) return Scope::Shared;
    static const QRegularExpression company(QStringLiteral("^Empresa ([1-9][0-9]{0,8})$"));
    if (auto m = company.match(label); m.hasMatch()) {
        *code = m.captured(1).toInt();
        return Scope::Company;
    }
    return std::nullopt;
}

// One company of a copy's company list.
struct CopyCompany {
    int code = 0;
    QString diretorio;
};

UserError outsideInstallation(const QString& file, const CopyCompany& co) {
    return refused(file, QStringLiteral("a pasta \"%1\" da empresa %2 não fica dentro da instalação").arg(co.diretorio).arg(co.code));
}

// A copy's company's folder as the alias takes it, from its `Diretorio`;
// refuses a `Diretorio` that leaves the drive root it is put under.
QString companyAliasDir(Session& session, const CopyCompany& co, const QString& file) {
    if (!safeFolder(co.diretorio)) throw outsideInstallation(file, co);
    return session.companyDirectory(folderText(co.diretorio) + '\\');
}

// Where a copy's company goes in this installation: the folder of its
// `Diretorio`, below the root. Refuses a folder elsewhere.
QString companyTarget(Session& session, const CopyCompany& co, const QString& file, QString* aliasDir) {
    *aliasDir = companyAliasDir(session, co, file);
    const QString local = session.installation().localPath(*aliasDir);
    if (!below(local, session.installation().root())) throw outsideInstallation(file, co);
    return QDir::cleanPath(local);
}

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
    // A copy is written beside the installation, never over a part of it.
    RefuseSystemOutput(file);
    BackupResult result;
    result.file = file;
    WorkFolder work(session.installation(), QStringLiteral("copia"));
    if (session.onServer()) {
        // pg_dump's archive, inside the same checked file as the SQLite
        // databases: "SERVIDOR", its size and its SHA-256.
        const ServerSettings s = ReadServerSettings(session.installation());
        ui.progressStart(QStringLiteral("Gravando a cópia de segurança"), 1);
        const QString dump = work.filePath(QStringLiteral("servidor.dump"));
        runTool(QStringLiteral("pg_dump"),
                {QStringLiteral("--format=custom"), QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                 QStringLiteral("--file=") + dump, QStringLiteral("--dbname=") + toolConnection(s)},
                QStringLiteral("Não foi possível gravar a cópia de segurança"));
        pauseAt("gravando");
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
        pauseAt("gravando");
    }
    out.write("FIM\n");
    if (!out.commit()) throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
    ui.progressEnd();
    return result;
}

namespace {

// The calculation lock of every company a restore touches, taken before it
// changes anything and held until it ends; refused while a company
// calculates.
class CompanyLocks {
public:
    void take(Session& session, const QString& aliasDir, int code) {
        std::unique_ptr<Database> db;
        try {
            db = session.openCompanyDirectory(aliasDir, false);
        } catch (const DbError&) {
            return; // no data, so nothing calculates there
        }
        try {
            locks_.push_back(std::make_unique<JobLock>(*db, CalculationJob, CalculationCaption));
        } catch (const DbError& e) {
            throw UserError(QStringLiteral("A restauração não pode começar: empresa %1: %2").arg(code).arg(e.message()));
        }
        dbs_.push_back(std::move(db));
    }
    // SQLite: the lock is a file beside the database, so the database's
    // connection may close before its file is replaced.
    void closeConnections() {
        for (auto& db : dbs_) db->connection().close();
    }

private:
    std::vector<std::unique_ptr<Database>> dbs_; // outlive the locks
    std::vector<std::unique_ptr<JobLock>> locks_;
};

// The values of a COPY block of pg_restore's script.
QStringList copyFields(const QString& line) {
    QStringList fields;
    for (const QString& raw : line.split('\t')) {
        if (raw == QLatin1String("\\N")) {
            fields << QString();
            continue;
        }
        QString v;
        for (int i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                v += raw[i];
                continue;
            }
            const QChar c = raw[++i];
            v += c == 't' ? QChar('\t') : c == 'n' ? QChar('\n') : c == 'r' ? QChar('\r') : c;
        }
        fields << v;
    }
    return fields;
}

// The kinds of objects a copy of an installation on the server holds.
const QStringList ArchiveKinds = {QStringLiteral("SEQUENCE OWNED BY"), QStringLiteral("SEQUENCE SET"), QStringLiteral("TABLE DATA"),
                                  QStringLiteral("SEQUENCE"), QStringLiteral("TABLE"), QStringLiteral("DEFAULT"),
                                  QStringLiteral("CONSTRAINT"), QStringLiteral("INDEX"), QStringLiteral("SCHEMA")};

// One entry of pg_restore's list: its kind, schema and name.
struct ArchiveEntry {
    QString line;
    QString kind;
    QString schema;
    QString name;
};

std::optional<ArchiveEntry> archiveEntry(const QString& line) {
    static const QRegularExpression entry(QStringLiteral("^\\d+; \\d+ \\d+ (.*)$"));
    const auto m = entry.match(line);
    if (!m.hasMatch()) return std::nullopt;
    ArchiveEntry e;
    e.line = line;
    QString rest = m.captured(1);
    e.kind = QStringLiteral("?");
    for (const QString& kind : ArchiveKinds)
        if (rest.startsWith(kind + ' ')) {
            e.kind = kind;
            rest = rest.mid(kind.size() + 1);
            break;
        }
    const QStringList parts = rest.split(' ', Qt::SkipEmptyParts);
    e.schema = parts.value(0);
    e.name = parts.value(1);
    if (e.kind == QLatin1String("SCHEMA")) e.schema = e.name;
    return e;
}

// The restore of an installation on the server: the archive's objects all
// belong to this installation's schemas, each schema holds the tables of its
// kind, and pg_restore puts it back in one transaction. The audit log's
// tables the server has are kept as they are.
RestoreResult restoreServer(Session& session, const QByteArray& bytes, const QString& file, WorkFolder& work,
                            UserInterface& ui) {
    const QString damaged = damagedText(file);
    const QString dump = work.filePath(QStringLiteral("servidor.dump"));
    QFile out(dump);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) throw UserError(damaged);
    out.close();
    const QStringList list =
        QString::fromUtf8(runTool(QStringLiteral("pg_restore"), {QStringLiteral("--list"), dump}, damaged)).split('\n');
    const QString script = QString::fromUtf8(runTool(
        QStringLiteral("pg_restore"),
        {QStringLiteral("--data-only"), QStringLiteral("--schema=") + CompanyListSchema(), QStringLiteral("--table=empresafolha"),
         QStringLiteral("--file=-"), dump},
        damaged));

    const ServerSettings server = ReadServerSettings(session.installation());
    const QString zorvanSchema =
        server.location(Session::paramValue(session.aliasParams(QStringLiteral("Zorvan")), QStringLiteral("PATH"))).schemaName();
    struct Part {
        QString label;
        Scope scope;
        QStringList tables;
    };
    std::map<QString, Part> parts{{SignInSchema(), {QStringLiteral("Login"), Scope::SignIn, {}}},
                                  {CompanyListSchema(), {QStringLiteral("Empresas"), Scope::CompanyList, {}}},
                                  {zorvanSchema, {QStringLiteral("Zorvan"), Scope::Shared, {}}}};
    CompanyLocks locks;
    // The copy's company list, from its rows in the archive.
    const QStringList lines = script.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        static const QRegularExpression copy(QStringLiteral("^COPY \\S+ \\((.*)\\) FROM stdin;$"));
        const auto m = copy.match(lines[i]);
        if (!m.hasMatch()) continue;
        const QStringList columns = m.captured(1).split(QStringLiteral(", "));
        const int codeAt = int(columns.indexOf(QStringLiteral("codigo"))), dirAt = int(columns.indexOf(QStringLiteral("diretorio")));
        if (codeAt < 0 || dirAt < 0) throw UserError(damaged);
        for (++i; i < lines.size() && lines[i] != QLatin1String("\\."); ++i) {
            const QStringList f = copyFields(lines[i]);
            const CopyCompany co{f.value(codeAt).toInt(), f.value(dirAt)};
            const QString aliasDir = companyAliasDir(session, co, file);
            const QString schema = server.location(aliasDir).schemaName();
            if (parts.count(schema))
                throw refused(file, QStringLiteral("a empresa %1 usaria a base \"%2\", que já é de outra parte da instalação").arg(co.code).arg(schema));
            parts[schema] = {QStringLiteral("Empresa %1").arg(co.code), Scope::Company, {}};
            locks.take(session, aliasDir, co.code);
        }
    }
    // Every object of the archive in a schema of the installation.
    std::vector<ArchiveEntry> entries;
    for (const QString& line : list) {
        if (line.startsWith(';') || line.trimmed().isEmpty()) continue;
        const auto e = archiveEntry(line);
        if (!e) throw UserError(damaged);
        if (e->kind == QLatin1String("?"))
            throw refused(file, QStringLiteral("a cópia contém um objeto que não é de uma instalação do sistema (%1)").arg(line));
        auto part = parts.find(e->schema);
        if (part == parts.end())
            throw refused(file, QStringLiteral("a cópia contém a base \"%1\", que não é de nenhuma empresa da lista da cópia").arg(e->schema));
        if (e->kind == QLatin1String("TABLE")) part->second.tables << e->name;
        entries.push_back(*e);
    }
    for (const char* needed : {"Login", "Empresas"})
        if (!std::any_of(parts.begin(), parts.end(), [&](const auto& p) { return p.second.label == QLatin1String(needed) && !p.second.tables.isEmpty(); }))
            throw UserError(QStringLiteral("A cópia de segurança não é de uma instalação do sistema (falta %1).").arg(QLatin1String(needed)));
    for (const auto& [schema, part] : parts)
        if (!part.tables.isEmpty())
            if (const QString why = kindMismatch(part.tables, part.scope, part.label); !why.isEmpty()) throw refused(file, why);

    // The companies of today's list calculate on today's schemas.
    SignIn signIn(session);
    for (const CompanyRow& co : signIn.allCompanies()) locks.take(session, session.companyDirectory(co.directory), co.code);

    // The audit log the server has stays: its tables are left out of the
    // restore (and so is their schema, which is not dropped then).
    QStringList kept;
    {
        auto q = session.zorvan().exec(
            QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = ?"), {zorvanSchema});
        while (q.next())
            if (isAuditTable(q.value(0).toString())) kept << q.value(0).toString().toLower();
    }
    QStringList chosen;
    for (const ArchiveEntry& e : entries) {
        // The table, its data, its counter, its default, its key and indexes.
        const bool logObject = e.schema == zorvanSchema && std::any_of(kept.begin(), kept.end(), [&](const QString& t) {
                                   return e.line.contains(' ' + t + ' ') || e.line.endsWith(' ' + t) ||
                                          e.line.contains(' ' + t + '_');
                               });
        const bool zorvanSchemaItself = e.kind == QLatin1String("SCHEMA") && e.schema == zorvanSchema && !kept.isEmpty();
        chosen << ((logObject || zorvanSchemaItself) ? QStringLiteral(";") + e.line : e.line);
    }
    const QString listFile = work.filePath(QStringLiteral("servidor.lista"));
    QFile listOut(listFile);
    if (!listOut.open(QIODevice::WriteOnly) || listOut.write(chosen.join('\n').toUtf8() + '\n') < 0) throw UserError(damaged);
    listOut.close();

    confirmRestore(ui);
    ui.progressStart(QStringLiteral("Restaurando a cópia de segurança"), 1);
    runTool(QStringLiteral("pg_restore"),
            {QStringLiteral("--clean"), QStringLiteral("--if-exists"), QStringLiteral("--single-transaction"),
             QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"), QStringLiteral("--use-list=") + listFile,
             QStringLiteral("--dbname=") + toolConnection(server), dump},
            QStringLiteral("A restauração falhou e nada foi alterado"));
    ui.progressStep(1);
    ui.progressEnd();
    RestoreResult result;
    result.databases = 1;
    return result;
}

} // namespace

RestoreResult RestoreInstallation(Session& session, const QString& file, UserInterface& ui) {
    RestoreResult result;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Arquivo não encontrado: %1").arg(file));
    // The whole file is read and checked before anything changes.
    if (in.read(CopyMagic.size()) != CopyMagic)
        throw UserError(QStringLiteral("%1 não é uma cópia de segurança do sistema.").arg(file));
    const QString damaged = damagedText(file);
    const bool serverCopy = in.peek(9) == "SERVIDOR\t";
    if (serverCopy != session.onServer())
        throw UserError(serverCopy ? QStringLiteral("A cópia é de uma instalação no servidor; esta instalação usa arquivos.")
                                   : QStringLiteral("A cópia é de uma instalação em arquivos; esta instalação está no servidor."));
    WorkFolder work(session.installation(), QStringLiteral("restauracao"));
    // One entry of the file: its header fields, its bytes checked against
    // the size left in the file and the SHA-256 the header gives.
    auto readEntry = [&](const char* kind, QStringList* header) -> QByteArray {
        const QByteArray line = in.readLine(4096);
        const QStringList h = QString::fromUtf8(line).chopped(line.endsWith('\n') ? 1 : 0).split('\t');
        if (h.size() != 5 || h[0] != QLatin1String(kind)) throw UserError(damaged);
        bool ok = false;
        const qint64 size = h[3].toLongLong(&ok);
        if (!ok || size < 0 || size > in.size() - in.pos()) throw UserError(damaged);
        const QByteArray bytes = in.read(size);
        if (bytes.size() != size || QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() != h[4].toLatin1())
            throw UserError(damaged);
        *header = h;
        return bytes;
    };
    // The end mark, and nothing after it.
    auto readEnd = [&] {
        if (in.read(4) != "FIM\n" || !in.atEnd()) throw UserError(damaged);
    };
    if (serverCopy) {
        QStringList header;
        const QByteArray bytes = readEntry("SERVIDOR", &header);
        readEnd();
        return restoreServer(session, bytes, file, work, ui);
    }

    struct Entry {
        QString label;
        Scope scope = Scope::Company;
        int code = 0;
        QString headerDir;
        QString path;   // the copy's database, in the work folder
        QStringList tables;
        QString target; // the folder it goes to
    };
    std::vector<Entry> entries;
    std::map<int, CopyCompany> companies;
    while (in.peek(4) != "FIM\n") {
        QStringList h;
        const QByteArray bytes = readEntry("BASE", &h);
        Entry e;
        e.label = h[1];
        e.headerDir = h[2];
        const auto scope = kindOfLabel(e.label, &e.code);
        if (!scope) throw refused(file, QStringLiteral("a base \"%1\" não é de nenhuma parte da instalação").arg(e.label));
        e.scope = *scope;
        if (std::any_of(entries.begin(), entries.end(), [&](const Entry& o) { return o.label == e.label; }))
            throw refused(file, QStringLiteral("a base \"%1\" aparece duas vezes").arg(e.label));
        const QString dir = work.filePath(QStringLiteral("copia%1").arg(entries.size()));
        QDir().mkpath(dir);
        e.path = QDir(dir).filePath(DatabaseLocation::sqliteFileName());
        QFile out(e.path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) throw UserError(damaged);
        out.close();
        try {
            auto db = Database::openDirectory(dir, false);
            auto check = db->exec(QStringLiteral("PRAGMA integrity_check"));
            if (!check.next() || check.value(0).toString() != QLatin1String("ok")) throw UserError(damaged);
            check.finish();
            e.tables = db->tableNames();
            if (const QString why = kindMismatch(e.tables, e.scope, e.label); !why.isEmpty()) throw refused(file, why);
            if (e.scope == Scope::CompanyList) {
                auto q = db->exec(QStringLiteral("SELECT Codigo, Diretorio FROM EmpresaFOLHA"));
                while (q.next()) companies[q.value(0).toInt()] = {q.value(0).toInt(), q.value(1).toString()};
            }
        } catch (const DbError&) {
            throw UserError(damaged);
        }
        entries.push_back(std::move(e));
    }
    readEnd();
    for (const char* needed : {"Login", "Empresas", "Zorvan"})
        if (!std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.label == QLatin1String(needed); }))
            throw UserError(damaged);

    // Where each database goes: the installation's own folders, and each
    // company's folder below the root as the copy's company list names it.
    CompanyLocks locks;
    std::map<int, QString> companyTargets;
    for (const auto& [code, co] : companies) {
        QString aliasDir;
        companyTargets[code] = companyTarget(session, co, file, &aliasDir);
        locks.take(session, aliasDir, code);
    }
    QStringList targetFiles;
    for (Entry& e : entries) {
        if (e.scope != Scope::Company) {
            if (!e.headerDir.isEmpty())
                throw refused(file, QStringLiteral("a base \"%1\" indica a pasta \"%2\"").arg(e.label, e.headerDir));
            e.target = QDir::cleanPath(e.scope == Scope::SignIn        ? session.signInDb().location().directory
                                       : e.scope == Scope::CompanyList ? session.companyListDb().location().directory
                                                                       : session.zorvan().location().directory);
        } else {
            const auto co = companies.find(e.code);
            if (co == companies.end())
                throw refused(file, QStringLiteral("a base \"%1\" não é de nenhuma empresa da lista da cópia").arg(e.label));
            if (withoutRoot(e.headerDir).compare(folderText(co->second.diretorio), Qt::CaseInsensitive) != 0)
                throw refused(file, QStringLiteral("a base \"%1\" indica a pasta \"%2\", mas a empresa %3 fica em \"%4\"")
                                        .arg(e.label, e.headerDir)
                                        .arg(e.code)
                                        .arg(co->second.diretorio));
            e.target = companyTargets[e.code];
        }
        const QString targetFile = QDir(e.target).filePath(DatabaseLocation::sqliteFileName());
        if (targetFiles.contains(targetFile, Qt::CaseInsensitive))
            throw refused(file, QStringLiteral("duas bases iriam para a mesma pasta %1").arg(e.target));
        targetFiles << targetFile;
    }
    pauseAt("verificada");
    // The companies of today's list calculate on today's folders.
    {
        SignIn signIn(session);
        for (const CompanyRow& co : signIn.allCompanies()) locks.take(session, session.companyDirectory(co.directory), co.code);
    }
    confirmRestore(ui);

    // Every database is written whole into the work folder first: today's
    // database (its tables the copy lacks and its audit log) with the
    // copy's tables put in. A failure here changes nothing.
    ui.progressStart(QStringLiteral("Restaurando a cópia de segurança"), int(entries.size()) + 1);
    std::deque<TableDef> defs;
    std::vector<QString> built;
    try {
        for (Entry& e : entries) {
            const QString dir = work.filePath(QStringLiteral("nova%1").arg(built.size()));
            QDir().mkpath(dir);
            const QString newFile = QDir(dir).filePath(DatabaseLocation::sqliteFileName());
            const QString targetFile = targetFiles[int(built.size())];
            if (QFileInfo::exists(targetFile)) {
                auto current = Database::openDirectory(e.target, false);
                current->exec(QStringLiteral("VACUUM INTO ?"), {newFile});
            }
            auto to = Database::openDirectory(dir, true);
            to->exec(QStringLiteral("ATTACH DATABASE ? AS copia"), {e.path});
            {
                Transaction t(*to);
                for (const QString& name : e.tables) {
                    const TableDef* def = carriedTable(name, defs);
                    if (!def) continue;
                    to->ensureTable(*def);
                    QStringList copied;
                    auto cols = to->exec(QStringLiteral("SELECT name FROM pragma_table_info(?, 'copia')"), {name});
                    while (cols.next())
                        if (def->field(cols.value(0).toString())) copied << cols.value(0).toString();
                    cols.finish();
                    if (isAuditTable(def->name)) {
                        // The audit log keeps every entry it has; the copy's
                        // entries it lacks are added after them.
                        QStringList fields, same;
                        for (const QString& c : copied) {
                            if (def->field(c)->type == FieldType::AutoInc) continue;
                            fields << c;
                            same << QStringLiteral("m.%1 IS c.%1").arg(c);
                        }
                        to->exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %3 FROM copia.%4 c WHERE NOT EXISTS "
                                                "(SELECT 1 FROM main.%1 m WHERE %5)")
                                     .arg(def->name, fields.join(QStringLiteral(", ")),
                                          QStringLiteral("c.") + fields.join(QStringLiteral(", c.")), name,
                                          same.join(QStringLiteral(" AND "))));
                    } else {
                        to->exec(QStringLiteral("DELETE FROM main.%1").arg(def->name));
                        to->exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM copia.%3")
                                     .arg(def->name, copied.join(QStringLiteral(", ")), name));
                    }
                    ++result.tables;
                }
                t.commit();
            }
            to->forgetSchema();
            to->exec(QStringLiteral("DETACH DATABASE copia"));
            built.push_back(newFile);
            ui.progressStep(int(built.size()));
        }
    } catch (const DbError& e) {
        throw UserError(QStringLiteral("A restauração falhou e nada foi alterado: %1").arg(e.message()));
    }
    pauseAt("construida");

    // The new databases beside the old ones, then the journal says "switch":
    // from there on the restore is completed even if the program dies.
    writeJournal(work.path(), "PREPARAR", targetFiles);
    try {
        for (int i = 0; i < targetFiles.size(); ++i) {
            const QString fresh = freshFile(targetFiles[i]);
            QFile::remove(fresh);
            if (!QDir().mkpath(entries[size_t(i)].target) || !QFile::copy(built[size_t(i)], fresh) || !syncPath(fresh) ||
                !syncPath(entries[size_t(i)].target))
                throw UserError(QStringLiteral("A restauração falhou e nada foi alterado: não foi possível gravar %1.").arg(fresh));
        }
        pauseAt("preparada");
        writeJournal(work.path(), "TROCAR", targetFiles);
    } catch (...) {
        for (const QString& t : targetFiles) QFile::remove(freshFile(t));
        throw;
    }
    pauseAt("confirmada");

    // Every database switched in one step: the connections to the old files
    // closed, each new file renamed over its old one.
    session.closeDatabases();
    locks.closeConnections();
    try {
        for (int i = 0; i < targetFiles.size(); ++i) {
            switchIn(targetFiles[i]);
            if (i == 0) pauseAt("trocando");
        }
        pauseAt("trocada");
    } catch (const UserError& e) {
        work.keep();
        throw UserError(QStringLiteral("A restauração parou ao trocar as bases (%1) e será concluída quando o sistema for aberto "
                                       "novamente.")
                            .arg(e.message()));
    }
    QFile::remove(work.filePath(JournalName));
    result.databases = int(entries.size());
    ui.progressStep(int(entries.size()) + 1);
    ui.progressEnd();
    return result;
}
} // namespace folha
