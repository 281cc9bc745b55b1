// Chains computed side by side: every export, drawing and measurement equals the one computed on
// one thread, and what a module shows while computing on another thread appears afterwards, once,
// in channel order, on the calling thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "document/Measurements.h"
#include "document/ParallelChannels.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/RecordingSurface.h"
#include "platform/WorkerPool.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

// Puts the thread setting back after a test changes it.
class ThreadSettingGuard {
  public:
    ~ThreadSettingGuard() { SetThreadSetting(m_saved); }

  private:
    int m_saved = ThreadSetting();
};

TEST(WorkerPool, EveryItemRunsOnceAndItemsDoNotSplitAgain) {
    ThreadSettingGuard guard;
    for (int threads : {1, 2, 3, 8}) {
        SetThreadSetting(threads);
        EXPECT_EQ(ThreadCount(), threads);
        for (int count : {0, 1, 2, 7, 100}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            std::vector<int> inner(static_cast<std::size_t>(count));
            ParallelFor(count, [&](int i) {
                ++runs[static_cast<std::size_t>(i)];
                inner[static_cast<std::size_t>(i)] = ThreadCount();
            });
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(runs[static_cast<std::size_t>(i)], 1) << threads << " " << i;
                // A single item keeps the threads; items run side by side get one each.
                EXPECT_EQ(inner[static_cast<std::size_t>(i)], count > 1 ? 1 : threads)
                    << threads << " " << i;
            }
        }
    }
}

// The caller's own work runs on the calling thread, once, while the items run, and the items
// still run once each (the caller takes its share after its work).
TEST(WorkerPool, CallersOwnWorkStaysOnTheCallingThread) {
    ThreadSettingGuard guard;
    for (int threads : {1, 2, 3}) {
        SetThreadSetting(threads);
        for (int count : {0, 1, 5, 40}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            std::thread::id ranOn;
            int callerRuns = 0;
            ParallelFor(
                count, [&](int i) { ++runs[static_cast<std::size_t>(i)]; },
                [&] {
                    ranOn = std::this_thread::get_id();
                    ++callerRuns;
                });
            EXPECT_EQ(callerRuns, 1);
            EXPECT_EQ(ranOn, std::this_thread::get_id());
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(runs[static_cast<std::size_t>(i)], 1) << threads << " " << i;
        }
    }
}

TEST(WorkerPool, ExceptionOfTheLowestItemReachesTheCallerAfterAllItems) {
    ThreadSettingGuard guard;
    SetThreadSetting(4);
    std::atomic<int> ran{0};
    try {
        ParallelFor(40, [&](int i) {
            ++ran;
            if (i == 9 || i == 31) throw std::runtime_error(std::to_string(i));
        });
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "9");
    }
    EXPECT_EQ(ran, 40);
}

// One after another, the items would have ended with the first that threw: nothing the items
// after it showed is shown, whichever ran first.
TEST(WorkerPool, CollectedMessagesEndWithTheFirstItemThatThrew) {
    ThreadSettingGuard guard;
    SetThreadSetting(4);
    test::ScriptedHost host;
    EXPECT_THROW(ParallelForCollecting(12,
                                       [](int i) {
                                           GetHost().MessageBox(std::to_string(i));
                                           if (i == 5 || i == 9) throw std::runtime_error("");
                                       }),
                 std::runtime_error);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
}

// A module that shows a message each time it computes, then passes its input on.
std::atomic<int> g_computed{0};
class NoisyModule : public CModBase {
  public:
    explicit NoisyModule(int channel) : m_channel(channel) {}
    int Compute() override {
        GetHost().MessageBox("CH" + std::to_string(m_channel + 1));
        ++g_computed;
        return CModBase::Compute();
    }

  private:
    int m_channel;
};

// Notes how many chains had computed when each message was shown.
class CountingHost : public test::ScriptedHost {
  public:
    void MessageBox(const std::string& text) override {
        computedBefore.push_back(g_computed.load());
        ScriptedHost::MessageBox(text);
    }
    std::vector<int> computedBefore;
};

void SetSixteenColumns(CKaisekiDoc& doc, int rows) {
    Recording recording;
    for (int c = 0; c < Recording::kColumns; ++c) {
        for (int r = 0; r < rows; ++r)
            recording.columns[static_cast<std::size_t>(c)].push_back(
                std::sin(r * 0.003 * (c + 1)) * (c + 1) + 0.1 * (r % 11));
    }
    recording.rowCount = rows;
    doc.SetRecording(std::move(recording));
}

TEST(ParallelChannels, MessagesOfWorkersAreShownAfterwardsInChannelOrderOnTheCallingThread) {
    ThreadSettingGuard guard;
    SetThreadSetting(4);
    CountingHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    SetSixteenColumns(doc, 5000);
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        CModBase::AppendModule(doc.Head(k), new NoisyModule(k));
    doc.m_display.m_absoluteScale = 1;
    g_computed = 0;
    doc.MeasureCommonMax();
    ASSERT_EQ(host.messages.size(), 16u);
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        const auto i = static_cast<std::size_t>(k);
        EXPECT_EQ(host.messages[i], "CH" + std::to_string(k + 1));
        EXPECT_EQ(host.messageThreads[i], std::this_thread::get_id());
        EXPECT_EQ(host.computedBefore[i], 16) << "shown before every chain had computed";
    }
    // Drawing afterwards computes nothing, so nothing is shown again.
    RecordingSurface surface;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        doc.DrawChannel(&surface, {0, k * 160, 770, (k + 1) * 160}, k, nullptr);
    EXPECT_EQ(host.messages.size(), 16u);
}

