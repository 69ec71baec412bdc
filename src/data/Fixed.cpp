#include "Fixed.h"

#include <cmath>
#include <stdexcept>

namespace folha {

namespace {

using Int = Ratio::Int;

Int absInt(Int v) { return v < 0 ? -v : v; }

Int gcdInt(Int a, Int b) {
    a = absInt(a);
    b = absInt(b);
    while (b != 0) {
        Int t = a % b;
        a = b;
        b = t;
    }
    return a;
}

Int mulChecked(Int a, Int b) {
    Int r;
    if (__builtin_mul_overflow(a, b, &r)) throw std::overflow_error("estouro no cálculo de valores");
    return r;
}

Int addChecked(Int a, Int b) {
    Int r;
    if (__builtin_add_overflow(a, b, &r)) throw std::overflow_error("estouro no cálculo de valores");
    return r;
}

Int pow10(int places) {
    Int r = 1;
    for (int i = 0; i < places; ++i) r *= 10;
    return r;
}

// Nearest integer of num/den, ties away from zero; den > 0.
Int divNearest(Int num, Int den) {
    Int q = num / den;
    Int rem = num % den;
    if (absInt(rem) * 2 >= den) q += (num < 0 ? -1 : 1);
    return q;
}

QString intToString(Int v) {
    if (v == 0) return QStringLiteral("0");
    bool neg = v < 0;
    QString s;
    while (v != 0) {
        int digit = int(v % 10);
        s.prepend(QChar('0' + (digit < 0 ? -digit : digit)));
        v /= 10;
    }
    if (neg) s.prepend('-');
    return s;
}

} // namespace

std::optional<Fixed> Fixed::parse(const QString& input) {
    QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    bool neg = false;
    int i = 0;
    if (text[0] == '-' || text[0] == '+') {
        neg = text[0] == '-';
        i = 1;
    }
    int64_t whole = 0;
    int64_t frac = 0;
    int fracDigits = 0;
    bool seenSep = false;
    bool anyDigit = false;
    bool tooLarge = false;
    for (; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == '.' || c == ',') {
            if (seenSep) return std::nullopt;
            seenSep = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
        anyDigit = true;
        int d = c.unicode() - '0';
        if (seenSep) {
            if (fracDigits == 4) {
                if (d != 0) return std::nullopt; // more than four places
                continue;
            }
            frac = frac * 10 + d;
            ++fracDigits;
        } else {
            // Digits beyond what an int64 can hold are counted, not kept:
            // the number is out of range whatever follows.
            if (whole <= INT64_MAX / 10) whole = whole * 10 + d;
            else tooLarge = true;
        }
    }
    if (!anyDigit) return std::nullopt;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    int64_t raw = 0;
    if (tooLarge || __builtin_mul_overflow(whole, Scale, &raw) || __builtin_add_overflow(raw, frac, &raw))
        throw FixedRangeError(text);
    return fromRaw(neg ? -raw : raw);
}

void Fixed::throwOutOfRange(int64_t units) { throw FixedRangeError(QString::number(units)); }

Fixed Fixed::fromDouble(double d) {
    double scaled = std::round(d * double(Scale));
    // 2^63 is the first double an int64 cannot hold.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9223372036854775808.0)
        throw FixedRangeError(QString::number(d, 'g', 17));
    return fromRaw(int64_t(scaled));
}

std::optional<Fixed> Fixed::fromVariant(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        if (u > qulonglong(INT64_MAX)) throw FixedRangeError(QString::number(u));
        return fromInt(int64_t(u));
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return fromInt(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(v.toDouble());
    default: {
        QString s = v.toString();
        if (auto f = parse(s)) return f;
        // A decimal text with more places (a NUMERIC column): nearest value.
        bool ok = false;
        double d = s.toDouble(&ok);
        if (ok) return fromDouble(d);
        return std::nullopt;
    }
    }
}

QString Fixed::toString(int places) const {
    int64_t a = raw_ < 0 ? -raw_ : raw_;
    QString whole = QString::number(a / Scale);
    QString frac = QString::number(a % Scale).rightJustified(4, '0');
    if (places < 0) {
        while (frac.size() > 1 && frac.endsWith('0')) frac.chop(1);
        if (frac == "0") frac.clear();
    } else {
        frac = frac.left(places);
    }
    QString s = frac.isEmpty() ? whole : whole + '.' + frac;
    return raw_ < 0 ? '-' + s : s;
}

Fixed Fixed::operator+(Fixed o) const {
    int64_t r;
    if (__builtin_add_overflow(raw_, o.raw_, &r)) throw std::overflow_error("estouro na soma de valores");
    return fromRaw(r);
}

Fixed Fixed::operator-(Fixed o) const {
    int64_t r;
    if (__builtin_sub_overflow(raw_, o.raw_, &r)) throw std::overflow_error("estouro na soma de valores");
    return fromRaw(r);
}

Ratio Fixed::operator*(Fixed o) const { return Ratio(*this) * Ratio(o); }
Ratio Fixed::operator/(Fixed o) const { return Ratio(*this) / Ratio(o); }
Ratio Fixed::operator*(int64_t o) const { return Ratio(*this) * Ratio::fromInt(o); }
Ratio Fixed::operator/(int64_t o) const { return Ratio(*this) / Ratio::fromInt(o); }

Ratio::Ratio(Fixed f) { *this = of(f.raw(), Fixed::Scale); }

Ratio Ratio::of(Int num, Int den) {
    if (den == 0) throw std::domain_error("divisão por zero");
    if (den < 0) {
        num = -num;
        den = -den;
    }
    Int g = gcdInt(num, den);
    Ratio r;
    if (g > 1) {
        num /= g;
        den /= g;
    }
    r.num_ = num;
    r.den_ = den;
    return r;
}

Ratio Ratio::operator+(const Ratio& o) const {
    Int g = gcdInt(den_, o.den_);
    Int lhs = mulChecked(num_, o.den_ / g);
    Int rhs = mulChecked(o.num_, den_ / g);
    return of(addChecked(lhs, rhs), mulChecked(den_ / g, o.den_));
}

Ratio Ratio::operator-(const Ratio& o) const { return *this + (-o); }

Ratio Ratio::operator*(const Ratio& o) const {
    // Cross-reduce first to keep the terms small.
    Int g1 = gcdInt(num_, o.den_);
    Int g2 = gcdInt(o.num_, den_);
    if (g1 == 0) g1 = 1;
    if (g2 == 0) g2 = 1;
    return of(mulChecked(num_ / g1, o.num_ / g2), mulChecked(den_ / g2, o.den_ / g1));
}

Ratio Ratio::operator/(const Ratio& o) const {
    if (o.num_ == 0) throw std::domain_error("divisão por zero");
    return *this * of(o.den_, o.num_);
}

std::strong_ordering Ratio::operator<=>(const Ratio& o) const {
    Int diff = (*this - o).num_;
    if (diff < 0) return std::strong_ordering::less;
    if (diff > 0) return std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

Ratio::Int Ratio::scaledNearest(int places) const { return divNearest(mulChecked(num_, pow10(places)), den_); }

Fixed Ratio::toFixedNearest() const {
    Int n = scaledNearest(4);
    if (n > INT64_MAX || n < -Int(INT64_MAX)) {
        const Int a = absInt(n);
        QString frac = intToString(a % 10000).rightJustified(4, '0');
        throw FixedRangeError((n < 0 ? QStringLiteral("-") : QString()) + intToString(a / 10000) + '.' + frac);
    }
    return Fixed::fromRaw(int64_t(n));
}

QString Ratio::toString() const { return intToString(num_) + '/' + intToString(den_); }

Ratio RoundValueExact(int decimals, const Ratio& value) {
    int places = (decimals >= 0 && decimals <= 6) ? decimals : 0;
    Int factor = pow10(places);
    // The value held to four places beyond the kept decimals.
    Int n = value.scaledNearest(places + 4);
    Int k = n / 10000;  // kept part, cut toward zero
    Int d = n - k * 10000; // dropped part, negative for a negative value
    if (d >= 5000) k += 1;
    if (k == 0) return Ratio();
    return Ratio::of(k, factor);
}

Fixed RoundValue(int decimals, const Ratio& value) { return RoundValueExact(decimals, value).toFixedNearest(); }

} // namespace folha
