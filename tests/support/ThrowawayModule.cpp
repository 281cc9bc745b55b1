#include "support/ThrowawayModule.h"

#include <array>

#include "pipeline/DialogIds.h"
#include "platform/Archive.h"
#include "platform/Rounding.h"

namespace tavrel::test {

namespace {

constexpr std::array<const char*, 2> kModes{"Scale all", "Zero outside"};
constexpr std::array<ModuleField, 5> kFields{{
    RealParam("factor", -10.0, 10.0, 2.0, "Factor", "x"),
    OnOffParam("invert", false, "Invert"),
    ChoiceParam("mode", kModes, 0, "Mode"),
    TimeRangeParam("startMs", ParamRole::RangeStartMs, 0, "From"),
    TimeRangeParam("endMs", ParamRole::RangeEndMs, 100, "To"),
}};

constexpr std::array<ModuleClass, 1> kClasses{{
    {CThrowawayFilter::kClassName, CThrowawayFilter::kDisplayName, &MakeModule<CThrowawayFilter>,
     kAfterSeparator, dialog_ids::generated::kTemplate, kFields},
}};

const bool kRegistered = (RegisterModuleClasses(kClasses), true);

}  // namespace

CThrowawayFilter::CThrowawayFilter() {
    m_name = kDisplayName;
}

int CThrowawayFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const double k = m_invert ? -m_factor : m_factor;
    const int first = MsToSample(m_samplingRate, m_startMs);
    const int last = MsToSample(m_samplingRate, m_endMs);
    return StoreOutput(m_inputCount, [&](double* y) {
        for (int i = 0; i < m_inputCount; ++i) {
            const bool outside = m_mode == 1 && (i < first || i > last);
            y[i] = outside ? 0.0 : k * m_input[static_cast<std::size_t>(i)];
        }
    });
}

void CThrowawayFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Double(m_factor);
    ar.Int(m_invert);
    ar.Int(m_mode);
    ar.Int(m_startMs);
    ar.Int(m_endMs);
}

const ModuleClass& ThrowawayClass() {
    (void)kRegistered;
    return kClasses[0];
}

}  // namespace tavrel::test
