#include "pipeline/ModBase.h"

#include <gtest/gtest.h>

#include "document/KaisekiDoc.h"
#include "pipeline/HeadFilter.h"
#include "platform/RecordingSurface.h"

namespace tavrel {
namespace {

// A pass-through module that counts its computations.
class CountingModule : public CModBase {
  public:
    int Compute() override {
        ++computes;
        return CModBase::Compute();
    }
    int computes = 0;
};

class ChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_columns[0] = {1.0, -4.0, 2.0, 3.0};
        doc.m_rowCount = 4;
        head = doc.Head(0);
        a = new CountingModule;
        b = new CountingModule;
        CModBase::AppendModule(head, a);
        CModBase::AppendModule(head, b);
    }

    CKaisekiDoc doc;
    CHeadFilter* head = nullptr;
    CountingModule* a = nullptr;
    CountingModule* b = nullptr;
    RecordingSurface surface;
    const Rect plot{0, 0, 200, 100};
};

TEST_F(ChainTest, DrawPullsThroughTheChainAndIntermediateModulesKeepNothing) {
    double max = -1;
    max = head->ChainMeasure();
    EXPECT_EQ(max, 4.0);
    EXPECT_EQ(a->computes, 1);
    EXPECT_EQ(b->computes, 1);
    EXPECT_FALSE(head->m_output || head->m_input);
    EXPECT_FALSE(a->m_output || a->m_input);
    EXPECT_TRUE(b->m_input && b->m_output);
    EXPECT_EQ(b->m_outputCount, 4);
}

TEST_F(ChainTest, SecondDrawUsesTheEndModulesKeptBuffers) {
    head->ChainDraw(&surface, plot, DisplayOf(*head), nullptr);
    doc.m_columns[0] = {100.0};  // upstream is not asked again
    double max = 0;
    max = head->ChainMeasure();
    EXPECT_EQ(max, 4.0);
    EXPECT_EQ(a->computes, 1);
    EXPECT_EQ(b->computes, 1);
}

TEST_F(ChainTest, ClearBuffersInTheMiddleRecomputesTheWholeChain) {
    head->ChainDraw(&surface, plot, DisplayOf(*head), nullptr);
    a->ClearBuffers();
    EXPECT_FALSE(b->m_input);
    EXPECT_EQ(b->m_outputCount, 0);
    doc.m_columns[0] = {7.0, -9.0};
    doc.m_rowCount = 2;
    double max = 0;
    max = head->ChainMeasure();
    EXPECT_EQ(max, 9.0);
    EXPECT_EQ(a->computes, 2);
    EXPECT_EQ(b->computes, 2);
}

TEST_F(ChainTest, EditingModuleRecomputesOnEveryPaintAndKeepsItsInput) {
    b->m_editing = 1;
    head->ChainDraw(&surface, plot, DisplayOf(*head), nullptr);
    head->ChainDraw(&surface, plot, DisplayOf(*head), nullptr);
    EXPECT_EQ(b->computes, 2);
    EXPECT_TRUE(b->m_input);
    EXPECT_FALSE(b->m_output);
    // The count survives the dropped output, so a range can still be mapped.
    EXPECT_EQ(b->m_outputCount, 4);
}

TEST_F(ChainTest, InheritedPropertiesFlowDownWithTheData) {
    head->m_samplingRate = 1000;
    head->m_unit = "V";
    head->m_unitFactor = 10;
    std::vector<double> values, times;
    std::string label;
    head->ChainGetData(&values, &label, &times);
    EXPECT_EQ(b->m_samplingRate, 1000);
    EXPECT_EQ(b->m_doc, &doc);
    EXPECT_EQ(label, "10x[V]");
    ASSERT_EQ(times.size(), 4u);
    EXPECT_DOUBLE_EQ(times[3], 3.0);
    EXPECT_EQ(values, (std::vector<double>{1.0, -4.0, 2.0, 3.0}));
}

TEST_F(ChainTest, SampleTimesAreFractionalMilliseconds) {
    std::vector<double> values, times;
    head->ChainGetData(&values, nullptr, &times);
    ASSERT_EQ(times.size(), 4u);
    EXPECT_EQ(times[1], 0.5);
    EXPECT_EQ(times[3], 1.5);
}

