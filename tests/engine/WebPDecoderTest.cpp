#include "engine/codecs/DecodedImageWriters.h"
#include "engine/codecs/WebPDecoder.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QFile>

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <vector>

namespace {

QByteArray encodeWebP(int w, int h, bool alpha, bool lossless)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i) {
        pixels[i * 4 + 0] = 200;
        pixels[i * 4 + 1] = 100;
        pixels[i * 4 + 2] = 50;
        pixels[i * 4 + 3] = alpha ? 128 : 255;
    }
    std::uint8_t* out = nullptr;
    std::size_t size = 0;
    if (lossless)
        size = WebPEncodeLosslessRGBA(pixels.data(), w, h, w * 4, &out);
    else if (alpha)
        size = WebPEncodeRGBA(pixels.data(), w, h, w * 4, 90, &out);
    else {
        std::vector<std::uint8_t> rgb;
        for (int i = 0; i < w * h; ++i)
            rgb.insert(rgb.end(), {200, 100, 50});
        size = WebPEncodeRGB(rgb.data(), w, h, w * 3, 90, &out);
    }
    QByteArray data(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    WebPFree(out);
    return data;
}

void putLE(QByteArray& to, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to.append(static_cast<char>(value >> (8 * i)));
}

QByteArray chunk(const char* fourcc, const QByteArray& payload)
{
    QByteArray out(fourcc, 4);
    putLE(out, payload.size(), 4);
    out += payload;
    if (payload.size() & 1)
        out.append('\0');
    return out;
}

// A one-frame animation around a lossless 2 x 2 frame.
QByteArray animatedWebP()
{
    const QByteArray still = encodeWebP(2, 2, false, true);
    const QByteArray frameChunk = still.mid(12); // the VP8L chunk
    QByteArray vp8x;
    putLE(vp8x, 0x02, 4); // animation flag
    putLE(vp8x, 1, 3);
    putLE(vp8x, 1, 3);
    QByteArray anim;
    putLE(anim, 0, 4);
    putLE(anim, 0, 2);
    QByteArray anmf;
    putLE(anmf, 0, 3);
    putLE(anmf, 0, 3);
    putLE(anmf, 1, 3);
    putLE(anmf, 1, 3);
    putLE(anmf, 100, 3);
    anmf.append('\0');
    anmf += frameChunk;
    QByteArray body = "WEBP" + chunk("VP8X", vp8x) + chunk("ANIM", anim) + chunk("ANMF", anmf);
    QByteArray riff("RIFF");
    putLE(riff, body.size(), 4);
    return riff + body;
}

std::uint16_t le16(const QByteArray& b, int at)
{
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t le32(const QByteArray& b, int at)
{
    return le16(b, at) | static_cast<std::uint32_t>(le16(b, at + 2)) << 16;
}

class WebPDecoderTest : public testsupport::TemporaryFolderTest {
protected:
    int decodeToTIFF(const QByteArray& webp, const QString& name)
    {
        WebPDecoderConfig config;
        EXPECT_TRUE(WebPInitDecoderConfig(&config));
        return DecodeWebPDataToTIFFFile(reinterpret_cast<const std::uint8_t*>(webp.constData()),
                                        webp.size(), &config, QFile::encodeName(path(name)));
    }
};

TEST_F(WebPDecoderTest, LosslessWithAlphaGivesPremultipliedFifteenEntryTIFF)
{
    ASSERT_EQ(decodeToTIFF(encodeWebP(3, 2, true, true), "a.tif"), 0);
    const QByteArray tiff = testsupport::readFile(path("a.tif"));
    ASSERT_EQ(tiff.size(), 210 + 3 * 2 * 4);
    EXPECT_EQ(tiff.left(8), QByteArray("II*\0\x08\0\0\0", 8));
    EXPECT_EQ(le16(tiff, 8), 15);
    EXPECT_EQ(le16(tiff, 178), 338);
    EXPECT_EQ(le32(tiff, 186), 1u); // associated alpha
    EXPECT_EQ(le32(tiff, 190), 0u);
    EXPECT_EQ(le32(tiff, 202), 72u);
    EXPECT_EQ(le32(tiff, 206), 1u);

    TIFF* t = TIFFOpen(QFile::encodeName(path("a.tif")), "r");
    ASSERT_TRUE(t);
    std::uint32_t w = 0, h = 0;
    std::uint16_t spp = 0, extraCount = 0;
    std::uint16_t* extra = nullptr;
    float xres = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres);
    EXPECT_EQ(w, 3u);
    EXPECT_EQ(h, 2u);
    EXPECT_EQ(spp, 4);
    ASSERT_EQ(extraCount, 1);
    EXPECT_EQ(extra[0], EXTRASAMPLE_ASSOCALPHA);
    EXPECT_FLOAT_EQ(xres, 72);
    std::vector<std::uint8_t> row(TIFFScanlineSize(t));
    ASSERT_EQ(TIFFReadScanline(t, row.data(), 1), 1);
    EXPECT_NEAR(row[0], 100, 1); // 200 at alpha 128
    EXPECT_NEAR(row[1], 50, 1);
    EXPECT_NEAR(row[2], 25, 1);
    EXPECT_EQ(row[3], 128);
    TIFFClose(t);
}

