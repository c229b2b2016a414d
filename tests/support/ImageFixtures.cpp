#include "tests/support/ImageFixtures.h"

#include <QtEndian>

#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <QFile>
#include <QTemporaryDir>

namespace testsupport {

namespace {

void put16(QByteArray& to, quint16 v, bool big)
{
    char b[2];
    big ? qToBigEndian(v, b) : qToLittleEndian(v, b);
    to.append(b, 2);
}

void put32(QByteArray& to, quint32 v, bool big)
{
    char b[4];
    big ? qToBigEndian(v, b) : qToLittleEndian(v, b);
    to.append(b, 4);
}

quint32 crc32Of(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xffffffffu;
}

QByteArray exifWithOrientation(int orientation)
{
    QByteArray exif("Exif\0\0", 6);
    exif += QByteArray("II*\0", 4);
    put32(exif, 8, false);
    put16(exif, 1, false);       // one entry
    put16(exif, 0x0112, false);  // Orientation
    put16(exif, 3, false);       // SHORT
    put32(exif, 1, false);
    put16(exif, quint16(orientation), false);
    put16(exif, 0, false);
    put32(exif, 0, false);       // no next directory
    return exif;
}

} // namespace

QByteArray jpegBytes(QSize size, int components, int exifOrientation, int dpi)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = size.width();
    cinfo.image_height = size.height();
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (dpi) {
        cinfo.write_JFIF_header = TRUE;
        cinfo.density_unit = 1;
        cinfo.X_density = dpi;
        cinfo.Y_density = dpi;
    }
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (exifOrientation) {
        const QByteArray exif = exifWithOrientation(exifOrientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()),
                          exif.size());
    }
    std::vector<unsigned char> row(size_t(size.width()) * components);
    for (int x = 0; x < size.width(); ++x)
        for (int c = 0; c < components; ++c)
            row[size_t(x) * components + c] = components == 4 ? (c == 0 ? 200 : 20) : 120 + 40 * c;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char*>(out), qsizetype(outSize));
    free(out);
    return data;
}

QByteArray png16AlphaBytes(QSize size)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = size.width();
    image.height = size.height();
    image.format = PNG_FORMAT_LINEAR_RGB_ALPHA; // 16-bit samples
    std::vector<png_uint_16> pixels(size_t(size.width()) * size.height() * 4);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            png_uint_16* p = &pixels[(size_t(y) * size.width() + x) * 4];
            p[0] = png_uint_16(x * 1000);
            p[1] = 0;
            p[2] = 0;
            p[3] = 0x8000;
        }
    png_alloc_size_t bytes = 0;
    png_image_write_to_memory(&image, nullptr, &bytes, 0, pixels.data(), 0, nullptr);
    QByteArray data(qsizetype(bytes), '\0');
    png_image_write_to_memory(&image, data.data(), &bytes, 0, pixels.data(), 0, nullptr);
    return data;
}

QByteArray pngHeaderOnly(QSize size)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    put32(ihdr, quint32(size.width()), true);
    put32(ihdr, quint32(size.height()), true);
    ihdr.append("\x08\x02\0\0\0", 5);
    put32(png, 13, true);
    png += ihdr;
    put32(png, crc32Of(ihdr), true);
    QByteArray idat("IDAT");
    put32(png, 0, true);
    png += idat;
    put32(png, crc32Of(idat), true);
    QByteArray iend("IEND");
    put32(png, 0, true);
    png += iend;
    put32(png, crc32Of(iend), true);
    return png;
}

