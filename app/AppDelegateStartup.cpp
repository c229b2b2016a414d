// Start-up: loading the main window, preparing it, restoring the saved
// settings; the end of the program.
#include "app/AppDelegate.h"

#include "Common UI Code/KLVUtil.h"
#include "app/FileKinds.h"
#include "app/FileListModel.h"
#include "app/KLVValidatedViewToolbar.h"
#include "app/MacAppStoreRating.h"
#include "app/PreferenceValues.h"
#include "platform/DictionaryKeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QThread>

#include <algorithm>

namespace {

const QString kPresetFile = QStringLiteral("%@-PresetPref.plist");
const QString kGeneralFile = QStringLiteral("%@-Pref.plist");

// The page-size item applied when the saved one is missing or out of range.
constexpr int kDefaultPageSizeItem = 3;
constexpr double kDefaultFontSize = 12;

QVariantMap loadPreferences(const QString& fileNameFormat)
{
    std::optional<QVariantMap> loaded;
    LoadPreferencesPlist(loaded, fileNameFormat);
    return loaded.value_or(QVariantMap());
}

// Presets by their saved place; presets without one come after the others.
// An entry that is no dictionary is damage, not a preset.
QStringList presetNamesInOrder(const QVariantMap& presets)
{
    QStringList names;
    for (auto entry = presets.cbegin(); entry != presets.cend(); ++entry) {
        if (entry.value().typeId() == QMetaType::QVariantMap)
            names << entry.key();
    }
    auto indexOf = [&](const QString& name) {
        return PreferenceInteger(presets.value(name).toMap().value(QStringLiteral("PresetIndex")));
    };
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const auto first = indexOf(a);
        const auto second = indexOf(b);
        if (first && second)
            return *first < *second;
        return first.has_value() && !second.has_value();
    });
    return names;
}

void setChecked(QAbstractButton* button, const QVariant& value)
{
    if (const auto state = PreferenceBool(value))
        button->setChecked(*state);
}

void setText(QLineEdit* field, const QVariant& value)
{
    if (const auto text = PreferenceString(value))
        field->setText(*text);
}

void selectItemWithTag(QComboBox* popup, std::int64_t tag)
{
    const int index = popup->findData(QVariant::fromValue(int(tag)));
    if (index >= 0)
        popup->setCurrentIndex(index);
}

void checkButtonWithTag(QButtonGroup* group, const QVariant& value)
{
    const auto tag = PreferenceInteger(value);
    if (!tag || *tag < INT_MIN || *tag > INT_MAX)
        return;
    if (QAbstractButton* button = group->button(int(*tag)))
        button->setChecked(true);
}

// A password key present ticks its box and fills its field; absent, the box
// is cleared.
void restorePassword(QCheckBox* box, QLineEdit* field, const QVariant& value)
{
    const auto password = PreferenceString(value);
    box->setChecked(password.has_value());
    if (password)
        field->setText(*password);
}

} // namespace

AppDelegate::AppDelegate(StartUp startUp)
{
    loadMainNib();
    if (startUp == StartUp::AwakeFromNib)
        awakeFromNib();
}

