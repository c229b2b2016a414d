#include "app/PreferenceValues.h"

#include <QFontDatabase>
#include <QVariantMap>

#include <cmath>

namespace {

// Point sizes a stored font may have; anything else is damage.
constexpr double kLargestFontSize = 1000;

bool isInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

std::optional<double> component(const QVariantMap& map, const char* key)
{
    const auto value = PreferenceReal(map.value(QLatin1String(key)));
    if (!value || *value < 0 || *value > 1)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<bool> PreferenceBool(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return std::nullopt;
}

std::optional<std::int64_t> PreferenceInteger(const QVariant& value)
{
    if (isInteger(value))
        return value.toLongLong();
    return std::nullopt;
}

std::optional<double> PreferenceReal(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float || isInteger(value)) {
        const double real = value.toDouble();
        if (std::isfinite(real))
            return real;
    }
    return std::nullopt;
}

std::optional<QString> PreferenceString(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

QVariant FontPreference(const QFont& font)
{
    QVariantMap map;
    map.insert(QStringLiteral("Family"), font.family());
    map.insert(QStringLiteral("Style"), font.styleName().isEmpty()
                                            ? QFontDatabase::styleString(font)
                                            : font.styleName());
    map.insert(QStringLiteral("Size"), font.pointSizeF());
    return map;
}

std::optional<QFont> FontFromPreference(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const auto family = PreferenceString(map.value(QStringLiteral("Family")));
    const auto style = PreferenceString(map.value(QStringLiteral("Style")));
    const auto size = PreferenceReal(map.value(QStringLiteral("Size")));
    if (!family || family->isEmpty() || !size || *size <= 0 || *size > kLargestFontSize)
        return std::nullopt;
    QFont font(*family);
    if (style && !style->isEmpty())
        font.setStyleName(*style);
    font.setPointSizeF(*size);
    return font;
}

QVariant ColorPreference(const QColor& color)
{
    const QColor rgb = color.toRgb();
    QVariantMap map;
    map.insert(QStringLiteral("Red"), rgb.redF());
    map.insert(QStringLiteral("Green"), rgb.greenF());
    map.insert(QStringLiteral("Blue"), rgb.blueF());
    map.insert(QStringLiteral("Alpha"), rgb.alphaF());
    return map;
}

std::optional<QColor> ColorFromPreference(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const auto red = component(map, "Red");
    const auto green = component(map, "Green");
    const auto blue = component(map, "Blue");
    const auto alpha = component(map, "Alpha");
    if (!red || !green || !blue || !alpha)
        return std::nullopt;
    return QColor::fromRgbF(float(*red), float(*green), float(*blue), float(*alpha));
}
