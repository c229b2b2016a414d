#include "Common UI Code/KLVUtil.h"
#include "platform/SystemInfo.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace {

QByteArray path8(const QString& path)
{
    return QFile::encodeName(path);
}

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(path8(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QByteArray patterned(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xFF);
    return bytes;
}

} // namespace

TEST(KLVUtilFiles, WriteAndReadFile)
{
    QTemporaryDir dir;
    for (const QByteArray& bytes : {QByteArray("hello\0world", 11), QByteArray()}) {
        const QByteArray path = path8(dir.filePath("data.bin"));
        ASSERT_EQ(writeFile(path.constData(), bytes.constData(), std::size_t(bytes.size())), 0);
        EXPECT_EQ(modeOf(dir.filePath("data.bin")), 0600);

        void* buffer = nullptr;
        std::size_t length = 99;
        ASSERT_EQ(readFile(path.constData(), &buffer, &length), 0);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(QByteArray(static_cast<const char*>(buffer), qsizetype(length)), bytes);
        std::free(buffer);
    }
    // Writing again truncates.
    const QByteArray path = path8(dir.filePath("data.bin"));
    ASSERT_EQ(writeFile(path.constData(), "long contents", 13), 0);
    ASSERT_EQ(writeFile(path.constData(), "ab", 2), 0);
    EXPECT_EQ(testsupport::readFile(dir.filePath("data.bin")), "ab");
}

TEST(KLVUtilFiles, ErrorCodes)
{
    QTemporaryDir dir;
    const QByteArray missing = path8(dir.filePath("missing/file"));
    const QByteArray folder = path8(dir.path());

    EXPECT_EQ(writeFile(missing.constData(), "x", 1), ENOENT);
    EXPECT_EQ(writeFile(folder.constData(), "x", 1), EISDIR);

    void* buffer = reinterpret_cast<void*>(0x1);
    std::size_t length = 7;
    EXPECT_EQ(readFile(missing.constData(), &buffer, &length), ENOENT);
    EXPECT_EQ(buffer, nullptr) << "outputs are cleared first";
    EXPECT_EQ(length, 0u);

    // A failing read call: code 5, no message.
    testing::internal::CaptureStdout();
    EXPECT_EQ(readFile(folder.constData(), &buffer, &length), EIO);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(buffer, nullptr);

    testsupport::writeFile(dir.filePath("source"), "abc");
    const QByteArray source = path8(dir.filePath("source"));
    EXPECT_EQ(copyFile(missing.constData(), path8(dir.filePath("copy")).constData()), ENOENT);
    EXPECT_EQ(copyFile(source.constData(), missing.constData()), ENOENT);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy")));

    std::uint64_t size = 123;
    EXPECT_EQ(GetFileSizeOfURL(QUrl::fromLocalFile(dir.filePath("missing/file")), &size), ENOENT);
    EXPECT_EQ(GetFileSizeOfURL(QUrl::fromLocalFile(dir.filePath("source")), &size), 0);
    EXPECT_EQ(size, 3u);
}

TEST(KLVUtilFiles, ShortReadIsReported)
{
    // Kernel attribute files claim a page of size and deliver a few bytes.
    const char* path = "/sys/kernel/profiling";
    struct stat info {};
    if (::stat(path, &info) != 0 || info.st_size <= 64)
        GTEST_SKIP() << "no sysfs file whose size exceeds its contents";
    void* buffer = nullptr;
    std::size_t length = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(readFile(path, &buffer, &length), EIO);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "readFile: short read\n");
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(KLVUtilFiles, CopyFileInChunks)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        qsizetype size;
    } cases[] = {
        {"empty", 0},
        {"small", 1000},
        // Just past one chunk: the second chunk must land at its own offset.
        {"two chunks", 20000000 + 4097},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = patterned(c.size);
        testsupport::writeFile(dir.filePath("source"), bytes);
        testsupport::writeFile(dir.filePath("copy"), patterned(c.size + 500) + "stale tail");
        ASSERT_EQ(copyFile(path8(dir.filePath("source")).constData(),
                           path8(dir.filePath("copy")).constData()),
                  0)
            << c.name;
        EXPECT_TRUE(testsupport::readFile(dir.filePath("copy")) == bytes) << c.name;
        EXPECT_EQ(QFileInfo(dir.filePath("copy")).size(), c.size) << c.name;
    }
}

