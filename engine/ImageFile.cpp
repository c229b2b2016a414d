#include "engine/ImageFile.h"

#include "engine/ImageType.h"
#include "engine/PixelBuffer.h"
#include "engine/codecs/WebPDecoder.h"
#include "platform/image/ImageDestination.h"
#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/ImageSource.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace k = platform::image::keys;
using platform::image::Bitmap;

namespace {

// A WebP header is read from the first bytes; the whole file is not needed.
constexpr qint64 kWebPHeaderBytes = 64 * 1024;

// The upright picture of pixels stored in EXIF orientation.
QImage upright(const QImage& stored, int orientation)
{
    QTransform turn;
    bool mirror = false;
    switch (orientation) {
    case 2: mirror = true; break;
    case 3: turn.rotate(180); break;
    case 4: turn.rotate(180), mirror = true; break;
    case 5: turn.rotate(90), mirror = true; break;
    case 6: turn.rotate(90); break;
    case 7: turn.rotate(270), mirror = true; break;
    case 8: turn.rotate(270); break;
    default: break;
    }
    const QImage turned = turn.isIdentity() ? stored : stored.transformed(turn);
    return mirror ? turned.mirrored(true, false) : turned;
}

} // namespace

ImageFile::ImageFile() = default;

ImageFile::~ImageFile()
{
    Release();
}

void ImageFile::Release()
{
    m_imageSource.reset();
    m_image = {};
    m_properties.reset();
}

bool ImageFile::Load(const QUrl& url)
{
    Release();
    m_orientation = 0;
    m_imageSource = platform::image::ImageSource::open(url.toLocalFile());
    if (m_imageSource) {
        m_image = m_imageSource->image(0);
        m_properties = m_imageSource->properties(0);
        if (m_properties->contains(k::kCGImagePropertyOrientation))
            m_orientation = m_properties->value(k::kCGImagePropertyOrientation).toInt();
    }
    return !m_image.isNull();
}

bool ImageFile::ScaleByPercent(std::int64_t percent)
{
    const double width = m_image.width() * double(percent) / 100;
    const double height = m_image.height() * double(percent) / 100;
    // Half away from zero; anything below one pixel is one pixel.
    const auto side = [](double value) { return std::uint64_t(std::max(1.0, std::round(value))); };
    return Resize(side(width), side(height));
}

bool ImageFile::Resize(std::uint64_t width, std::uint64_t height)
{
    if (m_image.isNull() || m_image.bitsPerSample() > 8)
        return false;
    width = std::max<std::uint64_t>(width, 1);
    height = std::max<std::uint64_t>(height, 1);
    if (width > std::uint64_t(platform::image::kDefaultPixelLimit)
        || height > std::uint64_t(platform::image::kDefaultPixelLimit) / width)
        return false;
    const Bitmap resized =
        m_image.withoutAlpha().convertedTo(platform::image::ColorModel::RGB).resized(int(width), int(height));
    if (resized.isNull())
        return false;
    m_image = resized;
    return true;
}

double ImageFile::DisplayWidth() const
{
    if (m_image.isNull())
        return 0;
    return m_orientation >= 5 && m_orientation <= 8 ? m_image.height() : m_image.width();
}

double ImageFile::DisplayHeight() const
{
    if (m_image.isNull())
        return 0;
    return m_orientation >= 5 && m_orientation <= 8 ? m_image.width() : m_image.height();
}

double ImageFile::DPIWidth() const
{
    return m_properties ? m_properties->value(k::kCGImagePropertyDPIWidth, 72.0).toDouble() : 72;
}

double ImageFile::DPIHeight() const
{
    return m_properties ? m_properties->value(k::kCGImagePropertyDPIHeight, 72.0).toDouble() : 72;
}

void ImageFile::SetOutput(std::int32_t type, const QUrl& url, double quality)
{
    m_outputType = type;
    m_outputURL = url;
    m_quality = quality;
}

void ImageFile::SetQuality(double quality)
{
    m_quality = quality;
}

void ImageFile::SetType(std::int32_t type)
{
    m_outputType = type;
}

void ImageFile::SetOutputURL(const QUrl& url)
{
    m_outputURL = url;
}

void ImageFile::SetOrientation(std::int32_t orientation)
{
    m_orientation = orientation;
}

QVariantMap ImageFile::CreateDestinationProperties() const
{
    QVariantMap properties;
    if (m_orientation != 0)
        properties.insert(k::kCGImagePropertyOrientation, m_orientation);
    if (m_outputType == ImageTypeGIF || m_outputType == ImageTypeJPEG2000 || m_outputType == ImageTypePNG)
        properties.insert(k::kCGImagePropertyHasAlpha, true);
    if (m_outputType == ImageTypeTIFF || m_outputType == ImageTypeCMYKTIFF
        || m_outputType == ImageTypeMultiPageTIFF)
        properties.insert(k::kCGImagePropertyTIFFDictionary,
                          QVariantMap{{k::kCGImagePropertyTIFFCompression, 5}});
    if (m_outputType == ImageTypeJPEG2000 || m_outputType == ImageTypeJPEG)
        properties.insert(k::kCGImageDestinationLossyCompressionQuality, m_quality);
    return properties;
}

QString ImageFile::CreateOutputUTI() const
{
    return QString::fromLatin1(PropertiesOfImageType(m_outputType).outputUTI);
}

bool ImageFile::Save()
{
    if (m_outputType == ImageTypeSGI)
        return SaveAsSGI();
    if (m_outputType == ImageTypePDF)
        return SaveAsPDF();
    if (m_image.isNull())
        return false;
    platform::image::ImageDestination destination(m_outputURL.toLocalFile(), CreateOutputUTI(), 1);
    destination.addImage(m_image, CreateDestinationProperties());
    return destination.finalize();
}

QSizeF ImageFile::PageSize() const
{
    return {DisplayWidth() / DPIWidth() * 72, DisplayHeight() / DPIHeight() * 72};
}

bool ImageFile::SaveAsPDF()
{
    if (m_image.isNull())
        return false;
    const QSizeF page = PageSize();
    QSaveFile file(m_outputURL.toLocalFile());
    if (page.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(72); // painter units are points
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(page, QPageSize::Point));
        writer.setTitle(QStringLiteral("PDF File"));
        writer.setCreator(QStringLiteral("Morphane"));
        QPainter painter;
        if (!painter.begin(&writer) || !DrawIntoContext(painter))
            return false;
        painter.end();
    }
    return file.commit();
}

bool ImageFile::DrawIntoContext(QPainter& context) const
{
    if (m_image.isNull())
        return false;
    const QImage picture = upright(m_image.toQImage(), m_orientation);
    if (picture.isNull())
        return false;
    context.drawImage(QRectF(QPointF(), PageSize()), picture);
    return true;
}

bool ImageFile::SaveAsSGI()
{
    if (m_image.isNull())
        return false;
    PixelBuffer buffer(m_image);
    return buffer.WriteSGI(m_outputURL);
}

bool GetWebPSize(const QUrl& url, std::int32_t* width, std::int32_t* height)
{
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kWebPHeaderBytes);
    if (head.isEmpty())
        return false;
    int w = 0, h = 0;
    if (GetWebPImageSize(reinterpret_cast<const std::uint8_t*>(head.constData()), size_t(head.size()), &w, &h) != 0)
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}
