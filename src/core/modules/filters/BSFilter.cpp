#include "modules/filters/BSFilter.h"

#include "modules/filters/BPDlg.h"
#include "modules/filters/FirKernels.h"

namespace tavrel {

CBSFilter::CBSFilter() {
    m_name = kDisplayName;
}

int CBSFilter::Compute() {
    if (!m_coefficients) {
        DesignLowPass(m_cutoff);
        if (!m_coefficientsHigh) DesignIntoHighSet(&CDFilBase::DesignHighPass, m_cutoffHigh);
        for (int i = 0; i < kernels::kTapCount; ++i)
            m_coefficients[i] += m_coefficientsHigh[i];
        m_coefficientsHigh.reset();
    }
    return ApplyCoefficients(m_coefficients.get());
}

int CBSFilter::EditSettings() {
    CBSDlg dialog(*this);
    return RunModuleDialog(dialog);
}

}  // namespace tavrel
