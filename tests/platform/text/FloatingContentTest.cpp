// Content that floats in a word-processing file (text boxes, frames,
// anchored pictures, equations, fallback pictures of charts) placed in the
// flow after its anchor and printed.
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/word/OfficeArtRecords_p.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/OfficeArtFixtures.h"
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
using namespace testsupport;

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

constexpr quint32 kShapeId = kDocShapeId;
using DocShapes = DocDrawingsFile;

QByteArray textBox(const QList<OfficeArtProperty>& properties = {}, quint32 textId = 0x10000, quint32 id = kShapeId)
{
    return officeArtTextBox(id, properties, textId);
}

QByteArray pictureFrame(quint32 picture = 1, quint32 id = kShapeId)
{
    return officeArtPictureFrame(id, picture);
}

// A document whose shapes show pictures alone: no text-box stories.
DocShapes withPictures(std::function<QByteArray(quint32)> drawings)
{
    DocShapes file;
    file.drawings = std::move(drawings);
    file.stories.clear();
    file.storyTable = docTextBoxStories({});
    return file;
}

// Drawing records with shapes and no pictures.
std::function<QByteArray(quint32)> drawn(const QList<QByteArray>& shapes)
{
    return [shapes](quint32) { return officeArtContent({}, shapes); };
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

// A DrawingML text box anchored in a paragraph, its line given by line and
// its shape style by style.
QByteArray drawingBox(const QByteArray& words, const QByteArray& line = {}, const QByteArray& style = {})
{
    return R"(<w:r><w:drawing><wp:anchor><wp:extent cx="2540000" cy="635000"/><a:graphic><a:graphicData><wps:wsp><wps:spPr>)"
           + line + "</wps:spPr>" + style + R"(<wps:txbx><w:txbxContent><w:p><w:r><w:t>)" + words
           + R"(</w:t></w:r></w:p></w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>)";
}

const QByteArray kSolidLine = R"(<a:ln w="6350"><a:solidFill><a:srgbClr val="000000"/></a:solidFill></a:ln>)";

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
    // Red pixels of the first page of a PDF rendered at 72 dpi, by Poppler.
    int redPixels(const QString& name)
    {
        const QImage page = testsupport::renderPdfPage(path(name), 0, 72);
        int red = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
            }
        return red;
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

QByteArray odt(const QByteArray& body, const Entries& extra = {})
{
    Entries entries = testsupport::odtEntriesWithBody(body);
    for (const auto& entry : extra)
        entries = replaced(entries, entry.first, entry.second);
    return zipBytes(entries);
}

QByteArray odtParagraph(const QByteArray& words, const QByteArray& floating)
{
    return "<text:p>" + words + " " + floating + "anchor end</text:p>";
}

TEST_F(FloatingContentTest, TextBoxesStandFramedAfterTheirAnchorParagraph)
{
    const QByteArray closing = "<w:p><w:r><w:t>Closing words</w:t></w:r></w:p>";
    const QByteArray odtClosing = "<text:p>Closing words</text:p>";
    const struct {
        const char* name;
        QByteArray file;
        bool (*read)(const QByteArray&, QTextDocument&);
        bool border;
    } cases[] = {
        {"docx drawing", docx(paragraph("Anchor words", drawingBox("Box words", kSolidLine)) + closing), readDocxData,
         true},
        {"docx drawing without line",
         docx(paragraph("Anchor words", drawingBox("Box words", "<a:ln><a:noFill/></a:ln>")) + closing), readDocxData,
         false},
        // A shape that names no line of its own and no style draws none.
        {"docx drawing naming no line", docx(paragraph("Anchor words", drawingBox("Box words")) + closing),
         readDocxData, false},
        {"docx drawing with its style's line",
         docx(paragraph("Anchor words", drawingBox("Box words", {}, R"(<wps:style><a:lnRef idx="2"><a:schemeClr val="accent1"/></a:lnRef></wps:style>)"))
              + closing),
         readDocxData, true},
        {"docx vml", docx(paragraph("Anchor words", vmlBox("Box words")) + closing), readDocxData, true},
        {"docx alternate content",
         docx(paragraph("Anchor words", R"(<mc:AlternateContent><mc:Choice Requires="wps">)" + drawingBox("Box words", kSolidLine)
                                            + R"(</mc:Choice><mc:Fallback>)" + vmlBox("Box words")
                                            + "</mc:Fallback></mc:AlternateContent>")
              + closing),
         readDocxData, true},
        {"odt frame",
         odt(odtParagraph("Anchor words", R"(<draw:frame text:anchor-type="paragraph" svg:width="200pt"><draw:text-box><text:p>Box words</text:p></draw:text-box></draw:frame>)")
             + odtClosing),
         readOdtData, true},
        {"odt custom shape",
         odt(odtParagraph("Anchor words", R"(<draw:custom-shape text:anchor-type="paragraph" svg:width="200pt"><text:p>Box words</text:p><draw:enhanced-geometry/></draw:custom-shape>)")
             + odtClosing),
         readOdtData, true},
        {"doc text box", DocShapes{drawn({textBox()})}.build(), readDocData, true},
        {"doc text box without line", DocShapes{drawn({textBox({{kLineFlagsProperty, kNoLine}})})}.build(),
         readDocData, false},
        {"odt ellipse",
         odt(odtParagraph("Anchor words", R"(<draw:ellipse text:anchor-type="char" svg:width="200pt"><text:p>Box words</text:p></draw:ellipse>)")
             + odtClosing),
         readOdtData, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(c.read(c.file, document));
        const QString text = textOf(document);
        EXPECT_EQ(text.count("Box words"), 1) << qPrintable(text);
        testsupport::expectInOrder(text, {"Anchor words", "anchor end", "Box words", "Closing words"});
        EXPECT_TRUE(document.find("Anchor words").block().text().contains("anchor end"));
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

TEST_F(FloatingContentTest, AnchoredPicturesFollowTheirParagraphInAnyReadableFormat)
{
    const struct {
        const char* name;
        QByteArray bytes;
        int images;
    } pictures[] = {
        {"png", testsupport::pngBytes(QSize(40, 20)), 1},
        {"gif", testsupport::gifBytes(QSize(40, 20)), 1},
        {"bmp", testsupport::bmpBytes(QSize(40, 20)), 1},
        {"tiff", testsupport::tiffPagesBytes({QSize(40, 20)}), 1},
        {"wmf", testsupport::wmfBytes(QSize(1440, 720)), 1},
        {"emf, which no reader here takes", testsupport::emfBytes(QSize(40, 20)), 0},
        {"broken", QByteArray("\x89PNG\r\n\x1a\n broken beyond repair", 30), 0},
    };
    const struct {
        const char* name;
        std::function<QByteArray(const QByteArray&)> file;
        bool (*read)(const QByteArray&, QTextDocument&);
    } formats[] = {
        {"docx",
         [](const QByteArray& picture) {
             return docx(paragraph("Anchor words", anchoredPicture()) + "<w:p><w:r><w:t>Closing words</w:t></w:r></w:p>",
                         picture);
         },
         readDocxData},
        {"odt",
         [](const QByteArray& picture) {
             return odt(odtParagraph("Anchor words", R"(<draw:frame text:anchor-type="char" svg:width="100pt" svg:height="100pt"><draw:image xlink:href="Pictures/image1.png"/></draw:frame>)")
                            + "<text:p>Closing words</text:p>",
                        {{"Pictures/image1.png", picture}});
         },
         readOdtData},
    };
    for (const auto& format : formats)
        for (const auto& c : pictures) {
            SCOPED_TRACE(QString("%1 %2").arg(format.name, c.name).toStdString());
            QTextDocument document;
            ASSERT_TRUE(format.read(format.file(c.bytes), document));
            const QList<QTextImageFormat> images = testsupport::imageFormatsOf(document);
            ASSERT_EQ(images.size(), c.images);
            if (c.images > 0) {
                EXPECT_DOUBLE_EQ(images[0].width(), images[0].height()); // the file's size, not the pixels'
                // Not in the anchor's line: in a paragraph of its own after it.
                const QTextBlock anchor = document.find("Anchor words").block();
                EXPECT_FALSE(anchor.text().contains(QChar::ObjectReplacementCharacter));
                EXPECT_EQ(anchor.next().text(), QString(QChar::ObjectReplacementCharacter));
            }
            const QString file = QString("%1-%2.pdf").arg(format.name, c.name);
            const auto pdf = print(document, file);
            ASSERT_TRUE(pdf);
            testsupport::expectInOrder(pdf->pageTexts.join(' '), {"Anchor words", "Closing words"});
            EXPECT_EQ(imagesOnPages(file), c.images);
        }
}

TEST_F(FloatingContentTest, MetafilePicturesPrintTheirDrawing)
{
    // The metafile fills its window with red; the document shows it 100
    // points square.
    QTextDocument document;
    ASSERT_TRUE(readDocxData(docx(paragraph("Anchor words", anchoredPicture()), testsupport::wmfBytes(QSize(1440, 720))),
                             document));
    ASSERT_TRUE(print(document, "metafile.pdf"));
    const int red = redPixels("metafile.pdf");
    EXPECT_GT(red, 90 * 90);
    EXPECT_LT(red, 110 * 110);
}

namespace {

const QByteArray kDiagramNamespaces = R"( xmlns:dgm="http://schemas.openxmlformats.org/drawingml/2006/diagram" xmlns:dsp="http://schemas.microsoft.com/office/drawing/2008/diagram" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")";

QByteArray diagramDrawing(const char* dataRelationship = "rId20")
{
    return QByteArray(R"(<w:r><w:drawing><wp:inline><wp:extent cx="3810000" cy="2540000"/><a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/diagram"><dgm:relIds xmlns:dgm="http://schemas.openxmlformats.org/drawingml/2006/diagram" r:dm=")")
           + dataRelationship + R"(" r:lo="rId21" r:qs="rId22" r:cs="rId23"/></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>)";
}

QByteArray diagramText(const char* words)
{
    return QByteArray("<a:bodyPr/><a:lstStyle/><a:p><a:r><a:rPr lang=\"en-US\"/><a:t>") + words + "</a:t></a:r></a:p>";
}

// A data part of three nodes listed out of their order, a transition and a
// presentation point; drawingRelationship names the drawing saved beside it.
QByteArray diagramData(const QByteArray& drawingRelationship)
{
    QByteArray data = "<dgm:dataModel" + kDiagramNamespaces + "><dgm:ptLst>"
                      + R"(<dgm:pt modelId="{0}" type="doc"><dgm:t><a:bodyPr/><a:p><a:endParaRPr/></a:p></dgm:t></dgm:pt>)"
                      + "<dgm:pt modelId=\"{2}\"><dgm:prSet phldrT=\"[Text]\"/><dgm:t>" + diagramText("Second step") + "</dgm:t></dgm:pt>"
                      + "<dgm:pt modelId=\"{1}\"><dgm:t>" + diagramText("First step") + "</dgm:t></dgm:pt>"
                      + "<dgm:pt modelId=\"{5}\" type=\"node\"><dgm:t>" + diagramText("Sub point") + "</dgm:t></dgm:pt>"
                      + "<dgm:pt modelId=\"{3}\" type=\"parTrans\"><dgm:t>" + diagramText("transition") + "</dgm:t></dgm:pt>"
                      + "<dgm:pt modelId=\"{4}\" type=\"pres\"><dgm:prSet presName=\"box\"/></dgm:pt>"
                      + R"(</dgm:ptLst><dgm:cxnLst>
<dgm:cxn modelId="{9}" srcId="{0}" destId="{2}" srcOrd="1" destOrd="0"/>
<dgm:cxn modelId="{8}" srcId="{0}" destId="{1}" srcOrd="0" destOrd="0"/>
<dgm:cxn modelId="{7}" srcId="{1}" destId="{5}" srcOrd="0" destOrd="0"/>
<dgm:cxn modelId="{6}" type="presOf" srcId="{5}" destId="{4}" srcOrd="0" destOrd="0"/>
<dgm:cxn modelId="{10}" srcId="{5}" destId="{0}" srcOrd="0" destOrd="0"/>
</dgm:cxnLst>)";
    if (!drawingRelationship.isEmpty())
        data += R"(<dgm:extLst><a:ext uri="http://schemas.microsoft.com/office/drawing/2008/diagram"><dsp:dataModelExt relId=")"
                + drawingRelationship + R"(" minVer="http://schemas.openxmlformats.org/drawingml/2006/diagram"/></a:ext></dgm:extLst>)";
    return data + "</dgm:dataModel>";
}

QByteArray diagramShape(int x, int y, const QByteArray& text)
{
    return R"(<dsp:sp><dsp:nvSpPr><dsp:cNvPr id="1" name=""/></dsp:nvSpPr><dsp:spPr><a:xfrm><a:off x=")" + QByteArray::number(x)
           + "\" y=\"" + QByteArray::number(y) + R"("/><a:ext cx="1270000" cy="635000"/></a:xfrm><a:prstGeom prst="rect"/></dsp:spPr>)"
           + (text.isEmpty() ? QByteArray() : "<dsp:txBody>" + text + "</dsp:txBody>")
           + R"(<dsp:txXfrm><a:off x="9" y="9"/><a:ext cx="9" cy="9"/></dsp:txXfrm></dsp:sp>)";
}

