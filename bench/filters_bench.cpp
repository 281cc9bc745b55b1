// Throughput of the signal filters: each module's Compute over 16 channels of 8192 samples (the
// longest data a data file gives) and of 1,000,000 samples, in samples per second; the two
// convolution loops of the FIR filters on their own; and, as the baselines, numpy.convolve with
// mode "same" and the same 41 taps on the same data, and numpy's band-pass as two such passes,
// timed in the same run by the system Python.
//
// The moving average stands beside its plain loop and, as its peers, pandas' rolling sum and
// scipy's uniform_filter1d with the same window on the same data.
//
// The Python baselines need /usr/bin/python3 with numpy, pandas and scipy (Debian: python3-numpy,
// python3-pandas, python3-scipy); without them those benchmarks report an error and the others run
// as usual.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "PythonTiming.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FirKernels.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"

namespace {

using namespace tavrel;

constexpr int kChannels = 16;

// Sixteen channels of n samples: a sum of two sines and noise, the same on every call.
const std::vector<std::vector<double>>& Channels(std::size_t n) {
    static std::vector<std::vector<double>> cache;
    static std::size_t cachedN = 0;
    if (cachedN != n) {
        std::mt19937_64 rng(12345);
        std::normal_distribution<double> noise(0.0, 0.1);
        cache.assign(kChannels, std::vector<double>(n));
        for (int c = 0; c < kChannels; ++c) {
            for (std::size_t i = 0; i < n; ++i) {
                double t = static_cast<double>(i);
                cache[c][i] = std::sin(0.01 * t * (c + 1)) + 0.5 * std::sin(2.3 * t) + noise(rng);
            }
        }
        cachedN = n;
    }
    return cache;
}

// Computes the module over every channel once per iteration. The input is handed to the module
// as it would arrive from upstream; the tap caches stay designed between iterations, as they do
// between paints.
template <class Module>
void BM_Module(benchmark::State& state, void (*configure)(Module&)) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const auto& channels = Channels(n);
    Module module;
    if (configure) configure(module);
    for (auto _ : state) {
        for (const std::vector<double>& x : channels) {
            module.m_input = AllocSamples(static_cast<long long>(n));
            std::copy(x.begin(), x.end(), module.m_input.get());
            module.m_inputCount = static_cast<int>(n);
            module.m_output.reset();
            if (module.Compute() < 0) state.SkipWithError("Compute failed");
            benchmark::DoNotOptimize(module.m_output.get());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(n));
}

std::array<double, kernels::kTapCount> LowPassTaps() {
    std::array<double, kernels::kTapCount> h{};
    kernels::DesignLowPass(h, 0.3);
    return h;
}

// The FIR filtering loop alone, blocked (the one the filters use) or plain (one output at a time).
template <bool kBlocked>
void BM_Convolve(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const auto& channels = Channels(n);
    const auto h = LowPassTaps();
    std::vector<double> y(n);
    for (auto _ : state) {
        for (const std::vector<double>& x : channels) {
            if (kBlocked) {
                kernels::ConvolveCentred(x, h, y);
            } else {
                kernels::ConvolveCentredPlain(x, h, y);
            }
            benchmark::DoNotOptimize(y.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(n));
}

// Runs a numpy peer in the system Python over the same sixteen channels of n samples and returns
// the processor time (seconds) of one pass over all of them, or a negative value when python3 with
// numpy is not available. The channels go to x.f64 (16 x n doubles), each tap set to its own file
// (<name>.f64); `pass` is the Python statement run for one channel, with x[c] the channel and the
// tap sets by their names. Python times the passes itself (best of five) in processor time, like
// the other benchmarks' samples per second, so that a busy machine does not tilt the comparison.
double TimeNumpyPass(std::size_t n,
                     const std::vector<std::pair<std::string, const double*>>& tapSets,
                     const std::string& pass, const std::string& imports = "") {
    const auto& channels = Channels(n);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tavrel-filters-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream data(dir / "x.f64", std::ios::binary);
        for (const auto& x : channels)
            data.write(reinterpret_cast<const char*>(x.data()),
                       static_cast<std::streamsize>(n * sizeof(double)));
        for (const auto& [name, taps] : tapSets) {
            std::ofstream file(dir / (name + ".f64"), std::ios::binary);
            file.write(reinterpret_cast<const char*>(taps),
                       static_cast<std::streamsize>(kernels::kTapCount * sizeof(double)));
        }
    }
    std::string script =
        "import sys, time, numpy as np\n"
        "d = sys.argv[1]; n = int(sys.argv[2])\n"
        "x = np.fromfile(d + '/x.f64').reshape(16, n)\n" +
        imports;
    for (const auto& tapSet : tapSets)
        script += tapSet.first + " = np.fromfile(d + '/" + tapSet.first + ".f64')\n";
    script +=
        "best = 1e9\n"
        "for _ in range(5):\n"
        "    t = time.process_time()\n"
        "    for c in range(16): " +
        pass +
        "\n"
        "    best = min(best, time.process_time() - t)\n"
        "print(repr(best))\n";
    {
        std::ofstream py(dir / "run.py");
        py << script;
    }
    const double seconds =
        bench::RunPythonTiming(dir / "run.py", dir.string() + " " + std::to_string(n));
    std::filesystem::remove_all(dir);
    return seconds > 0.0 ? seconds : -1.0;
}

// Reports a pass timed by Python as the time of one iteration (manual time) over 16 x n samples.
void ReportNumpyPass(benchmark::State& state, std::size_t n, double seconds) {
    if (seconds <= 0.0) {
        state.SkipWithError("python3 with numpy, pandas or scipy not available");
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(seconds);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(n));
}

// numpy.convolve(x, h, mode="same") with the low-pass taps over the same sixteen channels: with
// 41 symmetric taps, "same" centres the output on the input exactly as the filters do.
void BM_NumpyConvolveSame(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const auto h = LowPassTaps();
    ReportNumpyPass(state, n,
                    TimeNumpyPass(n, {{"h", h.data()}}, "y = np.convolve(x[c], h, mode='same')"));
}

// The band-pass as numpy would do it: the high-pass at the lower edge, then the low-pass at the
// upper edge over that result, each np.convolve with mode "same" (so the intermediate is cut to
// the input's length and padded with zeros afresh, as in CBPFilter). The taps are those of the
// band-pass defaults (0.3 and 0.6 of the Nyquist frequency).
void BM_NumpyBandPass(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    std::array<double, kernels::kTapCount> high{}, low{};
    kernels::DesignLowPass(high, 1.0 - 0.3);
    kernels::MirrorToHighPass(high);
    kernels::DesignLowPass(low, 0.6);
    ReportNumpyPass(state, n,
                    TimeNumpyPass(n, {{"hp", high.data()}, {"lp", low.data()}},
                                  "y = np.convolve(np.convolve(x[c], hp, mode='same'), lp, "
                                  "mode='same')"));
}

// The moving average's peers over the same sixteen channels: pandas' centred rolling sum (the sum
// of each window's samples inside the data) and scipy's uniform_filter1d (the mean of each
// window, zeros beyond the ends). Both keep a running sum, so their cost does not grow
// with the window; the module's fixed order of additions makes its cost grow with N.
void BM_PandasRollingSum(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::string points = std::to_string(state.range(1));
    ReportNumpyPass(state, n,
                    TimeNumpyPass(n, {},
                                  "y = pd.Series(x[c]).rolling(" + points +
                                      ", center=True, min_periods=1).sum().to_numpy()",
                                  "import pandas as pd\n"));
}

void BM_ScipyUniformFilter(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::string points = std::to_string(state.range(1));
    ReportNumpyPass(
        state, n,
        TimeNumpyPass(n, {}, "y = uniform_filter1d(x[c], " + points + ", mode='constant')",
                      "from scipy.ndimage import uniform_filter1d\n"));
}

// The moving average computed by its plain loop alone (one output at a time), beside the module,
// whose kernel computes neighbouring outputs side by side with the widest instruction set the
// processor has.
void BM_MovingAveragePlain(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    const auto& channels = Channels(n);
    std::vector<double> y(n);
    for (auto _ : state) {
        for (const std::vector<double>& x : channels) {
            kernels::MovingAveragePlain(x, points, y);
            benchmark::DoNotOptimize(y.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(n));
}

// The kernel alone on one instruction set (the AVX2 and AVX-512 paths side by side); skipped
// where the processor lacks the set.
template <InstructionSet kSet>
void BM_MovingAverageKernel(benchmark::State& state) {
    if (UsableInstructionSet(kSet) != kSet) {
        state.SkipWithError("the processor lacks this instruction set");
        return;
    }
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const int points = static_cast<int>(state.range(1));
    const auto& channels = Channels(n);
    std::vector<double> y(n);
    for (auto _ : state) {
        for (const std::vector<double>& x : channels) {
            kernels::MovingAverage(x, points, y, kSet);
            benchmark::DoNotOptimize(y.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kChannels *
                            static_cast<std::int64_t>(n));
}

void BM_LowPass(benchmark::State& s) {
    BM_Module<CLPFilter>(s, nullptr);
}
void BM_HighPass(benchmark::State& s) {
    BM_Module<CHPFilter>(s, nullptr);
}
void BM_BandPass(benchmark::State& s) {
    BM_Module<CBPFilter>(s, nullptr);
}
void BM_BandStop(benchmark::State& s) {
    BM_Module<CBSFilter>(s, nullptr);
}
void BM_Rectifier(benchmark::State& s) {
    BM_Module<CDiodeFilter>(s, nullptr);
}
void BM_MovingAverage5(benchmark::State& s) {
    BM_Module<CSmothFilter>(s, nullptr);
}
void BM_MovingAverage1000(benchmark::State& s) {
    BM_Module<CSmothFilter>(s, [](CSmothFilter& m) { m.m_points = 1000; });
}
void BM_Decimation5(benchmark::State& s) {
    BM_Module<CReSmplFilter>(s, nullptr);
}
void BM_Differentiator(benchmark::State& s) {
    BM_Module<CDiffFilter>(s, nullptr);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_NumpyConvolveSame)->Apply(Sizes)->UseManualTime()->Iterations(1);
BENCHMARK(BM_NumpyBandPass)->Apply(Sizes)->UseManualTime()->Iterations(1);
BENCHMARK_TEMPLATE(BM_Convolve, false)->Name("BM_ConvolvePlainLoop")->Apply(Sizes);
BENCHMARK_TEMPLATE(BM_Convolve, true)->Name("BM_ConvolveBlocked")->Apply(Sizes);
BENCHMARK(BM_LowPass)->Apply(Sizes);
BENCHMARK(BM_HighPass)->Apply(Sizes);
BENCHMARK(BM_BandPass)->Apply(Sizes);
BENCHMARK(BM_BandStop)->Apply(Sizes);
BENCHMARK(BM_Rectifier)->Apply(Sizes);
BENCHMARK(BM_MovingAverage5)->Apply(Sizes);
// The widest window the dialog accepts, on the longest data a data file gives.
BENCHMARK(BM_MovingAverage1000)->Arg(8192)->Unit(benchmark::kMillisecond);
// Samples per channel and window length.
void MovingAverageCases(benchmark::internal::Benchmark* b) {
    b->Args({8192, 5})->Args({1000000, 5})->Args({8192, 1000})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_MovingAveragePlain)->Apply(MovingAverageCases);
BENCHMARK_TEMPLATE(BM_MovingAverageKernel, InstructionSet::Avx2)
    ->Args({8192, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_MovingAverageKernel, InstructionSet::Avx512)
    ->Args({8192, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PandasRollingSum)->Apply(MovingAverageCases)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ScipyUniformFilter)->Apply(MovingAverageCases)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Decimation5)->Apply(Sizes);
BENCHMARK(BM_Differentiator)->Apply(Sizes);

BENCHMARK_MAIN();
