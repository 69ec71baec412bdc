#pragma once
// Money, hours, days and rates: a decimal with four fixed places held as a
// scaled 64-bit integer (value x 10000). Sums and differences stay exact;
// products and quotients give an exact Ratio, which the calculations bring
// back to a Fixed through RoundValue with the number of decimals that their
// formula names.

#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace folha {

class Ratio;

class Fixed {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Fixed() = default;
    static constexpr Fixed fromRaw(int64_t raw) {
        Fixed f;
        f.raw_ = raw;
        return f;
    }
    // The largest magnitude held: 922 337 203 685 477.5807.
    static constexpr Fixed max() { return fromRaw(INT64_MAX); }
    static constexpr Fixed min() { return fromRaw(-INT64_MAX); }

    // Every conversion into a Fixed checks its range: a value that does not
    // fit throws FixedRangeError, never wraps round to another amount.
    static constexpr Fixed fromInt(int64_t units) {
        int64_t raw = 0;
        if (__builtin_mul_overflow(units, Scale, &raw) || raw == INT64_MIN) throwOutOfRange(units);
        return fromRaw(raw);
    }
    // Parses "1234.5678", "-0,5", "12" (either decimal separator, at most four
    // places, no thousands separators). Returns nothing for malformed text;
    // throws FixedRangeError for a number too large to be held.
    static std::optional<Fixed> parse(const QString& text);
    // The value held by a database column: a decimal text, an integer or a
    // floating-point number (taken to the nearest four-place value). Nothing
    // for a null or for text that is not a number; FixedRangeError for a
    // number out of range.
    static std::optional<Fixed> fromVariant(const QVariant& v);
    // Nearest four-place value of a double; only for reading stored numbers.
    // Throws FixedRangeError for a value out of range, infinite or NaN.
    static Fixed fromDouble(double d);

    constexpr int64_t raw() const { return raw_; }
    constexpr bool isZero() const { return raw_ == 0; }
    constexpr bool isNegative() const { return raw_ < 0; }
    double toDouble() const { return double(raw_) / Scale; }
    // Whole units, cut toward zero.
    constexpr int64_t truncated() const { return raw_ / Scale; }

    // "1234.5" style: no trailing zeros beyond the first decimal place is kept
    // when `places` is negative; otherwise exactly `places` decimals (0..4).
    QString toString(int places = -1) const;

    constexpr Fixed operator-() const { return fromRaw(-raw_); }
    Fixed operator+(Fixed o) const;
    Fixed operator-(Fixed o) const;
    Fixed& operator+=(Fixed o) { return *this = *this + o; }
    Fixed& operator-=(Fixed o) { return *this = *this - o; }
    constexpr auto operator<=>(const Fixed&) const = default;

    Ratio operator*(Fixed o) const;
    Ratio operator/(Fixed o) const;
    Ratio operator*(int64_t o) const;
    Ratio operator/(int64_t o) const;

private:
    [[noreturn]] static void throwOutOfRange(int64_t units);
    int64_t raw_ = 0;
};

// A value that the fixed-point type cannot hold. The text names the value;
// whoever knows the table, field and row adds them.
class FixedRangeError : public std::overflow_error {
public:
    explicit FixedRangeError(const QString& value)
        : std::overflow_error(QStringLiteral("valor fora da faixa: %1").arg(value).toStdString()), value_(value) {}
    const QString& value() const { return value_; }

private:
    QString value_;
};

// An exact rational intermediate result (numerator / denominator, denominator
// positive, kept reduced). Overflow of the 128-bit terms throws
// std::overflow_error rather than giving a wrong amount.
class Ratio {
public:
    using Int = __int128;

    Ratio() = default;
    Ratio(Fixed f);
    static Ratio of(Int num, Int den);
    static Ratio fromInt(int64_t v) { return of(v, 1); }

    Int num() const { return num_; }
    Int den() const { return den_; }
    bool isZero() const { return num_ == 0; }
    int sign() const { return num_ > 0 ? 1 : (num_ < 0 ? -1 : 0); }

    Ratio operator+(const Ratio& o) const;
    Ratio operator-(const Ratio& o) const;
    Ratio operator*(const Ratio& o) const;
    Ratio operator/(const Ratio& o) const;
    Ratio operator-() const { return of(-num_, den_); }
    Ratio& operator+=(const Ratio& o) { return *this = *this + o; }
    Ratio& operator-=(const Ratio& o) { return *this = *this - o; }
    Ratio& operator*=(const Ratio& o) { return *this = *this * o; }
    Ratio& operator/=(const Ratio& o) { return *this = *this / o; }
    bool operator==(const Ratio& o) const { return num_ == o.num_ && den_ == o.den_; }
    std::strong_ordering operator<=>(const Ratio& o) const;

    // Nearest integer of value x 10^places (ties away from zero).
    Int scaledNearest(int places) const;
    // Nearest four-place Fixed (ties away from zero); throws FixedRangeError
    // when it does not fit.
    Fixed toFixedNearest() const;
    QString toString() const;

private:
    Int num_ = 0;
    Int den_ = 1;
};

inline Ratio operator*(const Ratio& a, Fixed b) { return a * Ratio(b); }
inline Ratio operator/(const Ratio& a, Fixed b) { return a / Ratio(b); }
inline Ratio operator+(const Ratio& a, Fixed b) { return a + Ratio(b); }
inline Ratio operator-(const Ratio& a, Fixed b) { return a - Ratio(b); }
inline Ratio operator*(const Ratio& a, int64_t b) { return a * Ratio::fromInt(b); }
inline Ratio operator/(const Ratio& a, int64_t b) { return a / Ratio::fromInt(b); }

// The system's one rounding routine. The value is first held to four places
// beyond the kept decimals (nearest), then the kept part is increased by one
// when the dropped four places are 0.5 or more; a negative value is never
// increased, its dropped part is cut toward zero. A number of decimals outside
// 0..6 rounds to a whole number.
Ratio RoundValueExact(int decimals, const Ratio& value);
// The same, as a four-place amount. For 5 or 6 decimals the exact result is
// brought to the nearest four places.
Fixed RoundValue(int decimals, const Ratio& value);
inline Fixed RoundValue(int decimals, Fixed value) { return RoundValue(decimals, Ratio(value)); }

} // namespace folha

Q_DECLARE_METATYPE(folha::Fixed)
