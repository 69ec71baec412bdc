#include "Session.h"
#include "LegalTables.h"

#include "IniFile.h"
#include "InstallationCopy.h"
#include "ServerSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folha {

namespace {

// The sign-in database holds the password hashes: its folder and its files
// (the journal files SQLite makes take the database file's mode) are for
// their owner only, whatever the process's umask.
void KeepPrivate(const QString& directory, bool create) {
    if (create && !QFileInfo(directory).isDir()) {
        QDir().mkpath(directory);
        ::chmod(QFile::encodeName(directory).constData(), 0700);
    }
    const QByteArray dir = QFile::encodeName(directory);
    struct stat st {};
    if (::stat(dir.constData(), &st) != 0) return;
    if ((st.st_mode & 077) != 0 && st.st_uid == ::getuid()) ::chmod(dir.constData(), 0700);
    const QString file = QDir(directory).filePath(DatabaseLocation::sqliteFileName());
    const QByteArray path = QFile::encodeName(file);
    if (create && !QFileInfo::exists(file)) {
        const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QByteArray p = path + suffix;
        if (::stat(p.constData(), &st) == 0 && (st.st_mode & 077) != 0 && st.st_uid == ::getuid())
            ::chmod(p.constData(), 0600);
    }
}

QString ensureTrailing(QString p) {
    if (!p.endsWith('/')) p += '/';
    return p;
}

QString defaultAliasPath(const QString& alias) {
    if (alias.compare(QLatin1String("Zorvan"), Qt::CaseInsensitive) == 0)
        return Installation::ProgramFolder + QStringLiteral("\\Zorvan\\");
    return QStringLiteral("c:\\folha\\");
}

} // namespace

Session::Session(Installation installation) : installation_(std::move(installation)) {}

Session::~Session() {
    aliasTargets_.clear();
    open_.clear();
}

bool Session::installed() const {
    if (QFileInfo::exists(installation_.programDir() + DatabaseLocation::sqliteFileName())) return true;
    const ServerSettings server = ReadServerSettings(installation_);
    if (!server.configured()) return false;
    // On the server the company list tells. A server that cannot be reached
    // counts as installed: opening the data then says what is wrong.
    try {
        auto db = Database::open(server.location(QString(), CompanyListSchema()), false);
        return db->hasTable(QStringLiteral("EmpresaFOLHA"));
    } catch (const DbError& e) {
        return !e.message().startsWith(QStringLiteral("Base de dados não encontrada no servidor"));
    }
}

bool Session::onServer() const { return ReadServerSettings(installation_).configured(); }

QString Session::missingInstallationText() const {
    if (installed()) return {};
    return QStringLiteral("Nenhuma instalação encontrada em %1. Para criar a instalação de demonstração: "
                          "folha --root %1 init --demo")
        .arg(installation_.root());
}

void Session::startUp(UserInterface&) {
    // A restore killed after its switch began is completed, one killed
    // before it is undone, and the work files of dead jobs are removed,
    // before any database is opened.
    FinishInterruptedWork(installation_);
    const QString prog = installation_.programDir();
    const struct {
        QString* var;
        const char* folder;
    } folders[] = {{&values.IniDir, "ini"}, {&values.TmpDbDir, "TmpDb"}, {&values.RelCfgDir, "RelCfg"}, {&values.ExpCfgDir, "ExpCfg"}};
    for (const auto& f : folders) {
        *f.var = installation_.localPath(Installation::ProgramFolder + '\\' + QLatin1String(f.folder) + '\\');
        QDir().mkpath(*f.var);
    }
    values.ExpExcelCfgDir = installation_.localPath(Installation::ProgramFolder + QStringLiteral("\\ExpExcelCfg\\"));
    QDir().mkpath(values.ExpExcelCfgDir);

    QString login = ReadIniValue(installation_.settingsFile(), QStringLiteral("DirLogin"),
                                 QStringLiteral("Dir"));
    if (login.isEmpty())
        login = ReadIniValue(installation_.programFile(QStringLiteral("newlogin.ini")), QStringLiteral("BaseLogin"),
                             QStringLiteral("Base"));
    if (login.isEmpty()) login = Installation::ProgramFolder + QStringLiteral("\\LoginFolha\\");
    values.LoginDir = ensureTrailing(installation_.localPath(login));

    if (values.TextViewerPath.isEmpty())
        values.TextViewerPath = QStringLiteral("C:\\Arquivos de programas\\Windows NT\\Acessórios\\wordpad.exe");
    values.ApplicationTitle = QStringLiteral("Zorvan - Folha de Pagamento");

    QString version = ReadIniValue(installation_.programFile(QStringLiteral("versao.ini")), QStringLiteral("Folha"),
                                   QStringLiteral("Versao"));
    values.SystemVersion = version.isEmpty() ? QStringLiteral("1.0") : version;
    if (installed()) loadLaw();
}

