#pragma once
// The inside of a Bitmap: a libvips image held in memory, normalised to one
// of the colour models, with the facts libvips does not keep for us.
#include "platform/image/Bitmap.h"

#include <vips/vips8>

#include <optional>

namespace platform::image {

struct Bitmap::Impl {
    vips::VImage image; // in memory, normalised
    ColorModel model = ColorModel::RGB;
    bool premultiplied = false;
    double dpiX = 72;
    double dpiY = 72;
    QByteArray icc;
};

// Brings a decoded libvips image to one of the models and sample formats
// (8, 16 bits, float), in memory. nullopt when it cannot be (a complex or
// otherwise unsupported image); the libvips error is logged.
std::optional<Bitmap> bitmapFromVips(vips::VImage image, double dpiX, double dpiY,
                                     const QByteArray& icc, bool premultiplied = false);

} // namespace platform::image
