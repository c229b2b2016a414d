// The program: one main window and its controller; files named on the
// command line are taken in once the event loop runs.
#include "app/AppDelegate.h"
#include "app/LicensePanelController.h"

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

    int status = 0;
    {
        AppDelegate controller;
        controller.window->show();
        const QStringList files = QApplication::arguments().mid(1);
        QTimer::singleShot(0, &controller, [&controller, files] {
            controller.applicationDidFinishLaunching();
            if (!files.isEmpty())
                controller.applicationOpenFiles(files);
        });
        status = QApplication::exec();
    }
    LicensePanelController::releaseSharedInstance();
    return status;
}
