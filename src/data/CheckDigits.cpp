#include "CheckDigits.h"

#include <initializer_list>

namespace folha {

namespace {

bool allDigits(const QString& s, int size) {
    if (s.size() != size) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

bool allEqual(const QString& s) {
    for (QChar c : s)
        if (c != s.front()) return false;
    return true;
}

// Sum of the digits times the weights, from the first digit.
int weighted(const QString& digits, std::initializer_list<int> weights) {
    int sum = 0, i = 0;
    for (int w : weights) sum += (digits[i++].unicode() - '0') * w;
    return sum;
}

// Modulo-11 digit of the PIS and the CNPJ: 11 minus the remainder, 0 when
// that gives 10 or 11.
QChar mod11(int sum) {
    const int d = 11 - sum % 11;
    return QChar('0' + (d >= 10 ? 0 : d));
}

// Modulo-11 digit of the CPF: the remainder of ten times the sum, 0 for 10.
QChar cpfDigit(int sum) {
    const int d = sum * 10 % 11;
    return QChar('0' + (d == 10 ? 0 : d));
}

QChar pisDigit(const QString& d) { return mod11(weighted(d, {3, 2, 9, 8, 7, 6, 5, 4, 3, 2})); }
QChar cpfFirst(const QString& d) { return cpfDigit(weighted(d, {10, 9, 8, 7, 6, 5, 4, 3, 2})); }
QChar cpfSecond(const QString& d) { return cpfDigit(weighted(d, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2})); }
QChar cnpjFirst(const QString& d) { return mod11(weighted(d, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2})); }
QChar cnpjSecond(const QString& d) { return mod11(weighted(d, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2})); }

} // namespace

bool ValidPis(const QString& n) { return allDigits(n, 11) && !allEqual(n) && n[10] == pisDigit(n); }

bool ValidCpf(const QString& n) {
    return allDigits(n, 11) && !allEqual(n) && n[9] == cpfFirst(n) && n[10] == cpfSecond(n);
}

bool ValidCnpj(const QString& n) {
    return allDigits(n, 14) && !allEqual(n) && n[12] == cnpjFirst(n) && n[13] == cnpjSecond(n);
}

QString PisWithCheckDigit(const QString& base) {
    if (!allDigits(base, 10)) return {};
    return base + pisDigit(base);
}

QString CpfWithCheckDigits(const QString& base) {
    if (!allDigits(base, 9)) return {};
    QString n = base + cpfFirst(base);
    return n + cpfSecond(n);
}

QString CnpjWithCheckDigits(const QString& base) {
    if (!allDigits(base, 12)) return {};
    QString n = base + cnpjFirst(base);
    return n + cnpjSecond(n);
}

} // namespace folha
