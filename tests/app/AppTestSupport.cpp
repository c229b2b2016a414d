#include "tests/app/AppTestSupport.h"

#include "Common UI Code/KLVUtil.h"
#include "platform/SystemInfo.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>

namespace apptest {

std::map<QString, TestFactory>& registry()
{
    static std::map<QString, TestFactory> tests;
    return tests;
}

Registration::Registration(const char* name, TestFactory factory)
{
    registry()[QString::fromLatin1(name)] = std::move(factory);
}

void clearPreferences()
{
    QDir(platform::preferencesFolder()).removeRecursively();
}

bool writePreferences(const QString& fileNameFormat, const QVariantMap& contents)
{
    return SavePreferencesPlist(contents, fileNameFormat);
}

QVariantMap readPreferences(const QString& fileNameFormat)
{
    std::optional<QVariantMap> contents;
    LoadPreferencesPlist(contents, fileNameFormat);
    return contents.value_or(QVariantMap());
}

void saveScreenshot(QWidget* widget, const QString& name)
{
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    QWidget* top = widget->window();
    top->grab().save(QStringLiteral(SCREENSHOT_DIR "/%1.png").arg(name));
}

namespace {

// Parent of the pending watchers, owned by the application.
QObject& modalWatchers()
{
    static QPointer<QObject> watchers;
    if (!watchers)
        watchers = new QObject(qApp);
    return *watchers;
}

} // namespace

void forgetModalWatchers()
{
    qDeleteAll(modalWatchers().children());
}

void whenModalShown(std::function<void(QWidget*)> action, const char* className,
                    std::function<bool(QWidget*)> accept)
{
    // How often the dialog is looked for.
    constexpr int kPollMs = 10;
    auto* poll = new QTimer(&modalWatchers());
    poll->setInterval(kPollMs);
    const QByteArray wanted(className);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, wanted, action = std::move(action), accept] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !modal->inherits(wanted.constData()) || (accept && !accept(modal)))
            return;
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start();
}

} // namespace apptest
