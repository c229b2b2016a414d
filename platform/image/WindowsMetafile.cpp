#include "platform/image/WindowsMetafile_p.h"

#include "platform/image/ImageLibraries_p.h"

#include <Magick++.h>

#include <QRect>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::image {

namespace {

// Metafiles are drawings: rendered at twice screen resolution their lines
// stay sharp on paper, at a quarter of the pixels 300 dpi would take.
constexpr int kMetafileDpi = 150;
// The longest side a drawing is rendered to, a full page at some 370 dpi;
// larger drawings are rendered at less than kMetafileDpi.
constexpr int kMaxMetafileSide = 4096;
// The key that opens a placeable header.
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableHeaderBytes = 22;
// A metafile without its placeable header says nothing of its size: it is
// drawn as if its window were as wide as the text of a letter page, which
// the documents holding such metafiles scale to their own size anyway.
constexpr double kAssumedInches = 6.5;
// Records looked through for the window; drawings set it among their first.
constexpr int kMaxWindowRecords = 64;
constexpr quint16 kSetWindowOrg = 0x020B;
constexpr quint16 kSetWindowExt = 0x020C;

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

quint16 word(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// The window a metafile's first records set: origin and extent in its
// logical units; none when they set no extent.
std::optional<QRect> windowOf(QByteArrayView metafile)
{
    qsizetype at = qsizetype(word(metafile, 2)) * 2; // past the header
    QPoint origin;
    for (int record = 0; record < kMaxWindowRecords && at + 6 <= metafile.size(); ++record) {
        const quint32 words = qFromLittleEndian<quint32>(metafile.constData() + at);
        const quint16 function = word(metafile, at + 4);
        if (words < 3 || function == 0 || words > quint32(metafile.size() - at) / 2)
            return std::nullopt;
        if ((function == kSetWindowOrg || function == kSetWindowExt) && words >= 5) {
            // The parameters in reverse order: y, then x.
            const QPoint point(qint16(word(metafile, at + 8)), qint16(word(metafile, at + 6)));
            if (function == kSetWindowOrg)
                origin = point;
            else if (point.x() != 0 && point.y() != 0)
                return QRect(origin, QSize(point.x(), point.y())).normalized();
        }
        at += qsizetype(words) * 2;
    }
    return std::nullopt;
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
    if (qFromLittleEndian<quint32>(head.constData()) == kPlaceableKey)
        return true;
    // The metafile header: in memory or on disk, nine words long, of
    // version 1 or 3.
    return (word(head, 0) == 1 || word(head, 0) == 2) && word(head, 2) == 9
           && (word(head, 4) == 0x0100 || word(head, 4) == 0x0300);
}

QByteArray placeableMetafile(const QByteArray& data)
{
    if (!isWindowsMetafile(data) || qFromLittleEndian<quint32>(data.constData()) == kPlaceableKey)
        return data;
    const std::optional<QRect> window = windowOf(data);
    const auto fits = [](int v) { return v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max(); };
    if (!window || !fits(window->left()) || !fits(window->top()) || !fits(window->left() + window->width())
        || !fits(window->top() + window->height()))
        return data;
    const double perInch = std::max(window->width(), window->height()) / kAssumedInches;
    QByteArray header(kPlaceableHeaderBytes, '\0');
    qToLittleEndian<quint32>(kPlaceableKey, header.data());
    const quint16 fields[] = {quint16(window->left()), quint16(window->top()), quint16(window->left() + window->width()),
                              quint16(window->top() + window->height()),
                              quint16(std::clamp(std::round(perInch), 1.0, 65535.0))};
    for (int i = 0; i < 5; ++i)
        qToLittleEndian<quint16>(fields[i], header.data() + 6 + 2 * i);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= word(header, 2 * i);
    qToLittleEndian<quint16>(checksum, header.data() + 20);
    return header + data;
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
