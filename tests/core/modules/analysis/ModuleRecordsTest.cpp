// The stored records, cloning and registration of the FFT view, the probe and the analysis
// modules.
#include <gtest/gtest.h>

#include <cstring>

#include "document/KaisekiDoc.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/filters/FFTView.h"
#include "pipeline/DmyPipe.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "support/LittleEndian.h"

namespace tavrel {
namespace {

std::string OwnRecord(CModBase& module) {
    Archive ar;
    module.SerializeOwn(ar);
    return ar.Bytes();
}

TEST(ModuleRecords, OwnFieldsAreStoredInTheirOrder) {
    CFFTViewFilter fft;
    fft.m_points = 512;
    fft.m_start = 7;
    EXPECT_EQ(OwnRecord(fft), test::Le32(512) + test::Le32(7));

    CDmyPipe probe;
    probe.m_probeOn = 1;
    EXPECT_EQ(OwnRecord(probe), test::Le32(1));

    CIntFilter integrator;
    integrator.m_startMs = 10;
    integrator.m_endMs = 20;
    EXPECT_EQ(OwnRecord(integrator), test::Le32(10) + test::Le32(20));

    CClipFilter clip;
    clip.m_startMs = 10;
    clip.m_endMs = 20;
    clip.m_cut = 1;
    EXPECT_EQ(OwnRecord(clip), test::Le32(10) + test::Le32(20) + test::Le32(1));

    CAActDetFilter amplitude;
    amplitude.m_thresholdPercent = 15;
    amplitude.m_minDurationMs = 30;
    EXPECT_EQ(OwnRecord(amplitude), test::Le32(15) + test::Le32(30));

    CSDActDetFilter sd;
    sd.m_refStartMs = 5;
    sd.m_refLengthMs = 50;
    sd.m_sdFactor = 1.5;
    sd.m_windowMs = 25;
    EXPECT_EQ(OwnRecord(sd), test::Le32(5) + test::Le32(50) + test::Le64(1.5) + test::Le32(25));
}

TEST(ModuleRecords, ChainOfEveryModuleSurvivesSaveAndLoad) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    auto* fft = new CFFTViewFilter;
    fft->m_points = 256;
    fft->m_start = 3;
    auto* probe = new CDmyPipe;
    probe->m_probeOn = 1;
    auto* integrator = new CIntFilter;
    integrator->m_startMs = 1;
    integrator->m_endMs = 2;
    auto* clip = new CClipFilter;
    clip->m_startMs = 3;
    clip->m_endMs = 4;
    clip->m_cut = 1;
    auto* amplitude = new CAActDetFilter;
    amplitude->m_thresholdPercent = 50;
    amplitude->m_minDurationMs = 60;
    auto* sd = new CSDActDetFilter;
    sd->m_refStartMs = 7;
    sd->m_refLengthMs = 8;
    sd->m_sdFactor = 0.25;
    sd->m_windowMs = 9;
    for (CModBase* m :
         std::initializer_list<CModBase*>{fft, probe, integrator, clip, amplitude, sd})
        CModBase::AppendModule(doc.Head(2), m);
    const std::string bytes = doc.SaveToBytes();

    CKaisekiDoc loaded;
    loaded.LoadFromBytes(bytes);
    CModBase* m = loaded.Head(2)->m_next;
    auto* f2 = dynamic_cast<CFFTViewFilter*>(m);
    ASSERT_NE(f2, nullptr);
    EXPECT_EQ(f2->m_name, "FFT View");
    EXPECT_EQ(f2->m_points, 256);
    EXPECT_EQ(f2->m_start, 3);
    auto* p2 = dynamic_cast<CDmyPipe*>(f2->m_next);
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->m_name, "プローブ");
    EXPECT_EQ(p2->m_probeOn, 1);
    auto* i2 = dynamic_cast<CIntFilter*>(p2->m_next);
    ASSERT_NE(i2, nullptr);
    EXPECT_EQ(i2->m_name, "積分器");
    EXPECT_EQ(i2->m_startMs, 1);
    EXPECT_EQ(i2->m_endMs, 2);
    auto* c2 = dynamic_cast<CClipFilter*>(i2->m_next);
    ASSERT_NE(c2, nullptr);
    EXPECT_EQ(c2->m_name, "クリップ");
    EXPECT_EQ(c2->m_startMs, 3);
    EXPECT_EQ(c2->m_endMs, 4);
    EXPECT_EQ(c2->m_cut, 1);
    auto* a2 = dynamic_cast<CAActDetFilter*>(c2->m_next);
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(a2->m_name, "自動活動抽出");
    EXPECT_EQ(a2->m_thresholdPercent, 50);
    EXPECT_EQ(a2->m_minDurationMs, 60);
    auto* s2 = dynamic_cast<CSDActDetFilter*>(a2->m_next);
    ASSERT_NE(s2, nullptr);
    EXPECT_EQ(s2->m_name, "SD活動抽出");
    EXPECT_EQ(s2->m_refStartMs, 7);
    EXPECT_EQ(s2->m_refLengthMs, 8);
    EXPECT_EQ(s2->m_sdFactor, 0.25);
    EXPECT_EQ(s2->m_windowMs, 9);
    EXPECT_EQ(s2->m_next, nullptr);
    EXPECT_EQ(loaded.SaveToBytes(), bytes);
}

TEST(ModuleRecords, ClonesCarryTheOwnSettings) {
    CSDActDetFilter sd;
    sd.m_refStartMs = 7;
    sd.m_refLengthMs = 8;
    sd.m_sdFactor = 0.25;
    sd.m_windowMs = 9;
    sd.m_markerIndex = 4;
    sd.m_rangeStart = 1;
    std::unique_ptr<CModBase> clone = sd.Clone();
    auto* c = dynamic_cast<CSDActDetFilter*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(OwnRecord(*c), OwnRecord(sd));
    EXPECT_EQ(c->m_markerIndex, 4);
    EXPECT_EQ(c->m_rangeStart, -1);  // the highlighted range is not copied

    CClipFilter clip;
    clip.m_startMs = 3;
    clip.m_endMs = 4;
    clip.m_cut = 1;
    CFFTViewFilter fft;
    fft.m_points = 128;
    fft.m_start = 9;
    CDmyPipe probe;
    probe.m_probeOn = 1;
    CIntFilter integrator;
    integrator.m_startMs = 5;
    CAActDetFilter amplitude;
    amplitude.m_minDurationMs = 3;
    for (CModBase* m :
         std::initializer_list<CModBase*>{&clip, &fft, &probe, &integrator, &amplitude}) {
        std::unique_ptr<CModBase> copy = m->Clone();
        ASSERT_NE(copy, nullptr) << m->GetClassName();
        EXPECT_STREQ(copy->GetClassName(), m->GetClassName());
        EXPECT_EQ(OwnRecord(*copy), OwnRecord(*m)) << m->GetClassName();
        EXPECT_EQ(copy->m_name, m->m_name);
    }
}

TEST(ModuleRecords, EveryClassIsRegisteredUnderItsName) {
    for (const char* name : {"CFFTViewFilter", "CDmyPipe", "CIntFilter", "CClipFilter",
                             "CAActDetFilter", "CSDActDetFilter"}) {
        std::unique_ptr<CModBase> m = CreateModule(name);
        ASSERT_NE(m, nullptr) << name;
        EXPECT_STREQ(m->GetClassName(), name);
    }
}

}  // namespace
}  // namespace tavrel
