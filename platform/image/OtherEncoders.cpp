#include "platform/image/ImageEncoders_p.h"
#include "platform/image/ImageLibraries_p.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <tiffio.h>

#include <vector>

namespace platform::image {

namespace {

bool writeTiffPage(TIFF* tiff, const Bitmap& frame, int compression, int index, int count)
{
    const ColorModel model = frame.colorModel();
    const bool cmyk = model == ColorModel::CMYK || model == ColorModel::CMYKAlpha;
    const bool gray = model == ColorModel::Gray || model == ColorModel::GrayAlpha;
    const int samples = frame.samplesPerPixel();
    const int bits = frame.bitsPerSample();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(frame.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(frame.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT,
                 uint16_t(frame.sampleFormat() == SampleFormat::Float ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 uint16_t(cmyk ? PHOTOMETRIC_SEPARATED : gray ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
    if (frame.hasAlpha()) {
        const uint16_t extra = frame.isPremultiplied() ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(frame.dpiX()));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(frame.dpiY()));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(compression == 5 ? COMPRESSION_LZW
                                                     : compression == 8 ? COMPRESSION_ADOBE_DEFLATE
                                                     : compression == 32773 ? COMPRESSION_PACKBITS
                                                                            : COMPRESSION_NONE));
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(index), uint16_t(count));
    if (!frame.iccProfile().isEmpty())
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(frame.iccProfile().size()), frame.iccProfile().constData());
    const QByteArray pixels = frame.pixels();
    const qsizetype rowBytes = qsizetype(frame.width()) * samples * bits / 8;
    if (pixels.size() != rowBytes * frame.height())
        return false;
    std::vector<char> row(static_cast<size_t>(rowBytes));
    for (int y = 0; y < frame.height(); ++y) {
        std::memcpy(row.data(), pixels.constData() + rowBytes * y, size_t(rowBytes));
        if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

QByteArray encodeTiffPages(const EncodeJob& job)
{
    // libtiff writes a file; it is read back into memory at once.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *job.error = QStringLiteral("no temporary folder");
        return {};
    }
    const QString path = folder.filePath(QStringLiteral("pages.tif"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff) {
        *job.error = QStringLiteral("the TIFF file cannot be made");
        return {};
    }
    bool ok = true;
    for (int i = 0; ok && i < job.frames.size(); ++i)
        ok = writeTiffPage(tiff, job.frames[i], tiffCompressionOf(job.properties[i]), i, int(job.frames.size()));
    TIFFClose(tiff);
    QFile file(path);
    if (!ok || !file.open(QIODevice::ReadOnly)) {
        *job.error = QStringLiteral("a page could not be written");
        return {};
    }
    return file.readAll();
}

QByteArray encodeIcns(const EncodeJob& job)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "icns");
    const QImage image = job.frames.first().toQImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull() || !writer.write(image)) {
        *job.error = writer.errorString();
        return {};
    }
    return data;
}

QByteArray encodePdf(const EncodeJob& job)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72); // painter units are points
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (int i = 0; i < job.frames.size(); ++i) {
        const Bitmap& frame = job.frames[i];
        const QSizeF points = frame.sizeInPoints();
        writer.setPageSize(QPageSize(points, QPageSize::Point));
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage()) {
            *job.error = QStringLiteral("the PDF page cannot be made");
            return {};
        }
        const QImage image = frame.toQImage();
        if (image.isNull()) {
            *job.error = QStringLiteral("the image cannot be drawn");
            return {};
        }
        painter.drawImage(QRectF(QPointF(), points), image);
    }
    painter.end();
    return data;
}

} // namespace platform::image
