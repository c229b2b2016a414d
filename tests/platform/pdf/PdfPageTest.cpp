#include "platform/pdf/PdfDocument.h"
#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/support/TestSupport.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <functional>

using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;

namespace {

using Dict = QPDFObjectHandle;

// One page built with qpdf so that attributes can sit on the page tree.
// content is the page's content stream; edit adjusts the page and the tree.
QByteArray qpdfPage(const std::string& content, const std::function<void(Dict pagesRoot, Dict page)>& edit)
{
    QPDF qpdf;
    qpdf.emptyPDF();
    Dict page = qpdf.makeIndirectObject(Dict::parse("<< /Type /Page /MediaBox [0 0 200 300] >>"));
    page.replaceKey("/Contents", qpdf.newStream(content));
    qpdf.addPage(page, false);
    edit(qpdf.getRoot().getKey("/Pages"), qpdf.getAllPages().at(0));
    QPDFWriter writer(qpdf);
    writer.setOutputMemory();
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

bool allWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            if (line[x] != 0xFF)
                return false;
    }
    return true;
}

bool isBlack(const QImage& image, int x, int y)
{
    return (image.pixel(x, y) & 0xFFFFFF) == 0;
}

bool isWhite(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == 0xFFFFFFFF;
}

TEST(PdfPageTest, RotationIsInheritedAndNormalised)
{
    struct Case {
        const char* treeRotate;  // on the page tree root, nullptr for none
        const char* pageRotate;  // on the page, nullptr for none
        int expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0},  {"450", nullptr, 90}, {"90", "-90", 270}, {nullptr, "180", 180},
        {nullptr, "720", 0},    {nullptr, "45", 0},   {nullptr, "90.0", 90}, {nullptr, "/Ninety", 0},
        {"-630", nullptr, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.treeRotate ? c.treeRotate : "-") + " / " + (c.pageRotate ? c.pageRotate : "-"));
        const auto doc = PdfDocument::fromData(qpdfPage("", [&](Dict root, Dict page) {
            if (c.treeRotate)
                root.replaceKey("/Rotate", Dict::parse(c.treeRotate));
            if (c.pageRotate)
                page.replaceKey("/Rotate", Dict::parse(c.pageRotate));
        }));
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->page(0).rotation(), c.expected);
    }
}

TEST(PdfPageTest, SetRotationWritesNormalisedValueOnThePage)
{
    struct Case {
        int degrees;
        int expected;
    };
    for (const Case& c : {Case{90, 90}, Case{-90, 270}, Case{630, 270}, Case{360, 0}, Case{-720, 0}, Case{45, 180}}) {
        SCOPED_TRACE(c.degrees);
        // The tree says 180: a value the page does not take keeps it.
        const auto doc = PdfDocument::fromData(
            qpdfPage("", [](Dict root, Dict) { root.replaceKey("/Rotate", Dict::newInteger(180)); }));
        ASSERT_TRUE(doc);
        PdfPage page = doc->page(0);
        page.setRotation(c.degrees);
        EXPECT_EQ(page.rotation(), c.expected);

        QPDF check;
        const QByteArray bytes = doc->dataRepresentation();
        check.processMemoryFile("out", bytes.constData(), size_t(bytes.size()));
        Dict written = check.getAllPages().at(0);
        if (c.degrees % 90 == 0) {
            ASSERT_TRUE(written.getKey("/Rotate").isInteger());
            EXPECT_EQ(written.getKey("/Rotate").getIntValue(), c.expected);
        }
    }
}

