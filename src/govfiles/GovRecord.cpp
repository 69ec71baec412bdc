#include "GovRecord.h"

#include "TextRoutines.h"

#include <stdexcept>

namespace folha::gov {

GovRecord::GovRecord(const QString& type, const QString& owner) : type_(type), owner_(owner) {
    buf_.reserve(Width);
    buf_ = type;
}

void GovRecord::at(int pos, int width) {
    if (buf_.size() != pos - 1 || width < 1 || pos - 1 + width > Width - 1)
        throw std::logic_error(QStringLiteral("registro %1: campo na posição %2 com %3 posições, esperada a posição %4")
                                   .arg(type_)
                                   .arg(pos)
                                   .arg(width)
                                   .arg(buf_.size() + 1)
                                   .toStdString());
}

void GovRecord::refuse(const QString& value, int width, const QString& field) const {
    throw GovFileStop(QStringLiteral("O valor \"%1\" do campo %2 não cabe nas %3 posições do registro %4 %5")
                          .arg(value, field)
                          .arg(width)
                          .arg(type_, owner_));
}

GovRecord& GovRecord::number(int pos, int width, const QString& digits, const QString& field) {
    at(pos, width);
    const QString d = digits.trimmed();
    if (d.size() > width || OnlyDigits(d) != d) refuse(digits, width, field);
    buf_ += PadLeft(d, width, QChar('0'));
    return *this;
}

GovRecord& GovRecord::number(int pos, int width, qint64 value, const QString& field) {
    if (value < 0) refuse(QString::number(value), width, field);
    return number(pos, width, QString::number(value), field);
}

GovRecord& GovRecord::money(int pos, int width, Fixed amount, const QString& field) {
    const Fixed cents = RoundValue(2, amount);
    if (cents.isNegative()) {
        at(pos, width);
        throw GovFileStop(QStringLiteral("O valor %1 do campo %2 do registro %3 %4 é negativo")
                              .arg(cents.toString(2), field, type_, owner_));
    }
    return number(pos, width, cents.raw() / 100, field);
}

GovRecord& GovRecord::text(int pos, int width, const QString& value) {
    at(pos, width);
    buf_ += PadRight(LayoutText(value).left(width), width, QChar(' '));
    return *this;
}

GovRecord& GovRecord::code(int pos, int width, const QString& value, const QString& field) {
    at(pos, width);
    const QString v = value.trimmed();
    if (v.size() > width) refuse(value, width, field);
    buf_ += PadRight(v, width, QChar(' '));
    return *this;
}

GovRecord& GovRecord::date(int pos, int width, const QDate& d) {
    at(pos, width);
    buf_ += d.isValid() ? PadLeft(d.toString(QStringLiteral("ddMMyyyy")).left(width), width, QChar('0'))
                        : QString(width, QChar(' '));
    return *this;
}

GovRecord& GovRecord::fill(int pos, int width, QChar c) {
    at(pos, width);
    buf_ += QString(width, c);
    return *this;
}

GovRecord& GovRecord::literal(int pos, const QString& value) {
    at(pos, int(value.size()));
    buf_ += value;
    return *this;
}

QString GovRecord::finish() const {
    if (buf_.size() != Width - 1)
        throw std::logic_error(
            QStringLiteral("registro %1 com %2 posições antes do \"*\"").arg(type_).arg(buf_.size()).toStdString());
    return buf_ + QChar('*');
}

QString LayoutText(const QString& value) {
    const QString decomposed = value.normalized(QString::NormalizationForm_KD).toUpper();
    QString out;
    out.reserve(decomposed.size());
    bool blank = false;
    for (QChar c : decomposed) {
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) {
            if (blank && !out.isEmpty()) out += QLatin1Char(' ');
            blank = false;
            out += c;
        } else if (c.isSpace()) {
            blank = true;
        }
        // accents (combining marks) and every other character are dropped
    }
    return out;
}

QString WholeDigits(Fixed value) { return QString::number(value.isNegative() ? -value.truncated() : value.truncated()); }

QString ZeroCode(const QString& code, int width) { return PadLeft(code.trimmed(), width, QChar('0')); }

QString PeriodOfMonthText(const QString& monthYear, const QString& field) {
    const QString t = monthYear.trimmed();
    if (t.isEmpty() || t == QLatin1String("/")) return {};
    const QString mm = PadLeft(t.section('/', 0, 0).trimmed(), 2, QChar('0'));
    const QString yyyy = t.section('/', 1).trimmed();
    bool okM = false, okY = false;
    const int m = mm.toInt(&okM);
    yyyy.toInt(&okY);
    if (!t.contains('/') || !okM || !okY || m < 1 || m > 13 || yyyy.size() != 4 || OnlyDigits(mm) != mm ||
        OnlyDigits(yyyy) != yyyy)
        throw GovFileStop(QStringLiteral("Período inválido no campo %1: %2 (use MM/AAAA)").arg(field, monthYear));
    return yyyy + mm;
}

int FileCategory(int vinculo) { return vinculo == 99 ? 11 : vinculo; }

} // namespace folha::gov
