// The descriptors of the analysis module classes. The editor offers the two activity detectors
// after its twelve entries and a separator.
#include <array>

#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "pipeline/DialogIds.h"
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

constexpr std::array<ModuleClass, 4> kAnalysisClasses{{
    {CIntFilter::kClassName, CIntFilter::kDisplayName, &MakeModule<CIntFilter>, 11,
     ids::integrator::kTemplate, kIntegratorFields},
    {CClipFilter::kClassName, CClipFilter::kDisplayName, &MakeModule<CClipFilter>, 2,
     ids::clip::kTemplate, kClipFields},
    {CAActDetFilter::kClassName, CAActDetFilter::kDisplayName, &MakeModule<CAActDetFilter>,
     kMainCatalogueEntries + 1, ids::amplitude::kTemplate, kAmplitudeFields},
    {CSDActDetFilter::kClassName, CSDActDetFilter::kDisplayName, &MakeModule<CSDActDetFilter>,
     kMainCatalogueEntries + 2, ids::sd::kTemplate, kSdFields},
}};

}  // namespace

std::span<const ModuleClass> AnalysisModuleClasses() {
    return kAnalysisClasses;
}

}  // namespace tavrel
