// Fonts of word-processing documents: theme fonts, document defaults and the
// default paragraph style, and the metric-compatible stand-ins of fonts this
// machine lacks.
#include "platform/text/FontFamilies.h"
#include "platform/text/SymbolFonts.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/word/WordTheme.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QFontInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform::text;
using testsupport::formatOf;

namespace {

const char* const kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// A DOCX of the samples' parts with styles, a theme part (none when empty)
// and a body of the test's own.
QByteArray docxWith(const QByteArray& styles, const QByteArray& themePart, const QByteArray& body)
{
    auto entries = testsupport::docxEntriesWithBody(body);
    for (auto& [name, bytes] : entries) {
        if (name == u"word/styles.xml")
            bytes = QByteArray("<w:styles xmlns:w=\"") + kW + "\">" + styles + "</w:styles>";
        else if (name == u"word/_rels/document.xml.rels")
            bytes.replace("</Relationships>",
                          R"(<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme" Target="theme/theme1.xml"/></Relationships>)");
    }
    if (!themePart.isEmpty())
        entries.append({QStringLiteral("word/theme/theme1.xml"), themePart});
    return testsupport::zipBytes(entries);
}

QString drawnFamily(const QTextDocument& document, const QString& words)
{
    QFont font = formatOf(document, words).font();
    font = font.resolve(document.defaultFont());
    return QFontInfo(font).family();
}

} // namespace

TEST(WordFontsTest, ThemeFontsDefaultsAndTheNormalStyleReachEveryParagraph)
{
    const QByteArray styles = R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi" w:ascii="Courier New"/><w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:after="200"/></w:pPr><w:rPr><w:sz w:val="24"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:basedOn w:val="Normal"/><w:rPr><w:rFonts w:asciiTheme="majorHAnsi" w:hAnsiTheme="majorHAnsi"/><w:sz w:val="32"/></w:rPr></w:style>)";
    const QByteArray body = R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>heading words</w:t></w:r></w:p>
<w:p><w:r><w:t>body words</w:t></w:r></w:p>
<w:p><w:r><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/></w:rPr><w:t>arial words</w:t></w:r></w:p>
<w:p><w:r><w:rPr><w:rFonts w:ascii="Times New Roman"/></w:rPr><w:t>times words</w:t></w:r></w:p>)";
    const struct {
        const char* name;
        QByteArray theme;
        const char* heading;
        const char* body;
    } cases[] = {
        {"theme", testsupport::docxTheme("Cambria", "Calibri"), "Caladea", "Carlito"},
        // Without a readable theme the family beside the theme reference holds.
        {"damaged theme", "<a:theme><a:themeElements", "Liberation Mono", "Liberation Mono"},
        {"no theme part", {}, "Liberation Mono", "Liberation Mono"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docxWith(styles, c.theme, body), document));
        EXPECT_EQ(drawnFamily(document, "heading words"), c.heading);
        EXPECT_EQ(drawnFamily(document, "body words"), c.body);
        EXPECT_EQ(drawnFamily(document, "arial words"), "Liberation Sans");
        EXPECT_EQ(drawnFamily(document, "times words"), "Liberation Serif");
        // The document's own names come first, for whoever reads the formats.
        EXPECT_EQ(formatOf(document, "arial words").fontFamilies().toStringList().value(0), "Arial");
        EXPECT_EQ(formatOf(document, "body words").fontPointSize(), 12);
        EXPECT_EQ(formatOf(document, "heading words").fontPointSize(), 16);
        const QTextBlock body = document.find("body words").block();
        EXPECT_NEAR(body.blockFormat().bottomMargin(), 10 * layoutUnitsPerPoint(), 0.01)
            << "200 twips of the Normal style";
    }
}

TEST(WordFontsTest, MetricCompatibleStandIns)
{
    const struct {
        const char* family;
        const char* standIn;
    } cases[] = {
        {"Calibri", "Carlito"},
        {"Cambria", "Caladea"},
        {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"DejaVu Sans", ""}, // installed: no stand-in
        {"No Such Font At All", ""}, // a fallback of any shape is no stand-in
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.family);
        EXPECT_EQ(metricCompatibleFamily(c.family), c.standIn);
    }
    EXPECT_EQ(documentFontFamilies("Calibri"), QStringList({"Calibri", "Carlito"}));
    EXPECT_EQ(documentFontFamilies("DejaVu Sans"), QStringList({"DejaVu Sans"}));
}

