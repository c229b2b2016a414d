#include "engine/ByteHelpers.h"
#include "engine/ImageFile.h"
#include "engine/PixelBuffer.h"
#include "platform/image/ImageDestination.h"
#include "platform/image/ImagePropertyKeys.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"

#include <Magick++.h>
#include <gtest/gtest.h>

using namespace platform::image;
namespace k = platform::image::keys;

namespace {

// width x height, red in the top-left quarter, blue elsewhere, stored with
// the EXIF orientation given.
QByteArray markedJpeg(int width, int height, int orientation, double dpi = 72)
{
    QByteArray pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels += x < width / 2 && y < height / 2 ? QByteArray("\xff\0\0", 3) : QByteArray("\0\0\xff", 3);
    const Bitmap bitmap = Bitmap::fromPixels(width, height, ColorModel::RGB, SampleFormat::UInt8, pixels);
    QByteArray jpeg;
    ImageDestination destination(&jpeg, "public.jpeg", 1);
    QVariantMap properties{{k::kCGImagePropertyDPIWidth, dpi}, {k::kCGImagePropertyDPIHeight, dpi}};
    if (orientation)
        properties.insert(k::kCGImagePropertyOrientation, orientation);
    destination.addImage(bitmap, properties);
    EXPECT_TRUE(destination.finalize());
    return jpeg;
}

bool isRed(const QColor& c)
{
    return c.red() > 200 && c.blue() < 60;
}

class ImageFileTest : public testsupport::TemporaryFolderTest {};

TEST_F(ImageFileTest, RotatedPhotoReportsAndPrintsUpright)
{
    ImageFile big;
    ASSERT_TRUE(big.Load(QUrl::fromLocalFile(write("big.jpg", markedJpeg(3000, 2000, 6)))));
    EXPECT_EQ(big.Orientation(), 6);
    EXPECT_EQ(big.DisplayWidth(), 2000);
    EXPECT_EQ(big.DisplayHeight(), 3000);

    ImageFile image;
    ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write("small.jpg", markedJpeg(300, 200, 6)))));
    image.SetOutput(8, url("page.pdf"), 0.8);
    ASSERT_TRUE(image.Save());
    const auto facts = testsupport::inspectPdf(path("page.pdf"));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 1);
    EXPECT_NEAR(facts->pageSizes[0].width(), 200, 0.01);
    EXPECT_NEAR(facts->pageSizes[0].height(), 300, 0.01);
    // Stored top-left is shown top-right after a quarter turn clockwise.
    const QImage page = testsupport::renderPdfPage(path("page.pdf"), 0);
    EXPECT_TRUE(isRed(page.pixelColor(150, 50)));
    EXPECT_FALSE(isRed(page.pixelColor(50, 50)));
    EXPECT_FALSE(isRed(page.pixelColor(150, 250)));
}

TEST_F(ImageFileTest, EveryOrientationExchangesTheSidesFromFiveOn)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        ImageFile image;
        ASSERT_TRUE(image.Load(QUrl::fromLocalFile(
            write(QString("o%1.jpg").arg(orientation), markedJpeg(40, 20, orientation)))));
        const bool turned = orientation >= 5;
        EXPECT_EQ(image.DisplayWidth(), turned ? 20 : 40) << orientation;
        EXPECT_EQ(image.DisplayHeight(), turned ? 40 : 20) << orientation;
    }
}

TEST_F(ImageFileTest, PageSizeFollowsTheResolution)
{
    const struct {
        const char* name;
        QByteArray bytes;
        double width, height;
    } cases[] = {
        {"a.jpg", markedJpeg(600, 300, 0, 300), 144, 72},
        // No resolution at all: 72 dpi.
        {"b.bmp", testsupport::bmpBytes({100, 50}), 100, 50},
        {"c.sgi", testsupport::sgiBytes({30, 10}), 30, 10},
    };
    for (const auto& c : cases) {
        ImageFile image;
        ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write(c.name, c.bytes)))) << c.name;
        image.SetOutput(8, url(QString(c.name) + ".pdf"), 0);
        ASSERT_TRUE(image.SaveAsPDF()) << c.name;
        const auto facts = testsupport::inspectPdf(path(QString(c.name) + ".pdf"));
        ASSERT_TRUE(facts) << c.name;
        EXPECT_NEAR(facts->pageSizes[0].width(), c.width, 0.01) << c.name;
        EXPECT_NEAR(facts->pageSizes[0].height(), c.height, 0.01) << c.name;
        EXPECT_EQ(facts->title, "PDF File");
    }
}

