#include "TextRoutines.h"

namespace folha {

QString OnlyDigits(const QString& text) {
    QString out;
    for (QChar c : text)
        if (c >= '0' && c <= '9') out += c;
    return out;
}

QString CompletedCode(const QString& code, int width) {
    if (code.isEmpty() || OnlyDigits(code) != code) return code;
    return PadLeft(code, width, QChar('0'));
}

QString CompetenceOfDate(const QDate& date) {
    if (!date.isValid()) return {};
    return QStringLiteral("%1%2").arg(date.year(), 4, 10, QChar('0')).arg(date.month(), 2, 10, QChar('0'));
}

QString FormatCnpjCpf(const QString& t) {
    if (t.size() == 14)
        return t.mid(0, 2) + '.' + t.mid(2, 3) + '.' + t.mid(5, 3) + '/' + t.mid(8, 4) + '-' + t.mid(12, 2);
    return t.mid(0, 3) + '.' + t.mid(3, 3) + '.' + t.mid(6, 3) + '-' + t.mid(9, 2);
}

QString PadLeft(const QString& text, int width, QChar fill) {
    if (text.size() >= width) return text;
    return QString(width - text.size(), fill) + text;
}

QString PadRight(const QString& text, int width, QChar fill) {
    if (text.size() >= width) return text;
    return text + QString(width - text.size(), fill);
}

} // namespace folha
