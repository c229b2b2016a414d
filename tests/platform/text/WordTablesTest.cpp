// Tables of word-processing documents as a word processor draws them: lines
// only where the document, its table style or a cell asks for them, the
// style's header row and bands, shading, vertical alignment and the grid's
// column widths.
#include "platform/text/TableLook.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace platform::text;
using testsupport::formatOf;

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

QTextTable* firstTable(QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    return nullptr;
}

QTextTableCellFormat cellFormat(QTextTable* table, int row, int column)
{
    return table->cellAt(row, column).format().toTableCellFormat();
}

// A cell's line widths in points: top, left, bottom, right.
std::array<double, 4> linesOf(QTextTable* table, int row, int column)
{
    const QTextTableCellFormat f = cellFormat(table, row, column);
    const double unit = layoutUnitsPerPoint();
    const auto width = [&](double w, QTextFrameFormat::BorderStyle style) {
        return style == QTextFrameFormat::BorderStyle_None ? 0.0 : w / unit;
    };
    return {width(f.topBorder(), f.topBorderStyle()), width(f.leftBorder(), f.leftBorderStyle()),
            width(f.bottomBorder(), f.bottomBorderStyle()), width(f.rightBorder(), f.rightBorderStyle())};
}

QByteArray row(const QByteArray& a, const QByteArray& b, const QByteArray& cellProperties = {})
{
    return "<w:tr><w:tc>" + cellProperties + "<w:p><w:r><w:t>" + a + "</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>"
           + b + "</w:t></w:r></w:p></w:tc></w:tr>";
}

QByteArray table(const QByteArray& properties, const QByteArray& rows)
{
    return "<w:tbl><w:tblPr>" + properties
           + "</w:tblPr><w:tblGrid><w:gridCol w:w=\"2880\"/><w:gridCol w:w=\"1440\"/></w:tblGrid>" + rows
           + "</w:tbl>";
}

const QByteArray kGridStyle = R"(<w:style w:type="table" w:styleId="Grid"><w:pPr><w:spacing w:after="0"/></w:pPr>
<w:tblPr><w:tblBorders><w:top w:val="single" w:sz="4" w:color="auto"/><w:left w:val="single" w:sz="4"/><w:bottom w:val="single" w:sz="4"/><w:right w:val="single" w:sz="4"/>
<w:insideH w:val="single" w:sz="4"/><w:insideV w:val="single" w:sz="4"/></w:tblBorders></w:tblPr></w:style>
<w:style w:type="table" w:styleId="Banded"><w:basedOn w:val="Grid"/>
<w:tblStylePr w:type="firstRow"><w:rPr><w:b/><w:color w:val="FFFFFF"/></w:rPr><w:tcPr><w:shd w:val="clear" w:fill="1F4E79"/><w:tcBorders><w:bottom w:val="double" w:sz="12" w:color="FF0000"/></w:tcBorders></w:tcPr></w:tblStylePr>
<w:tblStylePr w:type="band1Horz"><w:tcPr><w:shd w:val="clear" w:fill="DDEBF7"/></w:tcPr></w:tblStylePr></w:style>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:after="200"/></w:pPr></w:style>)";

} // namespace

