#include "Fixed.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace folha;

static Fixed F(const char* s) { return *Fixed::parse(QString::fromLatin1(s)); }

struct RoundCase {
    int decimals;
    const char* value;
    const char* expected;
};

class RoundValueTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundValueTest, RoundsHalfUpOnTheFourExtraPlaces) {
    const auto& c = GetParam();
    EXPECT_EQ(RoundValue(c.decimals, F(c.value)), F(c.expected)) << c.value << " to " << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundValueTest,
                         ::testing::Values(RoundCase{2, "2.345", "2.35"}, RoundCase{2, "2.3449", "2.34"},
                                           RoundCase{2, "0.125", "0.13"}, RoundCase{0, "7.5", "8"},
                                           RoundCase{2, "-2.345", "-2.34"}, RoundCase{8, "1234.5678", "1235"},
                                           RoundCase{2, "-0.005", "0"}, RoundCase{0, "-7.5", "-7"},
                                           RoundCase{4, "1.2345", "1.2345"}, RoundCase{3, "0.0005", "0.001"},
                                           RoundCase{1, "0.04", "0"}, RoundCase{-1, "2.5", "3"}));

TEST(RoundValue, HoldsTheValueToFourPlacesBeyondTheKeptDecimals) {
    // 2.3449996 to 2 decimals: held to six places it is 2.345000, so it rounds up.
    Ratio almost = Ratio::of(23449996, 10000000);
    EXPECT_EQ(RoundValue(2, almost), F("2.35"));
    // 2.3449994 held to six places is 2.344999: down.
    EXPECT_EQ(RoundValue(2, Ratio::of(23449994, 10000000)), F("2.34"));
    // 2.34495 held to six places is 2.344950: the dropped part 0.4950 stays down,
    // although rounding first to four places would have given 2.3450.
    EXPECT_EQ(RoundValue(2, Ratio::of(234495, 100000)), F("2.34"));
}

TEST(RoundValue, ProductsAreExactBeforeRounding) {
    // 1000.00 / 220 hours x 10 hours x 1.5 = 68.1818...
    Ratio hour = F("1000") / F("220");
    EXPECT_EQ(RoundValue(2, hour * F("10") * F("1.5")), F("68.18"));
    // 1234.56 x 40 % = 493.824 -> 493.82
    EXPECT_EQ(RoundValue(2, F("1234.56") * F("40") / F("100")), F("493.82"));
    // Six places are kept exactly by the exact form.
    EXPECT_EQ(RoundValueExact(6, Ratio::of(1, 3)), Ratio::of(333333, 1000000));
}

TEST(Fixed, ParsesAndPrintsExactly) {
    struct {
        const char* text;
        int64_t raw;
        const char* printed;
    } cases[] = {{"1234.5678", 12345678, "1234.5678"}, {"-0,5", -5000, "-0.5"}, {"12", 120000, "12"},
                 {"0.0001", 1, "0.0001"}, {"+3.10", 31000, "3.1"}, {"9.12340", 91234, "9.1234"}};
    for (const auto& c : cases) {
        auto f = Fixed::parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(f.has_value()) << c.text;
        EXPECT_EQ(f->raw(), c.raw) << c.text;
        EXPECT_EQ(f->toString(), QString::fromLatin1(c.printed)) << c.text;
    }
    EXPECT_EQ(F("1234.5").toString(2), QStringLiteral("1234.50"));
}

