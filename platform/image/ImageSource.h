#pragma once
// An image source: a file or encoded data opened for its frames and their
// properties. Opening reads headers only; every frame's pixel count is
// checked against a limit before it is decoded, and decoding is strict (a
// truncated file fails). WebP and PDF are not image sources here: the engine
// opens WebP through its own decoder and PDF through PdfImageRep.
#include "platform/image/Bitmap.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace platform::image {

// Largest frame decoded by default: 2^28 pixels (16384 x 16384), beyond
// what cameras and scanners make, about 1 GiB as 8-bit RGBA.
inline constexpr qint64 kDefaultPixelLimit = qint64(1) << 28;

struct ImageSourceOptions {
    qint64 pixelLimit = kDefaultPixelLimit;
};

class ImageSource {
public:
    struct Impl;

    // Null when the file or data is no image type read here, or its first
    // frame is larger than the limit.
    static std::shared_ptr<ImageSource> open(const QString& path, const ImageSourceOptions& options = {});
    static std::shared_ptr<ImageSource> fromData(const QByteArray& data,
                                                 const ImageSourceOptions& options = {});
    ~ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    // The type identifier of the decoder that reads it ("public.jpeg").
    QString typeIdentifier() const;
    // Frames: pages of a TIFF, frames of a GIF, images of an icon file.
    int count() const;
    // Pixel size, DPI, depth, colour model, alpha, orientation, profile name
    // and the metadata groups (ImagePropertyKeys.h); empty out of range.
    QVariantMap properties(int index) const;
    // The frame's pixels; null when it is out of range, over the limit, or
    // does not decode completely.
    Bitmap image(int index) const;

    explicit ImageSource(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

} // namespace platform::image
