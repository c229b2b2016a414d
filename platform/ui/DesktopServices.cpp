#include "platform/ui/DesktopServices.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>

namespace platform::ui {

namespace {

DesktopServices* replacement = nullptr;

// A file manager that does not answer within this time is taken as absent.
constexpr int kFileManagerTimeoutMs = 3000;

bool showItemsInFileManager(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.interface()->isServiceRegistered(service).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/FileManager1"), service,
        QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool DesktopServices::openUrl(const QUrl& url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool DesktopServices::revealFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (showItemsInFileManager(path))
        return true;
    return openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

QIcon DesktopServices::iconForFile(const QString& path)
{
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(path));
}

DesktopServices& desktopServices()
{
    static DesktopServices desktop;
    return replacement ? *replacement : desktop;
}

void setDesktopServicesForTesting(DesktopServices* services)
{
    replacement = services;
}

} // namespace platform::ui
