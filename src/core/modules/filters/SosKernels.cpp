#include "modules/filters/SosKernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#ifdef TAVREL_HAVE_X86_KERNELS
#include <immintrin.h>
#endif

namespace tavrel::kernels {

namespace {

constexpr std::size_t kGroupSections = 8;

// One sample through one section (transposed direct form II), in SciPy's order of operations.
inline double SectionStep(const Section& c, double* z, double cur) {
    const double next = c[0] * cur + z[0];
    z[0] = c[1] * cur - c[4] * next + z[1];
    z[1] = c[2] * cur - c[5] * next;
    return next;
}

// The cascade sample after sample, each sample through every section in turn: the plain loop
// that the faster runner below must equal bit for bit.
void RunPlain(const Sections& sos, double* state, const double* src, double* dst,
              std::ptrdiff_t count, std::ptrdiff_t step) {
    for (std::ptrdiff_t n = 0; n < count; ++n) {
        double cur = src[n * step];
        for (std::size_t s = 0; s < sos.size(); ++s)
            cur = SectionStep(sos[s], state + 2 * s, cur);
        dst[n * step] = cur;
    }
}

#ifdef TAVREL_HAVE_X86_KERNELS

// The sections of a group laid out lane by lane (lane k = section k; lanes past the last
// section have zero coefficients and nobody reads them): coefficients b0, b1, b2, a1, a2, the
// two states, and the outputs of the last two steps (`newest`, `older`).
struct Lanes {
    alignas(32) double coef[5][kGroupSections];
    alignas(32) double z0[kGroupSections];
    alignas(32) double z1[kGroupSections];
    alignas(32) double newest[kGroupSections];
    alignas(32) double older[kGroupSections];
};

// `steps` steps in which every section of the group has a sample: at each, lane 0 takes the next
// input, lane k the output lane k - 1 gave at the step before, and the output of lane `last` is
// written. Sections go two to a register.
template <std::size_t P>
void SteadySse2(Lanes& l, const double* in, double* out, std::ptrdiff_t steps, std::ptrdiff_t step,
                std::ptrdiff_t last) {
    __m128d z0[P], z1[P], next[P];
    for (std::size_t p = 0; p < P; ++p) {
        z0[p] = _mm_load_pd(l.z0 + 2 * p);
        z1[p] = _mm_load_pd(l.z1 + 2 * p);
        next[p] = _mm_load_pd(l.newest + 2 * p);
    }
    for (std::ptrdiff_t t = 0; t < steps; ++t, in += step, out += step) {
        __m128d cur[P];
        cur[0] = _mm_shuffle_pd(_mm_load_sd(in), next[0], 0);
        for (std::size_t p = 1; p < P; ++p)
            cur[p] = _mm_shuffle_pd(next[p - 1], next[p], 1);
        for (std::size_t p = 0; p < P; ++p) {
            const __m128d b0 = _mm_load_pd(l.coef[0] + 2 * p);
            const __m128d b1 = _mm_load_pd(l.coef[1] + 2 * p);
            const __m128d b2 = _mm_load_pd(l.coef[2] + 2 * p);
            const __m128d a1 = _mm_load_pd(l.coef[3] + 2 * p);
            const __m128d a2 = _mm_load_pd(l.coef[4] + 2 * p);
            next[p] = _mm_add_pd(_mm_mul_pd(b0, cur[p]), z0[p]);
            z0[p] = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(b1, cur[p]), _mm_mul_pd(a1, next[p])), z1[p]);
            z1[p] = _mm_sub_pd(_mm_mul_pd(b2, cur[p]), _mm_mul_pd(a2, next[p]));
        }
        if (last % 2 == 0)
            _mm_store_sd(out, next[last / 2]);
        else
            _mm_storeh_pd(out, next[last / 2]);
    }
    for (std::size_t p = 0; p < P; ++p) {
        _mm_store_pd(l.z0 + 2 * p, z0[p]);
        _mm_store_pd(l.z1 + 2 * p, z1[p]);
        _mm_store_pd(l.newest + 2 * p, next[p]);
    }
}

