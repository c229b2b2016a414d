#pragma once
// Desktop notifications (freedesktop notification service on the session bus).
#include <QString>

#include <functional>

namespace platform {

// Shows a notification with the desktop's default message sound. False when
// none was shown: no session bus, no notification service or no answer
// within a few seconds. busAddress selects another bus than the session's.
bool postUserNotification(const QString& applicationName, const QString& title,
                          const QString& body, const QString& busAddress = {});

// Replaces the delivery (tests); an empty function restores the real one.
using UserNotificationPoster =
    std::function<bool(const QString& applicationName, const QString& title, const QString& body)>;
void setUserNotificationPosterForTesting(UserNotificationPoster poster);

} // namespace platform
