#include "platform/image/Bitmap.h"

#include "platform/image/Bitmap_p.h"
#include "platform/image/ImageLibraries_p.h"

#include <cmath>

using vips::VImage;

namespace platform::image {

namespace {

constexpr int kMaxSide = 10000000; // libvips's own limit on a side

VipsBandFormat vipsFormat(SampleFormat format)
{
    switch (format) {
    case SampleFormat::UInt8: return VIPS_FORMAT_UCHAR;
    case SampleFormat::UInt16: return VIPS_FORMAT_USHORT;
    case SampleFormat::Float: return VIPS_FORMAT_FLOAT;
    }
    return VIPS_FORMAT_UCHAR;
}

int bytesOf(SampleFormat format)
{
    return format == SampleFormat::UInt8 ? 1 : format == SampleFormat::UInt16 ? 2 : 4;
}

VipsInterpretation interpretationOf(ColorModel model, VipsBandFormat format)
{
    switch (model) {
    case ColorModel::Gray:
    case ColorModel::GrayAlpha:
        return format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W;
    case ColorModel::CMYK:
    case ColorModel::CMYKAlpha: return VIPS_INTERPRETATION_CMYK;
    default:
        return format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB;
    }
}

// The sample format libvips keeps, or the nearest one we carry.
VImage normaliseFormat(VImage image)
{
    switch (image.format()) {
    case VIPS_FORMAT_UCHAR:
    case VIPS_FORMAT_USHORT:
    case VIPS_FORMAT_FLOAT: return image;
    case VIPS_FORMAT_CHAR: return image.cast(VIPS_FORMAT_UCHAR);
    case VIPS_FORMAT_SHORT: return image.cast(VIPS_FORMAT_USHORT);
    case VIPS_FORMAT_COMPLEX:
    case VIPS_FORMAT_DPCOMPLEX: throw vips::VError("complex images are not supported");
    default: return image.cast(VIPS_FORMAT_FLOAT);
    }
}

// The model of a decoded image, converting spaces we do not carry to sRGB.
ColorModel normaliseModel(VImage& image)
{
    const VipsInterpretation interpretation = image.interpretation();
    const int bands = image.bands();
    if (interpretation == VIPS_INTERPRETATION_CMYK && bands >= 4) {
        if (bands > 5)
            image = image.extract_band(0, VImage::option()->set("n", 5));
        return image.bands() == 5 ? ColorModel::CMYKAlpha : ColorModel::CMYK;
    }
    if (bands <= 2)
        return bands == 2 ? ColorModel::GrayAlpha : ColorModel::Gray;
    const bool rgbLike = interpretation == VIPS_INTERPRETATION_sRGB
                         || interpretation == VIPS_INTERPRETATION_RGB16
                         || interpretation == VIPS_INTERPRETATION_RGB
                         || interpretation == VIPS_INTERPRETATION_MULTIBAND;
    // Linear light (OpenEXR) is brought to 16-bit sRGB; other spaces to sRGB.
    if (interpretation == VIPS_INTERPRETATION_scRGB)
        image = image.colourspace(VIPS_INTERPRETATION_RGB16);
    else if (!rgbLike)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.bands() > 4)
        image = image.extract_band(0, VImage::option()->set("n", 4));
    return image.bands() == 4 ? ColorModel::RGBA : ColorModel::RGB;
}

const char* defaultProfileFor(ColorModel model)
{
    switch (model) {
    case ColorModel::CMYK:
    case ColorModel::CMYKAlpha: return "cmyk";
    default: return "srgb";
    }
}

bool isCMYK(ColorModel model)
{
    return model == ColorModel::CMYK || model == ColorModel::CMYKAlpha;
}
bool isGray(ColorModel model)
{
    return model == ColorModel::Gray || model == ColorModel::GrayAlpha;
}

// Colour bands in the 8-bit range of the target model's family.
VImage convertColours(const Bitmap::Impl& from, ColorModel to)
{
    VImage image = from.image;
    const bool alpha = modelHasAlpha(from.model);
    VImage colours = alpha ? image.extract_band(0, VImage::option()->set("n", image.bands() - 1))
                           : image;
    VImage alphaBand = alpha ? image.extract_band(image.bands() - 1) : VImage();
    if (isCMYK(from.model) != isCMYK(to)) {
        // Between CMYK and the others only profiles say how colours map.
        if (isGray(from.model))
            colours = colours.colourspace(VIPS_INTERPRETATION_sRGB);
        auto options = VImage::option()
                           ->set("output_profile", defaultProfileFor(to))
                           ->set("embedded", !from.icc.isEmpty())
                           ->set("input_profile", defaultProfileFor(from.model))
                           ->set("intent", VIPS_INTENT_RELATIVE);
        if (!from.icc.isEmpty())
            vips_image_set_blob_copy(colours.get_image(), VIPS_META_ICC_NAME, from.icc.constData(),
                                     static_cast<size_t>(from.icc.size()));
        colours = colours.icc_transform(defaultProfileFor(to), options);
        if (isGray(to))
            colours = colours.colourspace(VIPS_INTERPRETATION_B_W);
    } else if (isGray(from.model) != isGray(to)) {
        colours = colours.colourspace(isGray(to) ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB);
    }
    if (!modelHasAlpha(to))
        return colours;
    if (!alpha) {
        const double opaque = colours.format() == VIPS_FORMAT_USHORT ? 65535 : 255;
        return colours.bandjoin_const({opaque});
    }
    return colours.bandjoin(alphaBand.cast(colours.format()));
}

VImage tagged(VImage image, ColorModel model)
{
    return image.copy(VImage::option()->set("interpretation", interpretationOf(model, image.format())));
}

VImage castTo(VImage image, SampleFormat format)
{
    const VipsBandFormat target = vipsFormat(format);
    if (image.format() == target)
        return image;
    // Scale between the ranges of 8 and 16 bits; float keeps 0 to 1.
    const auto range = [](VipsBandFormat f) {
        return f == VIPS_FORMAT_USHORT ? 65535.0 : f == VIPS_FORMAT_UCHAR ? 255.0 : 1.0;
    };
    const double factor = range(target) / range(image.format());
    if (factor != 1.0)
        image = image.linear(factor, 0.0);
    return image.cast(target);
}

} // namespace