QByteArray tiffPagesBytes(const QList<QSize>& pages, int dpi)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("pages.tif"));
    TIFF* tiff = TIFFOpen(path.constData(), "w");
    for (int i = 0; i < pages.size(); ++i) {
        const QSize size = pages[i];
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, size.width());
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, size.height());
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(dpi));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(dpi));
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, i, int(pages.size()));
        std::vector<unsigned char> row(size_t(size.width()) * 3, static_cast<unsigned char>(40 * (i + 1)));
        for (int y = 0; y < size.height(); ++y)
            TIFFWriteScanline(tiff, row.data(), y, 0);
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray gifBytes(QSize size)
{
    // Two colours, minimum code size 2; the pixels as one literal code each,
    // with a clear code often enough that the code size stays at 3 bits.
    QByteArray gif("GIF87a");
    put16(gif, quint16(size.width()), false);
    put16(gif, quint16(size.height()), false);
    gif.append(char(0x80)); // global colour table of 2 entries
    gif.append('\0');
    gif.append('\0');
    gif.append(QByteArray("\0\0\0\xff\xff\xff", 6));
    gif.append(',');
    put16(gif, 0, false);
    put16(gif, 0, false);
    put16(gif, quint16(size.width()), false);
    put16(gif, quint16(size.height()), false);
    gif.append('\0');
    gif.append('\x02'); // LZW minimum code size
    QList<int> codes;
    const int pixels = size.width() * size.height();
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            codes << 4; // clear
        codes << (i == 0 ? 1 : 0);
    }
    codes << 5; // end of information
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= quint32(code) << count;
        count += 3;
        while (count >= 8) {
            packed.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        packed.append(char(bits & 0xff));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        gif.append(char(block.size()));
        gif += block;
    }
    gif.append('\0');
    gif.append(';');
    return gif;
}

QByteArray bmpBytes(QSize size)
{
    const int rowSize = (size.width() * 3 + 3) & ~3;
    QByteArray bmp("BM");
    put32(bmp, quint32(54 + rowSize * size.height()), false);
    put32(bmp, 0, false);
    put32(bmp, 54, false);
    put32(bmp, 40, false);
    put32(bmp, quint32(size.width()), false);
    put32(bmp, quint32(size.height()), false);
    put16(bmp, 1, false);
    put16(bmp, 24, false);
    for (int i = 0; i < 6; ++i)
        put32(bmp, 0, false); // no compression, size, resolution, palette
    QByteArray row;
    for (int x = 0; x < size.width(); ++x)
        row.append("\x1e\x14\x0a", 3); // B, G, R
    row.append(QByteArray(rowSize - row.size(), '\0'));
    for (int y = 0; y < size.height(); ++y)
        bmp += row;
    return bmp;
}

QByteArray indexedBmpBytes(QSize size, QColor colour)
{
    const int rowSize = (size.width() + 3) & ~3;
    const quint32 pixels = 14 + 40 + 2 * 4;
    QByteArray bmp("BM");
    put32(bmp, quint32(pixels + rowSize * size.height()), false);
    put32(bmp, 0, false);
    put32(bmp, pixels, false);
    put32(bmp, 40, false);
    put32(bmp, quint32(size.width()), false);
    put32(bmp, quint32(size.height()), false);
    put16(bmp, 1, false);
    put16(bmp, 8, false);
    for (int i = 0; i < 4; ++i)
        put32(bmp, 0, false); // no compression, size, resolution
    put32(bmp, 2, false);     // colours used
    put32(bmp, 0, false);
    put32(bmp, 0x00FFFFFF, false); // white, then the colour: B, G, R, 0
    put32(bmp, quint32(colour.blue()) | quint32(colour.green()) << 8 | quint32(colour.red()) << 16, false);
    const QByteArray row = QByteArray(size.width(), '\1') + QByteArray(rowSize - size.width(), '\0');
    for (int y = 0; y < size.height(); ++y)
        bmp += row;
    return bmp;
}

QByteArray sgiBytes(QSize size)
{
    QByteArray sgi;
    put16(sgi, 474, true);
    sgi.append('\0'); // verbatim
    sgi.append('\1');
    put16(sgi, 3, true);
    put16(sgi, quint16(size.width()), true);
    put16(sgi, quint16(size.height()), true);
    put16(sgi, 3, true);
    put32(sgi, 0, true);
    put32(sgi, 255, true);
    sgi.append(QByteArray(512 - sgi.size(), '\0'));
    for (int channel = 0; channel < 3; ++channel)
        sgi.append(QByteArray(size.width() * size.height(), char(channel + 1)));
    return sgi;
}

