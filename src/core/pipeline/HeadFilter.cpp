#include "pipeline/HeadFilter.h"

#include <algorithm>

#include "platform/Archive.h"

namespace tavrel {

CHeadFilter::CHeadFilter() {
    m_name = kDisplayName;
}

void CHeadFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_channel);
}

SampleBuffer CHeadFilter::TakeLocalOutput() {
    if (!m_output && !m_input && m_doc) {
        const std::span<const double> source = m_doc->ChannelSource(m_channel);
        if (!source.empty() && source.size() <= 0x7FFFFFFFu) {
            if (SampleBuffer copy = AllocSamples(static_cast<long long>(source.size()))) {
                std::copy(source.begin(), source.end(), copy.get());
                m_input = std::move(copy);
                m_inputCount = static_cast<int>(source.size());
            }
        }
    }
    if (m_input && m_inputCount > 0) {
        m_output = std::move(m_input);
        m_outputCount = m_inputCount;
    }
    SampleBuffer result = std::move(m_output);
    WriteInheritedProperties();
    return result;
}

void CHeadFilter::FetchOutput() {
    if (!m_output) m_output = TakeLocalOutput();
}

void CHeadFilter::DrawOrMeasure(const std::function<void()>& use) {
    FetchOutput();
    use();
}

int CHeadFilter::RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                     std::vector<double>* times) {
    FetchOutput();
    GetData(values, label, times);
    return 1;
}

}  // namespace tavrel
