// What a chain needs from whoever owns it, without knowing who that is: the source samples of its
// channel (read by the head) and the display state its graphs are drawn with. The document
// provides both; tests and tools can provide them without a document.
#pragma once

#include <span>

namespace tavrel {

// The display state that all views share: zoom, relative or absolute scaling with the common
// maximum, normal or probe display, and printing with its print scale.
struct DisplayState {
    int m_printing = 0;
    int m_printScaleX = 4;
    int m_printScaleY = 4;
    int m_zoomY = 1;
    int m_zoomX = 1;
    double m_commonMax = 10.0;
    int m_absoluteScale = 0;
    int m_probeDisplay = 0;

    // The factors every pixel offset of a band or graph is multiplied by: the print scale while
    // printing, 1 otherwise.
    void GetPrintScale(int out[2]) const {
        out[0] = m_printing ? m_printScaleX : 1;
        out[1] = m_printing ? m_printScaleY : 1;
    }
};

class ChainContext {
  public:
    virtual ~ChainContext() = default;
    // The samples of the source column assigned to `channel`: empty when the channel has no
    // source or nothing has been read.
    virtual std::span<const double> ChannelSource(int channel) const = 0;
    virtual const DisplayState& Display() const = 0;
    // The same for changing it (the processing-list editor turns probe display off while a
    // module's dialog is open).
    virtual DisplayState& Display() = 0;
};

}  // namespace tavrel
