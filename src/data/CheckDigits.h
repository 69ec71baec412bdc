#pragma once
// Check digits of the Brazilian registration numbers the registers keep:
// PIS (worker's social integration number, 11 digits), CPF (individual tax
// number, 11 digits) and CNPJ (company tax number, 14 digits). A number is
// valid when it has exactly its digits, no other character, its check
// digits agree and its digits are not all equal (11111111111).

#include <QString>

namespace folha {

bool ValidPis(const QString& number);
bool ValidCpf(const QString& number);
bool ValidCnpj(const QString& number);

// The number completed with its check digits: a PIS from its first 10
// digits, a CPF from its first 9, a CNPJ from its first 12. Empty when the
// base is not made of that many digits.
QString PisWithCheckDigit(const QString& base);
QString CpfWithCheckDigits(const QString& base);
QString CnpjWithCheckDigits(const QString& base);

} // namespace folha
