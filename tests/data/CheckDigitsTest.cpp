// Check digits of PIS, CPF and CNPJ, and the registers refusing a wrong one.
#include "CheckDigits.h"
#include "DbError.h"
#include "Table.h"

#include <gtest/gtest.h>

using namespace folha;

namespace {

enum class Kind { Pis, Cpf, Cnpj };

struct DigitCase {
    Kind kind;
    const char* number;
    bool valid;
    const char* why;
};

bool valid(Kind k, const QString& n) {
    switch (k) {
    case Kind::Pis: return ValidPis(n);
    case Kind::Cpf: return ValidCpf(n);
    case Kind::Cnpj: return ValidCnpj(n);
    }
    return false;
}

// Worked by hand:
// PIS 1200000111: 1*3+2*2+0*9+0*8+0*7+0*6+0*5+1*4+1*3+1*2 = 16, 16 mod 11 = 5,
//   11-5 = 6 -> 12000001116.
// PIS 1205641254: 3+4+0+40+42+24+5+8+15+8 = 149, mod 11 = 6, 11-6 = 5.
// PIS 4000000000: 4*3 = 12, mod 11 = 1, 11-1 = 10 -> 0.
// CPF 123456789: 1*10+2*9+...+9*2 = 210, 2100 mod 11 = 10 -> 0; then
//   1*11+2*10+...+9*3+0*2 = 255, 2550 mod 11 = 9 -> 12345678909.
// CNPJ 112223330001, weights 5,4,3,2,9,8,7,6,5,4,3,2:
//   5+4+6+4+18+24+21+18+0+0+0+2 = 102, mod 11 = 3, 11-3 = 8; then
//   1122233300018, weights 6,5,4,3,2,9,8,7,6,5,4,3,2:
//   6+5+8+6+4+27+24+21+0+0+0+3+16 = 120, mod 11 = 10, 11-10 = 1 -> 11222333000181.
const DigitCase digitCases[] = {
    {Kind::Pis, "12000001116", true, "PIS valid"},
    {Kind::Pis, "12056412545", true, "PIS valid"},
    {Kind::Pis, "40000000000", true, "PIS remainder 1: digit 0"},
    {Kind::Pis, "12000001111", false, "PIS wrong digit"},
    {Kind::Pis, "12056412546", false, "PIS wrong digit"},
    {Kind::Pis, "00000000000", false, "PIS all equal (digit agrees)"},
    {Kind::Pis, "1200000111", false, "PIS ten digits"},
    {Kind::Pis, "120.00001.11-6", false, "PIS with punctuation"},
    {Kind::Pis, "", false, "PIS empty"},
    {Kind::Cpf, "12345678909", true, "CPF valid, first digit 0"},
    {Kind::Cpf, "11144477735", true, "CPF valid"},
    {Kind::Cpf, "52998224725", true, "CPF valid"},
    {Kind::Cpf, "12345678901", false, "CPF wrong digits"},
    {Kind::Cpf, "12345678919", false, "CPF wrong first digit"},
    {Kind::Cpf, "11111111111", false, "CPF all equal (digits agree)"},
    {Kind::Cpf, "00000000000", false, "CPF all zeros (digits agree)"},
    {Kind::Cpf, "123456789090", false, "CPF twelve digits"},
    {Kind::Cnpj, "11222333000181", true, "CNPJ valid"},
    {Kind::Cnpj, "11444777000161", true, "CNPJ valid"},
    {Kind::Cnpj, "11222333000180", false, "CNPJ wrong second digit"},
    {Kind::Cnpj, "11222333000191", false, "CNPJ wrong first digit"},
    {Kind::Cnpj, "44555666000199", false, "CNPJ wrong digits"},
    {Kind::Cnpj, "00000000000000", false, "CNPJ all zeros (digits agree)"},
    {Kind::Cnpj, "1122233300018", false, "CNPJ thirteen digits"},
    {Kind::Cnpj, "11.222.333/0001-81", false, "CNPJ with punctuation"},
};

TEST(CheckDigits, ValidWrongAndAllEqualNumbers) {
    for (const auto& c : digitCases) {
        SCOPED_TRACE(std::string(c.why) + ": " + c.number);
        EXPECT_EQ(valid(c.kind, QString::fromLatin1(c.number)), c.valid);
    }
}

TEST(CheckDigits, CompletesABaseWithItsDigits) {
    EXPECT_EQ(PisWithCheckDigit("1200000111"), QStringLiteral("12000001116"));
    EXPECT_EQ(PisWithCheckDigit("4000000000"), QStringLiteral("40000000000"));
    EXPECT_EQ(CpfWithCheckDigits("123456789"), QStringLiteral("12345678909"));
    EXPECT_EQ(CnpjWithCheckDigits("112223330001"), QStringLiteral("11222333000181"));
    EXPECT_EQ(PisWithCheckDigit("120000011"), QString());
    EXPECT_EQ(CpfWithCheckDigits("12345678X"), QString());
    EXPECT_EQ(CnpjWithCheckDigits("1122233300018"), QString());
}

struct RegisterCase {
    const char* table;
    const char* field;
    QVariant value;
    const char* refusal; // empty: accepted
};

TEST(CheckDigits, RegistersRefuseAWrongNumber) {
    const RegisterCase cases[] = {
        {"CADFUN", "NR_PIS", QString("12000001116"), ""},
        {"CADFUN", "NR_PIS", QString("12000001111"), "PIS inválido no campo PIS da tabela CADFUN: 12000001111"},
        // A number field keeps the digits as a whole number: the leading
        // zeros are put back before the check.
        {"CADFUN", "NR_PIS", QString("0012345678"), "PIS inválido no campo PIS da tabela CADFUN: 00012345678"},
        {"CADFUN", "NR_PIS", QString("0"), "PIS inválido no campo PIS da tabela CADFUN: 00000000000"},
        {"CADFUN", "NR_PIS", QString(""), ""},
        {"CADFUN", "NR_CPF", QString("12345678909"), ""},
        {"CADFUN", "NR_CPF", QString("11111111111"), "CPF inválido no campo CPF da tabela CADFUN: 11111111111"},
        {"Filial", "CGC", QString("11222333000181"), ""},
        {"Filial", "CGC", QString("12345678909"), ""}, // an employer that is a person
        {"Filial", "CGC", QString("11222333000180"), "CNPJ inválido no campo Cnpj da tabela Filial: 11222333000180"},
        {"Filial", "CGC", QString("12345678901"), "CPF inválido no campo Cnpj da tabela Filial: 12345678901"},
        {"Filial", "CGC", QString("123456789012"), "CNPJ ou CPF inválido no campo Cnpj da tabela Filial: 123456789012"},
        {"Filial", "CGC", QString(), ""},
        {"Tomador", "CGC", QString("11222333000262"), ""},
        {"Tomador", "CGC", QString("11222333000261"), "CNPJ inválido no campo Cnpj da tabela Tomador: 11222333000261"},
        {"FUNTOMAD", "PIS", QString("12000001111"), "PIS inválido no campo Pis da tabela FUNTOMAD: 12000001111"},
        {"RESPONSA", "CGC", QString("44555666000181"), ""},
        {"RESPONSA", "CGC", QString("44555666000199"), "CNPJ inválido no campo Cnpj da tabela RESPONSA: 44555666000199"},
        {"SINDICAT", "CNPJ", QString("12345678909"), "CNPJ inválido no campo Cnpj da tabela SINDICAT: 12345678909"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.field + " = " + c.value.toString().toStdString());
        Record r(Registry::instance().require(c.table));
        if (QString(c.refusal).isEmpty()) {
            EXPECT_NO_THROW(r.set(c.field, c.value));
            continue;
        }
        r.set(c.field, QVariant()); // blank before the refused number
        try {
            r.set(c.field, c.value);
            ADD_FAILURE() << "accepted";
        } catch (const DbError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.refusal));
        }
        EXPECT_TRUE(r.isNull(c.field)) << "a refused number leaves the field as it was";
    }
}

TEST(CheckDigits, RefusedNumberKeepsTheValueBefore) {
    Record r(Registry::instance().require("CADFUN"));
    r.set("NR_PIS", "12056412545");
    EXPECT_THROW(r.set("NR_PIS", "12056412546"), DbError);
    EXPECT_EQ(r.number("NR_PIS"), Fixed::fromInt(12056412545LL));
}

} // namespace
