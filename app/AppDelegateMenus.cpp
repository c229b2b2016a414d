// Menu validation and the help, support and licence actions.
#include "app/AppDelegate.h"

#include "app/BundleResources.h"
#include "app/LicensePanelController.h"
#include "app/SegmentedControl.h"
#include "platform/ui/DesktopServices.h"

#include <QToolButton>

namespace {

// The maker's support page; the host is set by the maker.
constexpr const char* kSupportPageURL = "https://scribora.example.com/support.html";

} // namespace

bool AppDelegate::validateMenuItem(const QAction* item) const
{
    if (item == addImageMenuItem)
        return addToolbarItem->isEnabled();
    if (item == exportMenuItem || item == exportAllMenuItem)
        return exportButton->isEnabled();
    if (item == selectAllMenuItem || item == removeMenuItem || item == removeAllMenuItem
        || item == rotateLeftMenuItem || item == rotateRightMenuItem)
        return removeToolbarItem->isEnabled();
    if (item == moveUpMenuItem || item == moveTopMenuItem)
        return moveSegmentedToolbarItem->isEnabledForSegment(1);
    if (item == moveDownMenuItem || item == moveBottomMenuItem)
        return moveSegmentedToolbarItem->isEnabledForSegment(2);
    return true;
}

void AppDelegate::validateMenuItems()
{
    for (const QMenu* menu : menubar->findChildren<QMenu*>()) {
        for (QAction* item : menu->actions()) {
            if (item->menu() == nullptr && !item->isSeparator())
                item->setEnabled(validateMenuItem(item));
        }
    }
}

void AppDelegate::ContactSupportAction()
{
    const QUrl support(QString::fromLatin1(kSupportPageURL));
    if (support.isValid())
        platform::ui::desktopServices().openUrl(support);
}

void AppDelegate::UserManualHelpAction()
{
    const QUrl manual = URLForResource(QStringLiteral("Scribora User Manual"), QStringLiteral("pdf"));
    if (manual.isValid())
        platform::ui::desktopServices().openUrl(manual);
}

void AppDelegate::showLicensePanel()
{
    if (LicensePanelController* panel = LicensePanelController::sharedInstance())
        panel->showPanel();
}