TEST(KLVUtilFiles, ReplaceFile)
{
    QTemporaryDir dir;
    const QUrl source = QUrl::fromLocalFile(dir.filePath("new.pdf"));
    const QUrl destination = QUrl::fromLocalFile(dir.filePath("out.pdf"));

    testsupport::writeFile(source.toLocalFile(), "new");
    testsupport::writeFile(destination.toLocalFile(), "old");
    EXPECT_TRUE(ReplaceFileAtURL(source, destination));
    EXPECT_EQ(testsupport::readFile(destination.toLocalFile()), "new");
    EXPECT_FALSE(QFileInfo::exists(source.toLocalFile()));

    // Nothing to do for the same file or a missing URL.
    EXPECT_TRUE(ReplaceFileAtURL(destination, QUrl::fromLocalFile(dir.filePath("out.pdf") + "/")));
    EXPECT_TRUE(ReplaceFileAtURL(QUrl(), destination));
    EXPECT_EQ(testsupport::readFile(destination.toLocalFile()), "new");

    // A missing source fails and leaves the destination alone.
    EXPECT_FALSE(ReplaceFileAtURL(source, destination));
    EXPECT_EQ(testsupport::readFile(destination.toLocalFile()), "new");

    // Across filesystems the contents are copied and the source removed.
    if (!QFileInfo(QStringLiteral("/dev/shm")).isDir())
        GTEST_SKIP() << "no /dev/shm for a second filesystem";
    QTemporaryDir other(QStringLiteral("/dev/shm/klvutil-XXXXXX"));
    const QUrl remote = QUrl::fromLocalFile(other.filePath("remote.pdf"));
    testsupport::writeFile(remote.toLocalFile(), "from afar");
    EXPECT_TRUE(ReplaceFileAtURL(remote, destination));
    EXPECT_EQ(testsupport::readFile(destination.toLocalFile()), "from afar");
    EXPECT_FALSE(QFileInfo::exists(remote.toLocalFile()));
}

TEST(KLVUtilFiles, FolderSizeSkipsHiddenItems)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.filePath("a.txt"), QByteArray(100, 'a'));
    testsupport::writeFile(dir.filePath("sub/deeper/b.txt"), QByteArray(20, 'b'));
    testsupport::writeFile(dir.filePath(".hidden"), QByteArray(1000, 'h'));
    testsupport::writeFile(dir.filePath(".cache/c.txt"), QByteArray(5000, 'c'));
    QFile::link(dir.filePath("a.txt"), dir.filePath("link"));
    EXPECT_EQ(GetFolderSize(QUrl::fromLocalFile(dir.path())), 120u);
    EXPECT_EQ(GetFolderSize(QUrl::fromLocalFile(dir.filePath("missing"))), 0u);
}

TEST(KLVUtilFiles, ApplicationSupportFolder)
{
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QString named = GetApplicationSupportFolder("Scribora");
    const QString fallback = GetApplicationSupportFolder(QString());
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);

    EXPECT_EQ(named, data.filePath("Scribora"));
    EXPECT_TRUE(QFileInfo(named).isDir());
    EXPECT_EQ(fallback, data.filePath("KLVApplication"));
    EXPECT_TRUE(QFileInfo(fallback).isDir());
}

TEST(KLVUtilFiles, DailyMarker)
{
    const QString marker = QDir(platform::temporaryFolder()).filePath(".KLVStore");
    QFile::remove(marker);
    EXPECT_TRUE(IsDailyMarkerStale()) << "missing";

    TouchDailyMarker();
    ASSERT_TRUE(QFileInfo::exists(marker));
    EXPECT_EQ(QFileInfo(marker).size(), 0);
    EXPECT_FALSE(IsDailyMarkerStale()) << "made today";
    EXPECT_TRUE(QFileInfo::exists(marker));

    testsupport::writeFile(marker, "content");
    TouchDailyMarker();
    EXPECT_EQ(QFileInfo(marker).size(), 0) << "made again, empty";
    QFile::remove(marker);
}