TEST_F(WebPDecoderTest, LossyWithoutAlphaGivesFourteenEntryTIFF)
{
    ASSERT_EQ(decodeToTIFF(encodeWebP(4, 3, false, false), "b.tif"), 0);
    const QByteArray tiff = testsupport::readFile(path("b.tif"));
    ASSERT_EQ(tiff.size(), 210 + 4 * 3 * 3);
    EXPECT_EQ(le16(tiff, 8), 14);
    EXPECT_EQ(le32(tiff, 178), 0u);
    EXPECT_EQ(tiff.mid(182, 8), QByteArray("\1\0\0\0\1\0\0\0", 8));
    EXPECT_EQ(le16(tiff, 94 + 8), 3); // SamplesPerPixel
    EXPECT_EQ(le32(tiff, 118 + 8), 4u * 3 * 3); // StripByteCounts

    TIFF* t = TIFFOpen(QFile::encodeName(path("b.tif")), "r");
    ASSERT_TRUE(t);
    std::uint16_t spp = 0;
    TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    EXPECT_EQ(spp, 3);
    std::vector<std::uint8_t> row(TIFFScanlineSize(t));
    ASSERT_EQ(TIFFReadScanline(t, row.data(), 2), 1);
    EXPECT_NEAR(row[0], 200, 12);
    EXPECT_NEAR(row[1], 100, 12);
    TIFFClose(t);
}

TEST_F(WebPDecoderTest, OnePixelTIFFSizes)
{
    ASSERT_EQ(decodeToTIFF(encodeWebP(1, 1, false, true), "rgb.tif"), 0);
    ASSERT_EQ(decodeToTIFF(encodeWebP(1, 1, true, true), "rgba.tif"), 0);
    EXPECT_EQ(QFile(path("rgb.tif")).size(), 213);
    EXPECT_EQ(QFile(path("rgba.tif")).size(), 214);
}

TEST_F(WebPDecoderTest, DataThatIsNoWebPWritesNothing)
{
    EXPECT_EQ(decodeToTIFF("RIFF\0\0\0\0WEBPVP8 garbage", "c.tif"), kWebPFeaturesFailed);
    EXPECT_EQ(decodeToTIFF(testsupport::pngBytes({2, 2}), "c.tif"), kWebPFeaturesFailed);
    EXPECT_FALSE(QFile::exists(path("c.tif")));
}

TEST_F(WebPDecoderTest, TruncatedDataFailsWithoutAFile)
{
    const QByteArray whole = encodeWebP(64, 64, false, false);
    EXPECT_EQ(decodeToTIFF(whole.left(whole.size() / 2), "d.tif"), kWebPDecodeFailed);
    EXPECT_FALSE(QFile::exists(path("d.tif")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WebPDecoderTest, AnimationIsAnnouncedAndAttempted)
{
    testing::internal::CaptureStderr();
    const int result = decodeToTIFF(animatedWebP(), "e.tif");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error! Decoding of an animated WebP file is not supported.\n"
                       "       Use webpmux to extract the individual frames or\n"
                       "       vwebp to view this image.\n"),
              std::string::npos);
    // The library does not decode animations: reported, and no file.
    EXPECT_EQ(result, kWebPDecodeFailed);
    EXPECT_FALSE(QFile::exists(path("e.tif")));
}

TEST_F(WebPDecoderTest, SizeIsReadWithoutDecoding)
{
    const QByteArray webp = encodeWebP(7, 5, false, false);
    int w = 0, h = 0;
    // The header alone is enough.
    EXPECT_EQ(GetWebPImageSize(reinterpret_cast<const std::uint8_t*>(webp.constData()), 30, &w, &h), 0);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 5);
    EXPECT_EQ(GetWebPImageSize(reinterpret_cast<const std::uint8_t*>("nothing"), 7, &w, &h),
              kWebPFeaturesFailed);
}

