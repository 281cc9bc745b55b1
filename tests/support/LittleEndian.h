// The bytes of stored fields as the document file holds them (little-endian), for tests that
// compare module records byte for byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace tavrel::test {

inline std::string Le32(std::int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

inline std::string Le64(double d) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, 8);
    std::string s(8, '\0');
    for (int i = 0; i < 8; ++i)
        s[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace tavrel::test
