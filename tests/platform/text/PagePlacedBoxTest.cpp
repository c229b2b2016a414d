// Text boxes and pictures of a DOCX that the text flows over (no wrapping),
// set at offsets from the page or the margin: printed at that place on the
// page where their anchor paragraph starts, taking no room in the text.
#include "platform/text/TextPrinter.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextDocument>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace platform::text;
using namespace testsupport;

namespace {

constexpr double kEmuPerPoint = 12700;
// US Letter with inch margins.
constexpr double kPaperWidth = 612, kPaperHeight = 792, kMargin = 72;

QByteArray offset(double points)
{
    return "<wp:posOffset>" + QByteArray::number(qint64(points * kEmuPerPoint)) + "</wp:posOffset>";
}

struct Anchor {
    QByteArray wrap = "<wp:wrapNone/>";
    QByteArray horizontalFrom = "page";
    QByteArray vertical = offset(400);
    QByteArray verticalFrom = "page";
    double x = 300; // points
};

// An anchored drawing of graphic (a text box or picture) 200 by 50 points.
QByteArray anchored(const Anchor& anchor, const QByteArray& graphic)
{
    return R"(<w:r><w:drawing><wp:anchor simplePos="0" behindDoc="0"><wp:simplePos x="0" y="0"/><wp:positionH relativeFrom=")"
           + anchor.horizontalFrom + R"("><wp:posOffset>)" + QByteArray::number(qint64(anchor.x * kEmuPerPoint))
           + R"(</wp:posOffset></wp:positionH><wp:positionV relativeFrom=")" + anchor.verticalFrom + R"(">)"
           + anchor.vertical + R"(</wp:positionV><wp:extent cx="2540000" cy="635000"/>)" + anchor.wrap
           + R"(<a:graphic><a:graphicData>)" + graphic + "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
}

QByteArray windowBox(const Anchor& anchor)
{
    return anchored(anchor, R"(<wps:wsp><wps:spPr><a:ln w="6350"><a:solidFill><a:srgbClr val="000000"/></a:solidFill></a:ln></wps:spPr><wps:txbx><w:txbxContent><w:p><w:r><w:t>Window words</w:t></w:r></w:p></w:txbxContent></wps:txbx></wps:wsp>)");
}

QByteArray windowPicture(const Anchor& anchor)
{
    return anchored(anchor, R"(<pic:pic><pic:blipFill><a:blip r:embed="rId3"/></pic:blipFill></pic:pic>)");
}

QByteArray paragraph(const QByteArray& words, const QByteArray& drawing = {})
{
    return "<w:p><w:r><w:t>" + words + "</w:t></w:r>" + drawing + "</w:p>";
}

const QByteArray kPageBreak = R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)";

// The box or picture floats in the one paragraph that holds drawing,
// between an opening and a closing paragraph.
QByteArray letter(const QByteArray& drawing, const QByteArray& beforeAnchor = {})
{
    return paragraph("Opening words") + beforeAnchor + paragraph("Anchor words", drawing) + paragraph("Closing words");
}

class PagePlacedBoxTest : public TemporaryFolderTest {
protected:
    // Prints the DOCX of body (with picture as its picture part when given)
    // to name on US Letter with inch margins; answers its page count as
    // Poppler reads it.
    std::optional<int> print(const QByteArray& body, const QString& name, const QByteArray& picture = {})
    {
        QList<QPair<QString, QByteArray>> entries = docxEntriesWithBody(body);
        for (auto& entry : entries)
            if (!picture.isEmpty() && entry.first == "word/media/image1.png")
                entry.second = picture;
        QTextDocument document;
        if (!readDocxData(zipBytes(entries), document))
            return std::nullopt;
        PrintSettings settings;
        settings.paperSize = QSizeF(kPaperWidth, kPaperHeight);
        settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = kMargin;
        if (!printToPDF(document, settings, path(name)))
            return std::nullopt;
        const auto facts = inspectPdf(path(name));
        return facts ? std::optional(facts->pageCount) : std::nullopt;
    }
    // The box of the first word of that page starting with word; a null
    // rectangle when there is none.
    QRectF wordBox(const QString& name, int page, const QString& word)
    {
        for (const PdfWord& w : pageWords(path(name), page))
            if (w.text.startsWith(word))
                return w.box;
        return {};
    }
};

// Where a word processor starts a text box's text by default: its insets
// within the box's edges, in points.
constexpr double kInsetLeft = 7.2, kInsetTop = 3.6;
// Points a printed word may lie from where it is expected.
constexpr double kNear = 2;

