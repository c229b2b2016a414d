#include "platform/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

#include <limits>

using platform::PropertyListFormat;
using platform::readPropertyList;
using platform::readPropertyListFile;
using platform::writePropertyList;
using platform::writePropertyListFile;

namespace {

// A binary property list from raw objects: 4-byte offsets, 2-byte object
// references, object 0 on top.
QByteArray makeBinaryPlist(const QList<QByteArray>& objects)
{
    QByteArray out("bplist00");
    QList<quint32> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint32(out.size()));
        out += object;
    }
    const quint64 tableOffset = quint64(out.size());
    for (quint32 offset : offsets) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += char((offset >> shift) & 0xFF);
    }
    out += QByteArray(6, '\0');
    out += char(4);
    out += char(2);
    auto be64 = [&](quint64 v) {
        for (int shift = 56; shift >= 0; shift -= 8)
            out += char((v >> shift) & 0xFF);
    };
    be64(quint64(objects.size()));
    be64(0);
    be64(tableOffset);
    return out;
}

QByteArray ref(int index)
{
    QByteArray bytes;
    bytes += char((index >> 8) & 0xFF);
    bytes += char(index & 0xFF);
    return bytes;
}

// An array object; counts of 15 and more take the extended integer form.
QByteArray arrayOf(const QList<int>& children)
{
    QByteArray object;
    if (children.size() < 15) {
        object += char(0xA0 | children.size());
    } else {
        object += char(0xAF);
        object += char(0x11);
        object += ref(int(children.size()));
    }
    for (int child : children)
        object += ref(child);
    return object;
}

QVariantMap sampleValue()
{
    QVariantMap inner;
    inner["WebResourceData"] = QByteArray("\x00\x01\xFFpayload", 10);
    inner["WebResourceURL"] = QString("file:///tmp/página.html");
    inner["Empty"] = QVariantList{};
    QVariantMap map;
    map["Resource"] = inner;
    map["List"] = QVariantList{qlonglong(1), qlonglong(-42), 2.5, true, false, QString("x")};
    map["Date"] = QDateTime(QDate(2014, 3, 5), QTime(12, 30, 15), Qt::UTC);
    map["OldDate"] = QDateTime(QDate(1990, 1, 1), QTime(0, 0, 0), Qt::UTC);
    map["Big"] = QVariant::fromValue(qulonglong(std::numeric_limits<quint64>::max()));
    map["Min"] = QVariant::fromValue(std::numeric_limits<qlonglong>::min());
    map["Text"] = QString();
    return map;
}

} // namespace

TEST(PropertyList, RoundTripsEveryTypeInBothFormats)
{
    for (PropertyListFormat format : {PropertyListFormat::Xml, PropertyListFormat::Binary}) {
        const QVariantMap original = sampleValue();
        const QByteArray bytes = writePropertyList(original, format);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes.startsWith("bplist00"), format == PropertyListFormat::Binary);
        const auto read = readPropertyList(bytes);
        ASSERT_TRUE(read.has_value());
        const QVariantMap map = read->toMap();

        EXPECT_EQ(map, original) << bytes.left(2000).toStdString();
        EXPECT_EQ(map["Big"].typeId(), QMetaType::ULongLong);
        EXPECT_EQ(map["Min"].typeId(), QMetaType::LongLong);
        EXPECT_EQ(map["List"].toList().at(1).typeId(), QMetaType::LongLong);
        EXPECT_EQ(map["Date"].toDateTime().timeSpec(), Qt::UTC);
    }
}

TEST(PropertyList, BinaryDatesKeepMilliseconds)
{
    // XML dates hold whole seconds; binary ones a fraction, also before 2001.
    const QVariantList dates{
        QDateTime(QDate(2014, 3, 5), QTime(12, 30, 15, 250), Qt::UTC),
        QDateTime(QDate(1990, 1, 1), QTime(0, 0, 0, 500), Qt::UTC),
        QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 750), Qt::UTC),
    };
    const auto read = readPropertyList(writePropertyList(dates, PropertyListFormat::Binary));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toList(), dates);
}

TEST(PropertyList, ReadsHandWrittenXml)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Name</key><string>Caf&#233; &amp; more</string>
	<key>Count</key><integer>12</integer>
	<key>Data</key><data>AAEC</data>
	<key>When</key><date>2001-01-01T00:00:10Z</date>
	<key>Nested</key><array><dict/><array/></array>
</dict>
</plist>
)";
    const auto read = readPropertyList(xml);
    ASSERT_TRUE(read.has_value());
    const QVariantMap map = read->toMap();
    EXPECT_EQ(map["Count"], QVariant::fromValue(qlonglong(12)));
    EXPECT_EQ(map["Data"].toByteArray(), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(map["When"].toDateTime(), QDateTime(QDate(2001, 1, 1), QTime(0, 0, 10), Qt::UTC));
    EXPECT_TRUE(map["Name"].toString().endsWith("& more"));
    const QVariantList nested = map["Nested"].toList();
    ASSERT_EQ(nested.size(), 2);
    EXPECT_EQ(nested[0].typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(nested[1].typeId(), QMetaType::QVariantList);
}

TEST(PropertyList, ReadsUidAsUnsigned)
{
    const QByteArray bytes = makeBinaryPlist({arrayOf({1}), QByteArray("\x80\x07", 2)});
    const auto read = readPropertyList(bytes);
    ASSERT_TRUE(read.has_value());
    const QVariantList list = read->toList();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].typeId(), QMetaType::ULongLong);
    EXPECT_EQ(list[0].toULongLong(), 7u);
}

