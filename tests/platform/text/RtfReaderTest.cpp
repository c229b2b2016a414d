#include "platform/text/TextDefaults.h"
#include "platform/text/rtf/RtfReader.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace platform::text;
using testsupport::formatOf;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

std::unique_ptr<QTextDocument> read(const QByteArray& rtf, bool* ok = nullptr)
{
    auto document = std::make_unique<QTextDocument>();
    const bool result = readRtfData(rtf, *document, QString());
    if (ok)
        *ok = result;
    return document;
}

// A document body inside a minimal header.
std::unique_ptr<QTextDocument> readBody(const QByteArray& body)
{
    return read("{\\rtf1\\ansi " + body + "}");
}

// The text with paragraphs as '\n', keeping non-breaking spaces as they are.
QString textOf(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Lengths in the document are layout units: pixels of the default resolution.
double units(double points)
{
    return points * QImage(1, 1, QImage::Format_Mono).logicalDpiY() / 72.0;
}

QTextBlockFormat blockOf(const QTextDocument& document, const QString& word)
{
    return document.find(word).block().blockFormat();
}

QByteArray imageBytes(int width, int height, const char* format, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QList<QTextTable*> tablesOf(const QTextDocument& document)
{
    QList<QTextTable*> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            tables.append(table);
    return tables;
}

QString cellText(QTextTable* table, int row, int column)
{
    QTextCursor c = table->cellAt(row, column).firstCursorPosition();
    c.setPosition(table->cellAt(row, column).lastPosition(), QTextCursor::KeepAnchor);
    return c.selectedText();
}

} // namespace

TEST(RtfReader, TellsRtfFromOtherData)
{
    const struct {
        QByteArray data;
        bool accepted;
    } cases[] = {
        {"{\\rtf1 x}", true},
        {"\xEF\xBB\xBF{\\rtf1 x}", true},
        {" \r\n\t{\\rtf1 x}", true},
        {"{\\rtf", true}, // truncated right after the header
        {"", false},
        {"plain text", false},
        {"{\\rt", false},
        {"{rtf1 x}", false},
        {"x{\\rtf1 x}", false},
        {"{\\RTF1 x}", false},
    };
    for (const auto& c : cases) {
        bool ok = false;
        read(c.data, &ok);
        EXPECT_EQ(ok, c.accepted) << c.data.constData();
    }
}

TEST(RtfReader, RejectedDataLeavesDocumentAlone)
{
    QTextDocument document;
    document.setPlainText("kept");
    EXPECT_FALSE(readRtfData("not rtf", document, QString()));
    EXPECT_EQ(document.toPlainText(), "kept");
    EXPECT_TRUE(readRtfData("{\\rtf1 new}", document, QString()));
    EXPECT_EQ(document.toPlainText(), "new");
}

TEST(RtfReader, ReadsCharacters)
{
    const struct {
        const char* name;
        QByteArray body;
        QString text;
    } cases[] = {
        {"escapes", "a\\{b\\}c\\\\d", "a{b}c\\d"},
        {"line ends in the source are no text", "ab\r\ncd\nef", "abcdef"},
        {"control word delimiter space is eaten", "\\b x\\b0  y", "x y"},
        {"paragraphs and lines", "one\\par two\\line three", "one\ntwo\u2028three"},
        {"backslash newline is a paragraph", "one\\\ntwo", "one\ntwo"},
        {"tab", "a\\tab b", "a\tb"},
        {"named characters",
         "\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote",
         "\u2014\u2013\u2022\u2018\u2019\u201C\u201D"},
        {"symbols", "a\\~b\\-c\\_d", "a\u00A0b\u00ADc\u2011d"},
        {"unicode with one fallback", "\\u8364?x", "\u20ACx"},
        {"unicode with uc0", "\\uc0\\u8364 x", "\u20ACx"},
        {"unicode with uc2", "\\uc2\\u8364??x", "\u20ACx"},
        {"fallback given as a hex byte", "\\u233\\'e9x", "\u00E9x"},
        {"fallback given as a control word", "\\u8212\\endash x", "\u2014x"},
        {"negative values above 32767", "\\u-4064?", "\uF020"},
        {"surrogate pair", "\\u-10179?\\u-8704?", QString::fromUcs4(U"\U0001F600")},
        {"unpaired surrogate", "\\u-10179?x", "\uFFFDx"},
        {"skip count ends at a brace", "{\\uc3\\u233 a}bc", "\u00E9bc"},
        {"uc is scoped to its group", "{\\uc2 \\u233 ab}\\u233 ab", "\u00E9\u00E9b"},
        {"hex bytes in windows-1252", "\\'93hi\\'94 \\'80", "\u201Chi\u201D \u20AC"},
        {"frame and object markers dropped", "a\\u65532?b\\u-560?c\\u0?d", "abcd"},
        {"hidden text", "a{\\v hidden}b\\v c\\v0 d", "abd"},
    };
    for (const auto& c : cases) {
        const auto document = readBody(c.body);
        EXPECT_EQ(textOf(*document), c.text) << c.name;
    }
}

TEST(RtfReader, DecodesCodePages)
{
    const struct {
        const char* name;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"ansicpg 1251", "{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}", "\u0410\u0431"},
        {"mac", "{\\rtf1\\mac \\'8e\\'a5}", "\u00E9\u2022"},
        {"pc", "{\\rtf1\\pc \\'82}", "\u00E9"},
        {"pca", "{\\rtf1\\pca \\'d5}", "\u0131"},
        {"unknown code page falls back to 1252", "{\\rtf1\\ansi\\ansicpg99999 \\'80}", "\u20AC"},
        {"font charset", "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}{\\f1\\fcharset204 Arial;}}"
                         "\\f0\\'e9\\f1\\'e9}",
         "\u00E9\u0439"},
        {"font code page", "{\\rtf1\\ansi{\\fonttbl{\\f1\\cpg1253 Arial;}}\\f1\\'e1}", "\u03B1"},
        {"double-byte characters", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 Mincho;}}"
                                   "\\f0\\'82\\'a0\\'82\\'a2}",
         "\u3042\u3044"},
        {"charset 0 follows the document", "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset0 "
                                           "Arial;}}\\f0\\'9c}",
         "\u015B"},
    };
    for (const auto& c : cases) {
        const auto document = read(c.rtf);
        EXPECT_EQ(textOf(*document), c.text) << c.name;
    }
}

