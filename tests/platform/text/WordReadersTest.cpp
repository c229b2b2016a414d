#include "platform/text/BoundedImage.h"
#include "platform/text/word/CompoundFile.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextReader.h"
#include "platform/text/word/WordMLReader.h"
#include "platform/text/ZipPackage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QAbstractTextDocumentLayout>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace platform::text;
using testsupport::formatOf;
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
    for (const QTextImageFormat& format : testsupport::imageFormatsOf(document))
        images.append(document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>());
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

QByteArray docx(const QByteArray& body, const QByteArray& numbering = {})
{
    return zipBytes(testsupport::docxEntriesWithBody(body, numbering));
}

// A list item's number or bullet as printed: drawn by its list, else
// written before its text.
QString markerOf(QTextDocument& document, const QString& words)
{
    const QTextCursor found = document.find(words);
    if (found.isNull())
        return QStringLiteral("(missing)");
    const QTextBlock block = found.block();
    QString marker = block.textList() && block.textList()->format().style() != QTextListFormat::ListStyleUndefined
                         ? block.textList()->itemText(block)
                         : QString();
    return (marker + block.text().left(found.selectionStart() - block.position())).trimmed();
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
    testsupport::expectInOrder(text, testsupport::sampleWords());
    for (const char* absent :
         {"hidden words", "deleted words", "not shown", "header words", "PAGE", "note words", "comment words"})
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
    // The bullet is written before the text, as the document gives it.
    EXPECT_EQ(markerOf(document, "first item"), QString::fromUtf16(u"\u2022"));
    EXPECT_EQ(markerOf(document, "second item"), QString::fromUtf16(u"\u2022"));
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
        {"a.xml", testsupport::sampleWordML},
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

TEST(WordReadersTest, OpenOfficeOrgOneTextReadsWithTheOlderNames)
{
    QTemporaryDir dir;
    for (const char* name : {"old.sxw", "old.stw"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(name);
        testsupport::writeFile(path, testsupport::sampleSxw());
        const std::unique_ptr<QTextDocument> document = readDocumentFromPath(path);
        ASSERT_NE(document, nullptr);
        const QString text = textOf(*document);
        EXPECT_TRUE(text.startsWith("Old heading\nBold words\tafter a tab underlined\n")) << text.toStdString();
        testsupport::expectInOrder(text, {"First item", "Second item", "Closing line"});
        EXPECT_TRUE(text.endsWith("\uFFFCClosing line")) << text.toStdString();
        EXPECT_EQ(document->find("Old heading").blockFormat().headingLevel(), 2);
        const QTextCharFormat bold = formatOf(*document, "Bold words");
        EXPECT_EQ(bold.fontWeight(), QFont::Bold);
        EXPECT_EQ(bold.fontFamilies().toStringList(), QStringList("DejaVu Serif"));
        EXPECT_EQ(document->find("Bold words").blockFormat().alignment(), Qt::AlignHCenter);
        EXPECT_TRUE(formatOf(*document, "underlined").fontUnderline());
        // Numbered as the list style says: no suffix after the number.
        EXPECT_EQ(markerOf(*document, "Second item").toStdString(), "2");
        const QList<QTextTable*> tables = tablesOf(document->rootFrame());
        ASSERT_EQ(tables.size(), 1);
        EXPECT_EQ(cellText(tables[0], 1, 1), "B2");
        ASSERT_EQ(imagesOf(*document).size(), 1);
        EXPECT_EQ(imagesOf(*document)[0].pixelColor(5, 5), QColor(Qt::blue));
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

TEST(WordReadersTest, NumberedListsCountAcrossLevelsAndLists)
{
    // A list of two levels (the second restarting under each item of the
    // first), a paragraph between, the list going on, and a list of its own
    // that starts at four.
    const QByteArray docxNumbering = R"(<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/></w:lvl><w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="lowerLetter"/></w:lvl></w:abstractNum>
<w:abstractNum w:abstractNumId="2"><w:lvl w:ilvl="0"><w:start w:val="4"/><w:numFmt w:val="upperRoman"/></w:lvl></w:abstractNum>
<w:num w:numId="1"><w:abstractNumId w:val="1"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="2"/></w:num>)";
    const auto docxItem = [](const char* words, int list, int level) {
        return QByteArray("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"") + QByteArray::number(level) + "\"/><w:numId w:val=\""
               + QByteArray::number(list) + "\"/></w:numPr></w:pPr><w:r><w:t>" + words + "</w:t></w:r></w:p>";
    };
    const QByteArray docxBody = docxItem("one", 1, 0) + docxItem("one-a", 1, 1) + docxItem("one-b", 1, 1)
                                + docxItem("two", 1, 0) + docxItem("two-a", 1, 1)
                                + "<w:p><w:r><w:t>between</w:t></w:r></w:p>" + docxItem("three", 1, 0)
                                + docxItem("four", 2, 0);
    const QByteArray wordMLLists = R"(<w:listDef w:listDefId="0"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:nfc w:val="0"/></w:lvl><w:lvl w:ilvl="1"><w:start w:val="1"/><w:nfc w:val="4"/></w:lvl></w:listDef>
<w:listDef w:listDefId="1"><w:lvl w:ilvl="0"><w:start w:val="4"/><w:nfc w:val="1"/></w:lvl></w:listDef>
<w:list w:ilfo="1"><w:ilst w:val="0"/></w:list><w:list w:ilfo="2"><w:ilst w:val="1"/></w:list>)";
    const auto wordMLItem = [](const char* words, int list, int level) {
        return QByteArray("<w:p><w:pPr><w:listPr><w:ilvl w:val=\"") + QByteArray::number(level) + "\"/><w:ilfo w:val=\""
               + QByteArray::number(list) + "\"/></w:listPr></w:pPr><w:r><w:t>" + words + "</w:t></w:r></w:p>";
    };
    const QByteArray wordMLBody = wordMLItem("one", 1, 0) + wordMLItem("one-a", 1, 1) + wordMLItem("one-b", 1, 1)
                                  + wordMLItem("two", 1, 0) + wordMLItem("two-a", 1, 1)
                                  + "<w:p><w:r><w:t>between</w:t></w:r></w:p>" + wordMLItem("three", 1, 0)
                                  + wordMLItem("four", 2, 0);
    const QByteArray odtStyles = R"(<text:list-style style:name="N"><text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix="."/><text:list-level-style-number text:level="2" style:num-format="a" style:num-suffix="."/></text:list-style>
<text:list-style style:name="R"><text:list-level-style-number text:level="1" style:num-format="I" text:start-value="4" style:num-suffix="."/></text:list-style>)";
    const QByteArray odtBody = R"(<text:list text:style-name="N">
<text:list-item><text:p>one</text:p><text:list><text:list-item><text:p>one-a</text:p></text:list-item><text:list-item><text:p>one-b</text:p></text:list-item></text:list></text:list-item>
<text:list-item><text:p>two</text:p><text:list><text:list-item><text:p>two-a</text:p></text:list-item></text:list></text:list-item></text:list>
<text:p>between</text:p>
<text:list text:style-name="N" text:continue-numbering="true"><text:list-item><text:p>three</text:p></text:list-item></text:list>
<text:list text:style-name="R"><text:list-item><text:p>four</text:p></text:list-item></text:list>)";
    const QList<QPair<const char*, const char*>> expected = {{"one", "1."},   {"one-a", "a."}, {"one-b", "b."},
                                                             {"two", "2."},   {"two-a", "a."}, {"three", "3."},
                                                             {"four", "IV."}, {"between", ""}};
    // Lists that go on by name past another, and items that restart them.
    const QByteArray odtRestarts = R"(<text:list xml:id="first" text:style-name="N"><text:list-item><text:p>one</text:p></text:list-item></text:list>
<text:list text:style-name="N"><text:list-item><text:p>fresh</text:p></text:list-item></text:list>
<text:list text:style-name="N" text:continue-list="first"><text:list-item><text:p>two</text:p></text:list-item>
<text:list-item text:start-value="7"><text:p>seven</text:p></text:list-item><text:list-item><text:p>eight</text:p></text:list-item></text:list>)";
    const struct {
        const char* name;
        std::function<bool(QTextDocument&)> read;
        QList<QPair<const char*, const char*>> markers;
    } cases[] = {
        {"docx", [&](QTextDocument& d) { return readDocxData(docx(docxBody, docxNumbering), d); }, expected},
        {"wordml", [&](QTextDocument& d) { return readWordMLData(testsupport::wordMLWithBody(wordMLBody, wordMLLists), d); }, expected},
        {"fodt", [&](QTextDocument& d) { return readFlatOdtData(testsupport::flatOdtWithBody(odtBody, odtStyles), d); }, expected},
        {"odt restarts",
         [&](QTextDocument& d) { return readOdtData(zipBytes(testsupport::odtEntriesWithBody(odtRestarts, odtStyles)), d); },
         {{"one", "1."}, {"fresh", "1."}, {"two", "2."}, {"seven", "7."}, {"eight", "8."}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(document));
        for (const auto& [words, marker] : c.markers)
            EXPECT_EQ(markerOf(document, words), QString(marker)) << words;
        // Each level is a list of its own.
        const QTextList* inner = document.find("one-a").block().textList();
        if (inner) {
            EXPECT_NE(inner, document.find("one").block().textList());
        }
    }
}

TEST(WordReadersTest, KeepsRunFormatsAndTheDocumentDefaults)
{
    const QByteArray docxBody = R"(<w:p><w:r><w:t xml:space="preserve">plain </w:t></w:r><w:r><w:rPr><w:u w:val="single"/></w:rPr><w:t>under</w:t></w:r>
<w:r><w:rPr><w:strike/></w:rPr><w:t>struck</w:t></w:r><w:r><w:rPr><w:highlight w:val="yellow"/></w:rPr><w:t>marked</w:t></w:r>
<w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:t>high</w:t></w:r><w:r><w:rPr><w:vertAlign w:val="subscript"/></w:rPr><w:t>low</w:t></w:r></w:p>)";
    const QByteArray odtStyles = R"(<style:style style:name="U" style:family="text"><style:text-properties style:text-underline-style="solid"/></style:style>
<style:style style:name="S" style:family="text"><style:text-properties style:text-line-through-style="solid"/></style:style>
<style:style style:name="M" style:family="text"><style:text-properties fo:background-color="#ffff00"/></style:style>
<style:style style:name="H" style:family="text"><style:text-properties style:text-position="super 58%"/></style:style>
<style:style style:name="L" style:family="text"><style:text-properties style:text-position="-33% 58%"/></style:style>)";
    const QByteArray odtBody = R"(<text:p>plain <text:span text:style-name="U">under</text:span><text:span text:style-name="S">struck</text:span><text:span text:style-name="M">marked</text:span><text:span text:style-name="H">high</text:span><text:span text:style-name="L">low</text:span></text:p>)";
    const struct {
        const char* name;
        std::function<bool(QTextDocument&)> read;
    } cases[] = {
        {"docx", [&](QTextDocument& d) { return readDocxData(docx(docxBody), d); }},
        {"wordml", [&](QTextDocument& d) { return readWordMLData(testsupport::wordMLWithBody(docxBody), d); }},
        {"fodt", [&](QTextDocument& d) { return readFlatOdtData(testsupport::flatOdtWithBody(odtBody, odtStyles), d); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(document));
        const QTextCharFormat plain = formatOf(document, "plain");
        EXPECT_EQ(plain.font().family(), "DejaVu Serif");
        EXPECT_EQ(plain.fontPointSize(), 11);
        EXPECT_FALSE(plain.fontUnderline());
        EXPECT_TRUE(formatOf(document, "under").fontUnderline());
        EXPECT_TRUE(formatOf(document, "struck").fontStrikeOut());
        EXPECT_FALSE(formatOf(document, "under").fontStrikeOut());
        EXPECT_EQ(formatOf(document, "marked").background().color(), QColor(255, 255, 0));
        EXPECT_EQ(formatOf(document, "plain").background().style(), Qt::NoBrush);
        EXPECT_EQ(formatOf(document, "high").verticalAlignment(), QTextCharFormat::AlignSuperScript);
        EXPECT_EQ(formatOf(document, "low").verticalAlignment(), QTextCharFormat::AlignSubScript);
    }
}

