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

inline FolhaRun RunFolha(const QString& root, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ZORVAN_ROOT");
    env.insert("FOLHA_USER", "000001");
    env.insert("FOLHA_PASSWORD", "zorvan");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FOLHA_BIN_DIR "/folha"), QStringList{"--root", root} + args);
    p.closeWriteChannel();
    p.waitForFinished(300000);
    FolhaRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace folha::test
