#include "platform/NumberParse.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace tavrel {

namespace {

inline bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');  // space, \t \n \v \f \r
}

using number_parse::IsDigit;

// Whether the decimal text [p, end) (digits, optional fraction, optional exponent, no sign) lies
// above the double range rather than below it. Called only when the value is out of range, so
// its decimal order of magnitude alone decides: out-of-range values are either above 1e308 or
// below 1e-307.
bool IsOverflow(const char* p, const char* end) {
    long long order = 0;  // decimal exponent of the first nonzero digit, plus one
    bool nonzero = false;
    for (; p < end && IsDigit(*p); ++p) {
        if (nonzero)
            ++order;
        else if (*p != '0') {
            nonzero = true;
            order = 1;
        }
    }
    if (p < end && *p == '.') {
        for (++p; p < end && IsDigit(*p); ++p) {
            if (nonzero) continue;
            if (*p == '0')
                --order;
            else
                nonzero = true;
        }
    }
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
        for (; p < end && IsDigit(*p); ++p) {
            // Saturate far beyond any double exponent; the digits cannot overflow the sum.
            if (exponent < 1000000000LL) exponent = exponent * 10 + (*p - '0');
        }
        if (negative) exponent = -exponent;
    }
    return order + exponent > 0;
}

}  // namespace

ParsedNumber ParseAnyNumberPrefix(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && IsCSpace(*p))
        ++p;
    if (p == end) return {0.0, begin};
    // from_chars takes '-' itself but not '+'. Either sign must be followed by a digit or a
    // point: that keeps "inf", "nan" and a second sign out, which from_chars would accept or
    // which atof refuses.
    const char* number = p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
        if (p == end) return {0.0, begin};
        if (!negative) number = p;
    }
    if (!IsDigit(*p) && *p != '.') return {0.0, begin};

    double value = 0.0;
    // The general format reads decimal notation only; hexadecimal needs chars_format::hex.
    auto [ptr, ec] = std::from_chars(number, end, value, std::chars_format::general);
    if (ec == std::errc()) return {value, ptr};
    if (ec == std::errc::result_out_of_range) {
        const char* digits = negative ? number + 1 : number;
        double magnitude = IsOverflow(digits, ptr) ? std::numeric_limits<double>::infinity() : 0.0;
        return {negative ? -magnitude : magnitude, ptr};
    }
    return {0.0, begin};  // a point without digits
}

}  // namespace tavrel
