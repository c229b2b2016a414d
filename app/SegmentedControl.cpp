#include "app/SegmentedControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

SegmentedControl::SegmentedControl(int segmentCount, const QString& caption, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    for (int segment = 0; segment < segmentCount; ++segment) {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::TabFocus);
        row->addWidget(button);
        m_segments.append(button);
        connect(button, &QToolButton::clicked, this, [this, segment] {
            m_selected = segment;
            emit activated();
        });
    }
    column->addLayout(row);
    m_caption = new QLabel(caption, this);
    m_caption->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_caption);
}

void SegmentedControl::setImage(int segment, const QIcon& icon)
{
    if (QToolButton* button = segmentButton(segment))
        button->setIcon(icon);
}

void SegmentedControl::setToolTip(int segment, const QString& text)
{
    if (QToolButton* button = segmentButton(segment))
        button->setToolTip(text);
}

void SegmentedControl::setEnabled(int segment, bool enabled)
{
    QToolButton* button = segmentButton(segment);
    if (!button || button->isEnabledTo(this) == enabled)
        return;
    button->setEnabled(enabled);
    emit segmentEnabledChanged();
}

bool SegmentedControl::isEnabledForSegment(int segment) const
{
    const QToolButton* button = segmentButton(segment);
    return button && button->isEnabledTo(this);
}

void SegmentedControl::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

QToolButton* SegmentedControl::segmentButton(int segment) const
{
    return segment >= 0 && segment < m_segments.size() ? m_segments[segment] : nullptr;
}