TEST(WordTablesTest, LinesComeFromTheTableItsStyleAndItsCells)
{
    const QByteArray look = R"(<w:tblLook w:firstRow="1" w:noHBand="0"/>)";
    const struct {
        const char* name;
        QByteArray body;
        std::array<double, 4> a1, b2; // top, left, bottom, right
    } cases[] = {
        {"no borders anywhere", table({}, row("a1", "b1") + row("a2", "b2")), {0, 0, 0, 0}, {0, 0, 0, 0}},
        // Shared edges are drawn once, by the cell above or to the left.
        {"the style's grid", table(R"(<w:tblStyle w:val="Grid"/>)", row("a1", "b1") + row("a2", "b2")),
         {0.5, 0.5, 0.5, 0.5}, {0, 0, 0.5, 0.5}},
        {"the table's own lines over its style's",
         table(R"(<w:tblStyle w:val="Grid"/><w:tblBorders><w:insideV w:val="nil"/><w:top w:val="single" w:sz="16"/></w:tblBorders>)",
               row("a1", "b1") + row("a2", "b2")),
         {2, 0.5, 0.5, 0}, {0, 0, 0.5, 0.5}},
        {"a cell's own lines over the table's",
         table(R"(<w:tblStyle w:val="Grid"/>)",
               row("a1", "b1", R"(<w:tcPr><w:tcBorders><w:left w:val="nil"/><w:bottom w:val="single" w:sz="24"/></w:tcBorders></w:tcPr>)")
                   + row("a2", "b2")),
         {0.5, 0, 3, 0.5}, {0, 0, 0.5, 0.5}},
        // Its double line below: two lines of 1.5 points and the space between.
        {"the style's header row",
         table(R"(<w:tblStyle w:val="Banded"/>)" + look, row("a1", "b1") + row("a2", "b2")), {0.5, 0.5, 4.5, 0.5},
         {0, 0, 0.5, 0.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docxWithStyles(kGridStyle, c.body), document));
        QTextTable* t = firstTable(document);
        ASSERT_NE(t, nullptr);
        const auto a1 = linesOf(t, 0, 0), b2 = linesOf(t, 1, 1);
        for (int edge = 0; edge < 4; ++edge) {
            EXPECT_NEAR(a1[edge], c.a1[edge], 0.01) << "a1 edge " << edge;
            EXPECT_NEAR(b2[edge], c.b2[edge], 0.01) << "b2 edge " << edge;
        }
    }
}

TEST(WordTablesTest, StyleRegionsShadeAndFormatTheirCells)
{
    const QByteArray body = table(R"(<w:tblStyle w:val="Banded"/><w:tblLook w:val="04A0"/>)",
                                  row("head", "h2") + row("odd", "o2") + row("even", "e2") + row("odd again", "o3"))
                            + R"(<w:p><w:r><w:t>after</w:t></w:r></w:p>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(kGridStyle, body), document));
    QTextTable* t = firstTable(document);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(cellFormat(t, 0, 0).background().color(), QColor(0x1F, 0x4E, 0x79));
    EXPECT_EQ(cellFormat(t, 1, 1).background().color(), QColor(0xDD, 0xEB, 0xF7));
    EXPECT_EQ(cellFormat(t, 2, 0).background().style(), Qt::NoBrush);
    EXPECT_EQ(cellFormat(t, 3, 0).background().color(), QColor(0xDD, 0xEB, 0xF7));
    EXPECT_EQ(formatOf(document, "head").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(document, "head").foreground().color(), QColor(Qt::white));
    EXPECT_NE(formatOf(document, "odd").fontWeight(), QFont::Bold);
    // The table style's paragraph spacing holds in its cells, not after it.
    EXPECT_EQ(document.find("odd").block().blockFormat().bottomMargin(), 0);
    EXPECT_NEAR(document.find("after").block().blockFormat().bottomMargin(), 10 * layoutUnitsPerPoint(), 0.01);
}

TEST(WordTablesTest, CellShadingAlignmentAndColumnWidths)
{
    const QByteArray body = table(R"(<w:tblInd w:w="720"/>)",
                                  row("a1", "b1", R"(<w:tcPr><w:shd w:val="clear" w:color="auto" w:fill="FFFF00"/><w:vAlign w:val="center"/></w:tcPr>)"));
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:after="200"/></w:pPr></w:style>)", body), document));
    QTextTable* t = firstTable(document);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(cellFormat(t, 0, 0).background().color(), QColor(Qt::yellow));
    EXPECT_EQ(cellFormat(t, 0, 0).verticalAlignment(), QTextCharFormat::AlignMiddle);
    const QList<QTextLength> widths = t->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[0].type(), QTextLength::FixedLength);
    EXPECT_NEAR(widths[0].rawValue(), 144 * layoutUnitsPerPoint(), 0.01);
    EXPECT_NEAR(widths[1].rawValue(), 72 * layoutUnitsPerPoint(), 0.01);
    EXPECT_NEAR(t->format().leftMargin(), 36 * layoutUnitsPerPoint(), 0.01);
    // Word's cell margins where the document gives none.
    EXPECT_NEAR(cellFormat(t, 0, 0).leftPadding(), 5.4 * layoutUnitsPerPoint(), 0.01);
    // The space after the cell's paragraph stays inside the cell.
    const double after = t->cellAt(0, 0).lastCursorPosition().block().blockFormat().bottomMargin();
    EXPECT_GT(after, 0);
    EXPECT_NEAR(cellFormat(t, 0, 0).bottomPadding(), after, 0.01);
}

