// The export: validating the settings, choosing the destination, running
// the engine on a worker thread under the progress sheet, and reporting.
#include "app/AppDelegate.h"

#include "Common UI Code/KLVUtil.h"
#include "app/CustomAlert.h"
#include "app/ExportReport.h"
#include "app/LocalizedStrings.h"
#include "engine/AllToPDFConverter.h"
#include "platform/DictionaryKeys.h"
#include "platform/MainThread.h"
#include "platform/ui/DesktopServices.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QThread>
#include <QToolButton>

namespace {

// Tabs of the settings as they stand in this product's window.
constexpr int kPageSetupTab = 0;
constexpr int kPlainTextTab = 1;
constexpr int kSecurityTab = 3;
// The number of steps beyond the inputs: the start and the end.
constexpr int kExtraProgressSteps = 2;
// The owner password's key length: 128-bit encryption.
constexpr int kEncryptionKeyLength = 128;

const QString kProperValue = QStringLiteral("Please enter proper value");

} // namespace

void AppDelegate::connectExport()
{
    auto exportSelected = [this] { Export(static_cast<QObject*>(nullptr)); };
    connect(exportButton, &QPushButton::clicked, this, exportSelected);
    connect(exportToolbarItem, &QToolButton::clicked, this, exportSelected);
    connect(exportMenuItem, &QAction::triggered, this, exportSelected);
    connect(exportAllButton, &QPushButton::clicked, this, &AppDelegate::ExportAll);
    connect(exportAllToolbarItem, &QToolButton::clicked, this, &AppDelegate::ExportAll);
    connect(exportAllMenuItem, &QAction::triggered, this, &AppDelegate::ExportAll);
    connect(progressCancelOutlet, &QPushButton::clicked, this, &AppDelegate::cancelConversion);
    exportProgressSheet->installEventFilter(this);
}

void AppDelegate::Export(QObject*)
{
    if (m_exportRunning || !ISExportOptionValid())
        return;
    sourceURLs = GetSelectedItems();
    if (sourceURLs)
        Export();
}

void AppDelegate::ExportAll()
{
    if (m_exportRunning || !ISExportOptionValid())
        return;
    sourceURLs = GetAllItems();
    if (sourceURLs)
        Export();
}

bool AppDelegate::refuseSetting(const QString& title, const QString& message, int tab, QWidget* focus,
                                const SizeControl* discardable)
{
    const std::int64_t answer =
        RunCustomAlertSheet(title, message, QStringLiteral("OK"),
                            discardable ? QStringLiteral("Discard Value") : QString(), {}, window);
    if (discardable && answer == CustomAlert::kAlternateAnswer) {
        discardable->field->clear();
        discardable->stepper->setValue(0);
    }
    exportOptionTabViewOutlet->setCurrentIndex(tab);
    window->raise();
    window->activateWindow();
    focus->setFocus();
    return false;
}

