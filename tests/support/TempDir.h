#pragma once
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh folder for one test, removed afterwards.
struct TempDir {
    QTemporaryDir dir;
    TempDir() { EXPECT_TRUE(dir.isValid()); }
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
};
