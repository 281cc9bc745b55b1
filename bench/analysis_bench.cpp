// Throughput of the FFT view and the analysis modules.
//
// FFT: the 1024-point window of the FFT view transformed by the program's radix-2 FFT, beside
// FFTW 3 (the same 1024 real samples, complex-to-complex and real-to-complex plans made with
// FFTW_MEASURE) when the library is installed (Debian: libfftw3-dev); the whole spectrum
// computation of CFFTViewFilter (transform, levels, allocations); the direct DFT that short
// windows use; and the two methods for long stored sizes that are not powers of two.
//
// Analysis modules: each module's Compute over 16 channels of 8192 samples (the longest data a
// data file gives) and of 1,000,000 samples, in samples per second. The detectors get a quiet
// signal whose activity starts at 90 % of its length, so their scans cover most of the data.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

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

void BM_RadixTwoFft(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> s = Noise(n, 1);
    std::vector<double> re(n), im(n);
    for (auto _ : state) {
        spectrum::RadixTwoFft(s, re, im);
        benchmark::DoNotOptimize(re.data());
        benchmark::DoNotOptimize(im.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
    state.SetLabel("transforms");
}
BENCHMARK(BM_RadixTwoFft)->Arg(128)->Arg(1024);

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
