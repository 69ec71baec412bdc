#pragma once
// INI files as Windows reads and writes them: section and key names compare
// without case, values are plain text (a backslash is just a character),
// surrounding blanks and one pair of enclosing quotes are dropped on reading,
// a missing file, section or key reads as empty text.

#include <QString>

namespace folha {

QString ReadIniValue(const QString& filePath, const QString& section, const QString& key);
// Writes folder + fileName, creating the folder and file when missing and
// keeping every other line of the file as it was. Returns false when the file
// cannot be written.
bool WriteIniValue(const QString& value, const QString& section, const QString& key, const QString& fileName,
                   const QString& folder);
// The same with the whole path in one argument.
bool WriteIniFileValue(const QString& filePath, const QString& section, const QString& key, const QString& value);

} // namespace folha