TEST(Fixed, RefusesMalformedText) {
    for (const char* bad : {"", "abc", "1.2.3", "1.23456", "12a", "-", "1,000.00"})
        EXPECT_FALSE(Fixed::parse(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(Fixed, ReadsStoredDoublesToTheNearestFourPlaces) {
    EXPECT_EQ(Fixed::fromVariant(QVariant(0.1 + 0.2))->raw(), 3000);
    EXPECT_EQ(Fixed::fromVariant(QVariant(1234.5678))->raw(), 12345678);
    EXPECT_EQ(Fixed::fromVariant(QVariant(qlonglong(7)))->raw(), 70000);
    EXPECT_EQ(Fixed::fromVariant(QVariant(QStringLiteral("99999999999.9999")))->raw(), 999999999999999LL);
    EXPECT_FALSE(Fixed::fromVariant(QVariant()).has_value());
}

TEST(Ratio, DivisionByZeroAndOverflowAreRefused) {
    EXPECT_THROW(F("1") / F("0"), std::domain_error);
    Ratio big = Ratio::of(Ratio::Int(1) << 100, 1);
    EXPECT_THROW(big * big, std::overflow_error);
    EXPECT_THROW(Fixed::fromRaw(INT64_MAX) + Fixed::fromRaw(1), std::overflow_error);
}

// Every way into the fixed-point type checks its range: a value that does not
// fit is refused, never wrapped round to another amount (1e16 as an integer
// times 10000 wraps to 776 627 963 145 224.1920).
TEST(Fixed, ConversionsOutOfRangeAreRefused) {
    const struct {
        const char* what;
        std::function<Fixed()> convert;
    } refused[] = {
        {"fromInt 1e16", [] { return Fixed::fromInt(10000000000000000LL); }},
        {"fromInt one unit above the largest", [] { return Fixed::fromInt(922337203685478LL); }},
        {"fromInt one unit below the smallest", [] { return Fixed::fromInt(-922337203685478LL); }},
        {"fromDouble 1e16", [] { return Fixed::fromDouble(1e16); }},
        {"fromDouble -1e16", [] { return Fixed::fromDouble(-1e16); }},
        {"fromDouble infinity", [] { return Fixed::fromDouble(std::numeric_limits<double>::infinity()); }},
        {"fromDouble NaN", [] { return Fixed::fromDouble(std::numeric_limits<double>::quiet_NaN()); }},
        {"fromVariant integer 1e16", [] { return *Fixed::fromVariant(QVariant(qlonglong(10000000000000000LL))); }},
        {"fromVariant int 1e15", [] { return *Fixed::fromVariant(QVariant(qlonglong(1000000000000000LL))); }},
        {"fromVariant unsigned", [] { return *Fixed::fromVariant(QVariant(qulonglong(18446744073709551615ULL))); }},
        {"fromVariant double 1e16", [] { return *Fixed::fromVariant(QVariant(1e16)); }},
        {"fromVariant text 1e16", [] { return *Fixed::fromVariant(QVariant(QStringLiteral("1e16"))); }},
        {"fromVariant text inf", [] { return *Fixed::fromVariant(QVariant(QStringLiteral("inf"))); }},
        {"parse 1e16 in digits", [] { return *Fixed::parse(QStringLiteral("10000000000000000")); }},
        {"parse just above the largest", [] { return *Fixed::parse(QStringLiteral("922337203685477.5808")); }},
        {"parse twenty-five digits", [] { return *Fixed::parse(QStringLiteral("-1234567890123456789012345")); }},
        {"toFixedNearest 1e16", [] { return Ratio::of(Ratio::Int(10000000000000000LL), 1).toFixedNearest(); }},
        {"RoundValue of a product too large", [] { return RoundValue(2, F("900000000000000") * F("100")); }},
    };
    for (const auto& c : refused) EXPECT_THROW(c.convert(), FixedRangeError) << c.what;

    // The limits themselves are held exactly.
    const struct {
        const char* what;
        std::function<Fixed()> convert;
        int64_t raw;
    } held[] = {
        {"parse the largest", [] { return *Fixed::parse(QStringLiteral("922337203685477.5807")); }, INT64_MAX},
        {"parse the smallest", [] { return *Fixed::parse(QStringLiteral("-922337203685477.5807")); }, -INT64_MAX},
        {"parse with leading zeros", [] { return *Fixed::parse(QStringLiteral("0000000000000000000012.5")); }, 125000},
        {"fromInt the largest whole", [] { return Fixed::fromInt(922337203685477LL); }, 9223372036854770000LL},
        {"fromVariant integer 1e14", [] { return *Fixed::fromVariant(QVariant(qlonglong(100000000000000LL))); },
         1000000000000000000LL},
        {"fromDouble 9e14", [] { return Fixed::fromDouble(9e14); }, 9000000000000000000LL},
        {"toFixedNearest the largest", [] { return Ratio::of(Ratio::Int(INT64_MAX), 10000).toFixedNearest(); }, INT64_MAX},
    };
    for (const auto& c : held) EXPECT_EQ(c.convert().raw(), c.raw) << c.what;
}

TEST(Fixed, TheRefusalNamesTheValue) {
    try {
        Fixed::fromVariant(QVariant(qlonglong(10000000000000000LL)));
        FAIL() << "1e16 was taken";
    } catch (const FixedRangeError& e) {
        EXPECT_EQ(e.value(), QStringLiteral("10000000000000000"));
    }
}
