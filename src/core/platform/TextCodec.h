// Text conversion between the program's UTF-8 and the Shift-JIS code page (CP932) of the
// document file and the export file.
//
// Bytes that are not valid CP932 are carried through UTF-8 as the code points U+DC80..U+DCFF (one
// per byte, the "surrogate escape" scheme), so any byte string read from a document is written
// back byte-exact. So is the first byte of a character that CP932 would write back with its other
// code (the NEC selection of IBM extensions, a few NEC symbols).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

std::string Cp932ToUtf8(std::string_view cp932);

// CP932 bytes of a UTF-8 text; nothing when the text holds a character CP932 cannot represent or
// is not valid UTF-8.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// CP932 bytes where possible; unrepresentable characters become '?'. For texts that must be
// written in CP932 whatever they hold (the export file).
std::string Utf8ToCp932Lossy(std::string_view utf8);

// Appends the UTF-8 bytes of one code point (surrogate code points included, as the escape scheme
// needs them).
void AppendUtf8(std::string& out, char32_t cp);

// UTF-16 (as little-endian code units) to and from UTF-8; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace tavrel