TEST(RtfReader, SkipsDestinationsThatAreNoText)
{
    const struct {
        const char* name;
        QByteArray body;
        QString text;
    } cases[] = {
        {"unknown ignorable", "a{\\*\\mystery hidden {nested} text}b", "ab"},
        {"info", "{\\info{\\title T}{\\author A}}body", "body"},
        {"stylesheet", "{\\stylesheet{\\s0 Normal;}{\\s1 Heading 1;}}body", "body"},
        {"header and footer", "{\\header H}{\\footerl F}body", "body"},
        {"field keeps its result",
         "{\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{link}}}", "link"},
        {"field instruction not starred", "{\\field{\\fldinst PAGE}{\\fldrslt 3}}", "3"},
        {"picture data no reader takes", "a{\\pict\\wmetafile8\\picw10\\pich10 0102ff}b", "ab"},
        {"shape picture alternatives", "a{\\*\\shppict{\\pict\\emfblip 00}}{\\nonshppict{\\pict x}}b",
         "ab"},
        {"unicode pair keeps the unicode half", "{\\upr{ansi}{\\*\\ud{uni}}}", "uni"},
        {"binary data inside skipped group", "a{\\*\\blob \\bin3 }}}b}c", "ac"},
        {"binary data in text", "a\\bin2 xyb", "ab"},
        {"list numbers are text", "{\\listtext 1.\\tab}Item", "1.\tItem"},
        {"footnote apart from the text",
         "Claim{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} Source.\\par More.}. Next", "Claim1. Next"},
        {"font and colour tables", "{\\fonttbl{\\f0 Times;}}{\\colortbl;\\red1\\green2\\blue3;}x", "x"},
    };
    for (const auto& c : cases) {
        const auto document = readBody(c.body);
        EXPECT_EQ(textOf(*document), c.text) << c.name;
    }
}

