// The processed-data export.
#include "document/KaisekiDoc.h"

namespace tavrel {

void CKaisekiDoc::ExportProcessedData() {}

}  // namespace tavrel