QByteArray webpBytes(QSize size, bool alpha, bool lossless)
{
    const int w = size.width(), h = size.height();
    std::vector<std::uint8_t> pixels(size_t(w) * h * 4);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        pixels[i * 4 + 0] = 200;
        pixels[i * 4 + 1] = 100;
        pixels[i * 4 + 2] = 50;
        pixels[i * 4 + 3] = alpha ? 128 : 255;
    }
    std::uint8_t* out = nullptr;
    size_t bytes = 0;
    if (lossless)
        bytes = WebPEncodeLosslessRGBA(pixels.data(), w, h, w * 4, &out);
    else if (alpha)
        bytes = WebPEncodeRGBA(pixels.data(), w, h, w * 4, 90, &out);
    else {
        std::vector<std::uint8_t> rgb;
        for (size_t i = 0; i < size_t(w) * h; ++i)
            rgb.insert(rgb.end(), {200, 100, 50});
        bytes = WebPEncodeRGB(rgb.data(), w, h, w * 3, 90, &out);
    }
    QByteArray data(reinterpret_cast<const char*>(out), qsizetype(bytes));
    WebPFree(out);
    return data;
}

} // namespace testsupport

namespace testsupport {

namespace {

void metafileRecord(QByteArray& to, quint16 function, const QList<quint16>& parameters)
{
    put32(to, quint32(3 + parameters.size()), false);
    put16(to, function, false);
    for (quint16 p : parameters)
        put16(to, p, false);
}

} // namespace

QByteArray wmfBytes(QSize units, QColor colour, std::optional<int> unitsPerInch)
{
    const quint16 w = quint16(units.width()), h = quint16(units.height());
    const quint32 rgb = quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
    QByteArray records;
    metafileRecord(records, 0x0103, {8});                                       // anisotropic mapping
    metafileRecord(records, 0x020B, {0, 0});                                    // window origin
    metafileRecord(records, 0x020C, {h, w});                                    // window extent
    metafileRecord(records, 0x02FC, {0, quint16(rgb & 0xFFFF), quint16(rgb >> 16), 0}); // a solid brush
    metafileRecord(records, 0x012D, {0});                                       // selected
    metafileRecord(records, 0x041B, {h, w, 0, 0}); // the rectangle, bottom right first
    metafileRecord(records, 0x0000, {});           // end
    QByteArray metafile;
    put16(metafile, 1, false); // in memory
    put16(metafile, 9, false); // header words
    put16(metafile, 0x0300, false);
    put32(metafile, quint32((18 + records.size()) / 2), false);
    put16(metafile, 1, false); // objects
    put32(metafile, 7, false); // largest record
    put16(metafile, 0, false);
    metafile += records;
    if (!unitsPerInch)
        return metafile;
    QByteArray header;
    put32(header, 0x9AC6CDD7, false);
    for (quint16 v : {quint16(0), quint16(0), quint16(0), w, h, quint16(*unitsPerInch)})
        put16(header, v, false);
    put32(header, 0, false);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(header.constData() + 2 * i);
    put16(header, checksum, false);
    return header + metafile;
}

QByteArray emfBytes(QSize size)
{
    QByteArray emf;
    put32(emf, 1, false);  // the header record
    put32(emf, 88, false); // its size
    for (qint32 v : {0, 0, size.width() - 1, size.height() - 1})
        put32(emf, quint32(v), false); // bounds in device units
    for (qint32 v : {0, 0, size.width() * 26, size.height() * 26})
        put32(emf, quint32(v), false); // frame in hundredths of a millimetre
    put32(emf, 0x464D4520, false);     // " EMF"
    put32(emf, 0x00010000, false);     // version
    put32(emf, 88 + 20, false);        // file size
    put32(emf, 2, false);              // records
    put16(emf, 1, false);              // handles
    put16(emf, 0, false);
    put32(emf, 0, false); // description
    put32(emf, 0, false);
    put32(emf, 0, false); // palette entries
    for (qint32 v : {1024, 768, 320, 240})
        put32(emf, quint32(v), false); // reference device: pixels, millimetres
    put32(emf, 14, false);             // end of file
    put32(emf, 20, false);
    put32(emf, 0, false);
    put32(emf, 16, false);
    put32(emf, 20, false);
    return emf;
}

} // namespace testsupport
