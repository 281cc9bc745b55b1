// The filter modules in the document file (stored order of each class's fields, byte-exact round
// trips), their copies and clones, and stored values that no dialog can produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "document/KaisekiDoc.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/HeadFilter.h"
#include "platform/RecordingSurface.h"
#include "support/LittleEndian.h"

namespace tavrel {
namespace {

using test::Le32;
using test::Le64;

// A document whose channel 0 chain is head -> module; returns its bytes.
std::string SaveWith(CModBase* module) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    CModBase::AppendModule(doc.Head(0), module);
    return doc.SaveToBytes();
}

// Own fields of a module in a chain head -> module are stored right before the head's channel
// (4 zero bytes) of channel 0, which precedes the second head's class reference 01 80.
std::string OwnFields(const std::string& bytes, std::size_t count) {
    std::size_t second = bytes.find(std::string("\x01\x80", 2));
    EXPECT_NE(second, std::string::npos);
    return bytes.substr(second - 4 - count, count);
}

TEST(FilterPersistence, StoredOrderOfTheOwnFields) {
    auto* lp = new CLPFilter;
    lp->m_cutoff = 0.125;
    EXPECT_EQ(OwnFields(SaveWith(lp), 8), Le64(0.125));

    auto* bp = new CBPFilter;
    bp->m_cutoff = 0.2;
    bp->m_cutoffHigh = 0.7;
    EXPECT_EQ(OwnFields(SaveWith(bp), 16), Le64(0.2) + Le64(0.7));

    auto* d = new CDiodeFilter;
    d->m_halfWave = 3;
    d->m_positive = -2;
    EXPECT_EQ(OwnFields(SaveWith(d), 8), Le32(3) + Le32(-2));

    auto* s = new CSmothFilter;
    s->m_points = 77;
    EXPECT_EQ(OwnFields(SaveWith(s), 4), Le32(77));

    auto* r = new CReSmplFilter;
    r->m_step = 9;
    EXPECT_EQ(OwnFields(SaveWith(r), 4), Le32(9));

    // The differentiator adds nothing: its rate and the null tag come right before the head's
    // field.
    std::string diff = SaveWith(new CDiffFilter);
    EXPECT_EQ(OwnFields(diff, 6), Le32(2000) + std::string("\0\0", 2));
    EXPECT_NE(diff.find("CDiffFilter"), std::string::npos);
}

TEST(FilterPersistence, EveryClassRoundTripsByteExactly) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    auto* lp = new CLPFilter;
    lp->m_cutoff = 0.45;
    auto* hp = new CHPFilter;
    hp->m_cutoff = 1.0 / 3.0;
    auto* bp = new CBPFilter;
    bp->m_cutoffHigh = 0.61;
    auto* bs = new CBSFilter;
    bs->m_cutoff = 0.1;
    bs->m_cutoffHigh = 0.9;
    auto* d = new CDiodeFilter;
    d->m_halfWave = 0;
    auto* s = new CSmothFilter;
    s->m_points = 12;
    auto* r = new CReSmplFilter;
    r->m_step = 4;
    auto* df = new CDiffFilter;
    auto* base = new CDFilBase;
    base->m_cutoff = 0.2;
    for (CModBase* m : std::initializer_list<CModBase*>{lp, hp, bp, bs, d, s, r, df, base})
        CModBase::AppendModule(doc.Head(0), m);
    // A second chain reuses the classes already introduced.
    CModBase::AppendModule(doc.Head(3), new CBSFilter);
    CModBase::AppendModule(doc.Head(3), new CLPFilter);
    std::string bytes = doc.SaveToBytes();

    CKaisekiDoc loaded;
    loaded.LoadFromBytes(bytes);
    EXPECT_EQ(loaded.SaveToBytes(), bytes);

