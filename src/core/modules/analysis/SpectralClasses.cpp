// The descriptors of the spectral module classes: the frequency trend and the power spectrum view,
// offered after the separator, both with the generated settings dialog.
#include <array>

#include "modules/analysis/FreqTrendFilter.h"
#include "modules/analysis/WelchViewFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

namespace ids = dialog_ids;

constexpr std::array<const char*, 2> kMeasures{
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "中央周波数"),
    TAVREL_TRANSLATE_NOOP("ModuleDialogs", "平均周波数")};
constexpr std::array<ModuleField, 3> kTrendFields{{
    ChoiceParam("measure", kMeasures, 0, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "指標")),
    IntParam("windowMs", 10, 60000, 500, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "窓の長さ"), "ms"),
    IntParam("stepMs", 1, 1000, 250, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "ずらし幅"), "ms"),
}};
constexpr std::array<ModuleField, 2> kWelchFields{{
    IntParam("points", 16, 65536, 1024, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "区間の長さ"),
             TAVREL_TRANSLATE_NOOP("ModuleDialogs", "点")),
    OnOffParam("decibel", true, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "デシベル表示")),
}};

constexpr std::array<ModuleClass, 2> kSpectralClasses{{
    {CFreqTrendFilter::kClassName, CFreqTrendFilter::kDisplayName, &MakeModule<CFreqTrendFilter>,
     kAfterSeparator, ids::generated::kTemplate, kTrendFields},
    {CWelchViewFilter::kClassName, CWelchViewFilter::kDisplayName, &MakeModule<CWelchViewFilter>,
     kAfterSeparator, ids::generated::kTemplate, kWelchFields},
}};

}  // namespace

std::span<const ModuleClass> SpectralModuleClasses() {
    return kSpectralClasses;
}

}  // namespace tavrel
