// The "save processed data" command: asks the host for the file and the export settings, then
// writes every channel's processed data.
#include <optional>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel {

void ExportProcessedData(CKaisekiDoc& doc) {
    SaveFileRequest request;
    request.proposedName = ProposeExportName(doc.m_dataFilePath);
    request.defaultExtension = "csv";
    request.filter = "Data Files (*.csv)|*.csv|All Files (*.*)|*.*||";
    std::optional<std::string> path = GetHost().ChooseSaveFile(request);
    if (!path) return;
    ExportSettings settings;
    settings.m_header = 1;
    settings.m_numberColumn = 0;
    settings.m_numberKind = 0;
    if (!GetHost().RunExportSettings(settings)) return;
    if (path->empty()) return;
    if (!WriteProcessedData(doc, *path, settings))
        GetHost().MessageBox(Translate("Document", "ファイルが開けませんでした。"));
}

}  // namespace tavrel
