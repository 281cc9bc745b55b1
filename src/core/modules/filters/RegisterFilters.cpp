// Registration of the signal-filter module classes under their stored class names.
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DFilBase.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FFTView.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {

void RegisterFilterModules(ModuleRegistry& registry) {
    registry.Add(CDFilBase::kClassName, &MakeModule<CDFilBase>);
    registry.Add(CLPFilter::kClassName, &MakeModule<CLPFilter>);
    registry.Add(CHPFilter::kClassName, &MakeModule<CHPFilter>);
    registry.Add(CBPFilter::kClassName, &MakeModule<CBPFilter>);
    registry.Add(CBSFilter::kClassName, &MakeModule<CBSFilter>);
    registry.Add(CDiodeFilter::kClassName, &MakeModule<CDiodeFilter>);
    registry.Add(CSmothFilter::kClassName, &MakeModule<CSmothFilter>);
    registry.Add(CReSmplFilter::kClassName, &MakeModule<CReSmplFilter>);
    registry.Add(CDiffFilter::kClassName, &MakeModule<CDiffFilter>);
    registry.Add(CFFTViewFilter::kClassName, &MakeModule<CFFTViewFilter>);
}

}  // namespace tavrel