TEST_F(WebPDecoderTest, DecodeIntoTheCallersConfiguration)
{
    const QByteArray webp = encodeWebP(2, 2, true, true);
    WebPDecoderConfig config;
    ASSERT_TRUE(WebPInitDecoderConfig(&config));
    ASSERT_EQ(DecodeWebPDataToRGBA(reinterpret_cast<const std::uint8_t*>(webp.constData()),
                                   webp.size(), &config),
              0);
    EXPECT_EQ(config.output.colorspace, MODE_RGBA);
    EXPECT_EQ(config.output.u.RGBA.rgba[0], 200); // straight, not premultiplied
    EXPECT_EQ(config.output.u.RGBA.rgba[3], 128);
    WebPFreeDecBuffer(&config.output);
}

// A decoded buffer over memory of the test's own.
struct Buffer {
    WebPDecBuffer b{};
    std::vector<std::uint8_t> memory;

    Buffer(WEBP_CSP_MODE mode, int w, int h)
    {
        WebPInitDecBuffer(&b);
        b.colorspace = mode;
        b.width = w;
        b.height = h;
        b.is_external_memory = 1;
        if (mode == MODE_YUV || mode == MODE_YUVA) {
            const int uw = (w + 1) / 2, uh = (h + 1) / 2;
            memory.assign(static_cast<std::size_t>(w) * h * 2 + uw * uh * 2, 0);
            for (std::size_t i = 0; i < memory.size(); ++i)
                memory[i] = static_cast<std::uint8_t>(i + 1);
            WebPYUVABuffer& p = b.u.YUVA;
            p.y = memory.data();
            p.y_stride = w;
            p.y_size = static_cast<std::size_t>(w) * h;
            p.u = p.y + p.y_size;
            p.u_stride = uw;
            p.u_size = static_cast<std::size_t>(uw) * uh;
            p.v = p.u + p.u_size;
            p.v_stride = uw;
            p.v_size = p.u_size;
            if (mode == MODE_YUVA) {
                p.a = p.v + p.v_size;
                p.a_stride = w;
                p.a_size = static_cast<std::size_t>(w) * h;
            }
        } else {
            const int bpp = mode == MODE_RGB || mode == MODE_BGR ? 3 : 4;
            memory.assign(static_cast<std::size_t>(w) * h * bpp, 0);
            for (std::size_t i = 0; i < memory.size(); ++i)
                memory[i] = static_cast<std::uint8_t>(10 + i);
            b.u.RGBA.rgba = memory.data();
            b.u.RGBA.stride = w * bpp;
            b.u.RGBA.size = memory.size();
        }
    }
};

class DecodedWritersTest : public testsupport::TemporaryFolderTest {
protected:
    QByteArray save(const Buffer& buffer, int format, int expected = 1)
    {
        const QString file = path(QString("out%1").arg(m_count++));
        testing::internal::CaptureStderr();
        const int result = SaveDecodedImage(&buffer.b, format, QFile::encodeName(file));
        m_stderr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, expected) << format;
        return testsupport::readFile(file);
    }
    int m_count = 0;
    std::string m_stderr;
};

TEST_F(DecodedWritersTest, BMPRowsArePaddedAndStoredTopFirst)
{
    const QByteArray bmp = save(Buffer(MODE_BGR, 3, 2), DecodedImageBMP);
    EXPECT_NE(m_stderr.find("Saved file "), std::string::npos);
    ASSERT_EQ(bmp.size(), 54 + 12 * 2);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(le32(bmp, 2), 54u + 24);
    EXPECT_EQ(le32(bmp, 10), 54u);
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(le32(bmp, 18), 3u);
    EXPECT_EQ(static_cast<std::int32_t>(le32(bmp, 22)), -2);
    EXPECT_EQ(le16(bmp, 28), 24);
    EXPECT_EQ(le32(bmp, 38), 2400u);
    EXPECT_EQ(bmp.mid(54, 12), QByteArray("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\0\0\0", 12));
    EXPECT_EQ(le16(save(Buffer(MODE_BGRA, 1, 1), DecodedImageBMP), 28), 32);
}

TEST_F(DecodedWritersTest, PGMInterleavesChromaAndPadsOddRows)
{
    const QByteArray pgm = save(Buffer(MODE_YUV, 5, 3), DecodedImagePGM);
    const QByteArray head = "P5\n6 5\n255\n";
    ASSERT_EQ(pgm.size(), head.size() + 6 * 5);
    EXPECT_TRUE(pgm.startsWith(head));
    const QByteArray body = pgm.mid(head.size());
    EXPECT_EQ(body.mid(0, 6), QByteArray("\1\2\3\4\5\0", 6));
    EXPECT_EQ(body.mid(6, 6), QByteArray("\6\7\x08\x09\x0a\0", 6));
    // First chroma row: U 16..18, then V 22..24.
    EXPECT_EQ(body.mid(18, 6), QByteArray("\x10\x11\x12\x16\x17\x18", 6));

    const QByteArray withAlpha = save(Buffer(MODE_YUVA, 5, 3), DecodedImagePGM);
    EXPECT_TRUE(withAlpha.startsWith("P5\n6 8\n255\n"));
}