TEST(PdfPageTest, BoxesResolveInheritanceAndFallBack)
{
    struct Case {
        const char* name;
        std::function<void(Dict root, Dict page)> edit;
        QRectF media, crop;
    };
    const Case cases[] = {
        {"page's own", [](Dict, Dict) {}, QRectF(0, 0, 200, 300), QRectF(0, 0, 200, 300)},
        {"offset origin",
         [](Dict, Dict page) { page.replaceKey("/MediaBox", Dict::parse("[10 20 210 320]")); },
         QRectF(10, 20, 200, 300), QRectF(10, 20, 200, 300)},
        {"reversed corners",
         [](Dict, Dict page) { page.replaceKey("/MediaBox", Dict::parse("[210 320 10 20]")); },
         QRectF(10, 20, 200, 300), QRectF(10, 20, 200, 300)},
        {"inherited media",
         [](Dict root, Dict page) {
             page.removeKey("/MediaBox");
             root.replaceKey("/MediaBox", Dict::parse("[0 0 400 500]"));
         },
         QRectF(0, 0, 400, 500), QRectF(0, 0, 400, 500)},
        {"inherited crop",
         [](Dict root, Dict) { root.replaceKey("/CropBox", Dict::parse("[50 50 150 150.5]")); },
         QRectF(0, 0, 200, 300), QRectF(50, 50, 100, 100.5)},
        {"page crop over tree crop",
         [](Dict root, Dict page) {
             root.replaceKey("/CropBox", Dict::parse("[50 50 150 150]"));
             page.replaceKey("/CropBox", Dict::parse("[1 2 3 4]"));
         },
         QRectF(0, 0, 200, 300), QRectF(1, 2, 2, 2)},
        {"malformed boxes",
         [](Dict, Dict page) {
             page.replaceKey("/MediaBox", Dict::parse("[0 0 (a) 5]"));
             page.replaceKey("/CropBox", Dict::parse("[0 0 1]"));
         },
         QRectF(0, 0, 612, 792), QRectF(0, 0, 612, 792)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto doc = PdfDocument::fromData(qpdfPage("", c.edit));
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->page(0).mediaBox(), c.media);
        EXPECT_EQ(doc->page(0).cropBox(), c.crop);
    }
}

TEST(PdfPageTest, NullHandlesAnswerEmpty)
{
    const PdfPage page;
    EXPECT_TRUE(page.isNull());
    EXPECT_EQ(page.document(), nullptr);
    EXPECT_EQ(page.index(), -1);
    EXPECT_EQ(page.rotation(), 0);
    EXPECT_TRUE(page.mediaBox().isNull());
    EXPECT_TRUE(page.text().isEmpty());
    EXPECT_TRUE(page.render(QRectF(0, 0, 10, 10), 1).isNull());

    PdfPage orphan;
    {
        const auto doc = PdfDocument::fromData(pdftest::makeNumberedPdf(1));
        orphan = doc->page(0);
        EXPECT_FALSE(orphan.isNull());
    }
    EXPECT_TRUE(orphan.isNull());
    EXPECT_EQ(orphan.index(), -1);
}

TEST(PdfPageTest, TextIsExtracted)
{
    const auto doc = PdfDocument::fromData(pdftest::makePdf(
        {{QSizeF(300, 200), QStringLiteral("Grüße aus Köln"), {}}, {QSizeF(300, 200), QString(), {}}}));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->page(0).text().trimmed(), QStringLiteral("Grüße aus Köln"));
    EXPECT_EQ(doc->page(1).text().trimmed(), QString());
}

TEST(PdfPageTest, TextsStayWithTheirPagesWhateverOrderTheyAreAskedIn)
{
    // One page read alone, then the rest at once, with a page removed between.
    QList<pdftest::PageSpec> specs;
    for (int i = 0; i < 60; ++i)
        specs.append({QSizeF(300, 200), QStringLiteral("page %1").arg(i), {}});
    const auto doc = PdfDocument::fromData(pdftest::makePdf(specs));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->page(59).text().trimmed(), QStringLiteral("page 59"));
    const PdfPage third = doc->page(2);
    ASSERT_TRUE(doc->removePage(0));
    EXPECT_EQ(third.text().trimmed(), QStringLiteral("page 2"));
    for (int i = 0; i < doc->pageCount(); ++i)
        EXPECT_EQ(doc->page(i).text().trimmed(), QStringLiteral("page %1").arg(i + 1));
}

