#pragma once
// The overlay that covers the file list while documents are added: it
// darkens from clear at its centre toward its edges and shows a spinner
// and a message.
#include <QWidget>

class QLabel;
class QProgressBar;

class ProgressHUDView : public QWidget {
    Q_OBJECT
public:
    // Covers covered (following its size) and starts hidden.
    explicit ProgressHUDView(QWidget* covered);

    void StartAddSpinning();
    void StopAddSpinning();
    void SetMessageString(const QString& message);
    void removeMessageString();

    QProgressBar* spinProgressIndicator = nullptr;
    QLabel* messageTextField = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