TEST_F(DecodedWritersTest, RawYUVAndAlphaPlane)
{
    const QByteArray yuv = save(Buffer(MODE_YUV, 5, 3), DecodedImageYUV);
    EXPECT_EQ(yuv.size(), 15 + 6 + 6);
    EXPECT_EQ(yuv.mid(15, 6), QByteArray("\x10\x11\x12\x13\x14\x15", 6)); // all U, then V

    const QByteArray alpha = save(Buffer(MODE_YUVA, 2, 2), DecodedImageAlphaPlane);
    EXPECT_EQ(alpha, QByteArray("P5\n2 2\n255\n\x07\x08\x09\x0a", 15));
    save(Buffer(MODE_YUV, 2, 2), DecodedImageAlphaPlane, 0);
}

TEST_F(DecodedWritersTest, PortableMapsAndPNGReadBack)
{
    EXPECT_EQ(save(Buffer(MODE_RGB, 1, 1), DecodedImagePPM), QByteArray("P6\n1 1\n255\n\x0a\x0b\x0c"));
    EXPECT_EQ(save(Buffer(MODE_RGBA, 1, 1), DecodedImagePAM),
              QByteArray("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                         "\x0a\x0b\x0c\x0d"));

    const QByteArray png = save(Buffer(MODE_RGBA, 2, 2), DecodedImagePNG);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.constData(), png.size()));
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_ALPHA);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels, Buffer(MODE_RGBA, 2, 2).memory);
}

TEST_F(DecodedWritersTest, StraightAlphaIsTaggedUnassociated)
{
    const QByteArray tiff = save(Buffer(MODE_RGBA, 1, 1), DecodedImageTIFF);
    ASSERT_EQ(tiff.size(), 214);
    EXPECT_EQ(le32(tiff, 186), 2u);
}

TEST_F(DecodedWritersTest, UnsuitableBuffersAreRefusedBeforeAnythingIsOpened)
{
    const struct {
        WEBP_CSP_MODE mode;
        int format;
    } refused[] = {
        {MODE_rgbA, DecodedImagePAM},  {MODE_rgbA, DecodedImagePNG}, {MODE_BGR, DecodedImagePNG},
        {MODE_RGBA, DecodedImagePPM},  {MODE_RGB, DecodedImageBMP},  {MODE_BGRA, DecodedImageTIFF},
        {MODE_RGB, DecodedImagePGM},   {MODE_YUV, DecodedImageTIFF}, {MODE_RGB, 8},
        {MODE_RGB, -1},
    };
    const QString existing = write("keep.bin", "old contents");
    for (const auto& c : refused) {
        Buffer buffer(c.mode, 2, 2);
        testing::internal::CaptureStderr();
        EXPECT_EQ(SaveDecodedImage(&buffer.b, c.format, QFile::encodeName(existing)), 0)
            << c.mode << " " << c.format;
        testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(testsupport::readFile(existing), "old contents");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.bin"});
}

TEST_F(DecodedWritersTest, BuffersShorterThanTheirRowsAreRefused)
{
    Buffer shortRGB(MODE_RGB, 4, 4);
    shortRGB.b.u.RGBA.size -= 1;
    save(shortRGB, DecodedImageTIFF, 0);
    Buffer narrowStride(MODE_RGBA, 4, 4);
    narrowStride.b.u.RGBA.stride = 8;
    save(narrowStride, DecodedImagePNG, 0);
    Buffer shortV(MODE_YUV, 5, 3);
    shortV.b.u.YUVA.v_size = 5;
    save(shortV, DecodedImageYUV, 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(DecodedWritersTest, StandardOutputAndUnopenableFiles)
{
    Buffer buffer(MODE_RGB, 1, 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveDecodedImage(&buffer.b, DecodedImagePPM, "-"), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(err, "Saved to stdout\n");
    EXPECT_EQ(out, std::string("P6\n1 1\n255\n\x0a\x0b\x0c"));

    const QByteArray missing = QFile::encodeName(path("no/such/folder/x.ppm"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveDecodedImage(&buffer.b, DecodedImagePPM, missing), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error opening output file " + missing.toStdString() + "\n");
}

} // namespace