TEST(RtfReader, CharacterFormatting)
{
    const QByteArray header = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}"
                              "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern Courier;}}"
                              "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    using Check = std::function<void(const QTextCharFormat&)>;
    const struct {
        const char* name;
        QByteArray body;
        const char* word;
        Check check;
    } cases[] = {
        {"default font and size", "plain", "plain",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Helvetica");
             EXPECT_DOUBLE_EQ(f.fontPointSize(), 12);
             EXPECT_EQ(f.fontWeight(), QFont::Normal);
             EXPECT_FALSE(f.fontItalic());
         }},
        {"font and half-point size", "\\f1\\fs36 big", "big",
         [](const QTextCharFormat& f) {
             // The document's name first; its stand-in may follow.
             EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Times New Roman");
             EXPECT_EQ(f.fontStyleHint(), QFont::Serif);
             EXPECT_DOUBLE_EQ(f.fontPointSize(), 18);
         }},
        {"odd half points", "\\fs21 small", "small",
         [](const QTextCharFormat& f) { EXPECT_DOUBLE_EQ(f.fontPointSize(), 10.5); }},
        {"unknown font number uses the default", "\\f9 other", "other",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Helvetica");
         }},
        {"bold italic", "\\b\\i both\\b0  italic", "both",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.fontWeight(), QFont::Bold);
             EXPECT_TRUE(f.fontItalic());
         }},
        {"bold off", "\\b\\i both\\b0  italic", "italic",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.fontWeight(), QFont::Normal);
             EXPECT_TRUE(f.fontItalic());
         }},
        {"group restores", "{\\b inner} outer", "outer",
         [](const QTextCharFormat& f) { EXPECT_EQ(f.fontWeight(), QFont::Normal); }},
        {"underline", "\\ul under\\ulnone  none", "under",
         [](const QTextCharFormat& f) { EXPECT_TRUE(f.fontUnderline()); }},
        {"ulnone", "\\ul under\\ulnone  none", "none",
         [](const QTextCharFormat& f) { EXPECT_FALSE(f.fontUnderline()); }},
        {"ul0", "\\ul under\\ul0  zero", "zero",
         [](const QTextCharFormat& f) { EXPECT_FALSE(f.fontUnderline()); }},
        {"wave underline", "\\ulwave wavy", "wavy",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.underlineStyle(), QTextCharFormat::WaveUnderline);
         }},
        {"strike", "\\strike gone\\strike0  back", "gone",
         [](const QTextCharFormat& f) { EXPECT_TRUE(f.fontStrikeOut()); }},
        {"colours", "\\cf1\\cb2 red", "red",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.foreground().color(), QColor(255, 0, 0));
             EXPECT_EQ(f.background().color(), QColor(0, 0, 255));
         }},
        {"highlight", "\\highlight1 marked", "marked",
         [](const QTextCharFormat& f) { EXPECT_EQ(f.background().color(), QColor(255, 0, 0)); }},
        {"auto colour", "\\cf1 a\\cf0 auto", "auto",
         [](const QTextCharFormat& f) { EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush)); }},
        {"colour index out of range", "\\cf77 far", "far",
         [](const QTextCharFormat& f) { EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush)); }},
        {"superscript", "x\\super up\\nosupersub  level", "up",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.verticalAlignment(), QTextCharFormat::AlignSuperScript);
         }},
        {"subscript", "x\\sub down\\sub0  level", "down",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.verticalAlignment(), QTextCharFormat::AlignSubScript);
         }},
        {"nosupersub", "x\\super up\\nosupersub  level", "level",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.verticalAlignment(), QTextCharFormat::AlignNormal);
         }},
        {"plain resets", "\\f2\\fs40\\b\\i\\ul\\cf1 x\\plain reset", "reset",
         [](const QTextCharFormat& f) {
             EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Helvetica");
             EXPECT_DOUBLE_EQ(f.fontPointSize(), 12);
             EXPECT_EQ(f.fontWeight(), QFont::Normal);
             EXPECT_FALSE(f.fontItalic());
             EXPECT_FALSE(f.fontUnderline());
             EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush));
         }},
        {"small capitals", "\\scaps Name", "Name",
         [](const QTextCharFormat& f) { EXPECT_EQ(f.fontCapitalization(), QFont::SmallCaps); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = read(header + c.body + "}");
        c.check(formatOf(*document, c.word));
    }
}