bool AppDelegate::ISExportOptionValid()
{
    const auto controls = sizeControls();
    auto value = [&](int index) { return controls[index].field->floatValue(); };
    auto text = [&](int index) { return controls[index].field->text(); };
    float width = value(0);
    float height = value(1);
    const float left = value(2), top = value(3), right = value(4), bottom = value(5);
    auto refuse = [&](const char* title, int field, bool discardable) {
        return refuseSetting(FormatString(QString::fromUtf8(title), {text(field)}), kProperValue, kPageSetupTab,
                             controls[field].field, discardable ? &controls[field] : nullptr);
    };
    if (width <= 0)
        return refuse("The provided width value \"%@\" is not proper.", 0, true);
    if (height <= 0)
        return refuse("The provided height value \"%@\" is not proper.", 1, true);
    // Margins are measured on the page as it is turned.
    if (orientationRadioButtonOutlet->checkedId() == 1)
        std::swap(width, height);
    if (left < 0 || left > width)
        return refuse("The provided left margin value \"%@\" is not proper.", 2, true);
    if (top < 0 || top > height)
        return refuse("The provided top margin value \"%@\" is not proper.", 3, true);
    if (right < 0 || right > width)
        return refuse("The provided right margin value \"%@\" is not proper.", 4, true);
    if (bottom < 0 || bottom > height)
        return refuse("The provided bottom margin value \"%@\" is not proper.", 5, true);
    if (double(left) + double(right) > width)
        return refuseSetting(FormatString(QStringLiteral("The provided total of left(\"%@\") and right(\"%@\") "
                                                         "margin values are exceeding provided page width."),
                                          {text(2), text(4)}),
                             kProperValue, kPageSetupTab, controls[2].field, nullptr);
    if (double(top) + double(bottom) > height)
        return refuseSetting(FormatString(QStringLiteral("The provided total of top(\"%@\") and bottom(\"%@\") "
                                                         "margin values are exceeding provided page height."),
                                          {text(3), text(5)}),
                             kProperValue, kPageSetupTab, controls[3].field, nullptr);
    if (openPasswordCheckBox->isChecked() && openPasswordTextField->text().isEmpty())
        return refuseSetting(QStringLiteral("Invalid Security Option"),
                             QStringLiteral("Please either deselect the 'Require a password to open PDF document' "
                                            "option or enter the Open Password."),
                             kSecurityTab, openPasswordTextField, nullptr);
    if (restrictPasswordCheckBox->isChecked() && restrictPasswordTextField->text().isEmpty())
        return refuseSetting(QStringLiteral("Invalid Security Option"),
                             QStringLiteral("Please either deselect the 'Restrict printing and copying content of "
                                            "the PDF document.' option or enter the Password."),
                             kSecurityTab, restrictPasswordTextField, nullptr);
    if (fontSizeFromControl() <= 0)
        return refuseSetting(QStringLiteral("Invalid Plain Text Option"),
                             QStringLiteral("Text Font Size value should be greater than 0. Please enter proper "
                                            "Font Size"),
                             kPlainTextTab, fontSizeComboBoxOutlet, nullptr);
    return true;
}

bool AppDelegate::exportsOnePDF() const
{
    return mergeFilesToSinglePDF->isChecked() || (sourceURLs && sourceURLs->size() == 1);
}

void AppDelegate::Export()
{
    setIsConversionCancelled(false);
    if (!sourceURLs)
        return;
    auto* panel = new QFileDialog(window);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowTitle(LocalizedString(QStringLiteral("Export")));
    panel->setLabelText(QFileDialog::Accept, LocalizedString(QStringLiteral("Export")));
    const QUrl first = sourceURLs->first()->value(SourceFileKey::FilePath).toUrl();
    if (first.isLocalFile())
        panel->setDirectory(QFileInfo(first.toLocalFile()).absolutePath());
    if (exportsOnePDF()) {
        panel->setAcceptMode(QFileDialog::AcceptSave);
        panel->setFileMode(QFileDialog::AnyFile);
        panel->setNameFilter(tr("PDF documents (*.pdf)"));
        panel->setDefaultSuffix(QStringLiteral("pdf"));
        if (first.isValid())
            panel->selectFile(QFileInfo(first.fileName()).completeBaseName());
    } else {
        panel->setAcceptMode(QFileDialog::AcceptOpen);
        panel->setFileMode(QFileDialog::Directory);
        panel->setOption(QFileDialog::ShowDirsOnly);
    }
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        if (result == QDialog::Accepted && !panel->selectedUrls().isEmpty()) {
            destinationURL = panel->selectedUrls().first();
            startExportWorker();
        } else {
            sourceURLs.reset();
        }
    });
    panel->open();
}

void AppDelegate::startExportWorker()
{
    m_exportRunning = true;
    SetEnabledDisabledExportItems(false, 0);
    m_exportWorker = QThread::create([this] { ExportToPDF(); });
    connect(m_exportWorker, &QThread::finished, this, [this] {
        m_exportWorker->deleteLater();
        m_exportWorker = nullptr;
        m_exportRunning = false;
        SetEnabledDisabledExportItems(false, 0);
    });
    m_exportWorker->start();
}

