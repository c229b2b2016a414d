#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/ImageSource.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TemporaryFolderTest.h"

#include <gtest/gtest.h>

using namespace platform::image;
namespace k = platform::image::keys;

namespace {

class ImageSourceTest : public testsupport::TemporaryFolderTest {
protected:
    std::shared_ptr<ImageSource> open(const QString& name, const QByteArray& bytes)
    {
        return ImageSource::open(write(name, bytes));
    }
};

TEST_F(ImageSourceTest, EachDecoderNamesItsType)
{
    const struct {
        const char* name;
        QByteArray bytes;
        const char* uti;
        int width, height;
        const char* model;
        bool alpha;
        int depth;
    } cases[] = {
        {"a.jpg", testsupport::jpegBytes({30, 20}, 3), "public.jpeg", 30, 20, "RGB", false, 8},
        {"b.png", testsupport::png16AlphaBytes({5, 4}), "public.png", 5, 4, "RGB", true, 16},
        {"c.gif", testsupport::gifBytes({4, 2}), "com.compuserve.gif", 4, 2, "RGB", false, 8},
        {"d.bmp", testsupport::bmpBytes({3, 2}), "com.microsoft.bmp", 3, 2, "RGB", false, 8},
        {"e.sgi", testsupport::sgiBytes({2, 2}), "com.sgi.sgi-image", 2, 2, "RGB", false, 8},
        {"f.tif", testsupport::tiffPagesBytes({{6, 5}}), "public.tiff", 6, 5, "RGB", false, 8},
        {"g.jpg", testsupport::jpegBytes({8, 8}, 4), "public.jpeg", 8, 8, "CMYK", false, 8},
        {"h.jpg", testsupport::jpegBytes({8, 8}, 1), "public.jpeg", 8, 8, "Gray", false, 8},
        // Named for another type: the content decides.
        {"i.png", testsupport::jpegBytes({9, 9}, 3), "public.jpeg", 9, 9, "RGB", false, 8},
        // Drawn by ImageMagick at 150 dpi: an inch by half an inch.
        {"j.wmf", testsupport::wmfBytes({1440, 720}), "com.microsoft.wmf", 150, 75, "RGB", true, 8},
    };
    for (const auto& c : cases) {
        const auto source = open(c.name, c.bytes);
        ASSERT_TRUE(source) << c.name;
        EXPECT_EQ(source->typeIdentifier(), c.uti) << c.name;
        const QVariantMap p = source->properties(0);
        EXPECT_EQ(p.value(k::kCGImagePropertyPixelWidth).toInt(), c.width) << c.name;
        EXPECT_EQ(p.value(k::kCGImagePropertyPixelHeight).toInt(), c.height) << c.name;
        EXPECT_EQ(p.value(k::kCGImagePropertyColorModel).toString(), c.model) << c.name;
        EXPECT_EQ(p.value(k::kCGImagePropertyHasAlpha).toBool(), c.alpha) << c.name;
        EXPECT_EQ(p.value(k::kCGImagePropertyDepth).toInt(), c.depth) << c.name;
        const Bitmap bitmap = source->image(0);
        ASSERT_FALSE(bitmap.isNull()) << c.name;
        EXPECT_EQ(bitmap.width(), c.width) << c.name;
        EXPECT_EQ(bitmap.height(), c.height) << c.name;
    }
}

TEST_F(ImageSourceTest, PixelsAndModelsOfDecodedFrames)
{
    const Bitmap png = open("a.png", testsupport::png16AlphaBytes({5, 1}))->image(0);
    EXPECT_EQ(png.colorModel(), ColorModel::RGBA);
    EXPECT_EQ(png.sampleFormat(), SampleFormat::UInt16);
    EXPECT_FALSE(png.isPremultiplied());

    const Bitmap cmyk = open("b.jpg", testsupport::jpegBytes({4, 4}, 4))->image(0);
    EXPECT_EQ(cmyk.colorModel(), ColorModel::CMYK);
    EXPECT_EQ(cmyk.samplesPerPixel(), 4);

    const Bitmap sgi = open("c.sgi", testsupport::sgiBytes({2, 2}))->image(0);
    ASSERT_EQ(sgi.colorModel(), ColorModel::RGB);
    EXPECT_EQ(sgi.pixels().left(3), QByteArray("\1\2\3", 3));

    const Bitmap bmp = open("d.bmp", testsupport::bmpBytes({3, 2}))->image(0);
    EXPECT_EQ(bmp.pixels().left(3), QByteArray("\x0a\x14\x1e", 3));

    const Bitmap gif = open("e.gif", testsupport::gifBytes({4, 2}))->image(0);
    const QImage image = gif.toQImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(1, 0), QColor(Qt::black));
}

TEST_F(ImageSourceTest, MissingOrNonsensicalResolutionIsSeventyTwo)
{
    const struct {
        const char* name;
        QByteArray bytes;
        double dpi;
    } cases[] = {
        {"a.bmp", testsupport::bmpBytes({2, 2}), 72},       // none: the library says 0
        {"b.sgi", testsupport::sgiBytes({2, 2}), 72},       // none: the library says 25.4
        {"c.jpg", testsupport::jpegBytes({2, 2}, 3), 72},
        {"d.jpg", testsupport::jpegBytes({2, 2}, 3, 0, 300), 300},
        {"e.tif", testsupport::tiffPagesBytes({{2, 2}}, 150), 150},
    };
    for (const auto& c : cases) {
        const auto source = open(c.name, c.bytes);
        ASSERT_TRUE(source) << c.name;
        const QVariantMap p = source->properties(0);
        EXPECT_NEAR(p.value(k::kCGImagePropertyDPIWidth).toDouble(), c.dpi, 0.01) << c.name;
        EXPECT_NEAR(p.value(k::kCGImagePropertyDPIHeight).toDouble(), c.dpi, 0.01) << c.name;
        EXPECT_NEAR(source->image(0).dpiX(), c.dpi, 0.01) << c.name;
    }
}