TEST(WordReadersTest, OdtStylesWhoseParentsLoopEnd)
{
    const QByteArray styles = R"(<style:style style:name="A" style:family="paragraph" style:parent-style-name="B"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="B" style:family="paragraph" style:parent-style-name="A"><style:text-properties fo:font-style="italic"/></style:style>
<style:style style:name="Self" style:family="paragraph" style:parent-style-name="Self"><style:text-properties fo:color="#0000ff"/></style:style>)";
    const QByteArray body = R"(<text:p text:style-name="A">looped</text:p><text:p text:style-name="Self">itself</text:p>)";
    QTextDocument document;
    ASSERT_TRUE(readFlatOdtData(testsupport::flatOdtWithBody(body, styles), document));
    EXPECT_EQ(formatOf(document, "looped").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(document, "looped").fontItalic());
    EXPECT_EQ(formatOf(document, "itself").foreground().color(), QColor(0, 0, 255));
    // The family's default style still lies under both.
    EXPECT_EQ(formatOf(document, "itself").fontPointSize(), 11);
}

TEST(WordReadersTest, APictureMetManyTimesIsDecodedOnce)
{
    // 16 MB decoded: a hundred copies would hold more than the document's
    // whole budget allows.
    constexpr int kCopies = 100;
    const QByteArray png = testsupport::pngBytes(QSize(2000, 2000), Qt::blue);
    QByteArray rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    QByteArray docxBody, odtBody, wordMLBody;
    for (int i = 0; i < kCopies; ++i) {
        // Each reference by a relationship of its own, all to the same part.
        rels += "<Relationship Id=\"p" + QByteArray::number(i)
                + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" Target=\"media/image1.png\"/>";
        docxBody += "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"127000\" cy=\"127000\"/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"p"
                    + QByteArray::number(i) + "\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>";
        odtBody += R"(<text:p><draw:frame svg:width="10pt" svg:height="10pt"><draw:image xlink:href="Pictures/image1.png"/></draw:frame></text:p>)";
        wordMLBody += i == 0 ? "<w:p><w:r><w:pict><w:binData w:name=\"wordml://big.png\">" + png.toBase64() + "</w:binData><v:shape style=\"width:10pt;height:10pt\"><v:imagedata src=\"wordml://big.png\"/></v:shape></w:pict></w:r></w:p>"
                             : QByteArray(R"(<w:p><w:r><w:pict><v:shape style="width:10pt;height:10pt"><v:imagedata src="wordml://big.png"/></v:shape></w:pict></w:r></w:p>)");
    }
    rels += "</Relationships>";
    Entries docxEntries = replaced(testsupport::docxEntriesWithBody(docxBody), "word/_rels/document.xml.rels", rels);
    docxEntries = replaced(docxEntries, "word/media/image1.png", png);
    const Entries odtEntries = replaced(testsupport::odtEntriesWithBody(odtBody), "Pictures/image1.png", png);
    const struct {
        const char* name;
        std::function<bool(QTextDocument&)> read;
    } cases[] = {
        {"docx", [&](QTextDocument& d) { return readDocxData(zipBytes(docxEntries), d); }},
        {"odt", [&](QTextDocument& d) { return readOdtData(zipBytes(odtEntries), d); }},
        {"wordml", [&](QTextDocument& d) { return readWordMLData(testsupport::wordMLWithBody(wordMLBody), d); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(document));
        const QList<QTextImageFormat> pictures = testsupport::imageFormatsOf(document);
        EXPECT_EQ(pictures.size(), kCopies);
        QSet<QString> names;
        for (const QTextImageFormat& picture : pictures)
            names.insert(picture.name());
        EXPECT_EQ(names.size(), 1);
    }
}

TEST(WordReadersTest, ImageBudgetRefusesPicturesPastItsLimit)
{
    const QByteArray png = testsupport::pngBytes(QSize(100, 100), Qt::red);
    ImageBudget budget(100 * 100 * 4 * 5 / 2);
    EXPECT_FALSE(budget.decode(png).isNull());
    EXPECT_FALSE(budget.decode(png).isNull());
    EXPECT_TRUE(budget.decode(png).isNull());
    EXPECT_FALSE(budget.decode(testsupport::pngBytes(QSize(1, 1), Qt::red)).isNull()) << "what is left still serves";
    EXPECT_TRUE(ImageBudget().decode(QByteArray("not a picture")).isNull());
}

namespace {

// A bare 1-bit bitmap with a two-colour palette, as clipboards keep it:
// black with a white column on the left; headerBytes 40 or the core header's
// 12.
QByteArray bareBitmap(QSize size, int headerBytes)
{
    QByteArray dib;
    const auto put = [&](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            dib.append(char(value >> (8 * i)));
    };
    put(quint32(headerBytes), 4);
    if (headerBytes == 12) {
        put(quint32(size.width()), 2);
        put(quint32(size.height()), 2);
        put(1, 2);
        put(1, 2);
        dib.append("\0\0\0\xff\xff\xff", 6); // black, white
    } else {
        put(quint32(size.width()), 4);
        put(quint32(size.height()), 4);
        put(1, 2);
        put(1, 2);
        for (int i = 0; i < 6; ++i)
            put(0, 4); // no compression, size, resolution, colours
        dib.append("\0\0\0\0\xff\xff\xff\0", 8);
    }
    const int rowBytes = ((size.width() + 31) / 32) * 4;
    for (int y = 0; y < size.height(); ++y) {
        dib.append('\x80');
        dib.append(QByteArray(rowBytes - 1, '\0'));
    }
    return dib;
}

} // namespace

TEST(WordReadersTest, ImageBudgetDecodesEveryPictureTypeTheReadersHandIt)
{
    const QByteArray bmp = testsupport::bmpBytes(QSize(40, 20));
    QByteArray absurdPalette = bareBitmap(QSize(8, 8), 40);
    qToLittleEndian<quint32>(0x7FFFFFFF, absurdPalette.data() + 32);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize pixels; // empty: refused
    } cases[] = {
        {"png", testsupport::pngBytes(QSize(40, 20)), QSize(40, 20)},
        {"jpeg", testsupport::jpegBytes(QSize(40, 20), 3), QSize(40, 20)},
        {"cmyk jpeg", testsupport::jpegBytes(QSize(40, 20), 4), QSize(40, 20)},
        {"gif", testsupport::gifBytes(QSize(40, 20)), QSize(40, 20)},
        {"bmp", bmp, QSize(40, 20)},
        {"bitmap without its file header", bmp.mid(14), QSize(40, 20)},
        {"1-bit bitmap without its file header", bareBitmap(QSize(9, 3), 40), QSize(9, 3)},
        {"core bitmap without its file header", bareBitmap(QSize(9, 3), 12), QSize(9, 3)},
        {"tiff, first page", testsupport::tiffPagesBytes({QSize(40, 20), QSize(5, 5)}), QSize(40, 20)},
        // 150 dpi: one inch by half an inch.
        {"placeable metafile", testsupport::wmfBytes(QSize(1440, 720)), QSize(150, 75)},
        {"svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="30" height="10"><rect width="30" height="10" fill="red"/></svg>)",
         QSize(30, 10)},
        {"emf", testsupport::emfBytes(QSize(40, 20)), {}},
        {"header of a picture too large", testsupport::pngHeaderOnly(QSize(30000, 30000)), {}},
        {"bitmap header without pixels", bmp.mid(14, 40), {}},
        {"bitmap with an absurd palette", absurdPalette, {}},
        {"truncated metafile", testsupport::wmfBytes(QSize(1440, 720)).left(40), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = ImageBudget().decode(c.bytes);
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.pixels);
    }
    // 300 by 150 inches, drawn at less than its resolution to stay within
    // bounds, not refused.
    const QImage huge = ImageBudget().decode(testsupport::wmfBytes(QSize(30000, 15000), Qt::red, 100));
    EXPECT_LE(huge.width(), kMaxImageSide);
    EXPECT_GT(huge.width(), 2000);
    EXPECT_EQ(huge.width(), 2 * huge.height());
    // A metafile that gives no size of its own is drawn some inches wide,
    // whatever its units, in the shape of its window.
    for (const QSize units : {QSize(144, 72), QSize(20000, 10000)}) {
        SCOPED_TRACE(units.width());
        const QImage bare = ImageBudget().decode(testsupport::wmfBytes(units, Qt::red, std::nullopt));
        EXPECT_GT(bare.width(), 600);
        EXPECT_LT(bare.width(), 1200);
        EXPECT_NEAR(double(bare.width()) / bare.height(), 2, 0.02);
        EXPECT_EQ(bare.pixelColor(bare.width() / 2, bare.height() / 2), QColor(Qt::red));
    }
    // The bitmaps keep their pixels, bottom row first as stored.
    const QImage bitmap = ImageBudget().decode(bareBitmap(QSize(9, 3), 40));
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(bitmap.pixelColor(1, 0), QColor(Qt::black));
    const QImage metafile = ImageBudget().decode(testsupport::wmfBytes(QSize(1440, 720)));
    ASSERT_FALSE(metafile.isNull());
    EXPECT_EQ(metafile.pixelColor(75, 37), QColor(Qt::red));

    // Pictures of every type take their share of the budget.
    const QByteArray tiff = testsupport::tiffPagesBytes({QSize(100, 100)});
    ImageBudget budget(100 * 100 * 4 * 3 / 2);
    EXPECT_FALSE(budget.decode(tiff).isNull());
    EXPECT_TRUE(budget.decode(tiff).isNull());
}

TEST(WordReadersTest, PictureSizesThatAreNoNumbersFallBackToPixels)
{
    const auto drawing = [](const char* cx, const char* cy) {
        return QByteArray("<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"") + cx + "\" cy=\"" + cy
               + "\"/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"rId3\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>";
    };
    const QByteArray docxBody = drawing("inf", "inf") + drawing("nan", "nan") + drawing("-inf", "127000")
                                + drawing("1e400", "1e400");
    const QByteArray wordMLBody = "<w:p><w:r><w:pict><w:binData w:name=\"wordml://a.png\">"
                                  + testsupport::pngBytes(QSize(40, 40), Qt::blue).toBase64()
                                  + R"(</w:binData><v:shape style="width:1e999pt;height:nan"><v:imagedata src="wordml://a.png"/></v:shape></w:pict></w:r></w:p>)";
    const QByteArray odtBody = "<text:p><draw:frame svg:width=\"1e999in\" svg:height=\"inf\"><draw:image><office:binary-data>"
                               + testsupport::pngBytes(QSize(40, 40), Qt::blue).toBase64() + "</office:binary-data></draw:image></draw:frame></text:p>";
    const struct {
        const char* name;
        std::function<bool(QTextDocument&)> read;
        int pictures;
    } cases[] = {
        {"docx", [&](QTextDocument& d) { return readDocxData(docx(docxBody), d); }, 4},
        {"wordml", [&](QTextDocument& d) { return readWordMLData(testsupport::wordMLWithBody(wordMLBody), d); }, 1},
        {"fodt", [&](QTextDocument& d) { return readFlatOdtData(testsupport::flatOdtWithBody(odtBody), d); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(document));
        const QList<QTextImageFormat> pictures = testsupport::imageFormatsOf(document);
        ASSERT_EQ(pictures.size(), c.pictures);
        // The 40-pixel picture, a pixel a point.
        const double pixels = 40 * layoutUnitsPerPoint();
        for (const QTextImageFormat& picture : pictures) {
            EXPECT_TRUE(std::isfinite(picture.width()) && std::isfinite(picture.height()));
            EXPECT_DOUBLE_EQ(picture.width(), pixels);
            EXPECT_DOUBLE_EQ(picture.height(), pixels);
        }
        const QSizeF laidOut = document.documentLayout()->documentSize();
        EXPECT_TRUE(std::isfinite(laidOut.width()) && std::isfinite(laidOut.height()));
    }
}

TEST(WordReadersTest, ADocumentPastTheCharacterBoundIsRefusedNotCut)
{
    // Each element asks for a thousand spaces: three times the bound in all.
    QByteArray spaces;
    for (qint64 i = 0; i < 3 * kMaxDocumentCharacters / 1000; ++i)
        spaces += "<text:s text:c=\"1000\"/>x";
    QTextDocument document;
    EXPECT_FALSE(readFlatOdtData(testsupport::flatOdtWithBody("<text:p>start" + spaces + "</text:p><text:p>after</text:p>"), document));
    EXPECT_LE(document.characterCount(), kMaxDocumentCharacters + 1);
}

TEST(WordReadersTest, LongTablesAreBuiltRowByRow)
{
    // Built one row at a time, each row rebuilding the table, this would take
    // minutes.
    constexpr int kRows = 40000; // within the document's cell budget
    QByteArray rows;
    for (int i = 0; i < kRows; ++i)
        rows += "<w:tr><w:tc><w:p><w:r><w:t>r" + QByteArray::number(i) + "</w:t></w:r></w:p></w:tc><w:tc><w:p/></w:tc></w:tr>";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docx("<w:tbl><w:tblGrid><w:gridCol w:w=\"1\"/><w:gridCol w:w=\"1\"/></w:tblGrid>" + rows
                                  + "</w:tbl><w:p><w:r><w:t>after</w:t></w:r></w:p>"),
                             document));
    const QList<QTextTable*> tables = tablesOf(document.rootFrame());
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables[0]->rows(), kRows);
    EXPECT_EQ(tables[0]->columns(), 2);
    EXPECT_EQ(cellText(tables[0], kRows - 1, 0), QString("r%1").arg(kRows - 1));
    EXPECT_GT(document.toPlainText().indexOf("after"), document.toPlainText().indexOf(QString("r%1").arg(kRows - 1)));
}

