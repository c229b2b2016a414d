// Paragraphs of word-processing documents as a word processor spaces and
// draws them: spacing before and after adding up, contextual spacing, no
// space before at the top of a page the text flowed onto, border lines and
// rules in every style, and dotted tab leaders in a contents page.
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/rtf/RtfReader.h"
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

#include <poppler-qt6.h>

#include <memory>

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

PrintSettings a4()
{
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    return settings;
}

// Where runs of dark pixels begin along a column (vertical) or a row of the
// image, and how long they are; a band of columns or rows is dark where any
// of them is, so that a scan across a dashed line cannot slip through a gap.
QList<QPair<int, int>> darkRuns(const QImage& image, int at, bool vertical, int from, int to, int band = 1)
{
    const auto isDark = [&](int i) {
        for (int b = at; b < at + band; ++b)
            if (qGray(vertical ? image.pixel(b, i) : image.pixel(i, b)) < 128)
                return true;
        return false;
    };
    QList<QPair<int, int>> runs;
    int start = -1;
    for (int i = from; i <= to; ++i) {
        const bool dark = i < to && isDark(i);
        if (dark && start < 0)
            start = i;
        if (!dark && start >= 0) {
            runs.append({start, i - start});
            start = -1;
        }
    }
    return runs;
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

TEST(WordParagraphsTest, AStyleCanSwitchOffThePageBreakOfTheStyleItIsBasedOn)
{
    const QByteArray styles = R"(<w:style w:type="paragraph" w:styleId="Base"><w:pPr><w:pageBreakBefore/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="Citation"><w:basedOn w:val="Base"/><w:pPr><w:pageBreakBefore w:val="0"/></w:pPr></w:style>)";
    const QByteArray body = paragraph("first") + paragraph("based", R"(<w:pStyle w:val="Base"/>)")
                            + paragraph("citing", R"(<w:pStyle w:val="Citation"/>)");
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(styles, body), document));
    EXPECT_EQ(blockOf(document, "based").pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(blockOf(document, "citing").pageBreakPolicy(), QTextFormat::PageBreak_Auto);
}

TEST(WordParagraphsTest, TabsStopWhereTheDocumentsDefaultStopsAre)
{
    const struct {
        const char* name;
        QByteArray settings; // none: no settings part
        double stop;         // points from the margin
    } cases[] = {
        {"no settings", {}, 36},
        {"an inch", R"(<w:defaultTabStop w:val="1440"/>)", 72},
        {"none apart", R"(<w:defaultTabStop w:val="0"/>)", 36},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto entries = testsupport::docxEntriesWithBody(paragraph("a\tafter"));
        if (!c.settings.isEmpty()) {
            entries.append({QStringLiteral("word/settings.xml"), QByteArray("<w:settings xmlns:w=\"") + kW + "\">" + c.settings + "</w:settings>"});
            for (auto& [name, bytes] : entries)
                if (name == u"word/_rels/document.xml.rels")
                    bytes.insert(bytes.indexOf("</Relationships>"),
                                 R"(<Relationship Id="rIdSettings" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>)");
        }
        QTextDocument document;
        ASSERT_TRUE(readDocxData(testsupport::zipBytes(entries), document));
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        ASSERT_TRUE(printToPDF(document, a4(), pdf));
        const std::unique_ptr<Poppler::Document> printed = Poppler::Document::load(pdf);
        ASSERT_TRUE(printed);
        double after = -1;
        for (const auto& box : printed->page(0)->textList())
            if (box->text() == u"after")
                after = box->boundingBox().left();
        EXPECT_NEAR(after, 72 + c.stop, 0.5);
    }
}

TEST(WordParagraphsTest, SpaceBeforeIsLeftOutAtTheTopOfAPageTheTextFlowedOnto)
{
    // Paragraphs of one to three lines with 24 points before each run over
    // many pages; the first one and two after a page break keep the space.
    const QByteArray before = R"(<w:spacing w:before="480" w:after="0"/>)";
    QByteArray body = paragraph("Opening words", before);
    for (int i = 0; i < 150; ++i) {
        const QByteArray words = "Flowing " + QByteArray::number(i) + " " + QByteArray("words ").repeated(14 * (i % 3));
        body += paragraph(words.constData(), before);
        if (i == 30)
            body += paragraph("Broken before", before + "<w:pageBreakBefore/>");
        if (i == 100)
            body += "<w:p><w:pPr>" + before + R"(</w:pPr><w:r><w:br w:type="page"/><w:t>Broken by a run</w:t></w:r></w:p>)";
    }
    const QByteArray styles = R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:before="0" w:after="0"/></w:pPr></w:style>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(styles, body), document));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    ASSERT_TRUE(printToPDF(document, a4(), pdf));

    const std::unique_ptr<Poppler::Document> printed = Poppler::Document::load(pdf);
    ASSERT_TRUE(printed);
    QList<double> flowedTops, spacedTops;
    QStringList seen;
    for (int p = 0; p < printed->numPages(); ++p) {
        SCOPED_TRACE(p);
        const auto boxes = printed->page(p)->textList();
        ASSERT_FALSE(boxes.empty());
        const Poppler::TextBox* first = nullptr;
        for (const auto& box : boxes) {
            if (!first || box->boundingBox().top() < first->boundingBox().top())
                first = box.get();
            if (box->text() == u"Flowing")
                seen << box->nextWord()->text();
        }
        if (p == 0 || first->text() == u"Broken")
            spacedTops << first->boundingBox().top();
        else
            flowedTops << first->boundingBox().top();
    }
    ASSERT_EQ(spacedTops.size(), 3);
    ASSERT_GE(flowedTops.size(), 4);
    // Every page the text flowed onto begins at the same height, the
    // others 24 points lower.
    for (const double top : std::as_const(flowedTops))
        EXPECT_NEAR(top, flowedTops[0], 0.5);
    for (const double top : std::as_const(spacedTops))
        EXPECT_NEAR(top, flowedTops[0] + 24, 0.5);
    // Every paragraph once, in order: none lost or doubled where the pages
    // were laid out again.
    ASSERT_EQ(seen.size(), 150);
    for (int i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].toInt(), i);
}

