// A full document worked hard: sixteen channels, each carrying every module class of the program
// (some twice), over sixteen columns of 8192 rows, drawn, measured, exported, saved and reloaded
// over and over. The results must not change from one cycle to the next and the memory in use
// must not grow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVREL_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TAVREL_UNDER_ASAN 1
#endif

#ifdef TAVREL_UNDER_ASAN
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace tavrel {
namespace {

std::size_t BytesInUse() {
#ifdef TAVREL_UNDER_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // heap chunks in use plus mapped blocks
#endif
}

constexpr int kRows = 8192;

// Every module class a user can put into a chain.
std::vector<std::string> ChainClasses() {
    std::vector<std::string> names;
    for (const auto& name : ModuleClassNames())
        if (name != "CHeadFilter" && name != "CModBase" && name != "CDFilBase")
            names.push_back(name);
    return names;
}

void FillRecording(CKaisekiDoc& doc) {
    doc.m_columns.assign(CKaisekiDoc::kChannels, std::vector<double>(kRows));
    for (int c = 0; c < CKaisekiDoc::kChannels; ++c)
        for (int i = 0; i < kRows; ++i) {
            double t = i / 2000.0;
            double burst = (i / 700 + c) % 3 == 0 ? std::sin(2 * M_PI * (60.0 + 15 * c) * t) : 0.0;
            doc.m_columns[c][i] = 0.2 * std::sin(2 * M_PI * 2.0 * t) + (1.0 + 0.1 * c) * burst;
        }
    doc.m_rowCount = kRows;
}

void BuildLongChains(CKaisekiDoc& doc) {
    auto classes = ChainClasses();
    for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
        doc.m_channelEnabled[ch] = 1;
        // Rotate the order so every class sits at every depth on some channel, and repeat a few
        // classes so that chains hold two modules of one class.
        for (std::size_t k = 0; k < classes.size(); ++k) {
            const std::string& name = classes[(k + ch) % classes.size()];
            CModBase::AppendModule(doc.Head(ch), CreateModule(name).release());
            if (k % 4 == static_cast<std::size_t>(ch % 4))
                CModBase::AppendModule(doc.Head(ch), CreateModule(name).release());
        }
    }
}

// Everything a cycle produces, to compare cycles with.
struct CycleResult {
    std::vector<std::vector<double>> values;
    std::vector<std::string> labels;
    std::vector<double> maxima;
    std::size_t drawCalls = 0;
    std::string exported;
    std::string document;
    bool operator==(const CycleResult&) const = default;
};

CycleResult RunCycle(CKaisekiDoc& doc) {
    CycleResult result;
    for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
        RecordingSurface surface({0, 0, 1200, 160});
        double maximum = 0.0;
        maximum = doc.MeasureChannel(ch);
        doc.DrawChannel(&surface, {0, 0, 1200, 160}, ch, nullptr);
        result.maxima.push_back(maximum);
        result.drawCalls += surface.Calls().size();
        std::vector<double> values, times;
        std::string label;
        doc.GetChannelData(&values, &label, &times, ch);
        result.values.push_back(std::move(values));
        result.labels.push_back(std::move(label));
        doc.Head(ch)->ClearBuffers();
    }
    std::vector<ChannelExport> channels(CKaisekiDoc::kChannels);
    for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
        auto& c = channels[ch];
        doc.GetChannelData(&c.values, &c.label, &c.times, ch);
    }
    result.exported = FormatExport(channels, ExportSettings{1, 1, 1});
    result.document = doc.SaveToBytes();
    return result;
}

TEST(ChainStress, EveryClassOnEveryChannelGivesTheSameResultsWithoutGrowingMemory) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    BuildLongChains(doc);
    FillRecording(doc);

    CycleResult first = RunCycle(doc);
    ASSERT_EQ(first.values.size(), 16u);
    EXPECT_FALSE(first.values[0].empty());

    // Warm-up cycles settle caches and allocator pools before memory is measured, the column
    // storage kept from closed documents included (one reload fills it).
    for (int i = 0; i < 3; ++i)
        RunCycle(doc);
    ASSERT_TRUE(doc.ReadDocumentBytes(doc.SaveToBytes()));
    FillRecording(doc);
    RunCycle(doc);
    std::size_t baseline = BytesInUse();
    std::size_t highest = baseline;
    for (int cycle = 0; cycle < 100; ++cycle) {
        // Reload the document from its own bytes every tenth cycle, as a user reopening it would.
        if (cycle % 10 == 9) {
            std::string bytes = doc.SaveToBytes();
            ASSERT_TRUE(doc.ReadDocumentBytes(bytes));
            FillRecording(doc);
        }
        CycleResult again = RunCycle(doc);
        ASSERT_TRUE(again == first) << "cycle " << cycle << " differs from the first";
        highest = std::max(highest, BytesInUse());
    }
    // A leak of even one buffer of 8192 doubles per cycle would add 6.5 MB over 100 cycles.
    EXPECT_LT(highest - baseline, 1u << 20) << "memory in use grew by " << (highest - baseline);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tavrel
