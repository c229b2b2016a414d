// The program: one main window and its controller; files named on the
// command line are taken in once the event loop runs.
#include "app/AppDelegate.h"
#include "app/LicensePanelController.h"
#include "platform/SystemInfo.h"
#include "platform/ui/ApplicationService.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <memory>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scribora"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("scribora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/scribora.svg")));

    // A second start hands its files to the running program and ends.
    const QStringList files = QApplication::arguments().mid(1);
    AppDelegate* running = nullptr;
    if (!platform::ui::ApplicationService::registerOrHandOver(
            platform::bundleIdentifier(), files,
            [&running](const QStringList& paths) {
                if (running)
                    running->applicationOpenFiles(paths);
            },
            &application))
        return 0;

    int status = 0;
    {
        AppDelegate controller;
        running = &controller;
        controller.window->show();
        QTimer::singleShot(0, &controller, [&controller, files] {
            controller.applicationDidFinishLaunching();
            if (!files.isEmpty())
                controller.applicationOpenFiles(files);
        });
        status = QApplication::exec();
        running = nullptr;
    }
    LicensePanelController::releaseSharedInstance();
    return status;
}
