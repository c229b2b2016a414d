#pragma once
// A small image record: the first image of a file with its properties and
// orientation, scaled or resized, and saved in an ImageType: through an image
// destination, as a one-page PDF, or as an SGI file.
#include "platform/image/Bitmap.h"

#include <QUrl>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform::image {
class ImageSource;
}
class QPainter;

class ImageFile {
public:
    ImageFile();
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    void Release();

    // The first image of the file; true when one was made.
    bool Load(const QUrl& url);
    bool ScaleByPercent(std::int64_t percent);
    // To width by height pixels (each at least 1), 8-bit RGB without alpha;
    // false for more than 8 bits per sample, or a size over the pixel limit.
    bool Resize(std::uint64_t width, std::uint64_t height);

    // The size as shown: width and height exchanged for orientations 5 to 8.
    double DisplayWidth() const;
    double DisplayHeight() const;
    // The properties' resolution; 72 without one.
    double DPIWidth() const;
    double DPIHeight() const;

    void SetOutput(std::int32_t type, const QUrl& url, double quality);
    void SetQuality(double quality);
    void SetType(std::int32_t type);
    void SetOutputURL(const QUrl& url);
    void SetOrientation(std::int32_t orientation);

    QVariantMap CreateDestinationProperties() const;
    QString CreateOutputUTI() const;

    bool Save();
    // One page of the display size at the image's resolution, the image drawn
    // upright through its orientation; false without an image.
    bool SaveAsPDF();
    bool SaveAsSGI();
    // Draws the image upright into the page rectangle; false without one.
    bool DrawIntoContext(QPainter& context) const;

    platform::image::Bitmap Image() const { return m_image; }
    std::int32_t Orientation() const { return m_orientation; }

private:
    QSizeF PageSize() const;

    platform::image::Bitmap m_image;
    std::shared_ptr<platform::image::ImageSource> m_imageSource;
    std::optional<QVariantMap> m_properties;
    double m_quality = 0;
    std::int32_t m_outputType = 4;
    QUrl m_outputURL;
    std::int32_t m_orientation = 0;
};

// The width and height of a WebP file from its header; true only when they
// were read.
bool GetWebPSize(const QUrl& url, std::int32_t* width, std::int32_t* height);