TEST(PdfPageTest, BlankPagesRenderAllWhite)
{
    struct Case {
        const char* mediaBox;
        double scale;
        QSize pixels;
    };
    for (const Case& c : {Case{"[0 0 200 300]", 1.0, QSize(200, 300)}, Case{"[0 0 200 300]", 0.37, QSize(74, 111)},
                          Case{"[0 0 200.6 300.9]", 1.0, QSize(200, 300)},
                          Case{"[0 0 595.28 841.89]", 2.0, QSize(1190, 1683)},
                          Case{"[-10.5 7.25 100 100]", 3.0, QSize(331, 278)}}) {
        SCOPED_TRACE(c.mediaBox);
        const auto doc = PdfDocument::fromData(
            qpdfPage("", [&](Dict, Dict page) { page.replaceKey("/MediaBox", Dict::parse(c.mediaBox)); }));
        ASSERT_TRUE(doc);
        const PdfPage page = doc->page(0);
        const QImage image = page.render(page.cropBox(), c.scale);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), c.pixels);
        EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_TRUE(allWhite(image));
    }
    // An empty page printed by Qt is white too.
    const auto printed = PdfDocument::fromData(pdftest::makePdf({{QSizeF(200, 300), QString(), {}}}));
    ASSERT_TRUE(printed);
    EXPECT_TRUE(allWhite(printed->page(0).render(printed->page(0).cropBox(), 1)));
}

TEST(PdfPageTest, RenderDrawsContentWithRotationAndBox)
{
    // A black square at the top-left corner of a 200 x 300 pt page.
    const auto doc = PdfDocument::fromData(pdftest::makePdf({{QSizeF(200, 300), QString(), QRectF(0, 0, 50, 50)}}));
    ASSERT_TRUE(doc);
    PdfPage page = doc->page(0);

    QImage image = page.render(page.cropBox(), 1);
    ASSERT_EQ(image.size(), QSize(200, 300));
    EXPECT_FALSE(allWhite(image));
    EXPECT_TRUE(isBlack(image, 10, 10));
    EXPECT_TRUE(isWhite(image, 150, 250));

    // Part of the page only: the square's own area.
    image = page.render(QRectF(0, 250, 50, 50), 2);
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_TRUE(isBlack(image, 50, 50));
    EXPECT_TRUE(isBlack(image, 95, 95));

    // Turned a quarter clockwise, the top-left corner goes to the top-right.
    page.setRotation(90);
    image = page.render(page.cropBox(), 1);
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_TRUE(isBlack(image, 290, 10));
    EXPECT_TRUE(isWhite(image, 10, 10));

    for (double scale : {0.0, -1.0, std::nan(""), 1e9})
        EXPECT_TRUE(page.render(page.cropBox(), scale).isNull()) << scale;
    EXPECT_TRUE(page.render(QRectF(0, 0, 0, 300), 1).isNull());
}

TEST(PdfPageTest, RenderUsesTheGivenBoxEvenWhenTheCropBoxIsEmpty)
{
    const auto doc = PdfDocument::fromData(qpdfPage("0 0 0 rg 0 250 50 50 re f", [](Dict, Dict page) {
        page.replaceKey("/CropBox", Dict::parse("[0 0 0 300]"));
    }));
    ASSERT_TRUE(doc);
    const PdfPage page = doc->page(0);
    const QImage image = page.render(page.mediaBox(), 1);
    ASSERT_EQ(image.size(), QSize(200, 300));
    EXPECT_TRUE(isBlack(image, 10, 10));
    EXPECT_TRUE(isWhite(image, 100, 100));
}

// Distance of the first word's top edge from the page's top, as Poppler sees it.
double textTop(const QByteArray& pdf)
{
    const auto doc = Poppler::Document::loadFromData(pdf);
    if (!doc)
        return -1;
    const auto page = doc->page(0);
    const auto boxes = page ? page->textList() : decltype(page->textList()){};
    return boxes.empty() ? -1 : boxes.front()->boundingBox().top();
}

