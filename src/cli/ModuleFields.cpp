#include "cli/ModuleFields.h"

#include <exception>

#include "pipeline/ModBase.h"
#include "platform/Archive.h"

namespace tavrel::cli {

std::optional<std::span<const ModuleField>> OwnFieldsOf(std::string_view className) {
    if (const ModuleClass* c = FindModuleClass(className)) return c->fields;
    return std::nullopt;
}

std::optional<std::vector<FieldValue>> ReadOwnFields(CModBase& module, std::string* record) {
    Archive out;
    module.SerializeOwn(out);
    const std::string bytes = out.Bytes();
    if (record) *record = bytes;
    const auto layout = OwnFieldsOf(module.GetClassName());
    if (!layout) return std::nullopt;

    std::vector<FieldValue> values;
    Archive in(bytes);
    try {
        for (const ModuleField& field : *layout) {
            FieldValue value{field.key, field.type};
            if (field.type == FieldType::Int) {
                value.intValue = in.ReadInt();
            } else {
                value.doubleValue = in.ReadDouble();
            }
            values.push_back(value);
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (in.Remaining() != 0) return std::nullopt;
    return values;
}

}  // namespace tavrel::cli
