#pragma once
// Fixed-width records: the expected ones are written piece by piece: blanks, zeros, a
// number zero-filled on the left, a text blank-filled on the right or on the
// left; a file's are read back whole. A failed comparison shows the QStrings
// as text.
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace folha::test::records {

inline QString B(int n) { return QString(n, ' '); }
inline QString Z(int n) { return QString(n, '0'); }
inline QString N(int n, const QString& s) { return QString(n - s.size(), '0') + s; }
inline QString R(int n, const QString& s) { return QString(n - s.size(), ' ') + s; }
inline QString L(int n, const QString& s) { return s + QString(n - s.size(), ' '); }
inline QString rec(const QStringList& pieces) { return pieces.join(QString()); }

// A file's records, read as Latin-1, without their CR LF; fails when one is
// not `width` characters followed by CR LF.
inline QStringList CrlfRecords(const QString& path, int width) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.takeLast(), QString());
    for (const QString& l : lines) {
        EXPECT_EQ(l.size(), width) << l.toStdString();
        EXPECT_FALSE(l.contains('\n') || l.contains('\r'));
    }
    return lines;
}

} // namespace folha::test::records
