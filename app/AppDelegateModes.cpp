// The three products built on this shell: each names the menus and the
// window and takes away what its product does not offer.
#include "app/AppDelegate.h"

#include "app/FileListModel.h"
#include "app/LocalizedStrings.h"

#include <QHeaderView>
#include <QToolButton>

namespace {

// How much wider the progress sheet's bar and status line are when its
// Cancel button is hidden.
constexpr int kProgressWidening = 92;

int indexOfTabWithIdentifier(const QTabWidget* tabs, const QString& identifier)
{
    for (int index = 0; index < tabs->count(); ++index) {
        if (tabs->widget(index)->property("identifier").toString() == identifier)
            return index;
    }
    return -1;
}

void removeTabWithIdentifier(QTabWidget* tabs, const QString& identifier)
{
    const int index = indexOfTabWithIdentifier(tabs, identifier);
    if (index >= 0)
        tabs->removeTab(index);
}

void widen(QWidget* widget, int by)
{
    widget->setMinimumWidth(widget->sizeHint().width() + by);
}

struct ProductTitles {
    const char* about;
    const char* hide;
    const char* quit;
    const char* help;
    const char* window;
};

void setProductTitles(AppDelegate& controller, const ProductTitles& titles)
{
    controller.aboutMenuItemOutlet->setText(LocalizedString(QLatin1String(titles.about)));
    controller.hideMenuItemOutlet->setText(LocalizedString(QLatin1String(titles.hide)));
    controller.quitMenuItemOutlet->setText(LocalizedString(QLatin1String(titles.quit)));
    controller.helpMenuItemOutlet->setText(LocalizedString(QLatin1String(titles.help)));
    controller.window->setWindowTitle(LocalizedString(QLatin1String(titles.window)));
}

} // namespace

void AppDelegate::SetupScriboraApplicationControls()
{
    setProductTitles(*this, {"ScriboraAboutMenuTitle", "ScriboraHideMenuTitle",
                             "ScriboraQuitMenuTitle", "ScriboraHelpMenuTitle", "ScriboraMenuTitle"});
    toolMenu->menuAction()->setVisible(false);

    QHeaderView* header = imageListTable->horizontalHeader();
    const int path = tableModel->columnWithIdentifier(QStringLiteral("FilePath"));
    const int angle = tableModel->columnWithIdentifier(QStringLiteral("Angle"));
    const int size = tableModel->columnWithIdentifier(QStringLiteral("Size"));
    int width = 0;
    for (int column : {path, angle, size})
        width += column >= 0 ? header->sectionSize(column) : 0;
    tableModel->removeColumnWithIdentifier(QStringLiteral("Angle"));
    tableModel->removeColumnWithIdentifier(QStringLiteral("Size"));
    const int pathNow = tableModel->columnWithIdentifier(QStringLiteral("FilePath"));
    if (pathNow >= 0)
        header->resizeSection(pathNow, width);

    const QList<QAction*> items = mainToolbar->actions();
    for (int index : {9, 8}) {
        if (index < items.size())
            mainToolbar->removeAction(items[index]);
    }
    removeTabWithIdentifier(exportOptionTabViewOutlet, QStringLiteral("2"));
}

void AppDelegate::SetupJunctoraApplicationControls()
{
    setProductTitles(*this, {"JunctoraAboutMenuTitle", "JunctoraHideMenuTitle",
                             "JunctoraQuitMenuTitle", "JunctoraHelpMenuTitle", "JunctoraMenuTitle"});
    const QString merge = LocalizedString(QStringLiteral("MergeTitle"));
    const QString mergeAll = LocalizedString(QStringLiteral("MergeAllTitle"));
    exportToolbarItem->setText(merge);
    exportButton->setText(merge);
    exportMenuItem->setText(merge);
    exportAllToolbarItem->setText(mergeAll);
    exportAllButton->setText(mergeAll);
    exportAllMenuItem->setText(mergeAll);
    const int kind = tableModel->columnWithIdentifier(QStringLiteral("Kind"));
    tableModel->setColumnIdentifier(kind, QStringLiteral("Page Count"), QStringLiteral("Page Count"));
    mergeFilesToSinglePDF->hide();
    progressCancelOutlet->hide();
    widen(conversionProgressIndicator, kProgressWidening);
    widen(conversionFileNumberStaticText, kProgressWidening);
    for (const char* identifier : {"1", "2", "3"})
        removeTabWithIdentifier(exportOptionTabViewOutlet, QLatin1String(identifier));
}

void AppDelegate::SetupApplicationControls()
{
    setProductTitles(*this, {"PictavoAboutMenuTitle", "PictavoHideMenuTitle",
                             "PictavoQuitMenuTitle", "PictavoHelpMenuTitle", "PictavoMenuTitle"});
    const QString plainText = LocalizedString(QStringLiteral("PlainTextOptionsTitle"));
    for (int index = 0; index < exportOptionTabViewOutlet->count(); ++index) {
        if (exportOptionTabViewOutlet->tabText(index) == plainText) {
            exportOptionTabViewOutlet->removeTab(index);
            break;
        }
    }
}
