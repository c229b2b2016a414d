#pragma once
// Windows metafiles, the drawings of office documents: told by their first
// bytes and rendered to pixels by ImageMagick's coder (over libwmf), which
// libvips does not route them to.
#include "platform/image/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace platform::image {

// Whether head starts a Windows metafile, with or without its placeable
// header.
bool isWindowsMetafile(QByteArrayView head);

// The metafile with a placeable header that gives its window a size when
// it has none; as it is when it has one or sets no window.
QByteArray placeableMetafile(const QByteArray& data);

// The pixels a metafile is rendered to, and at what resolution.
struct MetafileRaster {
    int width = 0;
    int height = 0;
    double dpi = 0;
};

// The raster a metafile is drawn at: kMetafileDpi, or less for a drawing so
// large that it would pass kMaxMetafileSide or pixelLimit. None when the
// metafile does not read.
std::optional<MetafileRaster> metafileRaster(const QByteArray& data, qint64 pixelLimit);

// The drawing as RGBA at raster (transparent where nothing is drawn); null
// when it does not render at that size.
Bitmap renderMetafile(const QByteArray& data, const MetafileRaster& raster);

} // namespace platform::image
