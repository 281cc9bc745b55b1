#include "modules/filters/LPFilter.h"

#include "modules/filters/LPDlg.h"

namespace tavrel {

CLPFilter::CLPFilter() {
    m_name = kDisplayName;
}

int CLPFilter::Compute() {
    if (!m_coefficients) DesignLowPass(m_cutoff);
    return ApplyCoefficients(m_coefficients.get());
}

int CLPFilter::EditSettings() {
    CLPDlg dialog(*this);
    return RunModuleDialog(dialog);
}

}  // namespace tavrel
