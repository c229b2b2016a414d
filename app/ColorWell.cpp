#include "app/ColorWell.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// The swatch's inset from the button's edge, in pixels.
constexpr int kSwatchInset = 6;

} // namespace

ColorWell::ColorWell(QWidget* parent) : QPushButton(parent)
{
    setMinimumWidth(56);
    setToolTip(tr("Choose the colour"));
    connect(this, &QPushButton::clicked, this, &ColorWell::showChooser);
}

void ColorWell::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void ColorWell::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(kSwatchInset, kSwatchInset, -kSwatchInset, -kSwatchInset);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Mid));
    painter.setBrush(isEnabled() ? m_color : palette().color(QPalette::Disabled, QPalette::Button));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void ColorWell::showChooser()
{
    auto* chooser = new QColorDialog(m_color, this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setOption(QColorDialog::NoButtons);
    chooser->setWindowTitle(tr("Colours"));
    connect(chooser, &QColorDialog::currentColorChanged, this, [this](const QColor& color) {
        setColor(color);
        emit colorChosen(color);
    });
    chooser->show();
}
