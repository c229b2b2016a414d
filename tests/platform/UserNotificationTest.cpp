#include "platform/UserNotification.h"
#include "tests/support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

// Stands in for the desktop's notification service on a private bus.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString application, title, body;
        QVariantMap hints;
        int timeout = 0;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& application, uint, const QString&, const QString& title,
                const QString& body, const QStringList&, const QVariantMap& hints, int timeout)
    {
        calls.append({application, title, body, hints, timeout});
        return uint(calls.size());
    }
};

} // namespace

TEST(UserNotification, NoBusPostsNothing)
{
    EXPECT_FALSE(platform::postUserNotification("app", "Title", "Body",
                                                "unix:path=/nonexistent/klv-bus-socket"));
}

TEST(UserNotification, DeliversToTheNotificationService)
{
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted());
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());

    bool posted = false;
    {
        QDBusConnection service = QDBusConnection::connectToBus(address, "fake-notifications");
        ASSERT_TRUE(service.isConnected());
        FakeNotificationService fake;
        // Without a service on the bus nothing is shown.
        testsupport::runOnWorker([&] {
            posted = platform::postUserNotification("Scribora", "Early", "", address);
        });
        EXPECT_FALSE(posted);

        ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &fake,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
        // The service answers on this thread's event loop: post from a worker.
        testsupport::runOnWorker([&] {
            posted = platform::postUserNotification("Scribora", "Export finished",
                                                    "2 files written", address);
        });
        EXPECT_TRUE(posted);
        ASSERT_EQ(fake.calls.size(), 1);
        EXPECT_EQ(fake.calls[0].application, "Scribora");
        EXPECT_EQ(fake.calls[0].title, "Export finished");
        EXPECT_EQ(fake.calls[0].body, "2 files written");
        EXPECT_TRUE(fake.calls[0].hints.contains("sound-name"));
        EXPECT_EQ(fake.calls[0].timeout, -1);
    }
    QDBusConnection::disconnectFromBus("fake-notifications");
    bus.kill();
    bus.waitForFinished();
}

TEST(UserNotification, InjectedPosterReplacesDelivery)
{
    QStringList seen;
    platform::setUserNotificationPosterForTesting(
        [&](const QString& application, const QString& title, const QString& body) {
            seen << application << title << body;
            return true;
        });
    EXPECT_TRUE(platform::postUserNotification("app", "t", "b", "unix:path=/nonexistent"));
    platform::setUserNotificationPosterForTesting({});
    EXPECT_EQ(seen, (QStringList{"app", "t", "b"}));
    EXPECT_FALSE(platform::postUserNotification("app", "t", "b", "unix:path=/nonexistent"));
}

#include "UserNotificationTest.moc"
