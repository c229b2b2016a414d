// Editing the list: removing, moving and turning entries, revealing a file,
// and the drags and drops of the table.
#include "app/AppDelegate.h"

#include "app/FileListModel.h"
#include "app/FileTableView.h"
#include "app/SegmentedControl.h"
#include "platform/ui/DesktopServices.h"

#include <QMimeData>
#include <QToolButton>

namespace {

// Angles kept within three quarter turns either way.
constexpr std::int64_t kQuarterTurn = 90;

} // namespace

void AppDelegate::connectEditing()
{
    connect(removeToolbarItem, &QToolButton::clicked, this, &AppDelegate::Remove);
    connect(removeMenuItem, &QAction::triggered, this, &AppDelegate::Remove);
    connect(removeAllToolbarItem, &QToolButton::clicked, this, &AppDelegate::RemoveAll);
    connect(removeAllMenuItem, &QAction::triggered, this, &AppDelegate::RemoveAll);
    connect(selectAllMenuItem, &QAction::triggered, this, &AppDelegate::SelectAll);
    connect(moveSegmentedToolbarItem, &SegmentedControl::activated, this, &AppDelegate::Move);
    connect(rotateToolbarItem, &SegmentedControl::activated, this, &AppDelegate::Rotate);
    connect(moveTopMenuItem, &QAction::triggered, this, &AppDelegate::MoveTop);
    connect(moveUpMenuItem, &QAction::triggered, this, &AppDelegate::MoveUp);
    connect(moveDownMenuItem, &QAction::triggered, this, &AppDelegate::MoveDown);
    connect(moveBottomMenuItem, &QAction::triggered, this, &AppDelegate::MoveBottom);
    connect(rotateLeftMenuItem, &QAction::triggered, this, &AppDelegate::RotateLeft);
    connect(rotateRightMenuItem, &QAction::triggered, this, &AppDelegate::RotateRight);
    imageListTable->writeRows = [this](const QList<int>& rows) { return tableViewWriteRows(rows); };
    imageListTable->validateDrop = [this](bool internal, const QMimeData* data, int row,
                                          FileTableView::DropOperation operation) {
        return tableViewValidateDrop(internal, data, row, operation);
    };
    imageListTable->acceptDrop = [this](bool internal, const QMimeData* data, int row,
                                        FileTableView::DropOperation operation) {
        return tableViewAcceptDrop(internal, data, row, operation);
    };
}

void AppDelegate::selectRows(const QList<int>& rows, int scrollTo)
{
    QItemSelection selection;
    for (int row : rows)
        selection.select(tableModel->index(row, 0), tableModel->index(row, 0));
    imageListTable->selectionModel()->select(selection,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (scrollTo >= 0)
        imageListTable->scrollTo(tableModel->index(scrollTo, 0));
}

void AppDelegate::Remove()
{
    const QList<int> rows = selectedRows();
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        imageArray.removeAt(*row);
    tableModel->reloadData();
    if (!imageArray.isEmpty())
        SelectRowStartingAtRow(rows.isEmpty() ? imageArray.size() : rows.first(), 1);
    ResetUIControls();
}

void AppDelegate::RemoveAll()
{
    imageArray.clear();
    tableModel->reloadData();
    ResetUIControls();
}

void AppDelegate::SelectAll()
{
    imageListTable->selectAll();
    ResetUIControls();
}

void AppDelegate::Move()
{
    switch (moveSegmentedToolbarItem->selectedSegment()) {
    case 0: MoveTop(); break;
    case 1: MoveUp(); break;
    case 2: MoveDown(); break;
    case 3: MoveBottom(); break;
    default: break;
    }
}

void AppDelegate::moveToEnd(bool top)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    dragedImageArray.clear();
    for (int row : rows)
        dragedImageArray << imageArray[row];
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        imageArray.removeAt(*row);
    const int at = top ? 0 : int(imageArray.size());
    for (int index = 0; index < dragedImageArray.size(); ++index)
        imageArray.insert(at + index, dragedImageArray[index]);
    QList<int> moved;
    for (int index = 0; index < dragedImageArray.size(); ++index)
        moved << at + index;
    dragedImageArray.clear();
    tableModel->reloadData();
    selectRows(moved, top ? 0 : moved.last());
    ResetUIControls();
}

void AppDelegate::MoveTop()
{
    moveToEnd(true);
}

void AppDelegate::MoveBottom()
{
    moveToEnd(false);
}

