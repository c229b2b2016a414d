#include "platform/ParallelWork.h"

#include <QList>
#include <QThread>

#include <algorithm>

namespace platform {

namespace {

constexpr int kMaxWorkerThreads = 8;

} // namespace

int workerThreadCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, kMaxWorkerThreads);
}

void runInParallel(int count, const std::function<void(int part)>& job)
{
    QList<QThread*> workers;
    for (int part = 1; part < count; ++part) {
        workers << QThread::create([&job, part] { job(part); });
        workers.back()->start();
    }
    if (count > 0)
        job(0);
    for (QThread* worker : workers) {
        worker->wait();
        delete worker;
    }
}

} // namespace platform
