#include "engine/ImageConverter.h"
#include "platform/DictionaryKeys.h"
#include "platform/image/BitmapImageRep.h"
#include "platform/image/PdfImageRep.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace {

QByteArray onePagePdf()
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(100, 50), QPageSize::Point));
    QPainter painter(&writer);
    painter.drawLine(0, 0, 10, 10);
    painter.end();
    return data;
}

class ImageConverterTest : public testsupport::TemporaryFilesTest {};

TEST_F(ImageConverterTest, FreshConverterHasNothingAndSeventyTwoDPI)
{
    ImageConverter converter;
    EXPECT_TRUE(converter.m_succeeded);
    EXPECT_EQ(converter.m_outputType, 0);
    EXPECT_EQ(converter.PixelsWide(), 0);
    EXPECT_EQ(converter.PixelsHigh(), 0);
    EXPECT_EQ(converter.SourceResolutionX(), 72);
    EXPECT_EQ(converter.SourceResolutionY(), 72);
    EXPECT_FALSE(converter.SourceHasAlpha());
    EXPECT_EQ(converter.SourceSize(), QSizeF(0, 0));
    EXPECT_FALSE(converter.SourceBitmapRep());
}

TEST_F(ImageConverterTest, SettingsStoreTheirArguments)
{
    ImageConverter converter;
    converter.SetResolution(300, 150);
    EXPECT_EQ(converter.m_horizontalResolution, 150);
    EXPECT_EQ(converter.m_verticalResolution, 300);
    const struct {
        std::int64_t angle;
        std::int32_t orientation;
    } rotations[] = {{0, 1}, {360, 1}, {90, 6}, {-270, 6}, {180, 3}, {-180, 3},
                     {270, 8}, {-90, 8}, {45, 8}, {450, 8}};
    for (const auto& r : rotations) {
        converter.SetRotation(r.angle);
        EXPECT_EQ(converter.m_exifOrientation, r.orientation) << r.angle;
    }
    converter.SetOutput(0.5, 7, url("out.png"));
    EXPECT_EQ(converter.m_quality, 0.5);
    EXPECT_EQ(converter.CreateOutputUTI(), "public.png");
    EXPECT_EQ(converter.OutputExtension(), "png");
    EXPECT_TRUE(converter.SupportsAlpha());
    converter.SetPageRange(2, 5, 2);
    EXPECT_EQ(converter.m_lastPage, 5);
    WatermarkSettings watermark;
    watermark.text.previewWidth = 550;
    watermark.image.x2 = 40;
    watermark.image.alpha = 0.5;
    converter.SetWatermark(watermark, false);
    EXPECT_TRUE(converter.m_imageWatermarkOn);
    EXPECT_FALSE(converter.m_textWatermarkOn);
    EXPECT_EQ(converter.m_imageWatermarkBox[2], 40);
    EXPECT_EQ(converter.m_textWatermark.previewWidth, 550);
}

TEST_F(ImageConverterTest, LoadingGivesTheRepresentations)
{
    ImageConverter converter;
    ASSERT_TRUE(converter.LoadImage(QUrl::fromLocalFile(
        write("p.tif", testsupport::tiffPagesBytes({{10, 8}, {4, 3}, {7, 7}}, 144)))));
    EXPECT_EQ(converter.m_representations.size(), 3);
    EXPECT_EQ(converter.PixelsWide(), 10);
    EXPECT_EQ(converter.SourceWidth(), 5);
    EXPECT_DOUBLE_EQ(converter.SourceResolutionX(), 144);
    EXPECT_EQ(converter.SourceBitmapRep(), converter.m_currentRep);
    EXPECT_EQ(converter.DetectImageType(), 10);

    ASSERT_TRUE(converter.LoadImage(QUrl::fromLocalFile(write("a.sgi", testsupport::sgiBytes({2, 2})))));
    EXPECT_EQ(converter.SourceImageType(), 0);  // not an everyday type
    EXPECT_EQ(converter.DetectImageType(), 12); // but the decoder knows it

    EXPECT_FALSE(converter.LoadImage(QUrl::fromLocalFile(write("b.txt", "words"))));
    EXPECT_FALSE(converter.m_currentRep);
}

