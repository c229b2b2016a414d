// Temporary and unique names, URL equality and string conversions.
#include "Common UI Code/KLVUtil.h"

#include "platform/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace {

QString newUuidString()
{
    const QUuid uuid = QUuid::createUuid();
    if (uuid.isNull())
        return {};
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QString localPath(const QUrl& url)
{
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

QUrl fileUrlIn(const QString& folder, const QString& name)
{
    return QUrl::fromLocalFile(QDir(folder).filePath(name));
}

// The last path component, ignoring trailing separators ("/a/b/" -> "b").
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || path.size() == 1 ? path : path.mid(slash + 1);
}

// "Scan.2014.pdf" -> "Scan.2014"; a leading or trailing dot is no extension.
QString withoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return name;
    return name.left(dot);
}

// Dangling symbolic links count as existing: writing through one would
// create a file somewhere else.
bool itemExists(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isFolder(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

char* heapCopy(const QByteArray& bytes)
{
    char* copy = static_cast<char*>(std::malloc(std::size_t(bytes.size()) + 1));
    if (copy)
        std::memcpy(copy, bytes.constData(), std::size_t(bytes.size()) + 1);
    return copy;
}

} // namespace

QUrl GetTemporaryFileURL()
{
    const QString uuid = newUuidString();
    if (uuid.isEmpty())
        return {};
    return fileUrlIn(platform::temporaryFolder(), uuid);
}

QUrl GetTemporaryURLAppropriateForURL(const QUrl& destination)
{
    const QString uuid = newUuidString();
    if (uuid.isEmpty())
        return {};
    QString folder = platform::itemReplacementFolder(destination);
    if (folder.isEmpty())
        folder = platform::temporaryFolder();
    return fileUrlIn(folder, uuid);
}

QUrl GetTemporaryURLInDirectory(const QString& folderPath, const QString& prefix,
                                const QString& extension)
{
    const QString uuid = newUuidString();
    Q_ASSERT(!uuid.isEmpty());
    QString name = prefix + uuid;
    if (!extension.isEmpty())
        name += QLatin1Char('.') + extension;
    return fileUrlIn(folderPath.isEmpty() ? platform::temporaryFolder() : folderPath, name);
}

QUrl GetTemporaryURLWithPrefix(const QString& prefix)
{
    const QString uuid = newUuidString();
    Q_ASSERT(!uuid.isEmpty());
    return fileUrlIn(platform::temporaryFolder(), prefix + QLatin1Char('-') + uuid);
}

QUrl GetUniqueFileURL(const QUrl& folder, const QString& baseName, const QString& extension,
                      bool overwrite)
{
    const QString folderPath = localPath(folder);
    const bool hasExtension = !extension.isEmpty();
    const QString first = hasExtension ? baseName + QLatin1Char('.') + extension : baseName;
    QString candidate = QDir(folderPath).filePath(first);
    for (long counter = 1; itemExists(candidate); ++counter) {
        // Only files and links are replaced; a folder is never deleted here.
        if (overwrite && !isFolder(candidate) && QFile::remove(candidate))
            break;
        const QString numbered = QStringLiteral("%1 %2").arg(baseName, QString::number(counter));
        const QString name = hasExtension ? numbered + QLatin1Char('.') + extension : numbered;
        candidate = QDir(folderPath).filePath(name);
    }
    return QUrl::fromLocalFile(candidate);
}

QUrl GetUniqueFileURLForFile(const QUrl& folder, const QUrl& file, const QString& extension,
                             bool overwrite)
{
    return GetUniqueFileURL(folder, withoutExtension(lastComponent(localPath(file))), extension,
                            overwrite);
}

QUrl GetUniqueFolderURL(const QUrl& parent, const QString& name, bool create)
{
    const QString parentPath = localPath(parent);
    QString candidate = QDir(parentPath).filePath(name);
    for (long counter = 1; itemExists(candidate) && isFolder(candidate); ++counter)
        candidate =
            QDir(parentPath).filePath(QStringLiteral("%1 %2").arg(name, QString::number(counter)));
    if (create && !QDir().mkpath(candidate))
        return {};
    return QUrl::fromLocalFile(candidate);
}

QUrl GetUniqueFolderURLForFile(const QUrl& parent, const QUrl& file, bool create)
{
    return GetUniqueFolderURL(parent, withoutExtension(lastComponent(localPath(file))), create);
}

bool isEqualToURL(const QUrl& url, const QUrl& other)
{
    if (url == other)
        return true;
    if (!url.isLocalFile() || !other.isLocalFile())
        return false;
    auto path = [](const QUrl& u) {
        QString p = u.toLocalFile();
        while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
            p.chop(1);
        return p;
    };
    return path(url) == path(other);
}

std::string GetFileNameWithoutExtension(const QUrl& url, int* flag)
{
    const QString path = localPath(url);
    if (flag)
        *flag = path.isEmpty() ? 0 : 1;
    if (path.isEmpty())
        return {};
    return withoutExtension(lastComponent(path)).toUtf8().toStdString();
}

std::string GetStdString(const QString& string)
{
    return string.toUtf8().toStdString();
}

std::string GetFilePathString(const QUrl& url, int* flag)
{
    const QString path = localPath(url);
    if (flag)
        *flag = path.isEmpty() ? 0 : 1;
    return path.toUtf8().toStdString();
}

char* CopyFilePathCString(const QUrl& url)
{
    const QString path = localPath(url);
    return path.isEmpty() ? nullptr : heapCopy(path.toUtf8());
}

char* CopyCString(const QString& string)
{
    return string.isEmpty() ? nullptr : heapCopy(string.toUtf8());
}
