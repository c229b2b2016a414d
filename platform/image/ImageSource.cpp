#include "platform/image/ImageSource.h"

#include "platform/image/Bitmap_p.h"
#include "platform/image/ImageFileFacts_p.h"
#include "platform/image/ImageLibraries_p.h"
#include "platform/image/ImageMetadata_p.h"
#include "platform/image/ImagePropertyKeys.h"
#include "platform/image/WindowsMetafile_p.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <Magick++.h>
#include <lcms2.h>

#include <optional>
#include <vector>

using vips::VImage;

namespace platform::image {

namespace {

// Bytes read from the start of a file for signatures and small headers.
constexpr qint64 kHeadBytes = 64 * 1024;
// Frames listed for one source: an icon or animation with more is cut short.
constexpr int kMaxFrames = 10000;
// Metafiles are drawing instructions, kilobytes to a few megabytes; one
// larger than this is read no further.
constexpr qint64 kMaxMetafileBytes = 64 * 1024 * 1024;

struct LoaderType {
    const char* loader;
    const char* uti;
};

// Decoders of libvips by their identifiers. WebP, PDF, SVG and the
// scientific formats are left out on purpose.
const LoaderType kLoaders[] = {
    {"jpegload", "public.jpeg"},        {"pngload", "public.png"},
    {"gifload", "com.compuserve.gif"},  {"tiffload", "public.tiff"},
    {"jp2kload", "public.jpeg-2000"},   {"openexrload", "com.ilm.openexr-image"},
    {"ppmload", "public.pbm"},
};

// ImageMagick's coders, for what libvips reads through it.
const LoaderType kMagickFormats[] = {
    {"PSD", "com.adobe.photoshop-image"}, {"PSB", "com.adobe.photoshop-image"},
    {"BMP", "com.microsoft.bmp"},         {"BMP2", "com.microsoft.bmp"},
    {"BMP3", "com.microsoft.bmp"},        {"SGI", "com.sgi.sgi-image"},
    {"TGA", "com.truevision.tga-image"},  {"ICO", "com.microsoft.ico"},
    {"ICON", "com.microsoft.ico"},        {"CUR", "com.microsoft.ico"},
    {"XBM", "public.xbitmap-image"},      {"PICT", "com.apple.pict"},
    {"PCT", "com.apple.pict"},            {"EXR", "com.ilm.openexr-image"},
    {"MAC", "com.apple.macpaint-image"},  {"FPX", "com.kodak.flashpix.image"},
    {"FAX", "public.fax"},                {"G3", "public.fax"},
    {"GROUP4", "public.fax"},             {"PNM", "public.pbm"},
    {"PBM", "public.pbm"},                {"PGM", "public.pbm"},
    {"PPM", "public.pbm"},                {"PAM", "public.pbm"},
    {"DNG", "public.camera-raw-image"},   {"CR2", "public.camera-raw-image"},
    {"CRW", "public.camera-raw-image"},   {"NEF", "public.camera-raw-image"},
    {"ARW", "public.camera-raw-image"},   {"ORF", "public.camera-raw-image"},
    {"RAF", "public.camera-raw-image"},   {"RW2", "public.camera-raw-image"},
    {"PEF", "public.camera-raw-image"},
};

// Loaders that take a page number.
const char* const kPagedLoaders[] = {"tiffload", "gifload", "magickload"};

QString utiOf(const LoaderType* begin, const LoaderType* end, const QString& name)
{
    for (const LoaderType* entry = begin; entry != end; ++entry)
        if (name == QLatin1StringView(entry->loader))
            return QString::fromLatin1(entry->uti);
    return {};
}

QString profileName(const QByteArray& icc)
{
    if (icc.isEmpty())
        return {};
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (!profile)
        return {};
    char name[256] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", name, sizeof name);
    cmsCloseProfile(profile);
    return QString::fromLatin1(name).trimmed();
}

QByteArray blobField(const VImage& image, const char* name)
{
    if (!image.get_typeof(name))
        return {};
    size_t length = 0;
    const void* data = image.get_blob(name, &length);
    return QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(length));
}

// Threads that decode a file's pixels. libvips 8.14 stops the threads of a
// pool without a lock when one fails, and another may then abort the whole
// program on an assertion: a damaged picture could end the application.
// With one thread no other is there to see it; decoders read their files
// in order anyway, so little speed is lost.
constexpr int kDecodeThreads = 1;

int intField(const VImage& image, const char* name, int fallback)
{
    return image.get_typeof(name) ? image.get_int(name) : fallback;
}

} // namespace

struct ImageSource::Impl {
    QString path;
    QByteArray data; // the encoded data, when opened from memory
    QString loader;  // libvips's name, "qt" for Qt's reader, "wmf" for metafiles
    QString uti;
    int frames = 1;
    qint64 pixelLimit = kDefaultPixelLimit;
    QByteArray head;
    QVariantMap fileGroups;
    MetafileRaster metafile; // what a metafile is drawn at

