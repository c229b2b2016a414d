// Taking documents in: the Add panel, files handed over by the desktop or
// dropped on the list, and the worker that walks folders, classifies each
// file and inserts its entry.
#include "app/AppDelegate.h"

#include "app/FileKinds.h"
#include "app/FileListModel.h"
#include "app/FilesAndFoldersDialog.h"
#include "app/LocalizedStrings.h"
#include "app/ProgressHUDView.h"
#include "platform/MainThread.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfPage.h"
#include "platform/ui/DesktopServices.h"
#include "platform/uti/TypeIdentifier.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QThread>
#include <QToolButton>

namespace {

// Folder walks stop this deep: deeper trees are loops or damage.
constexpr int kDeepestFolder = 64;
// Icon size of a list entry, in points.
constexpr int kIconSize = 42;

bool isPackage(const QString& path)
{
    return platform::uti::conformsTo(platform::uti::typeOfFile(path), QStringLiteral("com.apple.package"));
}

} // namespace

void AppDelegate::connectIntake()
{
    mMaintainDirAccessoryView = new QWidget(window);
    auto* row = new QHBoxLayout(mMaintainDirAccessoryView);
    row->setContentsMargins(0, 0, 0, 0);
    mAddRecursiveCheckBoxButton = new QCheckBox(LocalizedString(QStringLiteral("AddRecursiveTitle")),
                                                mMaintainDirAccessoryView);
    mAddRecursiveCheckBoxButton->setChecked(true);
    row->addWidget(mAddRecursiveCheckBoxButton);
    mMaintainDirAccessoryView->hide();
    connect(addToolbarItem, &QToolButton::clicked, this, &AppDelegate::AddFilesOrFolder);
    connect(addImageMenuItem, &QAction::triggered, this, &AppDelegate::AddFilesOrFolder);
}

void AppDelegate::AddFilesOrFolder()
{
    auto* panel = new FilesAndFoldersDialog(window, mMaintainDirAccessoryView);
    panel->setWindowTitle(LocalizedString(QStringLiteral("OpenDialogTitle")));
    panel->setLabelText(QFileDialog::Accept, LocalizedString(QStringLiteral("OpenDialogButton")));
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        // The accessory outlives the panel.
        mMaintainDirAccessoryView->setParent(window);
        mMaintainDirAccessoryView->hide();
        if (result == QDialog::Accepted)
            AddUrlsIntoImageListView(panel->chosenUrls());
        panel->deleteLater();
    });
    panel->open();
}

void AppDelegate::applicationOpenFiles(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths) {
        if (!path.isEmpty())
            urls << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    }
    AddUrlsIntoImageListViewViaOpenFiles({urls, imageArray.size()});
}

void AppDelegate::AddUrlsIntoImageListView(const QList<QUrl>& urls)
{
    // The box and the list are read when the request is made.
    const bool recursive = mAddRecursiveCheckBoxButton->isChecked();
    const std::int64_t start = imageArray.size();
    startAddWorker([this, urls, recursive, start] { AddUrlsIntoImageListView(urls, recursive, start); });
}

void AppDelegate::AddUrlsIntoImageListViewViaOpenFiles(const AddFilesRequest& request)
{
    if (request.urls.isEmpty())
        return;
    startAddWorker([this, request] { AddUrlsIntoImageListView(request.urls, true, request.index); });
}

void AppDelegate::startAddWorker(const std::function<void()>& run)
{
    QThread* worker = QThread::create(run);
    m_addWorkers << worker;
    connect(worker, &QThread::finished, this, [this, worker] {
        m_addWorkers.removeOne(worker);
        worker->deleteLater();
    });
    worker->start();
}

void AppDelegate::AddUrlsIntoImageListView(const QList<QUrl>& urls, bool recursive, std::int64_t from)
{
    QMutexLocker run(&m_addRunLock);
    platform::runOnMainThread([this] { StartAddSpinning(); }, true);
    std::int64_t row = from;
    AddUrlsObjIntoArray(urls, recursive, &row);
    platform::runOnMainThread(
        [&] {
            StopAddSpinning();
            if (row > from) {
                tableModel->reloadData();
                SelectRowStartingAtRow(std::min<std::int64_t>(from, imageArray.size()), row - from);
                ResetUIControls();
            }
        },
        true);
}

