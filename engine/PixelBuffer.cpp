#include "engine/PixelBuffer.h"

#include "engine/ByteHelpers.h"

#include <QSaveFile>

#include <cstring>
#include <vector>

using platform::image::Bitmap;
using platform::image::ColorModel;

namespace {

constexpr int kSGIHeaderBytes = 512;
constexpr int kSGIMagic = 474;
// SGI sides are 16-bit numbers.
constexpr std::int64_t kMaxSGISide = 65535;
constexpr int kChannels = 4;

} // namespace

PixelBuffer::PixelBuffer() = default;

PixelBuffer::PixelBuffer(const Bitmap& image)
{
    FillFromImage(image);
}

PixelBuffer::~PixelBuffer()
{
    Destroy();
}

void PixelBuffer::Init()
{
    Destroy();
}

void PixelBuffer::Destroy()
{
    m_data.reset();
    m_rows = m_columns = m_bytesPerRow = m_channels = 0;
}

void PixelBuffer::FreeData(std::uint8_t** data)
{
    if (!data)
        return;
    delete[] *data;
    *data = nullptr;
}

bool PixelBuffer::FillFromImage(const Bitmap& image)
{
    Destroy();
    if (image.isNull())
        return false;
    const Bitmap rgba = image.convertedTo(ColorModel::RGBA);
    const QByteArray pixels = rgba.pixels();
    const std::int64_t bytes = std::int64_t(rgba.width()) * rgba.height() * kChannels;
    if (rgba.isNull() || pixels.size() != bytes)
        return false;
    m_data.reset(new (std::nothrow) std::uint8_t[size_t(bytes)]);
    if (!m_data)
        return false;
    std::memcpy(m_data.get(), pixels.constData(), size_t(bytes));
    m_rows = rgba.height();
    m_columns = rgba.width();
    m_bytesPerRow = m_columns * kChannels;
    m_channels = kChannels;
    return true;
}

bool PixelBuffer::WriteSGI(const QUrl& url) const
{
    if (!m_data || m_rows <= 0 || m_columns <= 0 || m_rows > kMaxSGISide || m_columns > kMaxSGISide)
        return false;
    const std::int64_t plane = m_rows * m_columns;
    std::vector<std::uint8_t> file(size_t(kSGIHeaderBytes + plane * kChannels), 0);
    std::uint8_t* header = file.data();
    PutUInt16BE(header, kSGIMagic);
    PutByte(header + 2, 0); // verbatim
    PutByte(header + 3, 1); // one byte per channel
    PutUInt16BE(header + 4, 3); // planes of width x height x channels
    PutUInt16BE(header + 6, int(m_columns));
    PutUInt16BE(header + 8, int(m_rows));
    PutUInt16BE(header + 10, kChannels);
    PutUInt32BE(header + 12, 0);
    PutUInt32BE(header + 16, 255);
    std::memcpy(header + 24, "No Name", 7);
    PutUInt32BE(header + 104, 0); // normal colour map
    // Channel by channel; SGI rows run from the bottom of the image.
    std::uint8_t* out = header + kSGIHeaderBytes;
    for (int channel = 0; channel < kChannels; ++channel)
        for (std::int64_t row = m_rows - 1; row >= 0; --row) {
            const std::uint8_t* in = m_data.get() + row * m_bytesPerRow + channel;
            for (std::int64_t x = 0; x < m_columns; ++x, in += kChannels)
                *out++ = *in;
        }
    QSaveFile save(url.toLocalFile());
    return save.open(QIODevice::WriteOnly)
           && save.write(reinterpret_cast<const char*>(file.data()), qint64(file.size())) == qint64(file.size())
           && save.commit();
}