// Shapes listed out of reading order, and an arrow without text.
QByteArray diagramShapes()
{
    const QByteArray centredBold
        = R"(<a:bodyPr/><a:p><a:pPr algn="ctr"/><a:r><a:rPr lang="en-US" sz="1800" b="1"/><a:t>Right box</a:t></a:r></a:p>)";
    return "<dsp:drawing" + kDiagramNamespaces + "><dsp:spTree><dsp:nvGrpSpPr/><dsp:grpSpPr/>"
           + diagramShape(1905000, 0, centredBold) + diagramShape(0, 1270000, diagramText("Lower box"))
           + diagramShape(1270000, 0, {}) + diagramShape(0, 0, diagramText("Left box")) + "</dsp:spTree></dsp:drawing>";
}

// A DOCX holding body, whose document relates to the diagram parts given
// (by their relationship id, rId20 being the data part).
QByteArray diagramDocx(const QByteArray& body, const QList<QPair<QByteArray, QByteArray>>& parts)
{
    Entries entries = testsupport::docxEntriesWithBody(body);
    QByteArray relationships;
    for (const auto& [id, bytes] : parts) {
        const QString name = QStringLiteral("word/diagrams/%1.xml").arg(QString::fromLatin1(id));
        entries.append({name, bytes});
        relationships += R"(<Relationship Id=")" + id + R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/diagramData" Target="diagrams/)"
                         + id + R"(.xml"/>)";
    }
    for (auto& entry : entries)
        if (entry.first == "word/_rels/document.xml.rels")
            entry.second.replace("</Relationships>", relationships + "</Relationships>");
    return zipBytes(entries);
}

} // namespace

