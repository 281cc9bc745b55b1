// Throughput of the FFT view and the analysis modules.
//
// FFT: the 1024-point window of the FFT view transformed by the program's radix-2 FFT, beside
// FFTW 3 (the same 1024 real samples, complex-to-complex and real-to-complex plans made with
// FFTW_MEASURE) when the library is installed (Debian: libfftw3-dev); the whole spectrum
// computation of CFFTViewFilter (transform, levels, allocations); the direct DFT that short
// windows use; and the two methods for long stored sizes that are not powers of two. The FFT
// view's spectrum of 1024 and 8192 points (a stored size of 8192 with as many samples) stands
// beside numpy.fft.fft with the same magnitudes and levels, timed in the same run by the system
// Python (FFTW's figure for the same sizes comes from fftw_bench).
//
// Analysis modules: each module's Compute over 16 channels of 8192 samples (the longest data a
// data file gives) and of 1,000,000 samples, in samples per second. The detectors get a quiet
// signal whose activity starts at 90 % of its length, so their scans cover most of the data.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "PythonTiming.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/filters/FFTView.h"
#include "modules/filters/Spectrum.h"

#ifdef TAVREL_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

using namespace tavrel;

constexpr int kChannels = 16;

std::vector<double> Noise(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x)
        v = noise(rng);
    return x;
}

// ---- FFT ---------------------------------------------------------------------------------------