TEST_F(ImageFileTest, ScalingRoundsAndKeepsAtLeastOnePixel)
{
    ImageFile image;
    ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write("a.jpg", testsupport::jpegBytes({640, 480}, 3)))));
    ASSERT_TRUE(image.ScaleByPercent(50));
    EXPECT_EQ(image.Image().width(), 320);
    EXPECT_EQ(image.Image().height(), 240);
    ASSERT_TRUE(image.ScaleByPercent(0));
    EXPECT_EQ(image.Image().width(), 1);
    EXPECT_EQ(image.Image().height(), 1);
    ASSERT_TRUE(image.Resize(3, 0));
    EXPECT_EQ(image.Image().width(), 3);
    EXPECT_EQ(image.Image().height(), 1);
    EXPECT_FALSE(image.Resize(100000, 100000));

    ImageFile deep;
    ASSERT_TRUE(deep.Load(QUrl::fromLocalFile(write("b.png", testsupport::png16AlphaBytes({4, 4})))));
    EXPECT_FALSE(deep.ScaleByPercent(50)); // more than 8 bits per sample
}

TEST_F(ImageFileTest, TwoPixelSGIIsFiveHundredTwentyBytesThatReadBack)
{
    const QByteArray pixels("\x10\x20\x30\xff\x40\x50\x60\x80", 8);
    ImageFile image;
    ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write("two.png", [&] {
        QByteArray png;
        ImageDestination d(&png, "public.png", 1);
        d.addImage(Bitmap::fromPixels(2, 1, ColorModel::RGBA, SampleFormat::UInt8, pixels));
        EXPECT_TRUE(d.finalize());
        return png;
    }()))));
    image.SetOutput(12, url("two.sgi"), 0);
    ASSERT_TRUE(image.Save());
    const QByteArray sgi = testsupport::readFile(path("two.sgi"));
    ASSERT_EQ(sgi.size(), 520);
    EXPECT_EQ(sgi.left(12), QByteArray("\x01\xda\x00\x01\x00\x03\x00\x02\x00\x01\x00\x04", 12));
    EXPECT_EQ(sgi.mid(16, 4), QByteArray("\0\0\0\xff", 4));
    EXPECT_EQ(sgi.mid(24, 8), QByteArray("No Name\0", 8));
    // Planar: both red samples, both green, both blue, both alpha.
    EXPECT_EQ(sgi.mid(512), QByteArray("\x10\x40\x20\x50\x30\x60\xff\x80", 8));

    Magick::Image back;
    back.read(QFile::encodeName(path("two.sgi")).toStdString());
    EXPECT_EQ(back.columns(), 2u);
    EXPECT_EQ(back.rows(), 1u);
    const Magick::ColorRGB second = back.pixelColor(1, 0);
    EXPECT_NEAR(second.red() * 255, 0x40, 1);
    EXPECT_NEAR(second.alpha() * 255, 0x80, 1);
}

TEST_F(ImageFileTest, SGIRowsRunFromTheBottomAndOpaqueImagesGetFullAlpha)
{
    ImageFile image;
    ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write("m.jpg", markedJpeg(32, 16, 0)))));
    image.SetOutput(12, url("m.sgi"), 0);
    ASSERT_TRUE(image.Save());
    const QByteArray sgi = testsupport::readFile(path("m.sgi"));
    const int plane = 32 * 16;
    ASSERT_EQ(sgi.size(), 512 + plane * 4);
    // The red plane: the bottom row (blue) first, the top row (red on its left) last.
    EXPECT_LT(quint8(sgi[512 + 2]), 60);
    EXPECT_GT(quint8(sgi[512 + 15 * 32 + 2]), 200);
    EXPECT_EQ(sgi.mid(512 + 3 * plane), QByteArray(plane, '\xff'));
}

TEST_F(ImageFileTest, NothingToSaveFailsWithoutAFile)
{
    ImageFile empty;
    EXPECT_FALSE(empty.Load(QUrl::fromLocalFile(write("words.txt", "not an image"))));
    empty.SetOutput(8, url("none.pdf"), 0);
    EXPECT_FALSE(empty.SaveAsPDF());
    empty.SetOutput(12, url("none.sgi"), 0);
    EXPECT_FALSE(empty.SaveAsSGI());
    empty.SetOutput(4, url("none.jpg"), 0);
    EXPECT_FALSE(empty.Save());
    EXPECT_EQ(empty.DisplayWidth(), 0);
    EXPECT_EQ(empty.DPIWidth(), 72);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"words.txt"});

    PixelBuffer buffer;
    EXPECT_FALSE(buffer.FillFromImage(Bitmap()));
    EXPECT_FALSE(buffer.WriteSGI(url("x.sgi")));
    const Bitmap wide = Bitmap::fromPixels(70000, 1, ColorModel::Gray, SampleFormat::UInt8, QByteArray(70000, 'x'));
    ASSERT_TRUE(buffer.FillFromImage(wide));
    EXPECT_FALSE(buffer.WriteSGI(url("wide.sgi")));
    EXPECT_FALSE(QFile::exists(path("wide.sgi")));
}

