#pragma once
// The Add panel: Qt's own file dialog, choosing files and folders together
// (several at once), with room for an accessory widget under its controls.
#include <QFileDialog>

class FilesAndFoldersDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit FilesAndFoldersDialog(QWidget* parent, QWidget* accessory);

    // What was chosen, in the order shown.
    QList<QUrl> chosenUrls() const { return m_chosen; }

public slots:
    // A chosen folder is taken, not opened.
    void accept() override;

private:
    QList<QUrl> m_chosen;
};
