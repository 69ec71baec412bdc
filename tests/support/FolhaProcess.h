#pragma once
// `folha` run as a separate program on an installation, signed in as the
// demo's supervisor: the screens' tests compare what a screen leaves with
// what the command leaves. Needs FOLHA_BIN_DIR.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace folha::test {

struct FolhaRun {
    int status = -1; // -1 when the program did not end normally
    QString out;
    QString err;
};

// The program's environment: the demo's supervisor, and `extra` (NAME=value).
inline QProcessEnvironment FolhaEnvironment(const QStringList& extra = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ZORVAN_ROOT");
    env.insert("FOLHA_USER", "000001");
    env.insert("FOLHA_PASSWORD", "zorvan");
    for (const QString& e : extra) env.insert(e.section('=', 0, 0), e.section('=', 1));
    return env;
}

inline void StartFolha(QProcess& p, const QString& root, const QStringList& args, const QStringList& extraEnv = {}) {
    p.setProcessEnvironment(FolhaEnvironment(extraEnv));
    p.start(QStringLiteral(FOLHA_BIN_DIR "/folha"), QStringList{"--root", root} + args);
    p.closeWriteChannel();
}

inline FolhaRun RunFolha(const QString& root, const QStringList& args, const QStringList& extraEnv = {}) {
    QProcess p;
    StartFolha(p, root, args, extraEnv);
    p.waitForFinished(300000);
    FolhaRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace folha::test
