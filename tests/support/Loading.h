// Reading a document's data file in tests: as the program reads it, at the document's row limit,
// without a progress window.
#pragma once

#include "document/KaisekiDoc.h"

namespace tavrel::test {

inline Result<ReadNotes, ReadError> LoadDataFile(CKaisekiDoc& doc, bool takeValues = false) {
    return doc.LoadDataFile(doc.m_rowLimit, nullptr, takeValues);
}

// Opens a document file and reads its data file as the program's open command does.
inline bool OpenDocument(CKaisekiDoc& doc, const std::string& path) {
    const auto loaded = doc.ReadDocumentFile(path);
    if (!loaded) return false;
    if (loaded->hadChains) (void)LoadDataFile(doc, true);
    return true;
}

}  // namespace tavrel::test