void AppDelegate::moveByOne(bool up)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || (up && rows.first() == 0) || (!up && rows.last() == imageArray.size() - 1))
        return;
    // Each run of adjacent rows trades places with the entry beside it.
    QList<int> moved;
    for (int start = 0; start < rows.size();) {
        int end = start;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        const int first = rows[start];
        const int last = rows[end];
        if (up)
            imageArray.move(first - 1, last);
        else
            imageArray.move(last + 1, first);
        start = end + 1;
    }
    for (int row : rows)
        moved << row + (up ? -1 : 1);
    tableModel->reloadData();
    selectRows(moved, up ? moved.first() : moved.last());
    ResetUIControls();
}

void AppDelegate::MoveUp()
{
    moveByOne(true);
}

void AppDelegate::MoveDown()
{
    moveByOne(false);
}

void AppDelegate::Rotate()
{
    if (rotateToolbarItem->selectedSegment() == 0)
        RotateLeft();
    else if (rotateToolbarItem->selectedSegment() == 1)
        RotateRight();
}

void AppDelegate::turn(bool left)
{
    const QList<int> rows = selectedRows();
    for (int row : rows) {
        QVariantMap& entry = *imageArray[row];
        if (!entry.contains(SourceFileKey::Angle))
            continue;
        const std::int64_t angle = entry.value(SourceFileKey::Angle).toLongLong();
        std::int64_t turned = 0;
        if (left && angle >= -180 && angle <= 449)
            turned = angle - kQuarterTurn;
        else if (!left && angle >= -449 && angle <= 180)
            turned = angle + kQuarterTurn;
        entry.insert(SourceFileKey::Angle, int(turned));
    }
    tableModel->redrawRows(rows, tableModel->columnWithIdentifier(SourceFileKey::Angle));
}

void AppDelegate::RotateLeft()
{
    turn(true);
}

void AppDelegate::RotateRight()
{
    turn(false);
}

void AppDelegate::ImageListViewDoubleClick()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QUrl file = imageArray[rows.first()]->value(SourceFileKey::FilePath).toUrl();
    platform::ui::desktopServices().revealFile(file.toLocalFile());
}

bool AppDelegate::tableViewWriteRows(const QList<int>& rows)
{
    dragedImageArray.clear();
    // The whole list is never dragged.
    if (rows.size() >= imageArray.size())
        return false;
    for (int row : rows)
        dragedImageArray << imageArray[row];
    return true;
}

Qt::DropAction AppDelegate::tableViewValidateDrop(bool internal, const QMimeData* data, int,
                                                  FileTableView::DropOperation operation)
{
    if (internal)
        return operation == FileTableView::DropAbove ? Qt::MoveAction : Qt::IgnoreAction;
    return data && data->hasUrls() ? Qt::CopyAction : Qt::IgnoreAction;
}

bool AppDelegate::tableViewAcceptDrop(bool internal, const QMimeData* data, int row,
                                      FileTableView::DropOperation operation)
{
    if (internal) {
        const bool moved = operation == FileTableView::DropAbove && !dragedImageArray.isEmpty()
                           && moveDraggedEntries(row);
        dragedImageArray.clear();
        return moved;
    }
    if (!data || !data->hasUrls())
        return false;
    QList<QUrl> files;
    for (const QUrl& url : data->urls()) {
        // Only files on this computer; nothing is fetched.
        if (url.isLocalFile())
            files << url;
    }
    AddUrlsIntoImageListViewViaOpenFiles({files, row});
    return true;
}

bool AppDelegate::moveDraggedEntries(int row)
{
    // The dragged entries are found by identity, not by their contents.
    QList<int> rows;
    for (const SourceFileEntry& dragged : dragedImageArray) {
        const auto found = std::find(imageArray.begin(), imageArray.end(), dragged);
        if (found != imageArray.end())
            rows << int(found - imageArray.begin());
    }
    if (rows.isEmpty())
        return false;
    std::sort(rows.begin(), rows.end());
    SourceFileEntries block;
    int above = 0;
    for (int index : rows) {
        block << imageArray[index];
        if (index < row)
            ++above;
    }
    for (auto index = rows.crbegin(); index != rows.crend(); ++index)
        imageArray.removeAt(*index);
    const int at = std::clamp(row - above, 0, int(imageArray.size()));
    QList<int> inserted;
    for (int index = 0; index < block.size(); ++index) {
        imageArray.insert(at + index, block[index]);
        inserted << at + index;
    }
    tableModel->reloadData();
    selectRows(inserted, -1);
    return true;
}
