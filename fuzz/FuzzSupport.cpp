#include "FuzzSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/ExportWriter.h"
#include "pipeline/GraphGeometry.h"
#include "platform/RecordingSurface.h"

namespace tavrel::fuzz {

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// The waveform of a channel's output drawn column by column must be the one drawn sample by
// sample: over the whole plot at a scale that fits (even channels), over a strip at a zoomed,
// inverted one (odd channels).
void CheckWaveform(const std::vector<double>& values, int channel) {
    if (values.empty()) return;
    const GraphFrame g = MakeGraphFrame({0, 0, 800, 200}, 1, 1);
    double largest = 0.0;
    for (const double v : values)
        if (std::isfinite(v) && std::fabs(v) > largest) largest = std::fabs(v);
    WaveTrace t;
    t.data = values.data();
    t.last = static_cast<long long>(values.size());
    t.minOffset = -100;
    t.maxOffset = 99;
    struct Way {
        double p, q;
        Rect clip;
    };
    const Way ways[2] = {{g.width / static_cast<double>(values.size()),
                          largest > 0.0 ? 80.0 / largest : 0.0, Rect{0, 0, 800, 200}},
                         {3.7, -2.5, Rect{300, 0, 360, 200}}};
    const Way& way = ways[channel % 2];
    t.p = way.p;
    t.q = way.q;
    RecordingSurface bySample(way.clip);
    RecordingSurface byColumn(way.clip);
    DrawWaveformBySample(&bySample, g, t);
    DrawWaveform(&byColumn, g, t);
    if (byColumn.Log() != bySample.Log())
        Fail("the waveform by columns differs from the one sample by sample");
}

}  // namespace

void FillTestRecording(CKaisekiDoc& doc, int rows) {
    doc.m_columns.assign(CKaisekiDoc::kChannels, std::vector<double>(static_cast<size_t>(rows)));
    for (int c = 0; c < CKaisekiDoc::kChannels; ++c) {
        for (int i = 0; i < rows; ++i) {
            double t = i / 2000.0;
            double burst = (i / 64 + c) % 3 == 0 ? std::sin(2 * M_PI * (80.0 + 20 * c) * t) : 0.0;
            doc.m_columns[static_cast<size_t>(c)][static_cast<size_t>(i)] =
                0.3 * std::sin(2 * M_PI * 3.0 * t) + 2.5 * burst - 0.1 * c;
        }
    }
    doc.m_rowCount = rows;
}

void ExerciseDocument(CKaisekiDoc& doc) {
    for (int printing = 0; printing < 2; ++printing) {
        doc.m_display.m_printing = printing;
        for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
            RecordingSurface surface({0, 0, 800, 200});
            doc.MeasureChannel(ch);
            SampleRange range{10, 120};
            doc.DrawChannel(&surface, {0, 0, 800, 200}, ch, &range);
            std::vector<double> values, times;
            std::string label;
            doc.GetChannelData(&values, &label, &times, ch);
            if (values.size() != times.size()) Fail("values and times differ in length");
            int out[2] = {0, 0};
            doc.ChannelPixelsToRange(ch, 0, {70, 0, 800, 200}, {100, 10, 300, 100}, out);
            if (CHeadFilter* head = doc.Head(ch)) head->ClearBuffers();
        }
    }
    doc.m_display.m_printing = 0;

    // The processed-data export of every channel, with and without the time column.
    std::vector<ChannelExport> channels(CKaisekiDoc::kChannels);
    for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
        auto& c = channels[static_cast<size_t>(ch)];
        doc.GetChannelData(&c.values, &c.label, &c.times, ch);
        CheckWaveform(c.values, ch);
    }
    ExportSettings settings;
    std::string plain = FormatExport(channels, settings);
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;
    std::string timed = FormatExport(channels, settings);
    if (timed.size() < plain.size()) Fail("the time column made the export shorter");

    std::string saved = doc.SaveToBytes();
    CKaisekiDoc reloaded;
    try {
        reloaded.LoadFromBytes(saved);
    } catch (...) {
        Fail("a saved document does not load");
    }
    if (reloaded.SaveToBytes() != saved) Fail("a saved document does not load to the same bytes");
}

}  // namespace tavrel::fuzz