TEST_F(FloatingContentTest, DiagramsPrintTheirShapesElseTheTextOfTheirNodes)
{
    const QByteArray closing = "<w:p><w:r><w:t>Closing words</w:t></w:r></w:p>";
    const QByteArray body = paragraph("Anchor words", diagramDrawing()) + closing;
    const QByteArray withFallback
        = paragraph("Anchor words", "<mc:AlternateContent><mc:Choice Requires=\"dgm\">" + diagramDrawing()
                                        + "</mc:Choice><mc:Fallback>" + anchoredPicture() + "</mc:Fallback></mc:AlternateContent>")
          + closing;
    const struct {
        const char* name;
        QByteArray file;
        QStringList boxes; // each box's paragraphs, in order
        int images;
    } cases[] = {
        {"drawing saved beside the diagram",
         diagramDocx(body, {{"rId20", diagramData("rId24")}, {"rId24", diagramShapes()}}),
         {"Left box", "Right box", "Lower box"}, 0},
        {"no drawing", diagramDocx(body, {{"rId20", diagramData({})}}), {"First step\nSub point\nSecond step"}, 0},
        {"drawing part missing", diagramDocx(body, {{"rId20", diagramData("rId24")}}),
         {"First step\nSub point\nSecond step"}, 0},
        {"markup-compatibility fallback picture",
         diagramDocx(withFallback, {{"rId20", diagramData("rId24")}, {"rId24", diagramShapes()}}), {}, 1},
        {"data part missing", diagramDocx(body, {}), {}, 0},
        {"damaged data part", diagramDocx(body, {{"rId20", "<dgm:dataModel><dgm:ptLst><dgm:pt"}}), {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocxData(c.file, document));
        const QList<QTextTable*> tables = tablesOf(document);
        ASSERT_EQ(tables.size(), c.boxes.size()) << qPrintable(textOf(document));
        for (int i = 0; i < tables.size(); ++i) {
            QTextCursor cell = tables[i]->cellAt(0, 0).firstCursorPosition();
            cell.setPosition(tables[i]->cellAt(0, 0).lastCursorPosition().position(), QTextCursor::KeepAnchor);
            EXPECT_EQ(cell.selectedText().replace(QChar::ParagraphSeparator, '\n'), c.boxes[i]);
        }
        EXPECT_EQ(testsupport::imageFormatsOf(document).size(), c.images);
        testsupport::expectInOrder(textOf(document), QStringList{"anchor end"} + c.boxes + QStringList{"Closing words"});
    }

    // Shapes keep their width, alignment and type; nodes stand without a line.
    QTextDocument shapes;
    ASSERT_TRUE(readDocxData(cases[0].file, shapes));
    const QTextTable* left = tablesOf(shapes).value(0);
    ASSERT_TRUE(left);
    EXPECT_NEAR(left->format().columnWidthConstraints().value(0).rawValue(), 100 * layoutUnitsPerPoint(), 0.5);
    EXPECT_GT(left->cellAt(0, 0).format().toTableCellFormat().topBorder(), 0);
    const QTextCursor right = shapes.find("Right box");
    EXPECT_EQ(right.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(right.charFormat().fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(right.charFormat().fontPointSize(), 18);
    QTextDocument nodes;
    ASSERT_TRUE(readDocxData(cases[1].file, nodes));
    ASSERT_EQ(tablesOf(nodes).size(), 1);
    EXPECT_EQ(tablesOf(nodes)[0]->cellAt(0, 0).format().toTableCellFormat().topBorder(), 0);

    const auto pdf = print(nodes, "diagram.pdf");
    ASSERT_TRUE(pdf);
    testsupport::expectInOrder(pdf->pageTexts.join(' '), {"Anchor words", "First step", "Sub point", "Second step", "Closing words"});
    EXPECT_FALSE(pdf->pageTexts.join(' ').contains("transition"));
}

TEST_F(FloatingContentTest, OdtFrameLinesFollowTheirGraphicStyle)
{
    const QByteArray styles = R"(<style:style style:name="red" style:family="graphic"><style:graphic-properties fo:border="2pt solid #ff0000" fo:padding="0pt"/></style:style>
<style:style style:name="unstroked" style:family="graphic"><style:graphic-properties draw:stroke="none"/></style:style>
<style:style style:name="top only" style:family="graphic"><style:graphic-properties fo:border="none" fo:border-top="1pt dashed #0000ff"/></style:style>
<style:style style:name="inherits" style:family="graphic" style:parent-style-name="red"><style:graphic-properties fo:padding="1pt"/></style:style>
<style:style style:name="bordered, stroke ignored" style:family="graphic"><style:graphic-properties fo:border="1pt solid #000000" draw:stroke="none"/></style:style>
<style:style style:name="green stroke" style:family="graphic"><style:graphic-properties draw:stroke="solid" svg:stroke-width="1.5pt" svg:stroke-color="#00ff00"/></style:style>
<style:style style:name="hairline" style:family="graphic"><style:graphic-properties svg:stroke-width="0cm"/></style:style>
<style:style style:name="shape over a frame style" style:family="graphic" style:parent-style-name="red"><style:graphic-properties draw:stroke="solid" svg:stroke-width="1.5pt" svg:stroke-color="#00ff00"/></style:style>)";
    const auto frame = [](const char* style) {
        return QByteArray(R"(<draw:frame draw:style-name=")") + style
               + R"(" text:anchor-type="paragraph" svg:width="200pt"><draw:text-box><text:p>Box words</text:p></draw:text-box></draw:frame>)";
    };
    const auto shape = [](const char* style) {
        return QByteArray(R"(<draw:custom-shape draw:style-name=")") + style
               + R"(" text:anchor-type="paragraph" svg:width="200pt"><text:p>Box words</text:p><draw:enhanced-geometry/></draw:custom-shape>)";
    };
    const BorderLine none;
    const BorderLine red{2, QTextFrameFormat::BorderStyle_Solid, QColor(255, 0, 0)};
    const BorderLine black{1, QTextFrameFormat::BorderStyle_Solid, Qt::black};
    const BorderLine standard{kTextBoxLinePoints, QTextFrameFormat::BorderStyle_Solid, Qt::black};
    const BorderLine blueDashed{1, QTextFrameFormat::BorderStyle_Dashed, QColor(0, 0, 255)};
    const BorderLine green{1.5, QTextFrameFormat::BorderStyle_Solid, QColor(0, 255, 0)};
    const BorderLine hairline{0.5, QTextFrameFormat::BorderStyle_Solid, Qt::black};
    const struct {
        const char* name;
        QByteArray floating;
        BoxLines lines; // by Edge
    } cases[] = {
        {"2pt red border", frame("red"), {red, red, red, red}},
        {"no stroke", frame("unstroked"), {none, none, none, none}},
        {"top edge only", frame("top only"), {blueDashed, none, none, none}},
        {"inherited from the parent style", frame("inherits"), {red, red, red, red}},
        {"borders over the stroke", frame("bordered, stroke ignored"), {black, black, black, black}},
        {"no style", frame("missing"), {standard, standard, standard, standard}},
        {"shape's stroke", shape("green stroke"), {green, green, green, green}},
        {"shape without stroke", shape("unstroked"), {none, none, none, none}},
        {"stroke of no width", shape("hairline"), {hairline, hairline, hairline, hairline}},
        {"shape's stroke over its frame style's border", shape("shape over a frame style"), {green, green, green, green}},
        {"frame's border over its stroke", frame("shape over a frame style"), {red, red, red, red}},
    };
    const double unit = layoutUnitsPerPoint();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readOdtData(zipBytes(testsupport::odtEntriesWithBody(odtParagraph("Anchor words", c.floating), styles)),
                                document));
        const QList<QTextTable*> tables = tablesOf(document);
        ASSERT_EQ(tables.size(), 1);
        const QTextTableCellFormat cell = tables[0]->cellAt(0, 0).format().toTableCellFormat();
        const double widths[4] = {cell.topBorder(), cell.leftBorder(), cell.bottomBorder(), cell.rightBorder()};
        const QBrush brushes[4] = {cell.topBorderBrush(), cell.leftBorderBrush(), cell.bottomBorderBrush(), cell.rightBorderBrush()};
        const QTextFrameFormat::BorderStyle kinds[4] = {cell.topBorderStyle(), cell.leftBorderStyle(), cell.bottomBorderStyle(),
                                                        cell.rightBorderStyle()};
        for (int edge = 0; edge < 4; ++edge) {
            SCOPED_TRACE(edge);
            const BorderLine& line = c.lines[edge];
            if (!line.visible()) {
                EXPECT_TRUE(widths[edge] == 0 || kinds[edge] == QTextFrameFormat::BorderStyle_None);
                continue;
            }
            EXPECT_NEAR(widths[edge], line.width * unit, 0.01);
            EXPECT_EQ(kinds[edge], line.style);
            EXPECT_EQ(brushes[edge].color(), line.color);
        }
    }

    // The red frame prints its line.
    QTextDocument document;
    ASSERT_TRUE(readOdtData(zipBytes(testsupport::odtEntriesWithBody(odtParagraph("Anchor words", frame("red")), styles)),
                            document));
    ASSERT_TRUE(print(document, "red frame.pdf"));
    // Two edges of some 200 points, two of a line or so, two points thick.
    EXPECT_GT(redPixels("red frame.pdf"), 2 * 2 * 190);
}

