#include "platform/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

dev_t deviceOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(-1);
}

} // namespace

TEST(SystemInfo, InjectedFactsAndTheirDefaults)
{
    const platform::SystemVersion provided = platform::systemVersion();
    EXPECT_EQ(provided.major, platform::kProvidedSystemVersion.major);
    EXPECT_EQ(provided.minor, platform::kProvidedSystemVersion.minor);

    platform::setSystemVersionForTesting(platform::SystemVersion{10, 7, 2});
    EXPECT_EQ(platform::systemVersion().minor, 7);
    EXPECT_EQ(platform::systemVersion().bugFix, 2);
    platform::setSystemVersionForTesting(std::nullopt);
    EXPECT_EQ(platform::systemVersion().minor, platform::kProvidedSystemVersion.minor);

    EXPECT_EQ(platform::bundleIdentifier(), "com.klv.Scribora");
    platform::setBundleIdentifierForTesting("com.example.Other");
    EXPECT_EQ(platform::bundleIdentifier(), "com.example.Other");
    platform::setBundleIdentifierForTesting({});
    EXPECT_EQ(platform::bundleIdentifier(), "com.klv.Scribora");
}

TEST(SystemInfo, Folders)
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty()) << "the test main sets a temporary configuration folder";
    EXPECT_EQ(platform::preferencesFolder(), QDir(config).filePath("Preferences"));
    EXPECT_TRUE(QFileInfo(platform::temporaryFolder()).isDir());
    EXPECT_FALSE(platform::temporaryFolder().endsWith('/'));
}

TEST(SystemInfo, ItemReplacementFolder)
{
    const QString temp = platform::temporaryFolder();
    QTemporaryDir local;
    EXPECT_EQ(platform::itemReplacementFolder(QUrl::fromLocalFile(local.filePath("a.pdf"))), temp);
    EXPECT_EQ(platform::itemReplacementFolder(QUrl::fromLocalFile(local.filePath("x/y/a.pdf"))),
              temp);
    EXPECT_TRUE(platform::itemReplacementFolder(QUrl("https://example.com/a.pdf")).isEmpty());
    EXPECT_TRUE(platform::itemReplacementFolder(QUrl()).isEmpty());

    if (!QFileInfo(QStringLiteral("/dev/shm")).isDir() || deviceOf("/dev/shm") == deviceOf(temp))
        GTEST_SKIP() << "no second filesystem at /dev/shm";
    QTemporaryDir other(QStringLiteral("/dev/shm/systeminfo-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    for (const QString& destination :
         {other.filePath("a.pdf"), other.filePath("missing/deeper/a.pdf"), other.path()}) {
        const QString folder = platform::itemReplacementFolder(QUrl::fromLocalFile(destination));
        ASSERT_FALSE(folder.isEmpty()) << destination.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        EXPECT_EQ(deviceOf(folder), deviceOf(other.path())) << folder.toStdString();
        // Staged files must be renamable onto the destination.
        QFile probe(QDir(folder).filePath("probe-" + QFileInfo(other.path()).fileName()));
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly)) << folder.toStdString();
        probe.close();
        EXPECT_TRUE(QFile::rename(probe.fileName(), other.filePath("renamed")));
        QFile::remove(other.filePath("renamed"));
    }
}
