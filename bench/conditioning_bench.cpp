// The conditioning filters over 16 channels of 1,000,000 samples at 2000 Hz, each beside its peer
// timed in the same run by the system Python: the zero-phase Butterworth band-pass (order 4,
// 20-450 Hz) and the 50 Hz notch with 5 harmonics against scipy.signal.sosfiltfilt, the causal
// Butterworth against scipy.signal.sosfilt, and the moving RMS (N = 200) against pandas' rolling
// mean of the squares. The peers run the same sections (SciPy designs them itself) on the same
// data, which goes to Python as a file; the zero-phase runs are also timed as the plain loops
// they equal bit for bit. The Python peers need python3-numpy, python3-scipy and
// python3-pandas.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PythonTiming.h"
#include "modules/analysis/EnvelopeKernels.h"
#include "modules/filters/IirDesign.h"
#include "modules/filters/SosKernels.h"
#include "platform/WorkerPool.h"

namespace tavrel {
namespace {

constexpr int kChannels = 16;
constexpr std::size_t kSamples = 1000000;
constexpr double kRate = 2000.0;

// EMG-like channels: noise bursts over a 50 Hz hum and a slow drift.
const std::vector<std::vector<double>>& Channels() {
    static const std::vector<std::vector<double>> channels = [] {
        std::mt19937_64 rng(2026);
        std::normal_distribution<double> noise(0.0, 0.1);
        std::vector<std::vector<double>> out(kChannels, std::vector<double>(kSamples));
        for (int c = 0; c < kChannels; ++c) {
            for (std::size_t i = 0; i < kSamples; ++i) {
                const double t = static_cast<double>(i) / kRate;
                const double burst = std::fmod(t, 2.0) < 0.7 ? 1.0 : 0.05;
                out[c][i] = burst * noise(rng) + 0.2 * std::sin(2 * M_PI * 50 * t) + 0.01 * t;
            }
        }
        return out;
    }();
    return channels;
}

void Report(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(kSamples));
}

template <class Run>
void EveryChannel(benchmark::State& state, Run run) {
    const auto& channels = Channels();
    std::vector<double> y(kSamples);
    for (auto _ : state) {
        for (const auto& x : channels) {
            run(x, y);
            benchmark::DoNotOptimize(y.data());
        }
    }
    Report(state);
}

// The sixteen channels as the program computes them: each chain on its own thread of the pool
// (ThreadCount(): all the processor's cores unless TAVREL_THREADS says otherwise).
template <class Run>
void ChannelsSideBySide(benchmark::State& state, Run run) {
    const auto& channels = Channels();
    std::vector<std::vector<double>> y(kChannels, std::vector<double>(kSamples));
    for (auto _ : state) {
        ParallelFor(kChannels, [&](int c) {
            run(channels[static_cast<std::size_t>(c)], y[static_cast<std::size_t>(c)]);
            benchmark::DoNotOptimize(y[static_cast<std::size_t>(c)].data());
        });
    }
    state.counters["threads"] = ThreadCount();
    Report(state);
}

const kernels::Sections& BandPass() {
    static const kernels::Sections sos =
        kernels::ButterworthSections(kernels::BandKind::BandPass, 4, 20.0, 450.0, kRate);
    return sos;
}
const kernels::Sections& Notches() {
    static const kernels::Sections sos = kernels::NotchCascade(50.0, 30.0, 5, kRate);
    return sos;
}

void BM_ButterZeroPhase(benchmark::State& state) {
    EveryChannel(state, [](const auto& x, auto& y) { kernels::SosFiltFilt(BandPass(), x, y); });
}
void BM_ButterCausal(benchmark::State& state) {
    EveryChannel(state, [](const auto& x, auto& y) { kernels::SosFilter(BandPass(), x, y); });
}
void BM_NotchZeroPhase(benchmark::State& state) {
    EveryChannel(state, [](const auto& x, auto& y) { kernels::SosFiltFilt(Notches(), x, y); });
}
// The same two runs as plain loops over one padded copy: what the side-by-side runs equal bit
// for bit.
void BM_ButterZeroPhasePlain(benchmark::State& state) {
    EveryChannel(state,
                 [](const auto& x, auto& y) { kernels::reference::SosFiltFilt(BandPass(), x, y); });
}
void BM_NotchZeroPhasePlain(benchmark::State& state) {
    EveryChannel(state,
                 [](const auto& x, auto& y) { kernels::reference::SosFiltFilt(Notches(), x, y); });
}
void BM_ButterZeroPhaseChannels(benchmark::State& state) {
    ChannelsSideBySide(state,
                       [](const auto& x, auto& y) { kernels::SosFiltFilt(BandPass(), x, y); });
}
void BM_NotchZeroPhaseChannels(benchmark::State& state) {
    ChannelsSideBySide(state,
                       [](const auto& x, auto& y) { kernels::SosFiltFilt(Notches(), x, y); });
}
void BM_MovingRms(benchmark::State& state) {
    EveryChannel(state, [](const auto& x, auto& y) { kernels::MovingRms(x, 200, y); });
}

// One pass of `statement` over the 16 channels (x[c]), timed by Python (processor time, best of
// three passes).
void PythonPeer(benchmark::State& state, const std::string& setup, const std::string& statement) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tavrel-conditioning-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream data(dir / "x.f64", std::ios::binary);
        for (const auto& x : Channels())
            data.write(reinterpret_cast<const char*>(x.data()),
                       static_cast<std::streamsize>(kSamples * sizeof(double)));
        std::ofstream py(dir / "run.py");
        py << "import sys, time, numpy as np, pandas as pd\n"
              "from scipy import signal\n"
              "d = sys.argv[1]; n = int(sys.argv[2])\n"
              "x = np.fromfile(d + '/x.f64').reshape(16, n)\n"
           << setup
           << "best = 1e9\n"
              "for _ in range(3):\n"
              "    t = time.process_time()\n"
              "    for c in range(16): "
           << statement
           << "\n"
              "    best = min(best, time.process_time() - t)\n"
              "print(repr(best))\n";
    }
    const double seconds =
        bench::RunPythonTiming(dir / "run.py", dir.string() + " " + std::to_string(kSamples));
    std::filesystem::remove_all(dir);
    if (seconds <= 0.0) {
        state.SkipWithError("python3 with numpy, scipy and pandas not available");
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(seconds);
    Report(state);
}

