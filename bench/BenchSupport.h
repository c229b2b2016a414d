#pragma once
// Shared by the benchmarks: a job run on a worker thread while the main
// thread runs its event loop, as in the application, and the peak memory.
#include <QEventLoop>
#include <QObject>
#include <QThread>

#include <sys/resource.h>

#include <functional>

namespace bench {

// Peak resident memory of the process so far, in kilobytes.
inline long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs job on a worker thread and returns when it has ended.
inline void runOnWorker(const std::function<void()>& job)
{
    QThread* worker = QThread::create(job);
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
}

} // namespace bench
