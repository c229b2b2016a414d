// Page setup: the page-size popup with its built-in sizes, the unit popup,
// and the six size fields with their steppers.
#include "app/AppDelegate.h"

#include "app/PageSizes.h"
#include "app/Stepper.h"

#include <cmath>

namespace {

// Values above this are no page sizes: the field takes its stepper's back.
constexpr double kLargestFieldValue = 32000;

// The page-size popup's items that apply nothing: custom and the separators.
constexpr int kCustomItem = 0;
constexpr int kFirstSeparator = 1;
constexpr int kSecondSeparator = 16;

QString twoDecimals(double value)
{
    return QString::asprintf("%.2f", value);
}

} // namespace

std::array<AppDelegate::SizeControl, 6> AppDelegate::sizeControls() const
{
    return {{{widthEditFieldOutlet, widthStepperOutlet},
             {heightEditFieldOutlet, heightStepperOutlet},
             {leftEditFieldOutlet, leftStepperOutlet},
             {topEditFieldOutlet, topStepperOutlet},
             {rightEditFieldOutlet, rightStepperOutlet},
             {bottomEditFieldOutlet, bottomStepperOutlet}}};
}

void AppDelegate::connectPageSetup()
{
    for (const SizeControl& control : sizeControls()) {
        connect(control.field, &ValidatedTextField::textDidChange, this,
                [this, field = control.field] { controlTextDidChange(field); });
        connect(control.stepper, &Stepper::stepped, this,
                [this, stepper = control.stepper] { StepperControlDidChange(stepper); });
    }
    connect(PageSizePopupOutlet, &QComboBox::activated, this, &AppDelegate::ChangePageSizePresetPopup);
    connect(inSizeTypePopupOutlet, &QComboBox::activated, this, &AppDelegate::ChangeSizeInTypePopup);
}

void AppDelegate::controlTextDidChange(const QObject* edited)
{
    for (const SizeControl& control : sizeControls()) {
        if (control.field != edited)
            continue;
        if (!control.field->text().isEmpty()) {
            const double value = control.field->doubleValue();
            if (value > kLargestFieldValue)
                control.field->setDoubleValue(control.stepper->value());
            else
                control.stepper->setValue(value);
        }
        PageSizePopupOutlet->setCurrentIndex(kCustomItem);
        return;
    }
}

void AppDelegate::StepperControlDidChange(const QObject* stepper)
{
    for (const SizeControl& control : sizeControls()) {
        if (control.stepper == stepper)
            control.field->setText(twoDecimals(control.stepper->value()));
    }
    PageSizePopupOutlet->setCurrentIndex(kCustomItem);
}

void AppDelegate::setSizeControl(const SizeControl& control, double value)
{
    control.field->setDoubleValue(value);
    control.stepper->setValue(control.field->doubleValue());
}

void AppDelegate::ChangePageSizePresetPopup()
{
    const int item = PageSizePopupOutlet->currentIndex();
    if (item == kCustomItem || item == kFirstSeparator || item == kSecondSeparator)
        return;
    if (item >= kFirstPresetItem) {
        ChangeAndSetPrefOptions(PageSizePopupOutlet->itemText(item));
        PageSizePopupOutlet->setCurrentIndex(item);
        return;
    }
    const PageSize size = BuiltInPageSize(item);
    inSizeTypePopupOutlet->setCurrentIndex(inSizeTypePopupOutlet->findData(int(PageSizeUnitMillimetre)));
    currentSizeFormatType = PageSizeUnitMillimetre;
    const auto controls = sizeControls();
    const double values[] = {size.width, size.height, size.left, size.top, size.right, size.bottom};
    for (std::size_t index = 0; index < controls.size(); ++index)
        setSizeControl(controls[index], values[index]);
    PageSizePopupOutlet->setCurrentIndex(item);
}

double AppDelegate::GetSizeTypeFactor() const
{
    return PointsPerUnit(currentSizeFormatType);
}

void AppDelegate::ChangeSizeInTypePopup()
{
    const int unit = inSizeTypePopupOutlet->currentData().isValid()
                         ? inSizeTypePopupOutlet->currentData().toInt()
                         : -1;
    if (unit == currentSizeFormatType)
        return;
    const double from = GetSizeTypeFactor();
    if (from < 1 || PointsPerUnit(unit) < 0)
        return;
    const double ratio = from / PointsPerUnit(unit);
    const auto controls = sizeControls();
    // Every value is read before any is written.
    std::array<double, 6> converted{};
    for (std::size_t index = 0; index < controls.size(); ++index)
        converted[index] = std::floor(controls[index].field->doubleValue() * ratio * 100 + 0.5) / 100;
    for (std::size_t index = 0; index < controls.size(); ++index) {
        controls[index].field->setText(twoDecimals(converted[index]));
        controls[index].stepper->setValue(controls[index].field->doubleValue());
    }
    currentSizeFormatType = unit;
}
