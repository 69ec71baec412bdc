// Codes, sheet types, periods and dates as a user types them.
#include "TypedInput.h"

#include <gtest/gtest.h>

using namespace folha;

namespace {

template <typename Read>
QString refusal(Read read) {
    try {
        read();
    } catch (const UserError& e) {
        return e.message();
    }
    return QStringLiteral("(aceito)");
}

} // namespace

TEST(TypedInput, EmployeeCodesAndSheetTypes) {
    EXPECT_EQ(TypedEmployeeCode("25"), QStringLiteral("000025"));
    EXPECT_EQ(TypedEmployeeCode(" 000013 "), QStringLiteral("000013"));
    for (const char* bad : {"", "1234567", "25'--", "-1", "1.5", "abc"})
        EXPECT_EQ(refusal([&] { return TypedEmployeeCode(bad); }), QStringLiteral("Código de funcionário inválido: %1").arg(bad));
    EXPECT_EQ(TypedSheetType(" d"), QStringLiteral("D"));
    for (const char* bad : {"", "X", "FF"})
        EXPECT_EQ(refusal([&] { return TypedSheetType(bad); }), QStringLiteral("Tipo de folha inválido: %1 (F, I, D, A, P ou Q)").arg(bad));
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
        EXPECT_EQ(refusal([&] { return TypedYearMonth(b.year, b.month); }), QString::fromUtf8(b.message)) << b.year << b.month;
    EXPECT_EQ(TypedDate("31/12/2013"), QDate(2013, 12, 31));
    EXPECT_EQ(refusal([] { return TypedDate("31/02/2013"); }), QStringLiteral("Data inválida: 31/02/2013 (use DD/MM/AAAA)"));
    EXPECT_EQ(refusal([] { return TypedDate("2013-12-31", "--fgts-date"); }),
              QStringLiteral("Data inválida em --fgts-date: 2013-12-31 (use DD/MM/AAAA)"));
}
