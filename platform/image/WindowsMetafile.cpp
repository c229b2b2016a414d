#include "platform/image/WindowsMetafile_p.h"

#include "platform/image/ImageLibraries_p.h"

#include <Magick++.h>

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::image {

namespace {

// Metafiles are drawings: rendered at twice screen resolution their lines
// stay sharp on paper, at a quarter of the pixels 300 dpi would take.
constexpr int kMetafileDpi = 150;
// The longest side a drawing is rendered to: a full page at some 370 dpi. A
// metafile without its placeable header counts its units as points, which
// makes drawings in fine units very large.
constexpr int kMaxMetafileSide = 4096;
// The key that opens a placeable header.
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

std::optional<MetafileRaster> pingAt(const QByteArray& data, int dpi)
{
    try {
        Magick::Image image;
        image.quiet(true);
        image.magick("WMF");
        image.density(Magick::Geometry(size_t(dpi), size_t(dpi)));
        image.ping(Magick::Blob(data.constData(), size_t(data.size())));
        constexpr size_t kLargest = size_t(std::numeric_limits<int>::max());
        if (image.columns() == 0 || image.rows() == 0 || image.columns() > kLargest || image.rows() > kLargest)
            return std::nullopt;
        return MetafileRaster{int(image.columns()), int(image.rows()), double(dpi)};
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "metafile unreadable:" << error.what();
        return std::nullopt;
    }
}

bool within(const MetafileRaster& raster, qint64 pixelLimit)
{
    return std::max(raster.width, raster.height) <= kMaxMetafileSide
           && qint64(raster.width) * raster.height <= pixelLimit;
}

} // namespace

bool isWindowsMetafile(QByteArrayView head)
{
    if (head.size() < 18)
        return false;
    const auto word = [&](qsizetype at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    if (qFromLittleEndian<quint32>(head.constData()) == kPlaceableKey)
        return true;
    // The metafile header: in memory or on disk, nine words long, of
    // version 1 or 3.
    return (word(0) == 1 || word(0) == 2) && word(2) == 9 && (word(4) == 0x0100 || word(4) == 0x0300);
}

std::optional<MetafileRaster> metafileRaster(const QByteArray& data, qint64 pixelLimit)
{
    if (!isWindowsMetafile(data) || !ensureImageLibraries())
        return std::nullopt;
    const std::optional<MetafileRaster> full = pingAt(data, kMetafileDpi);
    if (!full || within(*full, pixelLimit))
        return full;
    const double pixels = double(full->width) * full->height;
    const double scale = std::min(double(kMaxMetafileSide) / std::max(full->width, full->height),
                                  std::sqrt(double(pixelLimit) / pixels));
    const int dpi = int(std::floor(kMetafileDpi * scale));
    if (dpi < 1)
        return std::nullopt;
    const std::optional<MetafileRaster> smaller = pingAt(data, dpi);
    if (!smaller || !within(*smaller, pixelLimit)) {
        qCInfo(lcImage) << "metafile of" << full->width << "x" << full->height << "pixels over the limit";
        return std::nullopt;
    }
    return smaller;
}

Bitmap renderMetafile(const QByteArray& data, const MetafileRaster& raster)
{
    if (!ensureImageLibraries())
        return {};
    try {
        Magick::Image image;
        image.quiet(true);
        image.magick("WMF");
        image.density(Magick::Geometry(size_t(raster.dpi), size_t(raster.dpi)));
        image.read(Magick::Blob(data.constData(), size_t(data.size())));
        if (image.columns() != size_t(raster.width) || image.rows() != size_t(raster.height))
            return {};
        QByteArray pixels(qsizetype(raster.width) * raster.height * 4, Qt::Uninitialized);
        image.write(0, 0, image.columns(), image.rows(), "RGBA", Magick::CharPixel, pixels.data());
        return Bitmap::fromPixels(raster.width, raster.height, ColorModel::RGBA, SampleFormat::UInt8, pixels)
            .withResolution(raster.dpi, raster.dpi);
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "metafile does not render:" << error.what();
        return {};
    }
}

} // namespace platform::image
