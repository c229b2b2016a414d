// Page-size presets: applying one, and the dialog that saves and removes
// them in the preset file.
#include "app/AppDelegate.h"

#include "Common UI Code/KLVUtil.h"
#include "app/CustomAlert.h"
#include "app/LocalizedStrings.h"
#include "app/PreferenceValues.h"
#include "app/Stepper.h"

#include <QEventLoop>

namespace {

const QString kPresetFile = QStringLiteral("%@-PresetPref.plist");
const QString kPresetIndex = QStringLiteral("PresetIndex");
const QString kDefaultPresetName = QStringLiteral("Page Size Preset");
// The fields' keys in a preset, in the order of the size controls.
const QStringList kFieldKeys = {QStringLiteral("Width"), QStringLiteral("Height"),
                                QStringLiteral("Left"),  QStringLiteral("Top"),
                                QStringLiteral("Right"), QStringLiteral("Bottom")};
constexpr int kLastBuiltInItem = 16;

std::optional<QVariantMap> loadPresets()
{
    std::optional<QVariantMap> presets;
    LoadPreferencesPlist(presets, kPresetFile);
    return presets;
}

std::optional<std::int64_t> presetIndex(const QVariant& preset)
{
    return PreferenceInteger(preset.toMap().value(kPresetIndex));
}

// An application-modal alert with a looked-up title and no message.
std::int64_t presetAlert(const QString& title, const QString& defaultButton,
                         const QString& alternateButton = {})
{
    CustomAlert alert(title, {}, LocalizedString(defaultButton),
                      alternateButton.isNull() ? QString() : LocalizedString(alternateButton), {});
    alert.showModalAlert();
    return alert.responseCode();
}

bool popupHasTitle(const QComboBox* popup, const QString& title, int from, int to)
{
    for (int item = from; item <= to && item < popup->count(); ++item) {
        if (popup->itemText(item) == title)
            return true;
    }
    return false;
}

} // namespace

void AppDelegate::connectPresetDialog()
{
    connect(addPresetButtonOutlet, &QPushButton::clicked, this, &AppDelegate::AddPresetAction);
    connect(savePresetButtonOutlet, &QPushButton::clicked, this, &AppDelegate::SavePresetAction);
    connect(cancelPresetButtonOutlet, &QPushButton::clicked, this, &AppDelegate::CancelPresetButtonAction);
    connect(removePresetButtonOutlet, &QPushButton::clicked, this, &AppDelegate::RemovePresetAction);
    AddPresetDialogOutlet->setWindowModality(Qt::ApplicationModal);
}

void AppDelegate::ChangeAndSetPrefOptions(const QString& name)
{
    const std::optional<QVariantMap> presets = loadPresets();
    if (!presets)
        return;
    const QVariantMap preset = presets->value(name).toMap();
    const auto unitTitle = PreferenceString(preset.value(QStringLiteral("InputType")));
    inSizeTypePopupOutlet->setCurrentIndex(unitTitle ? inSizeTypePopupOutlet->findText(*unitTitle) : -1);
    const QVariant unit = inSizeTypePopupOutlet->currentData();
    currentSizeFormatType = unit.isValid() ? unit.toInt() : -1;
    const auto controls = sizeControls();
    for (std::size_t index = 0; index < controls.size(); ++index) {
        if (const auto text = PreferenceString(preset.value(kFieldKeys[int(index)]))) {
            controls[index].field->setText(*text);
            controls[index].stepper->setValue(controls[index].field->doubleValue());
        }
    }
}

QString AppDelegate::freePresetName() const
{
    const int last = PageSizePopupOutlet->count() - 1;
    if (!popupHasTitle(PageSizePopupOutlet, kDefaultPresetName, 1, last))
        return kDefaultPresetName;
    for (std::int64_t counter = 1;; ++counter) {
        const QString name = kDefaultPresetName + QString::asprintf(" %lld", static_cast<long long>(counter));
        if (!popupHasTitle(PageSizePopupOutlet, name, 1, last))
            return name;
    }
}

