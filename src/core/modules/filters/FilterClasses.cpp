// The descriptors of the signal-filter module classes; the catalogue positions are the places in
// the editor's filter menu.
#include <array>
#include <optional>
#include <span>
#include <utility>

#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DFilBase.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FFTView.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/IirFilters.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModBase.h"
#include "pipeline/ModuleParams.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

namespace ids = dialog_ids;
constexpr FieldType I = FieldType::Int;
constexpr FieldType D = FieldType::Double;

constexpr ParamLimits kData = ParamLimits::FromData;
constexpr ParamLimits kNone = ParamLimits::None;

// A cut-off is stored as a fraction of half the sampling rate; the dialogs show it in whole hertz
// between limits that follow the rate.
constexpr ModuleField Cutoff(const char* key, double defaultValue, const char* caption) {
    return {key, D, ParamKind::Real, kData, 0.0, 1.0, defaultValue, caption, "Hz"};
}

constexpr std::array<ModuleField, 1> kFirFields{
    {Cutoff("cutoff", 0.3, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "カットオフ周波数（Hz）"))}};
constexpr std::array<ModuleField, 2> kBandFields{{
    Cutoff("cutoff", 0.3, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "低域カットオフ周波数（Hz）")),
    Cutoff("cutoffHigh", 0.6, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "高域カットオフ周波数（Hz）")),
}};

// The rectifier's two radio groups: "全波整流" / "半波整流" and "負" / "正" in stored order.
constexpr std::array<const char*, 2> kWaveOptions{
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "全波整流"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "半波整流")};
constexpr std::array<const char*, 2> kPolarityOptions{TAVREL_TRANSLATE_NOOP("ModuleDialogs", "負"),
                                                      TAVREL_TRANSLATE_NOOP("ModuleDialogs", "正")};
constexpr std::array<ModuleField, 2> kDiodeFields{{
    ChoiceParam("halfWave", kWaveOptions, 1, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "種別")),
    ChoiceParam("positive", kPolarityOptions, 1, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "極性")),
}};

// The moving average and the decimation have the table-fed dialog on their own templates.
constexpr ModuleField PointsField(const char* key, double high, const char* caption,
                                  const char* unit, int control) {
    return WithControl(IntParam(key, 1, high, 5, caption, unit), control);
}
constexpr std::array<ModuleField, 1> kSmoothFields{
    {PointsField("points", 1000, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "平滑度"),
                 TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ポイント"), ids::smoothing::kPointsEdit)}};
constexpr std::array<ModuleField, 1> kDecimationFields{{PointsField(
    "step", 100, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "間引き頻度"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ポイント毎"), ids::decimation::kStepEdit)}};

// The FFT view's dialog edits only the start (a sample index it shows in ms, within the data);
// the number of points is shown, not edited.
constexpr std::array<ModuleField, 2> kFftFields{{
    {"points", I, ParamKind::Integer, kNone, 0.0, 0.0, 1024.0},
    {"start", I, ParamKind::Integer, kData, 0.0, 2147483647.0, 0.0,
     TAVREL_TRANSLATE_NOOP("ModuleDialogs", "計算範囲（ms）")},
}};

// The IIR filters: an edge in hertz is accepted between 0 and half the module's rate (both
// excluded, which the check across the fields refuses with its own message).
std::pair<double, double> EdgeRange(const CModBase& module) {
    return {0.0, module.m_samplingRate / 2.0};
}
constexpr ModuleField Edge(const char* key, double defaultValue, const char* caption) {
    ModuleField f = FollowingData(RealParam(key, 0.0, 1e9, defaultValue, caption, "Hz"));
    f.rangeFor = &EdgeRange;
    return f;
}
constexpr const char* kZeroPhase =
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ゼロ位相（前向きと後ろ向きに適用）");
constexpr const char* kEdgeOutside = TAVREL_TRANSLATE_NOOP(
    "ModuleDialogs", "周波数は0より大きく、サンプリング周波数の半分より小さくしてください。");

constexpr std::array<const char*, 4> kButterKinds{
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ローパス"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ハイパス"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "バンドパス"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "バンドストップ")};
constexpr std::array<ModuleField, 5> kButterFields{{
    ChoiceParam("kind", kButterKinds, 2, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "種類")),
    IntParam("order", 1, 8, 4, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "次数")),
    Edge("lowHz", 20.0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "低域端周波数")),
    Edge("highHz", 450.0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "高域端周波数")),
    OnOffParam("zeroPhase", true, kZeroPhase),
}};

