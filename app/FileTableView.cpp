#include "app/FileTableView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>

FileTableView::FileTableView(QWidget* parent) : QTableView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void FileTableView::startDrag(Qt::DropActions)
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty() || !writeRows || !writeRows(rows))
        return;
    auto* data = new QMimeData;
    data->setData(QLatin1String(kRowsType), QByteArray());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

std::pair<int, FileTableView::DropOperation> FileTableView::dropTarget(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return {model() ? model()->rowCount() : 0, DropAbove};
    const QRect row = visualRect(index);
    // The outer quarters of a row are the gaps between rows.
    const int gap = std::max(2, row.height() / 4);
    if (pos.y() < row.top() + gap)
        return {index.row(), DropAbove};
    if (pos.y() > row.bottom() - gap)
        return {index.row() + 1, DropAbove};
    return {index.row(), DropOn};
}

bool FileTableView::consider(QDropEvent* event)
{
    const bool internal = event->source() == this;
    const auto [row, operation] = dropTarget(event->position().toPoint());
    const Qt::DropAction action =
        validateDrop ? validateDrop(internal, event->mimeData(), row, operation) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void FileTableView::dragEnterEvent(QDragEnterEvent* event)
{
    consider(event);
}

void FileTableView::dragMoveEvent(QDragMoveEvent* event)
{
    consider(event);
}

void FileTableView::dropEvent(QDropEvent* event)
{
    if (!consider(event))
        return;
    const bool internal = event->source() == this;
    const auto [row, operation] = dropTarget(event->position().toPoint());
    const bool accepted = acceptDrop && acceptDrop(internal, event->mimeData(), row, operation);
    // The controller has moved the rows itself: the drag's source must not
    // remove them again.
    event->setDropAction(accepted ? Qt::CopyAction : Qt::IgnoreAction);
    accepted ? event->accept() : event->ignore();
}
