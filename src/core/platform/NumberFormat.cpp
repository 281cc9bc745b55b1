#include "platform/NumberFormat.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tavrel {

namespace {

// The fast path covers values whose decimal exponent lies within +-kFastRange.
constexpr int kFastRange = 250;
constexpr int kFastDigits = 10;

// 10^n for |n| <= kFastRange + kFastDigits, each correctly rounded (read by from_chars).
constexpr int kPowSpan = kFastRange + kFastDigits;
const std::array<double, 2 * kPowSpan + 1> kPow10 = [] {
    std::array<double, 2 * kPowSpan + 1> t{};
    for (int k = -kPowSpan; k <= kPowSpan; ++k) {
        char text[8] = {'1', 'e'};
        auto r = std::to_chars(text + 2, text + sizeof text, k);
        std::from_chars(text, r.ptr, t[static_cast<std::size_t>(k + kPowSpan)]);
    }
    return t;
}();

inline double Pow10(int n) {
    return kPow10[static_cast<std::size_t>(n + kPowSpan)];
}

// Appends the digits of a %G number from its `precision` significant digits (an integer of
// exactly that many digits) and its decimal exponent.
void AppendDigits(std::string& out, bool negative, std::uint64_t digitsValue, int exponent,
                  int precision) {
    char digits[24];
    auto r = std::to_chars(digits, digits + sizeof digits, digitsValue);
    std::size_t count = static_cast<std::size_t>(r.ptr - digits);
    while (count > 1 && digits[count - 1] == '0')
        --count;  // trailing zeros of the fraction
    if (negative) out += '-';
    if (exponent >= -4 && exponent < precision) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits, count);
            return;
        }
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        if (count <= whole) {
            out.append(digits, count);
            out.append(whole - count, '0');
            return;
        }
        out.append(digits, whole);
        out += '.';
        out.append(digits + whole, count - whole);
        return;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out.append(digits + 1, count - 1);
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    char e[8];
    auto er = std::to_chars(e, e + sizeof e, magnitude);
    for (std::ptrdiff_t pad = 3 - (er.ptr - e); pad > 0; --pad)
        out += '0';
    out.append(e, er.ptr);
}

// Rounds |value| to `precision` significant digits in double arithmetic: the scaled value
// carries an error of a few units in its last place, far below 1e-4 for ten digits, so its
// rounding to an integer is exact unless its fraction lies within 1e-4 of one half. Those rare
// cases, and values outside the covered range, are left to the exact path (false).
bool AppendFast(std::string& out, double value, int precision) {
    const double magnitude = std::fabs(value);
    if (precision > kFastDigits || !(magnitude >= 1e-250 && magnitude <= 1e250)) return false;
    const double low = Pow10(precision - 1);
    const double high = Pow10(precision);
    // The decimal exponent from the binary one of this normal number: floor(b * log10 2), with
    // 78913 / 2^18 for log10 2. It may be one too small, which the scaling below puts right.
    const int binaryExponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    int exponent = (binaryExponent * 78913) >> 18;
    double scaled = magnitude * Pow10(precision - 1 - exponent);
    if (scaled < low) {
        --exponent;
        scaled = magnitude * Pow10(precision - 1 - exponent);
    } else if (scaled >= high) {
        ++exponent;
        scaled = magnitude * Pow10(precision - 1 - exponent);
    }
    if (scaled < low || scaled >= high) return false;
    // The scaled value is positive and below 2^64: truncation is its floor.
    std::uint64_t digits = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(digits);
    if (std::fabs(fraction - 0.5) < 1e-4) return false;
    if (fraction > 0.5) ++digits;
    if (static_cast<double>(digits) >= high) {  // 9.99...95 rounds up to the next power of ten
        digits /= 10;
        ++exponent;
    }
    AppendDigits(out, std::signbit(value), digits, exponent, precision);
    return true;
}

}  // namespace

void AppendG(std::string& out, double value, int precision) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (precision <= 0) precision = 1;
    if (precision > 40) precision = 40;
    if (AppendFast(out, value, precision)) return;

    // The general format of to_chars is "%.<precision>g" of the C locale: significant digits,
    // trailing zeros removed, exponent form below 1e-4 and from 10^precision on. Only the exponent
    // differs from the Windows spelling: a capital E and at least three digits (e+12 -> E+012).
    char text[80];
    auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    const char* end = r.ptr;
    const char* e = text;
    while (e < end && *e != 'e')
        ++e;
    out.append(text, static_cast<std::size_t>(e - text));
    if (e == end) return;
    out += 'E';
    out += e[1];  // the exponent's sign, always written
    const char* digits = e + 2;
    for (std::ptrdiff_t pad = 3 - (end - digits); pad > 0; --pad)
        out += '0';
    out.append(digits, static_cast<std::size_t>(end - digits));
}

std::string FormatG(double value, int precision) {
    std::string out;
    AppendG(out, value, precision);
    return out;
}

}  // namespace tavrel
