#pragma once
// A stepper: the up and down arrows of a spin box without its text, holding a
// number of its own beside a text field. setValue never signals; only the
// user's clicks and keys send stepped().
#include <QAbstractSpinBox>

class Stepper : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    void setRange(double minimum, double maximum);
    double increment() const { return m_increment; }
    void setIncrement(double increment) { m_increment = increment; }

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The user stepped the value.
    void stepped();

protected:
    StepEnabled stepEnabled() const override;

private:
    double m_value = 0;
    double m_minimum = 0;
    double m_maximum = 32000;
    double m_increment = 1;
};