TEST_F(FloatingContentTest, OdtObjectsPrintTheirFormulaElseTheirReplacementPicture)
{
    const QByteArray mathML = R"(<math xmlns="http://www.w3.org/1998/Math/MathML"><semantics><mrow><msup><mi>x</mi><mn>2</mn></msup><mo>+</mo><mfrac><mi>a</mi><mi>b</mi></mfrac><mo>+</mo><msqrt><mi>y</mi></msqrt></mrow>)";
    const Entries parts = {
        {"Object 1/content.xml", mathML + "</semantics></math>"},
        {"Object 2/content.xml", mathML + R"(<annotation encoding="StarMath 5.0">x^2 + {a} over {b} + sqrt{y}</annotation></semantics></math>)"},
        {"Object 3/content.xml", R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"/>)"},
        {"ObjectReplacements/Object 1", testsupport::pngBytes(QSize(30, 10))},
        {"ObjectReplacements/Object 2", testsupport::pngBytes(QSize(30, 10))},
        {"ObjectReplacements/Object 3", testsupport::pngBytes(QSize(30, 10))},
    };
    const auto object = [](const char* name) {
        return QByteArray(R"(<draw:frame text:anchor-type="as-char" svg:width="60pt" svg:height="20pt"><draw:object xlink:href="./)")
               + name + R"("/><draw:image xlink:href="./ObjectReplacements/)" + name + R"("/></draw:frame>)";
    };
    const struct {
        const char* name;
        QByteArray body;
        const char* text;
        int images;
    } cases[] = {
        {"mathml", "<text:p>Formula " + object("Object 1") + "</text:p>", "Formula x^2+(a)/(b)+√(y)", 0},
        {"annotation", "<text:p>Formula " + object("Object 2") + "</text:p>", "Formula x^2 + {a} over {b} + sqrt{y}", 0},
        {"chart", "<text:p>Chart " + object("Object 3") + "</text:p>", "Chart \uFFFC", 1},
        {"missing object", "<text:p>Chart " + object("Object 9") + "</text:p>", "Chart", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readOdtData(odt(c.body, parts), document));
        EXPECT_EQ(document.firstBlock().text().trimmed(), QString::fromUtf8(c.text));
        EXPECT_EQ(testsupport::imageFormatsOf(document).size(), c.images);
    }
    // A flat file holds the formula inside its object.
    QTextDocument flat;
    ASSERT_TRUE(readFlatOdtData(testsupport::flatOdtWithBody("<text:p>Formula <draw:frame><draw:object>" + mathML
                                                            + "</semantics></math></draw:object></draw:frame></text:p>"),
                                flat));
    EXPECT_EQ(flat.firstBlock().text(), QString::fromUtf8("Formula x^2+(a)/(b)+√(y)"));
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