void AppDelegate::AddUrlsObjIntoArray(const QList<QUrl>& urls, bool recursive, std::int64_t* row)
{
    clearPasswordAnswers();
    for (const QUrl& url : urls) {
        if (m_stopAdding)
            break;
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isDir() && !isPackage(path))
            walkFolder(path, recursive, row, 0);
        else
            InsertObjectIntoArray(url, row);
        if (m_CancelPasswordProtectFile)
            break;
    }
    clearPasswordAnswers();
}

void AppDelegate::walkFolder(const QString& folder, bool recursive, std::int64_t* row, int depth)
{
    const QFileInfoList items = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name | QDir::DirsLast);
    for (const QFileInfo& item : items) {
        if (m_stopAdding || m_CancelPasswordProtectFile)
            return;
        // Hidden names are skipped; links to folders are not followed.
        if (item.fileName().startsWith(QLatin1Char('.')) || (item.isSymLink() && item.isDir()))
            continue;
        if (!item.isDir() || isPackage(item.filePath()))
            InsertObjectIntoArray(QUrl::fromLocalFile(item.filePath()), row);
        else if (recursive && depth < kDeepestFolder)
            walkFolder(item.filePath(), recursive, row, depth + 1);
    }
}

void AppDelegate::InsertObjectIntoArray(const QUrl& url, std::int64_t* row)
{
    platform::runOnMainThread(
        [this] {
            imageListTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
            sortedBywidthFlag = true;
        },
        true);
    std::int32_t category = 0;
    const QString kind = GetKindOfNonEmptyFile(url, &category);
    if (kind.isNull())
        return;
    SourceFileEntry entry = MakeSourceFileEntry(url, category);
    entry->insert(SourceFileKey::Kind, kind);
    if (category == FileKindPDF && !describePDF(url, *entry))
        return;
    if (category == FileKindImage)
        return; // Image documents are not converted by this program.
    platform::runOnMainThread(
        [&] {
            const QIcon icon = platform::ui::desktopServices().iconForFile(url.toLocalFile());
            if (!icon.isNull())
                entry->insert(SourceFileKey::Icon, QIcon(icon.pixmap(kIconSize)));
            // Rows removed since the request was made: the entry goes last.
            const std::int64_t at = std::clamp<std::int64_t>(*row, 0, imageArray.size());
            imageArray.insert(at, entry);
            *row = at + 1;
            tableModel->noteNumberOfRowsChanged();
        },
        true);
}

bool AppDelegate::describePDF(const QUrl& url, QVariantMap& entry)
{
    const std::shared_ptr<platform::pdf::PdfDocument> document = platform::pdf::PdfDocument::open(url);
    if (!document)
        return false;
    QString password = QLatin1String("");
    if (document->isEncrypted() && !(document->unlock(password) && document->allowsPrinting())) {
        if (m_skipCurrentPasswordProtectFile && m_applyAllPasswordProtectFile)
            return false;
        password = UnlockPasswordProtectedFile(*document, url);
        if (password.isNull())
            return false;
    }
    const platform::pdf::PdfPage first = document->page(0);
    if (!first.isNull()) {
        entry.insert(SourceFileKey::Width, float(first.cropBox().width()));
        entry.insert(SourceFileKey::Height, float(first.cropBox().height()));
    }
    entry.insert(SourceFileKey::Password, password);
    entry.insert(SourceFileKey::PageCount, document->pageCount());
    entry.insert(SourceFileKey::Angle, 0);
    return true;
}

void AppDelegate::SelectRowStartingAtRow(std::int64_t start, std::int64_t count)
{
    if (start == -1)
        start = 0;
    const int rows = tableModel->rowCount();
    QItemSelectionModel* selection = imageListTable->selectionModel();
    if (start < rows) {
        const int last = int(std::min<std::int64_t>(start + count, rows)) - 1;
        selection->select(QItemSelection(tableModel->index(int(start), 0), tableModel->index(last, 0)),
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        imageListTable->scrollTo(tableModel->index(int(start), 0));
    } else if (rows > 0) {
        selection->select(tableModel->index(rows - 1, 0),
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        imageListTable->scrollTo(tableModel->index(rows - 1, 0));
    }
}

void AppDelegate::StartAddSpinning()
{
    addSpinView->StartAddSpinning();
}

void AppDelegate::StopAddSpinning()
{
    addSpinView->StopAddSpinning();
}
