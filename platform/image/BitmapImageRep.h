#pragma once
// A bitmap representation: a frame of an image source, decoded when its
// pixels are first asked for, or pixels given directly.
#include "platform/image/ImageRep.h"
#include "platform/image/ImageSource.h"

#include <QByteArray>
#include <QVariantMap>

#include <memory>
#include <mutex>

namespace platform::image {

class BitmapImageRep : public ImageRep {
public:
    // Frame index of source, not decoded yet.
    BitmapImageRep(std::shared_ptr<ImageSource> source, int index);
    explicit BitmapImageRep(const Bitmap& bitmap);
    // The first frame of TIFF data (or any data an image source reads).
    static std::shared_ptr<BitmapImageRep> fromData(const QByteArray& data);

    bool isBitmap() const override { return true; }
    int pixelsWide() const override;
    int pixelsHigh() const override;
    bool hasAlpha() const override;
    Bitmap rasterize(double scale = 0) const override;

    // The decoded pixels; null when the frame does not decode.
    Bitmap bitmap() const;
    // The frame's properties (ImagePropertyKeys.h); for given pixels, their size.
    QVariantMap properties() const;
    // The source this frame belongs to; null for given pixels.
    std::shared_ptr<ImageSource> source() const { return m_source; }
    int frameIndex() const { return m_index; }

protected:
    QSizeF naturalSize() const override;

private:
    std::shared_ptr<ImageSource> m_source;
    int m_index = 0;
    QVariantMap m_properties;
    mutable std::once_flag m_decoded;
    mutable Bitmap m_bitmap;
};

} // namespace platform::image
