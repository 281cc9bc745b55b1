// The spectral figures and the burst table beside their peers.
//
// Results table: 200 recordings of 16 x 8192 rows, each opened into a fresh document from its
// data file and measured (MeasureDocument) with the mean frequency, median frequency and slope
// columns and without them - the cost of the new columns against the table as it was.
//
// Frequency trend: 16 channels of 1,000,000 samples at 2000 Hz (an EMG rate), windows of 500 ms
// advancing by 250 ms, median frequency; against a Python loop of scipy.signal.periodogram over
// the same windows (the same estimate), timed in the same run by the system Python.
//
// Bursts: 16 channels of 1,000,000 samples with a burst every 2000 samples; against numpy (the
// threshold, the runs from numpy.diff of the comparison, the merging and the figures per burst).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "PythonTiming.h"
#include "document/KaisekiDoc.h"
#include "document/Measurements.h"
#include "modules/analysis/SpectralKernels.h"

namespace {

using namespace tavrel;

constexpr int kChannels = 16;
constexpr int kLongSamples = 1000000;
constexpr int kRecordings = 200;

std::filesystem::path Folder() {
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() /
                 ("tavrel-spectral-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return folder;
}

// A recording of 16 x 8192 rows as the measure benchmark of the command-line tool writes it.
const std::string& Recording() {
    static const std::string path = [] {
        const std::string p = (Folder() / "rec.csv").string();
        std::ofstream out(p, std::ios::binary);
        char line[32];
        for (int r = 0; r < CKaisekiDoc::kMaxRows; ++r) {
            for (int c = 0; c < kChannels; ++c) {
                const double v =
                    std::sin(r * 0.013 * (c + 1)) * (c + 1) + 0.001 * ((r * 7919 + c) % 997);
                std::snprintf(line, sizeof line, c ? ",%.9g" : "%.9g", v);
                out << line;
            }
            out << "\r\n";
        }
        return p;
    }();
    return path;
}

void BM_MeasureRecordings(benchmark::State& state) {
    const bool spectral = state.range(0) != 0;
    const std::string& path = Recording();
    for (auto _ : state) {
        for (int i = 0; i < kRecordings; ++i) {
            CKaisekiDoc doc;
            doc.OnNewDocument();
            doc.m_dataFilePath = path;
            (void)doc.LoadDataFile(CKaisekiDoc::kMaxRows, nullptr);
            auto rows = MeasureDocument(doc, path, true, spectral);
            benchmark::DoNotOptimize(rows.data());
        }
    }
    state.counters["recordings/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kRecordings, benchmark::Counter::kIsRate);
}

// Surface EMG-like noise whose spectrum slides down over the record: white noise through a
// one-pole low-pass whose corner falls with time.
std::vector<double> Emg(int n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> y(static_cast<std::size_t>(n));
    double state = 0.0;
    for (int i = 0; i < n; ++i) {
        const double a = 0.3 + 0.5 * i / n;
        state = a * state + (1 - a) * noise(rng);
        y[static_cast<std::size_t>(i)] = noise(rng) * 0.05 + state;
    }
    return y;
}

const std::filesystem::path& ChannelsFile() {
    static const std::filesystem::path path = [] {
        const auto p = Folder() / "channels.bin";
        std::ofstream out(p, std::ios::binary);
        for (int c = 0; c < kChannels; ++c) {
            const std::vector<double> y = Emg(kLongSamples, 1 + static_cast<unsigned>(c));
            out.write(reinterpret_cast<const char*>(y.data()),
                      static_cast<std::streamsize>(y.size() * sizeof(double)));
        }
        return p;
    }();
    return path;
}

std::vector<std::vector<double>> Channels() {
    std::vector<std::vector<double>> channels(kChannels);
    std::ifstream in(ChannelsFile(), std::ios::binary);
    for (auto& y : channels) {
        y.resize(kLongSamples);
        in.read(reinterpret_cast<char*>(y.data()),
                static_cast<std::streamsize>(y.size() * sizeof(double)));
    }
    return channels;
}

void ReportSamples(benchmark::State& state) {
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kChannels * kLongSamples,
                           benchmark::Counter::kIsRate);
}

void BM_FrequencyTrend(benchmark::State& state) {
    const auto channels = Channels();
    for (auto _ : state)
        for (const auto& y : channels)
            benchmark::DoNotOptimize(
                spectral::FrequencyTrend(y, 2000, 500, 250, spectral::TrendMeasure::Median));
    ReportSamples(state);
}

void BM_Bursts(benchmark::State& state) {
    auto channels = Channels();
    // A burst of 400 samples every 2000 after the first second.
    for (auto& y : channels)
        for (int i = 2000; i < kLongSamples; ++i)
            if (i % 2000 < 400) y[static_cast<std::size_t>(i)] *= 20.0;
    {
        std::ofstream out(Folder() / "bursts.bin", std::ios::binary);
        for (const auto& y : channels)
            out.write(reinterpret_cast<const char*>(y.data()),
                      static_cast<std::streamsize>(y.size() * sizeof(double)));
    }
    const spectral::BurstSettings settings;
    for (auto _ : state)
        for (const auto& y : channels)
            benchmark::DoNotOptimize(spectral::FindBursts(y, 2000, settings));
    ReportSamples(state);
}

// ---- peers
// ---------------------------------------------------------------------------------------

constexpr const char* kPeers = R"(import sys, time, numpy as np
from scipy import signal
kind, path = sys.argv[1], sys.argv[2]
data = np.fromfile(path, dtype=np.float64).reshape(16, -1)
fs = 2000
def trend(y):
    W, S = 1000, 500
    out = []
    k = 0
    while k * S + W <= len(y):
        f, p = signal.periodogram(y[k*S:k*S+W], fs, window='hann', detrend='constant',
                                  scaling='density')
        total = p.sum()
        out.append(f[np.nonzero(np.cumsum(p) >= 0.5 * total)[0][0]] if total > 0 else 0.0)
        k += 1
    return out
def bursts(y):
    t = 1000 * np.arange(len(y)) / fs
    base = y[(t >= 0) & (t <= 500)]
    thr = base.mean() + 3 * base.std()
    above = np.concatenate(([False], y > thr, [False]))
    edges = np.flatnonzero(np.diff(above.astype(np.int8)))
    first, last = edges[::2], edges[1::2] - 1
    keep = np.concatenate(([True], (first[1:] - last[:-1] - 1) * 1000 / fs >= 50))
    group = np.cumsum(keep) - 1
    a = first[keep]
    b = np.zeros(len(a), dtype=np.int64)
    np.maximum.at(b, group, last)
    long = (b - a + 1) * 1000 / fs >= 50
    out = []
    for s, e in zip(a[long], b[long]):
        v = y[s:e + 1]
        out.append((v.max(), v.mean(), np.sqrt(np.mean(v * v)), v.sum() * 1000 / fs))
    return out
best = None
for _ in range(2 if kind == 'trend' else 5):
    start = time.process_time()
    for y in data:
        (trend if kind == 'trend' else bursts)(y)
    spent = time.process_time() - start
    best = spent if best is None or spent < best else best
print(best)
)";

void Peer(benchmark::State& state, const char* kind, const std::filesystem::path& data) {
    const auto script = Folder() / "peers.py";
    std::ofstream(script) << kPeers;
    double seconds = 0.0;
    for (auto _ : state) {
        seconds = bench::RunPythonTiming(script, std::string(kind) + " " + data.string());
        if (seconds <= 0.0) {
            state.SkipWithError("python3 with numpy and scipy is needed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    ReportSamples(state);
}

void BM_ScipyPeriodogramLoop(benchmark::State& state) {
    Peer(state, "trend", ChannelsFile());
}

void BM_NumpyBursts(benchmark::State& state) {
    Peer(state, "bursts", Folder() / "bursts.bin");
}

BENCHMARK(BM_MeasureRecordings)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);
BENCHMARK(BM_FrequencyTrend)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScipyPeriodogramLoop)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bursts)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_NumpyBursts)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