AppDelegate::~AppDelegate()
{
    // Adding stops at the next file; a waiting password prompt is cancelled.
    m_stopAdding = true;
    cancelPasswordPrompt();
    while (!m_addWorkers.isEmpty()) {
        for (QThread* worker : m_addWorkers)
            worker->wait(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // A running export is stopped, its requests to this thread served.
    if (m_exportWorker) {
        setIsConversionCancelled(true);
        while (!m_exportWorker->isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        m_exportWorker->wait();
        delete m_exportWorker;
    }
    // The table's model asks this object for rows: the window goes first.
    m_window.reset();
}

void AppDelegate::awakeFromNib()
{
    SetupScriboraApplicationControls();
    setTemplateImages();
    textFont.reset();
    textStringAttributes.reset();
    initFontPopUpControl();
    InitialiseUIControls();
    InitRatingObject();
    imageArray.clear();
    connect(imageListTable, &QAbstractItemView::doubleClicked, this,
            &AppDelegate::ImageListViewDoubleClick);
    initSortDescriptor();
    restorePresets();
    restoreGeneralPreferences();
    setIsConversionCancelled(false);
}

void AppDelegate::restorePresets()
{
    const QVariantMap presets = loadPreferences(kPresetFile);
    for (const QString& name : presetNamesInOrder(presets))
        PageSizePopupOutlet->addItem(name);
}

void AppDelegate::restoreGeneralPreferences()
{
    using namespace platform::keys;
    const QVariantMap preferences = loadPreferences(kGeneralFile);
    auto value = [&](const QString& key) { return preferences.value(key); };

    setChecked(mergeFilesToSinglePDF, value(QStringLiteral("MergeFlag")));
    int item = kDefaultPageSizeItem;
    if (const auto stored = PreferenceInteger(value(QStringLiteral("PresetIndex")))) {
        const auto index = std::int32_t(*stored);
        if (index > 1 && index < PageSizePopupOutlet->count())
            item = index;
    }
    checkButtonWithTag(orientationRadioButtonOutlet, value(QStringLiteral("PageSetupOrientationOption")));
    PageSizePopupOutlet->setCurrentIndex(item);
    ChangePageSizePresetPopup();

    if (const auto model = PreferenceInteger(value(QStringLiteral("ColorSpaceModel")));
        model && *model >= 1 && *model <= 3)
        selectItemWithTag(colorModelPopUpOutlet, *model);
    if (const auto quality = PreferenceReal(value(QStringLiteral("JPEGQuality")));
        quality && *quality > 0 && *quality <= 1) {
        imageCompressionQuaitySliderOutlet->setValue(
            int(std::lround(*quality * imageCompressionQuaitySliderOutlet->maximum())));
        ImageQualitySliderAction();
    }
    setChecked(centerAlignHorizontallyCheckButton, value(QStringLiteral("PageSetupCenterAlignHorizontally")));
    setChecked(centerAlignVerticallyCheckButton, value(QStringLiteral("PageSetupCenterAlignVertically")));
    if (const auto option = PreferenceInteger(value(QStringLiteral("ImagePageSizeOption")));
        option && (*option == 0 || *option == 1)) {
        pageSizeOptionRadioOutlet->button(int(*option))->setChecked(true);
        changeImageSizeType();
    }
    setChecked(downsampleImageCheckBoxOutlet, value(QStringLiteral("DownSampleState")));
    if (const auto resolution = PreferenceInteger(value(QStringLiteral("DownSampleValue"))))
        downsampleImageComboBoxOutlet->setEditText(QString::number(*resolution));
    ChangeDownSampleCheckBox();

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(kDefaultFontSize);
    const QFont restored = FontFromPreference(value(QStringLiteral("TextFont"))).value_or(font);
    setFontToControls(restored);
    setFontSizeToControl(restored);
    textColorWellOutlet->setColor(
        ColorFromPreference(value(QStringLiteral("TextFontColor"))).value_or(QColor(Qt::black)));
    setChecked(overrideRichTextCheckBox, value(QStringLiteral("OverrideRichText")));

    setText(mTitleEditFieldOutlet, value(kCGPDFContextTitle));
    setText(mAuthorEditFieldOutlet, value(kCGPDFContextAuthor));
    setText(mSubjectEditFieldOutlet, value(kCGPDFContextSubject));
    setText(mKeywordsEditFieldOutlet, value(kCGPDFContextKeywords));
    restorePassword(openPasswordCheckBox, openPasswordTextField, value(kCGPDFContextUserPassword));
    ChangeOpenPasswordState();
    setChecked(allowPrintingCheckBox, value(kCGPDFContextAllowsPrinting));
    setChecked(allowCopyingCheckBox, value(kCGPDFContextAllowsCopying));
    restorePassword(restrictPasswordCheckBox, restrictPasswordTextField, value(kCGPDFContextOwnerPassword));
    ChangeRestrictPasswordState();
}

void AppDelegate::applicationDidFinishLaunching()
{
    BuildDocumentKindsByUTI();
    BuildDocumentKindsByExtension();
    BuildImageKindsByUTI();
    BuildImageKindsByExtension();
    if (rateApplicationObject)
        rateApplicationObject->applicationLaunched();
}

void AppDelegate::windowWillClose()
{
    if (!m_preferencesWritten) {
        m_preferencesWritten = true;
        WriteGeneralPrefOptions();
    }
    QCoreApplication::quit();
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == exportProgressSheet)
        return progressSheetEvent(event);
    if (watched == window && event->type() == QEvent::Close) {
        // The window stays while an export runs: its sheet offers Cancel.
        if (m_exportRunning) {
            event->ignore();
            return true;
        }
        windowWillClose();
    } else if (watched == window && event->type() == QEvent::WindowActivate) {
        for (QAction* item : mainToolbar->actions()) {
            if (auto* validated = qobject_cast<KLVValidatedViewToolbarItem*>(item))
                validated->validate();
        }
    }
    if (event->type() == QEvent::EnabledChange && watched != window)
        validateMenuItems();
    return QObject::eventFilter(watched, event);
}

void AppDelegate::initSortDescriptor()
{
    sortedBywidthFlag = true;
    for (const QString& key : {QStringLiteral("FilePath"), QStringLiteral("Kind"),
                               QStringLiteral("Angle"), QStringLiteral("Size")}) {
        const int column = tableModel->columnWithIdentifier(key);
        if (column >= 0)
            tableModel->setSortKey(column, key);
    }
}
