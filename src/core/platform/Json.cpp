#include "platform/Json.h"

#include <charconv>
#include <cmath>

#include "platform/TextCodec.h"

namespace tavrel {

void AppendJsonString(std::string& out, std::string_view utf8) {
    // Round trip through UTF-16 replaces invalid sequences (such as the escapes of bytes that
    // were not Shift-JIS in a document file, or a file name in another encoding) with U+FFFD, so
    // the output stays valid UTF-8.
    const std::string clean = Utf16ToUtf8(Utf8ToUtf16(utf8));
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : clean) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendJsonDouble(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, result.ptr);
}

void AppendJsonInt(std::string& out, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace tavrel
