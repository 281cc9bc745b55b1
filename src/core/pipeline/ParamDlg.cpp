#include "pipeline/ParamDlg.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "pipeline/DialogIds.h"
#include "pipeline/ModBase.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

std::string TitleOf(const ModuleClass& c) {
    return c.dialogTitle ? Translate("ModuleDialog", c.dialogTitle)
                         : Translate("Module", c.displayName);
}

// The shortest text that reads back as the same double, locale-independently.
std::string RealText(double value) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

constexpr double kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr double kIntMax = std::numeric_limits<std::int32_t>::max();

}  // namespace

CParamDlg::CParamDlg(CModBase& module)
    : ModuleDialog(module, FindModuleClass(module.GetClassName())->dialogTemplate,
                   TitleOf(*FindModuleClass(module.GetClassName())), true),
      m_class(*FindModuleClass(module.GetClassName())) {
    m_values = ReadParams(module).value_or(DefaultParams(m_class.fields));
    for (std::size_t i = 0; i < m_class.fields.size(); ++i) {
        const ModuleField& f = m_class.fields[i];
        const ParamValue& v = m_values[i];
        const int id = ControlOf(i);
        switch (f.kind) {
            case ParamKind::OnOff:
                SetCheck(id, v.AsDouble() != 0 ? 1 : 0);
                break;
            case ParamKind::Choice:
                // A stored index that names no option selects none.
                SetCheck(id,
                         InAcceptedRange(f, v.AsDouble()) ? static_cast<int>(v.AsDouble()) : -1);
                break;
            case ParamKind::Integer:
                if (v.type == FieldType::Double) {
                    SetText(id, RealText(v.doubleValue));
                } else if (RangeOf(f).first >= 0) {
                    // A field whose range has no negative numbers is unsigned in the dialog: a
                    // stored negative value shows as its unsigned value and is refused until a
                    // value in range is entered.
                    SetText(id, std::to_string(static_cast<std::uint32_t>(v.intValue)));
                } else {
                    SetText(id, std::to_string(v.intValue));
                }
                break;
            case ParamKind::Real:
                SetText(id, RealText(v.AsDouble()));
                break;
        }
    }
}

int CParamDlg::ControlOf(std::size_t index) const {
    const int control = m_class.fields[index].control;
    return control != 0 ? control : dialog_ids::generated::kFirstControl + static_cast<int>(index);
}

std::pair<double, double> CParamDlg::RangeOf(const ModuleField& field) const {
    switch (field.limits) {
        case ParamLimits::Fixed:
            return {field.low, field.high};
        case ParamLimits::FromData:
            if (field.rangeFor) return field.rangeFor(Module());
            return {field.low, field.high};
        case ParamLimits::None:
            break;
    }
    return {field.type == FieldType::Int ? kIntMin : -std::numeric_limits<double>::max(),
            field.type == FieldType::Int ? kIntMax : std::numeric_limits<double>::max()};
}

DialogCheck CParamDlg::Validate() {
    std::vector<ParamValue> values = m_values;
    for (std::size_t i = 0; i < m_class.fields.size(); ++i) {
        const ModuleField& f = m_class.fields[i];
        ParamValue& v = values[i];
        const int id = ControlOf(i);
        double number = 0;
        if (f.kind == ParamKind::OnOff) {
            number = Check(id) ? 1 : 0;
        } else if (f.kind == ParamKind::Choice) {
            // No choice made keeps the stored value.
            if (Check(id) < 0) continue;
            number = Check(id);
        } else {
            auto [low, high] = RangeOf(f);
            if (f.type == FieldType::Int) {
                low = std::max(low, kIntMin);
                high = std::min(high, kIntMax);
            }
            if (f.kind == ParamKind::Integer) {
                long long n = 0;
                if (DialogCheck c =
                        ReadInt(id, static_cast<long long>(low), static_cast<long long>(high), n);
                    !c.ok)
                    return c;
                number = static_cast<double>(n);
            } else {
                if (DialogCheck c = ReadNumber(id, low, high, number); !c.ok) return c;
            }
        }
        if (v.type == FieldType::Int) {
            // Every number here lies within the int range: ReadInt checked it.
            v.intValue = static_cast<int>(number);
        } else {
            v.doubleValue = number;
        }
    }
    if (m_class.check) {
        if (std::optional<ParamRefusal> refusal = m_class.check(Module(), values))
            return DialogCheck::Refuse(ControlOf(refusal->field),
                                       Translate("ModuleDialogs", refusal->message));
    }
    m_values = std::move(values);
    return {};
}

DialogCheck CParamDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) Commit();
    return check;
}

void CParamDlg::Commit() {
    WriteParams(Module(), m_values);
}

void CParamDlg::OnRangeSelected(int first, int last) {
    const int rate = Module().m_samplingRate;
    for (std::size_t i = 0; i < m_class.fields.size(); ++i) {
        const ParamRole role = m_class.fields[i].role;
        if (role == ParamRole::RangeStartMs)
            SetText(ControlOf(i), std::to_string(SampleToMs(rate, first)));
        if (role == ParamRole::RangeEndMs)
            SetText(ControlOf(i), std::to_string(SampleToMs(rate, last)));
    }
}

}  // namespace tavrel