    CModBase* m = loaded.Head(0)->m_next;
    std::vector<std::string> classes;
    for (CModBase* p = m; p; p = p->m_next)
        classes.push_back(p->GetClassName());
    EXPECT_EQ(classes, (std::vector<std::string>{"CLPFilter", "CHPFilter", "CBPFilter", "CBSFilter",
                                                 "CDiodeFilter", "CSmothFilter", "CReSmplFilter",
                                                 "CDiffFilter", "CDFilBase"}));
    EXPECT_EQ(static_cast<CLPFilter*>(m)->m_cutoff, 0.45);
    EXPECT_EQ(static_cast<CHPFilter*>(m->m_next)->m_cutoff, 1.0 / 3.0);
    auto* lbs = static_cast<CBSFilter*>(m->m_next->m_next->m_next);
    EXPECT_EQ(lbs->m_cutoff, 0.1);
    EXPECT_EQ(lbs->m_cutoffHigh, 0.9);
    EXPECT_EQ(lbs->m_name, "帯域阻止フィルタ");
    auto* ld = static_cast<CDiodeFilter*>(lbs->m_next);
    EXPECT_EQ(ld->m_halfWave, 0);
    EXPECT_EQ(ld->m_positive, 1);
    EXPECT_EQ(static_cast<CSmothFilter*>(ld->m_next)->m_points, 12);
    EXPECT_EQ(static_cast<CReSmplFilter*>(ld->m_next->m_next)->m_step, 4);
}

TEST(FilterPersistence, CopySettingsAndCloneCopyParametersButNoTaps) {
    CBSFilter bs;
    bs.m_cutoff = 0.25;
    bs.m_cutoffHigh = 0.75;
    bs.m_samplingRate = 1000;
    bs.m_name = "mine";
    bs.m_coefficients = std::make_unique<double[]>(41);
    bs.m_coefficientsHigh = std::make_unique<double[]>(41);
    std::unique_ptr<CModBase> clone = bs.Clone();
    auto* c = dynamic_cast<CBSFilter*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_cutoff, 0.25);
    EXPECT_EQ(c->m_cutoffHigh, 0.75);
    EXPECT_EQ(c->m_samplingRate, 1000);
    EXPECT_EQ(c->m_name, "mine");
    EXPECT_FALSE(c->m_coefficients || c->m_coefficientsHigh);

    // Copying into a filter that holds taps drops them: they belong to its old cut-offs.
    CBPFilter target;
    target.m_coefficients = std::make_unique<double[]>(41);
    target.m_coefficientsHigh = std::make_unique<double[]>(41);
    target.CopySettings(bs);
    EXPECT_EQ(target.m_cutoffHigh, 0.75);
    EXPECT_FALSE(target.m_coefficients || target.m_coefficientsHigh);

    CDiodeFilter d;
    d.m_halfWave = 0;
    d.m_positive = 0;
    auto dc = d.Clone();
    EXPECT_EQ(static_cast<CDiodeFilter*>(dc.get())->m_halfWave, 0);
    EXPECT_EQ(static_cast<CDiodeFilter*>(dc.get())->m_positive, 0);

    CSmothFilter s;
    s.m_points = 42;
    EXPECT_EQ(static_cast<CSmothFilter*>(s.Clone().get())->m_points, 42);
    CReSmplFilter r;
    r.m_step = 17;
    EXPECT_EQ(static_cast<CReSmplFilter*>(r.Clone().get())->m_step, 17);
    CDiffFilter df;
    EXPECT_STREQ(df.Clone()->GetClassName(), "CDiffFilter");
}

// ---- stored values no dialog produces ---------------------------------------------------------

// Loads a document whose channel 0 carries `module` over `samples`, then pulls the chain every way
// the program does: export data, measure, draw, map pixels.
struct Pulled {
    std::vector<double> values;
    std::vector<double> times;
    std::string label;
};

