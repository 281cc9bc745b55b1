#include "modules/filters/DFilBase.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "modules/filters/FirKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CDFilBase::CDFilBase() {
    m_name = kDisplayName;
}

CDFilBase::~CDFilBase() = default;

int CDFilBase::Compute() {
    return -1;
}

int CDFilBase::EditSettings() {
    return 0;
}

void CDFilBase::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Double(m_cutoff);
}

void CDFilBase::CopySettings(const CModBase& source) {
    // Taps designed for the cut-off this module had are not valid for the copied one.
    ReleaseCoefficients();
    CModBase::CopySettings(source);
}

int CDFilBase::DesignLowPass(double x) {
    if (!m_coefficients) m_coefficients = std::make_unique<double[]>(kernels::kTapCount);
    kernels::DesignLowPass(kernels::Taps(m_coefficients.get(), kernels::kTapCount), x);
    return 0;
}

int CDFilBase::DesignHighPass(double x) {
    if (x > 1.0) x = 1.0;
    DesignLowPass(1.0 - x);
    kernels::MirrorToHighPass(kernels::Taps(m_coefficients.get(), kernels::kTapCount));
    return 0;
}

int CDFilBase::ApplyCoefficients(const double* h) {
    if (!m_input || m_inputCount <= 0) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    std::span<const double> x(m_input.get(), n);
    return StoreOutput(m_inputCount, [&](double* out) {
        std::span<double> y(out, n);
        if (h) {
            kernels::ConvolveCentred(x, kernels::ConstTaps(h, kernels::kTapCount), y);
        } else {
            std::copy(x.begin(), x.end(), y.begin());
        }
    });
}

void CDFilBase::ReleaseCoefficients() {
    m_coefficients.reset();
}

void CDFilBase::ReleaseBuffers() {
    CModBase::ReleaseBuffers();
    ReleaseCoefficients();
}

std::uint32_t ShownHz(double x, int fs) {
    double hz = (fs * x + 1.0) * 0.5;
    if (std::isnan(hz) || hz < 1.0) return 0;
    if (hz >= 4294967295.0) return 4294967295u;
    return static_cast<std::uint32_t>(hz);
}

std::uint32_t LowestHz(int fs) {
    return fs / 2 <= 100 ? 0u : 10u;
}

std::uint32_t HighestHz(int fs) {
    return fs > 0 ? static_cast<std::uint32_t>(fs / 2) : 0u;
}

bool HzToCutoff(std::uint32_t hz, int fs, double& cutoff) {
    if (fs <= 0) return false;
    cutoff = hz * 2.0 / fs;
    return true;
}

}  // namespace tavrel
