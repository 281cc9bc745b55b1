#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {

void RegisterAnalysisModules(ModuleRegistry& registry) {
    registry.Add(CIntFilter::kClassName, &MakeModule<CIntFilter>);
    registry.Add(CClipFilter::kClassName, &MakeModule<CClipFilter>);
    registry.Add(CAActDetFilter::kClassName, &MakeModule<CAActDetFilter>);
    registry.Add(CSDActDetFilter::kClassName, &MakeModule<CSDActDetFilter>);
}

}  // namespace tavrel
