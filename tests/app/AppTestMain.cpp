// The application's tests: headless, with preferences in a temporary folder.
// "app_tests Class" runs one test class, "app_tests" all of them.
#include "tests/app/AppTestSupport.h"

#include "app/LicensePanelController.h"

#include <QApplication>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (getuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scribora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/scribora.svg")));

    QStringList arguments = QApplication::arguments();
    QString only;
    if (arguments.size() > 1 && !arguments[1].startsWith(QLatin1Char('-')))
        only = arguments.takeAt(1);
    int failures = 0;
    for (const auto& [name, factory] : apptest::registry()) {
        if (!only.isEmpty() && name != only)
            continue;
        std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), arguments);
    }
    LicensePanelController::releaseSharedInstance();
    return failures == 0 ? 0 : 1;
}
