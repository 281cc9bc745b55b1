// Locale-independent number formatting in the manner of the C formats the files and labels use.
#pragma once

#include <string>

namespace tavrel {

// "%.<precision>G" as the Windows C runtime writes it: at most `precision` significant digits,
// trailing zeros removed, exponent form with a capital E, a sign and at least three exponent
// digits when the decimal exponent is below -4 or at least `precision` (1E-005, 1.234567891E+012).
// Negative zero is "-0". Non-finite values are written "INF", "-INF" and "NAN".
std::string FormatG(double value, int precision);
// Appends the same text to `out` (no temporary string).
void AppendG(std::string& out, double value, int precision);

}  // namespace tavrel
