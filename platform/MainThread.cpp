#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

bool isMainThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void runOnMainThread(const std::function<void()>& fn, bool wait)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || (wait && isMainThread())) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

} // namespace platform
