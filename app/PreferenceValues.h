#pragma once
// Values read from a preference file, which may be damaged or written by
// another version: each reader answers only for a value of the right type,
// and fonts and colours are kept in a form of our own that reads back
// exactly (family, style and size; red, green, blue and alpha).
#include <QColor>
#include <QFont>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

std::optional<bool> PreferenceBool(const QVariant& value);
std::optional<std::int64_t> PreferenceInteger(const QVariant& value);
std::optional<double> PreferenceReal(const QVariant& value);
std::optional<QString> PreferenceString(const QVariant& value);

// A dictionary {"Family", "Style", "Size"}; size in points.
QVariant FontPreference(const QFont& font);
std::optional<QFont> FontFromPreference(const QVariant& value);

// A dictionary {"Red", "Green", "Blue", "Alpha"}, each 0 to 1.
QVariant ColorPreference(const QColor& color);
std::optional<QColor> ColorFromPreference(const QVariant& value);