TEST(PropertyList, RejectsDamagedOrHostileData)
{
    auto chain = [](int depth, int refsPerLevel) {
        QList<QByteArray> objects;
        for (int i = 0; i < depth; ++i)
            objects.append(arrayOf(QList<int>(refsPerLevel, i + 1)));
        objects.append(arrayOf({}));
        return makeBinaryPlist(objects);
    };
    QByteArray deepXml = "<plist version=\"1.0\">";
    for (int i = 0; i < 600; ++i)
        deepXml += "<array>";
    for (int i = 0; i < 600; ++i)
        deepXml += "</array>";
    deepXml += "</plist>";
    const QByteArray good = writePropertyList(sampleValue(), PropertyListFormat::Binary);

    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty", {}},
        {"text", "just some words"},
        {"binary header only", "bplist00"},
        {"truncated binary", good.left(good.size() / 2)},
        {"trailer offsets out of range", good.left(good.size() - 8) + QByteArray(8, '\xFF')},
        {"deep XML", deepXml},
        {"deep binary", chain(600, 1)},
        {"shared containers that expand exponentially", chain(40, 2)},
        {"array containing itself", makeBinaryPlist({arrayOf({0})})},
        {"reference past the object table", makeBinaryPlist({arrayOf({5})})},
        {"binary key with a NUL", makeBinaryPlist({QByteArray("\xD1\x00\x01\x00\x02", 5),
                                                   QByteArray("\x53" "a\0b", 4),
                                                   QByteArray("\x09", 1)})},
        {"binary UTF-16 key with a NUL",
         makeBinaryPlist({QByteArray("\xD1\x00\x01\x00\x02", 5),
                          QByteArray("\x62\x00" "a\0\0", 5), QByteArray("\x09", 1)})},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(readPropertyList(c.data).has_value()) << c.name;

    // XML keys with NUL characters are dropped or refused, never fatal.
    for (const QByteArray& key : {QByteArray("a&#0;b"), QByteArray("a&#x00;b"),
                                  QByteArray("a\0b", 3)}) {
        const auto read = readPropertyList("<plist version=\"1.0\"><dict><key>" + key
                                           + "</key><true/></dict></plist>");
        if (read) {
            for (const QString& name : read->toMap().keys())
                EXPECT_FALSE(name.contains(QChar(0)));
        }
    }

    // Moderate nesting and modest sharing are fine.
    EXPECT_TRUE(readPropertyList(chain(100, 1)).has_value());
    EXPECT_TRUE(readPropertyList(chain(3, 2)).has_value());
    QList<int> many;
    for (int i = 1; i <= 20; ++i)
        many.append(i);
    QList<QByteArray> wide{arrayOf(many)};
    for (int i = 0; i < 20; ++i)
        wide.append(QByteArray("\x10", 1) + char(i));
    const auto wideRead = readPropertyList(makeBinaryPlist(wide));
    ASSERT_TRUE(wideRead.has_value());
    EXPECT_EQ(wideRead->toList().size(), 20);
}

TEST(PropertyList, RefusesValuesWithoutPropertyListType)
{
    const QVariant cases[] = {
        QVariant(),
        QVariant(QPoint(1, 2)),
        QVariantMap{{"ok", 1}, {"bad", QPoint(1, 2)}},
        QVariantList{QVariantList{QVariant()}},
        QDateTime(),
    };
    for (const QVariant& value : cases) {
        EXPECT_TRUE(writePropertyList(value, PropertyListFormat::Xml).isEmpty())
            << value.typeName();
        EXPECT_TRUE(writePropertyList(value, PropertyListFormat::Binary).isEmpty());
    }
}

TEST(PropertyList, FileWriteIsAtomicWithRequestedMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Secret.plist");
    testsupport::writeFile(path, "old contents");

    ASSERT_TRUE(writePropertyListFile(QVariantMap{{"Password", "pw"}}, path,
                                      PropertyListFormat::Xml, 0600));
    EXPECT_EQ(QFileInfo(path).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const auto read = readPropertyListFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toMap()["Password"].toString(), "pw");

    // A value that cannot be written leaves the old file alone.
    EXPECT_FALSE(writePropertyListFile(QVariant(QPoint()), path));
    EXPECT_TRUE(readPropertyListFile(path).has_value());

    ASSERT_TRUE(writePropertyListFile(QVariantList{1}, path, PropertyListFormat::Binary, 0644));
    EXPECT_TRUE(QFileInfo(path).permissions() & QFile::ReadOther);
    EXPECT_TRUE(testsupport::readFile(path).startsWith("bplist00"));

    EXPECT_FALSE(writePropertyListFile(QVariantList{1}, dir.filePath("missing/x.plist")));
    EXPECT_FALSE(readPropertyListFile(dir.filePath("absent.plist")).has_value());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Secret.plist"});
}

TEST(PropertyList, DamagedBytesNeverCrash)
{
    // Every single-byte change of a small list, and a spread of multi-byte
    // changes: each parse either fails or gives some value, nothing worse.
    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::Xml}) {
        const QByteArray good = writePropertyList(sampleValue(), format);
        ASSERT_FALSE(good.isEmpty());
        const char replacements[] = {'\0', '\x01', '\x0F', '\x7F', '\xFF', '<', '>'};
        for (qsizetype i = 0; i < good.size(); ++i) {
            for (char replacement : replacements) {
                QByteArray damaged = good;
                damaged[i] = replacement;
                readPropertyList(damaged);
            }
        }
        quint32 state = 12345;
        for (int round = 0; round < 2000; ++round) {
            QByteArray damaged = good;
            for (int k = 0; k < 4; ++k) {
                state = state * 1103515245u + 12345u;
                damaged[qsizetype((state >> 8) % quint32(damaged.size()))] = char(state >> 24);
            }
            readPropertyList(damaged);
            readPropertyList(damaged.left(qsizetype(state % quint32(damaged.size()))));
        }
    }
    SUCCEED();
}
