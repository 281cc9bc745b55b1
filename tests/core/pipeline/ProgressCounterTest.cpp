// The batching of the progress window's bar.
#include "pipeline/ProgressCounter.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrel {
namespace {

TEST(ProgressCounter, BarAdvancesOnlyWhenPendingStepsExceedAHundredthOfTheRange) {
    ProgressCounter p;
    p.SetRange(0, 1000);
    EXPECT_EQ(p.Threshold(), 10);
    // Steps adding up to exactly the threshold do not advance the bar...
    EXPECT_FALSE(p.Step(4));
    EXPECT_FALSE(p.Step(6));
    EXPECT_EQ(p.Position(), 0);
    // ...the next positive step does, with everything gathered so far.
    EXPECT_TRUE(p.Step(1));
    EXPECT_EQ(p.Position(), 11);
    EXPECT_EQ(p.Pending(), 0);
    // The final steps below the threshold are never shown.
    EXPECT_FALSE(p.Step(9));
    EXPECT_EQ(p.Position(), 11);
    EXPECT_EQ(p.Pending(), 9);
}

TEST(ProgressCounter, NarrowRangeAdvancesOnEveryPositiveStep) {
    ProgressCounter p;
    p.SetRange(0, 99);
    EXPECT_EQ(p.Threshold(), 0);
    EXPECT_FALSE(p.Step(0));
    EXPECT_TRUE(p.Step(1));
    EXPECT_TRUE(p.Step(2));
    EXPECT_EQ(p.Position(), 3);
}

TEST(ProgressCounter, SetRangeRestartsAndTheThresholdIsTheIntegerHundredth) {
    ProgressCounter p;
    p.SetRange(0, 250);
    p.Step(100);
    p.SetRange(50, 349);
    EXPECT_EQ(p.Position(), 0);
    EXPECT_EQ(p.Pending(), 0);
    EXPECT_EQ(p.Threshold(), 2);
    EXPECT_EQ(p.Low(), 50);
    EXPECT_EQ(p.High(), 349);
}

TEST(ProgressCounter, HugeRangesAndStepsSaturateInsteadOfWrapping) {
    ProgressCounter p;
    const int max = std::numeric_limits<int>::max();
    p.SetRange(std::numeric_limits<int>::min(), max);
    EXPECT_EQ(p.Threshold(), 42949672);  // (2^32 - 1) / 100: the difference does not wrap
    p.SetRange(0, max);
    EXPECT_EQ(p.Threshold(), max / 100);
    EXPECT_TRUE(p.Step(max));
    EXPECT_TRUE(p.Step(max));
    EXPECT_EQ(p.Position(), max);
}

TEST(ProgressCounter, CancelStaysSet) {
    ProgressCounter p;
    EXPECT_FALSE(p.IsCancelled());
    p.Cancel();
    p.SetRange(0, 10);
    EXPECT_TRUE(p.IsCancelled());
}

}  // namespace
}  // namespace tavrel
