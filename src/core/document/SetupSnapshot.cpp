#include "document/SetupSnapshot.h"

#include <utility>

#include "document/KaisekiDoc.h"
#include "platform/Archive.h"

namespace tavrel {

std::string TakeSetupSnapshot(CKaisekiDoc& doc) {
    return doc.SaveToBytes();
}

SetupRestore RestoreSetupSnapshot(CKaisekiDoc& doc, std::string_view snapshot) {
    const std::string path = doc.m_dataFilePath;
    const int headerRows = doc.m_headerRows;
    const int skipColumns = doc.m_skipColumns;
    // Loading replaces the set-up; the source data are put back around it, whatever happens
    // (what their reading found stays with the document).
    std::vector<std::vector<double>> columns = std::move(doc.m_columns);
    const int rowCount = doc.m_rowCount;
    const bool modified = doc.IsModified();
    const std::string pathName = doc.GetPathName();
    auto keepData = [&] {
        doc.m_columns = std::move(columns);
        doc.m_columns.resize(CKaisekiDoc::kChannels);
        doc.m_rowCount = rowCount;
        doc.SetModifiedFlag(modified);
        doc.SetPathName(pathName);
    };
    try {
        doc.LoadFromBytes(snapshot);
    } catch (...) {
        doc.OnNewDocument();
        keepData();
        throw;
    }
    keepData();
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        if (CHeadFilter* head = doc.Head(k)) head->ClearBuffers();
    }
    SetupRestore result;
    result.dataSourceChanged = doc.m_dataFilePath != path || doc.m_headerRows != headerRows ||
                               doc.m_skipColumns != skipColumns;
    return result;
}

}  // namespace tavrel
