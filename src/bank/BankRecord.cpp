#include "BankRecord.h"

#include "GovRecord.h"
#include "TextRoutines.h"

#include <stdexcept>

namespace folha::bank {

BankRecord::BankRecord(const QString& what) : what_(what) { buf_.reserve(Width); }

void BankRecord::at(int pos, int width) {
    if (buf_.size() != pos - 1 || width < 1 || pos - 1 + width > Width)
        throw std::logic_error(QStringLiteral("%1: campo na posição %2 com %3 posições, esperada a posição %4")
                                   .arg(what_)
                                   .arg(pos)
                                   .arg(width)
                                   .arg(buf_.size() + 1)
                                   .toStdString());
}

void BankRecord::refuse(const QString& value, int width, const QString& field) const {
    throw BankFileStop(QStringLiteral("O valor \"%1\" do campo %2 não cabe nas %3 posições do %4.")
                           .arg(value, field)
                           .arg(width)
                           .arg(what_));
}

BankRecord& BankRecord::number(int pos, int width, const QString& digits, const QString& field) {
    at(pos, width);
    const QString d = digits.trimmed();
    if (d.size() > width || OnlyDigits(d) != d) refuse(digits, width, field);
    buf_ += PadLeft(d, width, QChar('0'));
    return *this;
}

BankRecord& BankRecord::number(int pos, int width, qint64 value, const QString& field) {
    if (value < 0) {
        at(pos, width);
        refuse(QString::number(value), width, field);
    }
    return number(pos, width, QString::number(value), field);
}

BankRecord& BankRecord::money(int pos, int width, Fixed amount, const QString& field) {
    const Fixed cents = RoundValue(2, amount);
    if (cents.isNegative()) {
        at(pos, width);
        throw BankFileStop(QStringLiteral("O valor %1 do campo %2 do %3 é negativo.").arg(cents.toString(2), field, what_));
    }
    return number(pos, width, cents.raw() / 100, field);
}

BankRecord& BankRecord::text(int pos, int width, const QString& value) {
    at(pos, width);
    buf_ += PadRight(BankText(value).left(width), width, QChar(' '));
    return *this;
}

BankRecord& BankRecord::code(int pos, int width, const QString& value, const QString& field) {
    at(pos, width);
    const QString v = value.trimmed().toUpper();
    if (v.size() > width) refuse(value, width, field);
    buf_ += PadRight(v, width, QChar(' '));
    return *this;
}

BankRecord& BankRecord::date(int pos, const QDate& d) {
    at(pos, 8);
    buf_ += d.isValid() ? d.toString(QStringLiteral("ddMMyyyy")) : QString(8, QChar('0'));
    return *this;
}

BankRecord& BankRecord::fill(int pos, int width, QChar c) {
    at(pos, width);
    buf_ += QString(width, c);
    return *this;
}

QString BankRecord::finish() const {
    if (buf_.size() != Width)
        throw std::logic_error(QStringLiteral("%1 com %2 posições").arg(what_).arg(buf_.size()).toStdString());
    return buf_;
}

QString BankText(const QString& value) { return gov::LayoutText(value); }

} // namespace folha::bank
