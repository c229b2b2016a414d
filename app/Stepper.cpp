#include "app/Stepper.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

Stepper::Stepper(QWidget* parent) : QAbstractSpinBox(parent)
{
    // Only the arrows show; the number lives in the field beside.
    lineEdit()->setReadOnly(true);
    lineEdit()->hide();
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Stepper::setValue(double value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
    update();
}

void Stepper::setRange(double minimum, double maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void Stepper::stepBy(int steps)
{
    const double before = m_value;
    setValue(m_value + steps * m_increment);
    if (m_value != before)
        emit stepped();
}

QSize Stepper::sizeHint() const
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize field = QAbstractSpinBox::sizeHint();
    option.rect = QRect(QPoint(0, 0), field);
    const QRect up = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    const int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
    return QSize(up.width() + 2 * frame, field.height());
}

QAbstractSpinBox::StepEnabled Stepper::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (m_value < m_maximum)
        enabled |= StepUpEnabled;
    if (m_value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}
