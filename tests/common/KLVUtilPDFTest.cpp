#include "Common UI Code/KLVUtil.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/HandWrittenPdf.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Page 1: A4 portrait with a black square in its top-left corner; page 2:
// A4 landscape.
QByteArray twoPagePdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 100, 100), Qt::black);
    painter.drawText(QPointF(200, 400), "First page");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, {}));
    writer.newPage();
    painter.drawText(QPointF(200, 300), "Second page");
    painter.end();
    return buffer.data();
}

// A one-page PDF with the given page-box entries, written by hand so that
// any crop box can be set.
QByteArray pdfWithBoxes(const QByteArray& boxes)
{
    const QByteArray content = "0 0 m 10 10 l S";
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R " + boxes + " /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content
            + "\nendstream",
    };
    return testsupport::handWrittenPdf(objects);
}

bool isDark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 64;
}

} // namespace

TEST(KLVUtilPDF, FlattenedPagesCarryTheirRotation)
{
    const auto document = platform::pdf::PdfDocument::fromData(twoPagePdf());
    ASSERT_TRUE(document);
    ASSERT_EQ(document->pageCount(), 2);
    document->page(0).setRotation(90);

    const QByteArray flattened = CreateFlattenedPDFData(document.get());
    ASSERT_FALSE(flattened.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath("flat.pdf");
    testsupport::writeFile(path, flattened);
    const auto facts = testsupport::inspectPdf(path);
    ASSERT_TRUE(facts.has_value());
    ASSERT_EQ(facts->pageCount, 2);
    EXPECT_NEAR(facts->pageSizes[0].width(), 842, 1);
    EXPECT_NEAR(facts->pageSizes[0].height(), 595, 1);
    EXPECT_NEAR(facts->pageSizes[1].width(), 842, 1);
    EXPECT_NEAR(facts->pageSizes[1].height(), 595, 1);
    EXPECT_TRUE(facts->pageTexts[0].contains("First page"));
    EXPECT_TRUE(facts->pageTexts[1].contains("Second page"));

    // Turned a quarter clockwise, the top-left square now stands top-right.
    const QImage page = testsupport::renderPdfPage(path, 0, 72);
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(isDark(page, page.width() - 20, 20));
    EXPECT_FALSE(isDark(page, 20, 20));
    EXPECT_FALSE(isDark(page, page.width() - 20, page.height() - 20));
}

TEST(KLVUtilPDF, PageBoxChoice)
{
    const struct {
        const char* name;
        QByteArray boxes;
        QSizeF size;
    } cases[] = {
        {"crop box", "/MediaBox [0 0 400 300] /CropBox [50 50 250 150]", {200, 100}},
        {"no crop box", "/MediaBox [0 0 400 300]", {400, 300}},
        {"crop box of no width", "/MediaBox [0 0 400 300] /CropBox [10 10 10 200]", {400, 300}},
        {"crop box of no height", "/MediaBox [0 0 400 300] /CropBox [10 10 200 10]", {400, 300}},
        {"turned crop box", "/MediaBox [0 0 400 300] /CropBox [0 0 200 100] /Rotate 270",
         {100, 200}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const auto document = platform::pdf::PdfDocument::fromData(pdfWithBoxes(c.boxes));
        ASSERT_TRUE(document) << c.name;
        const QString path = dir.filePath("flat.pdf");
        testsupport::writeFile(path, CreateFlattenedPDFData(document.get()));
        const auto facts = testsupport::inspectPdf(path);
        ASSERT_TRUE(facts.has_value()) << c.name;
        ASSERT_EQ(facts->pageCount, 1) << c.name;
        EXPECT_NEAR(facts->pageSizes[0].width(), c.size.width(), 0.5) << c.name;
        EXPECT_NEAR(facts->pageSizes[0].height(), c.size.height(), 0.5) << c.name;
    }
}

TEST(KLVUtilPDF, NothingToFlatten)
{
    EXPECT_TRUE(CreateFlattenedPDFData(nullptr).isEmpty());
    const auto empty = platform::pdf::PdfDocument::create();
    ASSERT_TRUE(empty);
    EXPECT_TRUE(CreateFlattenedPDFData(empty.get()).isEmpty());
}