// The same with four sections to a register (V registers), lane k taking what lane k - 1 gave two
// steps before: the shift by one lane across the halves of a register takes longer than a
// section's own chain, so it gets two steps' time.
template <std::size_t V>
__attribute__((target("avx2"))) void SteadyAvx(Lanes& l, const double* in, double* out,
                                               std::ptrdiff_t steps, std::ptrdiff_t step,
                                               std::ptrdiff_t last) {
    __m256d z0[V], z1[V], newest[V], older[V];
    for (std::size_t v = 0; v < V; ++v) {
        z0[v] = _mm256_load_pd(l.z0 + 4 * v);
        z1[v] = _mm256_load_pd(l.z1 + 4 * v);
        newest[v] = _mm256_load_pd(l.newest + 4 * v);
        older[v] = _mm256_load_pd(l.older + 4 * v);
    }
    for (std::ptrdiff_t t = 0; t < steps; ++t, in += step, out += step) {
        // [a3, b0, b1, b2] from a and b: the middle halves [a2, a3, b0, b1], then a3 and b0
        // from them, b1 and b2 from b.
        __m256d cur[V];
        const __m256d x = _mm256_broadcast_sd(in);
        cur[0] = _mm256_shuffle_pd(_mm256_permute2f128_pd(x, older[0], 0x21), older[0], 5);
        for (std::size_t v = 1; v < V; ++v)
            cur[v] = _mm256_shuffle_pd(_mm256_permute2f128_pd(older[v - 1], older[v], 0x21),
                                       older[v], 5);
        for (std::size_t v = 0; v < V; ++v) {
            const __m256d b0 = _mm256_load_pd(l.coef[0] + 4 * v);
            const __m256d b1 = _mm256_load_pd(l.coef[1] + 4 * v);
            const __m256d b2 = _mm256_load_pd(l.coef[2] + 4 * v);
            const __m256d a1 = _mm256_load_pd(l.coef[3] + 4 * v);
            const __m256d a2 = _mm256_load_pd(l.coef[4] + 4 * v);
            const __m256d next = _mm256_add_pd(_mm256_mul_pd(b0, cur[v]), z0[v]);
            z0[v] = _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(b1, cur[v]), _mm256_mul_pd(a1, next)),
                                  z1[v]);
            z1[v] = _mm256_sub_pd(_mm256_mul_pd(b2, cur[v]), _mm256_mul_pd(a2, next));
            older[v] = newest[v];
            newest[v] = next;
        }
        const __m256d outer = newest[last / 4];
        const __m128d half =
            last % 4 < 2 ? _mm256_castpd256_pd128(outer) : _mm256_extractf128_pd(outer, 1);
        if (last % 2 == 0)
            _mm_store_sd(out, half);
        else
            _mm_storeh_pd(out, half);
    }
    for (std::size_t v = 0; v < V; ++v) {
        _mm256_store_pd(l.z0 + 4 * v, z0[v]);
        _mm256_store_pd(l.z1 + 4 * v, z1[v]);
        _mm256_store_pd(l.newest + 4 * v, newest[v]);
        _mm256_store_pd(l.older + 4 * v, older[v]);
    }
}

