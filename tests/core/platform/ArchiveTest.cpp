#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrel {
namespace {

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(Archive, PrimitivesAreLittleEndian) {
    Archive ar;
    ar.WriteWord(0x1234);
    ar.WriteInt(-2);
    ar.WriteDouble(1.0);
    EXPECT_EQ(Hex(ar.Bytes()), "34 12 FE FF FF FF 00 00 00 00 00 00 F0 3F");

    Archive in(ar.Bytes());
    EXPECT_EQ(in.ReadWord(), 0x1234);
    EXPECT_EQ(in.ReadInt(), -2);
    EXPECT_EQ(in.ReadDouble(), 1.0);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(Archive, DoublesKeepEveryBitIncludingNaNAndNegativeZero) {
    Archive ar;
    ar.WriteDouble(-0.0);
    ar.WriteDouble(std::numeric_limits<double>::infinity());
    ar.WriteDouble(std::numeric_limits<double>::quiet_NaN());
    Archive in(ar.Bytes());
    double z = in.ReadDouble();
    EXPECT_EQ(z, 0.0);
    EXPECT_TRUE(std::signbit(z));
    EXPECT_TRUE(std::isinf(in.ReadDouble()));
    EXPECT_TRUE(std::isnan(in.ReadDouble()));
}

TEST(Archive, CountsUseTheShortAndTheLongForm) {
    Archive ar;
    ar.WriteCount(16);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(70000);
    EXPECT_EQ(Hex(ar.Bytes()), "10 00 FE FF FF FF FF FF 00 00 FF FF 70 11 01 00");
    Archive in(ar.Bytes());
    EXPECT_EQ(in.ReadCount(), 16u);
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
    EXPECT_EQ(in.ReadCount(), 70000u);
}

TEST(Archive, StringLengthPrefixesHaveThreeForms) {
    Archive ar;
    ar.WriteString(std::string(254, 'a'));
    ar.WriteString(std::string(300, 'b'));
    ar.WriteString(std::string(70000, 'c'));
    const std::string& b = ar.Bytes();
    EXPECT_EQ(static_cast<unsigned char>(b[0]), 254);
    EXPECT_EQ(Hex(b.substr(255, 3)), "FF 2C 01");
    EXPECT_EQ(Hex(b.substr(255 + 3 + 300, 7)), "FF FF FF 70 11 01 00");

    Archive in(b);
    EXPECT_EQ(in.ReadString(), std::string(254, 'a'));
    EXPECT_EQ(in.ReadString(), std::string(300, 'b'));
    EXPECT_EQ(in.ReadString(), std::string(70000, 'c'));
}

TEST(Archive, StringsAreStoredInShiftJis) {
    Archive ar;
    ar.WriteString("低域通過フィルタ");
    // 8 double-byte characters.
    EXPECT_EQ(Hex(ar.Bytes().substr(0, 3)), "10 92 E1");
    Archive in(ar.Bytes());
    EXPECT_EQ(in.ReadString(), "低域通過フィルタ");
}

TEST(Archive, TextWithoutShiftJisFormUsesTheUtf16FormAndRoundTrips) {
    const std::string text = "données/Ελληνικά/😀.csv";
    Archive ar;
    ar.WriteString(text);
    EXPECT_EQ(Hex(ar.Bytes().substr(0, 3)), "FF FE FF");
    Archive in(ar.Bytes());
    EXPECT_EQ(in.ReadString(), text);
}

TEST(Archive, InvalidShiftJisBytesRoundTripByteExact) {
    // A lead byte without its trail byte, and bytes that are not characters in CP932.
    const std::string raw = std::string("ab\x81", 3) + "\xA0\xFD\xFE\xFF" + "z";
    Archive ar;
    ar.WriteByte(static_cast<std::uint8_t>(raw.size()));
    ar.WriteBytes(raw);
    Archive in(ar.Bytes());
    std::string text = in.ReadString();
    Archive again;
    again.WriteString(text);
    EXPECT_EQ(again.Bytes(), ar.Bytes());
}

TEST(Archive, ReadingPastTheEndThrows) {
    Archive in(
        std::string_view("\x05"
                         "abc",
                         4));
    EXPECT_THROW(in.ReadString(), ArchiveError);
    Archive huge(std::string_view("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7));
    EXPECT_THROW(huge.ReadString(), ArchiveError);
    Archive word(std::string_view("\x01", 1));
    EXPECT_THROW(word.ReadWord(), ArchiveError);
}

TEST(Archive, ClassesAndObjectsShareOneIndexCounter) {
    int a, b, c;
    Archive ar;
    ar.WriteClassTag("CHeadFilter", 1);  // index 1
    ar.MapStoredObject(&a);              // index 2
    ar.WriteClassTag("CHeadFilter", 1);  // known class
    ar.MapStoredObject(&b);              // index 3
    ar.WriteClassTag("CLPFilter", 1);    // index 4
    ar.MapStoredObject(&c);              // index 5
    EXPECT_TRUE(ar.WriteObjectReference(&b));
    EXPECT_FALSE(ar.WriteObjectReference(nullptr));
    EXPECT_EQ(Hex(ar.Bytes()),
              "FF FF 01 00 0B 00 43 48 65 61 64 46 69 6C 74 65 72 01 80 "
              "FF FF 01 00 09 00 43 4C 50 46 69 6C 74 65 72 03 00");

    Archive in(ar.Bytes());
    Archive::Tag t = in.ReadTag();
    EXPECT_EQ(t.kind, Archive::Tag::Kind::NewObject);
    EXPECT_EQ(t.className, "CHeadFilter");
    in.MapLoadedObject(&a);
    t = in.ReadTag();
    EXPECT_EQ(t.className, "CHeadFilter");
    in.MapLoadedObject(&b);
    t = in.ReadTag();
    EXPECT_EQ(t.className, "CLPFilter");
    in.MapLoadedObject(&c);
    t = in.ReadTag();
    EXPECT_EQ(t.kind, Archive::Tag::Kind::ObjectReference);
    EXPECT_EQ(in.LoadedObject(t.objectIndex), &b);
}

TEST(Archive, LargeIndexFormsAreRead) {
    // 0x7FFF followed by a 32-bit value: a class index with the top bit set, else an object.
    Archive ar;
    ar.WriteClassTag("CModBase", 1);  // index 1
    int object;
    ar.MapStoredObject(&object);  // index 2
    ar.WriteWord(0x7FFF);
    ar.WriteDWord(0x80000001u);
    ar.WriteWord(0x7FFF);
    ar.WriteDWord(2);
    ar.WriteWord(0x7FFF);
    ar.WriteDWord(0);
    Archive in(ar.Bytes());
    in.ReadTag();
    in.MapLoadedObject(&object);
    Archive::Tag t = in.ReadTag();
    EXPECT_EQ(t.kind, Archive::Tag::Kind::NewObject);
    EXPECT_EQ(t.className, "CModBase");
    t = in.ReadTag();
    EXPECT_EQ(t.kind, Archive::Tag::Kind::ObjectReference);
    EXPECT_EQ(t.objectIndex, 2u);
    EXPECT_EQ(in.ReadTag().kind, Archive::Tag::Kind::Null);
}

TEST(Archive, ReferencesToIndicesNotYetSeenAreRefused) {
    EXPECT_THROW(Archive(std::string_view("\x01\x80", 2)).ReadTag(), ArchiveError);
    EXPECT_THROW(Archive(std::string_view("\x01\x00", 2)).ReadTag(), ArchiveError);
    EXPECT_THROW(Archive(std::string_view("\xFF\x7F\x05\x00\x00\x80", 6)).ReadTag(), ArchiveError);
    // An object index that names a class, and a class index that names an object.
    Archive in(std::string_view("\xFF\xFF\x01\x00\x01\x00X\x01\x00", 9));
    in.ReadTag();
    EXPECT_THROW(in.ReadTag(), ArchiveError);
}

TEST(Archive, ClassNamesOfAbsurdLengthAreRefused) {
    EXPECT_THROW(Archive(std::string_view("\xFF\xFF\x01\x00\x00\x00", 6)).ReadTag(), ArchiveError);
    EXPECT_THROW(Archive(std::string_view("\xFF\xFF\x01\x00\xFF\x7F", 6)).ReadTag(), ArchiveError);
}

}  // namespace
}  // namespace tavrel
