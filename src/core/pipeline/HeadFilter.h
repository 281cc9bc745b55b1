// CHeadFilter: the first module of every channel's chain. On request it copies the samples of the
// source column assigned to its channel out of the chain's context (the document).
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
    int RecomputeAndGetData(std::vector<double>* values, std::string* label,
                            std::vector<double>* times) override;

    int m_channel = 0;

  protected:
    void DrawOrMeasure(const std::function<void()>& use) override;
    bool WantsUpstream() const override { return false; }
    SampleBuffer TakeLocalOutput() override;

  private:
    // Makes sure the head holds its output, fetching it from the document when absent.
    void FetchOutput();
};

// A chain owned through its head: deleting it deletes the whole chain.
using HeadPtr = std::unique_ptr<CHeadFilter, ChainDeleter>;

}  // namespace tavrel
