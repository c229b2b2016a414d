#include "platform/ui/ApplicationService.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

namespace platform::ui {

namespace {

// A running instance that does not answer within this time is taken as gone.
constexpr int kHandOverTimeoutMs = 5000;

QString objectPathOf(const QString& serviceName)
{
    return QLatin1Char('/') + QString(serviceName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

// The freedesktop interface of a running application.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    ApplicationAdaptor(ApplicationService* service) : QDBusAbstractAdaptor(service), m_service(service) {}

public slots:
    void Activate(const QVariantMap&) { m_service->Activate(); }
    void Open(const QStringList& uris, const QVariantMap&) { m_service->Open(uris); }
    void ActivateAction(const QString&, const QVariantList&, const QVariantMap&) { m_service->Activate(); }

private:
    ApplicationService* m_service;
};

} // namespace

ApplicationService::ApplicationService(OpenFiles openFiles, QObject* owner)
    : QObject(owner), m_openFiles(std::move(openFiles))
{
    new ApplicationAdaptor(this);
}

bool ApplicationService::registerOrHandOver(const QString& serviceName, const QStringList& paths,
                                            OpenFiles openFiles, QObject* owner)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    if (bus.registerService(serviceName)) {
        auto* service = new ApplicationService(std::move(openFiles), owner);
        bus.registerObject(objectPathOf(serviceName), service, QDBusConnection::ExportAdaptors);
        return true;
    }
    QStringList uris;
    for (const QString& path : paths)
        uris << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPathOf(serviceName),
                                                       QStringLiteral("org.freedesktop.Application"),
                                                       uris.isEmpty() ? QStringLiteral("Activate")
                                                                      : QStringLiteral("Open"));
    if (!uris.isEmpty())
        call << uris;
    call << QVariantMap();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kHandOverTimeoutMs);
    // An instance that does not answer leaves this one to run.
    return reply.type() != QDBusMessage::ReplyMessage;
}

void ApplicationService::Activate()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->parentWidget()) {
            window->raise();
            window->activateWindow();
        }
    }
}

void ApplicationService::Open(const QStringList& uris)
{
    QStringList paths;
    for (const QString& uri : uris) {
        const QUrl url(uri);
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    Activate();
    if (m_openFiles && !paths.isEmpty())
        m_openFiles(paths);
}

} // namespace platform::ui

#include "ApplicationService.moc"
