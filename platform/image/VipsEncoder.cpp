#include "platform/image/Bitmap_p.h"
#include "platform/image/ImageEncoders_p.h"
#include "platform/image/ImageLibraries_p.h"
#include "platform/image/ImagePropertyKeys.h"

#include <cmath>

using vips::VImage;

namespace platform::image {

namespace {

struct VipsType {
    const char* uti;
    const char* suffix; // picks libvips's saver
};

const VipsType kVipsTypes[] = {
    {"public.jpeg", ".jpg"}, {"public.png", ".png"},       {"com.compuserve.gif", ".gif"},
    {"public.tiff", ".tif"}, {"public.jpeg-2000", ".jp2"}, {"org.webmproject.webp", ".webp"},
    {"public.fax", ".tif"},
};

// The models each type keeps; anything else is converted to the first.
bool keepsCMYK(const QString& type)
{
    return type == u"public.jpeg" || type == u"public.tiff";
}

bool keepsAlpha(const QString& type)
{
    return type != u"public.jpeg" && type != u"public.fax";
}

bool keeps16Bits(const QString& type)
{
    return type == u"public.png" || type == u"public.tiff" || type == u"public.jpeg-2000";
}

// The frame in a model and depth the saver takes.
Bitmap suited(const Bitmap& frame, const QString& type)
{
    ColorModel model = frame.colorModel();
    const bool gray = model == ColorModel::Gray || model == ColorModel::GrayAlpha;
    const bool cmyk = model == ColorModel::CMYK || model == ColorModel::CMYKAlpha;
    if (type == u"public.fax")
        return frame.convertedTo(ColorModel::Gray);
    if (cmyk && !keepsCMYK(type))
        model = frame.hasAlpha() && keepsAlpha(type) ? ColorModel::RGBA : ColorModel::RGB;
    if (gray && (type == u"com.compuserve.gif" || type == u"org.webmproject.webp"))
        model = frame.hasAlpha() ? ColorModel::RGBA : ColorModel::RGB;
    if (frame.hasAlpha() && !keepsAlpha(type))
        return frame.withoutAlpha().convertedTo(
            cmyk && keepsCMYK(type) ? ColorModel::CMYK : gray ? ColorModel::Gray : ColorModel::RGB);
    const SampleFormat format = frame.sampleFormat() != SampleFormat::UInt8 && keeps16Bits(type)
                                    ? SampleFormat::UInt16
                                    : SampleFormat::UInt8;
    return frame.unpremultiplied().convertedTo(model, format);
}

VImage vipsImageOf(const Bitmap& bitmap)
{
    VImage image = bitmap.impl().image.copy(VImage::option()
                                                ->set("xres", bitmap.dpiX() / kMillimetresPerInch)
                                                ->set("yres", bitmap.dpiY() / kMillimetresPerInch));
    if (!bitmap.iccProfile().isEmpty())
        vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, bitmap.iccProfile().constData(),
                                 static_cast<size_t>(bitmap.iccProfile().size()));
    return image;
}

VipsForeignTiffCompression vipsCompression(int code)
{
    switch (code) {
    case 5: return VIPS_FOREIGN_TIFF_COMPRESSION_LZW;
    case 7: return VIPS_FOREIGN_TIFF_COMPRESSION_JPEG;
    case 8:
    case 32946: return VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE;
    case 32773: return VIPS_FOREIGN_TIFF_COMPRESSION_PACKBITS;
    default: return VIPS_FOREIGN_TIFF_COMPRESSION_NONE;
    }
}

vips::VOption* saveOptions(const QString& type, const VImage& image, const QVariantMap& properties)
{
    auto options = VImage::option();
    if (type == u"public.jpeg" || type == u"public.jpeg-2000" || type == u"org.webmproject.webp")
        options->set("Q", qualityOf(properties));
    if (type == u"public.png" || (type == u"public.jpeg-2000"))
        options->set("bitdepth", image.format() == VIPS_FORMAT_USHORT ? 16 : 8);
    if (type == u"public.tiff")
        options->set("compression", vipsCompression(tiffCompressionOf(properties)))
            ->set("resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH);
    if (type == u"public.fax")
        options->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_CCITTFAX4)
            ->set("bitdepth", 1)
            ->set("resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH);
    return options;
}

} // namespace

bool vipsWrites(const QString& type)
{
    for (const VipsType& entry : kVipsTypes)
        if (type == QLatin1StringView(entry.uti))
            return true;
    return false;
}

QByteArray encodeWithVips(const EncodeJob& job)
{
    const char* suffix = nullptr;
    for (const VipsType& entry : kVipsTypes)
        if (job.type == QLatin1StringView(entry.uti))
            suffix = entry.suffix;
    if (!suffix || job.frames.isEmpty())
        return {};
    try {
        QList<Bitmap> frames;
        for (const Bitmap& frame : job.frames) {
            const Bitmap ready = suited(frame, job.type);
            if (ready.isNull()) {
                *job.error = QStringLiteral("the image cannot be brought to a model the type takes");
                return {};
            }
            frames << ready;
        }
        VImage image = vipsImageOf(frames.first());
        if (frames.size() > 1) {
            // Frames of an animation stand one under the other, all of one size.
            std::vector<VImage> pages;
            for (const Bitmap& frame : frames) {
                if (frame.width() != frames.first().width() || frame.height() != frames.first().height()
                    || frame.colorModel() != frames.first().colorModel()) {
                    *job.error = QStringLiteral("the frames differ in size or colour model");
                    return {};
                }
                pages.push_back(frame.impl().image);
            }
            image = VImage::arrayjoin(pages, VImage::option()->set("across", 1))
                        .copy(VImage::option()
                                  ->set("xres", frames.first().dpiX() / kMillimetresPerInch)
                                  ->set("yres", frames.first().dpiY() / kMillimetresPerInch));
            image.set("page-height", frames.first().height());
        }
        if (job.type == u"public.fax")
            image = (image > 127).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
        void* buffer = nullptr;
        size_t size = 0;
        image.write_to_buffer(suffix, &buffer, &size, saveOptions(job.type, image, job.properties.first()));
        QByteArray data(static_cast<const char*>(buffer), static_cast<qsizetype>(size));
        g_free(buffer);
        return data;
    } catch (const vips::VError& error) {
        *job.error = QString::fromUtf8(error.what()) + u' ' + takeVipsError();
        return {};
    }
}

} // namespace platform::image