TEST(WordParagraphsTest, BorderStylesReachThePage)
{
    const auto docxBox = [](const char* style, const char* size = "4") {
        const QByteArray line = QByteArray("w:val=\"") + style + "\" w:sz=\"" + size + "\"";
        return docxWithStyles({}, paragraph("boxed", "<w:pBdr><w:top " + line + "/><w:bottom " + line + "/></w:pBdr>"));
    };
    const auto docxTable = [](const char* style) {
        const QByteArray line = QByteArray("w:val=\"") + style + "\" w:sz=\"4\"";
        return docxWithStyles({}, "<w:tbl><w:tblPr><w:tblBorders><w:top " + line + "/><w:bottom " + line
                                      + R"(/></w:tblBorders></w:tblPr><w:tblGrid><w:gridCol w:w="2880"/></w:tblGrid>
<w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>)");
    };
    const auto odt = [](const QByteArray& family, const QByteArray& properties, const QByteArray& body) {
        return testsupport::flatOdtWithBody(
            body, "<style:style style:name=\"B\" style:family=\"" + family + "\"><style:" + family + "-properties "
                      + properties + R"(/></style:style><style:style style:name="C" style:family="table-column"><style:table-column-properties style:column-width="2in"/></style:style>)");
    };
    const QByteArray odtDouble =
        R"(fo:border-top="1.5pt double #000000" fo:border-bottom="1.5pt double #000000" style:border-line-width="0.5pt 0.5pt 0.5pt")";
    const QByteArray odtCell = R"(<table:table><table:table-column table:style-name="C"/><table:table-row><table:table-cell table:style-name="B"><text:p>cell</text:p></table:table-cell></table:table-row></table:table>)";
    const struct {
        const char* name;
        char format; // 'w' DOCX, 'o' flat ODT, 'r' RTF
        QByteArray document;
        int lines;            // crossed going down through the top and bottom edges
        bool broken;          // the bottom edge is dots or dashes
        double points = 0.3;  // the bottom edge's lowest line is at least this thick
    } cases[] = {
        {"paragraph, single", 'w', docxBox("single"), 2, false},
        {"paragraph, double", 'w', docxBox("double"), 4, false},
        {"paragraph, dotted", 'w', docxBox("dotted"), 2, true},
        {"paragraph, dashed", 'w', docxBox("dashed"), 2, true},
        {"paragraph, thick", 'w', docxBox("thick", "24"), 2, false, 2.5},
        {"table, single", 'w', docxTable("single"), 2, false},
        {"table, double", 'w', docxTable("double"), 4, false},
        {"table, dashed", 'w', docxTable("dashed"), 2, true},
        {"OpenDocument paragraph, double", 'o', odt("paragraph", odtDouble, "<text:p text:style-name=\"B\">boxed</text:p>"), 4, false},
        {"OpenDocument cell, double", 'o', odt("table-cell", R"(fo:border="2.25pt double #000000")", odtCell), 4, false},
        {"RTF cell, double", 'r', "{\\rtf1\\ansi\\trowd\\clbrdrt\\brdrdb\\brdrw10\\clbrdrb\\brdrdb\\brdrw10\\cellx2880\\intbl cell\\cell\\row}", 4, false},
    };
    constexpr double kDpi = 400;
    const auto pixels = [&](double points) { return int(points * kDpi / 72); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        const bool read = c.format == 'w'   ? readDocxData(c.document, document)
                          : c.format == 'o' ? readFlatOdtData(c.document, document)
                                            : readRtfData(c.document, document, {});
        ASSERT_TRUE(read);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        ASSERT_TRUE(printToPDF(document, a4(), pdf));
        const QImage page = testsupport::renderPdfPage(pdf, 0, kDpi);
        ASSERT_FALSE(page.isNull());
        // Down through the middle of the box or cell, right of its word.
        const auto across = darkRuns(page, pixels(172), true, 0, pixels(300), pixels(4));
        ASSERT_EQ(across.size(), c.lines);
        const auto lowest = across.last();
        EXPECT_GE(lowest.second, pixels(c.points));
        const auto along = darkRuns(page, lowest.first + lowest.second / 2, false, pixels(80), pixels(200));
        if (c.broken)
            EXPECT_GT(along.size(), 8);
        else
            EXPECT_EQ(along.size(), 1);
    }
}