// A document whose channels run different chains, some fed from the same column, one without a
// source.
void BuildChains(CKaisekiDoc& doc) {
    const char* classes[] = {"CBPFilter",    "CLPFilter",    "CHPFilter",      "CBSFilter",
                             "CSmothFilter", "CDiodeFilter", "CDiffFilter",    "CReSmplFilter",
                             "CIntFilter",   "CClipFilter",  "CAActDetFilter", "CSDActDetFilter"};
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        doc.m_channelEnabled[static_cast<std::size_t>(k)] = 1;
        for (int m = 0; m < k % 4; ++m) {
            auto module = CreateModule(classes[(k + 5 * m) % 12]);
            ASSERT_TRUE(module);
            CModBase::AppendModule(doc.Head(k), module.release());
        }
    }
    doc.m_channelSource[3] = 0;
    doc.m_channelSource[9] = CKaisekiDoc::kNoSource;
}

struct Results {
    std::string exported;
    std::string copied;  // the same export from copies of the outputs and listed times
    std::string perChannel;
    std::vector<std::string> drawn;
    std::vector<std::string> measured;
    double commonMax = 0.0;
};

Results Compute(int threads) {
    SetThreadSetting(threads);
    CKaisekiDoc doc;
    doc.OnNewDocument();
    BuildChains(doc);
    SetSixteenColumns(doc, 20000);
    Results results;
    doc.m_display.m_absoluteScale = 1;
    doc.MeasureCommonMax();
    results.commonMax = doc.m_display.m_commonMax;
    ComputeAllChannelOutputs(doc);
    RecordingSurface surface;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        doc.DrawChannel(&surface, {0, k * 160, 770, (k + 1) * 160}, k, nullptr);
    results.drawn = surface.Log();
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;  // the time column
    // Copies with listed times (GetChannelData) are what the outputs used in place, and those
    // taken over, must write.
    const auto copies = [&doc] {
        std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
        for (int d = 0; d < CKaisekiDoc::kChannels; ++d) {
            ChannelExport& channel = channels[static_cast<std::size_t>(d)];
            doc.GetChannelData(&channel.values, &channel.label, &channel.times, d);
        }
        return channels;
    };
    results.copied = FormatExport(copies(), settings);
    EXPECT_TRUE(FormatExport(GatherChannelData(doc, Gathering::View), settings) == results.copied);
    results.exported = FormatExport(GatherChannelData(doc, Gathering::Take), settings);
    settings.m_perChannelTime = 1;
    const std::string perChannelCopied = FormatExport(copies(), settings);
    EXPECT_TRUE(FormatExport(GatherChannelData(doc, Gathering::View), settings) ==
                perChannelCopied);
    results.perChannel = FormatExport(GatherChannelData(doc, Gathering::Take), settings);
    EXPECT_TRUE(results.perChannel == perChannelCopied);
    for (const MeasurementRow& row : MeasureDocument(doc, "f", true)) {
        std::string line;
        for (int c = 0; c < kMeasurementColumns; ++c)
            line += MeasurementCell(row, c) + ",";
        results.measured.push_back(line);
    }
    return results;
}

TEST(ParallelChannels, DrawingExportAndMeasurementsAreTheSameOnAnyNumberOfThreads) {
    ThreadSettingGuard guard;
    test::ScriptedHost host;
    const Results one = Compute(1);
    ASSERT_FALSE(one.exported.empty());
    // A taken output writes what a copy with its listed times writes.
    EXPECT_TRUE(one.copied == one.exported);
    ASSERT_EQ(one.measured.size(), 15u);
    for (int threads : {2, 3, 8}) {
        const Results many = Compute(threads);
        EXPECT_EQ(many.commonMax, one.commonMax) << threads;
        EXPECT_TRUE(many.drawn == one.drawn) << threads;
        EXPECT_TRUE(many.exported == one.exported) << threads;
        EXPECT_TRUE(many.perChannel == one.perChannel) << threads;
        EXPECT_EQ(many.measured, one.measured) << threads;
    }
    EXPECT_TRUE(host.messages.empty());
}

// A consumed document gives the bytes of one whose outputs are taken, also where two channels
// read the same column (freed only after both), and holds no data afterwards.
TEST(ParallelChannels, ConsumedDocumentExportsTheSameBytesAndKeepsNoData) {
    ThreadSettingGuard guard;
    test::ScriptedHost host;
    for (int threads : {1, 3}) {
        SetThreadSetting(threads);
        std::string exports[2];
        for (const Gathering gathering : {Gathering::Take, Gathering::Consume}) {
            CKaisekiDoc doc;
            doc.OnNewDocument();
            BuildChains(doc);
            SetSixteenColumns(doc, 5000);
            // Channels 1, 3 (BuildChains) and 9 read column 0; columns 1, 3 and 9 are read by none.
            doc.m_channelSource[1] = 0;
            doc.m_channelSource[9] = 0;
            exports[gathering == Gathering::Consume] =
                FormatExport(GatherChannelData(doc, gathering), ExportSettings{});
            if (gathering == Gathering::Consume) {
                for (std::size_t c = 0; c < doc.m_columns.size(); ++c)
                    EXPECT_EQ(doc.m_columns[c].capacity() == 0, c != 1 && c != 3 && c != 9) << c;
            }
        }
        ASSERT_FALSE(exports[0].empty());
        EXPECT_TRUE(exports[1] == exports[0]) << threads;
    }
}

}  // namespace
}  // namespace tavrel
