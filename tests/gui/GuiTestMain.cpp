// Runs the GUI tests inside a QApplication on the offscreen platform. The per-user settings (the
// recent files, the file dialog's history) go to a folder of this run that is removed at the end,
// so the tests never read or write the user's own. TAVREL_LANG=en runs them in English, as the
// program does - for the screenshot tests; the other tests assert the Japanese texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#include "gui/document/ModalHelper.h"
#include "gui/platform/Translation.h"

namespace {

// Ends the modal-window waits of every test, so a window that never came fails that test's run.
class ModalWaitListener : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { tavrel::test::EndModalWaits(); }
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir settingsHome(QDir::tempPath() + QStringLiteral("/tavrel-gui-tests-XXXXXX"));
    if (!settingsHome.isValid()) return 2;
    setenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", settingsHome.filePath(QStringLiteral("data")).toLocal8Bit().constData(),
           1);

    QApplication app(argc, argv);
    if (std::getenv("TAVREL_LANG")) tavrel::qt::InstallLanguage(tavrel::qt::StartupLanguage());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalWaitListener);
    return RUN_ALL_TESTS();
}