const char* const kBandPassSetup =
    "sos = signal.butter(4, [20, 450], 'bandpass', fs=2000, output='sos')\n";
const char* const kNotchSetup =
    "sos = np.array([np.concatenate(signal.iirnotch(h * 50.0, 30.0, fs=2000)) "
    "for h in range(1, 6)])\n";

void BM_ScipySosfiltfiltBand(benchmark::State& state) {
    PythonPeer(state, kBandPassSetup, "y = signal.sosfiltfilt(sos, x[c])");
}
void BM_ScipySosfiltBand(benchmark::State& state) {
    PythonPeer(state, kBandPassSetup, "y = signal.sosfilt(sos, x[c])");
}
void BM_ScipySosfiltfiltNotch(benchmark::State& state) {
    PythonPeer(state, kNotchSetup, "y = signal.sosfiltfilt(sos, x[c])");
}
void BM_PandasRollingRms(benchmark::State& state) {
    PythonPeer(state, "",
               "y = np.sqrt(pd.Series(x[c] * x[c]).rolling(200, center=True, "
               "min_periods=1).mean().to_numpy())");
}

BENCHMARK(BM_ButterZeroPhase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScipySosfiltfiltBand)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ButterZeroPhasePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ButterZeroPhaseChannels)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ButterCausal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScipySosfiltBand)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotchZeroPhase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScipySosfiltfiltNotch)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotchZeroPhasePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotchZeroPhaseChannels)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingRms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PandasRollingRms)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
