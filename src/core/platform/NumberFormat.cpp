#include "platform/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace tavrel {

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
