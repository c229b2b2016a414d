// Enabling the list and export controls from the state of the list, and the
// list accessors of the export.
#include "app/AppDelegate.h"

#include "app/SegmentedControl.h"

#include <QToolButton>

namespace {

void setEnabled(const std::initializer_list<QWidget*>& controls, const std::initializer_list<QAction*>& items,
                bool enabled)
{
    for (QWidget* control : controls)
        control->setEnabled(enabled);
    for (QAction* item : items)
        item->setEnabled(enabled);
}

} // namespace

void AppDelegate::SetEnabledDisabledExportItems(bool converting, unsigned char status)
{
    bool enabled = !imageArray.isEmpty();
    if (converting) {
        conversionFileNumberStaticText->clear();
        conversionProgressIndicator->setValue(0);
        enabled = status == 5;
    }
    // One export at a time, whatever asks for the next.
    if (m_exportRunning)
        enabled = false;
    setEnabled({exportButton, exportAllButton, exportToolbarItem, exportAllToolbarItem},
               {exportToolbarItem1, exportAllToolbarItem1}, enabled);
}

void AppDelegate::SetEnabledDisabledRemoveOrRemoveAllItems(bool disable)
{
    const bool enabled = !disable && !imageArray.isEmpty();
    setEnabled({removeToolbarItem, removeAllToolbarItem},
               {removeToolbarItem1, removeAllToolbarItem1, rotateToolbarItem1}, enabled);
}

void AppDelegate::SetEnabledDisabledMoveUpDownItems(bool disable)
{
    bool up = false;
    bool down = false;
    const QModelIndexList selected = imageListTable->selectionModel()
                                         ? imageListTable->selectionModel()->selectedRows()
                                         : QModelIndexList();
    if (!disable && imageArray.size() >= 2 && !selected.isEmpty()) {
        up = true;
        down = true;
        for (const QModelIndex& row : selected) {
            up = up && row.row() != 0;
            down = down && row.row() != imageArray.size() - 1;
        }
    }
    moveSegmentedToolbarItem->setEnabled(0, up);
    moveSegmentedToolbarItem->setEnabled(1, up);
    moveSegmentedToolbarItem->setEnabled(2, down);
    moveSegmentedToolbarItem->setEnabled(3, down);
    moveSegmentedToolbarItem1->setEnabled(up || down);
}

void AppDelegate::InitialiseUIControls()
{
    ResetUIControls();
}

void AppDelegate::ResetUIControls()
{
    SetEnabledDisabledExportItems(false, 0);
    SetEnabledDisabledMoveUpDownItems(false);
    SetEnabledDisabledRemoveOrRemoveAllItems(false);
}

QList<int> AppDelegate::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel* selection = imageListTable->selectionModel()) {
        for (const QModelIndex& index : selection->selectedRows()) {
            if (index.row() < imageArray.size())
                rows << index.row();
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<SourceFileEntries> AppDelegate::GetSelectedItems() const
{
    SourceFileEntries entries;
    for (int row : selectedRows())
        entries << imageArray[row];
    return entries.isEmpty() ? std::nullopt : std::optional(entries);
}

std::optional<SourceFileEntries> AppDelegate::GetAllItems() const
{
    return imageArray.isEmpty() ? std::nullopt : std::optional(imageArray);
}

QUrl AppDelegate::GetPathAtIndexImageList(std::int64_t row) const
{
    if (row < 0 || row >= imageArray.size() || !imageArray[row])
        return {};
    return imageArray[row]->value(SourceFileKey::FilePath).toUrl();
}
