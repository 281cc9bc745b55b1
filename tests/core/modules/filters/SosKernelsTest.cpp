// The sections run side by side with every instruction set (and the zero-phase run without one
// padded copy) against the plain loops, bit for bit: every Butterworth kind and order, notch
// cascades short and long (longer than one group of sections), and inputs from empty to far longer
// than the pad.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "modules/filters/IirDesign.h"
#include "modules/filters/SosKernels.h"

namespace tavrel::kernels {
namespace {

std::vector<double> Noise(std::size_t n, std::uint64_t state) {
    std::vector<double> out(n);
    for (double& v : out) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v = static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    }
    return out;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Both runs of `sos` over inputs of every interesting length, out of place and in place.
void ExpectSameAsPlainLoops(const Sections& sos) {
    const std::size_t pad = ZeroPhasePadLength(sos, 1u << 20);
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                          sos.size(), sos.size() + 1, pad / 2, pad, pad + 1, std::size_t{3000}}) {
        SCOPED_TRACE(n);
        const std::vector<double> x = Noise(n, n + 11);
        for (bool zeroPhase : {false, true}) {
            SCOPED_TRACE(zeroPhase);
            std::vector<double> expected(n, -1.0);
            if (zeroPhase)
                reference::SosFiltFilt(sos, x, expected);
            else
                reference::SosFilter(sos, x, expected);
            for (InstructionSet set :
                 {InstructionSet::Plain, InstructionSet::Sse2, InstructionSet::Avx2}) {
                SCOPED_TRACE(static_cast<int>(set));
                std::vector<double> fast(n, -2.0), inPlace = x;
                if (zeroPhase) {
                    SosFiltFilt(sos, x, fast, set);
                    SosFiltFilt(sos, inPlace, inPlace, set);
                } else {
                    SosFilter(sos, x, fast, set);
                    SosFilter(sos, inPlace, inPlace, set);
                }
                EXPECT_TRUE(SameBits(fast, expected));
                EXPECT_TRUE(SameBits(inPlace, expected));
            }
        }
    }
}

TEST(SosKernels, ButterworthOfEveryKindAndOrderEqualsThePlainLoopBitForBit) {
    for (int kind = 0; kind < 4; ++kind) {
        for (int order = 1; order <= 8; ++order) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " order " << order);
            const Sections sos =
                ButterworthSections(static_cast<BandKind>(kind), order, 20.0, 450.0, 2000.0);
            ASSERT_FALSE(sos.empty());
            ExpectSameAsPlainLoops(sos);
        }
    }
}

TEST(SosKernels, NotchCascadesEqualThePlainLoopBitForBit) {
    // 1, 5 and 19 sections: one section, one group, and three groups of up to eight.
    for (int harmonics : {1, 5, 40}) {
        SCOPED_TRACE(harmonics);
        ExpectSameAsPlainLoops(NotchCascade(50.0, 30.0, harmonics, 2000.0));
    }
    ExpectSameAsPlainLoops({});
}

}  // namespace
}  // namespace tavrel::kernels