TEST_F(ImageFileTest, DestinationPropertiesAndTypes)
{
    ImageFile image;
    image.SetOrientation(6);
    image.SetQuality(0.5);
    const struct {
        std::int32_t type;
        const char* uti;
        bool alpha, lzw, quality;
    } cases[] = {
        {10, "public.tiff", false, true, false},     {13, "public.tiff", false, true, false},
        {23, "public.tiff", false, true, false},     {7, "public.png", true, false, false},
        {2, "com.compuserve.gif", true, false, false}, {3, "public.jpeg-2000", true, false, true},
        {4, "public.jpeg", false, false, true},      {0, "public.jpeg", false, false, false},
        {24, "public.jpeg", false, false, false},    {12, "com.sgi.sgi-image", false, false, false},
        {20, "com.kodak.flashpix.image", false, false, false},
    };
    for (const auto& c : cases) {
        image.SetType(c.type);
        EXPECT_EQ(image.CreateOutputUTI(), c.uti) << c.type;
        const QVariantMap p = image.CreateDestinationProperties();
        EXPECT_EQ(p.value(k::kCGImagePropertyOrientation).toInt(), 6);
        EXPECT_EQ(p.value(k::kCGImagePropertyHasAlpha).toBool(), c.alpha) << c.type;
        EXPECT_EQ(p.value(k::kCGImagePropertyTIFFDictionary).toMap().value(k::kCGImagePropertyTIFFCompression).toInt(),
                  c.lzw ? 5 : 0)
            << c.type;
        EXPECT_EQ(p.contains(k::kCGImageDestinationLossyCompressionQuality), c.quality) << c.type;
    }
}

TEST_F(ImageFileTest, SavedTypesReadBack)
{
    ImageFile image;
    ASSERT_TRUE(image.Load(QUrl::fromLocalFile(write("a.jpg", markedJpeg(8, 6, 0)))));
    for (std::int32_t type : {2, 4, 7, 10, 11, 1, 9}) {
        image.SetOutput(type, url(QString("out%1").arg(type)), 0.9);
        EXPECT_TRUE(image.Save()) << type;
        EXPECT_GT(QFile(path(QString("out%1").arg(type))).size(), 0) << type;
    }
    for (std::int32_t type : {16, 17, 20, 22}) {
        image.SetOutput(type, url(QString("no%1").arg(type)), 0.9);
        EXPECT_FALSE(image.Save()) << type;
        EXPECT_FALSE(QFile::exists(path(QString("no%1").arg(type)))) << type;
    }
}

TEST_F(ImageFileTest, WebPSizeOnlyWhenRead)
{
    std::int32_t w = 0, h = 0;
    EXPECT_TRUE(GetWebPSize(QUrl::fromLocalFile(write("a.webp", testsupport::webpBytes({9, 4}, false, false))), &w, &h));
    EXPECT_EQ(w, 9);
    EXPECT_EQ(h, 4);
    EXPECT_FALSE(GetWebPSize(QUrl::fromLocalFile(write("b.webp", "RIFF nonsense")), &w, &h));
    EXPECT_FALSE(GetWebPSize(QUrl::fromLocalFile(write("c.webp", "")), &w, &h));
    EXPECT_FALSE(GetWebPSize(url("missing.webp"), &w, &h));
}

TEST(ByteHelpers, StoreAndSwap)
{
    std::uint8_t bytes[4] = {};
    PutByte(bytes, 0x1234);
    EXPECT_EQ(bytes[0], 0x34);
    PutUInt16BE(bytes, 0x12345678);
    EXPECT_EQ(bytes[0], 0x56);
    EXPECT_EQ(bytes[1], 0x78);
    PutUInt32BE(bytes, -2);
    EXPECT_EQ(bytes[0], 0xff);
    EXPECT_EQ(bytes[3], 0xfe);
    EXPECT_EQ(SwapBytes16(0x1234), 0x3412);
    EXPECT_EQ(SwapBytes16(0x0080), -32768); // sign-extended
    EXPECT_EQ(SwapBytes32(0x12345678), 0x78563412);
    EXPECT_EQ(SwapBytes32(0x000000ff), int(0xff000000u));
}

} // namespace
