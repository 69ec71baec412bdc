#pragma once
// What the benchmarks share: an interface that says nothing (a benchmark
// has nobody to answer), the process's resident memory and the server a
// benchmark is given.
#include "Database.h"
#include "UserInterface.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cstring>
#include <optional>

namespace folha::benchmarks {

class SilentUi : public UserInterface {
public:
    void message(MessageKind, const QString&, const QString&) override { ++messages; }
    bool question(const QString&, QuestionKind, const QString&) override { return true; }
    void log(const QString&) override { ++lines; }
    int messages = 0;
    int lines = 0;
};

// Resident memory now ("VmRSS:") and at its peak since the last reset
// ("VmHWM:"), in KiB.
inline long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(int(strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}
inline void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// Runs a program to its end; true when it ended well.
inline bool RunProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A self-signed RSA-2048 certificate in a PKCS#12 file, as an A1 is, made
// by openssl in `dir`; empty when it could not be made.
inline QString ThrowawayCertificate(const QString& dir, const QByteArray& password) {
    const QString key = dir + "/chave.pem", pem = dir + "/cert.pem", pfx = dir + "/cert.pfx";
    if (!RunProgram("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", pem, "-days", "30",
                                "-subj", "/C=BR/O=ICP-Brasil/CN=EMPRESA SINTETICA:12345678000195"}) ||
        !RunProgram("openssl", {"pkcs12", "-export", "-inkey", key, "-in", pem, "-out", pfx, "-passout",
                                "pass:" + QString::fromLatin1(password)}))
        return {};
    return pfx;
}

// "host=/tmp/x port=5432 user=u dbname=d" -> a server location.
inline std::optional<DatabaseLocation> ServerLocation(const QString& conninfo) {
    if (conninfo.trimmed().isEmpty()) return std::nullopt;
    DatabaseLocation l;
    l.backend = Backend::PostgreSQL;
    QStringList rest;
    for (const QString& part : conninfo.split(' ', Qt::SkipEmptyParts)) {
        const int eq = part.indexOf('=');
        const QString key = part.left(eq), value = part.mid(eq + 1);
        if (key == QLatin1String("host")) l.host = value;
        else if (key == QLatin1String("port")) l.port = value.toInt();
        else if (key == QLatin1String("user")) l.user = value;
        else if (key == QLatin1String("dbname")) l.databaseName = value;
        else rest << part;
    }
    l.options = rest.join(';');
    return l;
}

} // namespace folha::benchmarks
