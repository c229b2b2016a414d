#include "platform/image/ImageDestination.h"

#include "platform/image/ImageEncoders_p.h"
#include "platform/image/ImageLibraries_p.h"
#include "platform/image/ImageMetadata_p.h"
#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/ImageSource.h"
#include "platform/image/PdfImageRep.h"

#include <QBuffer>
#include <QImageReader>
#include <QSaveFile>

#include <webp/decode.h>

#include <cmath>

namespace platform::image {

namespace {

constexpr int kDefaultQuality = 85;

// Types the metadata library writes into.
bool takesMetadata(const QString& type)
{
    return type == u"public.jpeg" || type == u"public.png" || type == u"public.tiff"
           || type == u"org.webmproject.webp" || type == u"com.adobe.photoshop-image"
           || type == u"public.jpeg-2000";
}

bool isPdfType(const QString& type)
{
    return type == u"com.adobe.pdf" || type == u"com.adobe.illustrator.ai-image";
}

// The frame's pixels as the properties ask: resolution and alpha.
Bitmap prepared(const Bitmap& frame, const QVariantMap& properties)
{
    Bitmap ready = frame;
    if (properties.contains(keys::kCGImagePropertyDPIWidth) || properties.contains(keys::kCGImagePropertyDPIHeight))
        ready = ready.withResolution(properties.value(keys::kCGImagePropertyDPIWidth, frame.dpiX()).toDouble(),
                                     properties.value(keys::kCGImagePropertyDPIHeight, frame.dpiY()).toDouble());
    if (properties.contains(keys::kCGImagePropertyHasAlpha)
        && !properties.value(keys::kCGImagePropertyHasAlpha).toBool())
        ready = ready.withoutAlpha();
    return ready;
}

// The orientation travels in the TIFF group, where the metadata library
// writes it.
QVariantMap withOrientation(QVariantMap properties)
{
    const int orientation = properties.value(keys::kCGImagePropertyOrientation).toInt();
    if (orientation < 1 || orientation > 8)
        return properties;
    QVariantMap tiff = properties.value(keys::kCGImagePropertyTIFFDictionary).toMap();
    tiff.insert(keys::kCGImagePropertyTIFFOrientation, orientation);
    properties.insert(keys::kCGImagePropertyTIFFDictionary, tiff);
    return properties;
}

bool readsBack(const QString& type, const QByteArray& data, int frames)
{
    if (isPdfType(type))
        return PdfImageRep::fromData(data) != nullptr;
    if (type == u"org.webmproject.webp")
        return WebPGetInfo(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()), nullptr,
                           nullptr);
    if (magickWrites(type))
        return magickReadsBack(type, data);
    const auto source = ImageSource::fromData(data);
    if (!source || source->count() < frames)
        return false;
    for (int i = 0; i < frames; ++i)
        if (source->image(i).isNull())
            return false;
    return true;
}

} // namespace

int qualityOf(const QVariantMap& properties)
{
    if (!properties.contains(keys::kCGImageDestinationLossyCompressionQuality))
        return kDefaultQuality;
    const double quality = properties.value(keys::kCGImageDestinationLossyCompressionQuality).toDouble();
    if (!std::isfinite(quality))
        return kDefaultQuality;
    return std::clamp(int(std::lround(quality * 100)), 1, 100);
}

int tiffCompressionOf(const QVariantMap& properties)
{
    const QVariantMap tiff = properties.value(keys::kCGImagePropertyTIFFDictionary).toMap();
    return tiff.value(keys::kCGImagePropertyTIFFCompression, 1).toInt();
}

ImageDestination::ImageDestination(const QString& path, const QString& type, int count)
    : m_path(path)
    , m_type(type)
    , m_count(count)
{
}

ImageDestination::ImageDestination(QByteArray* data, const QString& type, int count)
    : m_data(data)
    , m_type(type)
    , m_count(count)
{
}

bool ImageDestination::canWrite(const QString& type)
{
    return vipsWrites(type) || magickWrites(type) || type == u"com.apple.icns" || isPdfType(type);
}

QStringList ImageDestination::writableTypes()
{
    return {"public.jpeg", "public.png", "com.compuserve.gif", "public.tiff", "public.jpeg-2000",
            "org.webmproject.webp", "public.fax", "com.adobe.photoshop-image",
            "com.truevision.tga-image", "com.microsoft.bmp", "com.apple.pict", "com.microsoft.ico",
            "public.xbitmap-image", "com.ilm.openexr-image", "com.sgi.sgi-image", "com.apple.icns",
            "com.adobe.pdf", "com.adobe.illustrator.ai-image"};
}

void ImageDestination::addImage(const Bitmap& image, const QVariantMap& properties)
{
    m_images << image;
    m_properties << withOrientation(properties);
}

bool ImageDestination::finalize()
{
    if (m_finalized) {
        m_error = QStringLiteral("the destination was finalized before");
        return false;
    }
    m_finalized = true;
    if (!ensureImageLibraries() || !canWrite(m_type)) {
        m_error = QStringLiteral("no writer for the type %1").arg(m_type);
        return false;
    }
    if (m_images.isEmpty() || m_images.size() != m_count) {
        m_error = QStringLiteral("%1 images given, %2 declared").arg(m_images.size()).arg(m_count);
        return false;
    }
    EncodeJob job{m_type, {}, m_properties, &m_error};
    for (int i = 0; i < m_images.size(); ++i) {
        if (m_images[i].isNull()) {
            m_error = QStringLiteral("image %1 has no pixels").arg(i);
            return false;
        }
        job.frames << prepared(m_images[i], m_properties[i]);
    }
    QByteArray encoded;
    if (isPdfType(m_type))
        encoded = encodePdf(job);
    else if (m_type == u"com.apple.icns")
        encoded = encodeIcns(job);
    else if (m_type == u"public.tiff" && job.frames.size() > 1)
        encoded = encodeTiffPages(job);
    else if (magickWrites(m_type))
        encoded = encodeWithMagick(job);
    else
        encoded = encodeWithVips(job);
    if (encoded.isEmpty()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the image could not be encoded");
        return false;
    }
    if (takesMetadata(m_type) && !writeMetadataGroups(encoded, m_properties.first())) {
        m_error = QStringLiteral("the metadata could not be written");
        return false;
    }
    if (!readsBack(m_type, encoded, int(job.frames.size()))) {
        m_error = QStringLiteral("the encoded image does not read back");
        return false;
    }
    if (m_data) {
        *m_data = encoded;
        return true;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded) != encoded.size() || !file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

} // namespace platform::image
