#pragma once
// Pictures of untrusted documents: decoded only when the size their header
// gives is within the bounds, and all pictures of one document together
// within a budget, since a small file can hold pictures that decode to
// gigabytes. Any type the image layer reads (TIFF, BMP, GIF, metafiles...)
// or Qt's readers do (SVG), and bare bitmaps without their file header.
#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace platform::text {

inline constexpr int kMaxImageSide = 20000;
// One decoded picture, and the encoded data of one picture.
inline constexpr qint64 kMaxImageBytes = 256LL * 1024 * 1024;
// All decoded pictures of one document.
inline constexpr qint64 kMaxDocumentImageBytes = 1024LL * 1024 * 1024;
// Display side in points.
inline constexpr double kMaxPictureSide = 14400;

// A display size in points, scaled down as a whole when a side is absurd;
// empty when a side is no positive finite number.
QSizeF boundedPictureSize(QSizeF points);

// A device-independent bitmap as clipboards and Word keep it, with the file
// header it lacks put before it so that BMP readers take it; empty when the
// bytes are no such bitmap.
QByteArray withBitmapFileHeader(const QByteArray& dib);

// Decodes the pictures of one document.
class ImageBudget {
public:
    // limit: decoded bytes of all pictures together.
    explicit ImageBudget(qint64 limit = kMaxDocumentImageBytes) : m_limit(limit) {}

    // The picture when it fits the bounds and what is left of the budget,
    // which it then takes; null otherwise.
    QImage decode(const QByteArray& bytes);

private:
    qint64 m_limit;
    qint64 m_used = 0;
};

} // namespace platform::text
