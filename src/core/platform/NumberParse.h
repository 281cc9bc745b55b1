// Locale-independent reading of a number from text in the manner of the C library's atof in the
// C locale: the value of the longest decimal prefix, or 0.0 when there is none.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace tavrel {

// The result of reading one number: its value and where the decimal prefix ended (`end` equals
// `begin` when the text holds no number).
struct ParsedNumber {
    double value;
    const char* end;
};

// Reads [begin, end) as atof does in the C locale, independently of the process locale:
//   - leading white space of the C locale is skipped (space, tab, LF, VT, FF, CR);
//   - then an optional sign ('+' or '-'), digits with an optional fraction (at least one digit
//     in all), and an optional exponent ('e' or 'E', an optional sign, at least one digit; an
//     exponent without digits is not part of the number);
//   - the value is correctly rounded; a value too large for a double gives an infinity of the
//     number's sign, one too small gives a zero of its sign;
//   - "inf", "nan" and hexadecimal notation are not decimal: "inf" gives 0.0 and "0x1p3" reads
//     its decimal prefix "0".
// Text without such a prefix gives 0.0.
inline ParsedNumber ParseNumberPrefix(const char* begin, const char* end);

// The same reading of [begin, end) for a caller whose memory continues after `end`: the bytes up
// to `readable` (at or after `end`) may be looked at, which lets the quick reading take eight
// bytes at a time up to the end of the text. They never become part of the number.
inline ParsedNumber ParseNumberPrefix(const char* begin, const char* end, const char* readable);

// The value alone.
inline double ParseNumber(const char* begin, const char* end) {
    return ParseNumberPrefix(begin, end).value;
}
inline double ParseNumber(std::string_view text) {
    return ParseNumberPrefix(text.data(), text.data() + text.size()).value;
}

// The full reading, for every form of text. ParseNumberPrefix hands it what its quick reading of
// short decimals does not take.
ParsedNumber ParseAnyNumberPrefix(const char* begin, const char* end);

namespace number_parse {

// The data file holds hundreds of thousands of short decimals ("-1.234567891", "2.5E-005"), so
// their reading is inline in the reader's loop and looks at eight bytes at a time.

inline bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

constexpr int kMaxMantissaDigits = 19;  // any 19 digits fit in 64 bits
constexpr int kMaxExactPower = 22;      // 10^22 is the largest power of ten a double holds
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// The divisors of the plain decimals: 10^f for a positive number, -10^f for a negative one (the
// sign comes with the one division, without a branch: data alternate between signs at random).
inline constexpr double kSignedPowersOfTen[2][16] = {
    {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15},
    {-1e0, -1e1, -1e2, -1e3, -1e4, -1e5, -1e6, -1e7, -1e8, -1e9, -1e10, -1e11, -1e12, -1e13, -1e14,
     -1e15}};
inline constexpr std::uint64_t kIntegerPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                                        100000, 1000000, 10000000, 100000000};

// The value of eight digits held one per byte (first digit in the lowest byte), each already
// reduced to 0-9: three multiplications instead of eight dependent steps.
inline std::uint64_t EightDigitsValue(std::uint64_t digits) {
    constexpr std::uint64_t kMask = 0x000000FF000000FF;
    constexpr std::uint64_t kMul1 = 100 + (1000000ULL << 32);
    constexpr std::uint64_t kMul2 = 1 + (10000ULL << 32);
    digits = digits * 10 + (digits >> 8);
    return (((digits & kMask) * kMul1) + (((digits >> 16) & kMask) * kMul2)) >> 32;
}

