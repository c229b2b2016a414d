#pragma once
// The environment every test program runs in: headless, with the browser
// engine's sandbox off when running as root, and with the user's settings in
// a temporary folder. Call before the application object is made.
class QTemporaryDir;

namespace testsupport {

void setUpHeadlessEnvironment(const QTemporaryDir& configHome);

} // namespace testsupport
