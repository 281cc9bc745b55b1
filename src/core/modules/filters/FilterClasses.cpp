// The descriptors of the signal-filter module classes; the catalogue positions are the places in
// the editor's filter menu.
#include <array>

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
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {

namespace {

namespace ids = dialog_ids;
constexpr FieldType I = FieldType::Int;
constexpr FieldType D = FieldType::Double;

constexpr std::array<ModuleField, 1> kFirFields{{{"cutoff", D}}};
constexpr std::array<ModuleField, 2> kBandFields{{{"cutoff", D}, {"cutoffHigh", D}}};
constexpr std::array<ModuleField, 2> kDiodeFields{{{"halfWave", I}, {"positive", I}}};
constexpr std::array<ModuleField, 1> kSmoothFields{{{"points", I}}};
constexpr std::array<ModuleField, 1> kDecimationFields{{{"step", I}}};
constexpr std::array<ModuleField, 2> kFftFields{{{"points", I}, {"start", I}}};

// The abstract FIR base exists as a class (a document may name it) but has no dialog.
const std::array<ModuleClass, 10> kFilterClasses{{
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
     ids::smoothing::kTemplate, kSmoothFields},
    {CReSmplFilter::kClassName, CReSmplFilter::kDisplayName, &MakeModule<CReSmplFilter>, 4,
     ids::decimation::kTemplate, kDecimationFields},
    {CDiffFilter::kClassName,
     CDiffFilter::kDisplayName,
     &MakeModule<CDiffFilter>,
     10,
     ids::confirm::kTemplate,
     {}},
    {CFFTViewFilter::kClassName, CFFTViewFilter::kDisplayName, &MakeModule<CFFTViewFilter>, 12,
     ids::fft::kTemplate, kFftFields},
}};

}  // namespace

std::span<const ModuleClass> FilterModuleClasses() {
    return kFilterClasses;
}

}  // namespace tavrel
