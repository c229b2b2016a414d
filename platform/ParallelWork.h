#pragma once
// Work split into parts that run on threads of their own at the same time.
#include <functional>

namespace platform {

// Threads worth starting for work of many parts: the machine's cores, at
// least one and at most eight (past that, memory and the one writer that
// joins the results gain more than the work does).
int workerThreadCount();

// Runs job(0) ... job(count - 1), each on a thread of its own (the caller's
// among them), and returns when all have ended. The jobs must share nothing
// that they change.
void runInParallel(int count, const std::function<void(int part)>& job);

} // namespace platform
