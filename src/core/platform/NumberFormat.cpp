#include "platform/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tavrel {

namespace {

// Removes trailing zeros of a fraction, and the point itself when nothing is left after it.
std::size_t StripFraction(const char* begin, std::size_t length) {
    std::size_t point = length;
    for (std::size_t i = 0; i < length; ++i) {
        if (begin[i] == '.') {
            point = i;
            break;
        }
    }
    if (point == length) return length;
    while (length > point + 1 && begin[length - 1] == '0') --length;
    if (length == point + 1) --length;
    return length;
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

    char sci[64];
    auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific,
                           precision - 1);
    std::size_t sciLength = static_cast<std::size_t>(r.ptr - sci);
    std::size_t ePos = 0;
    while (ePos < sciLength && sci[ePos] != 'e') ++ePos;
    int exponent = std::atoi(sci + ePos + 1);

    if (exponent >= -4 && exponent < precision) {
        char fixed[128];
        auto f = std::to_chars(fixed, fixed + sizeof fixed, value, std::chars_format::fixed,
                               precision - 1 - exponent);
        out.append(fixed, StripFraction(fixed, static_cast<std::size_t>(f.ptr - fixed)));
        return;
    }
    out.append(sci, StripFraction(sci, ePos));
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    int magnitude = std::abs(exponent);
    char digits[8];
    auto d = std::to_chars(digits, digits + sizeof digits, magnitude);
    for (std::ptrdiff_t pad = 3 - (d.ptr - digits); pad > 0; --pad) out += '0';
    out.append(digits, d.ptr);
}

std::string FormatG(double value, int precision) {
    std::string out;
    AppendG(out, value, precision);
    return out;
}

}  // namespace tavrel
