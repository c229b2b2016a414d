#include "platform/image/BitmapImageRep.h"
#include "platform/image/Image.h"
#include "platform/image/ImageDestination.h"
#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/ImageSource.h"
#include "platform/image/PdfImageRep.h"
#include "tests/support/TemporaryFolderTest.h"

#include <Magick++.h>
#include <QImageReader>
#include <gtest/gtest.h>
#include <optional>
#include <png.h>
#include <tiffio.h>

using namespace platform::image;
namespace k = platform::image::keys;

namespace {

// A 6 x 4 picture: red left half, blue right half, alpha 255 or 128.
Bitmap picture(bool alpha = false, std::optional<ColorModel> model = std::nullopt)
{
    QByteArray pixels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            pixels += x < 3 ? QByteArray("\xff\0\0", 3) : QByteArray("\0\0\xff", 3);
            if (alpha)
                pixels += char(128);
        }
    const Bitmap rgb = Bitmap::fromPixels(6, 4, alpha ? ColorModel::RGBA : ColorModel::RGB,
                                          SampleFormat::UInt8, pixels);
    return !model || *model == rgb.colorModel() ? rgb : rgb.convertedTo(*model);
}

class ImageDestinationTest : public testsupport::TemporaryFolderTest {};

TEST_F(ImageDestinationTest, EveryWritableTypeReadsBackInAnotherReader)
{
    for (const QString& type : ImageDestination::writableTypes()) {
        const QString file = path("out-" + type);
        ImageDestination destination(file, type, 1);
        destination.addImage(picture());
        ASSERT_TRUE(destination.finalize()) << type.toStdString() << " " << destination.errorString().toStdString();
        const QByteArray bytes = testsupport::readFile(file);
        ASSERT_FALSE(bytes.isEmpty()) << type.toStdString();
        int width = 0, height = 0;
        if (type == u"com.adobe.pdf" || type == u"com.adobe.illustrator.ai-image") {
            const auto pdf = PdfImageRep::fromData(bytes);
            ASSERT_TRUE(pdf) << type.toStdString();
            width = pdf->pixelsWide();
            height = pdf->pixelsHigh();
        } else if (type == u"com.apple.icns") {
            QImageReader reader(file, "icns");
            const QImage image = reader.read();
            width = image.width();
            height = image.height();
        } else {
            // ImageMagick, a reader of its own, told the type by the file.
            Magick::Image image;
            // Formats without a signature are named.
            if (type == u"com.truevision.tga-image")
                image.magick("TGA");
            if (type == u"com.microsoft.ico")
                image.magick("ICO");
            try {
                image.read(Magick::Blob(bytes.constData(), size_t(bytes.size())));
            } catch (const std::exception& error) {
                ADD_FAILURE() << type.toStdString() << ": " << error.what();
                continue;
            }
            width = int(image.columns());
            height = int(image.rows());
        }
        if (type == u"com.apple.icns") {
            EXPECT_GT(width, 0);
            continue;
        }
        EXPECT_EQ(width, 6) << type.toStdString();
        EXPECT_EQ(height, 4) << type.toStdString();
    }
}

TEST_F(ImageDestinationTest, TypesNothingWritesFailCleanly)
{
    for (const char* type : {"com.apple.macpaint-image", "com.apple.quicktime-image",
                             "com.kodak.flashpix.image", "public.camera-raw-image", "public.nothing"}) {
        EXPECT_FALSE(ImageDestination::canWrite(type)) << type;
        ImageDestination destination(path("x"), type, 1);
        destination.addImage(picture());
        EXPECT_FALSE(destination.finalize()) << type;
        EXPECT_FALSE(destination.errorString().isEmpty());
        EXPECT_FALSE(QFile::exists(path("x"))) << type;
    }
}

TEST_F(ImageDestinationTest, ColoursAndAlphaSurviveWhereTheTypeKeepsThem)
{
    QByteArray png;
    ImageDestination destination(&png, "public.png", 1);
    destination.addImage(picture(true));
    ASSERT_TRUE(destination.finalize());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.constData(), size_t(png.size())));
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[3], 128);
    EXPECT_EQ(pixels[5 * 4 + 2], 255);

    // JPEG has no alpha: laid over white.
    QByteArray jpeg;
    ImageDestination noAlpha(&jpeg, "public.jpeg", 1);
    noAlpha.addImage(picture(true), {{k::kCGImageDestinationLossyCompressionQuality, 1.0}});
    ASSERT_TRUE(noAlpha.finalize());
    const Bitmap back = ImageSource::fromData(jpeg)->image(0);
    EXPECT_EQ(back.colorModel(), ColorModel::RGB);
    const QImage q = back.toQImage();
    EXPECT_NEAR(q.pixelColor(0, 0).green(), 127, 6);
}

