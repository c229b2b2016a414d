#include "Common UI Code/KLVUtil.h"
#include "platform/MainThread.h"
#include "platform/SystemInfo.h"
#include "platform/UserNotification.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

namespace {

QString nameOf(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

// A folder with the given items: names ending in "/" are folders (each with
// one file inside, so that no file removal can take them away).
void populate(const QTemporaryDir& dir, const QStringList& items)
{
    for (const QString& item : items) {
        if (item.endsWith('/'))
            testsupport::writeFile(dir.filePath(item + "inside.txt"), "x");
        else
            testsupport::writeFile(dir.filePath(item), "old");
    }
}

bool isUuidName(const QString& name)
{
    return name.size() == 36 && name == name.toUpper() && !QUuid::fromString(name).isNull();
}

dev_t deviceOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(-1);
}

// Restores the injected platform facts whatever a test did.
class KLVUtilSystem : public ::testing::Test {
protected:
    void TearDown() override
    {
        platform::setSystemVersionForTesting(std::nullopt);
        platform::setBundleIdentifierForTesting({});
        platform::setUserNotificationPosterForTesting({});
    }
};

} // namespace

TEST(KLVUtilNames, UniqueFileNames)
{
    const struct {
        const char* name;
        QStringList existing;
        const char* base;
        QString extension;
        bool overwrite;
        const char* expected;
        QStringList remaining; // of existing, what is still there afterwards
    } cases[] = {
        {"free name", {}, "Report", "pdf", false, "Report.pdf", {}},
        {"counts past taken names", {"Report.pdf", "Report 1.pdf"}, "Report", "pdf", false,
         "Report 2.pdf", {"Report.pdf", "Report 1.pdf"}},
        {"overwrite removes the first", {"Report.pdf", "Report 1.pdf"}, "Report", "pdf", true,
         "Report.pdf", {"Report 1.pdf"}},
        {"empty extension", {"Notes", "Notes 1"}, "Notes", "", false, "Notes 2",
         {"Notes", "Notes 1"}},
        {"null extension", {"Notes"}, "Notes", QString(), false, "Notes 1", {"Notes"}},
        {"dotted base name", {}, "Scan.2014", "pdf", false, "Scan.2014.pdf", {}},
        {"dotted base name taken", {"Scan.2014.pdf"}, "Scan.2014", "pdf", false, "Scan.2014 1.pdf",
         {"Scan.2014.pdf"}},
        {"unremovable candidate is passed over", {"Report.pdf/", "Report 1.pdf"}, "Report", "pdf",
         true, "Report 1.pdf", {"Report.pdf"}},
        {"every unremovable one is passed over", {"Report.pdf/", "Report 1.pdf/"}, "Report",
         "pdf", true, "Report 2.pdf", {"Report.pdf", "Report 1.pdf"}},
        {"a folder counts as taken", {"Report.pdf/"}, "Report", "pdf", false, "Report 1.pdf",
         {"Report.pdf"}},
        {"percent signs stay literal", {"50%2 off.pdf"}, "50%2 off", "pdf", false,
         "50%2 off 1.pdf", {"50%2 off.pdf"}},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        populate(dir, c.existing);
        const QUrl url =
            GetUniqueFileURL(QUrl::fromLocalFile(dir.path()), c.base, c.extension, c.overwrite);
        EXPECT_EQ(nameOf(url), c.expected) << c.name;
        EXPECT_EQ(QFileInfo(url.toLocalFile()).path(), dir.path()) << c.name;
        EXPECT_FALSE(QFileInfo::exists(url.toLocalFile())) << c.name << ": nothing is created";
        QStringList remaining = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QStringList expected = c.remaining;
        remaining.sort();
        expected.sort();
        EXPECT_EQ(remaining, expected) << c.name;
    }
}

TEST(KLVUtilNames, UniqueFileNameTreatsDanglingLinkAsTaken)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere/target"), dir.filePath("Report.pdf")));
    const QUrl url = GetUniqueFileURL(QUrl::fromLocalFile(dir.path()), "Report", "pdf", false);
    EXPECT_EQ(nameOf(url), "Report 1.pdf");
}

