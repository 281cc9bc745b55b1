// The own fields of each module class as `info` names them: the field names without the m_
// prefix, in the order in which the class stores them after the base record of its chain.
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

namespace tavrel {
class CModBase;
}

namespace tavrel::cli {

enum class FieldType { Int, Double };

struct FieldSpec {
    const char* key;
    FieldType type;
};

struct FieldValue {
    const char* key;
    FieldType type;
    int intValue = 0;
    double doubleValue = 0.0;
};

// The record layout of a module class, or nothing for a class the table does not know.
std::optional<std::span<const FieldSpec>> OwnFieldsOf(std::string_view className);

// The module's own fields read from its record. Nothing when the class is unknown or its record
// does not have the layout of the table; `record` then receives the record's bytes.
std::optional<std::vector<FieldValue>> ReadOwnFields(CModBase& module, std::string* record);

}  // namespace tavrel::cli
