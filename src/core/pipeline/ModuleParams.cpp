#include "pipeline/ModuleParams.h"

#include <exception>

#include "pipeline/ModBase.h"
#include "platform/Archive.h"
#include "platform/NumberFormat.h"

namespace tavrel {

std::vector<ParamValue> DefaultParams(std::span<const ModuleField> fields) {
    std::vector<ParamValue> values;
    for (const ModuleField& f : fields) {
        ParamValue v{f.type};
        if (f.type == FieldType::Int) {
            v.intValue = static_cast<int>(f.defaultValue);
        } else {
            v.doubleValue = f.defaultValue;
        }
        values.push_back(v);
    }
    return values;
}

std::optional<std::vector<ParamValue>> ReadParams(CModBase& module, std::string* record) {
    Archive out;
    module.SerializeOwn(out);
    const std::string bytes = out.Bytes();
    if (record) *record = bytes;
    const ModuleClass* c = FindModuleClass(module.GetClassName());
    if (!c || bytes.size() != OwnRecordSize(c->fields)) return std::nullopt;

    std::vector<ParamValue> values;
    Archive in(bytes);
    try {
        for (const ModuleField& field : c->fields) {
            ParamValue value{field.type};
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
    return values;
}

bool WriteParams(CModBase& module, std::span<const ParamValue> values) {
    const ModuleClass* c = FindModuleClass(module.GetClassName());
    if (!c || values.size() != c->fields.size()) return false;
    Archive current;
    module.SerializeOwn(current);
    if (current.Bytes().size() != OwnRecordSize(c->fields)) return false;
    Archive record;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].type != c->fields[i].type) return false;
        if (values[i].type == FieldType::Int) {
            record.WriteInt(values[i].intValue);
        } else {
            record.WriteDouble(values[i].doubleValue);
        }
    }
    Archive load(record.Bytes());
    module.SerializeOwn(load);
    return true;
}

bool InAcceptedRange(const ModuleField& field, double value) {
    if (field.limits != ParamLimits::Fixed) return true;
    return value >= field.low && value <= field.high;
}

std::string AcceptedRangeText(const ModuleField& field) {
    return FormatG(field.low, 15) + " to " + FormatG(field.high, 15);
}

}  // namespace tavrel