// The radix-2 transform with the widest instruction set the processor has, and by the plain
// butterfly loop (one butterfly at a time).
template <InstructionSet kSet>
void BM_RadixTwoFft(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> s = Noise(n, 1);
    std::vector<double> re(n), im(n);
    const InstructionSet set = kSet == InstructionSet::Avx2 ? BestInstructionSet() : kSet;
    for (auto _ : state) {
        spectrum::RadixTwoFft(s, re, im, set);
        benchmark::DoNotOptimize(re.data());
        benchmark::DoNotOptimize(im.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK_TEMPLATE(BM_RadixTwoFft, InstructionSet::Avx2)
    ->Name("BM_RadixTwoFft")
    ->Arg(128)
    ->Arg(1024)
    ->Arg(8192);
BENCHMARK_TEMPLATE(BM_RadixTwoFft, InstructionSet::Plain)
    ->Name("BM_RadixTwoFftPlain")
    ->Arg(128)
    ->Arg(1024)
    ->Arg(8192);

#ifdef TAVREL_HAVE_FFTW
void BM_FftwComplex(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> s = Noise(static_cast<std::size_t>(n), 1);
    auto* in = fftw_alloc_complex(static_cast<std::size_t>(n));
    auto* out = fftw_alloc_complex(static_cast<std::size_t>(n));
    fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_MEASURE);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            in[i][0] = s[static_cast<std::size_t>(i)];
            in[i][1] = 0.0;
        }
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK(BM_FftwComplex)->Arg(128)->Arg(1024);

void BM_FftwRealToComplex(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> s = Noise(static_cast<std::size_t>(n), 1);
    double* in = fftw_alloc_real(static_cast<std::size_t>(n));
    auto* out = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    for (auto _ : state) {
        std::copy(s.begin(), s.end(), in);
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK(BM_FftwRealToComplex)->Arg(128)->Arg(1024);
#endif

// The FFT view's Compute on a 2000-sample input: the window, the transform, the levels.
void BM_FFTViewCompute(benchmark::State& state) {
    std::vector<double> x = Noise(2000, 2);
    CFFTViewFilter f;
    f.m_points = static_cast<int>(state.range(0));
    f.m_inputCount = 2000;
    f.m_input = AllocSamples(2000);
    std::copy(x.begin(), x.end(), f.m_input.get());
    for (auto _ : state) {
        f.m_output.reset();
        benchmark::DoNotOptimize(f.Compute());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("spectra");
}
BENCHMARK(BM_FFTViewCompute)->Arg(1024)->Arg(1000);

// The FFT view's whole spectrum of a window of n points (n a power of two, requested through the
// stored size and fed exactly n samples): the transform, the peak over all n bins and the n / 2
// levels. Items are input samples transformed, as for the FFTW and numpy peers.
void BM_FFTView(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> x = Noise(static_cast<std::size_t>(n), 4);
    CFFTViewFilter f;
    f.m_points = n;
    f.m_inputCount = n;
    f.m_samplingRate = 2000;
    f.m_input = AllocSamples(n);
    std::copy(x.begin(), x.end(), f.m_input.get());
    for (auto _ : state) {
        f.m_output.reset();
        if (f.Compute() != n / 2) state.SkipWithError("no spectrum");
        benchmark::DoNotOptimize(f.m_output.get());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * n);
}
BENCHMARK(BM_FFTView)->Arg(1024)->Arg(8192);

// The same spectrum by numpy in the system Python, on the same samples: numpy.fft.fft, the
// magnitudes, the peak over all bins and the levels of the first n / 2 bins. Python times many
// spectra itself (best of five passes, processor time, like the rates of the other benchmarks);
// the benchmark reports the time of one spectrum. Needs /usr/bin/python3 with numpy (Debian:
// python3-numpy); without it the benchmark reports an error and the others run as usual.
void BM_NumpyFFT(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> x = Noise(n, 4);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tavrel-analysis-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream data(dir / "x.f64", std::ios::binary);
        data.write(reinterpret_cast<const char*>(x.data()),
                   static_cast<std::streamsize>(n * sizeof(double)));
        std::ofstream py(dir / "run.py");
        py << "import sys, time, numpy as np\n"
              "x = np.fromfile(sys.argv[1] + '/x.f64'); n = x.size\n"
              "calls = max(1, 2000000 // n)\n"
              "def spectrum():\n"
              "    m = np.abs(np.fft.fft(x))\n"
              "    return 20.0 * np.log10(m[:n // 2] / m.max()) + 40.0\n"
              "best = 1e9\n"
              "for _ in range(5):\n"
              "    t = time.process_time()\n"
              "    for _ in range(calls): spectrum()\n"
              "    best = min(best, (time.process_time() - t) / calls)\n"
              "print(repr(best))\n";
    }
    const double seconds = bench::RunPythonTiming(dir / "run.py", dir.string());
    std::filesystem::remove_all(dir);
    if (seconds <= 0.0) {
        state.SkipWithError("python3 with numpy not available");
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(seconds);
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * static_cast<long long>(n));
}
BENCHMARK(BM_NumpyFFT)->Arg(1024)->Arg(8192)->UseManualTime()->Iterations(1);

void BM_DirectDft(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> s = Noise(n, 3);
    std::vector<double> re(n), im(n);
    for (auto _ : state) {
        spectrum::DirectDft(s, re, im);
        benchmark::DoNotOptimize(re.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK(BM_DirectDft)->Arg(100)->Arg(127)->Arg(1000)->Arg(8192);

void BM_ChirpZDft(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> s = Noise(n, 3);
    std::vector<double> re(n), im(n);
    for (auto _ : state) {
        spectrum::ChirpZDft(s, re, im);
        benchmark::DoNotOptimize(re.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK(BM_ChirpZDft)->Arg(1000)->Arg(8192);

// ---- analysis modules --------------------------------------------------------------------------

// Sixteen channels of n samples: low noise, then from 90 % of the length a 50 Hz burst (2000 Hz).
const std::vector<std::vector<double>>& Channels(std::size_t n) {
    static std::vector<std::vector<double>> cache;
    static std::size_t cachedN = 0;
    if (cachedN != n) {
        std::mt19937_64 rng(777);
        std::normal_distribution<double> noise(0.0, 0.02);
        cache.assign(kChannels, std::vector<double>(n));
        const std::size_t onset = n / 10 * 9;
        for (auto& channel : cache) {
            for (std::size_t i = 0; i < n; ++i) {
                double burst = i >= onset ? std::sin(2.0 * 3.141592653589793 * 50.0 * i / 2000) : 0;
                channel[i] = burst + noise(rng);
            }
        }
        cachedN = n;
    }
    return cache;
}

template <class Module>
void RunModule(benchmark::State& state, Module& module) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto& channels = Channels(n);
    for (auto _ : state) {
        for (const auto& x : channels) {
            module.m_input = AllocSamples(static_cast<long long>(n));
            std::copy(x.begin(), x.end(), module.m_input.get());
            module.m_inputCount = static_cast<int>(n);
            module.m_samplingRate = 2000;
            module.m_markerIndex = -1;
            module.m_output.reset();
            benchmark::DoNotOptimize(module.Compute());
        }
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * kChannels *
                            static_cast<long long>(n));
}

void BM_AmplitudeDetection(benchmark::State& state) {
    CAActDetFilter f;
    RunModule(state, f);
}
BENCHMARK(BM_AmplitudeDetection)->Arg(8192)->Arg(1000000);

void BM_SdDetection(benchmark::State& state) {
    CSDActDetFilter f;
    RunModule(state, f);
}
BENCHMARK(BM_SdDetection)->Arg(8192)->Arg(1000000);

void BM_Integrator(benchmark::State& state) {
    CIntFilter f;
    RunModule(state, f);
}
BENCHMARK(BM_Integrator)->Arg(8192)->Arg(1000000);

void BM_ClipCut(benchmark::State& state) {
    CClipFilter f;
    f.m_cut = 1;
    f.m_startMs = 100;
    RunModule(state, f);
}
BENCHMARK(BM_ClipCut)->Arg(8192)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
