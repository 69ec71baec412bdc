#pragma once
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh folder for one test, removed afterwards.
struct TempDir {
    QTemporaryDir dir;
    TempDir() { EXPECT_TRUE(dir.isValid()); }
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
};

// Copies every file below `from` (hidden ones too) to the same place below `to`.
inline void CopyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(QFile::copy(file, target)) << target.toStdString();
    }
}