// The column width of a text box's table, in points.
double boxWidth(const QTextTable* table)
{
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    return widths.isEmpty() ? 0 : widths[0].rawValue() / layoutUnitsPerPoint();
}

TEST_F(FloatingContentTest, Word97TextBoxesPrintTheirStoryOnceWhereverTheyAreNamed)
{
    const auto patched = [](QByteArray bytes, qsizetype at, quint32 value) {
        bytes.replace(at, 4, le32(value));
        return bytes;
    };
    // Groups nested past the bound, the box innermost.
    QByteArray nested = textBox({}, 0x10000, 3000);
    for (int i = 0; i < kMaxOfficeArtDepth + 4; ++i)
        nested = officeArtGroup({.id = quint32(i == kMaxOfficeArtDepth + 3 ? kShapeId : 4000 + i), .kind = 0}, {nested});
    const QByteArray member = officeArtShape(
        {.id = 3000, .kind = 202, .textId = 0x10000, .childAnchor = QRect(0, 0, 500, 1000)});
    const struct {
        const char* name;
        DocShapes file;
        int boxes;
        double width; // points
    } cases[] = {
        {"text id as a property", {drawn({textBox({{kTextIdProperty, 0x10000}}, 0)})}, 1, 144},
        {"named by the story table alone", {drawn({textBox({}, 0)})}, 1, 144},
        {"no drawing records", {}, 1, 144},
        {"drawing group longer than its part", {[=](quint32) {
             return patched(officeArtContent({}, {textBox()}), 4, 0x7FFFFFF0);
         }},
         1, 144},
        {"shape cut short", {[=](quint32) {
             return officeArtContent({}, {patched(textBox(), 4, 0x7FFFFFF0)});
         }},
         1, 144},
        {"a chain of two boxes",
         {drawn({textBox(), textBox({}, 0x10001, kShapeId + 1)}), {{13, kShapeId, 2880, 1440}, {14, kShapeId + 1, 1440, 1440}}},
         1, 144},
        {"one shape anchored twice",
         {drawn({textBox()}), {{13, kShapeId, 2880, 1440}, {14, kShapeId, 2880, 1440}}}, 1, 144},
        {"member of a group, half its width",
         {drawn({officeArtGroup({.id = kShapeId, .kind = 0, .groupFrame = QRect(0, 0, 1000, 1000)}, {member})}),
          {{13, kShapeId, 2880, 1440}}, "Box words\r", docTextBoxStories({{10, 3000}})},
         1, 72},
        {"story past the text-box document",
         {drawn({textBox()}), {{13, kShapeId, 2880, 1440}}, "Box words\r", docTextBoxStories({{100, kShapeId}})}, 0, 0},
        {"text id past the story table",
         {drawn({textBox({}, 0x50000)}), {{13, kShapeId, 2880, 1440}}, "Box words\r", docTextBoxStories({{10, 7}})},
         0, 0},
        {"groups nested past the bound",
         {drawn({nested}), {{13, kShapeId, 2880, 1440}}, "Box words\r", docTextBoxStories({{10, 3000}})}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(c.file.build(), document));
        const QString text = textOf(document);
        EXPECT_EQ(text.count("Box words"), c.boxes) << qPrintable(text);
        expectInOrder(text, {"Anchor words", "anchor end", "Closing words"});
        const QList<QTextTable*> tables = tablesOf(document);
        ASSERT_EQ(tables.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(tables[0]->cellAt(0, 0).firstCursorPosition().block().text(), "Box words");
            EXPECT_NEAR(boxWidth(tables[0]), c.width, 0.01);
        }
    }
}