void AppDelegate::AddPresetAction()
{
    PresetNameComboboxOutlet->clear();
    for (int item = kFirstPresetItem; item < PageSizePopupOutlet->count(); ++item)
        PresetNameComboboxOutlet->addItem(PageSizePopupOutlet->itemText(item));
    const int selected = PageSizePopupOutlet->currentIndex();
    if (selected >= kFirstPresetItem)
        PresetNameComboboxOutlet->setCurrentIndex(selected - kFirstPresetItem);
    else
        PresetNameComboboxOutlet->setEditText(freePresetName());
    QEventLoop loop;
    connect(AddPresetDialogOutlet, &QDialog::finished, &loop, &QEventLoop::quit);
    AddPresetDialogOutlet->open();
    loop.exec();
    AddPresetDialogOutlet->hide();
}

void AppDelegate::stopPresetDialog()
{
    AddPresetDialogOutlet->done(QDialog::Accepted);
}

void AppDelegate::CancelPresetButtonAction()
{
    stopPresetDialog();
}

void AppDelegate::SavePresetAction()
{
    const QString name = PresetNameComboboxOutlet->currentText();
    if (name.isEmpty()) {
        presetAlert(LocalizedString(QStringLiteral("EmptyPresetAlertTitle")), QStringLiteral("OkButtonString"));
        return;
    }
    if (popupHasTitle(PageSizePopupOutlet, name, 0, kLastBuiltInItem)) {
        presetAlert(LocalizedFormat(QStringLiteral("DefaultPresetAlertTitle"), {name}),
                    QStringLiteral("OkButtonString"));
        return;
    }
    QVariantMap presets = loadPresets().value_or(QVariantMap());
    const bool replacing = presets.contains(name);
    std::int64_t index = presets.size();
    if (replacing) {
        if (presetAlert(LocalizedFormat(QStringLiteral("PresetExistAlertMsg"), {name}),
                        QStringLiteral("ReplaceButtonTitle"), QStringLiteral("NoTitle"))
            != CustomAlert::kDefaultAnswer)
            return;
        index = presetIndex(presets.value(name)).value_or(presets.size() - 1);
    }
    QVariantMap preset;
    GetPreferenceValue(&preset);
    preset.insert(kPresetIndex, qlonglong(index));
    presets.insert(name, preset);
    if (SavePreferencesPlist(presets, kPresetFile)) {
        if (!replacing)
            PageSizePopupOutlet->addItem(name);
        PageSizePopupOutlet->setCurrentIndex(int(index) + kFirstPresetItem);
    }
    stopPresetDialog();
}

void AppDelegate::RemovePresetAction()
{
    const QString name = PresetNameComboboxOutlet->currentText();
    if (name.isEmpty())
        return;
    QVariantMap presets = loadPresets().value_or(QVariantMap());
    if (!presets.contains(name)) {
        presetAlert(LocalizedFormat(QStringLiteral("PresetNotExistAlertMsg"), {name}),
                    QStringLiteral("OkButtonString"));
        return;
    }
    if (presetAlert(LocalizedFormat(QStringLiteral("RemoveExistPresetAlertMsg"), {name}),
                    QStringLiteral("RemoveButtonTitle"), QStringLiteral("NoTitle"))
        != CustomAlert::kDefaultAnswer)
        return;
    if (const auto removed = presetIndex(presets.value(name)); removed && presets.size() >= 2) {
        for (auto entry = presets.begin(); entry != presets.end(); ++entry) {
            const auto index = presetIndex(entry.value());
            if (index && *index > *removed) {
                QVariantMap lowered = entry.value().toMap();
                lowered.insert(kPresetIndex, qlonglong(*index - 1));
                entry.value() = lowered;
            }
        }
    }
    presets.remove(name);
    SavePreferencesPlist(presets, kPresetFile);

    PresetNameComboboxOutlet->removeItem(PresetNameComboboxOutlet->findText(name));
    const int item = PageSizePopupOutlet->findText(name);
    if (item >= kFirstPresetItem) {
        const bool wasSelected = PageSizePopupOutlet->currentIndex() == item;
        PageSizePopupOutlet->removeItem(item);
        // The values stay; they no longer belong to a named size.
        if (wasSelected)
            PageSizePopupOutlet->setCurrentIndex(0);
    }
}

void AppDelegate::GetPreferenceValue(QVariantMap* preset) const
{
    if (!preset)
        return;
    preset->insert(QStringLiteral("InputType"), inSizeTypePopupOutlet->currentText());
    const auto controls = sizeControls();
    for (std::size_t index = 0; index < controls.size(); ++index)
        preset->insert(kFieldKeys[int(index)], controls[index].field->text());
}
