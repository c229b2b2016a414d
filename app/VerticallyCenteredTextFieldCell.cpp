#include "app/VerticallyCenteredTextFieldCell.h"

QRect VerticallyCenteredTextFieldCell::textRect(const QRect& frame, int textHeight)
{
    const QRect band(frame.x(), frame.y() + (frame.height() - textHeight) / 2, frame.width(), textHeight);
    return band.intersected(frame);
}

void VerticallyCenteredTextFieldCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    QStyleOptionViewItem centred = option;
    const int textHeight = sizeHint(option, index).height();
    centred.rect = textRect(option.rect, std::min(textHeight, option.rect.height()));
    centred.displayAlignment = (option.displayAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
    // The row's background and selection fill the whole row.
    QStyledItemDelegate::paint(painter, option, QModelIndex());
    QStyledItemDelegate::paint(painter, centred, index);
}
