// Content that floats in a word-processing file (text boxes, frames,
// anchored pictures, equations, fallback pictures of charts) placed in the
// flow after its anchor and printed.
#include "platform/text/TextPrinter.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

#include <functional>

using namespace platform::text;
using testsupport::zipBytes;

namespace {

using Entries = QList<QPair<QString, QByteArray>>;

Entries replaced(Entries entries, const QString& name, const QByteArray& bytes)
{
    bool found = false;
    for (auto& entry : entries)
        if (entry.first == name) {
            entry.second = bytes;
            found = true;
        }
    if (!found)
        entries.append({name, bytes});
    return entries;
}

QString textOf(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// The tables directly in the document's root frame.
QList<QTextTable*> tablesOf(const QTextDocument& document)
{
    QList<QTextTable*> tables;
    for (QTextFrame* child : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables.append(table);
    return tables;
}

// A DOCX whose body is body, with word/media/image1.png replaced by picture
// (and a second picture part named media/chart.png) when given.
QByteArray docx(const QByteArray& body, const QByteArray& picture = {})
{
    Entries entries = testsupport::docxEntriesWithBody(body);
    if (!picture.isEmpty())
        entries = replaced(entries, "word/media/image1.png", picture);
    return zipBytes(entries);
}

QByteArray anchoredPicture(const char* relationshipId = "rId3")
{
    return QByteArray(R"(<w:r><w:drawing><wp:anchor><wp:extent cx="1270000" cy="1270000"/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=")")
           + relationshipId + R"("/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>)";
}

// A DrawingML text box anchored in a paragraph, its line given by line.
QByteArray drawingBox(const QByteArray& words, const QByteArray& line = {})
{
    return R"(<w:r><w:drawing><wp:anchor><wp:extent cx="2540000" cy="635000"/><a:graphic><a:graphicData><wps:wsp><wps:spPr>)"
           + line + R"(</wps:spPr><wps:txbx><w:txbxContent><w:p><w:r><w:t>)" + words
           + R"(</w:t></w:r></w:p></w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>)";
}

QByteArray vmlBox(const QByteArray& words)
{
    return R"(<w:r><w:pict><v:shape style="width:200pt;height:50pt"><v:textbox><w:txbxContent><w:p><w:r><w:t>)" + words
           + R"(</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict></w:r>)";
}

QByteArray paragraph(const QByteArray& words, const QByteArray& floating)
{
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + words + " </w:t></w:r>" + floating
           + "<w:r><w:t>anchor end</w:t></w:r></w:p>";
}

class FloatingContentTest : public testsupport::TemporaryFolderTest {
protected:
    // Prints document on US Letter with inch margins.
    std::optional<testsupport::PdfFacts> print(QTextDocument& document, const QString& name)
    {
        PrintSettings settings;
        settings.paperSize = QSizeF(612, 792);
        settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
        if (!printToPDF(document, settings, path(name)))
            return std::nullopt;
        return testsupport::inspectPdf(path(name));
    }
    // Image objects drawn on the pages of a PDF, by qpdf.
    int imagesOnPages(const QString& name)
    {
        QString json;
        if (testsupport::runQpdf({"--json", "--json-key=pages", path(name)}, &json) != 0)
            return -1;
        return int(json.count(QStringLiteral("\"bitspercomponent\"")));
    }
};

TEST_F(FloatingContentTest, DocxTextBoxesStandFramedAfterTheirAnchorParagraph)
{
    const struct {
        const char* name;
        QByteArray floating;
        bool border;
    } cases[] = {
        {"drawing", drawingBox("Box words"), true},
        {"drawing without line", drawingBox("Box words", "<a:ln><a:noFill/></a:ln>"), false},
        {"vml", vmlBox("Box words"), true},
        {"alternate content",
         R"(<mc:AlternateContent><mc:Choice Requires="wps">)" + drawingBox("Box words")
             + R"(</mc:Choice><mc:Fallback>)" + vmlBox("Box words") + "</mc:Fallback></mc:AlternateContent>",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docx(paragraph("Anchor words", c.floating) + "<w:p><w:r><w:t>Closing words</w:t></w:r></w:p>"),
                                 document));
        const QString text = textOf(document);
        EXPECT_EQ(text.count("Box words"), 1) << qPrintable(text);
        testsupport::expectInOrder(text, {"Anchor words", "anchor end", "Box words", "Closing words"});
        const QList<QTextTable*> tables = tablesOf(document);
        ASSERT_EQ(tables.size(), 1);
        EXPECT_EQ(tables[0]->cellAt(0, 0).firstCursorPosition().block().text(), "Box words");
        const double line = tables[0]->cellAt(0, 0).format().toTableCellFormat().topBorder();
        EXPECT_EQ(line > 0, c.border);

        const auto pdf = print(document, QString("%1.pdf").arg(c.name));
        ASSERT_TRUE(pdf);
        EXPECT_EQ(pdf->pageTexts.join(' ').count("Box words"), 1);
    }
}

TEST_F(FloatingContentTest, AChoiceNotUnderstoodGivesWayToItsFallbackPicture)
{
    // A chart of a kind not read, with the picture Word leaves beside it.
    const QByteArray chart = R"(<mc:AlternateContent><mc:Choice Requires="cx1"><w:r><w:drawing><wp:inline><wp:extent cx="1270000" cy="635000"/><a:graphic><a:graphicData><cx:chart xmlns:cx="urn:chartex" r:id="rId9"/></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></mc:Choice><mc:Fallback><w:r><w:drawing><wp:inline><wp:extent cx="1270000" cy="635000"/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed="rId3"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></mc:Fallback></mc:AlternateContent>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docx("<w:p>" + chart + "</w:p><w:p><w:r><w:t>After the chart</w:t></w:r></w:p>"), document));
    EXPECT_EQ(testsupport::imageFormatsOf(document).size(), 1);
    ASSERT_TRUE(print(document, "chart.pdf"));
    EXPECT_EQ(imagesOnPages("chart.pdf"), 1);
}

TEST_F(FloatingContentTest, DocxAnchoredPicturesFollowTheirParagraphInAnyReadableFormat)
{
    const struct {
        const char* name;
        QByteArray bytes;
        int images;
    } cases[] = {
        {"png", testsupport::pngBytes(QSize(40, 20)), 1},
        {"gif", testsupport::imageBytes(QSize(40, 20), Qt::red, "GIF"), 1},
        {"bmp", testsupport::imageBytes(QSize(40, 20), Qt::green, "BMP"), 1},
        {"broken", QByteArray("\x89PNG\r\n\x1a\n broken beyond repair", 30), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docx(paragraph("Anchor words", anchoredPicture()) + "<w:p><w:r><w:t>Closing words</w:t></w:r></w:p>",
                                      c.bytes),
                                 document));
        const QList<QTextImageFormat> pictures = testsupport::imageFormatsOf(document);
        ASSERT_EQ(pictures.size(), c.images);
        if (c.images > 0) {
            EXPECT_DOUBLE_EQ(pictures[0].width(), pictures[0].height()); // the file's size, not the pixels'
            // Not in the anchor's line: in a paragraph of its own after it.
            const QTextBlock anchor = document.find("Anchor words").block();
            EXPECT_FALSE(anchor.text().contains(QChar::ObjectReplacementCharacter));
            EXPECT_EQ(anchor.next().text(), QString(QChar::ObjectReplacementCharacter));
        }
        const QString file = QString("%1.pdf").arg(c.name);
        const auto pdf = print(document, file);
        ASSERT_TRUE(pdf);
        testsupport::expectInOrder(pdf->pageTexts.join(' '), {"Anchor words", "Closing words"});
        EXPECT_EQ(imagesOnPages(file), c.images);
    }
}

