#include "modules/filters/SosKernels.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrel::kernels {

namespace {

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

// The sections run side by side, one sample apart: at step t section k works on sample t - k,
// taking what section k - 1 gave at the step before. Each section's operations are those of
// SectionStep in the same order, so the result equals RunPlain's bit for bit, but the sections'
// chains of dependent operations now overlap instead of following one another. Sections go two
// to a register (lanes 2p and 2p + 1 of pair p); an odd count has an unused last lane whose
// output nobody reads. The steps where only some sections have a sample (the first and the last
// sections - 1) go section by section.
template <std::size_t P>
void RunStaggered(std::span<const Section> sos, double* state, const double* src, double* dst,
                  std::ptrdiff_t count, std::ptrdiff_t step) {
    const auto sections = static_cast<std::ptrdiff_t>(sos.size());
    // link[k]: the last output of section k, not yet taken by section k + 1.
    double link[2 * P] = {};
    const auto partialStep = [&](std::ptrdiff_t t) {
        for (std::ptrdiff_t k = std::min(sections - 1, t); k >= 0 && t - k < count; --k) {
            const double in = k == 0 ? src[t * step] : link[k - 1];
            const double out = SectionStep(sos[static_cast<std::size_t>(k)], state + 2 * k, in);
            if (k == sections - 1)
                dst[(t - k) * step] = out;
            else
                link[k] = out;
        }
    };
    const std::ptrdiff_t steps = count + sections - 1;
    std::ptrdiff_t t = 0;
    for (; t < sections - 1; ++t)
        partialStep(t);
    if (t < count) {
        alignas(16) double coef[5][2 * P] = {};
        double z0Lanes[2 * P] = {}, z1Lanes[2 * P] = {};
        for (std::ptrdiff_t k = 0; k < sections; ++k) {
            const Section& c = sos[static_cast<std::size_t>(k)];
            coef[0][k] = c[0];
            coef[1][k] = c[1];
            coef[2][k] = c[2];
            coef[3][k] = c[4];
            coef[4][k] = c[5];
            z0Lanes[k] = state[2 * k];
            z1Lanes[k] = state[2 * k + 1];
        }
        __m128d z0[P], z1[P], next[P];
        for (std::size_t p = 0; p < P; ++p) {
            z0[p] = _mm_loadu_pd(z0Lanes + 2 * p);
            z1[p] = _mm_loadu_pd(z1Lanes + 2 * p);
            next[p] = _mm_loadu_pd(link + 2 * p);
        }
        const std::ptrdiff_t lastLane = sections - 1;
        double* out = dst + (t - lastLane) * step;
        const double* in = src + t * step;
        for (; t < count; ++t, in += step, out += step) {
            __m128d cur[P];
            cur[0] = _mm_shuffle_pd(_mm_load_sd(in), next[0], 0);
            for (std::size_t p = 1; p < P; ++p)
                cur[p] = _mm_shuffle_pd(next[p - 1], next[p], 1);
            for (std::size_t p = 0; p < P; ++p) {
                const __m128d b0 = _mm_load_pd(coef[0] + 2 * p);
                const __m128d b1 = _mm_load_pd(coef[1] + 2 * p);
                const __m128d b2 = _mm_load_pd(coef[2] + 2 * p);
                const __m128d a1 = _mm_load_pd(coef[3] + 2 * p);
                const __m128d a2 = _mm_load_pd(coef[4] + 2 * p);
                next[p] = _mm_add_pd(_mm_mul_pd(b0, cur[p]), z0[p]);
                z0[p] =
                    _mm_add_pd(_mm_sub_pd(_mm_mul_pd(b1, cur[p]), _mm_mul_pd(a1, next[p])), z1[p]);
                z1[p] = _mm_sub_pd(_mm_mul_pd(b2, cur[p]), _mm_mul_pd(a2, next[p]));
            }
            if (lastLane % 2 == 0)
                _mm_store_sd(out, next[lastLane / 2]);
            else
                _mm_storeh_pd(out, next[lastLane / 2]);
        }
        for (std::size_t p = 0; p < P; ++p) {
            _mm_storeu_pd(z0Lanes + 2 * p, z0[p]);
            _mm_storeu_pd(z1Lanes + 2 * p, z1[p]);
            _mm_storeu_pd(link + 2 * p, next[p]);
        }
        for (std::ptrdiff_t k = 0; k < sections; ++k) {
            state[2 * k] = z0Lanes[k];
            state[2 * k + 1] = z1Lanes[k];
        }
    }
    for (; t < steps; ++t)
        partialStep(t);
}

constexpr std::size_t kStaggeredSections = 8;

// The cascade over `count` samples read from `src` and written to `dst` (which may be `src`),
// both visited in steps of `step` (1 forwards, -1 backwards), from the states in `state` (two
// per section, updated). A long cascade runs in groups of up to eight sections, each group over
// the whole signal in turn: a section's outputs depend only on its inputs and its state, so the
// grouping changes no bit.
void RunCascade(const Sections& sos, double* state, const double* src, double* dst,
                std::ptrdiff_t count, std::ptrdiff_t step) {
    if (sos.empty()) {
        for (std::ptrdiff_t n = 0; n < count; ++n)
            dst[n * step] = src[n * step];
        return;
    }
    for (std::size_t first = 0; first < sos.size(); first += kStaggeredSections) {
        const std::size_t size = std::min(kStaggeredSections, sos.size() - first);
        const std::span<const Section> group(sos.data() + first, size);
        double* groupState = state + 2 * first;
        switch ((size + 1) / 2) {
            case 1:
                RunStaggered<1>(group, groupState, src, dst, count, step);
                break;
            case 2:
                RunStaggered<2>(group, groupState, src, dst, count, step);
                break;
            case 3:
                RunStaggered<3>(group, groupState, src, dst, count, step);
                break;
            default:
                RunStaggered<4>(group, groupState, src, dst, count, step);
                break;
        }
        src = dst;
    }
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

void SosFilter(const Sections& sos, std::span<const double> x, std::span<double> y) {
    std::vector<double> state(2 * sos.size(), 0.0);
    RunCascade(sos, state.data(), x.data(), y.data(), static_cast<std::ptrdiff_t>(x.size()), 1);
}

// The odd extension is not built as one long signal: the pad before the signal only brings the
// forward pass's state to the signal's start (its outputs are never needed), the signal itself is
// filtered from x into y, and the pad after it is filtered in a small buffer of its own, then
// the backward pass runs over that buffer and then over y, in place.
void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y) {
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
    RunCascade(sos, state.data(), before, before, padCount, 1);
    RunCascade(sos, state.data(), x.data(), y.data(), count, 1);
    RunCascade(sos, state.data(), after, after, padCount, 1);
    const double last = edge > 0 ? after[edge - 1] : y[n - 1];
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * last;
    RunCascade(sos, state.data(), after + padCount - 1, after + padCount - 1, padCount, -1);
    RunCascade(sos, state.data(), y.data() + count - 1, y.data() + count - 1, count, -1);
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