TEST_F(ChainTest, ModuleWithoutUpstreamDrawsNothing) {
    auto lone = std::make_unique<CModBase>();
    lone->Draw(&surface, plot, DisplayOf(*lone), nullptr);
    EXPECT_TRUE(surface.Calls().empty());
    int out[2] = {5, 5};
    EXPECT_EQ(lone->PixelsToRange(nullptr, plot, {50, 0, 60, 10}, out), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    std::vector<double> v, t;
    EXPECT_EQ(lone->RecomputeAndGetData(&v, nullptr, &t), 0);
    EXPECT_TRUE(v.empty());
}

TEST(ModBase, UnitLabels) {
    CModBase m;
    EXPECT_EQ(m.BuildUnitLabel(), "[mV]");
    m.m_unitFactor = 1000;
    EXPECT_EQ(m.BuildUnitLabel(), "1000x[mV]");
    m.m_unitFactor = 1;
    m.m_timeExponent = -1;
    EXPECT_EQ(m.BuildUnitLabel(), "[mV]/[ms]");
    m.m_timeExponent = -2;
    EXPECT_EQ(m.BuildUnitLabel(), "[mV]/[ms]^2");
    m.m_timeExponent = 2;
    EXPECT_EQ(m.BuildUnitLabel(), "[mV]*[ms]^2");
    m.m_timeExponent = -2147483647 - 1;  // no overflow on the magnitude of a stored value
    EXPECT_EQ(m.BuildUnitLabel(), "[mV]/[ms]^2147483648");
}

TEST(ModBase, MaxAbsOverNegativeAndEmptyRanges) {
    CModBase m;
    EXPECT_EQ(m.MaxAbs(0, 10), 0.0);
    m.m_output = AllocSamples(4);
    m.m_outputCount = 4;
    double values[] = {-1.0, -7.5, -2.0, 3.0};
    std::copy(values, values + 4, m.m_output.get());
    EXPECT_EQ(m.MaxAbs(0, 3), 7.5);
    EXPECT_EQ(m.MaxAbs(-100, 100), 7.5);
    EXPECT_EQ(m.MaxAbs(3, 3), 0.0);
    EXPECT_EQ(m.MaxAbs(3, 1), 0.0);
    EXPECT_EQ(m.MaxAbs(3, 4), 3.0);
}

TEST(ModBase, KeptMaximumFollowsTheOutputArray) {
    // The maximum of a range is kept for the output array it was measured on. A new array - even
    // one the allocator places where the freed one was - is measured afresh.
    CModBase m;
    m.m_outputCount = 4;
    for (double peak : {2.0, 8.0, 0.5}) {
        m.m_output.reset();
        m.m_output = AllocSamples(4);
        std::fill(m.m_output.get(), m.m_output.get() + 4, -peak);
        EXPECT_EQ(m.MaxAbs(0, 4), peak);
        EXPECT_EQ(m.MaxAbs(0, 4), peak);
        EXPECT_EQ(m.MaxAbs(1, 2), peak);
    }
    // The same array under another count or range is measured again.
    m.m_output[3] = 40.0;
    m.m_outputCount = 3;
    EXPECT_EQ(m.MaxAbs(0, 4), 0.5);
    m.m_outputCount = 4;
    EXPECT_EQ(m.MaxAbs(0, 4), 40.0);
    // An array that did not come from AllocSamples is never kept.
    m.m_output = SampleBuffer(new double[2]{1.0, 2.0});
    m.m_outputCount = 2;
    EXPECT_EQ(m.MaxAbs(0, 2), 2.0);
    m.m_output[1] = 5.0;
    EXPECT_EQ(m.MaxAbs(0, 2), 5.0);
}

TEST(ModBase, LargeArraysAreReusedUnderNewSerialNumbers) {
    // A freed large array serves the next request it fits, with a serial number of its own (so
    // nothing kept for the old array applies); a request far smaller gets its own array.
    constexpr long long kCount = 1234567;
    SampleBuffer first = AllocSamples(kCount);
    ASSERT_TRUE(first);
    double* const at = first.get();
    const std::uint64_t serial = first.get_deleter().serial;
    first.reset();
    SampleBuffer again = AllocSamples(kCount - 5);
    EXPECT_EQ(again.get(), at);
    EXPECT_NE(again.get_deleter().serial, serial);
    again.reset();
    SampleBuffer smaller = AllocSamples(kCount / 2);
    EXPECT_NE(smaller.get(), at);
}

TEST(ModBase, PixelsToRangeUsesThePlotGeometry) {
    CModBase m;
    m.m_output = AllocSamples(100);
    m.m_outputCount = 100;
    int out[2];
    // Plot 0..280: data from x0 = 40 over 200 pixels, 2 pixels per sample.
    EXPECT_EQ(m.PixelsToRange(nullptr, {0, 0, 280, 100}, {60, 0, 100, 50}, out), 30);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 30);
    m.PixelsToRange(nullptr, {0, 0, 280, 100}, {0, 0, 1000, 50}, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 100);
}

