// The conditioning kernels against the values SciPy and NumPy give for the same inputs
// (tests/core/modules/reference/make_reference.py wrote them): agreement within 1e-9 of the
// largest output magnitude, on noise, an EMG-like burst, a step, the shortest inputs and inputs
// shorter than the zero-phase pad length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "modules/analysis/EnvelopeKernels.h"
#include "modules/filters/IirDesign.h"
#include "modules/filters/SosKernels.h"

namespace tavrel::kernels {
namespace {

constexpr int kRate = 2000;

std::vector<double> Noise(std::size_t n, std::uint64_t state) {
    std::vector<double> out(n);
    for (double& v : out) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v = static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    }
    return out;
}

// The generators of make_reference.py, operation for operation.
std::vector<double> MakeInput(const std::string& kind, std::size_t n) {
    if (kind == "random") return Noise(n, 1);
    if (kind == "burst") {
        std::vector<double> x = Noise(n, 7);
        for (std::size_t i = 0; i < n; ++i) {
            const double gain = (2 * n / 5 <= i && i < 3 * n / 5) ? 2.0 : 0.05;
            const double d = static_cast<double>(i);
            x[i] = x[i] * gain + 0.2 * std::sin(2 * std::numbers::pi * 50 * d / kRate) + 0.0001 * d;
        }
        return x;
    }
    if (kind == "loud-then-silent") {
        std::vector<double> x = Noise(n, 3);
        for (std::size_t i = 0; i < n; ++i)
            x[i] = i < n / 3 ? x[i] * 1000.0 : 0.0;
        return x;
    }
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = i < n / 4 ? 0.0 : 1.0;
    return x;
}

struct Case {
    std::string name;
    std::string op;
    std::vector<double> params;
    std::vector<double> x;
    std::vector<double> expected;
};

std::vector<Case> ReadCases() {
    std::ifstream in(std::string(TAVREL_SOURCE_DIR) +
                     "/tests/core/modules/reference/emg_reference.txt");
    std::vector<Case> cases;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> parts;
        std::istringstream fields(line);
        for (std::string part; std::getline(fields, part, '|');)
            parts.push_back(part);
        if (parts.size() < 3) continue;
        Case c;
        std::istringstream(parts[0]) >> c.name;
        std::istringstream op(parts[1]);
        op >> c.op;
        for (double v; op >> v;)
            c.params.push_back(v);
        std::string kind;
        std::size_t n = 0;
        std::istringstream(parts[2]) >> kind >> n;
        c.x = MakeInput(kind, n);
        if (parts.size() > 3) {
            std::istringstream values(parts[3]);
            for (double v; values >> v;)
                c.expected.push_back(v);
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

void RunSections(const Sections& sos, bool zeroPhase, std::span<const double> x,
                 std::span<double> y) {
    if (zeroPhase)
        SosFiltFilt(sos, x, y);
    else
        SosFilter(sos, x, y);
}

std::vector<double> Compute(const Case& c) {
    const std::vector<double>& p = c.params;
    std::vector<double> y(c.x.size(), -1.0);
    if (c.op == "butter") {
        const Sections sos = ButterworthSections(static_cast<BandKind>(p[0]),
                                                 static_cast<int>(p[1]), p[2], p[3], kRate);
        RunSections(sos, p[4] != 0, c.x, y);
    } else if (c.op == "notch") {
        RunSections(NotchCascade(p[0], p[1], static_cast<int>(p[2]), kRate), p[3] != 0, c.x, y);
    } else if (c.op == "rms") {
        MovingRms(c.x, static_cast<int>(p[0]), y);
    } else if (c.op == "tkeo") {
        Tkeo(c.x, y);
    } else {
        double reference = p[3];
        if (p[0] == 0)
            reference = LargestMagnitude(
                c.x, MsRangeToIndices(static_cast<long long>(p[1]), static_cast<long long>(p[2]),
                                      kRate, c.x.size()));
        Scale(c.x, reference, p[4] != 0 ? 100.0 : 1.0, y);
    }
    return y;
}

TEST(ConditioningReference, EveryCaseAgreesWithScipyAndNumpy) {
    const std::vector<Case> cases = ReadCases();
    ASSERT_GE(cases.size(), 40u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.expected.size(), c.x.size());
        const std::vector<double> y = Compute(c);
        double largest = 0.0;
        for (double v : c.expected)
            largest = std::max(largest, std::abs(v));
        // An output a million times below the input is rounding residue (a band-pass's answer to
        // a single sample is 0 up to 1e-30): it is compared at that level of the input.
        for (double v : c.x)
            largest = std::max(largest, 1e-6 * std::abs(v));
        double worst = 0.0;
        for (std::size_t i = 0; i < y.size(); ++i)
            worst = std::max(worst, std::abs(y[i] - c.expected[i]));
        EXPECT_LE(worst, 1e-9 * largest);
    }
}

TEST(ConditioningReference, RmsAfterALoudBurstIsExactlyZeroInTheSilence) {
    // 1000 samples of amplitude 1000, then silence: once the window has left the burst, the
    // carried rounding errors cancel and the mean square is 0, never negative.
    std::vector<double> x = MakeInput("loud-then-silent", 3000);
    std::vector<double> y(x.size());
    MovingRms(x, 200, y);
    for (std::size_t i = 1100; i < y.size(); ++i)
        ASSERT_EQ(y[i], 0.0) << i;
}

TEST(ConditioningReference, InvalidDesignsGiveNoSections) {
    EXPECT_TRUE(ButterworthSections(BandKind::BandPass, 4, 450, 20, kRate).empty());
    EXPECT_TRUE(ButterworthSections(BandKind::LowPass, 4, 20, 1000, kRate).empty());
    EXPECT_TRUE(ButterworthSections(BandKind::HighPass, 9, 20, 450, kRate).empty());
    EXPECT_FALSE(ButterworthSections(BandKind::HighPass, 4, 20, 1000, kRate).empty());
    EXPECT_TRUE(NotchCascade(1000, 30, 3, kRate).empty());
    EXPECT_EQ(NotchCascade(400, 30, 5, kRate).size(), 2u);
}

}  // namespace
}  // namespace tavrel::kernels
