#include "platform/MainThread.h"
#include "platform/ObjectMessaging.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

namespace {

class Target : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool flagProperty MEMBER flagProperty)
public:
    Q_INVOKABLE void Report(QVariant value)
    {
        values << value.toInt();
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
    }
    Q_INVOKABLE bool isConversionCancelled() const { return cancelled.load(); }

    QList<int> values;
    bool onMainThread = true;
    bool flagProperty = true;
    std::atomic<bool> cancelled{false};
};

} // namespace

TEST(MainThread, RunsAtOnceWhenAlreadyOnMainThread)
{
    int runs = 0;
    platform::runOnMainThread([&] { ++runs; }, true);
    EXPECT_EQ(runs, 1);
}

TEST(MainThread, WorkerWaitsForMainThread)
{
    bool ranOnMain = false;
    testsupport::runOnWorker([&] {
        platform::runOnMainThread([&] { ranOnMain = platform::isMainThread(); }, true);
        EXPECT_TRUE(ranOnMain); // set before the call returned
        EXPECT_FALSE(platform::isMainThread());
    });
    EXPECT_TRUE(ranOnMain);
}

TEST(ObjectMessaging, ReportsReachMainThreadInOrder)
{
    Target target;
    testsupport::runOnWorker([&] {
        for (int i = 1; i <= 3; ++i)
            EXPECT_TRUE(platform::performSelectorOnMainThread(&target, "Report", i, true));
        EXPECT_FALSE(platform::performSelectorOnMainThread(&target, "Missing", 1, true));
        EXPECT_FALSE(platform::performSelectorOnMainThread(nullptr, "Report", 1, true));
    });
    EXPECT_EQ(target.values, QList<int>({1, 2, 3}));
    EXPECT_TRUE(target.onMainThread);
}

TEST(ObjectMessaging, AsksMethodsThenProperties)
{
    Target target;
    EXPECT_FALSE(platform::askBool(&target, "isConversionCancelled"));
    target.cancelled = true;
    EXPECT_TRUE(platform::askBool(&target, "isConversionCancelled"));
    EXPECT_TRUE(platform::askBool(&target, "flagProperty"));
    EXPECT_FALSE(platform::askBool(&target, "noSuchThing"));
    EXPECT_FALSE(platform::askBool(nullptr, "isConversionCancelled"));
}

#include "ObjectMessagingTest.moc"