// A library that releases fontconfig's configuration without having taken it
// (ImageMagick does, once, for a metafile's text) must not make the next
// look-up read the whole configuration and every font cache again. Checked
// in a process of its own: tests run before may have made that release.
TEST(WordFontsTest, LookUpsKeepTheConfigurationALibraryReleases)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto releaseOnce = [] {
        if (metricCompatibleFamily("Cambria") != "Caladea")
            std::_Exit(2);
        FcConfig* config = FcConfigGetCurrent();
        if (!FcConfigSetRescanInterval(config, 12345)) // marks this configuration
            std::_Exit(3);
        FcConfigDestroy(config);
        if (FcConfigGetRescanInterval(nullptr) != 12345)
            std::_Exit(4); // the configuration was freed and read again
        std::_Exit(metricCompatibleFamily("Courier New") == "Liberation Mono" ? 0 : 5);
    };
    EXPECT_EXIT(releaseOnce(), ::testing::ExitedWithCode(0), "");
}

TEST(WordFontsTest, ThemeFontReferences)
{
    const std::optional<ThemeFonts> fonts = readThemeFonts(testsupport::docxTheme("Major Face", "Minor Face"));
    ASSERT_TRUE(fonts);
    EXPECT_EQ(fonts->family(u"majorHAnsi"), "Major Face");
    EXPECT_EQ(fonts->family(u"majorAscii"), "Major Face");
    EXPECT_EQ(fonts->family(u"minorHAnsi"), "Minor Face");
    EXPECT_EQ(fonts->family(u"minorEastAsia"), "");
    EXPECT_EQ(fonts->family(u"minorOther"), "");
    EXPECT_EQ(fonts->family(u""), "");
    EXPECT_FALSE(readThemeFonts("<a:theme><a:fontScheme>"));
}

TEST(WordFontsTest, SymbolFontCharactersBecomeWhatTheyDraw)
{
    const struct {
        const char* family;
        char32_t code;
        const char16_t* text; // null: not mapped
    } cases[] = {
        {"Symbol", 0xF0B7, u"\u2022"}, {"Symbol", 0xB7, u"\u2022"},   {"Symbol", 0x61, u"\u03B1"},
        {"Wingdings", 0xF0FC, u"\u2713"}, {"Wingdings", 0x76, u"\u2756"}, {"wingdings", 0xD8, u"\u27A2"},
        {"Wingdings", 0xA7, u"\u25AA"}, {"Wingdings", 0x20, nullptr},    {"Arial", 0xB7, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + std::to_string(c.code));
        const std::optional<QString> mapped = symbolFontCharacter(c.family, c.code);
        if (c.text)
            EXPECT_EQ(mapped.value_or("(none)"), QString::fromUtf16(c.text));
        else
            EXPECT_FALSE(mapped);
    }
    // A run in a symbol font and a symbol element, in the paragraph's font.
    const QByteArray body = R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Wingdings" w:hAnsi="Wingdings"/></w:rPr><w:t>&#xF0FC;</w:t></w:r><w:r><w:sym w:font="Symbol" w:char="F061"/></w:r><w:r><w:t xml:space="preserve"> done</w:t></w:r></w:p>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWith({}, {}, body), document));
    EXPECT_TRUE(document.toPlainText().startsWith(QString::fromUtf16(u"\u2713\u03B1 done")))
        << qPrintable(document.toPlainText());
    EXPECT_FALSE(formatOf(document, QString::fromUtf16(u"\u2713")).fontFamilies().toStringList().contains("Wingdings"));
}

TEST(WordFontsTest, RtfSymbolFontBytesAreGlyphCodes)
{
    // 0x9F is a bullet in Wingdings, not the code page's capital Y with diaeresis.
    const QByteArray rtf = R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}{\f2\fcharset2 Wingdings;}}
{\f1\'b7}\tab{\f2\'9f\'fc} listed\par})";
    QTextDocument document;
    ASSERT_TRUE(readRtfData(rtf, document, {}));
    EXPECT_EQ(document.toPlainText().trimmed(), QString::fromUtf16(u"\u2022\t\u2022\u2713 listed"));
    EXPECT_EQ(formatOf(document, QString::fromUtf16(u"\u2713")).fontFamilies().toStringList().value(0), "Arial");
}

TEST(WordFontsTest, PrintedTextReadsBackWithoutLigatures)
{
    // Carlito joins "tt", "ft" and "ti"; the joined glyphs would read back
    // from the PDF as nothing.
    const QByteArray body = R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri"/></w:rPr><w:t>https soft office affix notification</w:t></w:r></w:p>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWith({}, {}, body), document));
    QTemporaryDir dir;
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    ASSERT_TRUE(printToPDF(document, settings, dir.filePath("out.pdf")));
    const auto facts = testsupport::inspectPdf(dir.filePath("out.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageTexts.value(0).simplified(), "https soft office affix notification");
}
