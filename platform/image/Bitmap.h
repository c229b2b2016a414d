#pragma once
// A bitmap: pixels in memory with their colour model, sample format,
// resolution and ICC profile. A value: copies share the pixels, which never
// change; operations answer new bitmaps. Pixel size and size in points are
// kept apart (the size in points follows the resolution).
#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <memory>

namespace platform::image {

enum class ColorModel { Gray, GrayAlpha, RGB, RGBA, CMYK, CMYKAlpha };
enum class SampleFormat { UInt8, UInt16, Float };

// Samples per pixel of a model, alpha included.
int samplesOf(ColorModel model);
bool modelHasAlpha(ColorModel model);

class Bitmap {
public:
    struct Impl;

    Bitmap();
    // Interleaved samples in native byte order, rows from the top without
    // padding. A null bitmap when the sizes or the data do not agree.
    static Bitmap fromPixels(int width, int height, ColorModel model, SampleFormat format,
                             const QByteArray& samples, bool premultiplied = false);
    // Any QImage, as 8-bit RGB(A) or gray; 72 dpi unless the image says more.
    static Bitmap fromQImage(const QImage& image);

    bool isNull() const;
    int width() const;
    int height() const;
    ColorModel colorModel() const;
    SampleFormat sampleFormat() const;
    int bitsPerSample() const;
    int samplesPerPixel() const;
    bool hasAlpha() const;
    bool isPremultiplied() const;

    // Dots per inch; always sensible (72 when the source said nothing useful).
    double dpiX() const;
    double dpiY() const;
    Bitmap withResolution(double dpiX, double dpiY) const;
    // The size at the resolution, 72 points per inch.
    QSizeF sizeInPoints() const;

    QByteArray iccProfile() const;
    Bitmap withIccProfile(const QByteArray& profile) const;

    // The samples, interleaved, rows from the top, native byte order.
    QByteArray pixels() const;

    // The bitmap in another model and format: colours converted through the
    // ICC profiles (the embedded one, else sRGB or a standard CMYK profile);
    // alpha dropped when the model has none, opaque when the source had none.
    Bitmap convertedTo(ColorModel model, SampleFormat format = SampleFormat::UInt8) const;
    // Without alpha: the colours laid over white.
    Bitmap withoutAlpha() const;
    // Straight or premultiplied alpha; unchanged without alpha.
    Bitmap unpremultiplied() const;
    Bitmap premultiplied() const;
    // Resampled to exactly width by height pixels (at least 1 each).
    Bitmap resized(int width, int height) const;
    // 8-bit sRGB for painting: Grayscale8, RGB888 or RGBA8888 (straight).
    QImage toQImage() const;

    const Impl& impl() const { return *d; }
    explicit Bitmap(std::shared_ptr<const Impl> impl);

private:
    Bitmap withAlphaAssociation(bool premultiply) const;

    std::shared_ptr<const Impl> d;
};

} // namespace platform::image
