#pragma once
// Image files made by the codec libraries themselves (or written by hand
// where no library here writes the type), for tests of the image layer, the
// text readers and the engine: every fixture is a small image of known
// pixels.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSize>

#include <optional>

namespace testsupport {

// A JPEG of a solid colour: components 1 (gray), 3 (RGB) or 4 (Adobe CMYK);
// an EXIF block with the orientation when it is not 0; JFIF density in dpi
// when dpi is not 0.
QByteArray jpegBytes(QSize size, int components, int exifOrientation = 0, int dpi = 0);
// A 16-bit RGBA PNG, red rising along each row, alpha 0x8000.
QByteArray png16AlphaBytes(QSize size);
// A PNG that claims size in its header and holds no pixel data.
QByteArray pngHeaderOnly(QSize size);
// An RGB TIFF with one page per size, page i filled with grey 40 * (i + 1),
// at dpi.
QByteArray tiffPagesBytes(const QList<QSize>& pages, int dpi = 72);
// A two-colour GIF (87a) of the given size: black with a white first pixel.
QByteArray gifBytes(QSize size);
// A 24-bit BMP with no resolution, filled with (r, g, b) = (10, 20, 30).
QByteArray bmpBytes(QSize size);
// An 8-bit BMP whose palette of two colours (white, colour) is followed by
// pixels of the second.
QByteArray indexedBmpBytes(QSize size, QColor colour);
// An uncompressed RGB SGI file filled with (r, g, b) = (1, 2, 3).
QByteArray sgiBytes(QSize size);
// A Windows metafile filling its window of units with colour; with its
// placeable header, whose units per inch give its size, or without (none).
QByteArray wmfBytes(QSize units, QColor colour = Qt::red, std::optional<int> unitsPerInch = 1440);
// An enhanced metafile of size pixels that draws nothing.
QByteArray emfBytes(QSize size);
// WebP, lossless or lossy, of a solid (200, 100, 50) with alpha 128 or opaque.
QByteArray webpBytes(QSize size, bool alpha, bool lossless);

} // namespace testsupport
