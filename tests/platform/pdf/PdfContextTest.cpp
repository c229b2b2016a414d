#include "platform/pdf/PdfContext.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/platform/pdf/QpdfEdit.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <string>

using platform::pdf::PdfContext;
using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;

namespace {

class PdfContextTest : public ::testing::Test {
protected:
    QString save(const QByteArray& bytes)
    {
        const QString file = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++m_files));
        testsupport::writeFile(file, bytes);
        return file;
    }
    static bool dark(const QImage& image, double fx, double fy)
    {
        const QPoint at(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
        return qGray(image.pixel(at)) < 128;
    }
    // Which of the corners (top-left, top-right, bottom-right, bottom-left) are dark.
    static std::string darkCorners(const QImage& image)
    {
        std::string s;
        s += dark(image, 0.1, 0.1) ? 'X' : '.';
        s += dark(image, 0.9, 0.1) ? 'X' : '.';
        s += dark(image, 0.9, 0.9) ? 'X' : '.';
        s += dark(image, 0.1, 0.9) ? 'X' : '.';
        return s;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

TEST_F(PdfContextTest, PagesTakeTheirMediaBoxes)
{
    PdfContext context;
    EXPECT_TRUE(context.finish().isEmpty());
    context.beginPage(QRectF(0, 0, 300, 400));
    context.beginPage(QRectF(0, 0, 500, 200));  // ends the first page
    context.endPage();
    context.endPage();
    context.beginPage(QRectF(10, 10, 0, 100));  // no area: starts no page
    EXPECT_EQ(context.pageCount(), 2);
    const auto facts = testsupport::inspectPdf(save(context.finish()));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageSizes, (QList<QSizeF>{QSizeF(300, 400), QSizeF(500, 200)}));
}

TEST_F(PdfContextTest, FlattenedPagesKeepTheirText)
{
    auto source = PdfDocument::fromData(pdftest::makeNumberedPdf(3));
    ASSERT_TRUE(source);
    PdfContext context;
    for (int i = 0; i < source->pageCount(); ++i) {
        const QRectF box = source->page(i).cropBox();
        context.beginPage(box);
        EXPECT_TRUE(context.drawPage(source->page(i), box));
        context.endPage();
    }
    const auto facts = testsupport::inspectPdf(save(context.finish()));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(facts->pageTexts[i].trimmed(), QStringLiteral("Page %1").arg(i + 1));
    EXPECT_FALSE(facts->fontNames.isEmpty());
}

TEST_F(PdfContextTest, SourceMayGoAwayBeforeFinish)
{
    PdfContext context;
    {
        auto source = PdfDocument::fromData(pdftest::makeNumberedPdf(1));
        ASSERT_TRUE(source);
        context.beginPage(QRectF(0, 0, 200, 300));
        ASSERT_TRUE(context.drawPage(source->page(0), QRectF(0, 0, 200, 300)));
    }
    const auto facts = testsupport::inspectPdf(save(context.finish()));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageTexts.value(0).trimmed(), "Page 1");
}

TEST_F(PdfContextTest, RotationIsApplied)
{
    struct Case {
        int rotation;
        const char* corners;
    };
    // The square stands at the page's top-left corner before rotation;
    // /Rotate turns the page clockwise.
    const Case cases[] = {{0, "X..."}, {90, ".X.."}, {180, "..X."}, {270, "...X"}, {-90, "...X"}, {450, ".X.."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        auto source = PdfDocument::fromData(
            pdftest::makePdf({{QSizeF(200, 300), QString(), QRectF(0, 0, 60, 60)}}));
        ASSERT_TRUE(source);
        PdfPage page = source->page(0);
        page.setRotation(c.rotation);
        const bool swapped = page.rotation() % 180 != 0;
        const QRectF box(0, 0, swapped ? 300 : 200, swapped ? 200 : 300);
        PdfContext context;
        context.beginPage(box);
        ASSERT_TRUE(context.drawPage(page, box));
        const QImage image = testsupport::renderPdfPage(save(context.finish()), 0);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), box.size().toSize());
        EXPECT_EQ(darkCorners(image), c.corners);
    }
}

