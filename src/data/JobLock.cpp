#include "JobLock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace folha {

namespace {

struct Held {
    int count = 0;
    int fd = -1; // SQLite: the locked file
};

// Jobs this process holds, by database and job.
QHash<QString, Held>& heldJobs() {
    static QHash<QString, Held> held;
    return held;
}

QString keyOf(const Database& db, const QString& job) {
    const DatabaseLocation& l = db.location();
    return QStringLiteral("%1|%2|%3|%4|%5").arg(int(l.backend)).arg(l.host).arg(l.databaseName, l.directory, job);
}

QString holderText() {
    return QStringLiteral("estação %1 (processo %2), desde %3")
        .arg(QSysInfo::machineHostName())
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
}

DbError busy(const QString& caption, const QString& holder) {
    QString text = QStringLiteral("Já existe %1 em andamento nesta empresa").arg(caption);
    if (!holder.isEmpty()) text += QStringLiteral(" (%1)").arg(holder);
    return DbError(text + QStringLiteral(". Aguarde o término e tente novamente."));
}

} // namespace

JobLock::JobLock(Database& db, const QString& job, const QString& caption) : db_(db), job_(job) {
    Held& held = heldJobs()[keyOf(db, job)];
    if (held.count > 0) {
        ++held.count;
        return;
    }
    if (db.backend() == Backend::SQLite) {
        const QString path = QDir(db.location().directory).filePath(job + QStringLiteral(".lock"));
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            heldJobs().remove(keyOf(db, job));
            throw DbError(QStringLiteral("Não foi possível criar o arquivo de controle %1").arg(path));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            QByteArray text(512, '\0');
            const ssize_t n = ::pread(fd, text.data(), text.size() - 1, 0);
            ::close(fd);
            heldJobs().remove(keyOf(db, job));
            throw busy(caption, n > 0 ? QString::fromUtf8(text.left(int(n))).trimmed() : QString());
        }
        const QByteArray who = holderText().toUtf8() + '\n';
        if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, who.constData(), who.size(), 0) < 0) {
            // The holder's name is only informative.
        }
        held.fd = fd;
    } else {
        QSqlQuery& q = db.execCached(QStringLiteral("SELECT pg_try_advisory_lock(hashtext(?))"),
                                     {db.location().schemaName() + '/' + job});
        const bool got = q.next() && q.value(0).toBool();
        q.finish();
        if (!got) {
            heldJobs().remove(keyOf(db, job));
            throw busy(caption, QStringLiteral("outra estação"));
        }
    }
    held.count = 1;
}

JobLock::~JobLock() {
    auto it = heldJobs().find(keyOf(db_, job_));
    if (it == heldJobs().end() || --it->count > 0) return;
    if (it->fd >= 0) {
        if (::ftruncate(it->fd, 0) != 0) {
            // Left as it is: the next holder writes its own name.
        }
        ::flock(it->fd, LOCK_UN);
        ::close(it->fd);
    } else {
        try {
            QSqlQuery& q = db_.execCached(QStringLiteral("SELECT pg_advisory_unlock(hashtext(?))"),
                                          {db_.location().schemaName() + '/' + job_});
            q.finish();
        } catch (...) {
        }
    }
    heldJobs().erase(it);
}

} // namespace folha
