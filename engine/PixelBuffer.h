#pragma once
// An image's pixels as rows of R, G, B and alpha bytes, rows from the top,
// and the SGI file written from them. Owns its pixels; not copyable.
#include "platform/image/Bitmap.h"

#include <QUrl>

#include <cstdint>
#include <memory>

class PixelBuffer {
public:
    PixelBuffer();
    explicit PixelBuffer(const platform::image::Bitmap& image);
    ~PixelBuffer();
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    void Init();
    void Destroy();

    std::int64_t Rows() const { return m_rows; }
    std::int64_t Columns() const { return m_columns; }
    const std::uint8_t* Data() const { return m_data.get(); }

    // The image's pixels, 8 bits each, the fourth byte its alpha (255 where
    // it has none). False without pixels.
    bool FillFromImage(const platform::image::Bitmap& image);
    // An SGI file every SGI reader reads: verbatim, planar channels R, G, B,
    // A with the bottom row first. False without pixels, for a side over
    // 65535, or when the file cannot be written (an existing file is then
    // left as it was).
    bool WriteSGI(const QUrl& url) const;

    static void FreeData(std::uint8_t** data);

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::int64_t m_rows = 0;
    std::int64_t m_columns = 0;
    std::int64_t m_bytesPerRow = 0;
    std::int64_t m_channels = 0;
};
