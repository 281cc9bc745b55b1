// The document file's record of a document (see DocumentFile.cpp for its layout).
#pragma once

namespace tavrel {

class Archive;
class CKaisekiDoc;

// Writes or reads (as the archive is storing or loading) the document's stored fields: enabled
// flags, chains, channel sources, data file path, header rows and skipped columns. Loading
// throws ArchiveError on malformed input.
void SerializeDocumentFields(Archive& ar, CKaisekiDoc& doc);

}  // namespace tavrel
