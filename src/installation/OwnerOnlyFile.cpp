#include "OwnerOnlyFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folha {

bool WriteOwnerOnlyFile(const QString& path, const QByteArray& content) {
    const QByteArray name = QFile::encodeName(path);
    // The mode is given at creation, so the secret is never readable by
    // others, not even for a moment; an older file is narrowed before it is
    // written to.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    qsizetype written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, size_t(content.size() - written));
        if (n <= 0) ok = false;
        else written += n;
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

bool IsOwnerOnlyFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace folha
