// Paragraphs of word-processing documents as a word processor spaces and
// draws them: spacing before and after adding up, contextual spacing,
// border lines and rules, and dotted tab leaders in a contents page.
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace platform::text;

namespace {

const char* const kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

QByteArray docxWithStyles(const QByteArray& styles, const QByteArray& body)
{
    auto entries = testsupport::docxEntriesWithBody(body);
    for (auto& [name, bytes] : entries)
        if (name == u"word/styles.xml")
            bytes = QByteArray("<w:styles xmlns:w=\"") + kW + "\">" + styles + "</w:styles>";
    return testsupport::zipBytes(entries);
}

QByteArray paragraph(const char* words, const QByteArray& properties = {})
{
    return "<w:p><w:pPr>" + properties + "</w:pPr><w:r><w:t xml:space=\"preserve\">" + words + "</w:t></w:r></w:p>";
}

QTextBlockFormat blockOf(QTextDocument& document, const char* words)
{
    return document.find(words).block().blockFormat();
}

const QByteArray kStyles = R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:before="120" w:after="200"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="ListParagraph"><w:basedOn w:val="Normal"/><w:pPr><w:ind w:left="720"/><w:contextualSpacing/></w:pPr></w:style>)";

} // namespace

TEST(WordParagraphsTest, ContextualSpacingLeavesOutSpaceBetweenParagraphsOfOneStyle)
{
    const QByteArray body = paragraph("first") + paragraph("second")
                            + paragraph("listed one", R"(<w:pStyle w:val="ListParagraph"/>)")
                            + paragraph("listed two", R"(<w:pStyle w:val="ListParagraph"/>)")
                            + paragraph("after the list");
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(kStyles, body), document));
    const double unit = layoutUnitsPerPoint();
    const struct {
        const char* words;
        double top, bottom; // points, as laid out
    } cases[] = {
        {"first", 6, 10},
        {"second", 6, 10},
        {"listed one", 6, 0},      // contextual: nothing after it before one of its style
        {"listed two", 0, 10},     // nor before it after one
        {"after the list", 6, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        EXPECT_NEAR(blockOf(document, c.words).topMargin(), c.top * unit, 0.01);
        EXPECT_NEAR(blockOf(document, c.words).bottomMargin(), c.bottom * unit, 0.01);
    }
}

TEST(WordParagraphsTest, BordersAndLeadersAreDrawn)
{
    const QByteArray body =
        paragraph("boxed words", R"(<w:pBdr><w:top w:val="single" w:sz="8" w:color="FF0000"/><w:left w:val="single" w:sz="8" w:color="FF0000"/><w:bottom w:val="double" w:sz="8" w:color="FF0000"/><w:right w:val="nil"/></w:pBdr>)")
        + paragraph("Chapter one\t7", R"(<w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9000"/></w:tabs><w:ind w:left="440"/>)")
        + paragraph("Chapter two\t12", R"(<w:tabs><w:tab w:val="right" w:pos="9000"/></w:tabs>)");
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(kStyles, body), document));
    const std::array<BorderLine, 4> lines = paragraphBorders(blockOf(document, "boxed words"));
    EXPECT_NEAR(lines[EdgeTop].width, 1, 1e-9);
    EXPECT_EQ(lines[EdgeTop].color, QColor(Qt::red));
    EXPECT_EQ(lines[EdgeBottom].style, QTextFrameFormat::BorderStyle_Double);
    EXPECT_FALSE(lines[EdgeRight].visible());
    // The stop is measured from where the indented line starts.
    const QTextBlockFormat entry = blockOf(document, "Chapter one");
    ASSERT_EQ(entry.tabPositions().size(), 1);
    EXPECT_NEAR(entry.tabPositions()[0].position, (450 - 22) * layoutUnitsPerPoint(), 0.01);
    ASSERT_EQ(tabLeaders(entry).size(), 1);
    EXPECT_EQ(tabLeaders(entry)[0].fill, QLatin1Char('.'));

    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    ASSERT_TRUE(printToPDF(document, settings, pdf));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts);
    const QString text = facts->pageTexts.value(0);
    // Dots lead from the entry to its page number, and only where asked.
    EXPECT_TRUE(text.contains(QRegularExpression("Chapter one ?\\.{20,} ?7"))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QRegularExpression("Chapter two ?\\.{3,}"))) << qPrintable(text);
    const QImage page = testsupport::renderPdfPage(pdf, 0, 72);
    int red = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < page.width(); ++x)
            red += QColor(page.pixel(x, y)).red() > 200 && QColor(page.pixel(x, y)).green() < 80;
    EXPECT_GT(red, 300) << "the box's red lines";
}

