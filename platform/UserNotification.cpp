#include "platform/UserNotification.h"

#include <QAtomicInteger>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QVariantMap>

namespace platform {

namespace {

// An answer normally comes at once; a stuck service must not freeze the caller.
constexpr int kReplyTimeoutMs = 3000;

QMutex& posterMutex()
{
    static QMutex mutex;
    return mutex;
}

UserNotificationPoster& injectedPoster()
{
    static UserNotificationPoster poster;
    return poster;
}

bool notifyOn(QDBusConnection connection, const QString& applicationName, const QString& title,
              const QString& body)
{
    if (!connection.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("sound-name"), QStringLiteral("message-new-instant")}};
    call << applicationName << uint(0) << QString() << title << body << QStringList() << hints
         << int(-1);
    const QDBusMessage reply = connection.call(call, QDBus::Block, kReplyTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool postUserNotification(const QString& applicationName, const QString& title,
                          const QString& body, const QString& busAddress)
{
    UserNotificationPoster poster;
    {
        QMutexLocker lock(&posterMutex());
        poster = injectedPoster();
    }
    if (poster)
        return poster(applicationName, title, body);
    if (busAddress.isEmpty())
        return notifyOn(QDBusConnection::sessionBus(), applicationName, title, body);

    static QAtomicInteger<int> serial;
    const QString name = QStringLiteral("notification-%1").arg(serial.fetchAndAddRelaxed(1));
    bool posted = notifyOn(QDBusConnection::connectToBus(busAddress, name), applicationName,
                           title, body);
    QDBusConnection::disconnectFromBus(name);
    return posted;
}

void setUserNotificationPosterForTesting(UserNotificationPoster poster)
{
    QMutexLocker lock(&posterMutex());
    injectedPoster() = std::move(poster);
}

} // namespace platform
