#include "TextRoutines.h"

#include <algorithm>

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

void AppendAmount(QString& text, quint64 whole, quint64 fraction, int digits) {
    char units[24];
    int n = 0;
    do {
        units[n++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    text.reserve(text.size() + n + n / 3 + 1 + std::max(digits, 0));
    for (int i = n - 1; i >= 0; --i) {
        text += QLatin1Char(units[i]);
        if (i > 0 && i % 3 == 0) text += QLatin1Char('.');
    }
    if (digits <= 0) return;
    text += QLatin1Char(',');
    const qsizetype at = text.size();
    text.resize(at + digits);
    for (int i = digits - 1; i >= 0; --i) {
        text[at + i] = QLatin1Char(char('0' + fraction % 10));
        fraction /= 10;
    }
}

} // namespace folha
