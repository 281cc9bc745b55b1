#include "pipeline/DmyPipe.h"

#include <gtest/gtest.h>

#include "document/KaisekiDoc.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "platform/Archive.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

// Channel 0: head -> probe -> integrator -> clip (cut to 100 .. 200 ms).
class ProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        for (int i = 0; i < 1000; ++i)
            doc.m_columns[0].push_back(i % 7 - 2.0);
        doc.m_rowCount = 1000;
        probe = new CDmyPipe;
        probe->m_probeOn = 1;
        integrator = new CIntFilter;
        clip = new CClipFilter;
        clip->m_cut = 1;
        clip->m_startMs = 100;
        clip->m_endMs = 200;
        // Modules know their document as a loaded or edited chain's modules do.
        for (CModBase* m : std::initializer_list<CModBase*>{probe, integrator, clip}) {
            m->m_doc = &doc;
            CModBase::AppendModule(doc.Head(0), m);
        }
    }

    std::vector<double> Export(std::string& label) {
        std::vector<double> values;
        std::vector<double> times;
        label.clear();
        doc.Head(0)->ChainGetData(&values, &label, &times);
        return values;
    }

    CKaisekiDoc doc;
    CDmyPipe* probe = nullptr;
    CIntFilter* integrator = nullptr;
    CClipFilter* clip = nullptr;
    RecordingSurface surface;
    const Rect plot{0, 0, 1080, 100};
};

TEST_F(ProbeTest, NormalDisplayGoesToTheChainEnd) {
    std::string label;
    std::vector<double> values = Export(label);
    EXPECT_EQ(values.size(), 200u);
    EXPECT_EQ(label, "[mV]*[ms]");
    double max = 0.0;
    max = doc.Head(0)->ChainMeasure();
    EXPECT_GT(max, 100.0);  // integrated values
    EXPECT_TRUE(clip->m_output);
}

TEST_F(ProbeTest, ProbeDisplayStopsAtTheActiveProbe) {
    doc.m_display.m_probeDisplay = 1;
    std::string label;
    EXPECT_EQ(Export(label), doc.m_columns[0]);
    EXPECT_EQ(label, "[mV]");
    double max = 0.0;
    max = doc.Head(0)->ChainMeasure();
    EXPECT_EQ(max, 4.0);
    // The modules after the probe were asked for nothing.
    EXPECT_FALSE(integrator->m_input || integrator->m_output || clip->m_input || clip->m_output);

    // Selection maps over the probe's 1000 samples, not over the 200 of the cut.
    int range[2] = {-1, -1};
    doc.Head(0)->ChainPixelsToRange(&surface, plot, {540, 0, 1040, 100}, range);
    EXPECT_EQ(range[0], 500);
    EXPECT_EQ(range[1], 1000);
    doc.m_display.m_probeDisplay = 0;
    doc.Head(0)->ChainDraw(&surface, plot, DisplayOf(*doc.Head(0)), nullptr);
    doc.Head(0)->ChainPixelsToRange(&surface, plot, {540, 0, 1040, 100}, range);
    EXPECT_EQ(range[0], 100);
    EXPECT_EQ(range[1], 200);
}

TEST_F(ProbeTest, DisabledProbeOrNoDocumentIsTransparent) {
    doc.m_display.m_probeDisplay = 1;
    probe->m_probeOn = 0;
    std::string label;
    EXPECT_EQ(Export(label).size(), 200u);
    // Any nonzero stored flag counts as on.
    probe->m_probeOn = -7;
    EXPECT_EQ(Export(label).size(), 1000u);
    CDmyPipe alone;
    alone.m_probeOn = 1;
    EXPECT_FALSE(alone.StopsForwarding());
}

TEST_F(ProbeTest, FirstActiveProbeFromTheHeadWins) {
    auto* second = new CDmyPipe;
    second->m_probeOn = 1;
    second->m_doc = &doc;
    CModBase::InsertModuleAt(doc.Head(0), 3, second);  // head, probe, integrator, second, clip
    doc.m_display.m_probeDisplay = 1;
    std::string label;
    EXPECT_EQ(Export(label).size(), 1000u);
    EXPECT_EQ(label, "[mV]");
    probe->m_probeOn = 0;
    std::vector<double> values = Export(label);
    EXPECT_EQ(values.size(), 1000u);
    EXPECT_EQ(label, "[mV]*[ms]");
    EXPECT_EQ(values[1], (doc.m_columns[0][0] + doc.m_columns[0][1]) * 0.5);
}

TEST_F(ProbeTest, ProbeAtTheChainEndBehavesLikeAnyChainEnd) {
    CModBase::RemoveModuleAt(doc.Head(0), 2);
    CModBase::RemoveModuleAt(doc.Head(0), 2);
    std::unique_ptr<CModBase> removedIntegrator(integrator);
    std::unique_ptr<CModBase> removedClip(clip);
    for (int display : {0, 1}) {
        doc.m_display.m_probeDisplay = display;
        std::string label;
        EXPECT_EQ(Export(label), doc.m_columns[0]) << display;
        EXPECT_EQ(label, "[mV]");
    }
}

TEST(DmyPipe, DialogHasOneCheckBoxAndNoApply) {
    test::ScriptedHost host;
    CDmyPipe probe;
    probe.m_probeOn = 3;
    host.dialogScript = [](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 118);
        EXPECT_EQ(d.Title(), "プローブ設定");
        EXPECT_FALSE(d.HasApply());
        EXPECT_EQ(d.Check(CProbeDlg::kEnable), 1);
        d.SetCheck(CProbeDlg::kEnable, 0);
        return test::PressOk(d);
    };
    EXPECT_EQ(probe.EditSettings(), 1);
    EXPECT_EQ(probe.m_probeOn, 0);

    host.dialogScript = [](ModuleDialog& d) {
        d.SetCheck(CProbeDlg::kEnable, 1);
        return false;
    };
    EXPECT_EQ(probe.EditSettings(), 0);
    EXPECT_EQ(probe.m_probeOn, 0);
}

}  // namespace
}  // namespace tavrel
