// System version, preference files, user defaults, notifications, Finder
// order and size texts.
#include "Common UI Code/KLVUtil.h"

#include "platform/MainThread.h"
#include "platform/PropertyList.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "platform/UserNotification.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// Preference files may hold PDF passwords: owner access only.
constexpr int kPreferencesMode = 0600;

QString preferencesFilePath(const QString& fileNameFormat)
{
    const QString folder = platform::preferencesFolder();
    if (QFileInfo(folder).path().isEmpty() || !QDir().mkpath(folder))
        return {};
    QString name = fileNameFormat;
    const qsizetype slot = name.indexOf(QStringLiteral("%@"));
    if (slot >= 0)
        name.replace(slot, 2, platform::bundleIdentifier());
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    return QDir(folder).filePath(name);
}

QString formatSize(float value, float step)
{
    if (!(value >= step) && !(value <= -step))
        return QString::asprintf("%.0f B", double(value));
    value /= step;
    if (value < step && value > -step)
        return QString::asprintf("%.1f KB", double(value));
    value /= step;
    if (value < step && value > -step)
        return QString::asprintf("%.2f MB", double(value));
    value /= step;
    if (value < step && value > -step)
        return QString::asprintf("%.3f GB", double(value));
    return QString::asprintf("%.4f TB", double(value / step));
}

int sign(int value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// Collators are costly to set up and a list sort calls this many times.
QCollator& collatorFor(const QLocale& locale, Qt::CaseSensitivity sensitivity)
{
    thread_local QCollator insensitive;
    thread_local QCollator sensitive;
    QCollator& collator = sensitivity == Qt::CaseInsensitive ? insensitive : sensitive;
    if (collator.locale() != locale || !collator.numericMode()
        || collator.caseSensitivity() != sensitivity) {
        collator.setLocale(locale);
        collator.setNumericMode(true);
        collator.setCaseSensitivity(sensitivity);
    }
    return collator;
}

} // namespace

int CompareSystemVersion(int major, int minor, int bugFix)
{
    const platform::SystemVersion running = platform::systemVersion();
    if (running.major != major)
        return running.major - major;
    if (running.minor != minor)
        return running.minor - minor;
    return running.bugFix - bugFix;
}

bool LoadPreferencesPlist(std::optional<QVariantMap>& out, const QString& fileNameFormat)
{
    const QString path = preferencesFilePath(fileNameFormat);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const auto value = platform::readPropertyListFile(path);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        out.reset();
        return false;
    }
    out = value->toMap();
    return true;
}

bool SavePreferencesPlist(const QVariantMap& dictionary, const QString& fileNameFormat)
{
    const QString path = preferencesFilePath(fileNameFormat);
    if (path.isEmpty())
        return false;
    if (!QFileInfo::exists(path)) {
        QFile empty(path);
        if (!empty.open(QIODevice::WriteOnly))
            return false;
        empty.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return platform::writePropertyListFile(dictionary, path, platform::PropertyListFormat::Xml,
                                           kPreferencesMode);
}

void RemoveUserDefault(const QString& key)
{
    platform::removeUserDefault(key);
}

void SetUserDefault(const QVariant& value, const QString& key)
{
    platform::setUserDefault(key, value);
}

QVariant GetUserDefault(const QString& key)
{
    return platform::userDefault(key);
}

void PostUserNotification(const QString& title, const QString& informativeText)
{
    if (CompareSystemVersion(10, 8, 0) < 0)
        return;
    QString application = QCoreApplication::applicationName();
    if (application.isEmpty())
        application = platform::bundleIdentifier();
    platform::runOnMainThread(
        [&] { platform::postUserNotification(application, title, informativeText); }, true);
}

int FinderCompare(const QString& string, const QString& other, const QLocale* locale)
{
    QLocale chosen = locale ? *locale : QLocale::system();
    // The C locale's collation knows neither numbers nor case folding.
    if (chosen.language() == QLocale::C)
        chosen = QLocale(QLocale::English, QLocale::UnitedStates);
    // Compatibility normalisation folds full-width forms onto their plain ones.
    const QString left = string.normalized(QString::NormalizationForm_KC);
    const QString right = other.normalized(QString::NormalizationForm_KC);
    if (const int result = collatorFor(chosen, Qt::CaseInsensitive).compare(left, right))
        return sign(result);
    // Forced ordering: strings that differ never compare the same.
    if (const int result = collatorFor(chosen, Qt::CaseSensitive).compare(left, right))
        return sign(result);
    if (const int result = left.compare(right))
        return sign(result);
    return sign(string.compare(other));
}

QString FormatFileSizeBinary(double size)
{
    return formatSize(float(size), 1024.0f);
}

QString FormatFileSizeDecimal(double size)
{
    return formatSize(float(size), 1000.0f);
}
