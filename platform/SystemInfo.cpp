#include "platform/SystemInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QMutex& stateMutex()
{
    static QMutex mutex;
    return mutex;
}

std::optional<SystemVersion>& injectedVersion()
{
    static std::optional<SystemVersion> version;
    return version;
}

QString& injectedIdentifier()
{
    static QString identifier;
    return identifier;
}

// The device of path, or of its nearest existing ancestor (the destination
// itself usually does not exist yet).
std::optional<dev_t> deviceOf(QString path)
{
    for (int guard = 0; guard < 4096 && !path.isEmpty(); ++guard) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            return info.st_dev;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return std::nullopt;
}

bool isUsableFolder(const QString& path, dev_t device)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_dev == device
           && ::access(name.constData(), W_OK | X_OK) == 0;
}

// The top folder of the filesystem that holds folder (an existing folder).
QString volumeRoot(QString folder, dev_t device)
{
    for (int guard = 0; guard < 4096; ++guard) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        const auto parentDevice = deviceOf(parent);
        if (!parentDevice || *parentDevice != device)
            break;
        folder = parent;
    }
    return folder;
}

} // namespace

SystemVersion systemVersion()
{
    QMutexLocker lock(&stateMutex());
    return injectedVersion().value_or(kProvidedSystemVersion);
}

void setSystemVersionForTesting(std::optional<SystemVersion> version)
{
    QMutexLocker lock(&stateMutex());
    injectedVersion() = version;
}

QString bundleIdentifier()
{
    QMutexLocker lock(&stateMutex());
    const QString& identifier = injectedIdentifier();
    return identifier.isEmpty() ? QString::fromLatin1(kDefaultBundleIdentifier) : identifier;
}

void setBundleIdentifierForTesting(const QString& identifier)
{
    QMutexLocker lock(&stateMutex());
    injectedIdentifier() = identifier;
}

QString preferencesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Preferences");
}

QString temporaryFolder()
{
    return QDir::cleanPath(QDir::tempPath());
}

QString itemReplacementFolder(const QUrl& destination)
{
    if (!destination.isLocalFile())
        return {};
    const QString target = QDir::cleanPath(destination.toLocalFile());
    if (target.isEmpty())
        return {};
    const QString folder = QFileInfo(target).path();
    const auto device = deviceOf(folder);
    if (!device)
        return {};

    const QString temporary = temporaryFolder();
    if (isUsableFolder(temporary, *device))
        return temporary;

    // The folder the destination will live in may not exist yet: stage on
    // the deepest existing one, which is on the same filesystem.
    QString existing = folder;
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return {};
        existing = parent;
    }
    const QString hidden =
        QDir(volumeRoot(existing, *device)).filePath(QStringLiteral(".TemporaryItems"));
    if (isUsableFolder(hidden, *device)
        || (QDir().mkpath(hidden) && isUsableFolder(hidden, *device)))
        return hidden;
    if (isUsableFolder(existing, *device))
        return existing;
    return {};
}

} // namespace platform
