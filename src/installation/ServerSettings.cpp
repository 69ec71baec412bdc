#include "ServerSettings.h"

#include "IniFile.h"
#include "OwnerOnlyFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace folha {

namespace {

const QString Section = QStringLiteral("Servidor");

QString iniFile(const Installation& inst) { return inst.programFile(QStringLiteral("Servidor.ini")); }
QString passFile(const Installation& inst) { return inst.programFile(QStringLiteral("Servidor.pgpass")); }

// "key=value key2='a b'" into pairs; values may be quoted with ' and escape
// with a backslash, as libpq reads them.
QList<QPair<QString, QString>> keywordPairs(const QString& text) {
    QList<QPair<QString, QString>> pairs;
    int i = 0;
    const int n = text.size();
    auto skipSpace = [&] {
        while (i < n && text[i].isSpace()) ++i;
    };
    while (true) {
        skipSpace();
        if (i >= n) break;
        QString key;
        while (i < n && !text[i].isSpace() && text[i] != '=') key += text[i++];
        skipSpace();
        if (i >= n || text[i] != '=')
            throw DbError(QStringLiteral("Conexão mal escrita: falta \"=\" depois de \"%1\"").arg(key));
        ++i;
        skipSpace();
        QString value;
        if (i < n && text[i] == '\'') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == '\\' && i + 1 < n) {
                    value += text[i + 1];
                    i += 2;
                } else if (text[i] == '\'') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    value += text[i++];
                }
            }
            if (!closed) throw DbError(QStringLiteral("Conexão mal escrita: aspas sem fechamento em \"%1\"").arg(key));
        } else {
            while (i < n && !text[i].isSpace()) {
                if (text[i] == '\\' && i + 1 < n) ++i;
                value += text[i++];
            }
        }
        if (key.isEmpty()) throw DbError(QStringLiteral("Conexão mal escrita: \"%1\"").arg(text));
        pairs.append({key.toLower(), value});
    }
    return pairs;
}

QString pgpassEscape(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == ':' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

} // namespace

QString ServerSettings::connectOptions() const {
    QStringList o;
    if (!sslMode.isEmpty()) o << QStringLiteral("sslmode=") + sslMode;
    if (!sslRootCert.isEmpty()) o << QStringLiteral("sslrootcert=") + sslRootCert;
    if (!sslCert.isEmpty()) o << QStringLiteral("sslcert=") + sslCert;
    if (!sslKey.isEmpty()) o << QStringLiteral("sslkey=") + sslKey;
    if (!passwordFile.isEmpty()) o << QStringLiteral("passfile=") + passwordFile;
    return o.join(';');
}

DatabaseLocation ServerSettings::location(const QString& directory, const QString& schema) const {
    DatabaseLocation l;
    l.backend = Backend::PostgreSQL;
    l.directory = directory;
    l.schema = schema;
    l.host = host;
    l.port = port;
    l.databaseName = database;
    l.user = user;
    l.options = connectOptions();
    return l;
}

ServerSettings ReadServerSettings(const Installation& inst) {
    ServerSettings s;
    const QString file = iniFile(inst);
    if (!QFileInfo::exists(file)) return s;
    s.host = ReadIniValue(file, Section, QStringLiteral("HOST"));
    const QString port = ReadIniValue(file, Section, QStringLiteral("PORT"));
    if (!port.isEmpty()) s.port = port.toInt();
    s.database = ReadIniValue(file, Section, QStringLiteral("DATABASE"));
    s.user = ReadIniValue(file, Section, QStringLiteral("USER"));
    s.sslMode = ReadIniValue(file, Section, QStringLiteral("SSLMODE"));
    s.sslRootCert = ReadIniValue(file, Section, QStringLiteral("SSLROOTCERT"));
    s.sslCert = ReadIniValue(file, Section, QStringLiteral("SSLCERT"));
    s.sslKey = ReadIniValue(file, Section, QStringLiteral("SSLKEY"));
    if (QFileInfo::exists(passFile(inst))) s.passwordFile = passFile(inst);
    return s;
}