// The sections of a group (at most kGroupSections) run side by side, `lag` samples apart: at
// step t section k works on sample t - lag k, taking what section k - 1 gave `lag` steps before.
// Each section's operations are those of SectionStep in the same order, so the result equals
// RunPlain's bit for bit, but the sections' chains of dependent operations now overlap instead of
// following one another. The steps where only some sections have a sample (at the start and the
// end) go section by section.
void RunStaggered(std::span<const Section> sos, double* state, const double* src, double* dst,
                  std::ptrdiff_t count, std::ptrdiff_t step, InstructionSet set) {
    const auto sections = static_cast<std::ptrdiff_t>(sos.size());
    const bool wide = set == InstructionSet::Avx2 && sections > 2;
    const std::ptrdiff_t lag = wide ? 2 : 1;
    Lanes l = {};
    // The outputs of step t - lag, overwritten by those of step t; with a lag of 2 the two
    // arrays take turns by the step's parity.
    const auto slot = [&](std::ptrdiff_t t) { return lag == 1 || t % 2 == 0 ? l.newest : l.older; };
    const auto partialStep = [&](std::ptrdiff_t t) {
        double* const link = slot(t);
        for (std::ptrdiff_t k = std::min(sections - 1, t / lag); k >= 0 && t - lag * k < count;
             --k) {
            const std::ptrdiff_t sample = t - lag * k;
            const double in = k == 0 ? src[sample * step] : link[k - 1];
            const double out = SectionStep(sos[static_cast<std::size_t>(k)], state + 2 * k, in);
            if (k == sections - 1)
                dst[sample * step] = out;
            else
                link[k] = out;
        }
    };
    const std::ptrdiff_t fill = lag * (sections - 1);
    std::ptrdiff_t t = 0;
    for (; t < fill; ++t)
        partialStep(t);
    if (t < count) {
        for (std::ptrdiff_t k = 0; k < sections; ++k) {
            const Section& c = sos[static_cast<std::size_t>(k)];
            l.coef[0][k] = c[0];
            l.coef[1][k] = c[1];
            l.coef[2][k] = c[2];
            l.coef[3][k] = c[4];
            l.coef[4][k] = c[5];
            l.z0[k] = state[2 * k];
            l.z1[k] = state[2 * k + 1];
        }
        // The steady loops hold the newest outputs in `newest`: for a lag of 2, those of step
        // t - 1, which sit in the slot of its parity.
        const bool swapped = lag == 2 && (t - 1) % 2 == 1;
        if (swapped) std::swap(l.newest, l.older);
        const std::ptrdiff_t last = sections - 1;
        const double* in = src + t * step;
        double* out = dst + (t - fill) * step;
        const std::ptrdiff_t steps = count - t;
        if (wide && sections > 4)
            SteadyAvx<2>(l, in, out, steps, step, last);
        else if (wide)
            SteadyAvx<1>(l, in, out, steps, step, last);
        else if (sections > 6)
            SteadySse2<4>(l, in, out, steps, step, last);
        else if (sections > 4)
            SteadySse2<3>(l, in, out, steps, step, last);
        else if (sections > 2)
            SteadySse2<2>(l, in, out, steps, step, last);
        else
            SteadySse2<1>(l, in, out, steps, step, last);
        t = count;
        if (lag == 2 && (t - 1) % 2 == 1) std::swap(l.newest, l.older);
        for (std::ptrdiff_t k = 0; k < sections; ++k) {
            state[2 * k] = l.z0[k];
            state[2 * k + 1] = l.z1[k];
        }
    }
    for (; t < count + fill; ++t)
        partialStep(t);
}

#endif

// The cascade over `count` samples read from `src` and written to `dst` (which may be `src`),
// both visited in steps of `step` (1 forwards, -1 backwards), from the states in `state` (two
// per section, updated). A long cascade runs in groups of sections, each group over the whole
// signal in turn: a section's outputs depend only on its inputs and its state, so the grouping
// changes no bit.
void RunCascade(const Sections& sos, double* state, const double* src, double* dst,
                std::ptrdiff_t count, std::ptrdiff_t step, InstructionSet set) {
    set = UsableInstructionSet(set);
    if (sos.empty() || set == InstructionSet::Plain) {
        if (sos.empty())
            for (std::ptrdiff_t n = 0; n < count; ++n)
                dst[n * step] = src[n * step];
        else
            RunPlain(sos, state, src, dst, count, step);
        return;
    }
#ifdef TAVREL_HAVE_X86_KERNELS
    for (std::size_t first = 0; first < sos.size(); first += kGroupSections) {
        const std::size_t size = std::min(kGroupSections, sos.size() - first);
        RunStaggered(std::span<const Section>(sos.data() + first, size), state + 2 * first, src,
                     dst, count, step, set);
        src = dst;
    }
#endif
}

}  // namespace

std::size_t ZeroPhasePadLength(const Sections& sos, std::size_t n) {
    std::size_t zeroB2 = 0, zeroA2 = 0;
    for (const Section& s : sos) {
        zeroB2 += s[2] == 0.0 ? 1 : 0;
        zeroA2 += s[5] == 0.0 ? 1 : 0;
    }
    const std::size_t taps = 2 * sos.size() + 1 - std::min(zeroB2, zeroA2);
    const std::size_t edge = 3 * taps;
    if (n > edge) return edge;
    return n == 0 ? 0 : n - 1;
}

std::vector<double> SteadyState(const Sections& sos) {
    std::vector<double> zi(2 * sos.size());
    double scale = 1.0;
    for (std::size_t s = 0; s < sos.size(); ++s) {
        const Section& c = sos[s];
        // zi = A zi + B for the section's companion matrix: the system
        // [[1 + a1, -1], [a2, 1]] zi = [b1 - a1 b0, b2 - a2 b0], solved by elimination with the
        // larger pivot first as LAPACK's dgesv does (so that a DC gain of 0 comes out as the
        // same rounding residue).
        const double rhs[2] = {c[1] - c[4] * c[0], c[2] - c[5] * c[0]};
        double m[2][2] = {{1.0 + c[4], -1.0}, {c[5], 1.0}};
        int top = 0;
        if (std::abs(m[1][0]) > std::abs(m[0][0])) top = 1;
        const int bottom = 1 - top;
        const double l = m[bottom][0] * (1.0 / m[top][0]);
        const double u11 = m[bottom][1] - l * m[top][1];
        const double y1 = rhs[bottom] - l * rhs[top];
        const double z1 = y1 / u11;
        const double z0 = (rhs[top] - m[top][1] * z1) / m[top][0];
        zi[2 * s] = scale * z0;
        zi[2 * s + 1] = scale * z1;
        scale *= (c[0] + c[1] + c[2]) / (c[3] + c[4] + c[5]);
    }
    return zi;
}