TEST(ModBase, ZeroSampleOutputStillCountsAsOutput) {
    CModBase m;
    m.m_input = AllocSamples(0);
    m.m_inputCount = 0;
    EXPECT_EQ(m.Compute(), -1);  // the base copy needs samples
    m.m_output = AllocSamples(0);
    m.m_outputCount = 0;
    std::vector<double> v, t;
    std::string label;
    m.GetData(&v, &label, &t);
    EXPECT_EQ(label, "[mV]");
    EXPECT_TRUE(v.empty());
}

TEST(ChainPositions, InsertReplaceRemove) {
    auto names = [](CModBase* first) {
        std::string s;
        for (CModBase* m = first; m; m = m->m_next) {
            s += m->m_name;
            if (m->m_next) {
                EXPECT_EQ(m->m_next->m_prev, m);
            }
        }
        return s;
    };
    auto make = [](const char* name) {
        auto* m = new CModBase;
        m->m_name = name;
        return m;
    };
    ChainPtr chain(make("H"));
    CModBase* first = chain.get();
    CModBase::AppendModule(first, make("A"));
    CModBase::AppendModule(first, make("C"));
    EXPECT_EQ(CModBase::InsertModuleAt(first, 2, make("B")), first);
    EXPECT_EQ(names(first), "HABC");
    EXPECT_EQ(CModBase::InsertModuleAt(first, 10, make("D")), first);
    EXPECT_EQ(names(first), "HABCD");
    EXPECT_EQ(CModBase::ModuleAt(first, 4)->m_name, "D");
    EXPECT_EQ(CModBase::ModuleAt(first, 5), nullptr);

    CModBase* old = CModBase::ModuleAt(first, 1);
    EXPECT_EQ(CModBase::ReplaceModuleAt(first, 1, make("X")), first);
    EXPECT_EQ(names(first), "HXBCD");
    EXPECT_EQ(old->m_prev, nullptr);
    EXPECT_EQ(old->m_next, nullptr);
    delete old;

    CModBase* removed = CModBase::ModuleAt(first, 4);
    EXPECT_EQ(CModBase::RemoveModuleAt(first, 4), first);
    delete removed;
    EXPECT_EQ(names(first), "HXBC");
    EXPECT_EQ(CModBase::RemoveModuleAt(first, 9), first);

    // Position 0 changes the first module.
    CModBase* newFirst = CModBase::InsertModuleAt(first, 0, make("0"));
    EXPECT_EQ(newFirst->m_name, "0");
    chain.release();
    chain.reset(newFirst);
    CModBase* h = chain.get()->m_next;
    CModBase* afterRemoval = CModBase::RemoveModuleAt(chain.get(), 0);
    EXPECT_EQ(afterRemoval, h);
    CModBase* zero = chain.release();
    chain.reset(afterRemoval);
    delete zero;
    EXPECT_EQ(names(chain.get()), "HXBC");
}

TEST(ChainPositions, CloneCopiesSettingsButNoBuffersOrLinks) {
    CModBase m;
    m.m_name = "x";
    m.m_samplingRate = 500;
    m.m_rangeStart = 3;
    m.m_output = AllocSamples(2);
    m.m_outputCount = 2;
    CModBase next;
    m.m_next = &next;
    std::unique_ptr<CModBase> clone = m.Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->m_name, "x");
    EXPECT_EQ(clone->m_samplingRate, 500);
    EXPECT_EQ(clone->m_rangeStart, -1);
    EXPECT_FALSE(clone->m_output);
    EXPECT_EQ(clone->m_next, nullptr);
    m.m_next = nullptr;
}

TEST(ChainPositions, VeryLongChainsAreWalkedWithoutRecursion) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_columns[0] = {1.0, 2.0};
    doc.m_rowCount = 2;
    CModBase* head = doc.Head(0);
    CModBase* last = head;
    for (int i = 0; i < 200000; ++i) {
        auto* m = new CModBase;
        m->m_prev = last;
        last->m_next = m;
        last = m;
    }
    double max = 0;
    max = head->ChainMeasure();
    EXPECT_EQ(max, 2.0);
    head->ClearBuffers();
    doc.DeleteContents();
}

}  // namespace
}  // namespace tavrel