TEST_F(FloatingContentTest, Word97FloatingPicturesFollowTheirAnchorParagraphAtTheirSize)
{
    const QByteArray png = pngBytes(QSize(40, 20), Qt::blue);
    const QByteArray pngRecord = officeArtBitmap(kOfficeArtPng, 0x6E0, png);
    const auto stored = [](const QByteArray& picture, const QByteArray& shape = pictureFrame()) {
        return [=](quint32) { return officeArtContent({officeArtStoreEntry(picture)}, {shape}); };
    };
    QByteArray longRecord = pngRecord;
    longRecord.replace(4, 4, le32(quint32(png.size() + 1000)));
    const QByteArray member = officeArtShape(
        {.id = 3000, .kind = 75, .properties = {{kPictureProperty, 1}}, .childAnchor = QRect(0, 0, 500, 1000)});
    const QByteArray group = officeArtGroup({.id = kShapeId, .kind = 0, .groupFrame = QRect(0, 0, 1000, 1000)}, {member});
    DocShapes delayed = withPictures([size = pngRecord.size()](quint32 offset) {
        return officeArtContent({officeArtDelayedStoreEntry(offset, quint32(size))}, {pictureFrame()});
    });
    delayed.delay = pngRecord;
    DocShapes delayedPastTheStream = delayed;
    delayedPastTheStream.drawings = [size = pngRecord.size()](quint32 offset) {
        return officeArtContent({officeArtDelayedStoreEntry(offset + 1000000, quint32(size))}, {pictureFrame()});
    };
    const struct {
        const char* name;
        DocShapes file;
        int images;
        QSizeF size;
        QColor colour; // of the middle pixel
    } cases[] = {
        {"png in the table stream", withPictures(stored(pngRecord)), 1, {144, 72}, Qt::blue},
        {"png in the delay stream", delayed, 1, {144, 72}, Qt::blue},
        {"device-independent bitmap", withPictures(stored(officeArtBitmap(kOfficeArtDib, 0x7A8, bmpBytes(QSize(40, 20)).mid(14)))),
         1, {144, 72}, QColor(10, 20, 30)},
        {"bitmap with a palette",
         withPictures(stored(officeArtBitmap(kOfficeArtDib, 0x7A8, indexedBmpBytes(QSize(40, 20), QColor(200, 30, 60)).mid(14)))), 1,
         {144, 72}, QColor(200, 30, 60)},
        {"tiff", withPictures(stored(officeArtBitmap(kOfficeArtTiff, 0x6E4, tiffPagesBytes({QSize(40, 20)})))), 1, {144, 72},
         QColor(40, 40, 40)},
        {"picture fill of a shape",
         withPictures(stored(pngRecord, officeArtShape({.id = kShapeId, .kind = 1,
                                            .properties = {{kFillTypeProperty, 3}, {kFillPictureProperty, 1}}}))),
         1, {144, 72}, Qt::blue},
        {"member of a group", withPictures(stored(pngRecord, group)), 1, {72, 72}, Qt::blue},
        {"broken png", withPictures(stored(officeArtBitmap(kOfficeArtPng, 0x6E0, QByteArray("\x89PNG\r\n\x1a\n broken", 16)))), 0,
         {}, {}},
        {"store entry past the delay stream", delayedPastTheStream, 0, {}, {}},
        {"picture record longer than its entry", withPictures(stored(longRecord)), 0, {}, {}},
        {"store index past the store", withPictures(stored(pngRecord, pictureFrame(5))), 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(readDocData(c.file.build(), document));
        const QList<QTextImageFormat> images = imageFormatsOf(document);
        ASSERT_EQ(images.size(), c.images);
        if (c.images) {
            EXPECT_NEAR(images[0].width() / layoutUnitsPerPoint(), c.size.width(), 0.01);
            EXPECT_NEAR(images[0].height() / layoutUnitsPerPoint(), c.size.height(), 0.01);
            const QImage image = document.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
            EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), c.colour.rgb());
            const QTextBlock anchor = document.find("Anchor words").block();
            EXPECT_FALSE(anchor.text().contains(QChar::ObjectReplacementCharacter));
            EXPECT_EQ(anchor.next().text(), QString(QChar::ObjectReplacementCharacter));
        }
        const QString file = QString("doc-%1.pdf").arg(c.name);
        const auto pdf = print(document, file);
        ASSERT_TRUE(pdf);
        expectInOrder(pdf->pageTexts.join(' '), {"Anchor words", "anchor end", "Closing words"});
        EXPECT_EQ(imagesOnPages(file), c.images);
    }
}

