#pragma once
// Small text and date routines the calculations, reports and government
// files share.

#include <QDate>
#include <QString>

namespace folha {

// Keeps the characters 0 to 9 in order.
QString OnlyDigits(const QString& text);
// "YYYYMM" of a date, whatever the machine's date settings.
QString CompetenceOfDate(const QDate& date);
// 14 characters: 99.999.999/9999-99; any other length: 999.999.999-99.
QString FormatCnpjCpf(const QString& text);
// A code of digits typed short, completed with leading zeros to the width
// ("12" -> "000012"); any other text (empty, with other characters, already
// as wide) is returned as it is.
QString CompletedCode(const QString& code, int width);
// Fill to the width on the left / right; a longer text is returned whole.
QString PadLeft(const QString& text, int width, QChar fill);
QString PadRight(const QString& text, int width, QChar fill);
// Appends a whole number with "." between thousands ("1.234.567"), then,
// when `digits` > 0, "," and `fraction` in that many digits, zeros first.
void AppendAmount(QString& text, quint64 whole, quint64 fraction, int digits);

} // namespace folha
