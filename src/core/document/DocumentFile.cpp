// The document file: the document's persistent form written through the archive.
//
//   1. enabled flags   count, then one byte per channel
//   2. chains          count, then one object reference per channel (a CHeadFilter and its chain)
//   3. channel sources count, then one byte per channel (255 = no source)
//   4. data file path  string
//   5. header rows     int
//   6. skipped columns int
//
// Also the one reader of a document file's bytes, with its size cap and refusal reasons.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "document/DocumentFile.h"

#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"

namespace tavrel {

namespace {

void StoreBytes(Archive& ar, const std::vector<std::uint8_t>& bytes) {
    ar.WriteCount(bytes.size());
    for (std::uint8_t b : bytes)
        ar.WriteByte(b);
}

std::vector<std::uint8_t> LoadBytes(Archive& ar) {
    std::uint64_t count = ar.ReadCount();
    if (count > ar.Remaining())
        throw ArchiveError(ArchiveError::Kind::EndOfFile, "list beyond end of file");
    std::string_view raw = ar.ReadBytes(static_cast<std::size_t>(count));
    return {raw.begin(), raw.end()};
}

void StoreChain(Archive& ar, CHeadFilter* head) {
    if (!head) {
        ar.WriteNullTag();
        return;
    }
    if (ar.WriteObjectReference(head)) return;
    ar.WriteClassTag(head->GetClassName(), 1);
    ar.MapStoredObject(head);
    head->Serialize(ar);
}

HeadPtr LoadChain(Archive& ar, ChainContext* doc) {
    Archive::Tag tag = ar.ReadTag();
    if (tag.kind == Archive::Tag::Kind::Null) return nullptr;
    if (tag.kind == Archive::Tag::Kind::ObjectReference)
        throw ArchiveError(ArchiveError::Kind::Malformed, "chain referenced twice");
    std::unique_ptr<CModBase> module = CreateModuleForArchive(tag);
    if (!dynamic_cast<CHeadFilter*>(module.get()))
        throw ArchiveError(ArchiveError::Kind::BadClass, "a chain must start with its head");
    HeadPtr head(static_cast<CHeadFilter*>(module.release()));
    ar.MapLoadedObject(head.get());
    head->Serialize(ar);
    for (CModBase* m = head.get(); m; m = m->m_next)
        m->m_doc = doc;
    return head;
}

}  // namespace

void SerializeDocumentFields(Archive& ar, CKaisekiDoc& doc) {
    if (ar.IsStoring()) {
        StoreBytes(ar, doc.m_channelEnabled);
        ar.WriteCount(doc.m_chains.size());
        for (const HeadPtr& head : doc.m_chains)
            StoreChain(ar, head.get());
        StoreBytes(ar, doc.m_channelSource);
        ar.WriteString(doc.m_dataFilePath);
        ar.WriteInt(doc.m_headerRows);
        ar.WriteInt(doc.m_skipColumns);
        return;
    }
    doc.m_channelEnabled = LoadBytes(ar);
    std::uint64_t chains = ar.ReadCount();
    // Every reference takes at least two bytes; a larger count cannot be genuine.
    if (chains > ar.Remaining() / 2)
        throw ArchiveError(ArchiveError::Kind::EndOfFile, "chain count beyond end of file");
    doc.m_chains.clear();
    doc.m_chains.reserve(static_cast<std::size_t>(chains));
    for (std::uint64_t i = 0; i < chains; ++i)
        doc.m_chains.push_back(LoadChain(ar, &doc));
    doc.m_channelSource = LoadBytes(ar);
    doc.m_dataFilePath = ar.ReadString();
    doc.m_headerRows = ar.ReadInt();
    doc.m_skipColumns = ar.ReadInt();
}

namespace {

std::string ReadBytes(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    if (S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::uintmax_t>(info.st_size) <= kMaxDocumentBytes)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::strerror(errno);
        }
        if (n == 0) return {};
        if (bytes.size() + static_cast<std::size_t>(n) > kMaxDocumentBytes) {
            return "too large for a document (more than " +
                   std::to_string(kMaxDocumentBytes >> 20) + " MiB)";
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace

std::string ReadDocumentFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::string reason;
    try {
        reason = ReadBytes(path, bytes);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    }
    if (!reason.empty()) bytes.clear();
    return reason;
}

}  // namespace tavrel
