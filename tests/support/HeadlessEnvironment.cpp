#include "tests/support/HeadlessEnvironment.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <unistd.h>

namespace testsupport {

void setUpHeadlessEnvironment(const QTemporaryDir& configHome)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (getuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
}

} // namespace testsupport
