#include "Installation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

namespace folha {

const QString Installation::ProgramFolder = QStringLiteral("c:\\arquivos de programas\\zorvan");

Installation::Installation(const QString& root) : root_(QDir::cleanPath(QDir(root).absolutePath())) {}

QString Installation::defaultRoot() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/FolhaZorvan");
}

Installation Installation::choose(const QString& rootOption) {
    if (!rootOption.isEmpty()) return Installation(rootOption);
    QString env = qEnvironmentVariable("ZORVAN_ROOT");
    if (!env.isEmpty()) return Installation(env);
    return Installation(defaultRoot());
}

QString Installation::resolveBelow(const QString& base, const QString& relative, bool trailingSlash) const {
    QString current = base;
    const QStringList parts = QString(relative).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String(".")) continue;
        QString chosen = part;
        QDir dir(current);
        if (dir.exists() && !dir.exists(part)) {
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            for (const QString& e : entries)
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    chosen = e;
                    break;
                }
        }
        current += '/' + chosen;
    }
    if (trailingSlash) current += '/';
    return current;
}

QString Installation::localPath(const QString& windowsPath) const {
    QString p = windowsPath.trimmed();
    bool trailing = p.endsWith('\\') || p.endsWith('/');
    if (p.startsWith('/')) return p;
    if (p.startsWith(QLatin1String("\\\\")))
        return resolveBelow(root_ + QStringLiteral("/unc"), p.mid(2), trailing);
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):[\\\\/]?(.*)$"));
    auto m = drive.match(p);
    if (m.hasMatch()) {
        QString rest = m.captured(2);
        QString letter = m.captured(1).toLower();
        QString restNorm = rest;
        restNorm.replace('/', '\\');
        const QString prog = ProgramFolder.mid(3); // "arquivos de programas\zorvan"
        if (letter == QLatin1String("c") &&
            (restNorm.compare(prog, Qt::CaseInsensitive) == 0 ||
             restNorm.startsWith(prog + '\\', Qt::CaseInsensitive)))
            return resolveBelow(root_ + QStringLiteral("/programa"), restNorm.mid(prog.size()), trailing);
        return resolveBelow(root_ + '/' + letter, rest, trailing);
    }
    return resolveBelow(root_ + QStringLiteral("/programa"), p, trailing);
}

QString Installation::programDir() const { return localPath(ProgramFolder + '\\'); }

QString Installation::programFile(const QString& name) const { return localPath(ProgramFolder + '\\' + name); }

QString Installation::settingsFile() const { return programFile(QStringLiteral("CfgFolha.ini")); }

} // namespace folha
