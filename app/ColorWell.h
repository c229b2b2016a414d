#pragma once
// A colour well: a button showing a colour; clicking it opens the colour
// chooser, whose choices go to the well as the user makes them.
#include <QColor>
#include <QPushButton>

class ColorWell : public QPushButton {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    // Never signals: only the user's choices do.
    void setColor(const QColor& color);

signals:
    // The user chose a colour in the chooser.
    void colorChosen(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showChooser();

    QColor m_color = Qt::black;
};