void SosFilter(const Sections& sos, std::span<const double> x, std::span<double> y,
               InstructionSet set) {
    std::vector<double> state(2 * sos.size(), 0.0);
    RunCascade(sos, state.data(), x.data(), y.data(), static_cast<std::ptrdiff_t>(x.size()), 1,
               set);
}

// The odd extension is not built as one long signal: the pad before the signal only brings the
// forward pass's state to the signal's start (its outputs are never needed), the signal itself is
// filtered from x into y, and the pad after it is filtered in a small buffer of its own, then
// the backward pass runs over that buffer and then over y, in place.
void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y,
                 InstructionSet set) {
    const std::size_t n = x.size();
    if (sos.empty() || n == 0) {
        if (y.data() != x.data()) std::copy(x.begin(), x.end(), y.begin());
        return;
    }
    const std::size_t edge = ZeroPhasePadLength(sos, n);
    // Odd extension: 2 x[0] - x[edge - j] before, 2 x[n - 1] - x[n - 2 - j] after; both taken
    // before y (which may be x) is written.
    std::vector<double> pads(2 * edge);
    double* const before = pads.data();
    double* const after = pads.data() + edge;
    for (std::size_t j = 0; j < edge; ++j)
        before[j] = 2 * x[0] - x[edge - j];
    for (std::size_t j = 0; j < edge; ++j)
        after[j] = 2 * x[n - 1] - x[n - 2 - j];
    const auto padCount = static_cast<std::ptrdiff_t>(edge);
    const auto count = static_cast<std::ptrdiff_t>(n);
    const std::vector<double> zi = SteadyState(sos);
    std::vector<double> state(zi.size());
    const double first = edge > 0 ? before[0] : x[0];
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * first;
    RunCascade(sos, state.data(), before, before, padCount, 1, set);
    RunCascade(sos, state.data(), x.data(), y.data(), count, 1, set);
    RunCascade(sos, state.data(), after, after, padCount, 1, set);
    const double last = edge > 0 ? after[edge - 1] : y[n - 1];
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * last;
    if (edge > 0)
        RunCascade(sos, state.data(), after + padCount - 1, after + padCount - 1, padCount, -1,
                   set);
    RunCascade(sos, state.data(), y.data() + count - 1, y.data() + count - 1, count, -1, set);
}

namespace reference {

void SosFilter(const Sections& sos, std::span<const double> x, std::span<double> y) {
    std::vector<double> state(2 * sos.size(), 0.0);
    RunPlain(sos, state.data(), x.data(), y.data(), static_cast<std::ptrdiff_t>(x.size()), 1);
}

void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y) {
    const std::size_t n = x.size();
    if (sos.empty() || n == 0) {
        if (y.data() != x.data()) std::copy(x.begin(), x.end(), y.begin());
        return;
    }
    const std::size_t edge = ZeroPhasePadLength(sos, n);
    std::vector<double> ext(n + 2 * edge);
    for (std::size_t j = 0; j < edge; ++j)
        ext[j] = 2 * x[0] - x[edge - j];
    std::copy(x.begin(), x.end(), ext.begin() + static_cast<std::ptrdiff_t>(edge));
    for (std::size_t j = 0; j < edge; ++j)
        ext[edge + n + j] = 2 * x[n - 1] - x[n - 2 - j];
    const std::vector<double> zi = SteadyState(sos);
    std::vector<double> state(zi.size());
    const auto count = static_cast<std::ptrdiff_t>(ext.size());
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * ext.front();
    RunPlain(sos, state.data(), ext.data(), ext.data(), count, 1);
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * ext.back();
    RunPlain(sos, state.data(), ext.data() + count - 1, ext.data() + count - 1, count, -1);
    std::copy_n(ext.begin() + static_cast<std::ptrdiff_t>(edge), n, y.begin());
}

}  // namespace reference

}  // namespace tavrel::kernels
