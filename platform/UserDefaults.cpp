#include "platform/UserDefaults.h"

#include "platform/PropertyList.h"
#include "platform/SystemInfo.h"

#include <QDir>
#include <QIODevice>
#include <QSettings>

namespace platform {

namespace {

bool readStore(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty())
        return true;
    const auto value = readPropertyList(bytes);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return false;
    map = value->toMap();
    return true;
}

bool writeStore(QIODevice& device, const QSettings::SettingsMap& map)
{
    const QByteArray bytes = writePropertyList(QVariant(map), PropertyListFormat::Xml);
    return !bytes.isEmpty() && device.write(bytes) == bytes.size();
}

QSettings::Format storeFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("plist"), readStore, writeStore);
    return format;
}

bool change(const QString& key, const QVariant* value)
{
    if (key.isEmpty())
        return false;
    // QSettings keeps a value it failed to write in its cache; refuse it first.
    if (value && value->isValid()
        && writePropertyList(*value, PropertyListFormat::Binary).isEmpty())
        return false;
    QDir().mkpath(preferencesFolder());
    QSettings settings(userDefaultsPath(), storeFormat());
    if (value && value->isValid())
        settings.setValue(key, *value);
    else
        settings.remove(key);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

QString userDefaultsPath()
{
    return preferencesFolder() + QLatin1Char('/') + bundleIdentifier() + QStringLiteral(".plist");
}

QVariant userDefault(const QString& key)
{
    if (key.isEmpty())
        return {};
    QSettings settings(userDefaultsPath(), storeFormat());
    return settings.value(key);
}

bool setUserDefault(const QString& key, const QVariant& value)
{
    return change(key, &value);
}

bool removeUserDefault(const QString& key)
{
    return change(key, nullptr);
}

} // namespace platform
