#pragma once
// A segmented control: a row of icon buttons that act as one control, with
// a caption under them as toolbar items have. Each segment is enabled on its
// own; clicking one makes it the selected segment and sends activated().
#include <QIcon>
#include <QList>
#include <QWidget>

class QLabel;
class QToolButton;

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    SegmentedControl(int segmentCount, const QString& caption, QWidget* parent = nullptr);

    int segmentCount() const { return int(m_segments.size()); }
    void setImage(int segment, const QIcon& icon);
    void setToolTip(int segment, const QString& text);
    using QWidget::setEnabled;
    void setEnabled(int segment, bool enabled);
    // The segment's own state, whatever the control's.
    bool isEnabledForSegment(int segment) const;
    // The segment clicked last; -1 before any click.
    int selectedSegment() const { return m_selected; }
    void setCaption(const QString& caption);
    QToolButton* segmentButton(int segment) const;

signals:
    void activated();
    // A segment was enabled or disabled.
    void segmentEnabledChanged();

private:
    QList<QToolButton*> m_segments;
    QLabel* m_caption = nullptr;
    int m_selected = -1;
};
