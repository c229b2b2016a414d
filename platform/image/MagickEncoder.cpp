#include "platform/image/ImageEncoders_p.h"
#include "platform/image/ImageLibraries_p.h"

#include <Magick++.h>

namespace platform::image {

namespace {

struct MagickType {
    const char* uti;
    const char* coder;
    bool cmyk;    // keeps CMYK
    bool alpha;   // keeps alpha
    bool sixteen; // keeps 16-bit samples
};

// Type, depth, colour space and profile are always set explicitly: the
// coders' own guesses from the pixels are not what a user asked for.
const MagickType kMagickTypes[] = {
    {"com.adobe.photoshop-image", "PSD", true, true, true},
    {"com.truevision.tga-image", "TGA", false, true, false},
    {"com.microsoft.bmp", "BMP", false, true, false},
    {"com.apple.pict", "PICT", false, false, false},
    {"com.microsoft.ico", "ICO", false, true, false},
    {"public.xbitmap-image", "XBM", false, false, false},
    {"com.ilm.openexr-image", "EXR", false, true, true},
    {"com.sgi.sgi-image", "SGI", false, true, true},
};

const MagickType* magickTypeOf(const QString& type)
{
    for (const MagickType& entry : kMagickTypes)
        if (type == QLatin1StringView(entry.uti))
            return &entry;
    return nullptr;
}

Bitmap suited(const Bitmap& frame, const MagickType& type)
{
    const ColorModel model = frame.colorModel();
    const bool cmyk = model == ColorModel::CMYK || model == ColorModel::CMYKAlpha;
    const bool gray = model == ColorModel::Gray || model == ColorModel::GrayAlpha;
    Bitmap ready = frame.unpremultiplied();
    if (frame.hasAlpha() && !type.alpha)
        ready = ready.withoutAlpha();
    ColorModel target = ready.colorModel();
    if (cmyk && !type.cmyk)
        target = ready.hasAlpha() ? ColorModel::RGBA : ColorModel::RGB;
    else if (gray)
        target = ready.hasAlpha() ? ColorModel::GrayAlpha : ColorModel::Gray;
    const SampleFormat format =
        type.sixteen && ready.sampleFormat() != SampleFormat::UInt8 ? SampleFormat::UInt16 : SampleFormat::UInt8;
    return ready.convertedTo(target, format);
}

const char* mapOf(ColorModel model)
{
    switch (model) {
    case ColorModel::Gray: return "I";
    case ColorModel::GrayAlpha: return "IA";
    case ColorModel::RGB: return "RGB";
    case ColorModel::RGBA: return "RGBA";
    case ColorModel::CMYK: return "CMYK";
    case ColorModel::CMYKAlpha: return "CMYKA";
    }
    return "RGB";
}

Magick::ImageType magickImageType(ColorModel model)
{
    switch (model) {
    case ColorModel::Gray: return Magick::GrayscaleType;
    case ColorModel::GrayAlpha: return Magick::GrayscaleMatteType;
    case ColorModel::RGB: return Magick::TrueColorType;
    case ColorModel::RGBA: return Magick::TrueColorMatteType;
    case ColorModel::CMYK: return Magick::ColorSeparationType;
    case ColorModel::CMYKAlpha: return Magick::ColorSeparationMatteType;
    }
    return Magick::TrueColorType;
}

Magick::ColorspaceType magickColorspace(ColorModel model)
{
    switch (model) {
    case ColorModel::Gray:
    case ColorModel::GrayAlpha: return Magick::GRAYColorspace;
    case ColorModel::CMYK:
    case ColorModel::CMYKAlpha: return Magick::CMYKColorspace;
    default: return Magick::sRGBColorspace;
    }
}

Magick::Image magickImageOf(const Bitmap& frame, const MagickType& type)
{
    const QByteArray pixels = frame.pixels();
    const bool sixteen = frame.sampleFormat() == SampleFormat::UInt16;
    Magick::Image image(size_t(frame.width()), size_t(frame.height()), mapOf(frame.colorModel()),
                        sixteen ? Magick::ShortPixel : Magick::CharPixel, pixels.constData());
    image.magick(type.coder);
    image.colorSpace(magickColorspace(frame.colorModel()));
    image.type(magickImageType(frame.colorModel()));
    image.depth(sixteen ? 16 : 8);
    image.resolutionUnits(Magick::PixelsPerInchResolution);
    image.density(Magick::Geometry(size_t(frame.dpiX() + 0.5), size_t(frame.dpiY() + 0.5)));
    if (!frame.iccProfile().isEmpty())
        image.profile("ICC", Magick::Blob(frame.iccProfile().constData(), size_t(frame.iccProfile().size())));
    return image;
}

} // namespace

bool magickWrites(const QString& type)
{
    return magickTypeOf(type) != nullptr;
}

QByteArray encodeWithMagick(const EncodeJob& job)
{
    const MagickType* type = magickTypeOf(job.type);
    if (!type || job.frames.isEmpty() || !ensureImageLibraries())
        return {};
    try {
        std::vector<Magick::Image> images;
        for (const Bitmap& frame : job.frames) {
            const Bitmap ready = suited(frame, *type);
            if (ready.isNull()) {
                *job.error = QStringLiteral("the image cannot be brought to a model the type takes");
                return {};
            }
            images.push_back(magickImageOf(ready, *type));
        }
        Magick::Blob blob;
        if (images.size() == 1)
            images.front().write(&blob);
        else
            Magick::writeImages(images.begin(), images.end(), &blob, true);
        return QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length()));
    } catch (const std::exception& error) {
        *job.error = QString::fromUtf8(error.what());
        return {};
    }
}

bool magickReadsBack(const QString& type, const QByteArray& data)
{
    const MagickType* entry = magickTypeOf(type);
    if (!entry || data.isEmpty() || !ensureImageLibraries())
        return false;
    try {
        Magick::Image image;
        image.magick(entry->coder);
        image.read(Magick::Blob(data.constData(), size_t(data.size())));
        return image.columns() > 0 && image.rows() > 0;
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "written data does not read back:" << error.what();
        return false;
    }
}

} // namespace platform::image