    // The frame's header: libvips reads pixels only when they are asked for.
    std::optional<VImage> frameHeader(int index) const
    {
        try {
            auto options = VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
            for (const char* paged : kPagedLoaders)
                if (loader == QLatin1StringView(paged))
                    options->set("page", index);
            if (data.isNull())
                return VImage::new_from_file(QFile::encodeName(path).constData(), options);
            return VImage::new_from_buffer(data.constData(), static_cast<size_t>(data.size()), "",
                                           options);
        } catch (const vips::VError& error) {
            qCInfo(lcImage) << "frame" << index << "unreadable:" << error.what() << takeVipsError();
            return std::nullopt;
        }
    }

    bool withinLimit(qint64 width, qint64 height) const
    {
        if (width > 0 && height > 0 && width <= pixelLimit / height)
            return true;
        qCInfo(lcImage) << "frame of" << width << "x" << height << "pixels over the limit";
        return false;
    }

    // Qt's reader, for ICNS (no other library here reads it).
    std::optional<QImage> qtFrame(int index) const
    {
        QBuffer buffer;
        QFile file(path);
        QIODevice* device = &file;
        if (!data.isNull()) {
            buffer.setData(data);
            device = &buffer;
        }
        QImageReader reader(device, "icns");
        if (index > 0 && !reader.jumpToImage(index))
            return std::nullopt;
        // ICNS holds icons of at most 1024 x 1024; the reader may not say
        // the size before reading.
        const QSize size = reader.size();
        if (size.isValid() && !withinLimit(size.width(), size.height()))
            return std::nullopt;
        QImage image = reader.read();
        if (image.isNull() || !withinLimit(image.width(), image.height()))
            return std::nullopt;
        return image;
    }
};

ImageSource::ImageSource(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
}

ImageSource::~ImageSource() = default;

namespace {

// Which decoder reads the file, by content: libvips's own, ImageMagick's
// coder behind libvips, or Qt's ICNS reader.
bool identify(ImageSource::Impl& source)
{
    if (isWindowsMetafile(source.head)) {
        if (source.data.isNull()) {
            QFile file(source.path);
            if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxMetafileBytes)
                return false;
            source.data = file.readAll();
        }
        source.data = placeableMetafile(source.data);
        const std::optional<MetafileRaster> raster = metafileRaster(source.data, source.pixelLimit);
        if (!raster)
            return false;
        source.loader = QStringLiteral("wmf");
        source.uti = QStringLiteral("com.microsoft.wmf");
        source.metafile = *raster;
        return true;
    }
    if (source.head.startsWith("icns")) {
        QBuffer buffer;
        QFile file(source.path);
        if (!source.data.isNull())
            buffer.setData(source.data);
        QImageReader reader(source.data.isNull() ? static_cast<QIODevice*>(&file) : &buffer, "icns");
        if (!reader.canRead())
            return false;
        source.loader = QStringLiteral("qt");
        source.uti = QStringLiteral("com.apple.icns");
        source.frames = std::clamp(reader.imageCount(), 1, kMaxFrames);
        return true;
    }
    const char* found = source.data.isNull()
                            ? vips_foreign_find_load(QFile::encodeName(source.path).constData())
                            : vips_foreign_find_load_buffer(source.data.constData(),
                                                            static_cast<size_t>(source.data.size()));
    vips_error_clear();
    if (!found)
        return false;
    // The class name ("VipsForeignLoadJpegFile") to the operation's nickname.
    const char* nickname = vips_nickname_find(g_type_from_name(found));
    if (!nickname)
        return false;
    source.loader = QString::fromLatin1(nickname).remove(QStringLiteral("_buffer"));
    source.uti = utiOf(std::begin(kLoaders), std::end(kLoaders), source.loader);
    if (source.loader != u"magickload")
        return !source.uti.isEmpty();
    // ImageMagick says which coder reads it, from the header alone.
    try {
        Magick::Image ping;
        if (source.data.isNull())
            ping.ping(QFile::encodeName(source.path).toStdString());
        else
            ping.ping(Magick::Blob(source.data.constData(), static_cast<size_t>(source.data.size())));
        source.uti = utiOf(std::begin(kMagickFormats), std::end(kMagickFormats),
                           QString::fromStdString(ping.magick()));
        return !source.uti.isEmpty()
               && source.withinLimit(qint64(ping.columns()), qint64(ping.rows()));
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "not read by ImageMagick:" << error.what();
        return false;
    }
}

// Types whose EXIF, IPTC or XMP blocks the metadata library reads.
bool carriesMetadata(const QString& uti)
{
    return uti == u"public.jpeg" || uti == u"public.png" || uti == u"public.tiff"
           || uti == u"com.adobe.photoshop-image" || uti == u"public.jpeg-2000"
           || uti == u"public.camera-raw-image";
}

