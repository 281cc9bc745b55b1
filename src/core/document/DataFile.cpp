// Reading the data file into the document's source columns.
#include "document/KaisekiDoc.h"

namespace tavrel {

void CKaisekiDoc::LoadDataFile(int /*maxRows*/) {
    if (m_dataFilePath.empty()) return;
}

}  // namespace tavrel
