#pragma once
// The file table: rows dragged within it to reorder the list, files dropped
// on it from outside. What a drag or a drop does is asked of the
// controller; the view itself never moves or removes rows.
#include <QTableView>

#include <functional>

class FileTableView : public QTableView {
    Q_OBJECT
public:
    // Where a drop lands: onto a row, or between rows (above the row).
    enum DropOperation { DropOn = 0, DropAbove = 1 };

    explicit FileTableView(QWidget* parent = nullptr);

    // The private type of row drags: it carries no data, the rows are kept
    // by the controller.
    static constexpr const char* kRowsType = "XYZ";

    // Answers whether the rows may be dragged.
    std::function<bool(const QList<int>& rows)> writeRows;
    // Answers the action a drag would end in, IgnoreAction to refuse it.
    std::function<Qt::DropAction(bool internal, const QMimeData* data, int row, DropOperation operation)> validateDrop;
    std::function<bool(bool internal, const QMimeData* data, int row, DropOperation operation)> acceptDrop;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The row and operation of a drop at pos.
    std::pair<int, DropOperation> dropTarget(const QPoint& pos) const;
    bool consider(QDropEvent* event);
};
