// The document's set-up as a value, for taking back a change: the document file's bytes (the
// enabled flags, the chains with every module's settings, the channel sources, the data file's
// path and reading settings). Restoring one keeps the source data read from the data file and
// leaves every chain without buffers, so the next paint computes from the restored set-up.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

class CKaisekiDoc;

// The set-up as the document file would store it.
std::string TakeSetupSnapshot(CKaisekiDoc& doc);

// What a restore changed beyond the chains.
struct SetupRestore {
    // The data file's path or its reading settings (header rows, skipped columns) differ from
    // those the source data were read with: the caller reads the data file again.
    bool dataSourceChanged = false;
};

// Puts the set-up of `snapshot` (bytes from TakeSetupSnapshot) in place. The source columns, the
// row count, the path name, the modified flag and the display state stay as they are. Throws
// ArchiveError on bytes that are not a document's; the set-up is then that of a new document,
// with the source data kept.
SetupRestore RestoreSetupSnapshot(CKaisekiDoc& doc, std::string_view snapshot);

}  // namespace tavrel
