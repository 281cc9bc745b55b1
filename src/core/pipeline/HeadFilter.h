// CHeadFilter: the first module of every channel's chain. On request it copies the samples of the
// source column assigned to its channel out of the document.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CHeadFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CHeadFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "HeadFilter");

    CHeadFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    void DrawOrMeasure(Surface* surface, const Rect& plot, double* maxAbs,
                       const SampleRange* range) override;
    int RecomputeAndGetData(std::vector<double>* values, std::string* label,
                            std::vector<double>* times) override;

    int m_channel = 0;

  protected:
    bool WantsUpstream() const override { return false; }
    SampleBuffer TakeLocalOutput() override;

  private:
    // Makes sure the head holds its output, fetching it from the document when absent.
    void FetchOutput();
};

}  // namespace tavrel