TEST(WordReadersTest, TablesPastTheDocumentsCellBoundRefuseIt)
{
    QTextDocument document;
    bool complete = true;
    {
        RichTextBuilder builder(document);
        const int columns = kMaxTableColumns;
        const qint64 rows = kMaxTableCells / columns + 10;
        builder.beginTable(QList<double>(columns, 1.0));
        for (qint64 r = 0; r < rows; ++r) {
            builder.beginRow();
            for (int c = 0; c < columns; ++c) {
                builder.beginCell();
                builder.addText(QString("%1.%2").arg(r).arg(c), {});
            }
            builder.endRow();
        }
        builder.endTable();
        complete = builder.isComplete();
    }
    EXPECT_FALSE(complete);
    qint64 cells = 0;
    for (QTextTable* table : tablesOf(document.rootFrame()))
        cells += qint64(table->rows()) * table->columns();
    EXPECT_LE(cells, kMaxTableCells);
}

TEST(WordReadersTest, ACellOfMoreParagraphsThanCanBeDrawnInTimeIsRefused)
{
    // Cells past the widest table flow into its last one.
    QByteArray row = "<w:tbl><w:tr>";
    for (int c = 0; c < kMaxTableColumns + kMaxCellParagraphs; ++c)
        row += "<w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc>";
    row += "</w:tr></w:tbl>";
    QTextDocument document;
    EXPECT_FALSE(readDocxData(docx(row), document));
    // A long cell within the bound is read.
    QByteArray cell = "<w:tbl><w:tr><w:tc>" + QByteArray("<w:p><w:r><w:t>p</w:t></w:r></w:p>").repeated(kMaxCellParagraphs / 2)
                      + "</w:tc></w:tr></w:tbl>";
    EXPECT_TRUE(readDocxData(docx(cell), document));
}

