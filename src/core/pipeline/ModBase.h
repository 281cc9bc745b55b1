// CModBase: the record every processing module carries, the lazy pull protocol by which sample
// arrays travel down a channel's chain, the chain-end operations used by the views, the magnifier,
// the export and the settings dialogs, and the persistent form of a chain.
//
// A chain is a doubly linked list of modules starting with a CHeadFilter. It is deleted from its
// head (DeleteDownstream, then the head itself); a module's destructor deletes neither neighbour.
// Every walk along a chain is a loop, never a recursion, so a chain of any length read from a
// document can be pulled, drawn and deleted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/ChainContext.h"
#include "platform/Surface.h"
#include "platform/Translate.h"

namespace tavrel {

class Archive;

// Frees a sample array and carries the serial number AllocSamples gave it. Serial numbers are
// never reused, so a value derived from an array (its vertical maximum) can be kept under the
// serial: an array freed and another allocated at the same address cannot be mistaken for it.
// Arrays that did not come from AllocSamples have serial 0, which nothing is kept under.
struct SampleDeleter {
    std::uint64_t serial = 0;
    // Samples the array has room for when it may be kept for reuse (a large array from
    // AllocSamples), else 0.
    std::size_t capacity = 0;
    void operator()(double* samples) const;
};

// A sample array with exactly one owner; a non-null array of zero samples still counts as an
// array (an empty output is an output).
using SampleBuffer = std::unique_ptr<double[], SampleDeleter>;

// A new array of `count` samples, or null when the count is negative or memory is short. Its
// values are not set. Large arrays come from those recently freed where one fits: a chain
// computed again, or the next channel's, then writes into memory already touched (the first
// touch of fresh memory costs about as much as the computing done in it).
SampleBuffer AllocSamples(long long count);

struct SampleRange {
    int first = 0;
    int last = 0;
};

class CModBase {
  public:
    static constexpr const char* kClassName = "CModBase";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "ベースクラス");

    CModBase();
    virtual ~CModBase();
    CModBase(const CModBase&) = delete;
    CModBase& operator=(const CModBase&) = delete;

    // The class name under which the module is stored in a document file.
    virtual const char* GetClassName() const { return kClassName; }

    // Persistent form: the module's data (display name, rate, the rest of the chain, then the own
    // fields of every module in reverse chain order). Loading expects the object to be new.
    void Serialize(Archive& ar);
    // The fields a class adds to the base record, in stored order; a derived class serialises its
    // parent's fields first.
    virtual void SerializeOwn(Archive& ar);

    // Chain-end operations: forwarded to the end of the chain (or to the first module that stops
    // the forwarding, see StopsForwarding), which performs the matching local operation.
    void ChainPixelsToRange(Surface* surface, const Rect& plot, const Rect& selection, int out[2]);
    void ChainGetData(std::vector<double>* values, std::string* label, std::vector<double>* times);
    // ChainGetData without copies, for a chain about to let go of its buffers: the chain end's
    // output is handed over whole (null when it has none) with its sample count, and the time of
    // sample i is `*timeStep * i` ms, as ChainGetData would list it.
    SampleBuffer ChainTakeData(std::string* label, int* count, double* timeStep);
    // ChainGetData without copies, the chain end keeping its output: its samples (null when it
    // has none), valid until the chain computes again or lets go of its buffers.
    const double* ChainViewData(std::string* label, int* count, double* timeStep);
    // Draws the chain end's output into `plot` as the display state says.
    void ChainDraw(Surface* surface, const Rect& plot, const DisplayState& display,
                   const SampleRange* range);
    // Absolute scaling's measuring pass: the largest absolute value of the chain end's output
    // (0 without an output).
    double ChainMeasure();
    // Whether drawing or measuring the chain would compute: its end holds no output, or lets go
    // of it after each use (its dialog is open).
    bool ChainNeedsOutput();
    // Makes the chain's end hold its output, computing it as drawing would, and measures the
    // whole output's vertical maximum, so that a drawing afterwards (on another thread) computes
    // nothing. A chain whose end's dialog is open is left alone: its preview computes anew at
    // each drawing.
    void ChainComputeOutput();

