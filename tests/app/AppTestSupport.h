#pragma once
// Helpers of the application's tests: registering test classes, the
// preference folder, screenshots, and driving dialogs that a call waits on.
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace apptest {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

// Test classes by name, filled by APP_TEST.
std::map<QString, TestFactory>& registry();

struct Registration {
    Registration(const char* name, TestFactory factory);
};

// Empties the user's Preferences folder (a temporary one in tests).
void clearPreferences();
// Writes a preference file as the program does (fileNameFormat "%@-Pref.plist").
bool writePreferences(const QString& fileNameFormat, const QVariantMap& contents);
QVariantMap readPreferences(const QString& fileNameFormat);

// Saves a picture of the widget's window as screenshots/name.png.
void saveScreenshot(QWidget* widget, const QString& name);

// Runs action with the application's modal dialog as soon as one is on
// screen: polled from the event loop, so it works from inside the call that
// opens the dialog and waits for it, and never blocks that call.
// className and accept narrow which dialog is waited for.
void whenModalShown(std::function<void(QWidget*)> action, const char* className = "QWidget",
                    std::function<bool(QWidget*)> accept = {});
// Drops the watchers no dialog answered, so that a failed test's actions,
// which refer to its locals, never run in the next one.
void forgetModalWatchers();

} // namespace apptest

#define APP_TEST(Class) \
    static const apptest::Registration registration##Class(#Class, [] { return std::make_unique<Class>(); })
