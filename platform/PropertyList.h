#pragma once
// Property lists (XML and binary) as Qt values: dictionaries as QVariantMap,
// arrays as QVariantList, strings, integers, reals, booleans, dates
// (QDateTime) and data (QByteArray).
#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform {

// Parses XML or binary property-list data; empty when it is not one.
std::optional<QVariant> readPropertyList(const QByteArray& data);
std::optional<QVariant> readPropertyListFile(const QString& path);

enum class PropertyListFormat { Xml, Binary };

// Serialises a value; empty when it holds a type a property list cannot.
QByteArray writePropertyList(const QVariant& value, PropertyListFormat format);
// Writes atomically: the old file is replaced only by a complete new one.
// mode: the file's permission bits (0600 for files holding passwords).
bool writePropertyListFile(const QVariant& value, const QString& path,
                           PropertyListFormat format = PropertyListFormat::Xml, int mode = 0644);

} // namespace platform