    virtual int PixelsToRange(Surface* surface, const Rect& plot, const Rect& selection,
                              int out[2]);
    virtual double MaxAbs(int first, int last) const;
    virtual int GetTimeExponent() const { return m_timeExponent; }
    virtual int RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                    std::vector<double>* times);
    virtual void GetData(std::vector<double>* values, std::string* label,
                         std::vector<double>* times);
    virtual int GetSamplingRate() const { return m_samplingRate; }
    virtual int GetMarkerIndex() const { return m_markerIndex; }
    // Drops the buffers (and derived caches) of this module and of every module after it.
    void ClearBuffers();
    // Deletes every module after this one.
    void DeleteDownstream();
    // Runs the module's settings dialog modally: 1 when accepted, 0 when cancelled.
    virtual int EditSettings();
    // The pull step: hands this module's output downstream (computing it, and pulling from
    // upstream, when needed) and writes the inherited properties into m_next.
    SampleBuffer TakeOutput();
    // The two local chain-end operations: drawing the output, and measuring its largest absolute
    // value. Both go through DrawOrMeasure.
    void Draw(Surface* surface, const Rect& plot, const DisplayState& display,
              const SampleRange* range);
    double MeasureMaxAbs();
    // Computes m_output from m_input; the count, or -1 without an output.
    virtual int Compute();
    // Makes sure m_input is held, pulling it from upstream; the input or null.
    double* PullInput();
    // A new module of the same class with the same settings, without buffers or links.
    std::unique_ptr<CModBase> Clone() const;
    virtual void DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                           const SampleRange* range);
    // Copies the settings of another module of the same class: its own fields (read through the
    // persistent record, see the table of module classes), then the base record.
    virtual void CopySettings(const CModBase& source);

    // Whether the chain-end operations stop at this module instead of going on (an active probe).
    virtual bool StopsForwarding() const { return false; }
    // The module where a chain-end operation started at `from` is carried out: the last module,
    // or the first one before it that stops the forwarding.
    static CModBase* ChainEnd(CModBase* from);

    // Chain-position operations; all take the first module of a chain.
    static CModBase* ModuleAt(CModBase* first, int n);
    static CModBase* AppendModule(CModBase* first, CModBase* module);
    static CModBase* InsertModuleAt(CModBase* first, int n, CModBase* module);
    static CModBase* ReplaceModuleAt(CModBase* first, int n, CModBase* module);
    static CModBase* RemoveModuleAt(CModBase* first, int n);

    // The unit of the values this module delivers: the unit that reached it, unless the module
    // changes it (the Teager-Kaiser energy squares it, the normalisation gives "%").
    virtual std::string OutputUnit() const { return m_unit; }
    // Unit label of the data this module delivers ("[mV]", "1000x[mV]", "[mV]/[ms]^2").
    std::string BuildUnitLabel() const;

    // Fields, in the order of the module record.
    std::string m_timeUnit = "ms";
    int m_editing = 0;
    int m_timeExponent = 0;
    int m_unitFactor = 1;
    std::string m_unit = "mV";
    int m_rangeEnd = -1;
    int m_rangeStart = -1;
    int m_markerIndex = -1;
    int m_samplingRate = 2000;
    int m_inputCount = 0;
    SampleBuffer m_input;
    int m_outputCount = 0;
    SampleBuffer m_output;
    CModBase* m_prev = nullptr;
    CModBase* m_next = nullptr;
    // What the chain reads of its owner (the document): set on the head and handed down the chain.
    ChainContext* m_doc = nullptr;
    std::string m_name = kDisplayName;

  protected:
    // The step drawing and measuring share: makes sure the output is held (pulling the input and
    // computing when needed), runs `use` on it, and lets go of it again while the module's dialog
    // is open (the preview then recomputes each time).
    virtual void DrawOrMeasure(const std::function<void()>& use);

    // Hooks of the pull step. TakeOutput walks upstream while WantsUpstream() holds, lets the
    // first module that does not want upstream produce its output (TakeLocalOutput), then passes
    // the array down again through TakeOutputFrom of each module on the way.
    virtual bool WantsUpstream() const;
    virtual SampleBuffer TakeLocalOutput();
    virtual SampleBuffer TakeOutputFrom(SampleBuffer upstream);
    // Hands m_output downstream: writes the inherited properties into m_next and gives it up.
    SampleBuffer HandDownOutput();
    void WriteInheritedProperties() const;
    // Releases this module's own buffers and caches (ClearBuffers applies it along the chain).
    virtual void ReleaseBuffers();
    // The common end of a Compute: allocates `count` samples, has `fill` write them (it gets the
    // array) and stores them as the output. Returns `count`, or -1 with the output unchanged when
    // the array cannot be allocated.
    template <class Fill>
    int StoreOutput(int count, Fill&& fill) {
        SampleBuffer out = AllocSamples(count);
        if (!out) return -1;
        fill(out.get());
        m_output = std::move(out);
        m_outputCount = count;
        return count;
    }

  private:
    // The last vertical maximum measured, kept for the output array of that serial number: every
    // paint scales by the maximum of the whole visible range, and a repaint of a narrow strip
    // should cost the strip, not a scan of the whole record.
    struct MaxAbsCache {
        std::uint64_t serial = 0;
        int count = 0;
        int first = 0;
        int last = 0;
        double value = 0.0;
    };
    mutable MaxAbsCache m_maxAbsCache;
};

// The display state a module's context gives (the defaults without a context): what the settings
// dialog's preview draws with.
const DisplayState& DisplayOf(const CModBase& module);

// Deletes a whole chain from its first module.
struct ChainDeleter {
    void operator()(CModBase* first) const;
};
using ChainPtr = std::unique_ptr<CModBase, ChainDeleter>;

}  // namespace tavrel
