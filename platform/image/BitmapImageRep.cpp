#include "platform/image/BitmapImageRep.h"

#include "platform/image/ImagePropertyKeys.h"

#include <cmath>

namespace platform::image {

BitmapImageRep::BitmapImageRep(std::shared_ptr<ImageSource> source, int index)
    : m_source(std::move(source))
    , m_index(index)
    , m_properties(m_source ? m_source->properties(index) : QVariantMap())
{
}

BitmapImageRep::BitmapImageRep(const Bitmap& bitmap)
    : m_bitmap(bitmap)
{
    std::call_once(m_decoded, [] {});
    m_properties.insert(keys::kCGImagePropertyPixelWidth, bitmap.width());
    m_properties.insert(keys::kCGImagePropertyPixelHeight, bitmap.height());
    m_properties.insert(keys::kCGImagePropertyDPIWidth, bitmap.dpiX());
    m_properties.insert(keys::kCGImagePropertyDPIHeight, bitmap.dpiY());
    m_properties.insert(keys::kCGImagePropertyHasAlpha, bitmap.hasAlpha());
}

std::shared_ptr<BitmapImageRep> BitmapImageRep::fromData(const QByteArray& data)
{
    auto source = ImageSource::fromData(data);
    if (!source)
        return nullptr;
    return std::make_shared<BitmapImageRep>(std::move(source), 0);
}

int BitmapImageRep::pixelsWide() const
{
    return m_properties.value(keys::kCGImagePropertyPixelWidth).toInt();
}

int BitmapImageRep::pixelsHigh() const
{
    return m_properties.value(keys::kCGImagePropertyPixelHeight).toInt();
}

bool BitmapImageRep::hasAlpha() const
{
    return m_properties.value(keys::kCGImagePropertyHasAlpha).toBool();
}

QVariantMap BitmapImageRep::properties() const
{
    return m_properties;
}

Bitmap BitmapImageRep::bitmap() const
{
    std::call_once(m_decoded, [this] {
        if (m_source)
            m_bitmap = m_source->image(m_index);
    });
    return m_bitmap;
}

Bitmap BitmapImageRep::rasterize(double scale) const
{
    const Bitmap pixels = bitmap();
    if (pixels.isNull() || scale <= 0)
        return pixels;
    const QSizeF points = size();
    return pixels.resized(int(std::lround(points.width() * scale)),
                          int(std::lround(points.height() * scale)));
}

QSizeF BitmapImageRep::naturalSize() const
{
    const double dpiX = m_properties.value(keys::kCGImagePropertyDPIWidth, 72.0).toDouble();
    const double dpiY = m_properties.value(keys::kCGImagePropertyDPIHeight, 72.0).toDouble();
    return {pixelsWide() * 72.0 / dpiX, pixelsHigh() * 72.0 / dpiY};
}

} // namespace platform::image
