#include "platform/Archive.h"

#include <bit>
#include <cstring>

#include "platform/TextCodec.h"

namespace tavrel {

namespace {
constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
// Class names are identifiers; anything longer is not a class this program knows.
constexpr std::uint16_t kMaxClassName = 64;
}  // namespace

Archive::Archive() : m_storing(true) {}

Archive::Archive(std::string_view bytes) : m_storing(false), m_in(bytes) {
    m_loaded.emplace_back();
}

void Archive::Fail(ArchiveError::Kind kind, const char* what) const {
    throw ArchiveError(kind, what);
}

void Archive::Need(std::size_t n) const {
    if (n > Remaining()) Fail(ArchiveError::Kind::EndOfFile, "unexpected end of file");
}

void Archive::WriteByte(std::uint8_t v) {
    m_out += static_cast<char>(v);
}

void Archive::WriteWord(std::uint16_t v) {
    WriteByte(static_cast<std::uint8_t>(v));
    WriteByte(static_cast<std::uint8_t>(v >> 8));
}

void Archive::WriteDWord(std::uint32_t v) {
    WriteWord(static_cast<std::uint16_t>(v));
    WriteWord(static_cast<std::uint16_t>(v >> 16));
}

void Archive::WriteDouble(double v) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    WriteDWord(static_cast<std::uint32_t>(bits));
    WriteDWord(static_cast<std::uint32_t>(bits >> 32));
}

void Archive::WriteCount(std::uint64_t count) {
    if (count < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(count));
        return;
    }
    WriteWord(0xFFFF);
    if (count < 0xFFFFFFFFu) {
        WriteDWord(static_cast<std::uint32_t>(count));
        return;
    }
    WriteDWord(0xFFFFFFFFu);
    WriteDWord(static_cast<std::uint32_t>(count));
    WriteDWord(static_cast<std::uint32_t>(count >> 32));
}

namespace {
void WriteLengthPrefix(Archive& ar, std::uint64_t length) {
    if (length < 255) {
        ar.WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        ar.WriteByte(0xFF);
        ar.WriteWord(static_cast<std::uint16_t>(length));
    } else {
        ar.WriteByte(0xFF);
        ar.WriteWord(0xFFFF);
        ar.WriteDWord(static_cast<std::uint32_t>(length));
    }
}
}  // namespace

void Archive::WriteString(std::string_view utf8) {
    if (auto cp932 = Utf8ToCp932(utf8)) {
        WriteLengthPrefix(*this, cp932->size());
        m_out += *cp932;
        return;
    }
    // No Shift-JIS form: the UTF-16 string form keeps the text exactly.
    std::u16string utf16 = Utf8ToUtf16(utf8);
    WriteByte(0xFF);
    WriteWord(0xFFFE);
    WriteLengthPrefix(*this, utf16.size());
    for (char16_t c : utf16)
        WriteWord(static_cast<std::uint16_t>(c));
}

std::uint8_t Archive::ReadByte() {
    Need(1);
    return static_cast<std::uint8_t>(m_in[m_pos++]);
}

