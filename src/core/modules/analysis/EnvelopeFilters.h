// The envelope and conditioning modules of surface-EMG practice:
//   CRmsFilter   the moving RMS over a window of N samples (the divisor is the number of samples
//                inside the data);
//   CTkeoFilter  the Teager-Kaiser energy operator, whose values carry the square of the input's
//                unit;
//   CNormFilter  the amplitude as a fraction or percentage of a reference: the largest |x| of a
//                time range of the input (a maximal voluntary contraction) or a given value. A
//                reference of 0 gives no output.
// Each keeps the input's length and rate and uses the settings dialog generated from its
// descriptor.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CRmsFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CRmsFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "移動RMS");

    CRmsFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    void SerializeOwn(Archive& ar) override;

    int m_points = 100;
};

class CTkeoFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CTkeoFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "TKEO");

    CTkeoFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // The input's unit squared ("mV^2").
    std::string OutputUnit() const override;
};

class CNormFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CNormFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "正規化");

    CNormFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    void SerializeOwn(Archive& ar) override;
    // "%" for a percentage, nothing for a plain fraction.
    std::string OutputUnit() const override;
    // The generated dialog, with the reference range highlighted in its preview.
    int EditSettings() override;
    void DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                   const SampleRange* range) override;

    // The reference for the input (which must be held): the largest |x| of the range, or the given
    // value. 0 or below: no output.
    double Reference() const;

    int m_mode = 0;  // 0: the largest |x| between startMs and endMs, 1: m_reference
    int m_startMs = 0;
    int m_endMs = 0;  // at or before m_startMs: the whole input
    double m_reference = 1.0;
    int m_percent = 1;

  private:
    // While the dialog is open: each drawing highlights the reference range as the fields
    // stand (the samples it takes; the whole input for an empty range; none in mode 1).
    bool m_showRange = false;
};

}  // namespace tavrel