void Session::loadLaw() {
    const QString cfg = installation_.settingsFile();
    auto yes = [&](const char* key, bool byDefault) {
        const QString v = ReadIniValue(cfg, QStringLiteral("Legislacao"), QLatin1String(key)).trimmed().toUpper();
        return v.isEmpty() ? byDefault : v == QLatin1String("S");
    };
    law::LawContext law;
    law.settings.correctOlder = yes("CorrigirCompetenciasAntigas", false);
    law.settings.reductionOn13th = yes("ReducaoNo13", true);
    law.settings.reductionOnVacation = yes("ReducaoNasFerias", true);
    law.settings.simplifiedOn13th = yes("SimplificadoNo13", false);
    try {
        law.tables = std::make_shared<law::LegalTables>(law::LoadLegalTables(zorvan()));
    } catch (const std::exception&) {
        // An installation whose shared tables cannot be read yet calculates
        // with the tables the program brings.
    }
    law::SetCurrentLaw(std::move(law));
}

QStringList Session::aliasParams(const QString& alias) const {
    for (auto it = aliasOverrides_.begin(); it != aliasOverrides_.end(); ++it)
        if (it.key().compare(alias, Qt::CaseInsensitive) == 0) return it.value();
    const QString file = installation_.programFile(QStringLiteral("Aliases.ini"));
    QStringList params;
    QString path = ReadIniValue(file, alias, QStringLiteral("PATH"));
    params << QStringLiteral("PATH=") + (path.isEmpty() ? defaultAliasPath(alias) : path);
    for (const char* key : {"TYPE", "HOST", "PORT", "DATABASE", "USER"}) {
        QString v = ReadIniValue(file, alias, QLatin1String(key));
        if (!v.isEmpty()) params << QLatin1String(key) + '=' + v;
    }
    return params;
}

QString Session::paramValue(const QStringList& params, const QString& name) {
    for (const QString& line : params) {
        int eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1).trimmed();
    }
    return {};
}

void Session::modifyAlias(const QString& alias, const QStringList& params) {
    for (auto it = aliasOverrides_.begin(); it != aliasOverrides_.end(); ++it)
        if (it.key().compare(alias, Qt::CaseInsensitive) == 0) {
            it.value() = params;
            aliasTargets_.remove(alias.toLower());
            return;
        }
    aliasOverrides_.insert(alias, params);
    aliasTargets_.remove(alias.toLower());
}

DatabaseLocation Session::locationOf(const QStringList& params) const {
    DatabaseLocation loc;
    QString path = paramValue(params, QStringLiteral("PATH"));
    // An alias without a type lives where the installation keeps its data.
    const QString type = paramValue(params, QStringLiteral("TYPE"));
    if (type.compare(QLatin1String("POSTGRES"), Qt::CaseInsensitive) == 0 || (type.isEmpty() && onServer())) {
        // The installation's server, unless the alias names another.
        const ServerSettings server = ReadServerSettings(installation_);
        loc = server.location(path);
        const QString host = paramValue(params, QStringLiteral("HOST"));
        if (!host.isEmpty()) loc.host = host;
        QString port = paramValue(params, QStringLiteral("PORT"));
        if (!port.isEmpty()) loc.port = port.toInt();
        const QString database = paramValue(params, QStringLiteral("DATABASE"));
        if (!database.isEmpty()) loc.databaseName = database;
        const QString user = paramValue(params, QStringLiteral("USER"));
        if (!user.isEmpty()) loc.user = user;
    } else {
        loc.directory = installation_.localPath(path);
    }
    return loc;
}

namespace {

QString locationKey(const DatabaseLocation& l) {
    if (l.backend == Backend::SQLite) return QStringLiteral("sqlite:") + QDir::cleanPath(l.directory);
    return QStringLiteral("pg:%1:%2:%3:%4:%5").arg(l.host).arg(l.port).arg(l.databaseName, l.user, l.schemaName());
}

} // namespace

Database& Session::at(const DatabaseLocation& location, bool create) {
    const QString key = locationKey(location);
    auto it = open_.find(key);
    if (it != open_.end()) return **it;
    std::shared_ptr<Database> db = Database::open(location, create);
    open_.insert(key, db);
    return *db;
}

