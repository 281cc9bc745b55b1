#include "pipeline/ModuleRegistry.h"

namespace tavrel {

void RegisterAnalysisModules(ModuleRegistry&) {}

}  // namespace tavrel