std::shared_ptr<ImageSource> openSource(std::unique_ptr<ImageSource::Impl> impl)
{
    if (!ensureImageLibraries() || !identify(*impl))
        return nullptr;
    if (impl->loader != u"qt" && impl->loader != u"wmf") {
        const std::optional<VImage> first = impl->frameHeader(0);
        if (!first || !impl->withinLimit(first->width(), first->height()))
            return nullptr;
        impl->frames = std::clamp(vips_image_get_n_pages(first->get_image()), 1, kMaxFrames);
    }
    if (carriesMetadata(impl->uti))
        impl->fileGroups = impl->data.isNull() ? readMetadataGroups(impl->path)
                                               : readMetadataGroups(impl->data);
    const QVariantMap formatGroups = formatGroupsOf(impl->uti, impl->head);
    for (auto it = formatGroups.begin(); it != formatGroups.end(); ++it)
        impl->fileGroups.insert(it.key(), it.value());
    return std::make_shared<ImageSource>(std::move(impl));
}

} // namespace

std::shared_ptr<ImageSource> ImageSource::open(const QString& path, const ImageSourceOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->head = file.read(kHeadBytes);
    impl->pixelLimit = options.pixelLimit;
    return openSource(std::move(impl));
}

std::shared_ptr<ImageSource> ImageSource::fromData(const QByteArray& data, const ImageSourceOptions& options)
{
    if (data.isEmpty())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->data = data;
    impl->head = data.left(kHeadBytes);
    impl->pixelLimit = options.pixelLimit;
    return openSource(std::move(impl));
}

QString ImageSource::typeIdentifier() const
{
    return d->uti;
}

int ImageSource::count() const
{
    return d->frames;
}

QVariantMap ImageSource::properties(int index) const
{
    if (index < 0 || index >= d->frames)
        return {};
    QVariantMap properties = index == 0 ? d->fileGroups : QVariantMap();
    int width = 0, height = 0, bits = 8, orientation = 0;
    double dpiX = 72, dpiY = 72;
    bool alpha = false, isFloat = false;
    QString model;
    QByteArray icc;
    if (d->loader == u"qt") {
        const std::optional<QImage> image = d->qtFrame(index);
        if (!image)
            return {};
        width = image->width();
        height = image->height();
        alpha = image->hasAlphaChannel();
        model = QStringLiteral("RGB");
    } else if (d->loader == u"wmf") {
        width = d->metafile.width;
        height = d->metafile.height;
        dpiX = dpiY = d->metafile.dpi;
        alpha = true;
        model = QStringLiteral("RGB");
    } else {
        const std::optional<VImage> header = d->frameHeader(index);
        if (!header)
            return {};
        width = header->width();
        height = header->height();
        dpiX = dpiOfVipsResolution(header->xres());
        dpiY = dpiOfVipsResolution(header->yres());
        const VipsBandFormat format = header->format();
        bits = format == VIPS_FORMAT_USHORT || format == VIPS_FORMAT_SHORT ? 16
               : format == VIPS_FORMAT_UCHAR || format == VIPS_FORMAT_CHAR ? 8
                                                                           : 32;
        isFloat = format == VIPS_FORMAT_FLOAT || format == VIPS_FORMAT_DOUBLE;
        const bool cmyk = header->interpretation() == VIPS_INTERPRETATION_CMYK;
        const int bands = header->bands();
        model = cmyk ? QStringLiteral("CMYK") : bands <= 2 ? QStringLiteral("Gray") : QStringLiteral("RGB");
        alpha = cmyk ? bands > 4 : bands == 2 || bands == 4;
        orientation = intField(*header, "orientation", 0);
        icc = blobField(*header, VIPS_META_ICC_NAME);
    }
    namespace k = keys;
    properties.insert(k::kCGImagePropertyPixelWidth, width);
    properties.insert(k::kCGImagePropertyPixelHeight, height);
    properties.insert(k::kCGImagePropertyDPIWidth, sensibleResolution(dpiX));
    properties.insert(k::kCGImagePropertyDPIHeight, sensibleResolution(dpiY));
    properties.insert(k::kCGImagePropertyDepth, bits);
    properties.insert(k::kCGImagePropertyColorModel, model);
    properties.insert(k::kCGImagePropertyHasAlpha, alpha);
    if (isFloat)
        properties.insert(k::kCGImagePropertyIsFloat, true);
    if (orientation >= 1 && orientation <= 8)
        properties.insert(k::kCGImagePropertyOrientation, orientation);
    const QString name = profileName(icc);
    if (!name.isEmpty())
        properties.insert(k::kCGImagePropertyProfileName, name);
    return properties;
}

Bitmap ImageSource::image(int index) const
{
    if (index < 0 || index >= d->frames)
        return {};
    if (d->loader == u"qt") {
        const std::optional<QImage> image = d->qtFrame(index);
        return image ? Bitmap::fromQImage(*image) : Bitmap();
    }
    if (d->loader == u"wmf")
        return renderMetafile(d->data, d->metafile);
    std::optional<VImage> header = d->frameHeader(index);
    if (!header || !d->withinLimit(header->width(), header->height()))
        return {};
    header->set(VIPS_META_CONCURRENCY, kDecodeThreads);
    const std::optional<Bitmap> bitmap =
        bitmapFromVips(*header, dpiOfVipsResolution(header->xres()),
                       dpiOfVipsResolution(header->yres()), blobField(*header, VIPS_META_ICC_NAME));
    return bitmap.value_or(Bitmap());
}

} // namespace platform::image
