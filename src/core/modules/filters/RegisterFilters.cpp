#include "pipeline/ModuleRegistry.h"

namespace tavrel {

void RegisterFilterModules(ModuleRegistry&) {}

}  // namespace tavrel
