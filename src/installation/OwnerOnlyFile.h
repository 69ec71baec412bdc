#pragma once
// The files that keep a password (the database server's, the mail
// server's): created readable and writable by their owner only (mode 0600,
// set when the file is created, never widened afterwards), and refused when
// read if anyone else may read them, as libpq refuses a loose password file.

#include <QByteArray>
#include <QString>

namespace folha {

// Writes `content` to `path` (replacing it) with mode 0600. Returns false
// when the file cannot be written.
bool WriteOwnerOnlyFile(const QString& path, const QByteArray& content);
// True when the file's group and others have no permission at all.
bool IsOwnerOnlyFile(const QString& path);

} // namespace folha
