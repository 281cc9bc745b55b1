// The descriptors of the analysis module classes. The two activity detectors are not offered by
// the editor: a chain holds them only when a document file brought them.
#include <array>

#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {

namespace {

namespace ids = dialog_ids;
constexpr FieldType I = FieldType::Int;
constexpr FieldType D = FieldType::Double;

constexpr std::array<ModuleField, 2> kIntegratorFields{{{"startMs", I}, {"endMs", I}}};
constexpr std::array<ModuleField, 3> kClipFields{{{"startMs", I}, {"endMs", I}, {"cut", I}}};
constexpr std::array<ModuleField, 2> kAmplitudeFields{
    {{"thresholdPercent", I}, {"minDurationMs", I}}};
constexpr std::array<ModuleField, 4> kSdFields{
    {{"refStartMs", I}, {"refLengthMs", I}, {"sdFactor", D}, {"windowMs", I}}};

const std::array<ModuleClass, 4> kAnalysisClasses{{
    {CIntFilter::kClassName, CIntFilter::kDisplayName, &MakeModule<CIntFilter>, 11,
     ids::integrator::kTemplate, kIntegratorFields},
    {CClipFilter::kClassName, CClipFilter::kDisplayName, &MakeModule<CClipFilter>, 2,
     ids::clip::kTemplate, kClipFields},
    {CAActDetFilter::kClassName, CAActDetFilter::kDisplayName, &MakeModule<CAActDetFilter>,
     kNotInCatalogue, ids::amplitude::kTemplate, kAmplitudeFields},
    {CSDActDetFilter::kClassName, CSDActDetFilter::kDisplayName, &MakeModule<CSDActDetFilter>,
     kNotInCatalogue, ids::sd::kTemplate, kSdFields},
}};

}  // namespace

std::span<const ModuleClass> AnalysisModuleClasses() {
    return kAnalysisClasses;
}

}  // namespace tavrel
