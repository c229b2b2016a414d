#pragma once
// Running work on the main (user-interface) thread from any thread.
#include <functional>

namespace platform {

// True on the thread that runs the application's event loop (or when no
// application object exists, on every thread).
bool isMainThread();

// Runs fn on the main thread. With wait, returns after fn has run; when the
// caller already is the main thread fn runs at once (a blocking hand-off from
// the main thread to itself would deadlock). Without wait, fn is queued.
void runOnMainThread(const std::function<void()>& fn, bool wait);

} // namespace platform