TEST(RtfReader, FontTableForms)
{
    // Entries without groups, a missing final semicolon, an alternative name
    // and a name in the font's own code page.
    const auto document = read(
        "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Menlo;\\f1\\froman Georgia;"
        "{\\f2{\\*\\falt Alt}Palatino}{\\f3\\fcharset204 \\'c0rial;}{\\f4 \\u23435?\\u20307?;}}"
        "\\f0 a\\f1 b\\f2 c\\f3 d\\f4 e}");
    const struct {
        const char* word;
        QString family;
    } cases[] = {{"a", "Menlo"}, {"b", "Georgia"}, {"c", "Palatino"}, {"d", "\u0410rial"},
                   {"e", "\u5B8B\u4F53"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatOf(*document, c.word).fontFamilies().toStringList().value(0), c.family)
            << c.word;
}

TEST(RtfReader, DocumentWithoutFontsUsesHelvetica12)
{
    const auto document = read("{\\rtf1 text}");
    EXPECT_EQ(formatOf(*document, "text").fontFamilies().toStringList().value(0), "Helvetica");
    EXPECT_EQ(document->defaultFont().family(), "Helvetica");
    EXPECT_DOUBLE_EQ(document->defaultFont().pointSizeF(), 12);
}

TEST(RtfReader, ParagraphFormatting)
{
    using Check = std::function<void(const QTextBlockFormat&)>;
    const struct {
        const char* name;
        QByteArray body;
        const char* word;
        Check check;
    } cases[] = {
        {"centred", "\\qc mid\\par", "mid",
         [](const QTextBlockFormat& f) { EXPECT_EQ(f.alignment(), Qt::AlignHCenter); }},
        {"right", "\\qr right\\par", "right",
         [](const QTextBlockFormat& f) { EXPECT_EQ(f.alignment(), Qt::AlignRight); }},
        {"justified", "\\qj just\\par", "just",
         [](const QTextBlockFormat& f) { EXPECT_EQ(f.alignment(), Qt::AlignJustify); }},
        {"pard resets", "\\qc\\li720 a\\par\\pard b\\par", "b",
         [](const QTextBlockFormat& f) {
             EXPECT_EQ(f.alignment(), Qt::AlignLeft);
             EXPECT_DOUBLE_EQ(f.leftMargin(), 0);
         }},
        {"properties carry to next paragraph", "\\qc a\\par b\\par", "b",
         [](const QTextBlockFormat& f) { EXPECT_EQ(f.alignment(), Qt::AlignHCenter); }},
        {"last paragraph without par", "\\qr end", "end",
         [](const QTextBlockFormat& f) { EXPECT_EQ(f.alignment(), Qt::AlignRight); }},
        {"indents in twips", "\\li720\\ri360\\fi-180 ind\\par", "ind",
         [](const QTextBlockFormat& f) {
             EXPECT_DOUBLE_EQ(f.leftMargin(), units(36));
             EXPECT_DOUBLE_EQ(f.rightMargin(), units(18));
             EXPECT_DOUBLE_EQ(f.textIndent(), units(-9));
         }},
        {"spacing", "\\sb240\\sa120 sp\\par", "sp",
         [](const QTextBlockFormat& f) {
             EXPECT_DOUBLE_EQ(f.topMargin(), units(12));
             EXPECT_DOUBLE_EQ(f.bottomMargin(), units(6));
         }},
        {"line spacing at least", "\\sl360 ls\\par", "ls",
         [](const QTextBlockFormat& f) {
             EXPECT_EQ(f.lineHeightType(), QTextBlockFormat::MinimumHeight);
             EXPECT_DOUBLE_EQ(f.lineHeight(), units(18));
         }},
        {"line spacing exact", "\\sl-300 ls\\par", "ls",
         [](const QTextBlockFormat& f) {
             EXPECT_EQ(f.lineHeightType(), QTextBlockFormat::FixedHeight);
             EXPECT_DOUBLE_EQ(f.lineHeight(), units(15));
         }},
        {"line spacing multiple", "\\sl360\\slmult1 ls\\par", "ls",
         [](const QTextBlockFormat& f) {
             EXPECT_EQ(f.lineHeightType(), QTextBlockFormat::ProportionalHeight);
             EXPECT_DOUBLE_EQ(f.lineHeight(), 150);
         }},
        {"tab stops", "\\tx720\\tqr\\tx2880\\tqc\\tx4320\\tqdec\\tx5760 t\\par", "t",
         [](const QTextBlockFormat& f) {
             const QList<QTextOption::Tab> tabs = f.tabPositions();
             ASSERT_EQ(tabs.size(), 4);
             EXPECT_DOUBLE_EQ(tabs[0].position, units(36));
             EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
             EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
             EXPECT_DOUBLE_EQ(tabs[1].position, units(144));
             EXPECT_EQ(tabs[2].type, QTextOption::CenterTab);
             EXPECT_EQ(tabs[3].type, QTextOption::DelimiterTab);
             EXPECT_EQ(tabs[3].delimiter, QChar('.'));
         }},
        {"absurd indent is bounded", "\\li2000000000 far\\par", "far",
         [](const QTextBlockFormat& f) { EXPECT_LE(f.leftMargin(), units(1584)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = readBody(c.body);
        c.check(blockOf(*document, c.word));
    }
}

TEST(RtfReader, PageBreaksStartNewPages)
{
    const auto breaks = [](const QTextDocument& d, const QString& word) {
        return blockOf(d, word).pageBreakPolicy() == QTextFormat::PageBreak_AlwaysBefore;
    };
    const struct {
        const char* name;
        QByteArray body;
        const char* after;
        bool pageBreak;
    } cases[] = {
        {"page", "one\\page two", "two", true},
        {"page, not on the page before", "one\\page two", "one", false},
        {"page break before", "one\\par\\pagebb two\\par", "two", true},
        {"section starts a page by default", "one\\sect\\sectd two", "two", true},
        {"continuous section", "one\\sect\\sectd\\sbknone two", "two", false},
        {"paragraph", "one\\par two", "two", false},
    };
    for (const auto& c : cases) {
        const auto document = readBody(c.body);
        EXPECT_EQ(breaks(*document, c.after), c.pageBreak) << c.name;
    }
    // Text before the break and after it stay apart.
    EXPECT_EQ(textOf(*readBody("one\\page two")), "one\ntwo");
}

TEST(RtfReader, PageBreakLaysTextOnTheNextPage)
{
    const auto document = readBody("one\\page two");
    document->setPageSize(QSizeF(300, 400));
    EXPECT_EQ(document->pageCount(), 2);
}

// The empty paragraph after the last mark takes no page break before of the
// paragraphs' (a page of its own); a page break at the end makes one.
TEST(RtfReader, LastParagraphMarkStartsNoPage)
{
    const struct {
        const char* body;
        int pages;
    } cases[] = {{"one\\par\\pagebb two\\par", 2}, {"one\\par two\\par\\page", 2}, {"one\\par\\pagebb two", 2}};
    for (const auto& c : cases) {
        const auto document = readBody(c.body);
        document->setPageSize(QSizeF(300, 400));
        EXPECT_EQ(document->pageCount(), c.pages) << c.body;
    }
}

TEST(RtfReader, EmbeddedPictures)
{
    const QByteArray png = imageBytes(40, 20, "PNG");
    const QByteArray jpeg = imageBytes(30, 30, "JPEG");
    const struct {
        const char* name;
        QByteArray pict;
        double width;
        double height;
    } cases[] = {
        {"png hex, goal size", "{\\pict\\pngblip\\picw40\\pich20\\picwgoal1200\\pichgoal600 "
                                   + png.toHex() + "}",
         60, 30},
        {"png with line breaks in the hex", "{\\pict\\pngblip "
                                                + png.toHex().replace(16, 0, "\r\n ") + "}",
         40, 20},
        {"jpeg scaled", "{\\pict\\jpegblip\\picwgoal600\\pichgoal600\\picscalex50\\picscaley200 "
                            + jpeg.toHex() + "}",
         15, 60},
        {"binary data", "{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) + " " + png + "}",
         40, 20},
        {"only a goal width keeps the aspect", "{\\pict\\pngblip\\picwgoal1600 " + png.toHex() + "}",
         80, 40},
        {"inside a shape picture", "{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn a}{\\sv b}}}"
                                   "\\pngblip " + png.toHex() + "}}{\\nonshppict{\\pict\\wmetafile8 00}}",
         40, 20},
        // Metafiles and bitmaps as RTF keeps them, without their file headers.
        {"metafile", "{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 "
                         + testsupport::wmfBytes(QSize(1440, 720), Qt::red, std::nullopt).toHex() + "}",
         72, 36},
        {"bitmap", "{\\pict\\dibitmap0\\picwgoal800\\pichgoal400 " + testsupport::bmpBytes(QSize(40, 20)).mid(14).toHex() + "}",
         40, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = readBody("a" + c.pict + "b");
        const QList<QTextImageFormat> images = testsupport::imageFormatsOf(*document);
        ASSERT_EQ(images.size(), 1);
        EXPECT_DOUBLE_EQ(images[0].width(), units(c.width));
        EXPECT_DOUBLE_EQ(images[0].height(), units(c.height));
        const QVariant resource =
            document->resource(QTextDocument::ImageResource, QUrl(images[0].name()));
        ASSERT_TRUE(resource.canConvert<QImage>());
        EXPECT_FALSE(resource.value<QImage>().isNull());
        EXPECT_EQ(document->toPlainText(), QString("a") + QChar::ObjectReplacementCharacter + "b");
    }
}

TEST(RtfReader, PicturesEachGetTheirOwnResource)
{
    const QByteArray red = imageBytes(4, 4, "PNG", Qt::red).toHex();
    const QByteArray blue = imageBytes(4, 4, "PNG", Qt::blue).toHex();
    const auto document = readBody("{\\pict\\pngblip " + red + "}{\\pict\\pngblip " + blue + "}");
    const QList<QTextImageFormat> images = testsupport::imageFormatsOf(*document);
    ASSERT_EQ(images.size(), 2);
    ASSERT_NE(images[0].name(), images[1].name());
    const auto colour = [&](int i) {
        return document->resource(QTextDocument::ImageResource, QUrl(images[i].name()))
            .value<QImage>()
            .pixelColor(0, 0);
    };
    EXPECT_EQ(colour(0), QColor(Qt::red));
    EXPECT_EQ(colour(1), QColor(Qt::blue));
}

namespace {

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A valid PNG whose header claims another pixel size.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray png = imageBytes(2, 2, "PNG");
    const auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    };
    put32(16, width);
    put32(20, height);
    put32(29, crc32(png.mid(12, 17))); // IHDR type and data
    return png;
}

} // namespace

TEST(RtfReader, DamagedOrOversizedPicturesAreLeftOut)
{
    const struct {
        const char* name;
        QByteArray pict;
    } cases[] = {
        {"declares 30000 x 10", "{\\pict\\pngblip " + pngClaiming(30000, 10).toHex() + "}"},
        {"declares 16000 x 16000", "{\\pict\\pngblip " + pngClaiming(16000, 16000).toHex() + "}"},
        {"garbage hex", "{\\pict\\pngblip 0123456789abcdefxyz}"},
        {"truncated png", "{\\pict\\pngblip " + imageBytes(8, 8, "PNG").left(40).toHex() + "}"},
        {"no data", "{\\pict\\pngblip}"},
        {"binary count past the end", "{\\pict\\jpegblip\\bin99999999 abc}"},
        {"negative binary count", "{\\pict\\pngblip\\bin-5 abc}"},
        {"enhanced metafile, which no reader here takes", "{\\pict\\emfblip " + testsupport::emfBytes(QSize(8, 8)).toHex() + "}"},
    };
    for (const auto& c : cases) {
        bool ok = false;
        const auto document = read("{\\rtf1 a" + c.pict + "b}", &ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_TRUE(testsupport::imageFormatsOf(*document).isEmpty()) << c.name;
        EXPECT_TRUE(document->toPlainText().startsWith("a")) << c.name;
    }
}

TEST(RtfReader, TablesKeepTheirCells)
{
    const auto document = readBody(
        "Before\\par"
        "\\trowd\\cellx2000\\cellx4000\\cellx6000"
        "\\pard\\intbl A1\\cell B1\\cell\\qc C1\\cell\\row"
        "\\trowd\\cellx2000\\cellx4000\\cellx6000"
        "\\pard\\intbl A2\\cell\\cell C2\\cell\\row"
        "\\pard After\\par");
    const QList<QTextTable*> tables = tablesOf(*document);
    ASSERT_EQ(tables.size(), 1);
    QTextTable* table = tables[0];
    ASSERT_EQ(table->rows(), 2);
    ASSERT_EQ(table->columns(), 3);
    const char* expected[2][3] = {{"A1", "B1", "C1"}, {"A2", "", "C2"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(cellText(table, r, c), expected[r][c]) << r << "," << c;
    EXPECT_EQ(table->cellAt(0, 2).firstCursorPosition().blockFormat().alignment(),
              Qt::AlignHCenter);
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 3);
    EXPECT_DOUBLE_EQ(widths[0].rawValue(), units(100));
    // Text around the table stays outside it, with no empty paragraph added.
    QStringList items;
    for (QTextFrame::iterator it = document->rootFrame()->begin(); !it.atEnd(); ++it)
        items << (it.currentFrame() ? QString("<table>") : it.currentBlock().text());
    EXPECT_EQ(items, QStringList({"Before", "<table>", "After", ""}));
}

TEST(RtfReader, TableRowsWithMoreCellsThanDefinedWiden)
{
    const auto document =
        readBody("\\trowd\\cellx1000\\intbl a\\cell b\\cell c\\cell\\row\\pard x");
    const QList<QTextTable*> tables = tablesOf(*document);
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables[0]->columns(), 3);
    EXPECT_EQ(cellText(tables[0], 0, 2), "c");
}

TEST(RtfReader, TableBordersFollowTheRowDefinition)
{
    // Only the lines the row definition names are drawn, each as it says.
    const struct {
        const char* name;
        QByteArray row;
        std::array<double, 4> lines; // points: top, left, bottom, right of the first cell
        QTextFrameFormat::BorderStyle leftStyle;
    } cases[] = {
        {"no borders", "\\trowd\\cellx1000\\cellx2000", {0, 0, 0, 0}, QTextFrameFormat::BorderStyle_None},
        {"one cell line", "\\trowd\\clbrdrt\\brdrs\\brdrw10\\cellx1000\\cellx2000", {0.5, 0, 0, 0},
         QTextFrameFormat::BorderStyle_None},
        {"a named line switched off", "\\trowd\\clbrdrt\\brdrs\\brdrnone\\cellx1000\\cellx2000", {0, 0, 0, 0},
         QTextFrameFormat::BorderStyle_None},
        // A double line of 1.5-point lines takes them and the space between.
        {"row lines", "\\trowd\\trbrdrl\\brdrdb\\brdrw30\\trbrdrv\\brdrs\\cellx1000\\cellx2000", {0, 4.5, 0, 0.5},
         QTextFrameFormat::BorderStyle_Double},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = readBody(c.row + "\\intbl a\\cell b\\cell\\row");
        const QList<QTextTable*> tables = tablesOf(*document);
        ASSERT_EQ(tables.size(), 1);
        const QTextTableCellFormat f = tables[0]->cellAt(0, 0).format().toTableCellFormat();
        const double unit = platform::text::layoutUnitsPerPoint();
        const auto width = [&](double w, QTextFrameFormat::BorderStyle style) {
            return style == QTextFrameFormat::BorderStyle_None ? 0.0 : w / unit;
        };
        EXPECT_NEAR(width(f.topBorder(), f.topBorderStyle()), c.lines[0], 0.01);
        EXPECT_NEAR(width(f.leftBorder(), f.leftBorderStyle()), c.lines[1], 0.01);
        EXPECT_NEAR(width(f.bottomBorder(), f.bottomBorderStyle()), c.lines[2], 0.01);
        EXPECT_NEAR(width(f.rightBorder(), f.rightBorderStyle()), c.lines[3], 0.01);
        EXPECT_EQ(f.leftBorderStyle(), c.leftStyle);
    }
}

TEST(RtfReader, SeparateTablesStaySeparate)
{
    const auto document = readBody("\\trowd\\cellx1000\\intbl a\\cell\\row\\pard between\\par"
                                   "\\trowd\\cellx1000\\intbl b\\cell\\row\\pard");
    const QList<QTextTable*> tables = tablesOf(*document);
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(cellText(tables[0], 0, 0), "a");
    EXPECT_EQ(cellText(tables[1], 0, 0), "b");
}

TEST(RtfReader, ManyTableRowsStayOneTable)
{
    QByteArray body;
    for (int i = 0; i < 20000; ++i)
        body += "\\trowd\\cellx1000\\cellx2000\\pard\\intbl r" + QByteArray::number(i)
                + "\\cell x\\cell\\row\n";
    const auto document = readBody(body + "\\pard end");
    const QList<QTextTable*> tables = tablesOf(*document);
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables[0]->rows(), 20000);
    EXPECT_EQ(cellText(tables[0], 19999, 0), "r19999");
}

TEST(RtfReader, DamagedStructureKeepsWhatWasRead)
{
    const struct {
        const char* name;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"truncated", "{\\rtf1 Hello {\\b world", "Hello world"},
        {"truncated in a control word", "{\\rtf1 Hello\\pa", "Hello"},
        {"truncated in a hex byte", "{\\rtf1 Hello\\'e", "Hello"},
        {"truncated in a picture", "{\\rtf1 Hello{\\pict\\pngblip 89504e", "Hello"},
        {"text after the document", "{\\rtf1 in}out", "in"},
        {"extra closing braces", "{\\rtf1 a}}}b", "a"},
        {"huge parameter", "{\\rtf1 \\fs99999999999999999999 a\\u99999999999?b}", "ab"},
        {"cell outside a table", "{\\rtf1 a\\cell b\\row c}", ""},
    };
    for (const auto& c : cases) {
        bool ok = false;
        const auto document = read(c.rtf, &ok);
        EXPECT_TRUE(ok) << c.name;
        if (!c.text.isEmpty()) {
            EXPECT_EQ(textOf(*document), c.text) << c.name;
        }
    }
}

TEST(RtfReader, DeepNestingStopsReading)
{
    const QByteArray deep = "{\\rtf1 start" + QByteArray(100000, '{') + "inner"
                            + QByteArray(100000, '}') + "end}";
    bool ok = false;
    const auto document = read(deep, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(textOf(*document), "start");
    // Nesting well inside the bound reads normally.
    const QByteArray nested = "{\\rtf1 a" + QByteArray(200, '{') + "b" + QByteArray(200, '}') + "c}";
    EXPECT_EQ(textOf(*read(nested)), "abc");
}

TEST(RtfReader, RandomDamageNeverCrashes)
{
    const QByteArray png = imageBytes(3, 3, "PNG").toHex();
    const QByteArray base =
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fcharset128 M;}}"
        "{\\colortbl;\\red1\\green2\\blue3;}\\f0\\fs24 Hello \\b bold\\b0 \\u8364? "
        "\\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell\\row\\pard "
        "{\\pict\\pngblip " + png + "}\\f1\\'82\\'a0 \\page {\\*\\x y} \\par}";
    // Damaged pictures make the image decoders complain; that is expected here.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QRandomGenerator random(1234);
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = base;
        const int edits = 1 + random.bounded(8);
        for (int e = 0; e < edits; ++e) {
            const int at = random.bounded(int(damaged.size()));
            switch (random.bounded(3)) {
            case 0:
                damaged[at] = static_cast<char>(random.bounded(256));
                break;
            case 1:
                damaged.remove(at, random.bounded(20));
                break;
            default:
                damaged.insert(at, "{\\}\\'\\bin5 \\u-1\\cell\\row\\intbl"[random.bounded(30)]);
            }
        }
        QTextDocument document;
        readRtfData(damaged, document, QString());
    }
    // Random sequences of the tokens that change the reader's state.
    const char* tokens[] = {
        "{", "}", "{\\*\\x ", "\\par ", "\\page ", "\\sect ", "\\trowd ", "\\cellx500 ",
        "\\intbl ", "\\cell ", "\\row ", "\\pard ", "\\plain ", "\\b ", "\\f1 ",
        "\\fonttbl ", "\\colortbl ", ";", "\\red9 ", "\\pict ", "\\pngblip ", "89504e47",
        "\\bin4 ", "\\u-3 ", "\\uc5 ", "\\'e9", "\\'8", "text ", "\\footnote ",
        "\\upr ", "\\ud ", "\\NeXTGraphic a.png ", "\\v ", "\\tx100 ", "\\nestcell ",
        "\\fldinst ", "\\fldrslt ", "\\li-99999 ", "\\sl-1 ", "\\cf3 ", "\\deff7 ",
    };
    for (int round = 0; round < 1500; ++round) {
        // Open groups first, so that a stray brace does not end the document.
        QByteArray rtf = "{\\rtf1 " + QByteArray(40, '{');
        const int count = random.bounded(200);
        for (int t = 0; t < count; ++t)
            rtf += tokens[random.bounded(int(std::size(tokens)))];
        QTextDocument document;
        EXPECT_TRUE(readRtfData(rtf, document, QString()));
    }
    qInstallMessageHandler(previous);
}