TEST(KLVUtilNames, UniqueFileNameFromSourceFile)
{
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"/elsewhere/Scan.2014.jpeg", "Scan.2014.pdf"},
        {"/elsewhere/plain", "plain.pdf"},
        {"/elsewhere/.hidden", ".hidden.pdf"},
        {"/elsewhere/folder.d/", "folder.pdf"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QUrl url = GetUniqueFileURLForFile(QUrl::fromLocalFile(dir.path()),
                                                 QUrl::fromLocalFile(c.source), "pdf", false);
        EXPECT_EQ(nameOf(url), c.expected) << c.source;
    }
}

TEST(KLVUtilNames, UniqueFolderNames)
{
    const struct {
        const char* name;
        QStringList existing;
        bool create;
        const char* expected; // empty: no URL
    } cases[] = {
        {"free", {}, false, "Out"},
        {"free, created", {}, true, "Out"},
        {"folders taken", {"Out/", "Out 1/"}, true, "Out 2"},
        {"a plain file ends the search", {"Out"}, false, "Out"},
        {"a plain file cannot become a folder", {"Out"}, true, ""},
        {"a plain file after folders", {"Out/", "Out 1"}, false, "Out 1"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        populate(dir, c.existing);
        const QUrl url = GetUniqueFolderURL(QUrl::fromLocalFile(dir.path()), "Out", c.create);
        if (QByteArray(c.expected).isEmpty()) {
            EXPECT_TRUE(url.isEmpty()) << c.name;
            continue;
        }
        EXPECT_EQ(nameOf(url), c.expected) << c.name;
        if (c.create) {
            EXPECT_TRUE(QFileInfo(url.toLocalFile()).isDir()) << c.name;
        }
    }

    QTemporaryDir dir;
    const QUrl url = GetUniqueFolderURLForFile(QUrl::fromLocalFile(dir.path()),
                                               QUrl::fromLocalFile("/x/photo.2.jpg"), true);
    EXPECT_EQ(nameOf(url), "photo.2");
    EXPECT_TRUE(QFileInfo(url.toLocalFile()).isDir());
}

TEST(KLVUtilNames, TemporaryNames)
{
    const QString temp = platform::temporaryFolder();
    const QUrl first = GetTemporaryFileURL();
    const QUrl second = GetTemporaryFileURL();
    EXPECT_NE(first, second);
    for (const QUrl& url : {first, second}) {
        EXPECT_EQ(QFileInfo(url.toLocalFile()).path(), temp);
        EXPECT_TRUE(isUuidName(nameOf(url))) << nameOf(url).toStdString();
        EXPECT_FALSE(QFileInfo::exists(url.toLocalFile()));
    }

    QTemporaryDir dir;
    const QString named = nameOf(GetTemporaryURLInDirectory(dir.path(), "scan-", "png"));
    EXPECT_TRUE(named.startsWith("scan-") && named.endsWith(".png")) << named.toStdString();
    EXPECT_TRUE(isUuidName(named.mid(5, 36)));
    EXPECT_EQ(QFileInfo(GetTemporaryURLInDirectory(dir.path(), {}, {}).toLocalFile()).path(),
              dir.path());
    const QUrl bare = GetTemporaryURLInDirectory({}, {}, {});
    EXPECT_EQ(QFileInfo(bare.toLocalFile()).path(), temp);
    EXPECT_TRUE(isUuidName(nameOf(bare)));

    const QString prefixed = nameOf(GetTemporaryURLWithPrefix("job"));
    EXPECT_TRUE(prefixed.startsWith("job-"));
    EXPECT_TRUE(isUuidName(prefixed.mid(4)));
}

TEST(KLVUtilNames, TemporaryURLBesideDestination)
{
    const QString temp = platform::temporaryFolder();
    QTemporaryDir local;
    auto folderFor = [](const QString& destination) {
        const QUrl url = GetTemporaryURLAppropriateForURL(QUrl::fromLocalFile(destination));
        EXPECT_TRUE(isUuidName(nameOf(url)));
        EXPECT_FALSE(QFileInfo::exists(url.toLocalFile()));
        return QFileInfo(url.toLocalFile()).path();
    };
    EXPECT_EQ(folderFor(local.filePath("out.pdf")), temp);
    EXPECT_EQ(QFileInfo(GetTemporaryURLAppropriateForURL(QUrl("https://example.com/a.pdf"))
                            .toLocalFile())
                  .path(),
              temp);

    if (!QFileInfo(QStringLiteral("/dev/shm")).isDir())
        GTEST_SKIP() << "no /dev/shm to stand for another volume";
    if (deviceOf("/dev/shm") == deviceOf(temp))
        GTEST_SKIP() << "/dev/shm shares the temporary folder's filesystem";
    QTemporaryDir other(QStringLiteral("/dev/shm/klvutil-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    for (const QString& destination :
         {other.filePath("out.pdf"), other.filePath("not/yet/made/out.pdf")}) {
        const QString folder = folderFor(destination);
        EXPECT_NE(folder, temp) << destination.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        EXPECT_EQ(deviceOf(folder), deviceOf(other.path())) << folder.toStdString();
    }
}

TEST(KLVUtilNames, UrlEquality)
{
    const struct {
        QUrl a, b;
        bool equal;
    } cases[] = {
        {QUrl("file:///tmp/a.pdf"), QUrl::fromLocalFile("/tmp/a.pdf"), true},
        {QUrl("file:///tmp/a%20b.pdf"), QUrl::fromLocalFile("/tmp/a b.pdf"), true},
        {QUrl("file:///tmp/folder/"), QUrl("file:///tmp/folder"), true},
        {QUrl("file:///tmp/a.pdf"), QUrl("file:///tmp/b.pdf"), false},
        {QUrl("https://x.org/a"), QUrl("https://x.org/a"), true},
        {QUrl("https://x.org/a"), QUrl("https://x.org/a/"), false},
        {QUrl("https://x.org/tmp/a.pdf"), QUrl::fromLocalFile("/tmp/a.pdf"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isEqualToURL(c.a, c.b), c.equal) << c.a.toString().toStdString() << " "
                                                   << c.b.toString().toStdString();
        EXPECT_EQ(isEqualToURL(c.b, c.a), c.equal);
    }
}

TEST(KLVUtilNames, StringConversions)
{
    const struct {
        QUrl url;
        const char* name;
        const char* path;
        int flag;
    } cases[] = {
        {QUrl::fromLocalFile("/data/Report.final.pdf"), "Report.final", "/data/Report.final.pdf",
         1},
        {QUrl::fromLocalFile("/data/Übersicht.txt"), "Übersicht", "/data/Übersicht.txt", 1},
        {QUrl::fromLocalFile("/data/README"), "README", "/data/README", 1},
        {QUrl(), "", "", 0},
    };
    for (const auto& c : cases) {
        int flag = -1;
        EXPECT_EQ(GetFileNameWithoutExtension(c.url, &flag), c.name) << c.path;
        EXPECT_EQ(flag, c.flag);
        flag = -1;
        EXPECT_EQ(GetFilePathString(c.url, &flag), c.path);
        EXPECT_EQ(flag, c.flag);
        char* copy = CopyFilePathCString(c.url);
        if (c.flag == 0) {
            EXPECT_EQ(copy, nullptr);
        } else {
            ASSERT_NE(copy, nullptr);
            EXPECT_STREQ(copy, c.path);
        }
        std::free(copy);
    }
    EXPECT_EQ(GetFileNameWithoutExtension(QUrl::fromLocalFile("/data/x.pdf")), "x");
    EXPECT_EQ(GetStdString(QString("Grüße")), "Grüße");
    EXPECT_EQ(GetStdString(QString()), "");
    EXPECT_EQ(CopyCString(QString()), nullptr);
    EXPECT_EQ(CopyCString(QString("")), nullptr);
    char* copy = CopyCString("naïve");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "naïve");
    std::free(copy);
}

TEST_F(KLVUtilSystem, CompareSystemVersionWithInjectedVersions)
{
    const struct {
        platform::SystemVersion running;
        int major, minor, bugFix;
        int expected;
    } cases[] = {
        {{10, 8, 5}, 10, 8, 0, 5},  {{10, 7, 9}, 10, 8, 0, -1}, {{11, 0, 0}, 10, 8, 0, 1},
        {{10, 8, 0}, 10, 8, 0, 0},  {{10, 6, 0}, 10, 7, 0, -1}, {{9, 9, 9}, 10, 0, 0, -1},
    };
    for (const auto& c : cases) {
        platform::setSystemVersionForTesting(c.running);
        EXPECT_EQ(CompareSystemVersion(c.major, c.minor, c.bugFix), c.expected)
            << c.running.major << "." << c.running.minor << "." << c.running.bugFix;
    }
    platform::setSystemVersionForTesting(std::nullopt);
    EXPECT_GE(CompareSystemVersion(10, 8, 0), 0);
    EXPECT_GE(CompareSystemVersion(10, 7, 0), 0);
}

TEST_F(KLVUtilSystem, PreferenceFiles)
{
    platform::setBundleIdentifierForTesting("com.klv.PrefTest");
    const QString folder = platform::preferencesFolder();
    const QString path = folder + "/com.klv.PrefTest-Pref.plist";
    QDir(folder).removeRecursively();

    // Missing file: the caller's value stays.
    std::optional<QVariantMap> out = QVariantMap{{"Kept", true}};
    EXPECT_FALSE(LoadPreferencesPlist(out, "%@-Pref.plist"));
    ASSERT_TRUE(out.has_value());
    EXPECT_TRUE((*out)["Kept"].toBool());

    // Saving creates the folder and the file, readable by the owner only.
    const QVariantMap settings{{"PageWidth", 612.0},
                               {"kCGPDFContextUserPassword", "secret"},
                               {"Presets", QVariantList{"A4", "Letter"}},
                               {"Count", 3}};
    ASSERT_TRUE(SavePreferencesPlist(settings, "%@-Pref.plist"));
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    out.reset();
    ASSERT_TRUE(LoadPreferencesPlist(out, "%@-Pref.plist"));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ((*out)["kCGPDFContextUserPassword"].toString(), "secret");
    EXPECT_EQ((*out)["Presets"].toList(), (QVariantList{"A4", "Letter"}));
    EXPECT_EQ((*out)["Count"].toInt(), 3);
    EXPECT_DOUBLE_EQ((*out)["PageWidth"].toDouble(), 612.0);

    // Another format names another file.
    EXPECT_FALSE(QFileInfo::exists(folder + "/com.klv.PrefTest-PresetPref.plist"));
    ASSERT_TRUE(SavePreferencesPlist({}, "%@-PresetPref.plist"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/com.klv.PrefTest-PresetPref.plist"));

    // A file that is no dictionary property list resets the value.
    for (const QByteArray& bytes :
         {QByteArray("not a plist"), QByteArray(),
          QByteArray("<plist version=\"1.0\"><array><string>x</string></array></plist>")}) {
        testsupport::writeFile(path, bytes);
        out = QVariantMap{{"Kept", true}};
        EXPECT_FALSE(LoadPreferencesPlist(out, "%@-Pref.plist")) << bytes.toStdString();
        EXPECT_FALSE(out.has_value()) << bytes.toStdString();
    }
}

TEST_F(KLVUtilSystem, UserDefaults)
{
    platform::setBundleIdentifierForTesting("com.klv.DefaultsTest");
    EXPECT_FALSE(GetUserDefault("Missing").isValid());

    SetUserDefault(42, "Answer");
    SetUserDefault(QVariantList{"a", 2}, "List");
    SetUserDefault(QString("text"), "Text");
    EXPECT_EQ(GetUserDefault("Answer").toLongLong(), 42);
    EXPECT_NE(GetUserDefault("Answer").typeId(), QMetaType::QString) << "numbers stay numbers";
    EXPECT_EQ(GetUserDefault("List").toList(), (QVariantList{"a", qlonglong(2)}));

    // A value with no stored form changes nothing and does not break the store.
    SetUserDefault(QPoint(1, 2), "Text");
    EXPECT_EQ(GetUserDefault("Text").toString(), "text");
    SetUserDefault(true, "Flag");
    EXPECT_TRUE(GetUserDefault("Flag").toBool());

    RemoveUserDefault("Answer");
    EXPECT_FALSE(GetUserDefault("Answer").isValid());
    SetUserDefault(QVariant(), "Text");
    EXPECT_FALSE(GetUserDefault("Text").isValid());
    EXPECT_TRUE(GetUserDefault("Flag").toBool());
}

TEST_F(KLVUtilSystem, NotificationsFollowTheSystemVersion)
{
    struct Posted {
        QString title, body;
        bool onMainThread;
    };
    QList<Posted> posted;
    platform::setUserNotificationPosterForTesting(
        [&](const QString&, const QString& title, const QString& body) {
            posted.append({title, body, platform::isMainThread()});
            return true;
        });

    platform::setSystemVersionForTesting(platform::SystemVersion{10, 7, 5});
    PostUserNotification("Done", "Nothing to see");
    testsupport::runOnWorker([] { PostUserNotification("Done", "From a worker"); });
    EXPECT_TRUE(posted.isEmpty());

    platform::setSystemVersionForTesting(platform::SystemVersion{10, 8, 0});
    PostUserNotification("Export finished", "3 files");
    testsupport::runOnWorker([] { PostUserNotification("Worker", "delivered on main"); });
    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(posted[0].title, "Export finished");
    EXPECT_EQ(posted[0].body, "3 files");
    EXPECT_EQ(posted[1].title, "Worker");
    EXPECT_TRUE(posted[0].onMainThread);
    EXPECT_TRUE(posted[1].onMainThread);
}

TEST(KLVUtilCompare, FinderOrder)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"File 2", "File 10", -1},
        {"File 10", "File 2", 1},
        {"file 2", "File 10", -1},
        {"a", "B", -1},
        {"same", "same", 0},
        {"", "", 0},
        {"", "a", -1},
        {"Photo 007", "Photo 8", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FinderCompare(c.a, c.b, &english), c.expected) << c.a << " / " << c.b;

    // Differences in case or width only still give a definite, consistent order.
    const QStringList pairs[] = {{"abc", "ABC"}, {"Ｆｉｌｅ", "File"}, {"File 2", "File 02"}};
    for (const QStringList& pair : pairs) {
        const int forward = FinderCompare(pair[0], pair[1], &english);
        EXPECT_NE(forward, 0) << pair[0].toStdString();
        EXPECT_EQ(FinderCompare(pair[1], pair[0], &english), -forward);
    }
    // Width does not change the order against other names.
    EXPECT_EQ(FinderCompare("Ｆｉｌｅ 2", "File 10", &english), -1);

    // The locale decides: Swedish sorts ö after z.
    const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
    EXPECT_EQ(FinderCompare("ö", "z", &english), -1);
    EXPECT_EQ(FinderCompare("ö", "z", &swedish), 1);
    EXPECT_EQ(FinderCompare("File 2", "File 10"), -1) << "system locale";
    const QLocale c(QLocale::C);
    EXPECT_EQ(FinderCompare("File 2", "File 10", &c), -1) << "the C locale still orders numbers";
    EXPECT_EQ(FinderCompare("a", "B", &c), -1);
}

TEST(KLVUtilFormat, FileSizes)
{
    const struct {
        double size;
        const char* binary;
        const char* decimal;
    } cases[] = {
        {0, "0 B", "0 B"},
        {999, "999 B", "999 B"},
        {1000, "1000 B", "1.0 KB"},
        {1023, "1023 B", "1.0 KB"},
        {1024, "1.0 KB", "1.0 KB"},
        {1500, "1.5 KB", "1.5 KB"},
        {1536, "1.5 KB", "1.5 KB"},
        {1048576, "1.00 MB", "1.05 MB"},
        {1073741824.0, "1.000 GB", "1.074 GB"},
        {1099511627776.0, "1.0000 TB", "1.0995 TB"},
        {5.0e15, "4547.4736 TB", "5000.0000 TB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFileSizeBinary(c.size), c.binary) << c.size;
        EXPECT_EQ(FormatFileSizeDecimal(c.size), c.decimal) << c.size;
    }
}