bool EdgeInside(double edge, const CModBase& module) {
    return edge > 0.0 && edge < module.m_samplingRate / 2.0;
}

// The edges the kind uses must lie strictly inside (0, rate / 2); a band needs low < high.
std::optional<ParamRefusal> CheckButter(CModBase& module, std::span<const ParamValue> v) {
    const int kind = v[0].intValue;
    const double low = v[2].doubleValue;
    const double high = v[3].doubleValue;
    if (kind != 0 && !EdgeInside(low, module)) return ParamRefusal{2, kEdgeOutside};
    if (kind != 1 && !EdgeInside(high, module)) return ParamRefusal{3, kEdgeOutside};
    if (kind >= 2 && !(low < high))
        return ParamRefusal{
            2, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "低域端は高域端より低くしてください。")};
    return std::nullopt;
}

constexpr std::array<ModuleField, 4> kNotchFields{{
    Edge("freqHz", 50.0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "周波数")),
    RealParam("quality", 1.0, 1000.0, 30.0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "Q値")),
    IntParam("harmonics", 1, 40, 1,
             TAVREL_TRANSLATE_NOOP("ModuleDialogs", "高調波の数（基本波を含む）")),
    OnOffParam("zeroPhase", true, kZeroPhase),
}};

std::optional<ParamRefusal> CheckNotch(CModBase& module, std::span<const ParamValue> v) {
    if (!EdgeInside(v[0].doubleValue, module)) return ParamRefusal{0, kEdgeOutside};
    return std::nullopt;
}

// The abstract FIR base exists as a class (a document may name it) but has no dialog.
constexpr std::array<ModuleClass, 12> kFilterClasses{{
    {CDFilBase::kClassName, CDFilBase::kDisplayName, &MakeModule<CDFilBase>, kNotInCatalogue, 0,
     kFirFields},
    {CLPFilter::kClassName, CLPFilter::kDisplayName, &MakeModule<CLPFilter>, 6,
     ids::cutoff::kLowPassTemplate, kFirFields},
    {CHPFilter::kClassName, CHPFilter::kDisplayName, &MakeModule<CHPFilter>, 7,
     ids::cutoff::kHighPassTemplate, kFirFields},
    {CBPFilter::kClassName, CBPFilter::kDisplayName, &MakeModule<CBPFilter>, 8,
     ids::band::kBandPassTemplate, kBandFields},
    {CBSFilter::kClassName, CBSFilter::kDisplayName, &MakeModule<CBSFilter>, 9,
     ids::band::kBandStopTemplate, kBandFields},
    {CDiodeFilter::kClassName, CDiodeFilter::kDisplayName, &MakeModule<CDiodeFilter>, 3,
     ids::rectifier::kTemplate, kDiodeFields},
    {CSmothFilter::kClassName, CSmothFilter::kDisplayName, &MakeModule<CSmothFilter>, 5,
     ids::smoothing::kTemplate, kSmoothFields,
     TAVREL_TRANSLATE_NOOP("ModuleDialog", "移動平均設定")},
    {CReSmplFilter::kClassName, CReSmplFilter::kDisplayName, &MakeModule<CReSmplFilter>, 4,
     ids::decimation::kTemplate, kDecimationFields,
     TAVREL_TRANSLATE_NOOP("ModuleDialog", "間引き設定")},
    {CDiffFilter::kClassName,
     CDiffFilter::kDisplayName,
     &MakeModule<CDiffFilter>,
     10,
     ids::confirm::kTemplate,
     {}},
    {CFFTViewFilter::kClassName, CFFTViewFilter::kDisplayName, &MakeModule<CFFTViewFilter>, 12,
     ids::fft::kTemplate, kFftFields},
    // After the detectors in the editor's catalogue.
    {CButterFilter::kClassName, CButterFilter::kDisplayName, &MakeModule<CButterFilter>,
     kMainCatalogueEntries + 3, ids::generated::kTemplate, kButterFields, nullptr, &CheckButter},
    {CNotchFilter::kClassName, CNotchFilter::kDisplayName, &MakeModule<CNotchFilter>,
     kMainCatalogueEntries + 4, ids::generated::kTemplate, kNotchFields, nullptr, &CheckNotch},
}};

}  // namespace

std::span<const ModuleClass> FilterModuleClasses() {
    return kFilterClasses;
}

}  // namespace tavrel