std::uint16_t Archive::ReadWord() {
    Need(2);
    std::uint16_t lo = static_cast<std::uint8_t>(m_in[m_pos]);
    std::uint16_t hi = static_cast<std::uint8_t>(m_in[m_pos + 1]);
    m_pos += 2;
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::uint32_t Archive::ReadDWord() {
    Need(4);
    std::uint32_t lo = ReadWord();
    std::uint32_t hi = ReadWord();
    return lo | (hi << 16);
}

double Archive::ReadDouble() {
    Need(8);
    std::uint64_t lo = ReadDWord();
    std::uint64_t hi = ReadDWord();
    return std::bit_cast<double>(lo | (hi << 32));
}

std::uint64_t Archive::ReadCount() {
    std::uint16_t w = ReadWord();
    if (w != 0xFFFF) return w;
    std::uint32_t d = ReadDWord();
    if (d != 0xFFFFFFFFu) return d;
    std::uint64_t lo = ReadDWord();
    std::uint64_t hi = ReadDWord();
    return lo | (hi << 32);
}

std::string_view Archive::ReadBytes(std::size_t n) {
    Need(n);
    std::string_view v = m_in.substr(m_pos, n);
    m_pos += n;
    return v;
}

std::string Archive::ReadString() {
    bool utf16 = false;
    std::uint64_t length = ReadByte();
    if (length == 0xFF) {
        length = ReadWord();
        if (length == 0xFFFE) {
            // UTF-16 marker; the real length prefix follows.
            utf16 = true;
            length = ReadByte();
            if (length == 0xFF) length = ReadWord();
        }
        if (length == 0xFFFF) {
            length = ReadDWord();
            if (length == 0xFFFFFFFFu) {
                std::uint64_t lo = ReadDWord();
                std::uint64_t hi = ReadDWord();
                length = lo | (hi << 32);
            }
        }
    }
    if (!utf16) {
        if (length > Remaining()) Fail(ArchiveError::Kind::EndOfFile, "string beyond end of file");
        return Cp932ToUtf8(ReadBytes(static_cast<std::size_t>(length)));
    }
    if (length > Remaining() / 2) Fail(ArchiveError::Kind::EndOfFile, "string beyond end of file");
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    for (auto& c : text)
        c = static_cast<char16_t>(ReadWord());
    return Utf16ToUtf8(text);
}

bool Archive::WriteObjectReference(const void* object) {
    auto it = m_storedObjects.find(object);
    if (it == m_storedObjects.end()) return false;
    if (it->second < kBigObjectTag) {
        WriteWord(static_cast<std::uint16_t>(it->second));
    } else {
        WriteWord(kBigObjectTag);
        WriteDWord(it->second);
    }
    return true;
}

void Archive::WriteClassTag(const std::string& className, std::uint16_t schema) {
    auto it = m_storedClasses.find(className);
    if (it != m_storedClasses.end()) {
        if (it->second < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(kClassTag | it->second));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(kBigClassTag | it->second);
        }
        return;
    }
    WriteWord(kNewClassTag);
    WriteWord(schema);
    WriteWord(static_cast<std::uint16_t>(className.size()));
    m_out += className;
    m_storedClasses.emplace(className, m_mapCount++);
}

void Archive::MapStoredObject(const void* object) {
    m_storedObjects.emplace(object, m_mapCount++);
}

Archive::Tag Archive::ReadTag() {
    Tag tag;
    std::uint16_t word = ReadWord();
    if (word == kNewClassTag) {
        LoadEntry entry;
        entry.isClass = true;
        entry.schema = ReadWord();
        std::uint16_t nameLength = ReadWord();
        if (nameLength == 0 || nameLength > kMaxClassName)
            Fail(ArchiveError::Kind::BadClass, "bad class name");
        entry.className = std::string(ReadBytes(nameLength));
        tag.kind = Tag::Kind::NewObject;
        tag.className = entry.className;
        tag.schema = entry.schema;
        m_loaded.push_back(std::move(entry));
        return tag;
    }
    std::uint32_t value;
    if (word == kBigObjectTag) {
        value = ReadDWord();
    } else {
        value = (static_cast<std::uint32_t>(word & kClassTag) << 16) | (word & ~kClassTag);
    }
    if (value & kBigClassTag) {
        std::uint32_t index = value & ~kBigClassTag;
        if (index == 0 || index >= m_loaded.size() || !m_loaded[index].isClass)
            Fail(ArchiveError::Kind::BadIndex, "reference to an unknown class");
        tag.kind = Tag::Kind::NewObject;
        tag.className = m_loaded[index].className;
        tag.schema = m_loaded[index].schema;
        return tag;
    }
    if (value == kNullTag) return tag;
    if (value >= m_loaded.size() || m_loaded[value].isClass)
        Fail(ArchiveError::Kind::BadIndex, "reference to an unknown object");
    tag.kind = Tag::Kind::ObjectReference;
    tag.objectIndex = value;
    return tag;
}

void Archive::MapLoadedObject(void* object) {
    LoadEntry entry;
    entry.object = object;
    m_loaded.push_back(std::move(entry));
}

void* Archive::LoadedObject(std::uint32_t index) const {
    if (index == 0 || index >= m_loaded.size() || m_loaded[index].isClass) return nullptr;
    return m_loaded[index].object;
}

}  // namespace tavrel
