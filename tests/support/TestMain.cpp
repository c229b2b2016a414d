// Test programs run headless, with preferences in a temporary folder, and with
// a running application object so that main-thread hand-offs work.
#include "tests/support/HeadlessEnvironment.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>


#if defined(__SANITIZE_ADDRESS__) || (defined(__has_feature) && __has_feature(address_sanitizer))
// The browser engine frees some of its own objects through a pointer of another
// size; that check would stop every web test in its library code.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

int main(int argc, char** argv)
{
    QTemporaryDir configHome;
    testsupport::setUpHeadlessEnvironment(configHome);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
