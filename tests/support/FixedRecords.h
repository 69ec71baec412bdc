#pragma once
// Expected fixed-width records are written piece by piece: blanks, zeros, a
// number zero-filled on the left, a text blank-filled on the right or on the
// left. A failed comparison shows the QStrings as text.
#include <QString>
#include <QStringList>

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

} // namespace folha::test::records
