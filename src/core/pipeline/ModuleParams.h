// A module's parameters as values: read from and written into its own persistent record through
// the field list of its class's descriptor, so that the settings dialog built from the table, the
// command-line tool's `info` and `new --from` need no knowledge of a class beyond its descriptor.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pipeline/ModuleRegistry.h"

namespace tavrel {

class CModBase;

// One stored field: an int or a double, as the field's type says.
struct ParamValue {
    FieldType type = FieldType::Int;
    int intValue = 0;
    double doubleValue = 0.0;

    double AsDouble() const { return type == FieldType::Int ? intValue : doubleValue; }
};

// The descriptor's default of each field, as stored values.
std::vector<ParamValue> DefaultParams(std::span<const ModuleField> fields);

// The module's own fields read from its record. Nothing when the class is not in the table or its
// record does not have the layout of its field list; `record` then receives the record's bytes.
std::optional<std::vector<ParamValue>> ReadParams(CModBase& module, std::string* record = nullptr);

// Writes the values (one per field of the module's class, in stored order) into the module's own
// record. False, with the module unchanged, when the class is not in the table or the values do
// not fit its field list.
bool WriteParams(CModBase& module, std::span<const ParamValue> values);

// Whether the field's dialog accepts the value: always for a field whose range follows the data
// or that no dialog edits.
bool InAcceptedRange(const ModuleField& field, double value);
// The accepted range as text, "1 to 1000" (numbers as the dialogs' messages write them).
std::string AcceptedRangeText(const ModuleField& field);

}  // namespace tavrel
