// The application's tests: headless, with preferences in a temporary folder.
// "app_tests Class" runs one test class, "app_tests" all of them.
#include "tests/app/AppTestSupport.h"

#include "app/LicensePanelController.h"
#include "tests/support/HeadlessEnvironment.h"

#include <QApplication>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>


int main(int argc, char** argv)
{
    QTemporaryDir configHome;
    testsupport::setUpHeadlessEnvironment(configHome);

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
        apptest::forgetModalWatchers();
    }
    LicensePanelController::releaseSharedInstance();
    return failures == 0 ? 0 : 1;
}
