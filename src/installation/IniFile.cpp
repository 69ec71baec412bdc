#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>

namespace folha {

namespace {

// INI files written on Windows are in the ANSI code page; ours in UTF-8.
QStringList readLines(const QString& path, bool* exists = nullptr) {
    QFile f(path);
    if (exists) *exists = f.exists();
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray data = f.readAll();
    if (data.startsWith("\xEF\xBB\xBF")) data = data.mid(3);
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = toUtf16(data);
    if (toUtf16.hasError()) text = QString::fromLatin1(data);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool isSection(const QString& line, QString* name) {
    QString t = line.trimmed();
    if (!t.startsWith('[')) return false;
    int close = t.indexOf(']');
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool keyOf(const QString& line, QString* key, QString* value) {
    QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#')) return false;
    int eq = t.indexOf('=');
    if (eq <= 0) return false;
    *key = t.left(eq).trimmed();
    *value = t.mid(eq + 1).trimmed();
    return true;
}

} // namespace

QString ReadIniValue(const QString& filePath, const QString& section, const QString& key) {
    const QStringList lines = readLines(filePath);
    bool inSection = false;
    for (const QString& line : lines) {
        QString name;
        if (isSection(line, &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        QString k, v;
        if (keyOf(line, &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
                v = v.mid(1, v.size() - 2);
            return v;
        }
    }
    return {};
}

bool WriteIniFileValue(const QString& filePath, const QString& section, const QString& key, const QString& value) {
    QStringList lines = readLines(filePath);
    int sectionLine = -1;
    int insertAt = -1;
    bool done = false;
    bool inSection = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        QString name;
        if (isSection(lines[i], &name)) {
            if (inSection) break; // end of our section
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        QString k, v;
        if (keyOf(lines[i], &k, &v)) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = k + '=' + value;
                done = true;
            }
            insertAt = i + 1;
        } else if (!lines[i].trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionLine < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
            lines << '[' + section + ']' << key + '=' + value;
        } else {
            lines.insert(insertAt, key + '=' + value);
        }
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QSaveFile f(filePath);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray out = lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    if (f.write(out) != out.size()) return false;
    return f.commit();
}

bool WriteIniValue(const QString& value, const QString& section, const QString& key, const QString& fileName,
                   const QString& folder) {
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith('/') && !path.endsWith('\\')) path += '/';
    return WriteIniFileValue(path + fileName, section, key, value);
}

} // namespace folha
