#include "platform/text/BoundedImage.h"
#include "platform/text/word/CompoundFile.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/OfficeArtPictures_p.h"
#include "platform/text/TextDefaults.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/OfficeArtFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTextList>
#include <Magick++.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace platform::text;
using testsupport::formatOf;
using testsupport::CompoundFileOptions;
using testsupport::DocBuilder;
using testsupport::sprm16;
using testsupport::sprm32;
using testsupport::sprm8;

namespace {

using Streams = QList<QPair<QString, QByteArray>>;
using Style = DocBuilder::Style;

QString textOf(const QTextDocument& document)
{
    return document.toPlainText();
}

// Field characters written as braces and a bar: {code|result}.
QString field(const char* text)
{
    QString out = QString::fromLatin1(text);
    out.replace(QLatin1Char('{'), QChar(0x13));
    out.replace(QLatin1Char('|'), QChar(0x14));
    out.replace(QLatin1Char('}'), QChar(0x15));
    return out;
}

struct Picture {
    QImage image;
    QSizeF points;
};

QList<Picture> picturesOf(QTextDocument& document)
{
    QList<Picture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QTextImageFormat image = format.toImageFormat();
            pictures.append({document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>(),
                             QSizeF(image.width(), image.height()) / layoutUnitsPerPoint()});
        }
    }
    return pictures;
}

// A document of one paragraph showing a picture from the Data stream.
QByteArray pictureDoc(const QByteArray& data)
{
    DocBuilder b;
    b.paragraph({{QString(QChar(1)), sprm8(0x0855, 1) + sprm32(0x6A03, 0)}, {"\r", {}}});
    return b.build(data);
}

QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}

// A Word 97 document of one table row of two cells, "left" and "right",
// whose row end carries rowSprms, then a paragraph.
QByteArray twoCellRow(const QByteArray& rowSprms)
{
    DocBuilder b;
    const QByteArray inTable = sprm8(0x2416, 1);
    b.paragraph({{"left\a", {}}}, inTable);
    b.paragraph({{"right\a", {}}}, inTable);
    b.paragraph({{"\a", {}}}, inTable + sprm8(0x2417, 1) + rowSprms);
    b.paragraph({{"after\r", {}}});
    return b.build({});
}

QTextTable* firstTable(QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    return nullptr;
}

} // namespace

