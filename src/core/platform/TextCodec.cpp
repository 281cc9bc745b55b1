#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace tavrel {

namespace {

// One iconv conversion descriptor per direction and thread, opened on first use.
class Converter {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as possible, appending to `out`. Returns the number of input bytes
    // consumed; stops at the first byte sequence that cannot be converted.
    size_t Convert(std::string_view in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - srcLeft;
    }

  private:
    iconv_t m_cd;
};

Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

// Decodes one UTF-8 sequence at `i`, advancing it; U+FFFD for an invalid sequence. Surrogate code
// points are decoded as they stand (the escape scheme relies on them).
char32_t NextCodePoint(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = b0 >= 0xF0 && b0 < 0xF5 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}

bool IsEscape(char32_t cp) {
    return cp >= 0xDC80 && cp <= 0xDCFF;
}

std::optional<std::string> EncodeCp932(std::string_view utf8, bool lossy) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        // A run of characters without escapes goes through iconv at once.
        size_t runStart = i;
        size_t runEnd = i;
        while (runEnd < utf8.size()) {
            size_t k = runEnd;
            char32_t cp = NextCodePoint(utf8, k);
            if (IsEscape(cp)) break;
            runEnd = k;
        }
        if (runEnd > runStart) {
            std::string_view run = utf8.substr(runStart, runEnd - runStart);
            size_t done = ToCp932().Valid() ? ToCp932().Convert(run, out) : 0;
            if (done < run.size()) {
                if (!lossy) return std::nullopt;
                // Replace the character that failed and go on after it.
                size_t k = runStart + done;
                NextCodePoint(utf8, k);
                out += '?';
                i = k;
                continue;
            }
            i = runEnd;
        }
        if (i < utf8.size()) {
            size_t k = i;
            char32_t cp = NextCodePoint(utf8, k);
            if (IsEscape(cp)) {
                out += static_cast<char>(cp - 0xDC00);
                i = k;
            }
        }
    }
    return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Whether `utf8` is written back in CP932 as exactly `bytes`.
bool WritesBack(std::string_view utf8, std::string_view bytes) {
    std::string back;
    return ToCp932().Convert(utf8, back) == utf8.size() && back == bytes;
}

// Decodes `run`, valid CP932, one character at a time. Some characters have two codes (the NEC
// selection of IBM extensions, a few NEC symbols) and are written back with the other one: the
// first byte of such a character is kept as an escape, so that the bytes are written back as
// they stand.
void DecodeEachExactly(std::string_view run, std::string& out) {
    size_t i = 0;
    while (i < run.size()) {
        const auto lead = static_cast<unsigned char>(run[i]);
        const bool pair = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        const std::string_view bytes = run.substr(i, pair ? 2 : 1);
        std::string one;
        if (ToUtf8().Convert(bytes, one) == bytes.size() && WritesBack(one, bytes)) {
            out += one;
            i += bytes.size();
        } else {
            AppendUtf8(out, 0xDC00 + lead);
            ++i;
        }
    }
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    size_t i = 0;
    while (i < cp932.size()) {
        const size_t mark = out.size();
        const size_t done = ToUtf8().Valid() ? ToUtf8().Convert(cp932.substr(i), out) : 0;
        const std::string_view run = cp932.substr(i, done);
        if (done > 0 && !WritesBack(std::string_view(out).substr(mark), run)) {
            out.resize(mark);
            DecodeEachExactly(run, out);
        }
        i += done;
        if (i < cp932.size()) {
            // A byte that does not start a valid CP932 character is kept as an escape.
            AppendUtf8(out, 0xDC00 + static_cast<unsigned char>(cp932[i]));
            ++i;
        }
    }
    return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    return EncodeCp932(utf8, false);
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
    return *EncodeCp932(utf8, true);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace tavrel
