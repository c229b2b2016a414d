#include "platform/image/Image.h"

#include "platform/image/BitmapImageRep.h"
#include "platform/image/ImageDestination.h"
#include "platform/image/PdfImageRep.h"

#include <QFile>

namespace platform::image {

namespace {

// A PDF file is read whole into memory; larger ones are refused.
constexpr qint64 kMaxPdfBytes = qint64(1) << 30;

ImageRepList framesOf(const std::shared_ptr<ImageSource>& source)
{
    ImageRepList reps;
    if (!source)
        return reps;
    for (int i = 0; i < source->count(); ++i)
        reps << std::make_shared<BitmapImageRep>(source, i);
    return reps;
}

} // namespace

ImageRepList Image::representationsOfFile(const QString& path, const ImageSourceOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.peek(5) == "%PDF-") {
        if (file.size() > kMaxPdfBytes)
            return {};
        auto pdf = PdfImageRep::fromData(file.readAll());
        return pdf ? ImageRepList{pdf} : ImageRepList{};
    }
    return framesOf(ImageSource::open(path, options));
}

ImageRepList Image::representationsOfData(const QByteArray& data, const ImageSourceOptions& options)
{
    if (data.startsWith("%PDF-")) {
        auto pdf = PdfImageRep::fromData(data);
        return pdf ? ImageRepList{pdf} : ImageRepList{};
    }
    return framesOf(ImageSource::fromData(data, options));
}

std::shared_ptr<Image> Image::byReferencingFile(const QString& path, const ImageSourceOptions& options)
{
    ImageRepList reps = representationsOfFile(path, options);
    if (reps.isEmpty())
        return nullptr;
    auto image = std::make_shared<Image>();
    image->m_reps = std::move(reps);
    return image;
}

std::shared_ptr<Image> Image::fromData(const QByteArray& data, const ImageSourceOptions& options)
{
    ImageRepList reps = representationsOfData(data, options);
    if (reps.isEmpty())
        return nullptr;
    auto image = std::make_shared<Image>();
    image->m_reps = std::move(reps);
    return image;
}

void Image::addRepresentation(const std::shared_ptr<ImageRep>& rep)
{
    if (rep)
        m_reps << rep;
}

void Image::removeRepresentation(const std::shared_ptr<ImageRep>& rep)
{
    m_reps.removeAll(rep);
}

QSizeF Image::size() const
{
    if (!m_size.isEmpty() || m_reps.isEmpty())
        return m_size;
    return m_reps.first()->size();
}

void Image::setSize(const QSizeF& size)
{
    m_size = size;
}

std::shared_ptr<BitmapImageRep> Image::firstBitmapRep() const
{
    for (const auto& rep : m_reps)
        if (rep->isBitmap())
            return std::static_pointer_cast<BitmapImageRep>(rep);
    return nullptr;
}

QByteArray Image::tiffRepresentation() const
{
    if (m_reps.isEmpty())
        return {};
    QByteArray data;
    ImageDestination destination(&data, QStringLiteral("public.tiff"), int(m_reps.size()));
    for (const auto& rep : m_reps) {
        const Bitmap pixels = rep->rasterize(rep->isBitmap() ? 0 : 1);
        if (pixels.isNull())
            return {};
        destination.addImage(pixels);
    }
    return destination.finalize() ? data : QByteArray();
}

} // namespace platform::image
