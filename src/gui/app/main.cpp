// Start-up of the Tavrel program: the Qt application with the program's Japanese dialog font and
// the per-user settings store, then the application object's start-up.
#include <QApplication>

#include "gui/app/AboutDlg.h"
#include "gui/app/KaisekiApp.h"
#include "gui/platform/DialogLayout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavrel"));
    QApplication::setFont(tavrel::qt::DialogFont());
    QApplication::setWindowIcon(tavrel::qt::AppIcon());

    tavrel::qt::CKaisekiApp kaiseki;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!kaiseki.InitInstance(arguments)) return 1;
    if (kaiseki.EndsAfterStartUp()) return 0;
    return app.exec();
}
