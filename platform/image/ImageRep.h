#pragma once
// One representation of an image: a bitmap frame or a PDF page. Sizes are
// kept in two units: pixels and points (72 per inch); any representation can
// be rasterised into a bitmap.
#include "platform/image/Bitmap.h"

#include <QSizeF>

namespace platform::image {

class ImageRep {
public:
    virtual ~ImageRep();

    virtual bool isBitmap() const = 0;
    virtual int pixelsWide() const = 0;
    virtual int pixelsHigh() const = 0;
    virtual bool hasAlpha() const = 0;
    // The size in points; setSize changes it without touching the pixels
    // (a bitmap then prints at another resolution).
    QSizeF size() const;
    void setSize(const QSizeF& size);
    // The pixels at scale pixels per point (a bitmap: its own pixels, scaled
    // unless scale is 0). Null when they cannot be made.
    virtual Bitmap rasterize(double scale = 0) const = 0;

protected:
    virtual QSizeF naturalSize() const = 0;

private:
    QSizeF m_size; // set by setSize; empty: the natural size
};

} // namespace platform::image
