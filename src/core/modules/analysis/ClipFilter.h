// CClipFilter: selects a time range of the signal. In plain mode the output keeps the input's
// length with every sample outside the range set to zero; in cut mode (m_cut = 1; every other
// stored value is plain mode) the output is the range alone and the marker that travels with the
// data is shifted so that it keeps pointing at the same sample.
//
// CClipDlg: its settings dialog (the range in whole milliseconds and the cut-out check box).
#pragma once

#include "pipeline/DialogIds.h"
#include "pipeline/ModBase.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CClipFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CClipFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "クリップ");

    CClipFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    int GetMarkerIndex() const override;
    // The selection; in cut mode an empty range gives no output (count 0) and returns 0.
    int Compute() override;
    int EditSettings() override;

    bool IsCutMode() const { return m_cut == 1; }
    // Fits the stored range into an input of n samples (written back).
    void ClampRange(int n);
    // Highlights the stored range in the preview in plain mode; nothing in cut mode.
    void HighlightRange();

    int m_cut = 0;
    int m_endMs = 2147483647;
    int m_startMs = 0;
};

class CClipDlg : public ModuleDialog {
  public:
    static constexpr int kCut = dialog_ids::clip::kCut;

    explicit CClipDlg(CClipFilter& module);

    DialogCheck Apply() override;
    DialogCheck Validate() override;
    void Commit() override;
    void OnRangeSelected(int first, int last) override;

    // The values the controls hold after the last successful exchange (unsigned in the dialog:
    // a negative stored range opens as large values that a corrected entry replaces).
    long long m_minMs = 0;
    long long m_maxMs = 0;
    long long m_startMs = 0;
    long long m_endMs = 0;
    int m_cut = 0;

  private:
    void Store();
    CClipFilter& m_clip;
};

}  // namespace tavrel
