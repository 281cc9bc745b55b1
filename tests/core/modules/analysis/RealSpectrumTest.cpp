// The power sums of the real-segment transform against a direct DFT of the mean-removed,
// Hann-windowed segment.
#include "modules/analysis/RealSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace tavrel::spectral {
namespace {

std::vector<double> DirectSums(const std::vector<double>& y, int length, int step, int segments) {
    const double pi = std::numbers::pi;
    std::vector<double> sums(static_cast<std::size_t>(length / 2 + 1), 0.0);
    for (int s = 0; s < segments; ++s) {
        const double* x = y.data() + s * step;
        double mean = 0.0;
        for (int j = 0; j < length; ++j)
            mean += x[j];
        mean /= length;
        for (int k = 0; k <= length / 2; ++k) {
            long double re = 0.0, im = 0.0;
            for (int j = 0; j < length; ++j) {
                const double w = 0.5 - 0.5 * std::cos(2 * pi * j / length);
                const double angle = 2 * pi * static_cast<double>((1LL * j * k) % length) / length;
                re += (x[j] - mean) * w * std::cos(angle);
                im -= (x[j] - mean) * w * std::sin(angle);
            }
            sums[static_cast<std::size_t>(k)] += static_cast<double>(4 * (re * re + im * im));
        }
    }
    return sums;
}

TEST(RealSpectrum, PowerSumsMatchDirectTransform) {
    EXPECT_FALSE(RealPowerSums::Supports(16));
    EXPECT_FALSE(RealPowerSums::Supports(96));
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    // 32 and 128 points end in radix-2 blocks of 8, 64 and 256 in blocks of 4; the offset makes
    // the mean removal matter.
    for (const int length : {32, 64, 128, 256}) {
        std::vector<double> y(static_cast<std::size_t>(3 * length));
        for (std::size_t i = 0; i < y.size(); ++i)
            y[i] = 100.0 + std::sin(0.3 * static_cast<double>(i)) + 0.2 * noise(rng);
        const int step = length / 2;
        const std::vector<double> want = DirectSums(y, length, step, 5);
        double peak = 0.0;
        for (double v : want)
            peak = std::max(peak, v);
        for (const InstructionSet set :
             {InstructionSet::Sse2, InstructionSet::Avx2, BestInstructionSet()}) {
            RealPowerSums sums(length);
            for (int s = 0; s < 5; ++s)
                sums.Add(y.data() + s * step, set);
            ASSERT_EQ(sums.Sums().size(), want.size());
            for (std::size_t k = 0; k < want.size(); ++k)
                EXPECT_NEAR(sums.Sums()[k], want[k], 1e-11 * peak) << length << " bin " << k;
        }
    }
}

}  // namespace
}  // namespace tavrel::spectral
