#include "SystemFiles.h"

#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace folha {

namespace {

// The files whose presence makes a folder the system's.
const char* const Markers[] = {"dados.sqlite", "Aliases.ini", "Servidor.ini", "CfgFolha.ini"};

bool IsDatabaseFile(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool IsSystemFolder(const QDir& dir) {
    for (const char* marker : Markers) {
        // Names compare without case, as the installation's own do.
        const QStringList found = dir.entryList({QLatin1String(marker)}, QDir::Files | QDir::Hidden);
        if (!found.isEmpty()) return true;
    }
    return false;
}

// The path with every link of its existing part resolved: the file itself
// when it exists, else its nearest existing folder plus the rest.
QString Resolved(const QString& path) {
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (info.exists() || info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        // A dangling link would be created where it points.
        if (canonical.isEmpty() && info.isSymLink()) return Resolved(info.symLinkTarget());
        if (!canonical.isEmpty()) return canonical;
    }
    QString rest = info.fileName();
    QDir dir = info.absoluteDir();
    while (!dir.exists() && !dir.isRoot()) {
        rest = dir.dirName() + QLatin1Char('/') + rest;
        if (!dir.cdUp()) break;
    }
    const QString base = dir.canonicalPath();
    return QDir::cleanPath((base.isEmpty() ? dir.absolutePath() : base) + QLatin1Char('/') + rest);
}

} // namespace

QString SystemFileProblem(const QString& path) {
    if (path.trimmed().isEmpty()) return {};
    const QString resolved = Resolved(path);
    const QFileInfo info(resolved);
    if (info.fileName().startsWith(QLatin1String("dados.sqlite"), Qt::CaseInsensitive) ||
        (info.isFile() && IsDatabaseFile(resolved)))
        return QStringLiteral("%1 é uma base de dados").arg(path);
    // The folder itself (a folder that receives files) and every folder above.
    QString folder = info.isDir() ? resolved : info.absolutePath();
    for (;;) {
        const QDir dir(folder);
        if (dir.exists() && IsSystemFolder(dir))
            return QStringLiteral("%1 fica na pasta de dados %2").arg(path, QDir::toNativeSeparators(folder));
        const QString up = QFileInfo(folder).path();
        if (up == folder || dir.isRoot()) break;
        folder = up;
    }
    return {};
}

void RefuseSystemOutput(const QString& path) {
    const QString problem = SystemFileProblem(path);
    if (!problem.isEmpty())
        throw UserError(QStringLiteral("O arquivo de saída é uma base de dados do sistema: %1. Escolha outro arquivo.")
                            .arg(problem));
}

void RefuseNonReportInput(const QString& path) {
    const QString problem = SystemFileProblem(path);
    if (!problem.isEmpty())
        throw UserError(QStringLiteral("O arquivo não é um relatório: %1.").arg(problem));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Não foi possível ler o relatório %1.").arg(path));
    // A report is text: no byte zero in its first pages.
    if (f.read(64 * 1024).contains('\0'))
        throw UserError(QStringLiteral("O arquivo %1 não é um relatório: não é um arquivo de texto.").arg(path));
}

} // namespace folha