Database& Session::alias(const QString& name) {
    const QString aliasKey = name.toLower();
    auto target = aliasTargets_.find(aliasKey);
    if (target != aliasTargets_.end()) return **open_.find(*target);
    const DatabaseLocation location = locationOf(aliasParams(name));
    Database& db = at(location, createMissing_);
    aliasTargets_.insert(aliasKey, locationKey(location));
    return db;
}

Database& Session::signInDb() {
    const ServerSettings server = ReadServerSettings(installation_);
    if (server.configured()) return at(server.location(QString(), SignInSchema()), createMissing_);
    DatabaseLocation location;
    location.directory = values.LoginDir.isEmpty()
                             ? installation_.localPath(Installation::ProgramFolder + QStringLiteral("\\LoginFolha\\"))
                             : values.LoginDir;
    if (!open_.contains(locationKey(location))) KeepPrivate(location.directory, createMissing_);
    return at(location, createMissing_);
}

Database& Session::companyListDb() {
    const ServerSettings server = ReadServerSettings(installation_);
    if (server.configured()) return at(server.location(QString(), CompanyListSchema()), createMissing_);
    DatabaseLocation location;
    location.directory = installation_.programDir();
    return at(location, createMissing_);
}

Database& Session::tmpDb() {
    DatabaseLocation location;
    location.directory = values.TmpDbDir.isEmpty()
                             ? installation_.localPath(Installation::ProgramFolder + QStringLiteral("\\TmpDb\\"))
                             : values.TmpDbDir;
    return at(location, true);
}

QString Session::driveRoot(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    static const QRegularExpression unc(QStringLiteral("^\\\\\\\\[^\\\\]+\\\\[^\\\\]+\\\\"));
    if (auto m = drive.match(path); m.hasMatch()) return m.captured(0);
    if (auto m = unc.match(path); m.hasMatch()) return m.captured(0);
    return {};
}

QString Session::companyDirectory(const QString& diretorio) const {
    const QString path = paramValue(aliasParams(QStringLiteral("Folha")), QStringLiteral("PATH"));
    // Only the root of the configured path survives: a drive ("E:\"), a
    // server share ("\\server\share\") or "/".
    QString root = driveRoot(path);
    if (root.isEmpty()) root = path.startsWith('/') ? QStringLiteral("/") : QStringLiteral("c:\\");
    QString rest = diretorio.trimmed();
    while (rest.startsWith('\\') || rest.startsWith('/')) rest = rest.mid(1);
    return root + rest;
}

QString Session::SetaDiretorio(const QString& diretorio) {
    QString dir = companyDirectory(diretorio);
    QStringList params = aliasParams(QStringLiteral("Folha"));
    bool replaced = false;
    for (QString& line : params)
        if (line.section('=', 0, 0).trimmed().compare(QLatin1String("PATH"), Qt::CaseInsensitive) == 0) {
            line = QStringLiteral("PATH=") + dir;
            replaced = true;
        }
    if (!replaced) params.prepend(QStringLiteral("PATH=") + dir);
    // The next use of the alias opens (or finds open) the new directory; the
    // database it pointed at stays open for whatever still uses it.
    aliasTargets_.remove(QStringLiteral("folha"));
    modifyAlias(QStringLiteral("Folha"), params);
    values.DataDir = dir;
    return dir;
}

void Session::closeDatabases() {
    for (const std::shared_ptr<Database>& db : std::as_const(open_)) {
        db->connection().close();
        closed_.push_back(db);
    }
    open_.clear();
    aliasTargets_.clear();
}

std::unique_ptr<Database> Session::openCompanyDirectory(const QString& aliasDirectory, bool create) {
    QStringList params = aliasParams(QStringLiteral("Folha"));
    for (QString& line : params)
        if (line.section('=', 0, 0).trimmed().compare(QLatin1String("PATH"), Qt::CaseInsensitive) == 0)
            line = QStringLiteral("PATH=") + aliasDirectory;
    return Database::open(locationOf(params), create);
}


QString CurrentBranchKey(const Session& session) {
    const QString text = session.signIn.CurrentBranchCodeText.trimmed();
    if (!text.isEmpty()) return text;
    return QStringLiteral("%1").arg(session.signIn.CurrentBranchCode, 3, 10, QLatin1Char('0'));
}

int CurrentBranchNumber(const Session& session) {
    if (session.signIn.CurrentBranchCode != 0) return session.signIn.CurrentBranchCode;
    return session.signIn.CurrentBranchCodeText.trimmed().toInt();
}

} // namespace folha