TEST_F(PagePlacedBoxTest, BoxesOverTheTextPrintAtTheirPlaceTakingNoRoom)
{
    ASSERT_EQ(print(letter({}), "none.pdf"), 1);
    const QRectF closing = wordBox("none.pdf", 0, "Closing");
    ASSERT_FALSE(closing.isNull());
    const struct {
        const char* name;
        Anchor anchor;
        QPointF place; // of the box on the paper
    } cases[] = {
        {"from the page", {}, {300, 400}},
        {"from the margin", {.horizontalFrom = "margin", .verticalFrom = "margin"}, {kMargin + 300, kMargin + 400}},
        {"from the page across, the margin down", {.verticalFrom = "margin"}, {300, kMargin + 400}},
        {"off the paper's right edge, moved onto it", {.x = 700}, {kPaperWidth - 200, 400}},
        {"above the paper's top edge, moved onto it", {.vertical = offset(-100)}, {300, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString("%1.pdf").arg(c.name);
        ASSERT_EQ(print(letter(windowBox(c.anchor)), name), 1);
        const QRectF window = wordBox(name, 0, "Window");
        ASSERT_FALSE(window.isNull());
        EXPECT_NEAR(window.left(), c.place.x() + kInsetLeft, kNear);
        EXPECT_NEAR(window.top(), c.place.y() + kInsetTop, kNear);
        EXPECT_NEAR(wordBox(name, 0, "Closing").top(), closing.top(), 0.1);
        EXPECT_EQ(foldedPageTexts(path(name)).join(' ').count("Window words"), 1);
    }
}

TEST_F(PagePlacedBoxTest, BoxesPrintOnThePageTheirParagraphStartsOn)
{
    const Anchor second{.x = 100};
    const QByteArray drawings = windowBox({}) + windowBox(second);
    ASSERT_EQ(print(letter(drawings, kPageBreak), "second page.pdf"), 2);
    EXPECT_FALSE(foldedPageTexts(path("second page.pdf")).at(0).contains("Window"));
    QList<double> lefts;
    for (const PdfWord& word : pageWords(path("second page.pdf"), 1))
        if (word.text == "Window") {
            lefts.append(word.box.left());
            EXPECT_NEAR(word.box.top(), 400 + kInsetTop, kNear);
        }
    std::sort(lefts.begin(), lefts.end());
    ASSERT_EQ(lefts.size(), 2);
    EXPECT_NEAR(lefts[0], 100 + kInsetLeft, kNear);
    EXPECT_NEAR(lefts[1], 300 + kInsetLeft, kNear);
}

TEST_F(PagePlacedBoxTest, PicturesOverTheTextPrintAtTheirPlace)
{
    const QByteArray red = indexedBmpBytes(QSize(40, 10), Qt::red);
    ASSERT_EQ(print(letter(windowPicture({})), "picture.pdf", red), 1);
    const QImage page = renderPdfPage(path("picture.pdf"), 0, 72);
    const QRect place(300, 400, 200, 50);
    int inside = 0, outside = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                ++(place.adjusted(-2, -2, 2, 2).contains(x, y) ? inside : outside);
        }
    EXPECT_GT(inside, place.width() * place.height() * 9 / 10);
    EXPECT_EQ(outside, 0);
}

// Boxes the text wraps around, or placed from anything but the page or the
// margin, or aligned rather than set at an offset, still print after their
// anchor paragraph and take their room.
TEST_F(PagePlacedBoxTest, OtherBoxesStayInTheFlowAfterTheirParagraph)
{
    ASSERT_EQ(print(letter({}), "none.pdf"), 1);
    const QRectF closing = wordBox("none.pdf", 0, "Closing");
    const struct {
        const char* name;
        Anchor anchor;
    } cases[] = {
        {"square wrapping", {.wrap = R"(<wp:wrapSquare wrapText="bothSides"/>)"}},
        {"tight wrapping", {.wrap = R"(<wp:wrapTight wrapText="bothSides"/>)"}},
        {"top and bottom wrapping", {.wrap = "<wp:wrapTopAndBottom/>"}},
        {"no wrapping named", {.wrap = ""}},
        {"from the column", {.horizontalFrom = "column"}},
        {"from the paragraph", {.verticalFrom = "paragraph"}},
        {"aligned", {.vertical = "<wp:align>top</wp:align>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString("%1.pdf").arg(c.name);
        ASSERT_EQ(print(letter(windowBox(c.anchor)), name), 1);
        const QString text = foldedPageTexts(path(name)).join(' ');
        EXPECT_TRUE(text.contains("Anchor words Window words Closing words")) << qPrintable(text);
        EXPECT_GT(wordBox(name, 0, "Closing").top(), closing.top() + 10);
    }
}

} // namespace
