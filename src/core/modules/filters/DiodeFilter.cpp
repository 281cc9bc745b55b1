#include "modules/filters/DiodeFilter.h"

#include "modules/filters/DiodeDlg.h"
#include "platform/Archive.h"

namespace tavrel {

CDiodeFilter::CDiodeFilter() {
    m_name = kDisplayName;
}

int CDiodeFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const bool positive = m_positive != 0;
    const bool halfWave = m_halfWave != 0;
    const double* x = m_input.get();
    return StoreOutput(m_inputCount, [&](double* y) {
        for (int i = 0; i < m_inputCount; ++i) {
            const double v = x[i];
            // A zero sample counts as non-negative. Half-wave keeps the chosen side and zeroes
            // the other; full-wave folds the other side over.
            if (v >= 0) {
                y[i] = positive ? v : (halfWave ? 0.0 : -v);
            } else {
                y[i] = positive ? (halfWave ? 0.0 : -v) : v;
            }
        }
    });
}

int CDiodeFilter::EditSettings() {
    CDiodeDlg dialog(*this);
    return RunModuleDialog(dialog);
}

void CDiodeFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_halfWave);
    ar.Int(m_positive);
}

}  // namespace tavrel
