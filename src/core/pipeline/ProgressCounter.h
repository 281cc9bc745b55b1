// The batching logic of the progress window ("処理中"): a long operation reports small steps, and
// the bar is advanced only when the steps gathered since its last advance exceed one hundredth of
// the range, so it is redrawn about a hundred times however many steps there are. The GUI's
// progress window drives its bar with this class; the cancel flag is set by its Cancel button.
#pragma once

namespace tavrel {

class ProgressCounter {
  public:
    // Range of the bar low .. high; the position and the pending steps start at 0 and the
    // threshold is (high - low) / 100 (integer division, so a range below 100 gives 0).
    void SetRange(int low, int high);
    // Adds `amount` to the pending steps; when they exceed the threshold they are added to the
    // position and cleared. Returns true when the bar advances (the window then shows Position()).
    bool Step(int amount);
    // The position last sent to the bar: the sum of all steps up to its last advance.
    int Position() const { return m_position; }
    int Pending() const { return m_pending; }
    int Threshold() const { return m_threshold; }
    int Low() const { return m_low; }
    int High() const { return m_high; }

    // Set by the Cancel button; never cleared again (a new operation uses a new window).
    void Cancel() { m_cancelled = 1; }
    bool IsCancelled() const { return m_cancelled != 0; }

    // Fields of the progress window, in declaration order. Sums saturate at the int range, so a
    // file of more than 2 GiB cannot overflow them.
    int m_cancelled = 0;
    int m_position = 0;
    int m_pending = 0;
    int m_threshold = 0;

  private:
    int m_low = 0;
    int m_high = 0;
};

}  // namespace tavrel
