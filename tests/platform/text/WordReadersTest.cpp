#include "platform/text/CompoundFile.h"
#include "platform/text/DocReader.h"
#include "platform/text/DocxReader.h"
#include "platform/text/OdtReader.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextReader.h"
#include "platform/text/WordMLReader.h"
#include "platform/text/ZipPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

using namespace platform::text;
using testsupport::zipBytes;

namespace {

using Entries = QList<QPair<QString, QByteArray>>;

struct Format {
    const char* name;
    const char* extension;
    std::function<QByteArray()> sample;
    bool (*read)(const QByteArray&, QTextDocument&);
};

const Format kFormats[] = {
    {"docx", "docx", testsupport::sampleDocx, readDocxData},
    {"odt", "odt", testsupport::sampleOdt, readOdtData},
    {"fodt", "fodt", testsupport::sampleFlatOdt, readFlatOdtData},
    {"wordml", "wordml", testsupport::sampleWordML, readWordMLData},
    {"doc", "doc", testsupport::sampleDoc, readDocData},
};

QString textOf(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QTextCharFormat formatOf(QTextDocument& document, const QString& words)
{
    const QTextCursor found = document.find(words);
    EXPECT_FALSE(found.isNull()) << qPrintable(words);
    QTextCursor cursor(&document);
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

QList<QTextTable*> tablesOf(QTextFrame* frame)
{
    QList<QTextTable*> tables;
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables.append(table);
        tables += tablesOf(child);
    }
    return tables;
}

QString cellText(QTextTable* table, int row, int column)
{
    QTextCursor cursor = table->cellAt(row, column).firstCursorPosition();
    cursor.setPosition(table->cellAt(row, column).lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

QList<QImage> imagesOf(QTextDocument& document)
{
    QList<QImage> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                images.append(document.resource(QTextDocument::ImageResource,
                                                QUrl(format.toImageFormat().name())).value<QImage>());
        }
    }
    return images;
}

int tableDepth(QTextFrame* frame, int depth = 0)
{
    int deepest = depth;
    for (QTextFrame* child : frame->childFrames())
        deepest = std::max(deepest, tableDepth(child, depth + (qobject_cast<QTextTable*>(child) ? 1 : 0)));
    return deepest;
}

Entries replaced(Entries entries, const QString& name, const QByteArray& bytes)
{
    for (auto& entry : entries)
        if (entry.first == name)
            entry.second = bytes;
    return entries;
}

Entries without(Entries entries, const QString& name)
{
    entries.removeIf([&](const auto& entry) { return entry.first == name; });
    return entries;
}

QByteArray entryOf(const Entries& entries, const QString& name)
{
    for (const auto& entry : entries)
        if (entry.first == name)
            return entry.second;
    return {};
}

} // namespace

class WordReaderSampleTest : public ::testing::TestWithParam<Format> {};

TEST_P(WordReaderSampleTest, KeepsTextInOrderWithoutHiddenParts)
{
    QTextDocument document;
    ASSERT_TRUE(GetParam().read(GetParam().sample(), document));
    const QString text = textOf(document);
    qsizetype at = 0;
    for (const QString& words : testsupport::sampleWords()) {
        const qsizetype found = text.indexOf(words, at);
        EXPECT_GE(found, at) << qPrintable(words) << " in " << qPrintable(text);
        if (found >= 0)
            at = found + words.size();
    }
    for (const char* absent : {"hidden words", "deleted words", "not shown", "header words", "PAGE"})
        EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
}

TEST_P(WordReaderSampleTest, KeepsCharacterAndHeadingFormats)
{
    QTextDocument document;
    ASSERT_TRUE(GetParam().read(GetParam().sample(), document));
    EXPECT_EQ(formatOf(document, "bold words").fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(document, "plain").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(document, "italic words").fontItalic());
    EXPECT_FALSE(formatOf(document, "bold words").fontItalic());
    EXPECT_EQ(formatOf(document, "red words").foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat heading = formatOf(document, "Report Title");
    EXPECT_EQ(heading.fontWeight(), QFont::Bold);
    EXPECT_EQ(heading.fontPointSize(), 16);
    const QTextBlock block = document.find("Report Title").block();
    EXPECT_EQ(block.blockFormat().headingLevel(), 1);
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_P(WordReaderSampleTest, KeepsTheBulletedList)
{
    QTextDocument document;
    ASSERT_TRUE(GetParam().read(GetParam().sample(), document));
    QTextList* first = document.find("first item").block().textList();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(document.find("second item").block().textList(), first);
    EXPECT_EQ(first->count(), 2);
    EXPECT_EQ(first->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(document.find("plain").block().textList(), nullptr);
}

TEST_P(WordReaderSampleTest, KeepsTheTableAndThePicture)
{
    QTextDocument document;
    ASSERT_TRUE(GetParam().read(GetParam().sample(), document));
    const QList<QTextTable*> tables = tablesOf(document.rootFrame());
    ASSERT_EQ(tables.size(), 1);
    ASSERT_EQ(tables[0]->rows(), 2);
    ASSERT_EQ(tables[0]->columns(), 2);
    EXPECT_EQ(cellText(tables[0], 0, 0), "cell A1");
    EXPECT_EQ(cellText(tables[0], 0, 1), "cell B1");
    EXPECT_EQ(cellText(tables[0], 1, 0), "cell A2");
    EXPECT_EQ(cellText(tables[0], 1, 1), "cell B2");

    const QList<QImage> images = imagesOf(document);
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0].size(), QSize(40, 40));
    EXPECT_EQ(images[0].pixelColor(20, 20), QColor(Qt::blue));
}

TEST_P(WordReaderSampleTest, ReadsThroughTheRegistryByExtension)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.") + GetParam().extension);
    testsupport::writeFile(path, GetParam().sample());
    const std::unique_ptr<QTextDocument> document = readDocumentFromPath(path);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(document->toPlainText().contains("cell B2"));
}

TEST_P(WordReaderSampleTest, EveryTruncationFailsOrReadsWithoutCrashing)
{
    const QByteArray sample = GetParam().sample();
    for (const qsizetype cut : {qsizetype(0), qsizetype(7), sample.size() / 3, sample.size() / 2, sample.size() - 30}) {
        SCOPED_TRACE(cut);
        QTextDocument document;
        EXPECT_FALSE(GetParam().read(sample.left(cut), document));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WordReaderSampleTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WordReadersTest, RegistryTakesEveryWordProcessingExtension)
{
    const struct {
        const char* file;
        std::function<QByteArray()> bytes;
    } cases[] = {
        {"a.docm", testsupport::sampleDocx}, {"a.dotx", testsupport::sampleDocx},
        {"a.ott", testsupport::sampleOdt},   {"a.dot", testsupport::sampleDoc},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(c.file);
        testsupport::writeFile(path, c.bytes());
        const std::unique_ptr<QTextDocument> document = readDocumentFromPath(path);
        ASSERT_NE(document, nullptr);
        EXPECT_TRUE(document->toPlainText().contains("Report Title"));
    }
}

TEST(WordReadersTest, DamagedPackagesAreRefused)
{
    const Entries docx = testsupport::sampleDocxEntries();
    const Entries odt = testsupport::sampleOdtEntries();
    const QByteArray documentXml = entryOf(docx, "word/document.xml");
    const QByteArray contentXml = entryOf(odt, "content.xml");
    const struct {
        const char* name;
        bool (*read)(const QByteArray&, QTextDocument&);
        QByteArray bytes;
    } cases[] = {
        {"docx: no zip", readDocxData, "PK\x03\x04 not really"},
        {"docx: main document cut", readDocxData, zipBytes(replaced(docx, "word/document.xml", documentXml.left(documentXml.size() / 2)))},
        {"docx: no main document", readDocxData, zipBytes(without(docx, "word/document.xml"))},
        {"docx: main document of another kind", readDocxData, zipBytes(replaced(docx, "word/document.xml", "<x:other xmlns:x=\"urn:x\"/>"))},
        {"docx: damaged styles", readDocxData, zipBytes(replaced(docx, "word/styles.xml", "<w:styles><w:style"))},
        {"docx: damaged relationships", readDocxData, zipBytes(replaced(docx, "word/_rels/document.xml.rels", "<Relationships><"))},
        {"odt: content cut", readOdtData, zipBytes(replaced(odt, "content.xml", contentXml.left(contentXml.size() - 40)))},
        {"odt: no content", readOdtData, zipBytes(without(odt, "content.xml"))},
        {"odt: content without text", readOdtData, zipBytes(replaced(odt, "content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"><office:body/></office:document-content>"))},
        {"fodt: not XML", readFlatOdtData, "\x00\x01\x02"},
        {"wordml: another root", readWordMLData, "<w:document xmlns:w=\"urn:w\"><w:body/></w:document>"},
        {"doc: compound file without text stream", readDocData, testsupport::compoundFile({{"Other", "x"}})},
        {"doc: no compound file", readDocData, QByteArray(4096, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        EXPECT_FALSE(c.read(c.bytes, document));
    }
}

TEST(WordReadersTest, DamagedWordBinaryStructuresAreRefused)
{
    const QByteArray sample = testsupport::sampleDoc();
    // Sector 2 onwards holds the streams; the allocation table is sector 0.
    QByteArray cycle = sample;
    qToLittleEndian<quint32>(2, cycle.data() + 512 + 4 * 3); // sector 3 points back to 2
    QByteArray encrypted = sample;
    encrypted[512 * 3 + 11] = char(encrypted[512 * 3 + 11] | 0x01); // the encryption flag in the text stream
    QByteArray oldWord = sample;
    oldWord[512 * 3 + 2] = 0x65;
    QByteArray badSectorSize = sample;
    badSectorSize[30] = 20;
    QByteArray pieceTablePastEnd = sample;
    // The first piece's start, moved past the text stream (1Table is sector 12, after the header).
    qToLittleEndian<quint32>(0x7FFFFFF0, pieceTablePastEnd.data() + 512 * 13 + 5 + 12 + 2);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"chain cycle", cycle},
        {"encrypted", encrypted},
        {"older format", oldWord},
        {"sector size", badSectorSize},
        {"piece past the stream", pieceTablePastEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        EXPECT_FALSE(readDocData(c.bytes, document));
    }
}

TEST(WordReadersTest, AnEntryInflatingPastTheLimitIsRefused)
{
    // 70 MB of spaces inside the main document: it deflates to little.
    QByteArray huge = entryOf(testsupport::sampleDocxEntries(), "word/document.xml");
    huge.insert(huge.indexOf("<w:body>"), QByteArray(70 * 1024 * 1024, ' '));
    const QByteArray bomb = zipBytes(replaced(testsupport::sampleDocxEntries(), "word/document.xml", huge));
    ASSERT_LT(bomb.size(), 2 * 1024 * 1024);
    QTextDocument document;
    EXPECT_FALSE(readDocxData(bomb, document));
}

TEST(WordReadersTest, DeeplyNestedTablesAreFlattenedPastTheBound)
{
    QByteArray nested = "<w:p><w:r><w:t>core</w:t></w:r></w:p>";
    for (int i = 0; i < 60; ++i)
        nested = "<w:tbl><w:tr><w:tc>" + nested + "</w:tc></w:tr></w:tbl>";
    const QByteArray xml = "<w:document xmlns:w=\"urn:w\"><w:body>" + nested + "<w:p><w:r><w:t>after</w:t></w:r></w:p></w:body></w:document>";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(zipBytes(replaced(testsupport::sampleDocxEntries(), "word/document.xml", xml)), document));
    EXPECT_EQ(tableDepth(document.rootFrame()), kMaxTableDepth);
    const QString text = document.toPlainText();
    EXPECT_LT(text.indexOf("core"), text.indexOf("after"));
    EXPECT_GE(text.indexOf("core"), 0);
}

TEST(WordReadersTest, StylesBasedOnEachOtherDoNotLoop)
{
    const QByteArray styles = R"(<w:styles xmlns:w="urn:w">
<w:style w:type="paragraph" w:styleId="A"><w:basedOn w:val="B"/><w:rPr><w:b/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="B"><w:basedOn w:val="A"/><w:rPr><w:i/></w:rPr></w:style></w:styles>)";
    const QByteArray xml = R"(<w:document xmlns:w="urn:w"><w:body><w:p><w:pPr><w:pStyle w:val="A"/></w:pPr><w:r><w:t>looped</w:t></w:r></w:p></w:body></w:document>)";
    Entries entries = replaced(testsupport::sampleDocxEntries(), "word/styles.xml", styles);
    QTextDocument document;
    ASSERT_TRUE(readDocxData(zipBytes(replaced(entries, "word/document.xml", xml)), document));
    EXPECT_EQ(formatOf(document, "looped").fontWeight(), QFont::Bold);
}

TEST(WordReadersTest, MergedCellsSpanRowsAndColumns)
{
    const QByteArray docx = R"(<w:document xmlns:w="urn:w"><w:body><w:tbl><w:tblGrid><w:gridCol w:w="1"/><w:gridCol w:w="1"/><w:gridCol w:w="1"/></w:tblGrid>
<w:tr><w:tc><w:tcPr><w:gridSpan w:val="2"/></w:tcPr><w:p><w:r><w:t>wide</w:t></w:r></w:p></w:tc><w:tc><w:tcPr><w:vMerge w:val="restart"/></w:tcPr><w:p><w:r><w:t>tall</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p/></w:tc><w:tc><w:p/></w:tc><w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p/></w:tc></w:tr></w:tbl></w:body></w:document>)";
    const QByteArray odt = R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:t" xmlns:text="urn:x"><office:body><office:text>
<table:table><table:table-column table:number-columns-repeated="3"/>
<table:table-row><table:table-cell table:number-columns-spanned="2"><text:p>wide</text:p></table:table-cell><table:covered-table-cell/><table:table-cell table:number-rows-spanned="2"><text:p>tall</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell/><table:table-cell/><table:covered-table-cell/></table:table-row></table:table></office:text></office:body></office:document>)";
    const struct {
        const char* name;
        std::function<bool(QTextDocument&)> read;
    } cases[] = {
        {"docx", [&](QTextDocument& d) { return readDocxData(zipBytes(replaced(testsupport::sampleDocxEntries(), "word/document.xml", docx)), d); }},
        {"fodt", [&](QTextDocument& d) { return readFlatOdtData(odt, d); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(document));
        const QList<QTextTable*> tables = tablesOf(document.rootFrame());
        ASSERT_EQ(tables.size(), 1);
        QTextTable* table = tables[0];
        ASSERT_EQ(table->rows(), 2);
        ASSERT_EQ(table->columns(), 3);
        EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
        EXPECT_EQ(table->cellAt(0, 2).rowSpan(), 2);
        EXPECT_EQ(cellText(table, 0, 2), "tall");
    }
}

TEST(ZipPackageTest, BoundsEverySizeBeforeInflating)
{
    const QByteArray small(1000, 'a');
    const QByteArray zeros(3 * 1024 * 1024, '\0');
    const QByteArray zip = zipBytes({{"a.xml", small}, {"b.xml", small}, {"zeros.bin", zeros}, {"Mixed.Case", "x"}});
    const struct {
        const char* name;
        ZipLimits limits;
        const char* entry;
        bool readable;
    } cases[] = {
        {"within the limits", {}, "a.xml", true},
        {"any case", {}, "mixed.case", true},
        {"missing", {}, "c.xml", false},
        {"entry past its limit", {999, 1 << 30, 500, 100}, "a.xml", false},
        {"total past its limit", {1 << 20, 1500, 500, 100}, "b.xml", false},
        {"inflation ratio", {64 << 20, 256 << 20, 100, 100}, "zeros.bin", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ZipPackage> package = ZipPackage::fromData(zip, c.limits);
        ASSERT_NE(package, nullptr);
        if (QByteArray(c.name) == "total past its limit") {
            ASSERT_TRUE(package->read("a.xml").has_value());
        }
        EXPECT_EQ(package->read(c.entry).has_value(), c.readable);
    }
    EXPECT_EQ(ZipPackage::fromData(zip, {64 << 20, 256 << 20, 500, 3}), nullptr) << "entry count";
}

TEST(ZipPackageTest, DamagedDataIsRefused)
{
    const QByteArray payload(4000, 'q');
    QByteArray zip = zipBytes({{"a.txt", payload}}, true);
    const qsizetype at = zip.indexOf(payload);
    ASSERT_GT(at, 0);
    zip[at + 100] = 'z'; // the checksum no longer matches
    std::unique_ptr<ZipPackage> package = ZipPackage::fromData(zip);
    if (package) {
        EXPECT_FALSE(package->read("a.txt").has_value());
    }
    EXPECT_EQ(ZipPackage::fromData(zip.left(zip.size() - 10)), nullptr);
}

TEST(CompoundFileTest, FindsStreamsAndRefusesBrokenChains)
{
    const QByteArray a(5000, 'a'), b(100, 'b');
    const QByteArray file = testsupport::compoundFile({{"First", a}, {"Second", b}});
    const std::optional<CompoundFile> parsed = CompoundFile::parse(file);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->stream("First")->left(5000), a);
    EXPECT_EQ(parsed->stream("Second")->left(100), b);
    EXPECT_FALSE(parsed->stream("Third").has_value());

    QByteArray selfLoop = file;
    qToLittleEndian<quint32>(2, selfLoop.data() + 512 + 4 * 2);
    const auto looped = CompoundFile::parse(selfLoop);
    ASSERT_TRUE(looped.has_value());
    EXPECT_FALSE(looped->stream("First").has_value());
    EXPECT_FALSE(CompoundFile::parse(file.left(600)).has_value());
}
