// The own fields of a module as `info` shows them, under the keys and in the stored order of its
// class's field list in the table of module classes.
//
// The values are read back from the module's own persistent record (SerializeOwn), so the tool
// shows exactly what a document file holds and needs no knowledge of the classes beyond their
// record layout, which the document file fixes.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/ModuleRegistry.h"

namespace tavrel::cli {

struct FieldValue {
    const char* key;
    FieldType type;
    int intValue = 0;
    double doubleValue = 0.0;
};

// The record layout of a module class, or nothing for a class that is not a module class.
std::optional<std::span<const ModuleField>> OwnFieldsOf(std::string_view className);

// The module's own fields read from its record. Nothing when the class is unknown or its record
// does not have the layout of the table; `record` then receives the record's bytes.
std::optional<std::vector<FieldValue>> ReadOwnFields(CModBase& module, std::string* record);

}  // namespace tavrel::cli
