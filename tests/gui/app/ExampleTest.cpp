// The bundled example opens from any working folder (its data file is found beside it), reads
// all its rows and shows what it was made to show: an activity onset on CH1, processed data on
// the four EMG channels and their raw copies, nothing on the channels without a source.
#include <gtest/gtest.h>

#include "gui/app/KaisekiApp.h"
#include "gui/display/MainFrame.h"
#include "gui/document/RecentFileList.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

using namespace tavrel;

TEST(Example, OpensFromAnyFolderWithItsData) {
    test::TempDir dir;
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());  // far from examples/
    qt::CKaisekiApp app(
        std::make_unique<qt::RecentFileList>(QString::fromStdString(dir.File("settings.ini"))));
    app.SetRestoreWindowState(false);
    test::ScriptedHost host;  // records what would be shown, after the application's own host
    bool started = app.InitInstance({QStringLiteral(TAVREL_SOURCE_DIR "/examples/emg-demo.kcd")});
    std::filesystem::current_path(before);
    ASSERT_TRUE(started);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();

    CKaisekiDoc& doc = app.Document();
    EXPECT_EQ(doc.m_rowCount, 8000);
    EXPECT_EQ(doc.m_dataFilePath, "emg-demo.csv");  // stored relative, as shipped
    EXPECT_FALSE(doc.IsModified());
    for (int channel = 0; channel < 16; ++channel) {
        std::vector<double> values;
        std::string label;
        std::vector<double> times;
        doc.GetChannelData(&values, &label, &times, channel);
        if (channel < 8) {
            EXPECT_FALSE(values.empty()) << channel;
        } else {
            EXPECT_TRUE(values.empty()) << channel;
        }
    }
    // The amplitude detector at the end of CH1 found the first burst (0.6 s .. 1.3 s).
    const CModBase* last = doc.m_chains[0].get();
    while (last->m_next)
        last = last->m_next;
    int onset = last->GetMarkerIndex();
    EXPECT_GT(onset, 1000);
    EXPECT_LT(onset, 2600);
}
