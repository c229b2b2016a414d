#pragma once
// The application's user defaults: typed values by key, kept in a property
// list named after the bundle identifier in the Preferences folder and
// written through on every change.
#include <QString>
#include <QVariant>

namespace platform {

// Invalid when the key is not set.
QVariant userDefault(const QString& key);
// An invalid value removes the key. False when the store cannot be written
// or the value has no property-list type.
bool setUserDefault(const QString& key, const QVariant& value);
bool removeUserDefault(const QString& key);

// The file the defaults live in.
QString userDefaultsPath();

} // namespace platform
