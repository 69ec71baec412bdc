// Codes, sheet types, periods and dates as a user types them.
#include "Refusal.h"
#include "TypedInput.h"

#include <gtest/gtest.h>

using namespace folha;
using folha::testing::Refusal;

TEST(TypedInput, EmployeeCodesAndSheetTypes) {
    EXPECT_EQ(TypedEmployeeCode("25"), QStringLiteral("000025"));
    EXPECT_EQ(TypedEmployeeCode(" 000013 "), QStringLiteral("000013"));
    for (const char* bad : {"", "1234567", "25'--", "-1", "1.5", "abc"})
        EXPECT_EQ(Refusal([&] { return TypedEmployeeCode(bad); }), QStringLiteral("Código de funcionário inválido: %1").arg(bad));
    EXPECT_EQ(TypedSheetType(" d"), QStringLiteral("D"));
    for (const char* bad : {"", "X", "FF"})
        EXPECT_EQ(Refusal([&] { return TypedSheetType(bad); }), QStringLiteral("Tipo de folha inválido: %1 (F, I, D, A, P ou Q)").arg(bad));
}

TEST(TypedInput, PeriodsAndDates) {
    const TypedPeriod p = TypedYearMonth("2013", "4");
    EXPECT_EQ(p.year, QStringLiteral("2013"));
    EXPECT_EQ(p.month, QStringLiteral("04"));
    const struct {
        const char* year;
        const char* month;
        const char* message;
    } bad[] = {{"20x3", "04", "Ano inválido: 20x3"}, {"1899", "04", "Ano inválido: 1899"}, {"13", "04", "Ano inválido: 13"},
               {"2013", "13", "Mês inválido: 13"},   {"2013", "0", "Mês inválido: 0"},       {"2013", "", "Mês inválido: "},
               {"2013", "123", "Mês inválido: 123"}};
    for (const auto& b : bad)
        EXPECT_EQ(Refusal([&] { return TypedYearMonth(b.year, b.month); }), QString::fromUtf8(b.message)) << b.year << b.month;
    // A competence MM/AAAA: the year and month, or the one refusal.
    const struct {
        const char* typed;
        const char* year; // nullptr: refused
        const char* month;
    } competences[] = {
        {"04/2013", "2013", "04"}, {"4/2013", "2013", "04"}, {" 12 / 2025 ", "2025", "12"}, {"01/1900", "1900", "01"},
        {"13/2013", nullptr, {}},  {"00/2013", nullptr, {}}, {"ab/2013", nullptr, {}},     {"04/20x3", nullptr, {}},
        {"04/", nullptr, {}},      {"04", nullptr, {}},      {"04/13", nullptr, {}},        {"12/1899", nullptr, {}},
        {"2013-04", nullptr, {}},  {"04/20133", nullptr, {}}, {"", nullptr, {}},            {" / ", nullptr, {}},
    };
    for (const auto& c : competences) {
        if (c.year) {
            const TypedPeriod p = TypedCompetence(c.typed);
            EXPECT_EQ(p.year + "/" + p.month, QStringLiteral("%1/%2").arg(c.year, c.month)) << c.typed;
        } else {
            EXPECT_EQ(Refusal([&] { return TypedCompetence(c.typed); }),
                      QStringLiteral("Competência inválida: %1 (use MM/AAAA)").arg(QString::fromUtf8(c.typed).trimmed()));
        }
    }
    EXPECT_EQ(TypedCompetence("4/2013").firstDay(), QDate(2013, 4, 1));
    EXPECT_EQ(TypedDate("31/12/2013"), QDate(2013, 12, 31));
    EXPECT_EQ(Refusal([] { return TypedDate("31/02/2013"); }), QStringLiteral("Data inválida: 31/02/2013 (use DD/MM/AAAA)"));
    EXPECT_EQ(Refusal([] { return TypedDate("2013-12-31", "--fgts-date"); }),
              QStringLiteral("Data inválida em --fgts-date: 2013-12-31 (use DD/MM/AAAA)"));
}

TEST(TypedInput, MoneyTextKeepsUpToFourDecimals) {
    const struct {
        qint64 raw;
        const char* text;
    } cases[] = {
        {0, "0,00"},          {12345000, "1.234,50"},        {12345, "1,2345"},
        {12340, "1,234"},     {-1, "-0,0001"},               {9999990000, "999.999,00"},
        {10000000, "1.000,00"}, {-12345678901, "-1.234.567,8901"},
    };
    for (const auto& c : cases) EXPECT_EQ(MoneyText(Fixed::fromRaw(c.raw)), QString(c.text)) << c.raw;
}
