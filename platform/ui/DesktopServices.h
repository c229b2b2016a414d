#pragma once
// What the desktop does for the application: opening a URL in its default
// program, showing a file in the file manager, and the icon it gives a file.
// Behind one small interface so that tests can replace it.
#include <QIcon>
#include <QString>
#include <QUrl>

namespace platform::ui {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Opens the URL with the desktop's program for it; false when none took it.
    virtual bool openUrl(const QUrl& url);
    // Shows the file selected in the file manager (freedesktop FileManager1),
    // else opens its folder.
    virtual bool revealFile(const QString& path);
    // The desktop's icon for the file (main thread only).
    virtual QIcon iconForFile(const QString& path);
};

// The services in use: the desktop's own unless a test set others.
DesktopServices& desktopServices();
// Replaces the services (not owned); null restores the desktop's own.
void setDesktopServicesForTesting(DesktopServices* services);

} // namespace platform::ui
