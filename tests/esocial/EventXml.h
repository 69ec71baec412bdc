#pragma once
// What the eSocial tests read in an event's XML, and how gtest prints Qt's
// texts when a check fails.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(" | ").toStdString(); }
QT_END_NAMESPACE

namespace folha::testing {

// The text of every <tag> of an event, in document order.
inline QStringList Values(const QByteArray& xml, const QString& tag) {
    QStringList out;
    QRegularExpression re(QStringLiteral("<%1>([^<]*)</%1>").arg(tag));
    for (auto it = re.globalMatch(QString::fromUtf8(xml)); it.hasNext();) out << it.next().captured(1);
    return out;
}

// The first one; "(ausente)" when the event has none.
inline QString Value(const QByteArray& xml, const QString& tag) {
    const QStringList all = Values(xml, tag);
    return all.isEmpty() ? QStringLiteral("(ausente)") : all.first();
}

} // namespace folha::testing