Pulled LoadAndPull(CModBase* module, std::vector<double> samples, int rate = 2000) {
    CKaisekiDoc source;
    source.OnNewDocument();
    source.Head(0)->m_samplingRate = rate;
    CModBase::AppendModule(source.Head(0), module);
    CModBase::AppendModule(source.Head(0), new CLPFilter);  // a filter after it
    CModBase::AppendModule(source.Head(0), new CDiffFilter);
    CKaisekiDoc doc;
    doc.LoadFromBytes(source.SaveToBytes());
    doc.m_columns.assign(16, {});
    doc.m_rowCount = static_cast<int>(samples.size());
    doc.m_columns[0] = std::move(samples);

    Pulled p;
    doc.GetChannelData(&p.values, &p.label, &p.times, 0);
    RecordingSurface surface;
    doc.MeasureChannel(0);
    doc.DrawChannel(&surface, {0, 0, 600, 120}, 0, nullptr);
    int range[2];
    doc.ChannelPixelsToRange(0, 0, {0, 0, 600, 120}, {100, 0, 300, 100}, range);
    return p;
}

TEST(StoredValues, OnlyTheHeadsStoredRateCountsAfterLoading) {
    // Rates stored with the later modules are replaced by the rate handed down the chain: the
    // decimation lowers the head's 2000 Hz to 400 Hz, which the differentiator then uses (k = 0.4
    // samples per ms), whatever rates the document stored for either.
    CKaisekiDoc source;
    source.OnNewDocument();
    auto* decimation = new CReSmplFilter;
    decimation->m_samplingRate = 8000;
    auto* diff = new CDiffFilter;
    diff->m_samplingRate = 1000;
    CModBase::AppendModule(source.Head(0), decimation);
    CModBase::AppendModule(source.Head(0), diff);
    CKaisekiDoc doc;
    doc.LoadFromBytes(source.SaveToBytes());
    CModBase* loadedDiff = doc.Head(0)->m_next->m_next;
    ASSERT_EQ(loadedDiff->m_samplingRate, 1000);  // as stored, until the chain is pulled
    doc.m_columns.assign(16, {});
    doc.m_columns[0] = {5, 0, 0, 0, 0, 10, 0, 0, 0, 0};
    doc.m_rowCount = 10;
    std::vector<double> values, times;
    doc.GetChannelData(&values, nullptr, &times, 0);
    EXPECT_EQ(values, (std::vector<double>{2.0, 2.0}));
    EXPECT_EQ(times, (std::vector<double>{0.0, 2.5}));
    EXPECT_EQ(loadedDiff->m_samplingRate, 400);
}