TEST_F(PdfContextTest, AspectRatioKeptAndCentred)
{
    auto source = PdfDocument::fromData(pdftest::makePdf({{QSizeF(200, 300), QString(), QRectF(0, 0, 200, 300)}}));
    ASSERT_TRUE(source);
    PdfContext context;
    context.beginPage(QRectF(0, 0, 400, 300));
    // Twice as wide as needed: the page is 200 wide in the middle.
    ASSERT_TRUE(context.drawPage(source->page(0), QRectF(0, 0, 400, 300)));
    context.beginPage(QRectF(0, 0, 100, 600));
    // A smaller rect offset on the page: scaled down to 50 x 75.
    ASSERT_TRUE(context.drawPage(source->page(0), QRectF(25, 0, 50, 600)));
    const QString file = save(context.finish());

    const QImage wide = testsupport::renderPdfPage(file, 0);
    ASSERT_EQ(wide.size(), QSize(400, 300));
    for (const auto& [x, black] : std::vector<std::pair<int, bool>>{{90, false}, {110, true}, {290, true}, {310, false}})
        EXPECT_EQ(qGray(wide.pixel(x, 150)) < 128, black) << "x " << x;

    const QImage tall = testsupport::renderPdfPage(file, 1);
    ASSERT_EQ(tall.size(), QSize(100, 600));
    // Centred vertically: rows 262.5 to 337.5 from the top.
    for (const auto& [y, black] : std::vector<std::pair<int, bool>>{{250, false}, {270, true}, {330, true}, {350, false}})
        EXPECT_EQ(qGray(tall.pixel(50, y)) < 128, black) << "y " << y;
}

TEST_F(PdfContextTest, CropBoxIsWhatIsDrawn)
{
    // The crop box is the page's top-left quarter, holding a 60 pt square.
    const QByteArray square = pdftest::makePdf({{QSizeF(200, 300), QString(), QRectF(0, 0, 60, 60)}});
    auto source = PdfDocument::fromData(pdftest::editPdf(square, [](QPDF& qpdf, std::vector<QPDFObjectHandle>& pages) {
        pages[0].replaceKey("/CropBox", pdftest::parseWithPages(qpdf, pages, "[0 150 100 300]"));
    }));
    ASSERT_TRUE(source);
    PdfContext context;
    context.beginPage(QRectF(0, 0, 100, 150));
    ASSERT_TRUE(context.drawPage(source->page(0), QRectF(0, 0, 100, 150)));
    const QImage image = testsupport::renderPdfPage(save(context.finish()), 0);
    ASSERT_EQ(image.size(), QSize(100, 150));
    // Drawn at full scale: the square reaches 60 pt; the rest is blank.
    EXPECT_LT(qGray(image.pixel(50, 50)), 128);
    EXPECT_GT(qGray(image.pixel(70, 50)), 128);
    EXPECT_GT(qGray(image.pixel(50, 140)), 128);
}

struct Refusal {
    const char* name;
    bool openPage;
    bool nullPage;
    QRectF rect;
};

TEST_F(PdfContextTest, RefusesWhatCannotBeDrawn)
{
    const Refusal cases[] = {
        {"no open page", false, false, QRectF(0, 0, 100, 100)},
        {"null page", true, true, QRectF(0, 0, 100, 100)},
        {"empty rect", true, false, QRectF(0, 0, 0, 100)},
        {"negative rect", true, false, QRectF(0, 0, -50, 100)},
        {"not finite rect", true, false, QRectF(0, 0, std::nan(""), 100)},
    };
    auto source = PdfDocument::fromData(pdftest::makeNumberedPdf(1));
    ASSERT_TRUE(source);
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        PdfContext context;
        if (c.openPage)
            context.beginPage(QRectF(0, 0, 100, 100));
        EXPECT_FALSE(context.drawPage(c.nullPage ? PdfPage() : source->page(0), c.rect));
    }
}

TEST_F(PdfContextTest, PagesWithoutOrWithDamagedContents)
{
    const QByteArray bytes = pdftest::editedPdf(3, [](QPDF& qpdf, std::vector<QPDFObjectHandle>& pages) {
        pages[0].removeKey("/Contents");
        auto broken = QPDFObjectHandle::newStream(&qpdf, std::string("not deflate data at all"));
        broken.getDict().replaceKey("/Filter", QPDFObjectHandle::newName("/FlateDecode"));
        pages[1].replaceKey("/Contents", broken);
    });
    auto source = PdfDocument::fromData(bytes);
    ASSERT_TRUE(source);
    PdfContext context;
    const QRectF box(0, 0, 200, 300);
    context.beginPage(box);
    EXPECT_TRUE(context.drawPage(source->page(0), box));  // blank, but drawn
    context.beginPage(box);
    EXPECT_FALSE(context.drawPage(source->page(1), box));
    context.beginPage(box);
    EXPECT_TRUE(context.drawPage(source->page(2), box));
    const auto facts = testsupport::inspectPdf(save(context.finish()));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 3);
    EXPECT_EQ(facts->pageTexts[2].trimmed(), "Page 3");
}

} // namespace
