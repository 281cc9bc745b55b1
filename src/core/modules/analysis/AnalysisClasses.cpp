// The descriptors of the analysis module classes. The editor offers the two activity detectors
// after its twelve entries and a separator.
#include <array>
#include <limits>
#include <optional>
#include <span>

#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/EnvelopeFilters.h"
#include "modules/analysis/EnvelopeKernels.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleParams.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

namespace ids = dialog_ids;

constexpr ParamRole kStart = ParamRole::RangeStartMs;
constexpr ParamRole kEnd = ParamRole::RangeEndMs;

constexpr ModuleField RangeField(const char* key, ParamRole role, double defaultValue,
                                 const char* caption, int control) {
    return WithControl(TimeRangeParam(key, role, defaultValue, caption), control);
}

constexpr const char* kIntegratorRange = TAVREL_TRANSLATE_NOOP("ModuleDialogs", "積分範囲（ms）");
constexpr std::array<ModuleField, 2> kIntegratorFields{{
    RangeField("startMs", kStart, 0, kIntegratorRange, ids::integrator::kStartEdit),
    RangeField("endMs", kEnd, 2147483647, kIntegratorRange, ids::integrator::kEndEdit),
}};
constexpr const char* kClipRange = TAVREL_TRANSLATE_NOOP("ModuleDialogs", "選択範囲（ms）");
constexpr std::array<ModuleField, 3> kClipFields{{
    RangeField("startMs", kStart, 0, kClipRange, ids::clip::kStartEdit),
    RangeField("endMs", kEnd, 2147483647, kClipRange, ids::clip::kEndEdit),
    WithControl(OnOffParam("cut", false, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "切り取り")),
                ids::clip::kCut),
}};
constexpr std::array<ModuleField, 2> kAmplitudeFields{{
    WithControl(IntParam("thresholdPercent", 1, 100, 10,
                         TAVREL_TRANSLATE_NOOP("ModuleDialogs", "最大振幅の"), "%"),
                ids::amplitude::kThresholdEdit),
    WithControl(IntParam("minDurationMs", 1, 100, 20,
                         TAVREL_TRANSLATE_NOOP("ModuleDialogs", "％以上の振幅が"), "ms"),
                ids::amplitude::kDurationEdit),
}};
// The reference range follows the data; the factor and the window have fixed ranges.
constexpr const char* kReference = TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準範囲：");
constexpr std::array<ModuleField, 4> kSdFields{{
    WithControl(FollowingData(IntParam("refStartMs", 0, 2147483647, 0, kReference, "ms")),
                ids::sd::kRefStartEdit),
    WithControl(FollowingData(IntParam("refLengthMs", 1, 2147483647, 100, kReference, "ms")),
                ids::sd::kRefLengthEdit),
    WithControl(RealParam("sdFactor", 0.01, 100.0, 2.0,
                          TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準範囲SDの")),
                ids::sd::kFactorEdit),
    WithControl(IntParam("windowMs", 1, 100, 20,
                         TAVREL_TRANSLATE_NOOP("ModuleDialogs", "倍以上のSDが"), "ms"),
                ids::sd::kWindowEdit),
}};

constexpr std::array<ModuleField, 1> kRmsFields{
    {IntParam("points", 1, 1000000, 100, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "窓の長さ"),
              TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ポイント"))}};

// The normalisation's reference: the largest |x| of a range the preview's drag picks, or a value.
constexpr std::array<const char*, 2> kNormModes{
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準範囲の最大絶対値"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準値")};
constexpr const char* kNormRange =
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準範囲（ms）");
constexpr std::array<ModuleField, 5> kNormFields{{
    ChoiceParam("mode", kNormModes, 0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準")),
    TimeRangeParam("startMs", kStart, 0, kNormRange),
    TimeRangeParam("endMs", kEnd, 0, kNormRange),
    RealParam("reference", 0.0, std::numeric_limits<double>::max(), 1.0,
              TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準値")),
    OnOffParam("percent", true, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "百分率（%）で表す")),
}};

// A reference of 0 gives no output: a given value must be above 0, and a range must not be
// silent in the module's input.
std::optional<ParamRefusal> CheckNorm(CModBase& module, std::span<const ParamValue> v) {
    if (v[0].intValue != 0) {
        if (!(v[3].doubleValue > 0.0))
            return ParamRefusal{
                3, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "基準値は0より大きくしてください。")};
        return std::nullopt;
    }
    auto& norm = static_cast<CNormFilter&>(module);
    if (!norm.PullInput()) return std::nullopt;
    const std::size_t n = static_cast<std::size_t>(norm.m_inputCount);
    const double reference = kernels::LargestMagnitude(
        std::span<const double>(norm.m_input.get(), n),
        kernels::MsRangeToIndices(v[1].intValue, v[2].intValue, norm.m_samplingRate, n));
    if (!(reference > 0.0))
        return ParamRefusal{1,
                            TAVREL_TRANSLATE_NOOP(
                                "ModuleDialogs",
                                "基準範囲の値がすべて0（または範囲が空）のため、出力できません。")};
    return std::nullopt;
}

constexpr std::array<ModuleClass, 7> kAnalysisClasses{{
    {CIntFilter::kClassName, CIntFilter::kDisplayName, &MakeModule<CIntFilter>, 11,
     ids::integrator::kTemplate, kIntegratorFields},
    {CClipFilter::kClassName, CClipFilter::kDisplayName, &MakeModule<CClipFilter>, 2,
     ids::clip::kTemplate, kClipFields},
    {CAActDetFilter::kClassName, CAActDetFilter::kDisplayName, &MakeModule<CAActDetFilter>,
     kMainCatalogueEntries + 1, ids::amplitude::kTemplate, kAmplitudeFields},
    {CSDActDetFilter::kClassName, CSDActDetFilter::kDisplayName, &MakeModule<CSDActDetFilter>,
     kMainCatalogueEntries + 2, ids::sd::kTemplate, kSdFields},
    {CRmsFilter::kClassName, CRmsFilter::kDisplayName, &MakeModule<CRmsFilter>,
     kMainCatalogueEntries + 5, ids::generated::kTemplate, kRmsFields},
    {CTkeoFilter::kClassName,
     CTkeoFilter::kDisplayName,
     &MakeModule<CTkeoFilter>,
     kMainCatalogueEntries + 6,
     ids::generated::kTemplate,
     {}},
    {CNormFilter::kClassName, CNormFilter::kDisplayName, &MakeModule<CNormFilter>,
     kMainCatalogueEntries + 7, ids::generated::kTemplate, kNormFields, nullptr, &CheckNorm},
}};

}  // namespace

std::span<const ModuleClass> AnalysisModuleClasses() {
    return kAnalysisClasses;
}

}  // namespace tavrel