TEST(WordParagraphsTest, TrackedChangesPrintAsAccepted)
{
    const QByteArray deletedMark = R"(<w:rPr><w:del w:id="9" w:author="a" w:date="2020-01-01T00:00:00Z"/></w:rPr>)";
    const QByteArray numbered = R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>)";
    const QByteArray body =
        R"(<w:p><w:r><w:t xml:space="preserve">kept </w:t></w:r><w:ins w:id="1"><w:r><w:t xml:space="preserve">inserted </w:t></w:r></w:ins><w:del w:id="2"><w:r><w:delText>removed </w:delText></w:r></w:del><w:r><w:t>end</w:t></w:r></w:p>)"
        + paragraph("first item", numbered) + "<w:p><w:pPr>" + numbered + deletedMark
        + R"(</w:pPr><w:del w:id="3"><w:r><w:delText>gone item</w:delText></w:r></w:del></w:p>)"
        + paragraph("second item", numbered) + "<w:p><w:pPr>" + deletedMark
        + R"(</w:pPr><w:r><w:t xml:space="preserve">joined </w:t></w:r></w:p>)" + paragraph("to the next")
        + paragraph("stays apart");
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(kStyles, body), document));
    const QString text = document.toPlainText();
    EXPECT_TRUE(text.contains("kept inserted end")) << qPrintable(text);
    EXPECT_FALSE(text.contains("removed"));
    EXPECT_FALSE(text.contains("gone item"));
    EXPECT_TRUE(text.contains("joined to the next\nstays apart")) << qPrintable(text);
    // No bullet is left for the deleted item: two items, two labels.
    EXPECT_EQ(text.count(QChar(0x2022)), 2) << qPrintable(text);
}

TEST(WordParagraphsTest, LinesAreSpacedByTheFontAsAWordProcessorSpacesThem)
{
    // 1.15 lines of Calibri (drawn with Carlito): the font's line gap, which
    // the layout would add, is no part of a word processor's line.
    const QByteArray styles = R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri"/><w:sz w:val="22"/></w:rPr></w:rPrDefault>
<w:pPrDefault><w:pPr><w:spacing w:after="200" w:line="276" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>)";
    QByteArray words;
    for (int i = 0; i < 60; ++i)
        words += "spaced ";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(styles, paragraph(words.constData())), document));
    document.setPageSize(QSizeF(400, 100000));
    (void)document.documentLayout()->documentSize();
    const QTextLayout* layout = document.find("spaced").block().layout();
    ASSERT_GE(layout->lineCount(), 3);
    QFont font(QStringLiteral("Carlito"));
    font.setPointSizeF(11);
    const QFontMetricsF metrics(font);
    const double pitch = layout->lineAt(2).y() - layout->lineAt(1).y();
    EXPECT_NEAR(pitch, 1.15 * (metrics.ascent() + metrics.descent()), 1.5);
}

TEST(WordParagraphsTest, ATabStopPastTheMarginStopsAtIt)
{
    const QByteArray body = paragraph("Introduction\t1", R"(<w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9350"/></w:tabs>)")
                            + paragraph("next line");
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(kStyles, body), document));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9); // A4: 451 points of text, the stop at 467
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    ASSERT_TRUE(printToPDF(document, settings, pdf));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->pageTexts.value(0).contains(QRegularExpression("Introduction ?\\.{20,} ?1\\s*\\n")))
        << qPrintable(facts->pageTexts.value(0));
}