TEST_F(FloatingContentTest, OfficeMathIsWrittenAsLinearText)
{
    const auto run = [](const char* text) { return QByteArray("<m:r><m:t>") + text + "</m:t></m:r>"; };
    const struct {
        const char* name;
        QByteArray math;
        const char* linear;
    } cases[] = {
        {"fraction", "<m:f><m:num>" + run("a") + "</m:num><m:den>" + run("b") + "</m:den></m:f>", "(a)/(b)"},
        {"superscript", "<m:sSup><m:e>" + run("x") + "</m:e><m:sup>" + run("2") + "</m:sup></m:sSup>", "x^2"},
        {"subscript", "<m:sSub><m:e>" + run("x") + "</m:e><m:sub>" + run("i") + "</m:sub></m:sSub>", "x_i"},
        {"compound script", "<m:sSup><m:e>" + run("e") + "</m:e><m:sup>" + run("n+1") + "</m:sup></m:sSup>", "e^(n+1)"},
        {"radical", "<m:rad><m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/><m:e>" + run("x") + "</m:e></m:rad>", "√(x)"},
        {"sum", "<m:nary><m:naryPr><m:chr m:val=\"∑\"/></m:naryPr><m:sub>" + run("i=1") + "</m:sub><m:sup>" + run("n")
                    + "</m:sup><m:e>" + run("i") + "</m:e></m:nary>",
         "∑_(i=1)^n i"},
        {"delimiter", "<m:d><m:dPr><m:begChr m:val=\"[\"/><m:endChr m:val=\"]\"/></m:dPr><m:e>" + run("a") + "</m:e><m:e>"
                          + run("b") + "</m:e></m:d>",
         "[a|b]"},
        {"matrix", "<m:m><m:mr><m:e>" + run("1") + "</m:e><m:e>" + run("0") + "</m:e></m:mr><m:mr><m:e>" + run("0")
                       + "</m:e><m:e>" + run("1") + "</m:e></m:mr></m:m>",
         "1, 0; 0, 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docx("<w:p><w:r><w:t xml:space=\"preserve\">Equation: </w:t></w:r><m:oMath>" + c.math
                                      + "</m:oMath></w:p>"),
                                 document));
        EXPECT_EQ(document.firstBlock().text(), QString("Equation: ") + QString::fromUtf8(c.linear));
    }
    QTextDocument display;
    ASSERT_TRUE(readDocxData(docx("<w:p><m:oMathPara><m:oMath>" + cases[0].math + run("=") + cases[1].math
                                  + "</m:oMath></m:oMathPara></w:p>"),
                             display));
    const auto pdf = print(display, "equation.pdf");
    ASSERT_TRUE(pdf);
    EXPECT_TRUE(pdf->pageTexts.join(' ').contains("(a)/(b)")) << qPrintable(pdf->pageTexts.join(' '));
}

} // namespace
