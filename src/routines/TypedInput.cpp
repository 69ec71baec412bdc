#include "TypedInput.h"

#include "Registry.h"
#include "TextRoutines.h"

#include <QRegularExpression>

namespace folha {

QString TypedEmployeeCode(const QString& typed) {
    const QString t = typed.trimmed();
    bool digits = !t.isEmpty();
    for (QChar ch : t) digits = digits && ch.isDigit();
    if (!digits || t.size() > 6) throw UserError(QStringLiteral("Código de funcionário inválido: %1").arg(typed));
    return PadLeft(t, 6, QChar('0'));
}

QString TypedSheetType(const QString& typed) {
    const QString sheet = typed.trimmed().toUpper();
    for (const auto& code : sheetTypeCodes())
        if (!sheet.isEmpty() && code.value == sheet) return sheet;
    throw UserError(QStringLiteral("Tipo de folha inválido: %1 (F, I, D, A, P ou Q)").arg(typed.trimmed()));
}


TypedPeriod TypedYearMonth(const QString& year, const QString& month) {
    TypedPeriod p{year.trimmed(), PadLeft(month.trimmed(), 2, QChar('0'))};
    bool ok = false;
    const int y = p.year.toInt(&ok);
    if (p.year.size() != 4 || !ok || y < 1900) throw UserError(QStringLiteral("Ano inválido: %1").arg(year.trimmed()));
    const int m = p.month.toInt(&ok);
    if (!ok || m < 1 || m > 12 || p.month.size() != 2) throw UserError(QStringLiteral("Mês inválido: %1").arg(month.trimmed()));
    return p;
}

TypedPeriod TypedCompetence(const QString& typed) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})\\s*/\\s*(\\d{4})$"));
    const QRegularExpressionMatch m = pattern.match(typed.trimmed());
    const int month = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (month < 1 || month > 12 || m.captured(2).toInt() < 1900)
        throw UserError(QStringLiteral("Competência inválida: %1 (use MM/AAAA)").arg(typed.trimmed()));
    return {m.captured(2), PadLeft(m.captured(1), 2, QChar('0'))};
}

QDate TypedDate(const QString& typed, const QString& what) {
    const QDate d = QDate::fromString(typed.trimmed(), QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid()) {
        if (what.isEmpty()) throw UserError(QStringLiteral("Data inválida: %1 (use DD/MM/AAAA)").arg(typed));
        throw UserError(QStringLiteral("Data inválida em %1: %2 (use DD/MM/AAAA)").arg(what, typed));
    }
    return d;
}

QString TypedPis(const QString& typed, const QString& what) {
    const QString v = typed.trimmed();
    if (v.isEmpty() || v.size() > 11 || OnlyDigits(v) != v)
        throw UserError(QStringLiteral("PIS inválido em %1: %2").arg(what, v));
    return PadLeft(v, 11, QChar('0'));
}

Fixed TypedMoney(const QString& typed, const QString& what, int places) {
    QString t = typed.trimmed();
    if (t.isEmpty()) return {};
    auto refuse = [&]() -> Fixed {
        throw UserError(QStringLiteral("Valor inválido em %1: %2 (use 1.234,56)").arg(what, typed.trimmed()));
    };
    // "3100.50": one dot before the last one or two digits, no comma.
    if (!t.contains(QLatin1Char(',')) && t.count(QLatin1Char('.')) == 1) {
        const qsizetype dot = t.indexOf(QLatin1Char('.'));
        const qsizetype after = t.size() - dot - 1;
        if (after >= 1 && after <= 2) t[dot] = QLatin1Char(',');
    }
    const QString whole = t.section(QLatin1Char(','), 0, 0);
    const QString cents = t.contains(QLatin1Char(',')) ? t.section(QLatin1Char(','), 1) : QString();
    if (whole.isEmpty() || t.count(QLatin1Char(',')) > 1 || cents.size() > places || OnlyDigits(cents) != cents ||
        (t.contains(QLatin1Char(',')) && cents.isEmpty()))
        return refuse();
    // Dots group the whole part by thousands: "1.234.567".
    const QStringList groups = whole.split(QLatin1Char('.'));
    for (int i = 0; i < groups.size(); ++i) {
        const QString& g = groups[i];
        if (g.isEmpty() || OnlyDigits(g) != g) return refuse();
        if (i > 0 && g.size() != 3) return refuse();
        if (i == 0 && groups.size() > 1 && g.size() > 3) return refuse();
    }
    const QString number = groups.join(QString()) + (cents.isEmpty() ? QString() : QStringLiteral(".") + cents);
    try {
        const std::optional<Fixed> v = Fixed::parse(number);
        if (!v) return refuse();
        return *v;
    } catch (const std::exception&) {
        return refuse();
    }
}

QString MoneyText(Fixed value) {
    // Four decimals, the zeros after the second left out.
    const qint64 raw = value.raw();
    const quint64 size = raw < 0 ? 0 - quint64(raw) : quint64(raw);
    quint64 fraction = size % Fixed::Scale;
    int digits = 4;
    while (digits > 2 && fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    QString text;
    if (raw < 0) text += QLatin1Char('-');
    AppendAmount(text, size / Fixed::Scale, fraction, digits);
    return text;
}

} // namespace folha