TEST(PdfPageTest, ResizeKeepsTopLeftContentInPlace)
{
    struct Case {
        QSizeF printed;
        QSizeF wanted;
    };
    for (const Case& c : {Case{QSizeF(595, 842), QSizeF(595.28, 841.89)}, Case{QSizeF(200, 300), QSizeF(250.5, 200.25)},
                          Case{QSizeF(612, 792), QSizeF(612, 792)}}) {
        SCOPED_TRACE(c.wanted.height());
        const QByteArray printed = pdftest::makePdf({{c.printed, QStringLiteral("Heading"), {}}});
        const double before = textTop(printed);
        ASSERT_GT(before, 0);
        const auto doc = PdfDocument::fromData(printed);
        ASSERT_TRUE(doc);
        ASSERT_TRUE(doc->resizePageKeepingTopLeft(0, c.wanted));
        const QByteArray resized = doc->dataRepresentation();

        EXPECT_NEAR(textTop(resized), before, 0.01);
        const auto check = PdfDocument::fromData(resized);
        ASSERT_TRUE(check);
        for (const QRectF& box : {check->page(0).mediaBox(), check->page(0).cropBox()}) {
            EXPECT_NEAR(box.x(), 0, 0.01);
            EXPECT_NEAR(box.y(), 0, 0.01);
            EXPECT_NEAR(box.width(), c.wanted.width(), 0.01);
            EXPECT_NEAR(box.height(), c.wanted.height(), 0.01);
        }
        EXPECT_EQ(check->page(0).text().trimmed(), QStringLiteral("Heading"));
    }
}

TEST(PdfPageTest, ResizeHandlesOffsetOriginAndInheritedBoxes)
{
    // Media box starting at y = 100, square at its top-left corner, a crop
    // box inherited from the tree and a trim box on the page.
    const auto doc = PdfDocument::fromData(qpdfPage("0 0 0 rg 10 350 50 50 re f", [](Dict root, Dict page) {
        page.replaceKey("/MediaBox", Dict::parse("[10 100 210 400]"));
        page.replaceKey("/TrimBox", Dict::parse("[20 120 200 380]"));
        root.replaceKey("/CropBox", Dict::parse("[0 0 100 100]"));
    }));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->resizePageKeepingTopLeft(0, QSizeF(300, 500)));
    const PdfPage page = doc->page(0);
    EXPECT_EQ(page.mediaBox(), QRectF(0, 0, 300, 500));
    EXPECT_EQ(page.cropBox(), QRectF(0, 0, 300, 500));
    const QImage image = page.render(page.cropBox(), 1);
    ASSERT_EQ(image.size(), QSize(300, 500));
    EXPECT_TRUE(isBlack(image, 5, 5));
    EXPECT_TRUE(isBlack(image, 45, 45));
    EXPECT_TRUE(isWhite(image, 55, 55));

    for (const QSizeF& bad : {QSizeF(0, 100), QSizeF(-5, 100), QSizeF(100, std::nan(""))})
        EXPECT_FALSE(doc->resizePageKeepingTopLeft(0, bad));
    EXPECT_FALSE(doc->resizePageKeepingTopLeft(1, QSizeF(10, 10)));
}

TEST(PdfPageTest, ResizingOneCopyLeavesItsTwinAlone)
{
    const auto doc = PdfDocument::fromData(pdftest::makePdf({{QSizeF(200, 300), QStringLiteral("Twin"), {}}}));
    ASSERT_TRUE(doc);
    doc->insertPage(doc->page(0), 1);
    ASSERT_TRUE(doc->resizePageKeepingTopLeft(1, QSizeF(400, 400)));
    EXPECT_EQ(doc->page(0).mediaBox(), QRectF(0, 0, 200, 300));
    const QByteArray bytes = doc->dataRepresentation();
    const auto poppler = Poppler::Document::loadFromData(bytes);
    ASSERT_TRUE(poppler);
    const auto first = poppler->page(0), second = poppler->page(1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->textList().front()->boundingBox().top(), second->textList().front()->boundingBox().top());
}

} // namespace
