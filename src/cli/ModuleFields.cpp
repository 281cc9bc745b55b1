#include "cli/ModuleFields.h"

#include <array>
#include <exception>

#include "pipeline/ModBase.h"
#include "platform/Archive.h"

namespace tavrel::cli {

namespace {

constexpr FieldType I = FieldType::Int;
constexpr FieldType D = FieldType::Double;

constexpr std::array<FieldSpec, 1> kHead{{{"channel", I}}};
constexpr std::array<FieldSpec, 1> kProbe{{{"probeOn", I}}};
constexpr std::array<FieldSpec, 1> kFir{{{"cutoff", D}}};
constexpr std::array<FieldSpec, 2> kBand{{{"cutoff", D}, {"cutoffHigh", D}}};
constexpr std::array<FieldSpec, 2> kDiode{{{"halfWave", I}, {"positive", I}}};
constexpr std::array<FieldSpec, 1> kSmooth{{{"points", I}}};
constexpr std::array<FieldSpec, 1> kResample{{{"step", I}}};
constexpr std::array<FieldSpec, 2> kFft{{{"points", I}, {"start", I}}};
constexpr std::array<FieldSpec, 2> kIntegrator{{{"startMs", I}, {"endMs", I}}};
constexpr std::array<FieldSpec, 3> kClip{{{"startMs", I}, {"endMs", I}, {"cut", I}}};
constexpr std::array<FieldSpec, 2> kAmplitude{{{"thresholdPercent", I}, {"minDurationMs", I}}};
constexpr std::array<FieldSpec, 4> kSd{
    {{"refStartMs", I}, {"refLengthMs", I}, {"sdFactor", D}, {"windowMs", I}}};

struct ClassFields {
    std::string_view className;
    std::span<const FieldSpec> fields;
};

const std::array<ClassFields, 17> kClasses{{
    {"CModBase", {}},
    {"CHeadFilter", kHead},
    {"CDmyPipe", kProbe},
    {"CDFilBase", kFir},
    {"CLPFilter", kFir},
    {"CHPFilter", kFir},
    {"CBPFilter", kBand},
    {"CBSFilter", kBand},
    {"CDiodeFilter", kDiode},
    {"CSmothFilter", kSmooth},
    {"CReSmplFilter", kResample},
    {"CDiffFilter", {}},
    {"CFFTViewFilter", kFft},
    {"CIntFilter", kIntegrator},
    {"CClipFilter", kClip},
    {"CAActDetFilter", kAmplitude},
    {"CSDActDetFilter", kSd},
}};

}  // namespace

std::optional<std::span<const FieldSpec>> OwnFieldsOf(std::string_view className) {
    for (const ClassFields& entry : kClasses) {
        if (entry.className == className) return entry.fields;
    }
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
        for (const FieldSpec& field : *layout) {
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
