// A module class that exists only in the tests and reaches the program through one descriptor:
// no dialog ids, no template, no translation. It scales its input by a factor (negated when
// inverted) and, in its second mode, zeroes the samples outside a time range. Its five fields
// are one of each kind of parameter plus a time range. The class is registered when the test
// program starts (any test that names ThrowawayClass links it in).
#pragma once

#include "pipeline/ModBase.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel::test {

class CThrowawayFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CThrowawayFilter";
    static constexpr const char* kDisplayName = "Throwaway";

    CThrowawayFilter();
    const char* GetClassName() const override { return kClassName; }
    int Compute() override;
    void SerializeOwn(Archive& ar) override;

    double m_factor = 2.0;
    int m_invert = 0;
    int m_mode = 0;  // 0: scale every sample, 1: zero the samples outside the range
    int m_startMs = 0;
    int m_endMs = 100;
};

// The class's descriptor (registered at start-up).
const ModuleClass& ThrowawayClass();

}  // namespace tavrel::test
