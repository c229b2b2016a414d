// The password prompt for protected PDF documents met while adding files:
// asked from the add worker, answered on the main thread.
#include "app/AppDelegate.h"

#include "app/FileListModel.h"
#include "Common UI Code/KLVUtil.h"
#include "app/LocalizedStrings.h"
#include "platform/MainThread.h"
#include "platform/pdf/PdfDocument.h"

namespace {

// The answer while the worker waits for the sheet.
constexpr std::int64_t kAnswerPending = 2147483647;

bool opensForPrinting(platform::pdf::PdfDocument& document, const QString& password)
{
    return document.unlock(password) && document.allowsPrinting();
}

} // namespace

void AppDelegate::connectPasswordSheet()
{
    for (QPushButton* button : {passwordOkayButtonOutlet, passwordSkipButtonOutlet, passwordCancelButtonOutlet})
        connect(button, &QPushButton::clicked, this, [this, button] { PasswordButtonAction(button); });
    connect(passwordDialogOutlet, &QDialog::finished, this, &AppDelegate::passwordSheetDidEnd);
}

void AppDelegate::clearPasswordAnswers()
{
    QMutexLocker locker(&m_passwordLock);
    m_skipCurrentPasswordProtectFile = false;
    m_CancelPasswordProtectFile = false;
    m_applyAllPasswordProtectFile = false;
    m_applyToAllPassword = QString();
}

QString AppDelegate::UnlockPasswordProtectedFile(platform::pdf::PdfDocument& document, const QUrl& url)
{
    const QString name = url.fileName();
    {
        QMutexLocker locker(&m_passwordLock);
        const QString shared = m_applyToAllPassword;
        if (!shared.isNull() && m_applyAllPasswordProtectFile && !m_skipCurrentPasswordProtectFile
            && opensForPrinting(document, shared))
            return shared;
    }
    platform::runOnMainThread(
        [&] {
            passwordAlertMsgOutlet->setText(LocalizedFormat(QStringLiteral("PasswordAlertMsg"), {name}));
            passwordDialogTextFieldOutlet->clear();
        },
        true);
    QString result;
    for (;;) {
        {
            QMutexLocker locker(&m_passwordLock);
            responseCode = kAnswerPending;
        }
        platform::runOnMainThread([this] { beginPasswordSheet(); }, false);
        QMutexLocker locker(&m_passwordLock);
        while (responseCode == kAnswerPending)
            m_passwordAnswered.wait(&m_passwordLock);
        if (m_skipCurrentPasswordProtectFile || m_CancelPasswordProtectFile) {
            result = QString();
            break;
        }
        const QString typed = m_typedPassword;
        locker.unlock();
        if (opensForPrinting(document, typed)) {
            result = typed;
            break;
        }
    }
    QMutexLocker locker(&m_passwordLock);
    if (m_applyAllPasswordProtectFile) {
        if (!m_skipCurrentPasswordProtectFile && !m_CancelPasswordProtectFile)
            m_applyToAllPassword = result;
    } else {
        m_skipCurrentPasswordProtectFile = false;
    }
    return result;
}

void AppDelegate::beginPasswordSheet()
{
    m_passwordButtonPressed = false;
    passwordDialogOutlet->open();
    passwordDialogTextFieldOutlet->setFocus();
}

void AppDelegate::PasswordButtonAction(QObject* sender)
{
    {
        QMutexLocker locker(&m_passwordLock);
        if (sender == passwordSkipButtonOutlet)
            m_skipCurrentPasswordProtectFile = true;
        else if (sender == passwordCancelButtonOutlet)
            m_CancelPasswordProtectFile = true;
        m_applyAllPasswordProtectFile = passwordApplyAllCheckButtonOutlet->isChecked();
    }
    m_passwordButtonPressed = true;
    EndPasswordSheet();
}

void AppDelegate::EndPasswordSheet()
{
    passwordDialogOutlet->done(QDialog::Accepted);
    passwordDialogOutlet->hide();
}

void AppDelegate::passwordSheetDidEnd()
{
    QMutexLocker locker(&m_passwordLock);
    // Escape or the window's close button skip the file.
    if (!m_passwordButtonPressed) {
        m_skipCurrentPasswordProtectFile = true;
        m_applyAllPasswordProtectFile = passwordApplyAllCheckButtonOutlet->isChecked();
    }
    m_typedPassword = passwordDialogTextFieldOutlet->text();
    responseCode = 1;
    m_passwordAnswered.wakeAll();
}

void AppDelegate::cancelPasswordPrompt()
{
    QMutexLocker locker(&m_passwordLock);
    m_CancelPasswordProtectFile = true;
    responseCode = 1;
    m_passwordAnswered.wakeAll();
}

bool AppDelegate::resetPDFFileDataForURL(const QUrl& url)
{
    bool matched = false;
    for (int row = 0; row < imageArray.size(); ++row) {
        SourceFileEntry entry = imageArray[row];
        if (!entry || !isEqualToURL(entry->value(SourceFileKey::FilePath).toUrl(), url))
            continue;
        if (const auto document = platform::pdf::PdfDocument::open(url)) {
            QString password;
            platform::runOnMainThread(
                [&] {
                    if (openPasswordCheckBox->isChecked())
                        password = openPasswordTextField->text();
                    else if (restrictPasswordCheckBox->isChecked())
                        password = restrictPasswordTextField->text();
                },
                true);
            if (!password.isNull()) {
                document->unlock(password);
                entry->insert(SourceFileKey::Password, password);
            }
            entry->insert(SourceFileKey::PageCount, document->pageCount());
            entry->insert(SourceFileKey::Angle, 0);
        }
        platform::runOnMainThread([&] { reloadTableListOnMainThread({row}); }, true);
        matched = true;
    }
    return matched;
}

void AppDelegate::reloadTableListOnMainThread(const QList<int>& rows)
{
    tableModel->redrawRows(rows);
}
