// Documents and data files that the command-line tests hand to the tool.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "support/TempDir.h"

namespace tavrel::test {

// Writes the document file of a new document, changed by `edit` first, and returns its path.
std::string WriteDocument(const TempDir& dir, const std::string& name,
                          const std::function<void(CKaisekiDoc&)>& edit = {});

// A data file of `rows` lines whose column c holds value(row, c) for c < columns, written with
// the given header lines first; returns its path.
std::string WriteCsv(const TempDir& dir, const std::string& name, int rows, int columns,
                     const std::function<double(int, int)>& value, const std::string& header = {});

// Appends a module of the named class to channel `channel`'s chain with its stored record
// replaced by `record` (written through the document file's archive); null when the class is
// not registered.
CModBase* AppendModule(CKaisekiDoc& doc, int channel, const std::string& className,
                       const std::function<void(class Archive&)>& record = {});

}  // namespace tavrel::test