TEST_F(ImageSourceTest, OrientationAndMetadataGroups)
{
    const auto source = open("a.jpg", testsupport::jpegBytes({30, 20}, 3, 6, 200));
    ASSERT_TRUE(source);
    const QVariantMap p = source->properties(0);
    EXPECT_EQ(p.value(k::kCGImagePropertyOrientation).toInt(), 6);
    const QVariantMap tiff = p.value(k::kCGImagePropertyTIFFDictionary).toMap();
    EXPECT_EQ(tiff.value(k::kCGImagePropertyTIFFOrientation).toInt(), 6);
    const QVariantMap jfif = p.value(k::kCGImagePropertyJFIFDictionary).toMap();
    EXPECT_EQ(jfif.value(k::kCGImagePropertyJFIFXDensity).toInt(), 200);
    EXPECT_EQ(jfif.value(k::kCGImagePropertyJFIFDensityUnit).toInt(), 1);
    // The pixels are as stored: turning them is the caller's business.
    EXPECT_EQ(source->image(0).width(), 30);

    const QVariantMap png = open("b.png", testsupport::png16AlphaBytes({2, 2}))->properties(0);
    EXPECT_TRUE(png.contains(k::kCGImagePropertyPNGDictionary));
    const QVariantMap gif = open("c.gif", testsupport::gifBytes({2, 2}))->properties(0);
    EXPECT_TRUE(gif.value(k::kCGImagePropertyGIFDictionary)
                    .toMap()
                    .value(k::kCGImagePropertyGIFHasGlobalColorMap)
                    .toBool());
}

TEST_F(ImageSourceTest, PagesOfDifferentSizesAreFramesLoadedOneByOne)
{
    const auto source = open("pages.tif", testsupport::tiffPagesBytes({{10, 8}, {4, 3}, {7, 7}}));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->count(), 3);
    const QSize sizes[] = {{10, 8}, {4, 3}, {7, 7}};
    for (int i = 0; i < 3; ++i) {
        const Bitmap page = source->image(i);
        ASSERT_FALSE(page.isNull()) << i;
        EXPECT_EQ(QSize(page.width(), page.height()), sizes[i]);
        EXPECT_EQ(quint8(page.pixels()[0]), 40 * (i + 1));
        EXPECT_EQ(source->properties(i).value(k::kCGImagePropertyPixelWidth).toInt(), sizes[i].width());
    }
    EXPECT_TRUE(source->image(3).isNull());
    EXPECT_TRUE(source->image(-1).isNull());
    EXPECT_TRUE(source->properties(3).isEmpty());
}

TEST_F(ImageSourceTest, DataSourcesReadLikeFiles)
{
    const auto source = ImageSource::fromData(testsupport::jpegBytes({12, 7}, 3));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), "public.jpeg");
    EXPECT_EQ(source->image(0).width(), 12);
    EXPECT_FALSE(ImageSource::fromData(QByteArray()));
    EXPECT_FALSE(ImageSource::fromData("plain words, no image"));
}

TEST_F(ImageSourceTest, DamagedTruncatedAndOversizedImagesFail)
{
    // Headers claiming far more pixels than the limit are refused before decoding.
    EXPECT_FALSE(open("huge.png", testsupport::pngHeaderOnly({100000, 100000})));
    const auto limited = ImageSource::open(write("small.jpg", testsupport::jpegBytes({64, 64}, 3)),
                                           ImageSourceOptions{1000});
    EXPECT_FALSE(limited);

    const QByteArray jpeg = testsupport::jpegBytes({256, 256}, 3);
    const auto halfJpeg = open("half.jpg", jpeg.left(jpeg.size() / 2));
    EXPECT_TRUE(!halfJpeg || halfJpeg->image(0).isNull());

    const QByteArray png = testsupport::png16AlphaBytes({128, 128});
    const auto halfPng = open("half.png", png.left(png.size() / 2));
    EXPECT_TRUE(!halfPng || halfPng->image(0).isNull());

    const QByteArray tiff = testsupport::tiffPagesBytes({{64, 64}});
    const auto halfTiff = open("half.tif", tiff.left(tiff.size() / 2));
    EXPECT_TRUE(!halfTiff || halfTiff->image(0).isNull());

    const QByteArray sgi = testsupport::sgiBytes({64, 64});
    const auto halfSgi = open("half.sgi", sgi.left(sgi.size() / 2));
    EXPECT_TRUE(!halfSgi || halfSgi->image(0).isNull());

    const QByteArray bmp = testsupport::bmpBytes({64, 64});
    const auto halfBmp = open("half.bmp", bmp.left(bmp.size() / 2));
    EXPECT_TRUE(!halfBmp || halfBmp->image(0).isNull());

    const QByteArray gif = testsupport::gifBytes({64, 64});
    const auto halfGif = open("half.gif", gif.left(gif.size() / 2));
    EXPECT_TRUE(!halfGif || halfGif->image(0).isNull());

    EXPECT_FALSE(open("empty.jpg", QByteArray()));
    EXPECT_FALSE(open("noise.gif", QByteArray("GIF89a\xff\xff\xff\xff", 10)));
    EXPECT_FALSE(ImageSource::open(path("missing.png")));
}

TEST_F(ImageSourceTest, WebPAndPDFAreNoImageSources)
{
    EXPECT_FALSE(open("a.webp", testsupport::webpBytes({4, 4}, false, true)));
    EXPECT_FALSE(open("a.pdf", "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n"));
}

} // namespace
