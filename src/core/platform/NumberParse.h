// Locale-independent reading of a number from text in the manner of the C library's atof in the
// C locale: the value of the longest decimal prefix, or 0.0 when there is none.
#pragma once

#include <string_view>

namespace tavrel {

// The result of reading one number: its value and where the decimal prefix ended (`end` equals
// `begin` when the text holds no number).
struct ParsedNumber {
    double value;
    const char* end;
};

// Reads [begin, end) as atof does in the C locale, independently of the process locale:
//   - leading white space of the C locale is skipped (space, tab, LF, VT, FF, CR);
//   - then an optional sign ('+' or '-'), digits with an optional fraction (at least one digit
//     in all), and an optional exponent ('e' or 'E', an optional sign, at least one digit; an
//     exponent without digits is not part of the number);
//   - the value is correctly rounded; a value too large for a double gives an infinity of the
//     number's sign, one too small gives a zero of its sign;
//   - "inf", "nan" and hexadecimal notation are not decimal: "inf" gives 0.0 and "0x1p3" reads
//     its decimal prefix "0".
// Text without such a prefix gives 0.0.
ParsedNumber ParseNumberPrefix(const char* begin, const char* end);

// The value alone.
inline double ParseNumber(const char* begin, const char* end) {
    return ParseNumberPrefix(begin, end).value;
}
inline double ParseNumber(std::string_view text) {
    return ParseNumberPrefix(text.data(), text.data() + text.size()).value;
}

}  // namespace tavrel