TEST(StoredValues, MovingAverageWithTheLargestWindow) {
    std::vector<double> data(3000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<double>(i % 17);
    auto* s = new CSmothFilter;
    s->m_points = std::numeric_limits<int>::max();
    Pulled p = LoadAndPull(s, data);
    EXPECT_EQ(p.values.size(), data.size());

    // Same result as a window just longer than the data (every sample summed, same order), only
    // the divisor differs.
    CSmothFilter big, bigger;
    big.m_points = 8000;
    bigger.m_points = std::numeric_limits<int>::max();
    for (CSmothFilter* f : {&big, &bigger}) {
        f->m_input = AllocSamples(3000);
        std::copy(data.begin(), data.end(), f->m_input.get());
        f->m_inputCount = 3000;
        ASSERT_EQ(f->Compute(), 3000);
    }
    for (int i : {0, 1500, 2999})
        EXPECT_EQ(bigger.m_output[i] * 2147483648.0, big.m_output[i] * 8001.0) << i;
}

TEST(StoredValues, MovingAverageWithNegativeWindowCopies) {
    auto* s = new CSmothFilter;
    s->m_points = std::numeric_limits<int>::min();
    CSmothFilter plain;
    plain.m_points = std::numeric_limits<int>::min();
    plain.m_input = AllocSamples(2);
    plain.m_input[0] = 5;
    plain.m_input[1] = -5;
    plain.m_inputCount = 2;
    ASSERT_EQ(plain.Compute(), 2);
    EXPECT_EQ(plain.m_output[0], 5);
    EXPECT_EQ(plain.m_output[1], -5);
    EXPECT_EQ(LoadAndPull(s, {1, 2, 3}).values.size(), 3u);
}

TEST(StoredValues, DecimationStepsOfZeroNegativeAndBeyondTheRate) {
    for (int step : {0, -1, -5, std::numeric_limits<int>::min()}) {
        CReSmplFilter r;
        r.m_step = step;
        r.m_samplingRate = 2000;
        r.m_markerIndex = 12;
        EXPECT_EQ(r.GetSamplingRate(), 2000) << step;
        EXPECT_EQ(r.GetMarkerIndex(), 12) << step;
        auto* stored = new CReSmplFilter;
        stored->m_step = step;
        Pulled p = LoadAndPull(stored, {1, 2, 3, 4});
        EXPECT_EQ(p.values.size(), 4u) << step;
    }
    // A step larger than the rate hands on a rate of 0, and nothing downstream divides by it.
    CReSmplFilter r;
    r.m_step = 5000;
    r.m_samplingRate = 2000;
    EXPECT_EQ(r.GetSamplingRate(), 0);
    auto* stored = new CReSmplFilter;
    stored->m_step = 3;
    Pulled p = LoadAndPull(stored, {1, 2, 3, 4, 5, 6, 7}, 2);
    ASSERT_EQ(p.values.size(), 2u);
    EXPECT_EQ(p.times, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(p.values, (std::vector<double>{0.0, 0.0}));  // differentiated at rate 0
    auto* huge = new CReSmplFilter;
    huge->m_step = std::numeric_limits<int>::max();
    EXPECT_TRUE(LoadAndPull(huge, {1, 2, 3}).values.empty());
}

TEST(StoredValues, CutOffsNegativeHugeOrNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {-0.5, -1e300, 1e300, inf, -inf, nan}) {
        auto* lp = new CLPFilter;
        lp->m_cutoff = x;
        EXPECT_EQ(LoadAndPull(lp, {1, 2, 3}).values.size(), 3u) << x;
        auto* hp = new CHPFilter;
        hp->m_cutoff = x;
        EXPECT_EQ(LoadAndPull(hp, {1, 2, 3}).values.size(), 3u) << x;
        auto* bp = new CBPFilter;
        bp->m_cutoff = x;
        bp->m_cutoffHigh = -x;
        EXPECT_EQ(LoadAndPull(bp, {1, 2, 3}).values.size(), 3u) << x;
        auto* bs = new CBSFilter;
        bs->m_cutoff = -x;
        bs->m_cutoffHigh = x;
        EXPECT_EQ(LoadAndPull(bs, {1, 2, 3}).values.size(), 3u) << x;
    }
    // A cut-off above Nyquist is clamped: the low-pass passes the data.
    CLPFilter lp;
    lp.m_cutoff = 1e300;
    lp.m_input = AllocSamples(3);
    lp.m_input[0] = 1;
    lp.m_input[1] = 2;
    lp.m_input[2] = 3;
    lp.m_inputCount = 3;
    ASSERT_EQ(lp.Compute(), 3);
    EXPECT_NEAR(lp.m_output[1], 2.0, 1e-15);
}

TEST(StoredValues, FlagsAndRatesAtTheExtremes) {
    auto* d = new CDiodeFilter;
    d->m_halfWave = std::numeric_limits<int>::min();
    d->m_positive = std::numeric_limits<int>::max();
    EXPECT_EQ(LoadAndPull(d, {-1, 2}).values.size(), 2u);

    auto* df = new CDiffFilter;
    Pulled p = LoadAndPull(df, {1, 2}, std::numeric_limits<int>::min());
    EXPECT_EQ(p.values.size(), 2u);
    EXPECT_EQ(p.label, "[mV]/[ms]^2");

    CDiffFilter lowest;
    lowest.m_timeExponent = std::numeric_limits<int>::min();
    EXPECT_EQ(lowest.GetTimeExponent(), std::numeric_limits<int>::min());
}

}  // namespace
}  // namespace tavrel
