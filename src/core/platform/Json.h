// A small writer of compact JSON text (the command-line tool's info and the results table).
// Doubles are written with 17
// significant digits, so every stored value reads back exactly; a value JSON cannot hold (NaN,
// an infinity) is written as null. Texts are UTF-8; invalid sequences become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

void AppendJsonString(std::string& out, std::string_view utf8);
void AppendJsonDouble(std::string& out, double value);
void AppendJsonInt(std::string& out, long long value);

}  // namespace tavrel