TEST(RtfReader, LargeDocumentReadsWhole)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}}{\\colortbl;\\red255\\green0\\blue0;}";
    const QByteArray paragraph =
        "\\pard\\li360\\sa120 Lorem ipsum {\\b dolor} sit amet, \\cf1 consectetur\\cf0  "
        "adipiscing elit, sed do eiusmod tempor incididunt ut labore et dolore \\'e9 \\u8364? "
        "magna aliqua.\\par\n";
    int paragraphs = 0;
    while (rtf.size() < 2 * 1024 * 1024) {
        rtf += paragraph;
        ++paragraphs;
    }
    rtf += "{\\b Last words.}}";
    bool ok = false;
    const auto document = read(rtf, &ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(document->blockCount(), paragraphs);
    EXPECT_TRUE(document->lastBlock().text().contains("Last words."));
}

TEST(RtfReader, ReadsFiles)
{
    QTemporaryDir dir;
    const QString rtf = dir.filePath("a.rtf");
    testsupport::writeFile(rtf, "{\\rtf1 file text}");
    testsupport::writeFile(dir.filePath("b.rtf"), "just text");
    QTextDocument document;
    EXPECT_TRUE(readRtf(rtf, document));
    EXPECT_EQ(document.toPlainText(), "file text");
    EXPECT_FALSE(readRtf(dir.filePath("b.rtf"), document));
    EXPECT_FALSE(readRtf(dir.filePath("missing.rtf"), document));
    EXPECT_FALSE(readRtf(dir.path(), document));
}
