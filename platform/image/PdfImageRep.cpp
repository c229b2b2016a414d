#include "platform/image/PdfImageRep.h"

#include "platform/pdf/PdfDocument.h"

#include <cmath>

namespace platform::image {

namespace {

// Pixels made for one page at most, as for any decoded image.
constexpr double kMaxPagePixels = double(qint64(1) << 28);

} // namespace

PdfImageRep::PdfImageRep(std::shared_ptr<platform::pdf::PdfDocument> document)
    : m_document(std::move(document))
{
}

std::shared_ptr<PdfImageRep> PdfImageRep::fromData(const QByteArray& data)
{
    auto document = platform::pdf::PdfDocument::fromData(data);
    if (!document || document->isLocked() || document->pageCount() < 1)
        return nullptr;
    return std::make_shared<PdfImageRep>(std::move(document));
}

int PdfImageRep::pageCount() const
{
    return m_document->pageCount();
}

void PdfImageRep::setCurrentPage(int page)
{
    m_page = std::clamp(page, 0, pageCount() - 1);
}

QRectF PdfImageRep::bounds() const
{
    const platform::pdf::PdfPage page = m_document->page(m_page);
    if (page.isNull())
        return {};
    const QSizeF box = page.cropBox().size();
    return page.rotation() % 180 ? QRectF(0, 0, box.height(), box.width()) : QRectF(QPointF(), box);
}

int PdfImageRep::pixelsWide() const
{
    return int(std::lround(bounds().width()));
}

int PdfImageRep::pixelsHigh() const
{
    return int(std::lround(bounds().height()));
}

QSizeF PdfImageRep::naturalSize() const
{
    return bounds().size();
}

Bitmap PdfImageRep::rasterize(double scale) const
{
    const platform::pdf::PdfPage page = m_document->page(m_page);
    if (page.isNull())
        return {};
    if (scale <= 0)
        scale = 1;
    const QSizeF points = size();
    // The page is drawn to fill the representation's size.
    const QSizeF natural = naturalSize();
    if (natural.isEmpty())
        return {};
    const double factor = scale * points.width() / natural.width();
    if (natural.width() * factor * natural.height() * factor > kMaxPagePixels)
        return {};
    const QImage image = page.render(page.cropBox(), factor);
    if (image.isNull())
        return {};
    return Bitmap::fromQImage(image).withResolution(72 * scale, 72 * scale);
}

} // namespace platform::image
