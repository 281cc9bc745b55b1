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

namespace tavrel {

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members) {
        if (name == key) return &value;
    }
    return nullptr;
}

namespace {

constexpr int kMaxDepth = 64;

struct JsonFailure {
    std::size_t at;
    std::string message;
};

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    JsonValue ReadDocument() {
        SkipSpace();
        JsonValue value = ReadValue(0);
        SkipSpace();
        if (m_pos != m_text.size()) Fail("unexpected text after the value");
        return value;
    }

    // The line and column of a byte offset.
    std::pair<int, int> Place(std::size_t at) const {
        int line = 1;
        std::size_t lineStart = 0;
        for (std::size_t i = 0; i < at && i < m_text.size(); ++i) {
            if (m_text[i] == '\n') {
                ++line;
                lineStart = i + 1;
            }
        }
        return {line, static_cast<int>(at - lineStart) + 1};
    }

  private:
    [[noreturn]] void Fail(std::string message) const {
        throw JsonFailure{m_pos, std::move(message)};
    }

    // Line ends occur only in white space (a string holds none unescaped), so the line is
    // counted here.
    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            if (m_text[m_pos] == '\n') {
                ++m_line;
                m_lineStart = m_pos + 1;
            }
            ++m_pos;
        }
    }

    bool Literal(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }

    JsonValue ReadValue(int depth) {
        if (depth > kMaxDepth) Fail("nesting too deep");
        JsonValue value;
        value.line = m_line;
        value.column = static_cast<int>(m_pos - m_lineStart) + 1;
        if (m_pos >= m_text.size()) Fail("unexpected end of text");
        const char c = m_text[m_pos];
        if (c == '{') {
            value.kind = JsonValue::Kind::Object;
            ++m_pos;
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == '}') {
                ++m_pos;
                return value;
            }
            for (;;) {
                SkipSpace();
                if (m_pos >= m_text.size() || m_text[m_pos] != '"') Fail("expected a key");
                const std::size_t keyAt = m_pos;
                std::string key = ReadString();
                if (value.Find(key)) {
                    m_pos = keyAt;
                    // Quoted as JSON writes it, so that the reason stays one line.
                    std::string quoted;
                    AppendJsonString(quoted, key);
                    Fail("duplicate key " + quoted);
                }
                SkipSpace();
                if (m_pos >= m_text.size() || m_text[m_pos] != ':') Fail("expected ':'");
                ++m_pos;
                SkipSpace();
                value.members.push_back({std::move(key), ReadValue(depth + 1)});
                SkipSpace();
                if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                    ++m_pos;
                    continue;
                }
                if (m_pos < m_text.size() && m_text[m_pos] == '}') {
                    ++m_pos;
                    return value;
                }
                Fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            value.kind = JsonValue::Kind::Array;
            ++m_pos;
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == ']') {
                ++m_pos;
                return value;
            }
            for (;;) {
                SkipSpace();
                value.items.push_back(ReadValue(depth + 1));
                SkipSpace();
                if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                    ++m_pos;
                    continue;
                }
                if (m_pos < m_text.size() && m_text[m_pos] == ']') {
                    ++m_pos;
                    return value;
                }
                Fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = ReadString();
            return value;
        }
        if (Literal("true") || Literal("false")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = c == 't';
            return value;
        }
        if (Literal("null")) return value;
        if (c == '-' || (c >= '0' && c <= '9')) {
            value.kind = JsonValue::Kind::Number;
            value.text = ReadNumber();
            return value;
        }
        Fail("unexpected character");
    }

    std::string ReadNumber() {
        const std::size_t start = m_pos;
        auto digits = [&] {
            const std::size_t from = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9')
                ++m_pos;
            if (m_pos == from) Fail("malformed number");
        };
        if (m_text[m_pos] == '-') ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '0') {
            ++m_pos;
        } else {
            digits();
        }
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            digits();
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) ++m_pos;
            digits();
        }
        return std::string(m_text.substr(start, m_pos - start));
    }

    unsigned Hex4() {
        if (m_pos + 4 > m_text.size()) Fail("malformed \\u escape");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_pos++];
            v <<= 4;
            if (h >= '0' && h <= '9') {
                v |= static_cast<unsigned>(h - '0');
            } else if (h >= 'a' && h <= 'f') {
                v |= static_cast<unsigned>(h - 'a' + 10);
            } else if (h >= 'A' && h <= 'F') {
                v |= static_cast<unsigned>(h - 'A' + 10);
            } else {
                --m_pos;
                Fail("malformed \\u escape");
            }
        }
        return v;
    }

    // The length of the UTF-8 sequence at m_pos, or 0 when it is not one.
    std::size_t Utf8Length() const {
        const auto b = [&](std::size_t i) {
            return m_pos + i < m_text.size() ? static_cast<unsigned char>(m_text[m_pos + i]) : 0u;
        };
        const unsigned c = b(0);
        auto cont = [&](std::size_t i) { return (b(i) & 0xC0) == 0x80; };
        if (c < 0x80) return 1;
        if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
        if (c >= 0xE0 && c <= 0xEF) {
            if (!cont(1) || !cont(2)) return 0;
            if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
            if (c == 0xED && b(1) >= 0xA0) return 0;  // a surrogate
            return 3;
        }
        if (c >= 0xF0 && c <= 0xF4) {
            if (!cont(1) || !cont(2) || !cont(3)) return 0;
            if (c == 0xF0 && b(1) < 0x90) return 0;
            if (c == 0xF4 && b(1) >= 0x90) return 0;
            return 4;
        }
        return 0;
    }

    std::string ReadString() {
        ++m_pos;  // the opening quote
        std::string out;
        for (;;) {
            if (m_pos >= m_text.size()) Fail("unterminated string");
            const auto c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                ++m_pos;
                return out;
            }
            if (c < 0x20) Fail("control character in a string");
            if (c == '\\') {
                ++m_pos;
                if (m_pos >= m_text.size()) Fail("unterminated string");
                const char e = m_text[m_pos++];
                switch (e) {
                    case '"':
                        out += '"';
                        break;
                    case '\\':
                        out += '\\';
                        break;
                    case '/':
                        out += '/';
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'u': {
                        unsigned cp = Hex4();
                        if (cp >= 0xD800 && cp <= 0xDBFF) {
                            if (!Literal("\\u")) Fail("unpaired surrogate");
                            const unsigned low = Hex4();
                            if (low < 0xDC00 || low > 0xDFFF) Fail("unpaired surrogate");
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                            Fail("unpaired surrogate");
                        }
                        AppendUtf8(out, cp);
                        break;
                    }
                    default:
                        --m_pos;
                        Fail("unknown escape");
                }
                continue;
            }
            const std::size_t n = Utf8Length();
            if (n == 0) Fail("text is not UTF-8");
            out.append(m_text.substr(m_pos, n));
            m_pos += n;
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    std::size_t m_lineStart = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text, JsonError* error) {
    JsonReader reader(text);
    try {
        return reader.ReadDocument();
    } catch (const JsonFailure& failure) {
        if (error) {
            const auto [line, column] = reader.Place(failure.at);
            *error = {line, column, failure.message};
        }
        return std::nullopt;
    }
}

}  // namespace tavrel