ServerSettings ParseConnectionText(const QString& text, QString* password) {
    ServerSettings s;
    QString pw;
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("postgres://")) || t.startsWith(QLatin1String("postgresql://"))) {
        const QUrl url(t);
        if (!url.isValid()) throw DbError(QStringLiteral("Conexão mal escrita: \"%1\"").arg(t));
        s.host = url.host();
        if (url.port() > 0) s.port = url.port();
        s.database = url.path().mid(1);
        s.user = url.userName();
        pw = url.password();
        const QUrlQuery query(url);
        for (const auto& [k, v] : query.queryItems(QUrl::FullyDecoded)) {
            if (k == QLatin1String("host")) s.host = v;
            else if (k == QLatin1String("sslmode")) s.sslMode = v;
            else if (k == QLatin1String("sslrootcert")) s.sslRootCert = v;
            else if (k == QLatin1String("sslcert")) s.sslCert = v;
            else if (k == QLatin1String("sslkey")) s.sslKey = v;
            else throw DbError(QStringLiteral("Parâmetro de conexão desconhecido: %1").arg(k));
        }
    } else {
        for (const auto& [k, v] : keywordPairs(t)) {
            if (k == QLatin1String("host") || k == QLatin1String("hostaddr")) s.host = v;
            else if (k == QLatin1String("port")) {
                bool ok = false;
                s.port = v.toInt(&ok);
                if (!ok || s.port <= 0 || s.port > 65535) throw DbError(QStringLiteral("Porta inválida: %1").arg(v));
            } else if (k == QLatin1String("dbname")) s.database = v;
            else if (k == QLatin1String("user")) s.user = v;
            else if (k == QLatin1String("password")) pw = v;
            else if (k == QLatin1String("sslmode")) s.sslMode = v;
            else if (k == QLatin1String("sslrootcert")) s.sslRootCert = v;
            else if (k == QLatin1String("sslcert")) s.sslCert = v;
            else if (k == QLatin1String("sslkey")) s.sslKey = v;
            else throw DbError(QStringLiteral("Parâmetro de conexão desconhecido: %1").arg(k));
        }
    }
    static const QStringList modes = {QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
                                      QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    if (!s.sslMode.isEmpty() && !modes.contains(s.sslMode))
        throw DbError(QStringLiteral("sslmode inválido: %1").arg(s.sslMode));
    if (s.database.isEmpty()) throw DbError(QStringLiteral("Informe a base de dados do servidor (dbname=...)"));
    if (password) *password = pw;
    return s;
}

ServerSettings ConnectServer(const Installation& inst, const QString& connectionText) {
    QString password;
    ServerSettings s = ParseConnectionText(connectionText, &password);
    const QString pass = passFile(inst);
    QDir().mkpath(inst.programDir());
    if (!password.isEmpty()) {
        // Written before the first connection, which reads it.
        const QString line = QStringLiteral("*:*:%1:%2:%3\n")
                                 .arg(pgpassEscape(s.database), s.user.isEmpty() ? QStringLiteral("*") : pgpassEscape(s.user),
                                      pgpassEscape(password));
        if (!WriteOwnerOnlyFile(pass, line.toUtf8()))
            throw DbError(QStringLiteral("Não foi possível gravar %1").arg(pass));
        s.passwordFile = pass;
    } else if (QFileInfo::exists(pass)) {
        s.passwordFile = pass;
    }
    {
        auto probe = Database::open(s.location(QString(), CompanyListSchema()), true);
    }
    return s;
}

void SaveServerSettings(const Installation& inst, const ServerSettings& s) {
    const QString file = iniFile(inst);
    const QString port = QString::number(s.port);
    const QPair<const char*, const QString*> keys[] = {
        {"HOST", &s.host},     {"PORT", &port},           {"DATABASE", &s.database}, {"USER", &s.user},
        {"SSLMODE", &s.sslMode}, {"SSLROOTCERT", &s.sslRootCert}, {"SSLCERT", &s.sslCert}, {"SSLKEY", &s.sslKey}};
    for (const auto& [key, value] : keys)
        if (!WriteIniFileValue(file, Section, QLatin1String(key), *value))
            throw DbError(QStringLiteral("Não foi possível gravar %1").arg(file));
}

ServerSettings ConfigureServer(const Installation& inst, const QString& connectionText) {
    const ServerSettings s = ConnectServer(inst, connectionText);
    SaveServerSettings(inst, s);
    return s;
}

} // namespace folha
