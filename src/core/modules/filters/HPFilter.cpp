#include "modules/filters/HPFilter.h"

#include "modules/filters/LPDlg.h"

namespace tavrel {

CHPFilter::CHPFilter() {
    m_name = kDisplayName;
}

int CHPFilter::Compute() {
    if (!m_coefficients) DesignHighPass(m_cutoff);
    return ApplyCoefficients(m_coefficients.get());
}

int CHPFilter::EditSettings() {
    CHPDlg dialog(*this);
    return RunModuleDialog(dialog);
}

}  // namespace tavrel
