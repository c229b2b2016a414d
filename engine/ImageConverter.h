#pragma once
// The engine's central image object: one source (an image file with its
// representations, or a PDF document) and every setting of one conversion.
// Job functions build one on their stack, fill it, run it and destroy it.
// The fields are public: the job functions and workers that own a converter
// set those that have no operation of their own.
#include "engine/ImageSettings.h"
#include "engine/WatermarkSettings.h"
#include "platform/image/Image.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform::image {
class BitmapImageRep;
class PdfImageRep;
} // namespace platform::image
namespace platform::pdf {
class PdfDocument;
}

class ImageConverter;
class QObject;

// Receives each encoded image instead of a file; the data is valid during
// the call only.
using ImageDataSink = void (*)(const QByteArray& data, void* context);
// Called before each further representation; may change options and settings.
using PrepareRepresentationCallback = void (*)(ImageConverter* converter, ResizeOptions* options,
                                               void* context);

class ImageConverter {
public:
    ImageConverter();
    ~ImageConverter();
    ImageConverter(const ImageConverter&) = delete;
    ImageConverter& operator=(const ImageConverter&) = delete;
    // The destructor's body: releases what the converter owns and deletes
    // the temporary file it made.
    void Release();

    // Loading.
    bool LoadImage(const QUrl& url);
    bool OpenPDFDocument(const QUrl& url);
    bool LoadPDFImageRep(const QUrl& url);
    bool IsPDFEncrypted() const;
    bool UnlockPDF();
    bool NeedsPassword();

    // Settings: each stores its arguments.
    void SetOutput(double quality, std::int32_t type, const QUrl& destination);
    void SetQuality(double quality);
    void SetType(std::int32_t type);
    void SetOutputURL(const QUrl& url);
    void SetOrientation(std::int32_t orientation);
    void SetColorMode(std::int32_t mode);
    // Vertical first.
    void SetResolution(std::int64_t vertical, std::int64_t horizontal);
    // 0/360 -> 1, 90/-270 -> 6, 180/-180 -> 3, 270/-90 -> 8; others leave it.
    void SetRotation(std::int64_t angle);
    void SetPassword(const QString& password);
    void SetPageRange(std::int64_t first, std::int64_t last, std::int32_t mode);
    void SetOutputNaming(const QString& baseName, bool pageNumbering, bool overwrite);
    void SetProgressTarget(QObject* object, const char* selector);
    void SetMultithreaded(bool multithreaded);
    void SetKeepSourceResolution(bool keep);
    // text: the text part, else the image part (with the preview size).
    void SetWatermark(const WatermarkSettings& settings, bool text);

    // The current representation (0, false or 72 dpi without one).
    double PixelsWide() const;
    double PixelsHigh() const;
    double SourceWidth() const;
    double SourceHeight() const;
    QSizeF SourceSize() const;
    bool SourceHasAlpha() const;
    double SourceResolutionX() const;
    double SourceResolutionY() const;
    std::shared_ptr<platform::image::BitmapImageRep> SourceBitmapRep() const;

    // Type tables of the output type.
    std::int32_t SourceImageType() const;
    std::int32_t DetectImageType() const;
    QString OutputExtension() const;
    QString CreateOutputUTI() const;
    bool SupportsMetadata() const;
    bool SupportsBitmapRepEncoding() const;
    bool SupportsAlpha() const;
    int BitmapFileType() const;

    double m_quality = 0;
    std::int32_t m_outputType = 0;
    std::int32_t m_exifOrientation = 0;
    std::int32_t m_colorMode = 0;
    double m_horizontalResolution = 0;
    double m_verticalResolution = 0;
    double m_forcedResolution = 0;
    double m_targetPageWidth = 0;
    double m_targetPageHeight = 0;
    std::int64_t m_firstPage = 0;
    std::int64_t m_lastPage = 0;
    std::int32_t m_pageRangeMode = 0;
    std::shared_ptr<platform::image::Image> m_image;
    QUrl m_sourceURL;
    QUrl m_destinationURL;
    std::shared_ptr<platform::image::ImageRep> m_currentRep;
    platform::image::ImageRepList m_representations;
    std::shared_ptr<platform::image::PdfImageRep> m_pdfImageRep;
    QString m_password;
    QString m_outputBaseName;
    bool m_pageNumbering = false;
    bool m_overwriteOutputs = false;
    bool m_keepSourceResolution = false;
    QObject* m_progressObject = nullptr;
    const char* m_progressSelector = nullptr;
    bool m_textWatermarkOn = false;
    bool m_keepMetadata = false;
    bool m_keepOutputInMemory = false;
    bool m_imageWatermarkOn = false;
    bool m_sourceIsTemporary = false;
    bool m_keepRenderedImage = false;
    bool m_multithreaded = false;
    std::atomic<bool> m_succeeded{true}; // shared by concurrent page renderings
    std::int64_t m_rotation = 0;
    std::int32_t m_flip = 0; // bit 0 mirrors left to right, bit 1 top to bottom
    TextWatermarkSettings m_textWatermark;
    double m_imageWatermarkBox[4] = {0, 0, 0, 0}; // left, bottom, right, top
    std::shared_ptr<platform::image::Image> m_watermarkImage;
    double m_watermarkAlpha = 0;
    double m_watermarkScale = 0;
    std::optional<QByteArray> m_outputData;
    QVariantMap m_fileAttributes;
    platform::image::Bitmap m_renderedImage;
    ImageDataSink m_dataSink = nullptr;
    PrepareRepresentationCallback m_prepareCallback = nullptr;
    void* m_dataSinkContext = nullptr;
    void* m_prepareContext = nullptr;
    std::shared_ptr<platform::pdf::PdfDocument> m_pdfDocument;

private:
    bool LoadWebPThroughTIFF(const QString& path);
    void RemoveTemporaryFile();

    QString m_temporaryFile; // the decoded WebP this converter made
};

// The first bitmap representation of image, in order; without one, a bitmap
// made from the image's TIFF representation. Null without an image.
std::shared_ptr<platform::image::BitmapImageRep>
BitmapRepOfImage(const std::shared_ptr<platform::image::Image>& image);