TEST(WordTablesTest, OpenDocumentCellsDrawTheirStylesLines)
{
    const QByteArray styles = R"(<style:style style:name="Boxed" style:family="table-cell"><style:table-cell-properties fo:padding="0.1cm" fo:border="0.5pt solid #000000" fo:border-right="none" fo:background-color="#ff0000" style:vertical-align="bottom"/></style:style>)";
    const QByteArray body = R"(<table:table><table:table-column table:number-columns-repeated="2"/>
<table:table-row><table:table-cell table:style-name="Boxed"><text:p>boxed</text:p></table:table-cell><table:table-cell><text:p>plain</text:p></table:table-cell></table:table-row></table:table>)";
    QTextDocument document;
    ASSERT_TRUE(readFlatOdtData(testsupport::flatOdtWithBody(body, styles), document));
    QTextTable* t = firstTable(document);
    ASSERT_NE(t, nullptr);
    const auto boxed = linesOf(t, 0, 0), plain = linesOf(t, 0, 1);
    EXPECT_NEAR(boxed[EdgeTop], 0.5, 0.01);
    EXPECT_NEAR(boxed[EdgeRight], 0, 0.01);
    EXPECT_NEAR(plain[EdgeTop], 0, 0.01);
    EXPECT_EQ(cellFormat(t, 0, 0).background().color(), QColor(Qt::red));
    EXPECT_EQ(cellFormat(t, 0, 0).verticalAlignment(), QTextCharFormat::AlignBottom);
    EXPECT_NEAR(cellFormat(t, 0, 0).topPadding(), 72 / 25.4 * layoutUnitsPerPoint(), 0.01);
    EXPECT_NEAR(cellFormat(t, 0, 1).leftPadding(), 0, 0.01);
}

// A double line too thin for two lines and a space to show apart is drawn
// as one line of its width, leaving the cell's text its room: made three
// layout units wide, it wrapped words that fit in a word processor.
TEST(WordTablesTest, AHairlineDoubleLineLeavesTheCellItsRoom)
{
    const QByteArray hairline = R"(<w:tblBorders><w:top w:val="double" w:sz="2"/><w:left w:val="double" w:sz="2"/><w:bottom w:val="double" w:sz="2"/><w:right w:val="double" w:sz="2"/></w:tblBorders>)";
    const QByteArray margins = R"(<w:tblCellMar><w:start w:w="28" w:type="dxa"/><w:end w:w="28" w:type="dxa"/></w:tblCellMar>)";
    const QByteArray body = "<w:tbl><w:tblPr>" + hairline + margins
                            + R"(</w:tblPr><w:tblGrid><w:gridCol w:w="1036"/><w:gridCol w:w="1381"/></w:tblGrid>)"
                            + row("row 0 left", "row 0 right 0") + "</w:tbl>";
    const QByteArray styles = R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:rPr><w:rFonts w:ascii="Liberation Serif" w:hAnsi="Liberation Serif"/><w:sz w:val="24"/></w:rPr></w:style>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docxWithStyles(styles, body), document));
    QTextTable* t = firstTable(document);
    ASSERT_NE(t, nullptr);
    const QTextTableCellFormat f = cellFormat(t, 0, 0);
    EXPECT_EQ(f.topBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_NEAR(linesOf(t, 0, 0)[EdgeTop], 0.75, 0.01);
    document.setTextWidth(451 * layoutUnitsPerPoint());
    (void)document.size(); // lays the document out
    const QTextBlock cell = t->cellAt(0, 0).firstCursorPosition().block();
    ASSERT_NE(cell.layout(), nullptr);
    EXPECT_EQ(cell.layout()->lineCount(), 1);
}
