// A small writer of compact JSON text (the command-line tool's info and the results table), and a
// strict reader of JSON text (set-ups given to `new --from`).
// Doubles are written with 17
// significant digits, so every stored value reads back exactly; a value JSON cannot hold (NaN,
// an infinity) is written as null. Texts are UTF-8; invalid sequences become U+FFFD.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrel {

void AppendJsonString(std::string& out, std::string_view utf8);
void AppendJsonDouble(std::string& out, double value);
void AppendJsonInt(std::string& out, long long value);

// A value read from JSON text, with the place (1-based line and column, counted in bytes) where
// it starts. A number keeps its text, so that the reader of a field decides how to take it
// (whole, 32-bit, double) without a rounding in between; members keep their order.
struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a number's text, or a string's value (UTF-8)
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;
    int line = 1;
    int column = 1;

    // The member of an object with this key, or null.
    const JsonValue* Find(std::string_view key) const;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

struct JsonError {
    int line = 1;
    int column = 1;
    std::string message;
};

// Reads one JSON value (RFC 8259) filling the whole text apart from white space. Text that is not
// UTF-8, a duplicate key, or nesting deeper than 64 levels is refused too. Nothing on failure,
// with the place and the reason in `error`.
std::optional<JsonValue> ParseJson(std::string_view text, JsonError* error);

}  // namespace tavrel
