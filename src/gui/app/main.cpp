// Start-up of the Tavrel program: the Qt application with the program's Japanese dialog font, the
// per-user settings store and the display language, then the application object's start-up.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "gui/app/AboutDlg.h"
#include "gui/app/KaisekiApp.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace {

constexpr const char* kUsage =
    "Usage: tavrel [DOCUMENT.kcd]\n"
    "  or:  tavrel --print DOCUMENT.kcd\n"
    "Opens the Tavrel waveform analyser on a new document, or on the named document file.\n"
    "\n"
    "Options:\n"
    "  -p, --print DOCUMENT.kcd  print the document and end without opening a window\n"
    "                            (into DOCUMENT.pdf beside it when there is no printer)\n"
    "  -h, --help                show this help and end\n"
    "  --version                 show the version and end\n"
    "\n"
    "Environment:\n"
    "  TAVREL_LANG=en|ja         the display language of this run (English or Japanese);\n"
    "                            without it, the one chosen in the options (Japanese at first)\n"
    "\n"
    "Exit status: 0 success, 1 a usage error or a document that cannot be printed (a document\n"
    "that cannot be opened is reported and the program starts with a new one).\n";

}  // namespace

int main(int argc, char** argv) {
    // Help and version answer on stdout before the application starts, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tavrel %s\n", TAVREL_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavrel"));
    QApplication::setFont(tavrel::qt::DialogFont());
    QApplication::setWindowIcon(tavrel::qt::AppIcon());
    // Before any window is made: every text is made in the language of this run.
    tavrel::qt::InstallLanguage(tavrel::qt::StartupLanguage());

    tavrel::qt::CKaisekiApp kaiseki;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!kaiseki.InitInstance(arguments)) return 1;
    if (kaiseki.EndsAfterStartUp()) return 0;
    return app.exec();
}