int samplesOf(ColorModel model)
{
    switch (model) {
    case ColorModel::Gray: return 1;
    case ColorModel::GrayAlpha: return 2;
    case ColorModel::RGB: return 3;
    case ColorModel::RGBA: return 4;
    case ColorModel::CMYK: return 4;
    case ColorModel::CMYKAlpha: return 5;
    }
    return 3;
}

bool modelHasAlpha(ColorModel model)
{
    return model == ColorModel::GrayAlpha || model == ColorModel::RGBA
           || model == ColorModel::CMYKAlpha;
}

std::optional<Bitmap> bitmapFromVips(VImage image, double dpiX, double dpiY, const QByteArray& icc,
                                     bool premultiplied)
{
    if (!ensureImageLibraries())
        return std::nullopt;
    try {
        image = normaliseFormat(image);
        auto impl = std::make_shared<Bitmap::Impl>();
        impl->model = normaliseModel(image);
        image = normaliseFormat(image);
        image = image.copy(VImage::option()->set(
            "interpretation", interpretationOf(impl->model, image.format())));
        impl->image = image.copy_memory();
        // A decoder's thread limit stays with the decoding: work on the
        // pixels in memory uses every thread.
        impl->image.remove(VIPS_META_CONCURRENCY);
        impl->premultiplied = premultiplied && modelHasAlpha(impl->model);
        impl->dpiX = sensibleResolution(dpiX);
        impl->dpiY = sensibleResolution(dpiY);
        impl->icc = icc;
        return Bitmap(std::move(impl));
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "pixels refused:" << error.what() << takeVipsError();
        return std::nullopt;
    }
}

Bitmap::Bitmap() = default;

Bitmap::Bitmap(std::shared_ptr<const Impl> impl)
    : d(std::move(impl))
{
}

Bitmap Bitmap::fromPixels(int width, int height, ColorModel model, SampleFormat format,
                          const QByteArray& samples, bool premultiplied)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || !ensureImageLibraries())
        return {};
    const qint64 expected = qint64(width) * height * samplesOf(model) * bytesOf(format);
    if (samples.size() != expected)
        return {};
    try {
        VipsImage* copy = vips_image_new_from_memory_copy(samples.constData(),
                                                          static_cast<size_t>(samples.size()), width,
                                                          height, samplesOf(model), vipsFormat(format));
        if (!copy)
            throw vips::VError();
        VImage image(copy, vips::STEAL);
        image = image.copy(VImage::option()->set("interpretation",
                                                 interpretationOf(model, vipsFormat(format))));
        auto impl = std::make_shared<Impl>();
        impl->image = image;
        impl->model = model;
        impl->premultiplied = premultiplied && modelHasAlpha(model);
        return Bitmap(std::move(impl));
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "pixels refused:" << error.what() << takeVipsError();
        return {};
    }
}