void AppDelegate::ExportToPDF()
{
    setIsConversionCancelled(false);
    AllToPDFConversionOptions record;
    QStringList before;
    platform::runOnMainThread(
        [&] {
            conversionFileNumberStaticText->clear();
            conversionProgressIndicator->setValue(0);
            numOfFilesForConversion = 0;
            fileProcessingIndex = 0;
            GetConversionSettings(&record);
            numOfFilesForConversion = record.sources.size();
            if (!record.singlePDF)
                before = PDFNamesInFolder(record.destination.toLocalFile());
            BeginProgressSheet();
            ChangeProgressStatus(1);
        },
        true);
    const bool converted = ConvertDocumentsToPDF(&record);
    platform::runOnMainThread(
        [&] {
            ChangeProgressStatus(5);
            EndProgressSheet();
            sourceURLs.reset();
        },
        true);
    if (!isConversionCancelled()) {
        const QStringList missing = unexportedSources(record, converted, before);
        platform::runOnMainThread(
            [&] {
                if (!missing.isEmpty())
                    AlertOnFailedConversion(missing);
                else if (converted)
                    AlertOnSuccessConversion(record.singlePDF != 0);
            },
            true);
    }
    platform::runOnMainThread([&] { destinationURL.clear(); }, true);
    setIsConversionCancelled(false);
}

QStringList AppDelegate::unexportedSources(const AllToPDFConversionOptions& record, bool converted,
                                           const QStringList& before) const
{
    if (record.singlePDF) {
        if (!converted)
            return SourcesWithoutOutput(record.sources, {});
        return SourcesWithoutOutput(record.sources,
                                    InputNamesInMergedPDF(record.destination, record.documentAttributes));
    }
    QStringList produced = PDFNamesInFolder(record.destination.toLocalFile());
    for (const QString& name : before)
        produced.removeOne(name);
    return SourcesWithoutOutput(record.sources, produced);
}

bool AppDelegate::GetConversionSettings(AllToPDFConversionOptions* record)
{
    using namespace platform::keys;
    record->singlePDF = exportsOnePDF() ? 1 : 0;
    record->sources = sourceURLs.value_or(SourceFileEntries());
    record->destination = destinationURL;
    record->progress = {this, "ChangeProgressStatus"};
    const double factor = std::max(1.0, GetSizeTypeFactor());
    const auto controls = sizeControls();
    double* sizes[] = {&record->pageWidth, &record->pageHeight, &record->leftMargin,
                       &record->topMargin, &record->rightMargin, &record->bottomMargin};
    for (std::size_t index = 0; index < controls.size(); ++index)
        *sizes[index] = double(controls[index].field->floatValue()) * factor;
    record->orientation = std::uint64_t(std::max(0, orientationRadioButtonOutlet->checkedId()));
    record->outlinePerInput = 1;

    QVariantMap attributes;
    const std::pair<QLatin1StringView, QLineEdit*> information[] = {
        {kCGPDFContextTitle, mTitleEditFieldOutlet}, {kCGPDFContextAuthor, mAuthorEditFieldOutlet},
        {kCGPDFContextSubject, mSubjectEditFieldOutlet}, {kCGPDFContextKeywords, mKeywordsEditFieldOutlet}};
    for (const auto& [key, field] : information) {
        if (!field->text().isEmpty())
            attributes.insert(key, field->text());
    }
    const bool open = openPasswordCheckBox->isChecked();
    const bool restrict = restrictPasswordCheckBox->isChecked();
    if (open || restrict) {
        const QString openPassword = open ? openPasswordTextField->text() : QString();
        const QString restrictPassword = restrict ? restrictPasswordTextField->text() : QString();
        const QString owner = restrictPassword.isEmpty() ? openPassword : restrictPassword;
        if (!owner.isEmpty()) {
            attributes.insert(kCGPDFContextAllowsPrinting, restrict ? allowPrintingCheckBox->isChecked() : true);
            attributes.insert(kCGPDFContextAllowsCopying, restrict ? allowCopyingCheckBox->isChecked() : true);
            attributes.insert(kCGPDFContextOwnerPassword, owner);
            attributes.insert(kCGPDFContextEncryptionKeyLength, kEncryptionKeyLength);
            if (open)
                attributes.insert(kCGPDFContextUserPassword, openPassword);
        }
    }
    record->documentAttributes = attributes;
    GetTextAttributesFromControl();
    record->textAttributes = textStringAttributes.value_or(QVariantMap());
    record->overrideRichText = overrideRichTextCheckBox->isChecked() ? 1 : 0;
    return true;
}

