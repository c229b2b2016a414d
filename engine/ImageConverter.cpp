#include "engine/ImageConverter.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/ImageType.h"
#include "engine/codecs/WebPDecoder.h"
#include "platform/image/BitmapImageRep.h"
#include "platform/image/ImageSource.h"
#include "platform/image/PdfImageRep.h"
#include "platform/pdf/PdfDocument.h"

#include <QFile>
#include <QFileInfo>

using platform::image::BitmapImageRep;
using platform::image::Image;

namespace {

// A WebP is at most 16383 x 16383 pixels; even stored losslessly that stays
// under 1 GiB, so a larger file is no WebP we can decode.
constexpr qint64 kMaxWebPFileBytes = qint64(1) << 30;
// PDF data read whole for a PDF representation.
constexpr qint64 kMaxPDFFileBytes = qint64(1) << 30;

// The whole file, when it opens and is no larger than limit.
std::optional<QByteArray> readBounded(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

ImageConverter::ImageConverter() = default;

ImageConverter::~ImageConverter()
{
    Release();
}

void ImageConverter::Release()
{
    m_image.reset();
    m_pdfDocument.reset();
    m_outputData.reset();
    RemoveTemporaryFile();
    m_renderedImage = {};
}

void ImageConverter::RemoveTemporaryFile()
{
    // Only the file this converter made: never a user's file loaded since.
    if (!m_temporaryFile.isEmpty())
        QFile::remove(m_temporaryFile);
    m_temporaryFile.clear();
    m_sourceIsTemporary = false;
}

bool ImageConverter::LoadImage(const QUrl& url)
{
    const QString path = url.toLocalFile();
    m_image = Image::byReferencingFile(path);
    m_representations = m_image ? m_image->representations() : platform::image::ImageRepList();
    m_currentRep = m_representations.isEmpty() ? nullptr : m_representations.first();
    m_sourceURL = url;
    if (m_temporaryFile != path)
        RemoveTemporaryFile();
    if ((!m_image || !m_currentRep) && QFileInfo(path).suffix() == u"webp")
        LoadWebPThroughTIFF(path);
    return m_image && m_currentRep;
}

bool ImageConverter::LoadWebPThroughTIFF(const QString& path)
{
    const std::optional<QByteArray> data = readBounded(path, kMaxWebPFileBytes);
    if (!data || data->isEmpty())
        return false;
    const QUrl temporary = GetTemporaryFileURL();
    if (temporary.isEmpty())
        return false;
    const QString tiffPath = temporary.toLocalFile() + QStringLiteral(".tif");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data->constData());
    int width = 0, height = 0;
    if (GetWebPImageSize(bytes, size_t(data->size()), &width, &height) != 0 || width <= 0
        || height <= 0 || qint64(width) * height > platform::image::kDefaultPixelLimit)
        return false;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return false;
    if (DecodeWebPDataToTIFFFile(bytes, size_t(data->size()), &config,
                                 QFile::encodeName(tiffPath).constData())
        != 0)
        return false;
    m_temporaryFile = tiffPath;
    m_sourceIsTemporary = true;
    m_image = Image::byReferencingFile(tiffPath);
    const platform::image::ImageRepList reps = Image::representationsOfFile(tiffPath);
    m_currentRep = reps.isEmpty() ? nullptr : reps.first();
    m_sourceURL = QUrl::fromLocalFile(tiffPath);
    return m_image && m_currentRep;
}

bool ImageConverter::OpenPDFDocument(const QUrl& url)
{
    m_pdfDocument = platform::pdf::PdfDocument::open(url);
    m_sourceURL = url;
    return m_pdfDocument != nullptr;
}

bool ImageConverter::LoadPDFImageRep(const QUrl& url)
{
    const std::optional<QByteArray> data = readBounded(url.toLocalFile(), kMaxPDFFileBytes);
    if (!data)
        return false;
    m_pdfImageRep = platform::image::PdfImageRep::fromData(*data);
    m_sourceURL = url;
    return m_pdfImageRep != nullptr;
}

bool ImageConverter::IsPDFEncrypted() const
{
    return m_pdfDocument && m_pdfDocument->isEncrypted();
}

bool ImageConverter::UnlockPDF()
{
    if (!m_pdfDocument || m_password.isNull())
        return false;
    return m_pdfDocument->unlock(m_password);
}

bool ImageConverter::NeedsPassword()
{
    if (!m_pdfDocument || !m_pdfDocument->isEncrypted())
        return false;
    return m_password.isNull() || !m_pdfDocument->unlock(m_password);
}

void ImageConverter::SetOutput(double quality, std::int32_t type, const QUrl& destination)
{
    m_quality = quality;
    m_outputType = type;
    m_destinationURL = destination;
}

void ImageConverter::SetQuality(double quality)
{
    m_quality = quality;
}

void ImageConverter::SetType(std::int32_t type)
{
    m_outputType = type;
}

void ImageConverter::SetOutputURL(const QUrl& url)
{
    m_destinationURL = url;
}

void ImageConverter::SetOrientation(std::int32_t orientation)
{
    m_exifOrientation = orientation;
}

void ImageConverter::SetColorMode(std::int32_t mode)
{
    m_colorMode = mode;
}

void ImageConverter::SetResolution(std::int64_t vertical, std::int64_t horizontal)
{
    m_horizontalResolution = double(horizontal);
    m_verticalResolution = double(vertical);
}

void ImageConverter::SetRotation(std::int64_t angle)
{
    switch (angle) {
    case 0:
    case 360: m_exifOrientation = 1; break;
    case 90:
    case -270: m_exifOrientation = 6; break;
    case 180:
    case -180: m_exifOrientation = 3; break;
    case 270:
    case -90: m_exifOrientation = 8; break;
    default: break;
    }
}

void ImageConverter::SetPassword(const QString& password)
{
    m_password = password;
}

void ImageConverter::SetPageRange(std::int64_t first, std::int64_t last, std::int32_t mode)
{
    m_firstPage = first;
    m_lastPage = last;
    m_pageRangeMode = mode;
}

void ImageConverter::SetOutputNaming(const QString& baseName, bool pageNumbering, bool overwrite)
{
    m_outputBaseName = baseName;
    m_pageNumbering = pageNumbering;
    m_overwriteOutputs = overwrite;
}

void ImageConverter::SetProgressTarget(QObject* object, const char* selector)
{
    m_progressObject = object;
    m_progressSelector = selector;
}

void ImageConverter::SetMultithreaded(bool multithreaded)
{
    m_multithreaded = multithreaded;
}

void ImageConverter::SetKeepSourceResolution(bool keep)
{
    m_keepSourceResolution = keep;
}

void ImageConverter::SetWatermark(const WatermarkSettings& settings, bool text)
{
    if (text) {
        m_textWatermark = settings.text;
        m_textWatermarkOn = true;
        return;
    }
    const ImageWatermarkSettings& image = settings.image;
    m_imageWatermarkBox[0] = image.x1;
    m_imageWatermarkBox[1] = image.y1;
    m_imageWatermarkBox[2] = image.x2;
    m_imageWatermarkBox[3] = image.y2;
    m_watermarkImage = image.image;
    m_watermarkAlpha = image.alpha;
    m_watermarkScale = image.scale;
    m_textWatermark.previewWidth = settings.text.previewWidth;
    m_textWatermark.previewHeight = settings.text.previewHeight;
    m_imageWatermarkOn = true;
}

double ImageConverter::PixelsWide() const
{
    return m_currentRep ? m_currentRep->pixelsWide() : 0;
}

double ImageConverter::PixelsHigh() const
{
    return m_currentRep ? m_currentRep->pixelsHigh() : 0;
}

double ImageConverter::SourceWidth() const
{
    return m_currentRep ? m_currentRep->size().width() : 0;
}

double ImageConverter::SourceHeight() const
{
    return m_currentRep ? m_currentRep->size().height() : 0;
}

QSizeF ImageConverter::SourceSize() const
{
    return m_currentRep ? m_currentRep->size() : QSizeF(0, 0);
}

bool ImageConverter::SourceHasAlpha() const
{
    return m_currentRep && m_currentRep->hasAlpha();
}

namespace {

// Pixels per point, as dots per inch; 72 where the size says nothing.
double resolutionOf(double pixels, double points)
{
    const double dpi = pixels / points * 72;
    return points > 0 && std::isfinite(dpi) && dpi > 0 ? dpi : 72;
}

} // namespace

double ImageConverter::SourceResolutionX() const
{
    return m_currentRep ? resolutionOf(PixelsWide(), SourceWidth()) : 72;
}

double ImageConverter::SourceResolutionY() const
{
    return m_currentRep ? resolutionOf(PixelsHigh(), SourceHeight()) : 72;
}

std::shared_ptr<BitmapImageRep> ImageConverter::SourceBitmapRep() const
{
    return BitmapRepOfImage(m_image);
}

std::shared_ptr<BitmapImageRep> BitmapRepOfImage(const std::shared_ptr<Image>& image)
{
    if (!image)
        return nullptr;
    if (auto first = image->firstBitmapRep())
        return first;
    return BitmapImageRep::fromData(image->tiffRepresentation());
}

std::int32_t ImageConverter::SourceImageType() const
{
    return ImageTypeOfURL(m_sourceURL);
}

std::int32_t ImageConverter::DetectImageType() const
{
    const auto source = platform::image::ImageSource::open(m_sourceURL.toLocalFile());
    return source ? ImageTypeFromUTI(source->typeIdentifier(), false) : 0;
}

QString ImageConverter::OutputExtension() const
{
    return ImageExtensionForType(m_outputType);
}

QString ImageConverter::CreateOutputUTI() const
{
    return QString::fromLatin1(PropertiesOfImageType(m_outputType).outputUTI);
}

bool ImageConverter::SupportsMetadata() const
{
    return PropertiesOfImageType(m_outputType).metadata;
}

bool ImageConverter::SupportsBitmapRepEncoding() const
{
    return PropertiesOfImageType(m_outputType).bitmapRep;
}

bool ImageConverter::SupportsAlpha() const
{
    return PropertiesOfImageType(m_outputType).alpha;
}

int ImageConverter::BitmapFileType() const
{
    return PropertiesOfImageType(m_outputType).bitmapFileType;
}