TEST(WordReadersTest, AMillionCellTableIsRefusedNotLaidOutForMinutes)
{
    constexpr int kRows = 100000, kColumns = 10;
    QByteArray docxRows, rtfRows;
    docxRows.reserve(kRows * 200);
    for (int r = 0; r < kRows; ++r) {
        docxRows += "<w:tr>";
        rtfRows += "\\trowd";
        for (int c = 0; c < kColumns; ++c) {
            docxRows += "<w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc>";
            rtfRows += "\\cellx" + QByteArray::number((c + 1) * 500);
        }
        rtfRows += "\\intbl" + QByteArray("c\\cell ").repeated(kColumns) + "\\row\n";
        docxRows += "</w:tr>";
    }
    QTextDocument document;
    const QByteArray packed = docx("<w:tbl>" + docxRows + "</w:tbl>");
    EXPECT_FALSE(readDocxData(packed, document));
    EXPECT_FALSE(readRtfData("{\\rtf1\\ansi " + rtfRows + "}", document, QString()));
}

TEST(ZipPackageTest, AnEntryClaimingLessThanItInflatesToIsRefused)
{
    const QByteArray payload(3 * 1024 * 1024, 'w');
    QByteArray zip = zipBytes({{"a.xml", payload}});
    // The uncompressed size in the local header (offset 22) and in the
    // central directory (offset 24) both say 100 bytes.
    const qsizetype local = zip.indexOf("PK\x03\x04");
    const qsizetype central = zip.indexOf("PK\x01\x02");
    ASSERT_GE(local, 0);
    ASSERT_GT(central, local);
    qToLittleEndian<quint32>(100, zip.data() + local + 22);
    qToLittleEndian<quint32>(100, zip.data() + central + 24);
    std::unique_ptr<ZipPackage> package = ZipPackage::fromData(zip);
    if (package) {
        EXPECT_FALSE(package->read("a.xml").has_value());
    }
    // The same of a package's main document.
    QByteArray lying = zipBytes(testsupport::sampleDocxEntries());
    const qsizetype localName = lying.indexOf("word/document.xml");
    const qsizetype centralName = lying.indexOf("word/document.xml", lying.indexOf("PK\x01\x02"));
    ASSERT_GT(localName, 30);
    ASSERT_GT(centralName, localName);
    qToLittleEndian<quint32>(10, lying.data() + localName - 30 + 22);
    qToLittleEndian<quint32>(10, lying.data() + centralName - 46 + 24);
    QTextDocument document;
    EXPECT_FALSE(readDocxData(lying, document));
}
