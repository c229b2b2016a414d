#include "platform/image/BitmapImageRep.h"
#include "platform/image/Image.h"
#include "platform/image/PdfImageRep.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

using namespace platform::image;

namespace {

// A PDF of two pages: 200 x 100 points red, then 50 x 80 points.
QByteArray twoPagePdf()
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF());
    writer.setPageSize(QPageSize(QSizeF(200, 100), QPageSize::Point));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 200, 100), Qt::red);
    writer.setPageSize(QPageSize(QSizeF(50, 80), QPageSize::Point));
    writer.newPage();
    painter.end();
    return data;
}

class ImageTest : public testsupport::TemporaryFolderTest {};

TEST_F(ImageTest, FramesBecomeRepresentationsDecodedWhenAsked)
{
    const auto image = Image::byReferencingFile(
        write("p.tif", testsupport::tiffPagesBytes({{10, 8}, {4, 3}, {7, 7}}, 144)));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->representations().size(), 3);
    const auto second = std::static_pointer_cast<BitmapImageRep>(image->representations()[1]);
    EXPECT_TRUE(second->isBitmap());
    EXPECT_EQ(second->pixelsWide(), 4);
    EXPECT_EQ(second->size(), QSizeF(2, 1.5)); // 144 dpi
    EXPECT_EQ(image->size(), QSizeF(5, 4));
    EXPECT_EQ(second->bitmap().height(), 3);
    second->setSize(QSizeF(8, 6));
    EXPECT_EQ(second->rasterize(2).width(), 16);
    EXPECT_EQ(image->firstBitmapRep(), image->representations()[0]);
}

TEST_F(ImageTest, PdfPagesAreOneRepresentationWithASelectablePage)
{
    const auto image = Image::byReferencingFile(write("doc.pdf", twoPagePdf()));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->representations().size(), 1);
    const auto pdf = std::static_pointer_cast<PdfImageRep>(image->representations()[0]);
    EXPECT_FALSE(pdf->isBitmap());
    EXPECT_EQ(pdf->pageCount(), 2);
    EXPECT_EQ(pdf->bounds(), QRectF(0, 0, 200, 100));
    const Bitmap page = pdf->rasterize(2);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.width(), 400);
    EXPECT_EQ(page.toQImage().pixelColor(10, 10), QColor(Qt::red));
    pdf->setCurrentPage(1);
    EXPECT_EQ(pdf->bounds(), QRectF(0, 0, 50, 80));
    pdf->setCurrentPage(7);
    EXPECT_EQ(pdf->currentPage(), 1);
    EXPECT_FALSE(image->firstBitmapRep());
    EXPECT_FALSE(image->tiffRepresentation().isEmpty());
}

TEST_F(ImageTest, NoImageNoRepresentations)
{
    EXPECT_FALSE(Image::byReferencingFile(write("a.txt", "words")));
    EXPECT_FALSE(Image::byReferencingFile(write("b.pdf", "%PDF-1.4 broken")));
    EXPECT_FALSE(Image::fromData(QByteArray()));
    EXPECT_TRUE(Image::representationsOfFile(path("missing.png")).isEmpty());
    EXPECT_FALSE(BitmapImageRep::fromData("not a TIFF"));
    EXPECT_TRUE(BitmapImageRep::fromData(testsupport::tiffPagesBytes({{3, 3}})));
}

} // namespace
