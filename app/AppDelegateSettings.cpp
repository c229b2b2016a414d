// The settings panel: page setup, plain-text font, image pages, document
// information and security, and the general preference file.
#include "app/AppDelegate.h"

// The controls' own behaviour comes with the settings panel; until then
// they keep what the window and the saved settings give them.
void AppDelegate::initFontPopUpControl() {}
void AppDelegate::ChangePageSizePresetPopup() {}
void AppDelegate::ImageQualitySliderAction() {}
void AppDelegate::changeImageSizeType() {}
void AppDelegate::ChangeDownSampleCheckBox() {}
void AppDelegate::setFontToControls(const QFont&) {}
void AppDelegate::setFontSizeToControl(const QFont&) {}
void AppDelegate::ChangeOpenPasswordState() {}
void AppDelegate::ChangeRestrictPasswordState() {}
void AppDelegate::WriteGeneralPrefOptions() {}
