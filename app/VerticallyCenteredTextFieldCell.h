#pragma once
// A table cell that draws its text vertically centred in the row.
#include <QStyledItemDelegate>

class VerticallyCenteredTextFieldCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The band of frame a text of textHeight is drawn in: centred, and
    // never outside the frame.
    static QRect textRect(const QRect& frame, int textHeight);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
