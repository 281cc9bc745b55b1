#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/NumberFormat.h"
#include "platform/Rounding.h"
#include "platform/TextCodec.h"

namespace tavrel {
namespace {

TEST(FormatG, WritesTenSignificantDigitsWithWindowsExponents) {
    EXPECT_EQ(FormatG(0.00001, 10), "1E-005");
    EXPECT_EQ(FormatG(2.5, 10), "2.5");
    EXPECT_EQ(FormatG(1e10 + 1, 10), "1E+010");
    EXPECT_EQ(FormatG(1.0 / 3.0, 10), "0.3333333333");
    EXPECT_EQ(FormatG(1234567891234.0, 10), "1.234567891E+012");
    EXPECT_EQ(FormatG(0.0001, 10), "0.0001");
    EXPECT_EQ(FormatG(123456789.0, 10), "123456789");
    EXPECT_EQ(FormatG(9999999999.5, 10), "1E+010");
    EXPECT_EQ(FormatG(-0.5, 10), "-0.5");
    EXPECT_EQ(FormatG(0.0, 10), "0");
    EXPECT_EQ(FormatG(-0.0, 10), "-0");
    EXPECT_EQ(FormatG(1e-300, 10), "1E-300");
    EXPECT_EQ(FormatG(std::numeric_limits<double>::infinity(), 10), "INF");
    EXPECT_EQ(FormatG(-std::numeric_limits<double>::infinity(), 10), "-INF");
    EXPECT_EQ(FormatG(std::nan(""), 10), "NAN");
}

TEST(FormatG, TwoDigitScaleLabels) {
    EXPECT_EQ(FormatG(0.25, 2), "0.25");
    EXPECT_EQ(FormatG(1.0, 2), "1");
    EXPECT_EQ(FormatG(2.5, 2), "2.5");
    EXPECT_EQ(FormatG(250.0, 2), "2.5E+002");
    EXPECT_EQ(FormatG(50.0, 2), "50");
    EXPECT_EQ(FormatG(0.00025, 2), "0.00025");
    EXPECT_EQ(FormatG(0.000025, 2), "2.5E-005");
}

TEST(Rounding, AddsHalfAndTruncatesTowardZero) {
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(2.4999), 2);
    EXPECT_EQ(RoundToInt(-0.4), 0);   // -0.4 + 0.5 = 0.1
    EXPECT_EQ(RoundToInt(-1.2), 0);   // -0.7 truncates to 0
    EXPECT_EQ(RoundToInt(-1.6), -1);  // -1.1 truncates to -1
}

TEST(Rounding, SaturatesOnValuesNoIntCanHold) {
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
    EXPECT_EQ(RoundToInt(std::numeric_limits<double>::infinity()), 2147483647);
    EXPECT_EQ(RoundToInt(-std::numeric_limits<double>::infinity()), -2147483647 - 1);
    EXPECT_EQ(RoundToInt(1e300), 2147483647);
    EXPECT_EQ(TruncToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(SaturateToInt(1LL << 40), 2147483647);
}

TEST(Rounding, MillisecondsAndSamples) {
    EXPECT_EQ(MsToSample(2000, 100), 200);
    EXPECT_EQ(SampleToMs(2000, 3), 2);  // 1.5 ms rounds up
    EXPECT_EQ(SampleToMs(3000, 4), 1);  // 1.333 ms
    EXPECT_EQ(SampleToMs(0, 100), 0);
}

TEST(TextCodec, ShiftJisRoundTrip) {
    const std::string text = "ｷｬﾝｾﾙ 処理済～データ.csv";
    auto cp932 = Utf8ToCp932(text);
    ASSERT_TRUE(cp932);
    EXPECT_EQ(Cp932ToUtf8(*cp932), text);
    EXPECT_EQ((*Utf8ToCp932("ｷ")).size(), 1u);  // half-width katakana is one byte
    EXPECT_FALSE(Utf8ToCp932("😀"));
    EXPECT_EQ(Utf8ToCp932Lossy("a😀b"), "a?b");
}

// Bytes read from a document are written back as they stand, whatever they are: characters with a
// second code (written back with the other one) and bytes that are no character are escaped, also
// where an escape meets a byte that would pair with it.
TEST(TextCodec, AnyBytesAreWrittenBackAsTheyStand) {
    for (std::string_view bytes :
         {"e\xee\xee\xee\xee\xee\x72,", "\xee\xfa", "\x87\x90", "\xed\x40\xed", "\xee\xef\x81",
          "\x81\xe0\xfa\x55\x87\x54\xff\x80"}) {
        const std::string text = Cp932ToUtf8(bytes);
        EXPECT_EQ(Utf8ToCp932(text), std::string(bytes)) << text;
        EXPECT_EQ(Cp932ToUtf8(*Utf8ToCp932(text)), text);
    }
    // The codes a character is written with decode to it; their twins are kept as bytes.
    EXPECT_EQ(Cp932ToUtf8("\x81\xe0\xfa\x55\x87\x54"), "≒￤Ⅰ");
    EXPECT_EQ(Cp932ToUtf8("\xee\xfa"), "\xed\xb3\xae\xed\xb3\xba");  // U+DCEE U+DCFA
}

}  // namespace
}  // namespace tavrel
