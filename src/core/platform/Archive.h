// The persistent-object archive of the document file, byte-compatible with the archive format of
// the classic Windows application framework (MFC's CArchive):
//
// - little-endian ints (4 bytes), words (2 bytes) and IEEE doubles (8 bytes);
// - counts as one word below 0xFFFF, else 0xFFFF and a 32-bit value (and 0xFFFFFFFF followed by a
//   64-bit value in the longest form);
// - strings as a length prefix (one byte below 255; else 0xFF and a word below 0xFFFE; else 0xFF,
//   0xFFFF and a 32-bit length) and that many Shift-JIS bytes; a prefix of FF FE FF announces a
//   string of UTF-16 code units, which is how a text without a Shift-JIS form is stored;
// - object references as 16-bit tags: 0 null, 0xFFFF a new class (schema word, name length word,
//   ASCII name), 0x8000 | n a known class, n below 0x7FFF an object already stored, 0x7FFF
//   followed by a 32-bit value the large form of either (top bit set for a class). Classes and
//   objects share one index counter starting at 1.
//
// Loading reads untrusted bytes: every read is bounds-checked and any malformation throws
// ArchiveError, which the document turns into "cannot open".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavrel {

class ArchiveError : public std::runtime_error {
  public:
    enum class Kind { EndOfFile, BadClass, BadSchema, BadIndex, Malformed };
    ArchiveError(Kind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}
    Kind GetKind() const { return m_kind; }

  private:
    Kind m_kind;
};

class Archive {
  public:
    // An archive that stores into its own byte buffer.
    Archive();
    // An archive that loads from the given bytes (which must outlive it).
    explicit Archive(std::string_view bytes);

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing.
    const std::string& Bytes() const { return m_out; }
    void WriteByte(std::uint8_t v);
    void WriteWord(std::uint16_t v);
    void WriteDWord(std::uint32_t v);
    void WriteInt(std::int32_t v) { WriteDWord(static_cast<std::uint32_t>(v)); }
    void WriteDouble(double v);
    void WriteCount(std::uint64_t count);
    void WriteString(std::string_view utf8);
    void WriteBytes(std::string_view bytes) { m_out.append(bytes); }

    // Loading.
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    std::int32_t ReadInt() { return static_cast<std::int32_t>(ReadDWord()); }
    double ReadDouble();
    std::uint64_t ReadCount();
    std::string ReadString();
    std::string_view ReadBytes(std::size_t n);
    std::size_t Remaining() const { return m_in.size() - m_pos; }
    std::size_t Position() const { return m_pos; }

    // Both directions, for Serialize functions that read or write the same fields.
    void Int(int& v) {
        if (m_storing)
            WriteInt(v);
        else
            v = ReadInt();
    }
    void Double(double& v) {
        if (m_storing)
            WriteDouble(v);
        else
            v = ReadDouble();
    }
    void String(std::string& v) {
        if (m_storing)
            WriteString(v);
        else
            v = ReadString();
    }

    // Object references when storing. WriteObjectReference writes the reference of an object
    // stored before and returns true; otherwise it writes nothing and returns false, and the
    // caller writes the class tag, maps the object and writes the object's data.
    void WriteNullTag() { WriteWord(0); }
    bool WriteObjectReference(const void* object);
    void WriteClassTag(const std::string& className, std::uint16_t schema);
    void MapStoredObject(const void* object);

    // Object references when loading.
    struct Tag {
        enum class Kind { Null, NewObject, ObjectReference } kind = Kind::Null;
        std::string className;          // for NewObject
        std::uint16_t schema = 0;       // for NewObject: the schema stored with the class
        std::uint32_t objectIndex = 0;  // for ObjectReference
    };
    // Reads one tag. A reference to an index that has not appeared, or to a class where an
    // object is meant (or the reverse), throws BadIndex.
    Tag ReadTag();
    // Gives the object being loaded the next index (call before reading its data).
    void MapLoadedObject(void* object);
    void* LoadedObject(std::uint32_t index) const;

  private:
    [[noreturn]] void Fail(ArchiveError::Kind kind, const char* what) const;
    void Need(std::size_t n) const;

    bool m_storing;
    std::string m_out;
    std::string_view m_in;
    std::size_t m_pos = 0;

    // Storing: index of every class and object written so far.
    std::unordered_map<std::string, std::uint32_t> m_storedClasses;
    std::unordered_map<const void*, std::uint32_t> m_storedObjects;
    std::uint32_t m_mapCount = 1;

    // Loading: what each index holds. A class entry has a name; an object entry a pointer.
    struct LoadEntry {
        bool isClass = false;
        std::string className;
        std::uint16_t schema = 0;
        void* object = nullptr;
    };
    std::vector<LoadEntry> m_loaded;  // entry 0 stands for the null reference
};

}  // namespace tavrel
