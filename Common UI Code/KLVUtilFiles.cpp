// POSIX file helpers, file replacement, folder sizes, the Application Support
// folder and the daily marker.
#include "Common UI Code/KLVUtil.h"

#include "platform/SystemInfo.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t kCopyChunk = 20000000;

// Moves length bytes through call (read or write) unless the file ends or the
// call fails: answers the count moved, or -1 when the call itself failed.
template <typename Buffer, typename Call>
ssize_t transferFully(int fd, Buffer* buffer, std::size_t length, Call call)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = call(fd, buffer + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

ssize_t readFully(int fd, char* buffer, std::size_t length)
{
    return transferFully(fd, buffer, length, ::read);
}

ssize_t writeFully(int fd, const char* buffer, std::size_t length)
{
    return transferFully(fd, buffer, length, ::write);
}

// 0 when all length bytes moved; 5 otherwise, with the message only for a
// short transfer (a failed call explains itself through errno).
int shortTransferCode(ssize_t result, std::size_t length, const char* message)
{
    if (result >= 0 && std::size_t(result) == length)
        return 0;
    if (result >= 0) {
        std::puts(message);
        std::fflush(stdout);
    }
    return EIO;
}

QString markerPath()
{
    return QDir(platform::temporaryFolder()).filePath(QStringLiteral(".KLVStore"));
}

} // namespace

int writeFile(const char* path, const void* bytes, std::size_t length)
{
    if (!path || (!bytes && length > 0))
        return EINVAL;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int code = 0;
    if (::lseek(fd, 0, SEEK_SET) < 0)
        code = errno;
    else
        code = shortTransferCode(writeFully(fd, static_cast<const char*>(bytes), length), length,
                                 "writeFile: short write");
    ::close(fd);
    return code;
}

int readFile(const char* path, void** buffer, std::size_t* length)
{
    if (buffer)
        *buffer = nullptr;
    if (length)
        *length = 0;
    if (!path || !buffer || !length)
        return EINVAL;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size < 0) {
        ::close(fd);
        return -1;
    }
    const std::size_t size = std::size_t(info.st_size);
    // One spare byte so that an empty file still hands over a buffer.
    char* data = size < SIZE_MAX ? static_cast<char*>(std::malloc(size + 1)) : nullptr;
    if (!data) {
        ::close(fd);
        return ENOMEM;
    }
    int code = 0;
    if (::lseek(fd, 0, SEEK_SET) < 0)
        code = -1;
    else
        code = shortTransferCode(readFully(fd, data, size), size, "readFile: short read");
    ::close(fd);
    if (code != 0) {
        std::free(data);
        return code;
    }
    *buffer = data;
    *length = size;
    return 0;
}

int copyFile(const char* sourcePath, const char* destinationPath)
{
    if (!sourcePath || !destinationPath)
        return EINVAL;
    const int source = ::open(sourcePath, O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno;
    struct stat info {};
    if (::fstat(source, &info) != 0 || info.st_size < 0) {
        ::close(source);
        return -1;
    }
    const int destination =
        ::open(destinationPath, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (destination < 0) {
        const int code = errno;
        ::close(source);
        return code;
    }
    const std::uint64_t size = std::uint64_t(info.st_size);
    // One buffer per chunk, freed before the next, so memory stays bounded.
    auto copyChunk = [&](std::uint64_t offset, std::size_t chunk, char* buffer) {
        if (::lseek(source, off_t(offset), SEEK_SET) < 0)
            return -1;
        if (const int code =
                shortTransferCode(readFully(source, buffer, chunk), chunk, "readFile: short read"))
            return code;
        if (::lseek(destination, off_t(offset), SEEK_SET) < 0)
            return errno;
        return shortTransferCode(writeFully(destination, buffer, chunk), chunk,
                                 "writeFile: short write");
    };
    int code = 0;
    for (std::uint64_t offset = 0; offset < size && code == 0;) {
        const std::size_t chunk = std::size_t(std::min<std::uint64_t>(kCopyChunk, size - offset));
        char* buffer = static_cast<char*>(std::malloc(chunk));
        if (!buffer) {
            code = ENOMEM;
            break;
        }
        code = copyChunk(offset, chunk, buffer);
        std::free(buffer);
        offset += chunk;
    }
    ::close(destination);
    ::close(source);
    return code;
}

int GetFileSizeOfURL(const QUrl& url, std::uint64_t* size)
{
    if (!url.isLocalFile())
        return ENOENT;
    const int fd = ::open(QFile::encodeName(url.toLocalFile()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (size)
        *size = end < 0 ? 0 : std::uint64_t(end);
    ::close(fd);
    return 0;
}

bool ReplaceFileAtURL(const QUrl& source, const QUrl& destination)
{
    if (source.isEmpty() || destination.isEmpty() || isEqualToURL(destination, source))
        return true;
    const QString sourcePath = source.toLocalFile();
    const QString destinationPath = destination.toLocalFile();
    const QByteArray sourceBytes = QFile::encodeName(sourcePath);
    const QByteArray destinationBytes = QFile::encodeName(destinationPath);
    if (::rename(sourceBytes.constData(), destinationBytes.constData()) == 0)
        return true;
    if (copyFile(sourceBytes.constData(), destinationBytes.constData()) != 0) {
        if (!QFileInfo::exists(sourcePath))
            return false;
        if (QFileInfo::exists(destinationPath) || QFileInfo(destinationPath).isSymLink())
            QFile::remove(destinationPath);
        if (!QFile::copy(sourcePath, destinationPath))
            return false;
    }
    QFile::remove(sourcePath);
    return true;
}

std::uint64_t GetFolderSize(const QUrl& folder)
{
    std::uint64_t total = 0;
    // Without QDir::Hidden, hidden files are skipped and hidden folders not entered.
    QDirIterator it(folder.toLocalFile(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isFile() && !info.isSymLink())
            total += std::uint64_t(info.size());
    }
    return total;
}

QString GetApplicationSupportFolder(const QString& folderName)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        std::puts("Alert - Can't find application support folder");
        std::fflush(stdout);
        std::exit(0);
    }
    const QString path = QDir(base).filePath(
        folderName.isEmpty() ? QStringLiteral("KLVApplication") : folderName);
    QDir().mkpath(path);
    return path;
}

bool IsDailyMarkerStale()
{
    const QString path = markerPath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified();
    if (created.isValid()) {
        const QString day = created.toLocalTime().toString(QStringLiteral("yyyyMMdd"));
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
        if (day >= today)
            return false;
    }
    QFile::remove(path);
    return true;
}

void TouchDailyMarker()
{
    const QString path = markerPath();
    QFile::remove(path);
    QFile marker(path);
    if (marker.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        marker.close();
}