TEST_F(ImageConverterTest, WebPGoesThroughATemporaryTIFFThatIsRemoved)
{
    const QString webp = write("photo.webp", testsupport::webpBytes({6, 4}, true, true));
    {
        ImageConverter converter;
        ASSERT_TRUE(converter.LoadImage(QUrl::fromLocalFile(webp)));
        EXPECT_TRUE(converter.m_sourceIsTemporary);
        EXPECT_TRUE(converter.m_sourceURL.toLocalFile().endsWith(".tif"));
        EXPECT_TRUE(QFile::exists(converter.m_sourceURL.toLocalFile()));
        EXPECT_EQ(converter.PixelsWide(), 6);
        EXPECT_TRUE(converter.SourceHasAlpha());
        EXPECT_EQ(leftovers().size(), 1);
    }
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_TRUE(QFile::exists(webp));
}

TEST_F(ImageConverterTest, OnlyTheTemporaryFileIsEverDeleted)
{
    const QString jpeg = write("keep.jpg", testsupport::jpegBytes({5, 5}, 3));
    {
        ImageConverter converter;
        ASSERT_TRUE(converter.LoadImage(QUrl::fromLocalFile(write("a.webp", testsupport::webpBytes({2, 2}, false, true)))));
        ASSERT_TRUE(converter.LoadImage(QUrl::fromLocalFile(jpeg)));
        EXPECT_FALSE(converter.m_sourceIsTemporary);
        EXPECT_TRUE(leftovers().isEmpty());
    }
    EXPECT_TRUE(QFile::exists(jpeg));
}

TEST_F(ImageConverterTest, WebPRoadOnlyForTheLowerCaseExtensionAndGoodData)
{
    ImageConverter capitals;
    EXPECT_FALSE(capitals.LoadImage(QUrl::fromLocalFile(write("a.WEBP", testsupport::webpBytes({2, 2}, false, true)))));
    ImageConverter broken;
    const QByteArray whole = testsupport::webpBytes({64, 64}, false, false);
    EXPECT_FALSE(broken.LoadImage(QUrl::fromLocalFile(write("b.webp", whole.left(whole.size() / 2)))));
    ImageConverter empty;
    EXPECT_FALSE(empty.LoadImage(QUrl::fromLocalFile(write("c.webp", ""))));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(ImageConverterTest, PDFDocumentsAndTheirPasswords)
{
    const QString plain = write("plain.pdf", onePagePdf());
    auto document = platform::pdf::PdfDocument::open(QUrl::fromLocalFile(plain));
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->write(url("locked.pdf"),
                                {{platform::keys::kCGPDFContextUserPassword, "secret"},
                                 {platform::keys::kCGPDFContextOwnerPassword, "owner"}}));

    ImageConverter converter;
    ASSERT_TRUE(converter.OpenPDFDocument(url("locked.pdf")));
    EXPECT_TRUE(converter.IsPDFEncrypted());
    EXPECT_TRUE(converter.NeedsPassword()); // no password does not unlock
    EXPECT_FALSE(converter.UnlockPDF());
    converter.SetPassword("wrong");
    EXPECT_TRUE(converter.NeedsPassword());
    converter.SetPassword("secret");
    EXPECT_FALSE(converter.NeedsPassword());
    EXPECT_TRUE(converter.UnlockPDF());

    ImageConverter open;
    ASSERT_TRUE(open.OpenPDFDocument(QUrl::fromLocalFile(plain)));
    EXPECT_FALSE(open.IsPDFEncrypted());
    EXPECT_FALSE(open.NeedsPassword());
    EXPECT_FALSE(open.OpenPDFDocument(url("missing.pdf")));
}

TEST_F(ImageConverterTest, PDFRepresentationsFromReadableFilesOnly)
{
    ImageConverter converter;
    ASSERT_TRUE(converter.LoadPDFImageRep(QUrl::fromLocalFile(write("a.pdf", onePagePdf()))));
    ASSERT_TRUE(converter.m_pdfImageRep);
    EXPECT_EQ(converter.m_pdfImageRep->bounds(), QRectF(0, 0, 100, 50));
    // A file that cannot be read is no success, whatever was loaded before.
    EXPECT_FALSE(converter.LoadPDFImageRep(url("missing.pdf")));
    EXPECT_FALSE(converter.LoadPDFImageRep(QUrl::fromLocalFile(write("b.pdf", "not a PDF"))));
}

TEST_F(ImageConverterTest, BitmapOfAnImageWithoutOne)
{
    auto image = platform::image::Image::fromData(onePagePdf());
    ASSERT_TRUE(image);
    const auto bitmap = BitmapRepOfImage(image);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->pixelsWide(), 100);
    EXPECT_FALSE(BitmapRepOfImage(nullptr));
}

} // namespace