TEST(DocReaderTest, StylesGoUnderDirectFormatting)
{
    DocBuilder b;
    const QByteArray bold = sprm8(0x0835, 1);
    b.setStyles({
                    {Style::Paragraph, 0, 0xFFF, "Normal", {}, sprm16(0x4A4F, 1) + sprm16(0x4A43, 22)},
                    {Style::Paragraph, 62, 0, "Title", sprm8(0x2403, 1), sprm16(0x4A43, 40) + bold},
                    {Style::Paragraph, 2, 0, "heading 2", {}, bold},
                    {Style::Character, 0xFFE, 4, "Emphasis", {}, sprm8(0x0836, 1) + sprm32(0x6870, 0x00208000)},
                    {Style::Character, 65, 0xFFF, "Default Paragraph Font", {}, {}},
                    {Style::Paragraph, 0xFFE, 6, "Loop A", {}, sprm8(0x0836, 1)},
                    {Style::Paragraph, 0xFFE, 5, "Loop B", {}, sprm8(0x2A3E, 1)},
                    {},
                },
                1);
    b.paragraph({{"Plain body\r", {}}});
    b.paragraph({{"Big Title\r", {}}}, {}, 1);
    b.paragraph({{"Second level ", {}},
                 {"direct off", sprm8(0x0835, 0)},
                 {"style turned over", sprm8(0x0835, 0x81)},
                 {"style kept", sprm8(0x0835, 0x80)},
                 {"\r", {}}},
                {}, 2);
    b.paragraph({{"Emphasised words", sprm16(0x4A30, 3)},
                 {" automatic colour", sprm16(0x4A30, 3) + sprm32(0x6870, 0xFF000000)},
                 {" own colour\r", sprm32(0x6870, 0x00563412)}});
    b.paragraph({{"Looped style\r", {}}}, {}, 5);
    b.paragraph({{"Empty slot\r", {}}}, {}, 7);
    b.paragraph({{"Character style as paragraph style\r", {}}}, {}, 3);
    b.paragraph({{"Outline level over style\r", {}}}, sprm8(0x2640, 9), 2);
    QTextDocument document;
    ASSERT_TRUE(readDocData(b.build({}), document));

    const struct {
        const char* words;
        double points;
        bool bold, italic, underline;
        int heading;
        Qt::Alignment alignment;
    } cases[] = {
        {"Plain body", 11, false, false, false, 0, Qt::AlignLeft},
        {"Big Title", 20, true, false, false, 0, Qt::AlignHCenter}, // no heading: istd 1 is no heading style here
        {"Second level", 11, true, false, false, 2, Qt::AlignLeft},
        {"direct off", 11, false, false, false, 2, Qt::AlignLeft},
        {"style turned over", 11, false, false, false, 2, Qt::AlignLeft},
        {"style kept", 11, true, false, false, 2, Qt::AlignLeft},
        {"Emphasised words", 11, false, true, false, 0, Qt::AlignLeft},
        {"Looped style", 10, false, true, true, 0, Qt::AlignLeft}, // no base has a size
        {"Empty slot", 11, false, false, false, 0, Qt::AlignLeft},
        {"Character style as paragraph style", 11, false, false, false, 0, Qt::AlignLeft},
        {"Outline level over style", 11, true, false, false, 0, Qt::AlignLeft},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        const QTextCharFormat f = formatOf(document, c.words);
        // Unset, the document's font holds.
        const QFont font = f.font().resolve(document.defaultFont());
        EXPECT_EQ(font.pointSizeF(), c.points);
        EXPECT_EQ(font.family(), "DejaVu Serif");
        EXPECT_EQ(f.fontWeight() >= QFont::Bold, c.bold);
        EXPECT_EQ(f.fontItalic(), c.italic);
        EXPECT_EQ(f.fontUnderline(), c.underline);
        const QTextBlockFormat block = document.find(c.words).block().blockFormat();
        EXPECT_EQ(block.headingLevel(), c.heading);
        EXPECT_EQ(block.alignment() & Qt::AlignHorizontal_Mask, c.alignment);
    }
    EXPECT_EQ(formatOf(document, "Emphasised words").foreground().color(), QColor(0, 0x80, 0x20));
    EXPECT_FALSE(formatOf(document, "automatic colour").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(formatOf(document, "own colour").foreground().color(), QColor(0x12, 0x34, 0x56));
    // What no style sets comes from the style sheet's font at ten points.
    EXPECT_EQ(document.defaultFont().family(), "DejaVu Serif");
    EXPECT_EQ(document.defaultFont().pointSizeF(), 10);
}

TEST(DocReaderTest, ReadsEveryCompoundFileLayout)
{
    const QByteArray lengths[] = {QByteArray(), QByteArray(1, 'a'), QByteArray(64, 'b'), QByteArray(65, 'c'),
                                  QByteArray(4095, 'd'), QByteArray(4096, 'e'), QByteArray(9000, 'f')};
    Streams extra;
    for (const QByteArray& bytes : lengths)
        extra.append({QStringLiteral("Extra%1").arg(bytes.size()), bytes});
    const struct {
        const char* name;
        CompoundFileOptions options;
    } cases[] = {
        {"512-byte sectors", {}},
        {"small streams in the mini stream", {9, true}},
        {"4096-byte sectors", {12, false}},
        {"4096-byte sectors and small streams", {12, true}},
        {"allocation table sectors past the header's list", {9, true, 120}},
        {"past the header's list, 4096-byte sectors", {12, true, 110}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = testsupport::compoundFile(testsupport::sampleDocStreams() + extra, c.options);
        const std::optional<CompoundFile> parsed = CompoundFile::parse(file);
        ASSERT_TRUE(parsed.has_value());
        for (const QByteArray& bytes : lengths) {
            const std::optional<QByteArray> read = parsed->stream(QStringLiteral("Extra%1").arg(bytes.size()));
            ASSERT_TRUE(read.has_value()) << bytes.size();
            EXPECT_EQ(c.options.smallStreams ? *read : read->left(bytes.size()), bytes) << bytes.size();
        }
        QTextDocument document;
        ASSERT_TRUE(readDocData(file, document));
        const QString text = textOf(document);
        for (const QString& words : testsupport::sampleWords())
            EXPECT_TRUE(text.contains(words)) << qPrintable(words);
        EXPECT_EQ(picturesOf(document).size(), 1);
    }
}

TEST(DocReaderTest, StreamsOfEmbeddedStoragesDoNotShadowTheDocument)
{
    DocBuilder embedded;
    embedded.paragraph({{"embedded words\r", {}}});
    Streams streams;
    for (const auto& [name, bytes] : embedded.streams({}))
        streams.append({"ObjectPool/_1/" + name, bytes});
    streams += testsupport::sampleDocStreams();
    const QByteArray file = testsupport::compoundFile(streams);
    QTextDocument document;
    ASSERT_TRUE(readDocData(file, document));
    EXPECT_TRUE(textOf(document).contains("Report Title"));
    EXPECT_FALSE(textOf(document).contains("embedded words"));

    // A stream only an embedded storage has is no stream of the document.
    const std::optional<CompoundFile> parsed =
        CompoundFile::parse(testsupport::compoundFile({{"ObjectPool/_1/Data", "x"}, {"WordDocument", "y"}}));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->hasStream("Data"));
    EXPECT_FALSE(parsed->stream("Data").has_value());
    EXPECT_TRUE(parsed->hasStream("WordDocument"));
}

TEST(DocReaderTest, ShowsPngAndJpegPictures)
{
    const QByteArray png = testsupport::pngBytes(QSize(30, 20), Qt::blue);
    const QByteArray jpeg = testsupport::imageBytes(QSize(30, 20), Qt::blue, "JPEG");
    const struct {
        const char* name;
        QByteArray bytes;
        quint16 type, instance;
    } cases[] = {
        {"PNG", png, 0xF01E, 0x6E0},        {"PNG, two identifiers", png, 0xF01E, 0x6E1},
        {"JPEG", jpeg, 0xF01D, 0x46A},      {"JPEG, two identifiers", jpeg, 0xF01D, 0x46B},
        {"CMYK JPEG record", jpeg, 0xF01D, 0x6E2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(pictureDoc(testsupport::docPicture(c.bytes, c.type, c.instance, 600, 400)), document));
        const QList<Picture> pictures = picturesOf(document);
        ASSERT_EQ(pictures.size(), 1);
        EXPECT_EQ(pictures[0].image.size(), QSize(30, 20));
        const QColor middle = pictures[0].image.pixelColor(15, 10);
        EXPECT_TRUE(middle.blue() > 200 && middle.red() < 40 && middle.green() < 40) << qPrintable(middle.name());
        EXPECT_NEAR(pictures[0].points.width(), 30, 0.01);
        EXPECT_NEAR(pictures[0].points.height(), 20, 0.01);
    }
}

TEST(DocReaderTest, AbsurdPictureSizesFallBackOrAreBounded)
{
    const QByteArray png = testsupport::pngBytes(QSize(30, 20), Qt::blue);
    const struct {
        const char* name;
        qint16 width, height;
        quint16 scaleX, scaleY;
        QSizeF expected; // empty: within the bounds, in proportion
    } cases[] = {
        {"scaled", 600, 400, 500, 2000, QSizeF(15, 40)},
        {"negative", -600, 400, 1000, 1000, QSizeF(30, 20)},
        {"zero", 600, 0, 1000, 1000, QSizeF(30, 20)},
        {"largest sides and scales", 32767, 32767, 65535, 65535, QSizeF()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(
            pictureDoc(testsupport::docPicture(png, 0xF01E, 0x6E0, c.width, c.height, c.scaleX, c.scaleY)), document));
        const QList<Picture> pictures = picturesOf(document);
        ASSERT_EQ(pictures.size(), 1);
        const QSizeF size = pictures[0].points;
        ASSERT_TRUE(std::isfinite(size.width()) && std::isfinite(size.height()));
        if (!c.expected.isEmpty()) {
            EXPECT_NEAR(size.width(), c.expected.width(), 0.01);
            EXPECT_NEAR(size.height(), c.expected.height(), 0.01);
        } else {
            EXPECT_GT(size.width(), 0);
            EXPECT_LE(size.width(), kMaxPictureSide + 0.01);
            EXPECT_NEAR(size.width(), size.height(), 0.01);
        }
    }
}

TEST(DocReaderTest, FieldsShowOnlyTheirResults)
{
    QString deep;
    for (int i = 0; i < 70; ++i)
        deep += QChar(0x13);
    deep += "deep code";
    for (int i = 0; i < 70; ++i)
        deep += QChar(0x15);
    const struct {
        const char* name;
        QString text;
        const char* expected;
    } cases[] = {
        {"plain field", field("a{PAGE|7}b"), "a7b"},
        {"field in a result", field("a{HYPERLINK x|b{PAGE|7}c}d"), "ab7cd"},
        {"field in the code", field("{IF {PAGE|1} = 1 yes|yes}"), "yes"},
        {"field without result", field("{TOC}after"), "after"},
        {"nested past the depth bound", field("{OUTER ") + deep + field(" more code|result}after"), "resultafter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocBuilder b;
        b.paragraph({{c.text + "\r", {}}});
        b.paragraph({{"next paragraph\r", {}}});
        QTextDocument document;
        ASSERT_TRUE(readDocData(b.build({}), document));
        EXPECT_EQ(textOf(document), QString::fromLatin1(c.expected) + "\nnext paragraph");
    }
}

TEST(DocReaderTest, SectionMarksBreakThePageOnlyBeforeANewPageSection)
{
    // Three sections: "one", "two", "three"; a mark breaks the page when the
    // section after it starts on a new page, which it does unless it says not.
    const struct {
        const char* name;
        int second, third; // how the sections after the marks start
        QList<bool> breakBefore;
    } cases[] = {
        {"continuous then new page", 0, 2, {false, false, true}},
        {"new page then continuous", 2, 0, {false, true, false}},
        {"no properties: new pages", -1, -1, {false, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocBuilder b;
        b.paragraph({{QStringLiteral("one\f"), {}}});
        b.paragraph({{QStringLiteral("two\f"), {}}});
        b.paragraph({{QStringLiteral("three\r"), {}}});
        b.setSections({{4, 2}, {8, c.second}, {14, c.third}});
        QTextDocument document;
        ASSERT_TRUE(readDocData(b.build({}), document));
        QStringList texts;
        QList<bool> breaks;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.text().isEmpty())
                continue;
            texts << block.text();
            breaks << bool(block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
        }
        EXPECT_EQ(texts, QStringList({"one", "two", "three"}));
        EXPECT_EQ(breaks, c.breakBefore);
    }
}

TEST(DocReaderTest, BinTablesNamingOnePageManyTimesReadItOnce)
{
    // With each naming of the page read again, this document would hold
    // some thirty million runs.
    DocBuilder b;
    QList<DocBuilder::Run> runs{{"B", sprm8(0x0835, 1)}};
    for (int i = 0; i < 78; ++i)
        runs.append(DocBuilder::Run{"x", {}});
    runs.append(DocBuilder::Run{"\r", {}});
    b.paragraph(runs);
    b.setBinTableRepeats(400000);
    QTextDocument document;
    ASSERT_TRUE(readDocData(b.build({}, {12, false}), document));
    EXPECT_EQ(textOf(document), "B" + QString(78, 'x'));
    EXPECT_EQ(formatOf(document, "B").fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(document, "x").fontWeight(), QFont::Bold);
}

TEST(DocReaderTest, ManyListsAndListItemsFindTheirFormats)
{
    // An item per list, each looked up through every list, would take a
    // billion steps here.
    constexpr int kLists = 32767;
    QList<DocBuilder::List> lists;
    for (int i = 0; i < kLists; ++i)
        lists.append(DocBuilder::List{quint32(0x10000 + i), quint8(i == 0 ? 4 : i == kLists - 1 ? 2 : 23)});
    DocBuilder b;
    b.setLists(lists);
    for (int i = 0; i < kLists; ++i)
        b.paragraph({{QStringLiteral("item %1\r").arg(i + 1), {}}}, sprm16(0x460B, quint16(i + 1)));
    QTextDocument document;
    ASSERT_TRUE(readDocData(b.build({}), document));
    const struct {
        const char* words;
        const char16_t* label;
    } cases[] = {
        {"item 1", u"a.\t"},
        {"item 2", u"\u2022\t"},
        {"item 32767", u"i.\t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        const QTextCursor found = document.find(c.words, 0, QTextDocument::FindWholeWords);
        const QTextBlock block = found.block();
        ASSERT_NE(block.textList(), nullptr);
        EXPECT_EQ(block.text().left(found.selectionStart() - block.position()), QString::fromUtf16(c.label));
    }
}

TEST(DocReaderTest, TableRowsDrawTheLinesAndShadingTheyDefine)
{
    const auto brc80 = [](int eighths, int type, int ico) {
        return QByteArray(1, char(eighths)) + char(type) + char(ico) + char(0);
    };
    // Two cells 144 and 72 points wide; the first draws a red line of one
    // point below, the second is centred; the table's top line is thin.
    QByteArray cells = QByteArray(1, char(2)) + le16(0) + le16(2880) + le16(4320);
    cells += le16(0) + le16(2880) + QByteArray(4, '\0') + QByteArray(4, '\0') + brc80(8, 1, 6) + QByteArray(4, '\0');
    cells += le16(1 << 7) + le16(1440) + QByteArray(16, '\0');
    const QByteArray definition = le16(0xD608) + le16(int(cells.size()) + 1) + cells;
    QByteArray lines = QByteArray(1, char(24)) + brc80(4, 1, 1);
    lines += QByteArray(20, '\0');
    const QByteArray tableLines = le16(0xD605) + lines;
    QByteArray shading = QByteArray(1, char(20)) + QByteArray(4, '\0') + QByteArray("\x00\x00\x00\xFF", 4)
                         + QByteArray(2, '\0') + QByteArray(4, '\0') + QByteArray("\xFF\xFF\x00\x00", 4)
                         + QByteArray(2, '\0');
    const QByteArray cellShading = le16(0xD612) + shading;

    QTextDocument document;
    ASSERT_TRUE(readDocData(twoCellRow(definition + tableLines + cellShading), document));
    QTextTable* table = firstTable(document);
    ASSERT_NE(table, nullptr);
    const double unit = platform::text::layoutUnitsPerPoint();
    const QTextTableCellFormat left = table->cellAt(0, 0).format().toTableCellFormat();
    const QTextTableCellFormat right = table->cellAt(0, 1).format().toTableCellFormat();
    EXPECT_NEAR(left.bottomBorder(), 1 * unit, 0.01);
    EXPECT_EQ(left.bottomBorderBrush().color(), QColor(Qt::red));
    EXPECT_NEAR(left.topBorder(), 0.5 * unit, 0.01);
    EXPECT_EQ(left.rightBorderStyle(), QTextFrameFormat::BorderStyle_None);
    EXPECT_EQ(right.background().color(), QColor(Qt::yellow));
    EXPECT_EQ(right.verticalAlignment(), QTextCharFormat::AlignMiddle);
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_NEAR(widths[0].rawValue(), 144 * unit, 0.01);
    EXPECT_NEAR(widths[1].rawValue(), 72 * unit, 0.01);
}

TEST(DocReaderTest, DeletedTextOfTrackedChangesIsNotPrinted)
{
    DocBuilder b;
    b.paragraph({{"kept ", {}}, {"deleted ", sprm8(0x0800, 1)}, {"end\r", {}}});
    QTextDocument document;
    ASSERT_TRUE(readDocData(b.build({}), document));
    EXPECT_EQ(textOf(document), "kept end");
}

namespace {

// A paragraph with a picture between words, from the Data stream data.
QByteArray wordsAroundPicture(const QByteArray& data, const Streams& more = {})
{
    DocBuilder b;
    b.paragraph({{"before ", {}}, {QString(QChar(1)), sprm8(0x0855, 1) + sprm32(0x6A03, 0)}, {" after\r", {}}});
    return testsupport::compoundFile(b.streams(data) + more);
}

QByteArray storedPicture(const QByteArray& record, qint16 width = 600, qint16 height = 400)
{
    return testsupport::docPictureData(testsupport::officeArtStoreEntry(record), width, height);
}

} // namespace

TEST(DocReaderTest, ShowsInlinePicturesOfEveryReadableFormat)
{
    using namespace testsupport;
    const QByteArray png = pngBytes(QSize(30, 20), Qt::blue);
    const QByteArray indexedBmp = indexedBmpBytes(QSize(30, 20), QColor(200, 30, 60));
    // The shape naming the second of two store entries, the first broken.
    const QByteArray named = officeArtShape({.kind = 75, .properties = {{kPictureProperty, 2}}})
                             + officeArtStoreEntry(officeArtBitmap(kOfficeArtPng, 0x6E0, "\x89PNG broken"))
                             + officeArtStoreEntry(officeArtBitmap(kOfficeArtPng, 0x6E0, png));
    const struct {
        const char* name;
        QByteArray data;
        QColor colour; // invalid: no picture
    } cases[] = {
        {"device-independent bitmap", storedPicture(officeArtBitmap(kOfficeArtDib, 0x7A8, bmpBytes(QSize(30, 20)).mid(14))),
         QColor(10, 20, 30)},
        {"bitmap with a palette", storedPicture(officeArtBitmap(kOfficeArtDib, 0x7A9, indexedBmp.mid(14))),
         QColor(200, 30, 60)},
        {"tiff", storedPicture(officeArtBitmap(kOfficeArtTiff, 0x6E4, tiffPagesBytes({QSize(30, 20)}))), QColor(40, 40, 40)},
        {"picture record outside a store entry", docPictureData(officeArtBitmap(kOfficeArtPng, 0x6E0, png), 600, 400),
         Qt::blue},
        {"the entry the shape names", docPictureData(named, 600, 400), Qt::blue},
        {"wmf", storedPicture(officeArtMetafile(kOfficeArtWmf, 0x216, wmfBytes(QSize(300, 200), QColor(0, 128, 0), std::nullopt),
                                                QRect(0, 0, 300, 200), QSize(381000, 254000))),
         QColor(0, 128, 0)},
        // No reader here draws EMF: the picture is left out, the text kept.
        {"emf", storedPicture(officeArtMetafile(kOfficeArtEmf, 0x3D4, QByteArray(" EMF", 4).repeated(20), QRect(0, 0, 30, 20),
                                                QSize(381000, 254000))),
         QColor()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(wordsAroundPicture(c.data), document));
        EXPECT_EQ(textOf(document).remove(QChar::ObjectReplacementCharacter), "before  after");
        const QList<Picture> pictures = picturesOf(document);
        ASSERT_EQ(pictures.size(), c.colour.isValid() ? 1 : 0);
        if (pictures.isEmpty())
            continue;
        const QImage& image = pictures[0].image;
        EXPECT_NEAR(double(image.width()) / image.height(), 1.5, 0.05);
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), c.colour.rgb());
        EXPECT_NEAR(pictures[0].points.width(), 30, 0.01);
    }
}

TEST(DocReaderTest, PictureRecordsReachingPastTheirBoundsAreLeftOut)
{
    using namespace testsupport;
    const QByteArray png = officeArtBitmap(kOfficeArtPng, 0x6E0, pngBytes(QSize(30, 20), Qt::blue));
    QByteArray descriptorPastTheStream = storedPicture(png);
    descriptorPastTheStream.replace(0, 4, le32(0x7FFFFFFF));
    QByteArray recordPastItsEntry = png;
    recordPastItsEntry.replace(4, 4, le32(quint32(png.size())));
    const QByteArray wmf = wmfBytes(QSize(300, 200), Qt::blue, std::nullopt);
    QByteArray storedPastTheRecord = officeArtMetafile(kOfficeArtWmf, 0x216, wmf, QRect(0, 0, 300, 200), QSize(381000, 254000));
    storedPastTheRecord.replace(8 + 16 + 28, 4, le32(0x7FFFFFFF));
    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"descriptor past the stream", descriptorPastTheStream},
        {"picture record past its store entry", storedPicture(recordPastItsEntry)},
        {"picture record past its descriptor", docPictureData(png.left(18), 600, 400)},
        {"metafile's stored size past its record", storedPicture(storedPastTheRecord)},
        {"metafile inflating past its size",
         storedPicture(officeArtMetafile(kOfficeArtWmf, 0x216, wmf, QRect(0, 0, 300, 200), QSize(381000, 254000), true,
                                         quint32(wmf.size() / 2)))},
        {"metafile not deflated as it says",
         storedPicture(officeArtMetafile(kOfficeArtWmf, 0x216, wmf, QRect(0, 0, 300, 200), QSize(381000, 254000), true)
                           .replace(8 + 16 + 34, 2, "\xff\xff"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(wordsAroundPicture(c.data), document));
        EXPECT_EQ(textOf(document), "before  after");
        EXPECT_TRUE(picturesOf(document).isEmpty());
    }
}

TEST(DocReaderTest, EmbeddedObjectsShowTheirPresentationPicture)
{
    using namespace testsupport;
    // An object's field: its code, then the object's mark (its storage in
    // the object pool) holding the picture that presents it.
    DocBuilder b;
    b.paragraph({{field("before {EMBED Package|"), {}},
                 {QString(QChar(1)), sprm8(0x0855, 1) + sprm8(0x0856, 1) + sprm32(0x680E, 1234) + sprm32(0x6A03, 0)},
                 {field("} after\r"), {}}});
    const Streams objectPool = {{"ObjectPool/_1234/\001Ole", QByteArray(20, '\0')},
                                {"ObjectPool/_1234/CONTENTS", QByteArray("object's own data")}};
    const QByteArray data = storedPicture(officeArtBitmap(kOfficeArtPng, 0x6E0, pngBytes(QSize(30, 20), Qt::blue)));
    QTextDocument document;
    ASSERT_TRUE(readDocData(compoundFile(b.streams(data) + objectPool), document));
    EXPECT_EQ(textOf(document).remove(QChar::ObjectReplacementCharacter), "before  after");
    const QList<Picture> pictures = picturesOf(document);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures[0].image.pixelColor(15, 10), QColor(Qt::blue));
}

TEST(DocReaderTest, PictureRecordsBecomeFilesImageMagickReads)
{
    using namespace testsupport;
    Magick::InitializeMagick(nullptr);
    const QColor green(0, 128, 0);
    const QByteArray wmf = wmfBytes(QSize(300, 200), green, std::nullopt);
    // Bounds in the metafile's units over a display size of 1.5 by 1 inch.
    const QSize emus(1371600, 914400);
    const QByteArray indexedBmp = indexedBmpBytes(QSize(30, 20), green);
    const struct {
        const char* name;
        QByteArray record;
        const char* magick;
        QByteArray body; // what the file holds after the header it is given
    } cases[] = {
        {"deflated metafile", officeArtMetafile(kOfficeArtWmf, 0x216, wmf, QRect(0, 0, 300, 200), emus), "WMF", wmf},
        {"metafile stored as it is, two identifiers",
         officeArtMetafile(kOfficeArtWmf, 0x217, wmf, QRect(0, 0, 300, 200), emus, false), "WMF", wmf},
        {"metafile bounds past the header's range",
         officeArtMetafile(kOfficeArtWmf, 0x216, wmf, QRect(0, 0, 70000, 200), emus), "WMF", wmf},
        // ImageMagick finds a bitmap's pixels where its file header says.
        {"bitmap with a palette", officeArtBitmap(kOfficeArtDib, 0x7A8, indexedBmp.mid(14)), "BMP3", indexedBmp.mid(14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray data = c.record;
        const auto record = officeArtRecordAt(data, 0, data.size());
        ASSERT_TRUE(record.has_value());
        const std::optional<QByteArray> file = officeArtImageFile({&data, *record});
        ASSERT_TRUE(file.has_value());
        EXPECT_TRUE(file->endsWith(c.body));
        // ImageMagick knows the file by the header it was given alone.
        Magick::Image image;
        ASSERT_NO_THROW(image.read(Magick::Blob(file->constData(), size_t(file->size()))));
        EXPECT_EQ(image.magick(), c.magick);
        ASSERT_GT(image.rows(), 0u);
        EXPECT_NEAR(double(image.columns()) / image.rows(), 1.5, 0.05);
        const Magick::ColorRGB middle = image.pixelColor(image.columns() / 2, image.rows() / 2);
        EXPECT_NEAR(middle.green(), 128 / 255.0, 0.02);
        EXPECT_NEAR(middle.red(), 0, 0.02);
    }
}

// Cell margins come from the row's half gap between cells, its default
// margins and each cell's own, over Word's 5.4 points.
TEST(DocReaderTest, TableCellsTakeTheMarginsTheirRowsGive)
{
    // First cell, limit, edges (top 1, left 2, bottom 4, right 8), unit 3 (twips), width.
    const auto margins = [&](int code, int from, int to, int edges, int twips) {
        return le16(code) + char(6) + char(from) + char(to) + char(edges) + char(3) + le16(twips);
    };
    QByteArray cells = QByteArray(1, char(2)) + le16(0) + le16(2880) + le16(4320) + QByteArray(40, '\0');
    const QByteArray definition = le16(0xD608) + le16(int(cells.size()) + 1) + cells;
    const struct {
        const char* name;
        QByteArray sprms;
        double firstLeft, firstTop, secondLeft; // points
    } cases[] = {
        {"none given", {}, 5.4, 0, 5.4},
        {"half the gap between cells", le16(0x9602) + le16(57), 2.85, 0, 2.85},
        {"the table's margins", margins(0xD634, 0, 2, 0x0F, 28), 1.4, 1.4, 1.4},
        {"a cell's own over the table's", margins(0xD634, 0, 2, 0x0F, 28) + margins(0xD632, 1, 2, 0x02, 200), 1.4,
         1.4, 10},
        {"a unit other than twips", margins(0xD634, 0, 2, 0x0F, 28).replace(char(3), char(2)), 5.4, 0, 5.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(twoCellRow(definition + c.sprms), document));
        QTextTable* table = firstTable(document);
        ASSERT_NE(table, nullptr);
        const double unit = platform::text::layoutUnitsPerPoint();
        const QTextTableCellFormat first = table->cellAt(0, 0).format().toTableCellFormat();
        const QTextTableCellFormat second = table->cellAt(0, 1).format().toTableCellFormat();
        EXPECT_NEAR(first.leftPadding(), c.firstLeft * unit, 0.01);
        EXPECT_NEAR(first.topPadding(), c.firstTop * unit, 0.01);
        EXPECT_NEAR(second.leftPadding(), c.secondLeft * unit, 0.01);
    }
}