Bitmap Bitmap::fromQImage(const QImage& source)
{
    if (source.isNull())
        return {};
    const bool gray = source.isGrayscale() && !source.hasAlphaChannel();
    const QImage image = source.convertToFormat(
        gray ? QImage::Format_Grayscale8
             : source.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const ColorModel model =
        gray ? ColorModel::Gray : image.hasAlphaChannel() ? ColorModel::RGBA : ColorModel::RGB;
    const qsizetype rowBytes = qsizetype(image.width()) * samplesOf(model);
    QByteArray samples;
    samples.reserve(rowBytes * image.height());
    for (int y = 0; y < image.height(); ++y)
        samples.append(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    Bitmap bitmap = fromPixels(image.width(), image.height(), model, SampleFormat::UInt8, samples);
    if (bitmap.isNull())
        return bitmap;
    return bitmap.withResolution(source.dotsPerMeterX() * 0.0254, source.dotsPerMeterY() * 0.0254);
}

bool Bitmap::isNull() const
{
    return !d;
}

int Bitmap::width() const
{
    return d ? d->image.width() : 0;
}

int Bitmap::height() const
{
    return d ? d->image.height() : 0;
}

ColorModel Bitmap::colorModel() const
{
    return d ? d->model : ColorModel::RGB;
}

SampleFormat Bitmap::sampleFormat() const
{
    if (!d)
        return SampleFormat::UInt8;
    switch (d->image.format()) {
    case VIPS_FORMAT_USHORT: return SampleFormat::UInt16;
    case VIPS_FORMAT_FLOAT: return SampleFormat::Float;
    default: return SampleFormat::UInt8;
    }
}

int Bitmap::bitsPerSample() const
{
    return bytesOf(sampleFormat()) * 8;
}

int Bitmap::samplesPerPixel() const
{
    return d ? samplesOf(d->model) : 0;
}

bool Bitmap::hasAlpha() const
{
    return d && modelHasAlpha(d->model);
}

bool Bitmap::isPremultiplied() const
{
    return d && d->premultiplied;
}

double Bitmap::dpiX() const
{
    return d ? d->dpiX : 72;
}

double Bitmap::dpiY() const
{
    return d ? d->dpiY : 72;
}

Bitmap Bitmap::withResolution(double dpiX, double dpiY) const
{
    if (!d)
        return {};
    auto impl = std::make_shared<Impl>(*d);
    impl->dpiX = sensibleResolution(dpiX);
    impl->dpiY = sensibleResolution(dpiY);
    return Bitmap(std::move(impl));
}

QSizeF Bitmap::sizeInPoints() const
{
    if (!d)
        return {};
    return {width() * 72.0 / d->dpiX, height() * 72.0 / d->dpiY};
}

QByteArray Bitmap::iccProfile() const
{
    return d ? d->icc : QByteArray();
}

Bitmap Bitmap::withIccProfile(const QByteArray& profile) const
{
    if (!d)
        return {};
    auto impl = std::make_shared<Impl>(*d);
    impl->icc = profile;
    return Bitmap(std::move(impl));
}

QByteArray Bitmap::pixels() const
{
    if (!d)
        return {};
    try {
        size_t size = 0;
        void* memory = d->image.write_to_memory(&size);
        QByteArray bytes(static_cast<const char*>(memory), static_cast<qsizetype>(size));
        g_free(memory);
        return bytes;
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "pixels unreadable:" << error.what() << takeVipsError();
        return {};
    }
}

Bitmap Bitmap::convertedTo(ColorModel model, SampleFormat format) const
{
    if (!d)
        return {};
    if (model == d->model && format == sampleFormat())
        return *this;
    try {
        const Bitmap straight = unpremultiplied();
        if (straight.isNull())
            return {};
        Impl work = *straight.d;
        if (model != d->model) {
            // Colours are converted at 16 bits when both ends have more than 8.
            const SampleFormat depth = format != SampleFormat::UInt8 && sampleFormat() != SampleFormat::UInt8
                                           ? SampleFormat::UInt16
                                           : SampleFormat::UInt8;
            work.image = tagged(castTo(work.image, depth), d->model);
            work.image = tagged(convertColours(work, model), model);
        }
        auto impl = std::make_shared<Impl>(*d);
        impl->image = tagged(castTo(work.image, format), model).copy_memory();
        impl->model = model;
        impl->premultiplied = false;
        // A profile describes the colours it came with only.
        if (isCMYK(model) != isCMYK(d->model) || isGray(model) != isGray(d->model))
            impl->icc.clear();
        return Bitmap(std::move(impl));
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "colour conversion failed:" << error.what() << takeVipsError();
        return {};
    }
}

Bitmap Bitmap::withoutAlpha() const
{
    if (!d || !modelHasAlpha(d->model))
        return *this;
    try {
        const Bitmap straight = unpremultiplied();
        if (straight.isNull())
            return {};
        const VipsBandFormat format = d->image.format();
        const double white = format == VIPS_FORMAT_USHORT ? 65535 : format == VIPS_FORMAT_FLOAT ? 1 : 255;
        const ColorModel model = isGray(d->model) ? ColorModel::Gray
                                 : isCMYK(d->model) ? ColorModel::CMYK
                                                    : ColorModel::RGB;
        VImage image = straight.d->image;
        if (isCMYK(d->model)) {
            // No ink is white: the colours fade to zero with the alpha.
            VImage alpha = image.extract_band(4) / white;
            image = (image.extract_band(0, VImage::option()->set("n", 4)) * alpha);
        } else {
            image = image.flatten(VImage::option()->set(
                "background", std::vector<double>(size_t(samplesOf(model)), white))->set("max_alpha", white));
        }
        auto impl = std::make_shared<Impl>(*d);
        impl->image = tagged(image.cast(format), model).copy_memory();
        impl->model = model;
        impl->premultiplied = false;
        return Bitmap(std::move(impl));
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "alpha not removed:" << error.what() << takeVipsError();
        return {};
    }
}

Bitmap Bitmap::unpremultiplied() const
{
    return d && d->premultiplied ? withAlphaAssociation(false) : *this;
}

Bitmap Bitmap::premultiplied() const
{
    return d && !d->premultiplied && modelHasAlpha(d->model) ? withAlphaAssociation(true) : *this;
}

Bitmap Bitmap::withAlphaAssociation(bool premultiply) const
{
    try {
        const VipsBandFormat format = d->image.format();
        const double maxAlpha = format == VIPS_FORMAT_USHORT ? 65535 : format == VIPS_FORMAT_FLOAT ? 1 : 255;
        auto options = VImage::option()->set("max_alpha", maxAlpha);
        VImage image = premultiply ? d->image.premultiply(options) : d->image.unpremultiply(options);
        auto impl = std::make_shared<Impl>(*d);
        impl->image = tagged(image.cast(format), d->model).copy_memory();
        impl->premultiplied = premultiply;
        return Bitmap(std::move(impl));
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "alpha association failed:" << error.what() << takeVipsError();
        return {};
    }
}

Bitmap Bitmap::resized(int newWidth, int newHeight) const
{
    if (!d)
        return {};
    newWidth = std::clamp(newWidth, 1, kMaxSide);
    newHeight = std::clamp(newHeight, 1, kMaxSide);
    if (newWidth == width() && newHeight == height())
        return *this;
    try {
        // Resampled premultiplied, so that transparent pixels lend no colour.
        const bool premultiply = modelHasAlpha(d->model) && !d->premultiplied;
        const Bitmap source = premultiply ? premultiplied() : *this;
        if (source.isNull())
            return {};
        VImage image = source.d->image.resize(double(newWidth) / width(),
                                              VImage::option()
                                                  ->set("vscale", double(newHeight) / height())
                                                  ->set("kernel", VIPS_KERNEL_LANCZOS3));
        // Rounding inside the resampler may leave a pixel more or less.
        if (image.width() != newWidth || image.height() != newHeight)
            image = image.embed(0, 0, newWidth, newHeight,
                                VImage::option()->set("extend", VIPS_EXTEND_COPY));
        auto impl = std::make_shared<Impl>(*source.d);
        impl->image = tagged(image.cast(d->image.format()), d->model).copy_memory();
        const Bitmap result(std::move(impl));
        return premultiply ? result.unpremultiplied() : result;
    } catch (const vips::VError& error) {
        qCInfo(lcImage) << "resize failed:" << error.what() << takeVipsError();
        return {};
    }
}

QImage Bitmap::toQImage() const
{
    if (!d)
        return {};
    const ColorModel target = isGray(d->model) && !hasAlpha()
                                  ? ColorModel::Gray
                                  : hasAlpha() ? ColorModel::RGBA : ColorModel::RGB;
    const Bitmap eight = convertedTo(target, SampleFormat::UInt8);
    if (eight.isNull())
        return {};
    const QImage::Format format = target == ColorModel::Gray ? QImage::Format_Grayscale8
                                  : target == ColorModel::RGBA ? QImage::Format_RGBA8888
                                                               : QImage::Format_RGB888;
    QImage image(width(), height(), format);
    if (image.isNull())
        return {};
    const QByteArray samples = eight.pixels();
    const qsizetype rowBytes = qsizetype(width()) * samplesOf(target);
    if (samples.size() != rowBytes * height())
        return {};
    for (int y = 0; y < height(); ++y)
        std::memcpy(image.scanLine(y), samples.constData() + rowBytes * y, rowBytes);
    image.setDotsPerMeterX(qRound(d->dpiX / 0.0254));
    image.setDotsPerMeterY(qRound(d->dpiY / 0.0254));
    return image;
}

} // namespace platform::image
