#include "app/FilesAndFoldersDialog.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QGridLayout>

FilesAndFoldersDialog::FilesAndFoldersDialog(QWidget* parent, QWidget* accessory) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    for (QAbstractItemView* view : findChildren<QAbstractItemView*>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid && accessory)
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
}

void FilesAndFoldersDialog::accept()
{
    m_chosen.clear();
    for (const QString& path : selectedFiles()) {
        if (QFileInfo::exists(path))
            m_chosen << QUrl::fromLocalFile(path);
    }
    if (m_chosen.isEmpty())
        return;
    QDialog::accept();
}
