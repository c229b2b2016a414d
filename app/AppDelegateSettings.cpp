// The settings panel's other controls: document security, image pages, and
// the general preference file that keeps every setting between runs.
#include "app/AppDelegate.h"

#include "Common UI Code/KLVUtil.h"
#include "app/ColorWell.h"
#include "app/PreferenceValues.h"
#include "platform/DictionaryKeys.h"

namespace {

const QString kGeneralFile = QStringLiteral("%@-Pref.plist");

} // namespace

void AppDelegate::connectSettingsControls()
{
    connect(openPasswordCheckBox, &QCheckBox::toggled, this, &AppDelegate::ChangeOpenPasswordState);
    connect(restrictPasswordCheckBox, &QCheckBox::toggled, this, &AppDelegate::ChangeRestrictPasswordState);
    connect(downsampleImageCheckBoxOutlet, &QCheckBox::toggled, this, &AppDelegate::ChangeDownSampleCheckBox);
    connect(imageCompressionQuaitySliderOutlet, &QSlider::valueChanged, this,
            &AppDelegate::ImageQualitySliderAction);
    connect(pageSizeOptionRadioOutlet, &QButtonGroup::idClicked, this, &AppDelegate::changeImageSizeType);
}

void AppDelegate::ChangeOpenPasswordState()
{
    const bool on = openPasswordCheckBox->isChecked();
    openPasswordTextField->setEnabled(on);
    openPasswordLabel->setEnabled(on);
}

void AppDelegate::ChangeRestrictPasswordState()
{
    const bool on = restrictPasswordCheckBox->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{restrictPasswordTextField, allowPrintingCheckBox,
                                                             allowCopyingCheckBox, restrictPasswordLabel})
        control->setEnabled(on);
}

double AppDelegate::imageQuality() const
{
    return double(imageCompressionQuaitySliderOutlet->value()) / imageCompressionQuaitySliderOutlet->maximum();
}

void AppDelegate::ImageQualitySliderAction()
{
    imageCompressionQuaityLabelOutlet->setText(
        QString::asprintf("JPEG Compression Quality (%d%%):", int(imageQuality() * 100)));
}

void AppDelegate::changeImageSizeType()
{
    const bool pageSetupSize = pageSizeOptionRadioOutlet->checkedId() == 1;
    centerAlignHorizontallyCheckButton->setEnabled(pageSetupSize);
    centerAlignVerticallyCheckButton->setEnabled(pageSetupSize);
}

void AppDelegate::ChangeDownSampleCheckBox()
{
    const bool on = downsampleImageCheckBoxOutlet->isChecked();
    downsampleImageComboBoxOutlet->setEnabled(on);
    dpiLabel->setEnabled(on);
}

void AppDelegate::EnableDisableImageCompressionType(bool enabled)
{
    imageCompressionQuaityLabelOutlet->setEnabled(enabled);
    imageCompressionQuaitySliderOutlet->setEnabled(enabled);
}

void AppDelegate::WriteGeneralPrefOptions()
{
    using namespace platform::keys;
    QVariantMap preferences;
    preferences.insert(QStringLiteral("MergeFlag"), mergeFilesToSinglePDF->isChecked());
    preferences.insert(QStringLiteral("PresetIndex"), PageSizePopupOutlet->currentIndex());
    preferences.insert(QStringLiteral("PageSetupOrientationOption"), orientationRadioButtonOutlet->checkedId());
    GetTextFontFromControl();
    preferences.insert(QStringLiteral("TextFont"), FontPreference(*textFont));
    const QColor color = textColorWellOutlet->color();
    preferences.insert(QStringLiteral("TextFontColor"), ColorPreference(color.isValid() ? color : Qt::black));
    preferences.insert(QStringLiteral("OverrideRichText"), overrideRichTextCheckBox->isChecked());
    preferences.insert(kCGPDFContextTitle, mTitleEditFieldOutlet->text());
    preferences.insert(kCGPDFContextAuthor, mAuthorEditFieldOutlet->text());
    preferences.insert(kCGPDFContextSubject, mSubjectEditFieldOutlet->text());
    preferences.insert(kCGPDFContextKeywords, mKeywordsEditFieldOutlet->text());
    if (openPasswordCheckBox->isChecked())
        preferences.insert(kCGPDFContextUserPassword, openPasswordTextField->text());
    preferences.insert(kCGPDFContextAllowsPrinting, allowPrintingCheckBox->isChecked());
    preferences.insert(kCGPDFContextAllowsCopying, allowCopyingCheckBox->isChecked());
    if (restrictPasswordCheckBox->isChecked())
        preferences.insert(kCGPDFContextOwnerPassword, restrictPasswordTextField->text());
    SavePreferencesPlist(preferences, kGeneralFile);
}