// Reads the run of digits at `p` (ending at `end` at the latest) onto `mantissa` (mantissa * 10^n
// + run) and adds its length to `count`; returns the end of the run. Once `count` passes
// kMaxMantissaDigits the mantissa is no longer meaningful (the caller then hands the text to the
// full reading). Eight bytes are looked at a time while eight remain before `readable`.
inline const char* ReadDigitRun(const char* p, const char* end, const char* readable,
                                std::uint64_t& mantissa, int& count) {
    if constexpr (std::endian::native == std::endian::little) {
        while (readable - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // Bytes of a digit become 0-9; the first other byte becomes 10 or more (a borrow
            // only ever reaches the bytes after it, which are not used).
            const std::uint64_t reduced = word - 0x3030303030303030ULL;
            const std::uint64_t other =
                ((reduced + 0x7676767676767676ULL) | reduced) & 0x8080808080808080ULL;
            int n = other ? std::countr_zero(other) >> 3 : 8;
            if (end - p < n) n = static_cast<int>(end - p);
            if (n <= 0) return p;
            count += n;
            if (count > kMaxMantissaDigits) return p + n;
            // Shifting the n digits to the top puts zeros (leading zero digits) below them.
            mantissa =
                mantissa * kIntegerPowersOfTen[n] + EightDigitsValue(reduced << (64 - 8 * n));
            p += n;
            if (n < 8) return p;
        }
    }
    for (; p < end && IsDigit(*p); ++p) {
        if (++count <= kMaxMantissaDigits)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    return p;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAVREL_HAVE_SSSE3_READING 1

// Whether the processor has SSSE3 (Intel's since 2006, AMD's since 2011), which the vector
// reading of plain decimals below needs; without it ParseNumberPrefix reads every cell.
inline bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// For w whole digits and f fraction digits (w + f <= 15) after the sign, the byte shuffle that
// lines the w + f digits up at the end of sixteen bytes (the point left out, zeros before them).
struct DigitShuffles {
    alignas(16) unsigned char masks[16][16][16];
};
inline constexpr DigitShuffles kDigitShuffles = [] {
    DigitShuffles table{};
    for (int w = 0; w < 16; ++w) {
        for (int f = 0; f < 16; ++f) {
            for (int i = 0; i < 16; ++i)
                table.masks[w][f][i] = 0x80;  // a zero byte
            const int total = w + f;
            if (total > 15) continue;  // no such number fits in the sixteen bytes read
            for (int j = 0; j < total; ++j)
                table.masks[w][f][16 - total + j] = static_cast<unsigned char>(j < w ? j : j + 1);
        }
    }
    return table;
}();

// A cell [begin, end) that holds nothing but a plain decimal (an optional '-', digits, an
// optional point and fraction, fifteen bytes at most after the sign), read with 16-byte vector
// operations: the digits are found with one comparison, lined up with one shuffle and converted
// with three multiply-adds. Needs HasSsse3() and 17 bytes from `begin` that can be looked at
// (`begin` may equal `end`). Returns false (leaving `result` alone) for any other cell.
__attribute__((target("ssse3"))) inline bool ReadPlainDecimalSsse3(const char* begin,
                                                                   const char* end,
                                                                   ParsedNumber& result) {
    const bool negative = *begin == '-';
    const char* p = begin + negative;
    // The cell after its sign: 1 to 15 bytes, each a digit or a point, the first a digit, at
    // most one point. Anything else (an exponent, other text, more bytes) is left to the full
    // reading.
    const std::ptrdiff_t length = end - p;
    if (length < 1 || length > 15) return false;
    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    // A byte is a digit when subtracting '0' left it at 9 or below.
    const unsigned digitMask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits)));
    const unsigned pointMask =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8('.'))));
    const unsigned cellMask = (1u << length) - 1;
    const unsigned points = pointMask & cellMask;
    if (((digitMask | points) & cellMask) != cellMask || (points & (points - 1)) != 0 ||
        (digitMask & 1u) == 0)
        return false;
    // The point's place, or the cell's end when it has none.
    const int whole = std::countr_zero(points | (1u << length));
    const int fraction = static_cast<int>(length) - whole - (whole < length);
    __m128i lined = _mm_shuffle_epi8(
        digits,
        _mm_load_si128(reinterpret_cast<const __m128i*>(kDigitShuffles.masks[whole][fraction])));
    lined = _mm_maddubs_epi16(
        lined, _mm_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1));  // 2 digits
    lined = _mm_madd_epi16(lined, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));      // 4 digits
    lined = _mm_packs_epi32(lined, lined);
    lined = _mm_madd_epi16(lined, _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
    const auto halves = static_cast<std::uint64_t>(_mm_cvtsi128_si64(lined));  // 8 digits each
    // At most fifteen digits: the mantissa is below 2^53, a double holds it exactly.
    const std::uint64_t mantissa = (halves & 0xFFFFFFFFu) * 100000000u + (halves >> 32);
    result = {static_cast<double>(mantissa) / kSignedPowersOfTen[negative][fraction], end};
    return true;
}
#endif

}  // namespace number_parse

// The quick reading takes an optional '-', digits (at most 19, leading zeros included) with an
// optional fraction and an optional exponent. When the digits form an integer a double holds
// exactly (at most 2^53) and the decimal exponent is within +-22, the value is that integer times
// or divided by an exact power of ten: one correctly rounded operation, so the result is the
// correctly rounded value of the text, as the full reading gives it. Anything else (white space,
// '+', no digit, more digits, larger exponents) goes to the full reading.
inline ParsedNumber ParseNumberPrefix(const char* begin, const char* end) {
    return ParseNumberPrefix(begin, end, end);
}

inline ParsedNumber ParseNumberPrefix(const char* begin, const char* end, const char* readable) {
    using namespace number_parse;
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    p += negative;
    std::uint64_t mantissa = 0;
    int count = 0;
    p = ReadDigitRun(p, end, readable, mantissa, count);
    int exponent = 0;
    if (p < end && *p == '.') {
        const int whole = count;
        p = ReadDigitRun(p + 1, end, readable, mantissa, count);
        exponent = whole - count;
    }
    if (count == 0 || count > kMaxMantissaDigits || mantissa > kMaxExactMantissa)
        return ParseAnyNumberPrefix(begin, end);
    if (p < end && ((*p | 0x20) == 'e')) {
        const char* e = p + 1;
        const bool negativeExponent = e < end && *e == '-';
        if (e < end && (*e == '+' || *e == '-')) ++e;
        if (e < end && IsDigit(*e)) {
            int written = 0;
            for (; e < end && IsDigit(*e); ++e) {
                // Saturate far outside the quick range; the remaining digits still belong to
                // the number.
                if (written < 100000) written = written * 10 + (*e - '0');
            }
            exponent += negativeExponent ? -written : written;
            p = e;
        }
    }
    double value = static_cast<double>(mantissa);
    if (exponent < 0) {
        if (exponent < -kMaxExactPower && mantissa != 0) return ParseAnyNumberPrefix(begin, end);
        if (mantissa != 0) value /= kExactPowersOfTen[-exponent];
    } else if (exponent > 0) {
        if (exponent > kMaxExactPower && mantissa != 0) return ParseAnyNumberPrefix(begin, end);
        if (mantissa != 0) value *= kExactPowersOfTen[exponent];
    }
    // The sign goes on without a branch: data alternate between signs at random.
    const std::uint64_t bits =
        std::bit_cast<std::uint64_t>(value) | (static_cast<std::uint64_t>(negative) << 63);
    return {std::bit_cast<double>(bits), p};
}

}  // namespace tavrel