TEST_F(FloatingContentTest, Word97InlineAndFloatingPicturesPrintOnceEachAtTheirSize)
{
    // A blue picture floating at an inch square, a dark bitmap inline at an
    // inch by half an inch.
    const QByteArray png = officeArtBitmap(kOfficeArtPng, 0x6E0, pngBytes(QSize(40, 40), Qt::blue));
    DocShapes file = withPictures([=](quint32) { return officeArtContent({officeArtStoreEntry(png)}, {pictureFrame()}); });
    file.anchors = {{13, kShapeId, 1440, 1440}};
    file.closing = {{"Closing words ", {}}, {QString(QChar(1)), sprm8(0x0855, 1) + sprm32(0x6A03, 0)}, {"\r", {}}};
    file.data = docPictureData(officeArtStoreEntry(officeArtBitmap(kOfficeArtDib, 0x7A8, bmpBytes(QSize(40, 20)).mid(14))),
                               1440, 720);
    QTextDocument document;
    ASSERT_TRUE(readDocData(file.build(), document));
    ASSERT_TRUE(print(document, "doc-pictures.pdf"));
    EXPECT_EQ(imagesOnPages("doc-pictures.pdf"), 2);
    // Poppler draws each picture once, over its size: at 72 dots an inch,
    // a dot a point.
    const QImage page = renderPdfPage(path("doc-pictures.pdf"), 0, 72);
    int blue = 0, dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
            dark += std::abs(c.red() - 10) < 12 && std::abs(c.green() - 20) < 12 && std::abs(c.blue() - 30) < 12;
        }
    EXPECT_NEAR(blue, 72 * 72, 72 * 4);
    EXPECT_NEAR(dark, 72 * 36, 72 * 4);
}

} // namespace

