// Drawing throughput of the common module graph on long recordings, on the recording surface
// (the geometry alone, no rasterising): a 1,000,000-sample output drawn into a plot 770 pixels
// wide, once whole and once through a 100-pixel clipping box as a scroll or partial repaint
// asks. The strip must cost about 100/770 of the whole: the drawing visits only the samples
// under the clipping box.
#include <benchmark/benchmark.h>

#include <cmath>

#include "pipeline/ModBase.h"
#include "platform/RecordingSurface.h"

namespace {

using tavrel::CModBase;
using tavrel::RecordingSurface;
using tavrel::Rect;

constexpr int kSamples = 1000000;
constexpr Rect kPlot{0, 0, 850, 160};  // data width 850 - 80 = 770

// A 50 Hz sine with some noise-like ripple at 2000 Hz, so every pixel column holds a bar.
void Fill(CModBase& m, int n) {
    m.m_output = tavrel::AllocSamples(n);
    m.m_outputCount = n;
    for (int i = 0; i < n; ++i) {
        m.m_output[i] = 2.0 * std::sin(2.0 * M_PI * 50.0 * i / 2000.0) +
                        0.3 * std::sin(2.0 * M_PI * 731.0 * i / 2000.0);
    }
}

void Draw(benchmark::State& state, Rect clip, int visited) {
    CModBase m;
    Fill(m, kSamples);
    RecordingSurface surface(clip);
    for (auto _ : state) {
        surface.Clear();
        m.DrawGraph(&surface, kPlot, DisplayOf(m), nullptr);
        benchmark::DoNotOptimize(surface.Calls().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(visited));
    state.counters["calls"] = static_cast<double>(surface.Calls().size());
}

// Whole plot: every sample is visited.
void BM_RecordingWhole(benchmark::State& state) {
    Draw(state, {0, 0, 850, 160}, kSamples);
}
BENCHMARK(BM_RecordingWhole)->Unit(benchmark::kMicrosecond);

// A strip of 100 pixels in the middle of the data area: about 100/770 of the samples (plus
// 5 pixels and one sample on either side).
void BM_RecordingStrip100(benchmark::State& state) {
    Draw(state, {400, 0, 500, 160}, static_cast<int>(kSamples * 110.0 / 770.0));
}
BENCHMARK(BM_RecordingStrip100)->Unit(benchmark::kMicrosecond);

// The vertical maximum over the whole visible range, which sets the scale: one pass over the
// samples. A module keeps the last maximum for its output array, so only the first paint of an
// output (or of a new visible range) pays for it; here the range alternates so every call scans.
void BM_MaxAbsWhole(benchmark::State& state) {
    CModBase m;
    Fill(m, kSamples);
    int first = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.MaxAbs(first, kSamples));
        first ^= 1;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(kSamples));
}
BENCHMARK(BM_MaxAbsWhole)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
