#include "modules/filters/SosKernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrel::kernels {

namespace {

// The cascade of S sections with coefficients and states held in locals (registers), so that
// the sections of neighbouring samples overlap in the processor; the operations are those of the
// general loop below, in the same order.
template <std::size_t S>
void RunFixed(const Sections& sos, double* state, double* data, std::ptrdiff_t count,
              std::ptrdiff_t step) {
    double b0[S], b1[S], b2[S], a1[S], a2[S], z0[S], z1[S];
    for (std::size_t s = 0; s < S; ++s) {
        b0[s] = sos[s][0];
        b1[s] = sos[s][1];
        b2[s] = sos[s][2];
        a1[s] = sos[s][4];
        a2[s] = sos[s][5];
        z0[s] = state[2 * s];
        z1[s] = state[2 * s + 1];
    }
    for (std::ptrdiff_t n = 0; n < count; ++n) {
        double* at = data + n * step;
        double cur = *at;
        for (std::size_t s = 0; s < S; ++s) {
            const double next = b0[s] * cur + z0[s];
            z0[s] = b1[s] * cur - a1[s] * next + z1[s];
            z1[s] = b2[s] * cur - a2[s] * next;
            cur = next;
        }
        *at = cur;
    }
    for (std::size_t s = 0; s < S; ++s) {
        state[2 * s] = z0[s];
        state[2 * s + 1] = z1[s];
    }
}

// The cascade over `count` samples of data, visited from `data` in steps of `step` (1 forwards,
// -1 backwards), in place, from the states in `state` (two per section, updated).
void RunCascade(const Sections& sos, double* state, double* data, std::ptrdiff_t count,
                std::ptrdiff_t step) {
    switch (sos.size()) {
        case 1:
            return RunFixed<1>(sos, state, data, count, step);
        case 2:
            return RunFixed<2>(sos, state, data, count, step);
        case 3:
            return RunFixed<3>(sos, state, data, count, step);
        case 4:
            return RunFixed<4>(sos, state, data, count, step);
        case 5:
            return RunFixed<5>(sos, state, data, count, step);
        case 6:
            return RunFixed<6>(sos, state, data, count, step);
        case 7:
            return RunFixed<7>(sos, state, data, count, step);
        case 8:
            return RunFixed<8>(sos, state, data, count, step);
        default:
            break;
    }
    const std::size_t sections = sos.size();
    for (std::ptrdiff_t n = 0; n < count; ++n) {
        double* at = data + n * step;
        double cur = *at;
        for (std::size_t s = 0; s < sections; ++s) {
            const Section& c = sos[s];
            double* z = state + 2 * s;
            const double next = c[0] * cur + z[0];
            z[0] = c[1] * cur - c[4] * next + z[1];
            z[1] = c[2] * cur - c[5] * next;
            cur = next;
        }
        *at = cur;
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
    if (y.data() != x.data()) std::copy(x.begin(), x.end(), y.begin());
    std::vector<double> state(2 * sos.size(), 0.0);
    RunCascade(sos, state.data(), y.data(), static_cast<std::ptrdiff_t>(y.size()), 1);
}

void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y) {
    const std::size_t n = x.size();
    if (sos.empty() || n == 0) {
        if (y.data() != x.data()) std::copy(x.begin(), x.end(), y.begin());
        return;
    }
    const std::size_t edge = ZeroPhasePadLength(sos, n);
    std::vector<double> ext(n + 2 * edge);
    // Odd extension: 2 x[0] - x[edge - j] before, 2 x[n - 1] - x[n - 2 - j] after.
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
    RunCascade(sos, state.data(), ext.data(), count, 1);
    for (std::size_t i = 0; i < zi.size(); ++i)
        state[i] = zi[i] * ext.back();
    RunCascade(sos, state.data(), ext.data() + count - 1, count, -1);
    std::copy_n(ext.begin() + static_cast<std::ptrdiff_t>(edge), n, y.begin());
}

}  // namespace tavrel::kernels