namespace {

TEST(FloatingContentNestingTest, BoxesNestedPastTheBoundKeepTheirText)
{
    constexpr int kLevels = 8;
    QByteArray docxBox = "<w:r><w:t>Innermost words</w:t></w:r>";
    QByteArray odtBox = "Innermost words";
    for (int i = 0; i < kLevels; ++i) {
        docxBox = "<w:r><w:drawing><wp:anchor><a:graphic><a:graphicData><wps:wsp><wps:txbx><w:txbxContent><w:p>" + docxBox
                  + "</w:p></w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
        odtBox = R"(<draw:custom-shape text:anchor-type="paragraph"><text:p>)" + odtBox + "</text:p></draw:custom-shape>";
    }
    QTextDocument fromDocx, fromOdt;
    ASSERT_TRUE(readDocxData(docx("<w:p>" + docxBox + "</w:p>"), fromDocx));
    ASSERT_TRUE(readOdtData(odt("<text:p>" + odtBox + "</text:p>"), fromOdt));
    for (const QTextDocument* document : {&fromDocx, &fromOdt}) {
        EXPECT_EQ(textOf(*document).count("Innermost words"), 1);
        int depth = 0;
        for (QTextFrame* frame = document->rootFrame(); !frame->childFrames().isEmpty(); frame = frame->childFrames().first())
            ++depth;
        EXPECT_EQ(depth, kMaxTextBoxDepth);
    }
}

} // namespace
