#include "platform/text/BoundedImage.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace platform::text {

QSizeF boundedPictureSize(QSizeF size)
{
    if (!(std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0))
        return {};
    const double largest = std::max(size.width(), size.height());
    if (largest > kMaxPictureSide)
        size *= kMaxPictureSide / largest;
    return size;
}

QImage ImageBudget::decode(QIODevice& device)
{
    const qint64 allowed = std::min(kMaxImageBytes, m_limit - m_used);
    const auto withinBounds = [&](QSize size) {
        return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImageSide
               && size.height() <= kMaxImageSide && qint64(size.width()) * size.height() * 4 <= allowed;
    };
    QImageReader reader(&device);
    const QSize declared = reader.size();
    if (declared.isValid() && !withinBounds(declared))
        return {};
    QImage image;
    if (!reader.read(&image) || !withinBounds(image.size()))
        return {};
    m_used += qint64(image.width()) * image.height() * 4;
    return image;
}

QImage ImageBudget::decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer);
}

} // namespace platform::text
