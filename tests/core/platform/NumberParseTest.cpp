// Reading numbers as atof does in the C locale, whatever the process locale.
#include "platform/NumberParse.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace tavrel {
namespace {

double Parse(const std::string& text) {
    return ParseNumber(text);
}
std::size_t Used(const std::string& text) {
    return static_cast<std::size_t>(ParseNumberPrefix(text.data(), text.data() + text.size()).end -
                                    text.data());
}

TEST(NumberParse, DecimalPrefixAndWhatFollowsIt) {
    EXPECT_EQ(Parse("1.5"), 1.5);
    EXPECT_EQ(Parse("-2.25e2"), -225.0);
    EXPECT_EQ(Parse("+3"), 3.0);
    EXPECT_EQ(Parse(".5"), 0.5);
    EXPECT_EQ(Parse("5."), 5.0);
    EXPECT_EQ(Parse("-.5E-1"), -0.05);
    EXPECT_EQ(Parse("12abc"), 12.0);
    EXPECT_EQ(Used("12abc"), 2u);
    // An exponent without digits is not part of the number.
    EXPECT_EQ(Parse("3e"), 3.0);
    EXPECT_EQ(Used("3e+"), 1u);
    EXPECT_EQ(Parse("1.5.5"), 1.5);
    EXPECT_EQ(Parse("0.1"), 0.1);  // correctly rounded
    EXPECT_EQ(Parse("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(NumberParse, LeadingWhiteSpaceOfTheCLocale) {
    EXPECT_EQ(Parse(" \t\n\v\f\r7"), 7.0);
    EXPECT_EQ(Used("  7"), 3u);
    // Non-breaking space and other bytes are not white space.
    EXPECT_EQ(Parse("\xC2\xA0"
                    "7"),
              0.0);
}

TEST(NumberParse, TextsWithoutDecimalNumberGiveZero) {
    for (const char* text : {"", " ", "abc", "-", "+", ".", "-.", "+-1", "--1", "- 1", "\"1\"",
                             "e5", "inf", "-inf", "INFINITY", "nan", "NaN(1)"}) {
        EXPECT_EQ(Parse(text), 0.0) << text;
        EXPECT_EQ(Used(text), 0u) << text;
    }
    // Hexadecimal notation reads only its decimal prefix.
    EXPECT_EQ(Parse("0x1p3"), 0.0);
    EXPECT_EQ(Used("0x1p3"), 1u);
    EXPECT_EQ(Parse("0x10"), 0.0);
    EXPECT_EQ(Parse("1x10"), 1.0);
}

TEST(NumberParse, OutOfRangeValuesSaturateLikeAtof) {
    EXPECT_EQ(Parse("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Parse("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Parse("123456789e301"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Parse("0.000001e-320"), 0.0);
    EXPECT_TRUE(std::signbit(Parse("-1e-999")));
    EXPECT_EQ(Parse("1e-999"), 0.0);
    EXPECT_EQ(Parse("0e99999999999999999999"), 0.0);
    EXPECT_EQ(Parse("1e99999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Parse("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(Parse("100000e-310"), 1e-305);
    EXPECT_EQ(Used("1e999,5"), 5u);
}

TEST(NumberParse, AgreesWithAtofInTheCLocale) {
    // atof in the C locale is the reference; the texts cover the accepted forms.
    std::setlocale(LC_ALL, "C");
    for (const char* text : {"0", "-0", "42", "  -17.125xyz", "6.02214076e23", "1e-5", "9.99e-310",
                             "123456789012345678901234567890", "0.30000000000000004", "7.E2",
                             "+.25e+1", "2.5e-3.7", "0000.0001", "1,5"}) {
        double expected = std::atof(text);
        double got = Parse(text);
        EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text << " " << got;
    }
}

TEST(NumberParse, ShortDecimalsReadExactlyAsStrtodReadsThem) {
    // Data files hold short decimals, read by a quick path; every form near its limits (19
    // significant digits, 2^53, exponents of +-22, leading zeros, signs, exponents without
    // digits) must give strtod's double bit for bit and end where strtod ends.
    std::setlocale(LC_ALL, "C");
    std::srand(12345);
    const char* mantissas[] = {"0",
                               "-0",
                               "1",
                               "9007199254740992",
                               "9007199254740993",
                               "1234567890123456789",
                               "12345678901234567890",
                               "0.1",
                               "-.5",
                               "000000000000000000000000123",
                               "3.14159265358979323846",
                               "0.0000000000000000000000012",
                               "1.",
                               "+7.25",
                               "99999999999999999"};
    const char* exponents[] = {"",    "e0", "E+22", "e22", "e23",        "e-22",        "E-23",
                               "e-5", "e+", "e",    "E-",  "e999999999", "e-999999999", "E010"};
    auto check = [](const std::string& text) {
        char* strtodEnd = nullptr;
        const double expected = std::strtod(text.c_str(), &strtodEnd);
        auto agrees = [&](const ParsedNumber& got, const char* begin, const char* how) {
            EXPECT_EQ(std::memcmp(&expected, &got.value, sizeof expected), 0) << how << " " << text;
            EXPECT_EQ(got.end - begin, strtodEnd - text.c_str()) << how << " " << text;
        };
        agrees(ParseNumberPrefix(text.data(), text.data() + text.size()), text.data(), "alone");
        // The same text inside a larger buffer, as a cell of a line: the readings that look ahead
        // eight or sixteen bytes at a time must stop at the text's end even when digits follow.
        for (const char* after :
             {",1234567890,-0.5,2,3,4,5,6,7,8,9", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n",
              "12345678901234567890123456789012", "7,1234567890,-0.5,2,3,4,5,6"}) {
            const std::string buffer = text + after;
            const char* begin = buffer.data();
            const char* end = begin + text.size();
            const char* readable = begin + buffer.size();
            agrees(ParseNumberPrefix(begin, end, readable), begin, "look-ahead");
#if TAVREL_HAVE_SSSE3_READING
            ParsedNumber plain{};
            if (number_parse::HasSsse3() && number_parse::ReadPlainDecimalSsse3(begin, end, plain))
                agrees(plain, begin, "vector");
#endif
        }
    };
    for (const char* m : mantissas)
        for (const char* e : exponents) {
            check(std::string(m) + e + ",9");
            check(std::string(m) + e);
        }
    // The vector reading's limits: sixteen bytes after the sign, 16 digits, 2^53.
    for (const char* text : {"123456789012345",
                             "12345678901234.5",
                             "1234567.89012345",
                             "1.23456789012345",
                             "1.234567890123456",
                             "-0.00000000000001",
                             "9007199254740993.",
                             "0.9007199254740993",
                             "123.",
                             "-7",
                             "5E",
                             "5e-3",
                             "0000000000000000",
                             "12345678",
                             "-1234567.8",
                             "",
                             "-",
                             ".",
                             "1.5.5",
                             "12..5",
                             ".5",
                             "-.5",
                             "1.2e",
                             "+1.5",
                             " 1.5",
                             "1.5 ",
                             "123456789012.34"})
        check(text);
    for (int i = 0; i < 20000; ++i) {
        // Random decimals in the export's "%0.10G" shapes and beyond.
        std::string text = std::rand() % 2 ? "-" : "";
        const int whole = std::rand() % 12;
        for (int d = 0; d < whole; ++d)
            text += static_cast<char>('0' + std::rand() % 10);
        if (std::rand() % 2) {
            text += '.';
            const int fraction = std::rand() % 14;
            for (int d = 0; d < fraction; ++d)
                text += static_cast<char>('0' + std::rand() % 10);
        }
        if (std::rand() % 3 == 0) text += "E" + std::to_string(std::rand() % 61 - 30);
        check(text);
    }
}

}  // namespace
}  // namespace tavrel
