#include "platform/text/BoundedImage.h"

#include "platform/image/Bitmap.h"
#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/ImageSource.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

constexpr qint64 kBytesPerPixel = 4;
// The file header a bare bitmap lacks.
constexpr qsizetype kBitmapFileHeaderBytes = 14;
// Colours of a bitmap's palette: 256 for 8 bits, and a few more that a
// writer may list for a deeper bitmap.
constexpr quint32 kMaxPaletteColours = 4096;

struct Bounds {
    qint64 allowed; // decoded bytes

    bool admit(QSize size) const
    {
        return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImageSide
               && size.height() <= kMaxImageSide && qint64(size.width()) * size.height() * kBytesPerPixel <= allowed;
    }
};

// Qt's own readers (and its plugins: SVG, among others).
QImage decodeWithQt(const QByteArray& bytes, const Bounds& bounds)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize declared = reader.size();
    if (declared.isValid() && !bounds.admit(declared))
        return {};
    QImage image;
    if (!reader.read(&image) || !bounds.admit(image.size()))
        return {};
    return image;
}

// The image layer: libvips, ImageMagick's coders behind it (TIFF of any
// kind, unusual BMP and GIF, metafiles), checked by the size in the header.
QImage decodeWithImageLayer(const QByteArray& bytes, const Bounds& bounds)
{
    image::ImageSourceOptions options;
    options.pixelLimit = bounds.allowed / kBytesPerPixel;
    const auto source = image::ImageSource::fromData(bytes, options);
    if (!source)
        return {};
    const QVariantMap properties = source->properties(0);
    const QSize declared(properties.value(image::keys::kCGImagePropertyPixelWidth).toInt(),
                         properties.value(image::keys::kCGImagePropertyPixelHeight).toInt());
    if (!bounds.admit(declared))
        return {};
    const QImage image = source->image(0).toQImage();
    return bounds.admit(image.size()) ? image : QImage();
}

// Qt reads these faster than the image layer does (a BMP some forty times
// faster, ImageMagick reading it again for every question asked).
bool qtReadsFast(const QByteArray& bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xFF\xD8\xFF") || bytes.startsWith("BM");
}

} // namespace

QSizeF boundedPictureSize(QSizeF size)
{
    if (!(std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0))
        return {};
    const double largest = std::max(size.width(), size.height());
    if (largest > kMaxPictureSide)
        size *= kMaxPictureSide / largest;
    return size;
}

QByteArray withBitmapFileHeader(const QByteArray& dib)
{
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(dib.constData() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(dib.constData() + at); };
    if (dib.size() < 16)
        return {};
    const quint32 headerBytes = u32(0);
    quint32 bits = 0, colours = 0, colourBytes = 4, masks = 0;
    if (headerBytes == 12) { // the OS/2 core header: 16-bit sizes, 3-byte colours
        if (u16(4) == 0 || u16(6) == 0 || u16(8) != 1)
            return {};
        bits = u16(10);
        colourBytes = 3;
    } else if (headerBytes == 40 || headerBytes == 52 || headerBytes == 56 || headerBytes == 64 || headerBytes == 108
               || headerBytes == 124) {
        if (dib.size() < qsizetype(headerBytes) || u16(12) != 1 || qint32(u32(4)) <= 0 || u32(8) == 0)
            return {};
        bits = u16(14);
        colours = u32(32);
        const quint32 compression = u32(16);
        // Colour masks follow the plain header; the longer ones hold them.
        if (headerBytes == 40)
            masks = compression == 3 ? 12 : compression == 6 ? 16 : 0;
    } else {
        return {};
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    if (colours == 0 && bits <= 8)
        colours = 1u << bits;
    if (colours > kMaxPaletteColours)
        return {};
    const qint64 dataOffset = kBitmapFileHeaderBytes + qint64(headerBytes) + qint64(colours) * colourBytes + masks;
    const qint64 fileBytes = kBitmapFileHeaderBytes + dib.size();
    if (dataOffset >= fileBytes || fileBytes > kMaxImageBytes)
        return {};
    QByteArray file(kBitmapFileHeaderBytes, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(fileBytes), file.data() + 2);
    qToLittleEndian<quint32>(quint32(dataOffset), file.data() + 10);
    return file + dib;
}

QImage ImageBudget::decode(const QByteArray& encoded)
{
    if (encoded.isEmpty() || encoded.size() > kMaxImageBytes)
        return {};
    const QByteArray bare = withBitmapFileHeader(encoded);
    const QByteArray& bytes = bare.isEmpty() ? encoded : bare;
    const Bounds bounds{std::min(kMaxImageBytes, m_limit - m_used)};
    // Each reader takes what the other does not.
    using Decoder = QImage (*)(const QByteArray&, const Bounds&);
    const bool fast = qtReadsFast(bytes);
    const Decoder first = fast ? decodeWithQt : decodeWithImageLayer;
    const Decoder second = fast ? decodeWithImageLayer : decodeWithQt;
    QImage image = first(bytes, bounds);
    if (image.isNull())
        image = second(bytes, bounds);
    if (image.isNull())
        return {};
    m_used += qint64(image.width()) * image.height() * kBytesPerPixel;
    return image;
}

} // namespace platform::text
