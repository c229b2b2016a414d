#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace testsupport {

void runOnWorker(const std::function<void()>& fn)
{
    QEventLoop loop;
    QThread* worker = QThread::create(fn);
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    delete worker;
}

QUrl writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return QUrl::fromLocalFile(path);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testsupport
