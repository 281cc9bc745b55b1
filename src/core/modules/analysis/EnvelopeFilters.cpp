#include "modules/analysis/EnvelopeFilters.h"

#include <span>

#include "modules/analysis/EnvelopeKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CRmsFilter::CRmsFilter() {
    m_name = kDisplayName;
}

int CRmsFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    return StoreOutput(m_inputCount, [&](double* y) {
        kernels::MovingRms(std::span<const double>(m_input.get(), n), m_points,
                           std::span<double>(y, n));
    });
}

void CRmsFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_points);
}

CTkeoFilter::CTkeoFilter() {
    m_name = kDisplayName;
}

int CTkeoFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    return StoreOutput(m_inputCount, [&](double* y) {
        kernels::Tkeo(std::span<const double>(m_input.get(), n), std::span<double>(y, n));
    });
}

std::string CTkeoFilter::OutputUnit() const {
    return m_unit + "^2";
}

CNormFilter::CNormFilter() {
    m_name = kDisplayName;
}

double CNormFilter::Reference() const {
    if (m_mode != 0) return m_reference;
    if (!m_input || m_inputCount <= 0) return 0.0;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    const std::span<const double> x(m_input.get(), n);
    return kernels::LargestMagnitude(
        x, kernels::MsRangeToIndices(m_startMs, m_endMs, m_samplingRate, n));
}

int CNormFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const double reference = Reference();
    if (!(reference > 0.0)) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    return StoreOutput(m_inputCount, [&](double* y) {
        kernels::Scale(std::span<const double>(m_input.get(), n), reference,
                       m_percent != 0 ? 100.0 : 1.0, std::span<double>(y, n));
    });
}

void CNormFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_mode);
    ar.Int(m_startMs);
    ar.Int(m_endMs);
    ar.Double(m_reference);
    ar.Int(m_percent);
}

std::string CNormFilter::OutputUnit() const {
    return m_percent != 0 ? "%" : "";
}

int CNormFilter::EditSettings() {
    m_showRange = true;
    const int result = CModBase::EditSettings();
    m_showRange = false;
    m_rangeStart = -1;
    m_rangeEnd = -1;
    return result;
}

void CNormFilter::DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                            const SampleRange* range) {
    if (m_showRange) {
        m_rangeStart = -1;
        m_rangeEnd = -1;
        if (m_mode == 0 && m_outputCount > 0) {
            const kernels::IndexRange taken = kernels::MsRangeToIndices(
                m_startMs, m_endMs, m_samplingRate, static_cast<std::size_t>(m_outputCount));
            m_rangeStart = static_cast<int>(taken.first);
            m_rangeEnd = static_cast<int>(taken.last);
        }
    }
    CModBase::DrawGraph(surface, plot, display, range);
}

}  // namespace tavrel