TEST_F(ImageDestinationTest, CMYKStaysCMYKInTIFFAndJPEG)
{
    for (const char* type : {"public.tiff", "public.jpeg"}) {
        QByteArray data;
        ImageDestination destination(&data, type, 1);
        destination.addImage(picture(false, ColorModel::CMYK));
        ASSERT_TRUE(destination.finalize()) << type;
        const auto source = ImageSource::fromData(data);
        ASSERT_TRUE(source) << type;
        EXPECT_EQ(source->properties(0).value(k::kCGImagePropertyColorModel).toString(), "CMYK") << type;
    }
}

TEST_F(ImageDestinationTest, PropertiesReachTheFile)
{
    const QString file = path("a.tif");
    ImageDestination destination(file, "public.tiff", 1);
    QVariantMap tiff{{k::kCGImagePropertyTIFFCompression, 5}};
    destination.addImage(picture(), {{k::kCGImagePropertyDPIWidth, 300.0},
                                     {k::kCGImagePropertyDPIHeight, 150.0},
                                     {k::kCGImagePropertyOrientation, 6},
                                     {k::kCGImagePropertyTIFFDictionary, tiff}});
    ASSERT_TRUE(destination.finalize()) << destination.errorString().toStdString();
    TIFF* t = TIFFOpen(QFile::encodeName(file), "r");
    ASSERT_TRUE(t);
    uint16_t compression = 0, orientation = 0;
    float xres = 0, yres = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(t, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres);
    TIFFClose(t);
    EXPECT_EQ(compression, COMPRESSION_LZW);
    EXPECT_EQ(orientation, 6);
    EXPECT_NEAR(xres, 300, 0.01);
    EXPECT_NEAR(yres, 150, 0.01);

    QByteArray jpeg;
    ImageDestination exif(&jpeg, "public.jpeg", 1);
    exif.addImage(picture(), {{k::kCGImagePropertyOrientation, 8},
                              {k::kCGImagePropertyExifDictionary,
                               QVariantMap{{"kCGImagePropertyExifUserComment", "hello"}}}});
    ASSERT_TRUE(exif.finalize()) << exif.errorString().toStdString();
    const QVariantMap p = ImageSource::fromData(jpeg)->properties(0);
    EXPECT_EQ(p.value(k::kCGImagePropertyOrientation).toInt(), 8);
    EXPECT_TRUE(p.value(k::kCGImagePropertyExifDictionary).toMap().contains("kCGImagePropertyExifUserComment"));
}

TEST_F(ImageDestinationTest, PagesOfDifferentSizesMakeOneTIFF)
{
    const QString file = path("pages.tif");
    ImageDestination destination(file, "public.tiff", 3);
    destination.addImage(picture());
    destination.addImage(picture().resized(3, 9));
    destination.addImage(picture(true));
    ASSERT_TRUE(destination.finalize()) << destination.errorString().toStdString();
    TIFF* t = TIFFOpen(QFile::encodeName(file), "r");
    ASSERT_TRUE(t);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 3);
    TIFFSetDirectory(t, 1);
    uint32_t w = 0, h = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    EXPECT_EQ(w, 3u);
    EXPECT_EQ(h, 9u);
    TIFFClose(t);
}

TEST_F(ImageDestinationTest, FailuresLeaveTheOldFile)
{
    const QString file = write("keep.png", "old");
    ImageDestination wrongCount(file, "public.png", 2);
    wrongCount.addImage(picture());
    EXPECT_FALSE(wrongCount.finalize());
    ImageDestination noPixels(file, "public.png", 1);
    noPixels.addImage(Bitmap());
    EXPECT_FALSE(noPixels.finalize());
    // An icon is at most 256 pixels wide.
    ImageDestination tooLarge(file, "com.microsoft.ico", 1);
    tooLarge.addImage(picture().resized(300, 300));
    EXPECT_FALSE(tooLarge.finalize());
    EXPECT_EQ(testsupport::readFile(file), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.png"});
}

TEST_F(ImageDestinationTest, ImagesGiveTheirTIFFRepresentation)
{
    Image image;
    image.addRepresentation(std::make_shared<BitmapImageRep>(picture()));
    image.addRepresentation(std::make_shared<BitmapImageRep>(picture().resized(2, 2)));
    const QByteArray tiff = image.tiffRepresentation();
    const auto source = ImageSource::fromData(tiff);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), "public.tiff");
    EXPECT_EQ(source->count(), 2);
    EXPECT_EQ(source->image(1).width(), 2);
}

} // namespace
