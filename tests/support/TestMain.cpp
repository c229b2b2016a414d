// Test programs run headless, with preferences in a temporary folder, and with
// a running application object so that main-thread hand-offs work.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (getuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);

    QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