void AppDelegate::BeginProgressSheet()
{
    conversionProgressIndicator->setRange(0, int(numOfFilesForConversion) + kExtraProgressSteps);
    m_progressSheetClosing = false;
    exportProgressSheet->setWindowTitle(LocalizedString(QStringLiteral("Export")));
    exportProgressSheet->open();
}

void AppDelegate::EndProgressSheet()
{
    m_progressSheetClosing = true;
    exportProgressSheet->done(QDialog::Accepted);
    exportProgressSheet->hide();
}

void AppDelegate::ChangeProgressStatus(const QVariant& status)
{
    const std::int64_t code = status.toLongLong();
    auto step = [this] { conversionProgressIndicator->setValue(conversionProgressIndicator->value() + 1); };
    auto showIndex = [this] {
        const QString format = numOfFilesForConversion < 2 ? QStringLiteral("ExportingOne")
                                                           : QStringLiteral("ExportingMany");
        conversionFileNumberStaticText->setText(
            LocalizedFormat(format, {qlonglong(fileProcessingIndex), qlonglong(numOfFilesForConversion)}));
    };
    switch (code) {
    case 1:
        showIndex();
        step();
        break;
    case 3:
        ++fileProcessingIndex;
        showIndex();
        step();
        break;
    case 6:
        conversionFileNumberStaticText->setText(LocalizedString(QStringLiteral("Saving")));
        m_barBeforeSaving = {conversionProgressIndicator->maximum(), conversionProgressIndicator->value()};
        conversionProgressIndicator->setRange(0, 0);
        conversionProgressIndicator->repaint();
        break;
    case 7:
        conversionProgressIndicator->setRange(0, m_barBeforeSaving.first);
        conversionProgressIndicator->setValue(m_barBeforeSaving.second);
        conversionProgressIndicator->repaint();
        break;
    case 0:
    case 2:
    case 4:
    case 5:
        step();
        break;
    default:
        break;
    }
}

void AppDelegate::cancelConversion()
{
    setIsConversionCancelled(true);
}

bool AppDelegate::progressSheetEvent(QEvent* event)
{
    // Escape and the close button cancel; the sheet stays until the engine
    // has returned.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelConversion();
        return true;
    }
    if (event->type() == QEvent::Close && !m_progressSheetClosing) {
        cancelConversion();
        event->ignore();
        return true;
    }
    return false;
}

void AppDelegate::AlertOnSuccessConversion(bool singlePDF)
{
    PostUserNotification(LocalizedString(QStringLiteral("ConversionCompleteTitle")),
                         LocalizedString(QStringLiteral("SuccessfullConvertMsg")));
    const std::int64_t answer = RunCustomAlertSheet(
        LocalizedString(QStringLiteral("SuccessfullConvertMsg")), QLatin1String(""),
        LocalizedString(QStringLiteral("OkButtonString")),
        LocalizedString(singlePDF ? QStringLiteral("OpenPDFFileTitle") : QStringLiteral("OpenDestinationTitle")),
        {}, window);
    if (answer == CustomAlert::kAlternateAnswer)
        platform::ui::desktopServices().openUrl(destinationURL);
}

void AppDelegate::AlertOnFailedConversion(const QStringList& sources)
{
    RunCustomAlertSheet(LocalizedString(QStringLiteral("ExportFailedTitle")),
                        LocalizedFormat(QStringLiteral("ExportFailedMsg"), {sources.join(QLatin1Char('\n'))}),
                        LocalizedString(QStringLiteral("OkButtonString")), {}, {}, window);
}

void AppDelegate::SetEnableDisableControlWhileConversion(const QVariant& status)
{
    const auto code = static_cast<unsigned char>(status.toInt());
    const bool ended = code == 5;
    SetEnabledDisabledExportItems(true, code);
    SetEnabledDisabledRemoveOrRemoveAllItems(!ended);
    SetEnabledDisabledMoveUpDownItems(!ended);
    addToolbarItem->setEnabled(ended);
}
