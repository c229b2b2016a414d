#include "platform/image/ImageRep.h"

namespace platform::image {

ImageRep::~ImageRep() = default;

QSizeF ImageRep::size() const
{
    return m_size.isEmpty() ? naturalSize() : m_size;
}

void ImageRep::setSize(const QSizeF& size)
{
    m_size = size;
}

} // namespace platform::image
