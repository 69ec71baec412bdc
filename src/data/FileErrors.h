#pragma once
// The text a user reads when a file cannot be written: what went
// wrong, in Portuguese, with the file's path.

#include <QFileDevice>
#include <QString>

namespace folha {

QString FileErrorText(const QFileDevice& file, const QString& path);

} // namespace folha
