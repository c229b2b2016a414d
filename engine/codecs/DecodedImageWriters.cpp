#include "engine/codecs/DecodedImageWriters.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTIFFHeaderSize = 210;
constexpr int kBMPHeaderSize = 54;
// Pixels per metre written into BMP files (about 61 dpi, as the format's
// writers usually do).
constexpr std::uint32_t kBMPPixelsPerMetre = 2400;

bool isRGBMode(WEBP_CSP_MODE mode)
{
    return mode == MODE_RGB || mode == MODE_RGBA || mode == MODE_rgbA;
}

bool isBGRMode(WEBP_CSP_MODE mode)
{
    return mode == MODE_BGR || mode == MODE_BGRA || mode == MODE_bgrA;
}

int bytesPerPixel(WEBP_CSP_MODE mode)
{
    return mode == MODE_RGB || mode == MODE_BGR ? 3 : 4;
}

// A plane of rows at stride holds height rows of rowBytes each.
bool planeHolds(const std::uint8_t* data, int stride, std::size_t size, int rowBytes, int height)
{
    if (!data || height <= 0 || rowBytes <= 0 || stride < rowBytes)
        return false;
    const std::uint64_t needed =
        static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height - 1) + rowBytes;
    return needed <= size;
}

bool rgbHolds(const WebPDecBuffer* b)
{
    return planeHolds(b->u.RGBA.rgba, b->u.RGBA.stride, b->u.RGBA.size,
                      b->width * bytesPerPixel(b->colorspace), b->height);
}

bool yuvHolds(const WebPDecBuffer* b, bool needAlpha)
{
    const WebPYUVABuffer& p = b->u.YUVA;
    const int uvWidth = (b->width + 1) / 2;
    const int uvHeight = (b->height + 1) / 2;
    if (!planeHolds(p.y, p.y_stride, p.y_size, b->width, b->height)
        || !planeHolds(p.u, p.u_stride, p.u_size, uvWidth, uvHeight)
        || !planeHolds(p.v, p.v_stride, p.v_size, uvWidth, uvHeight))
        return false;
    if (p.a)
        return planeHolds(p.a, p.a_stride, p.a_size, b->width, b->height);
    return !needAlpha;
}

bool putBytes(FILE* file, const void* bytes, std::size_t count)
{
    return count == 0 || std::fwrite(bytes, count, 1, file) == 1;
}

void putLE(std::uint8_t* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool writeRows(FILE* file, const std::uint8_t* rows, int stride, int rowBytes, int height)
{
    for (int y = 0; y < height; ++y)
        if (!putBytes(file, rows + static_cast<std::ptrdiff_t>(y) * stride, rowBytes))
            return false;
    return true;
}

// Rows of a plane, each followed by pad zero bytes.
bool writePaddedRows(FILE* file, const std::uint8_t* rows, int stride, int rowBytes, int height,
                     int pad)
{
    static const std::uint8_t zero[4] = {};
    for (int y = 0; y < height; ++y) {
        if (!putBytes(file, rows + static_cast<std::ptrdiff_t>(y) * stride, rowBytes)
            || !putBytes(file, zero, pad))
            return false;
    }
    return true;
}

void DecodedPNGErrorHandler(png_structp png, png_const_charp)
{
    longjmp(png_jmpbuf(png), 1);
}

// The planes as PGM (interleaved chroma rows, rows padded to an even width)
// or as raw YUV (all U rows, then all V rows).
int writePlanes(FILE* file, const WebPDecBuffer* b, bool pgm)
{
    const WebPYUVABuffer& p = b->u.YUVA;
    const int uvWidth = (b->width + 1) / 2;
    const int uvHeight = (b->height + 1) / 2;
    const int pad = pgm ? b->width & 1 : 0;
    if (pgm
        && std::fprintf(file, "P5\n%d %d\n255\n", (b->width + 1) & ~1,
                        b->height + uvHeight + (p.a ? b->height : 0))
               < 0)
        return 0;
    if (!writePaddedRows(file, p.y, p.y_stride, b->width, b->height, pad))
        return 0;
    if (pgm) {
        for (int y = 0; y < uvHeight; ++y) {
            if (!putBytes(file, p.u + static_cast<std::ptrdiff_t>(y) * p.u_stride, uvWidth)
                || !putBytes(file, p.v + static_cast<std::ptrdiff_t>(y) * p.v_stride, uvWidth))
                return 0;
        }
    } else if (!writeRows(file, p.u, p.u_stride, uvWidth, uvHeight)
               || !writeRows(file, p.v, p.v_stride, uvWidth, uvHeight)) {
        return 0;
    }
    if (p.a && !writePaddedRows(file, p.a, p.a_stride, b->width, b->height, pad))
        return 0;
    return 1;
}

int writeFormat(FILE* file, const WebPDecBuffer* buffer, int format)
{
    switch (format) {
    case DecodedImagePNG: return WriteDecodedPNG(file, buffer);
    case DecodedImagePAM: return WriteDecodedPPM(file, buffer, 1);
    case DecodedImagePPM: return WriteDecodedPPM(file, buffer, 0);
    case DecodedImagePGM: return WriteDecodedPGM(file, buffer);
    case DecodedImageBMP: return WriteDecodedBMP(file, buffer);
    case DecodedImageTIFF: return WriteDecodedTIFF(file, buffer);
    case DecodedImageYUV: return WriteDecodedYUV(file, buffer);
    case DecodedImageAlphaPlane: return WriteDecodedAlphaPlane(file, buffer);
    default: return 0;
    }
}

// A temporary file beside path, so that a failed write never leaves a
// half-written file under the final name. The name is written to temp.
FILE* openBeside(const char* path, char** temp)
{
    const std::size_t length = std::strlen(path);
    *temp = static_cast<char*>(std::malloc(length + 8));
    if (!*temp)
        return nullptr;
    std::memcpy(*temp, path, length);
    std::memcpy(*temp + length, ".XXXXXX", 8);
    const int fd = mkstemp(*temp);
    if (fd < 0) {
        std::free(*temp);
        *temp = nullptr;
        return nullptr;
    }
    fchmod(fd, 0644);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(*temp);
        std::free(*temp);
        *temp = nullptr;
    }
    return file;
}

} // namespace

bool DecodedBufferSuitsFormat(const WebPDecBuffer* b, int format)
{
    if (!b || b->width <= 0 || b->height <= 0)
        return false;
    const WEBP_CSP_MODE mode = b->colorspace;
    const bool yuv = mode == MODE_YUV || mode == MODE_YUVA;
    switch (format) {
    case DecodedImagePNG: return (mode == MODE_RGB || mode == MODE_RGBA) && rgbHolds(b);
    case DecodedImagePAM: return mode == MODE_RGBA && rgbHolds(b);
    case DecodedImagePPM: return mode == MODE_RGB && rgbHolds(b);
    case DecodedImageBMP: return isBGRMode(mode) && rgbHolds(b);
    case DecodedImageTIFF: return isRGBMode(mode) && rgbHolds(b);
    case DecodedImagePGM:
    case DecodedImageYUV: return yuv && yuvHolds(b, false);
    case DecodedImageAlphaPlane: return yuv && yuvHolds(b, true);
    default: return false;
    }
}

int WriteDecodedPNG(FILE* file, const WebPDecBuffer* buffer)
{
    if (!DecodedBufferSuitsFormat(buffer, DecodedImagePNG))
        return 0;
    // Plain C from here on: the error jump below passes over no destructor.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr,
                                              DecodedPNGErrorHandler, nullptr);
    if (!png)
        return 0;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return 0;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    const std::uint8_t* rgba = buffer->u.RGBA.rgba;
    const int stride = buffer->u.RGBA.stride;
    png_init_io(png, file);
    png_set_IHDR(png, info, buffer->width, buffer->height, 8,
                 buffer->colorspace == MODE_RGBA ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < buffer->height; ++y)
        png_write_row(png, rgba + static_cast<std::ptrdiff_t>(y) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return 1;
}

int WriteDecodedPPM(FILE* file, const WebPDecBuffer* buffer, int alpha)
{
    if (!DecodedBufferSuitsFormat(buffer, alpha ? DecodedImagePAM : DecodedImagePPM))
        return 0;
    const int w = buffer->width;
    const int h = buffer->height;
    const int printed =
        alpha ? std::fprintf(file,
                             "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                             w, h)
              : std::fprintf(file, "P6\n%d %d\n255\n", w, h);
    if (printed < 0)
        return 0;
    return writeRows(file, buffer->u.RGBA.rgba, buffer->u.RGBA.stride, w * (alpha ? 4 : 3), h);
}

int WriteDecodedPGM(FILE* file, const WebPDecBuffer* buffer)
{
    return DecodedBufferSuitsFormat(buffer, DecodedImagePGM) ? writePlanes(file, buffer, true) : 0;
}

int WriteDecodedYUV(FILE* file, const WebPDecBuffer* buffer)
{
    return DecodedBufferSuitsFormat(buffer, DecodedImageYUV) ? writePlanes(file, buffer, false) : 0;
}

int WriteDecodedBMP(FILE* file, const WebPDecBuffer* buffer)
{
    if (!DecodedBufferSuitsFormat(buffer, DecodedImageBMP))
        return 0;
    const int bpp = bytesPerPixel(buffer->colorspace);
    const std::uint32_t w = static_cast<std::uint32_t>(buffer->width);
    const std::uint32_t h = static_cast<std::uint32_t>(buffer->height);
    const std::uint32_t lineSize = w * bpp;
    const std::uint32_t rowSize = (lineSize + 3) & ~3u;
    std::uint8_t header[kBMPHeaderSize] = {'B', 'M'};
    putLE(header + 2, rowSize * h + kBMPHeaderSize, 4);
    putLE(header + 10, kBMPHeaderSize, 4);
    putLE(header + 14, 40, 4);
    putLE(header + 18, w, 4);
    putLE(header + 22, static_cast<std::uint32_t>(-static_cast<std::int32_t>(h)), 4);
    putLE(header + 26, 1, 2);
    putLE(header + 28, bpp * 8, 2);
    putLE(header + 38, kBMPPixelsPerMetre, 4);
    putLE(header + 42, kBMPPixelsPerMetre, 4);
    if (!putBytes(file, header, sizeof header))
        return 0;
    return writePaddedRows(file, buffer->u.RGBA.rgba, buffer->u.RGBA.stride, lineSize, h,
                           rowSize - lineSize);
}

int WriteDecodedTIFF(FILE* file, const WebPDecBuffer* buffer)
{
    if (!DecodedBufferSuitsFormat(buffer, DecodedImageTIFF))
        return 0;
    const bool withAlpha = buffer->colorspace != MODE_RGB;
    const std::uint32_t samples = withAlpha ? 4 : 3;
    const std::uint32_t w = static_cast<std::uint32_t>(buffer->width);
    const std::uint32_t h = static_cast<std::uint32_t>(buffer->height);
    std::uint8_t header[kTIFFHeaderSize] = {0x49, 0x49, 0x2A, 0x00, 0x08};
    putLE(header + 8, withAlpha ? 15 : 14, 2);
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const Entry entries[] = {
        {256, 3, w},          {257, 3, h},   {258, 3, 194}, {259, 3, 1},
        {262, 3, 2},          {273, 4, kTIFFHeaderSize},    {274, 3, 1},
        {277, 3, samples},    {278, 3, h},   {279, 4, w * h * samples},
        {282, 5, 202},        {283, 5, 202}, {284, 3, 1},   {296, 3, 2},
        // Premultiplied samples are associated alpha (1), straight ones
        // unassociated (2).
        {338, 3, buffer->colorspace == MODE_RGBA ? 2u : 1u},
    };
    std::uint8_t* at = header + 10;
    for (int i = 0; i < (withAlpha ? 15 : 14); ++i, at += 12) {
        putLE(at, entries[i].tag, 2);
        putLE(at + 2, entries[i].type, 2);
        putLE(at + 4, entries[i].tag == 258 ? samples : 1, 4);
        putLE(at + 8, entries[i].value, 4);
    }
    if (!withAlpha) {
        // The 14-entry directory ends at 178; the bytes after it as they
        // have always been written.
        static const std::uint8_t filler[8] = {1, 0, 0, 0, 1, 0, 0, 0};
        std::memcpy(header + 182, filler, sizeof filler);
    }
    for (int i = 0; i < 4; ++i)
        putLE(header + 194 + 2 * i, 8, 2);
    putLE(header + 202, 72, 4);
    putLE(header + 206, 1, 4);
    if (!putBytes(file, header, sizeof header))
        return 0;
    return writeRows(file, buffer->u.RGBA.rgba, buffer->u.RGBA.stride, w * samples, h);
}

int WriteDecodedAlphaPlane(FILE* file, const WebPDecBuffer* buffer)
{
    if (!DecodedBufferSuitsFormat(buffer, DecodedImageAlphaPlane))
        return 0;
    const WebPYUVABuffer& p = buffer->u.YUVA;
    if (std::fprintf(file, "P5\n%d %d\n255\n", buffer->width, buffer->height) < 0)
        return 0;
    return writeRows(file, p.a, p.a_stride, buffer->width, buffer->height);
}

int SaveDecodedImage(const WebPDecBuffer* buffer, int format, const char* path)
{
    if (!path)
        return 0;
    const bool toStdout = std::strcmp(path, "-") == 0;
    if (format < DecodedImagePNG || format > DecodedImageAlphaPlane
        || !DecodedBufferSuitsFormat(buffer, format)) {
        std::fprintf(stderr, "Error writing %s: the image cannot be written in format %d\n",
                     toStdout ? "to stdout" : path, format);
        return 0;
    }
    char* temp = nullptr;
    FILE* file = toStdout ? stdout : openBeside(path, &temp);
    if (!file) {
        std::fprintf(stderr, "Error opening output file %s\n", path);
        return 0;
    }
    bool ok = writeFormat(file, buffer, format) != 0;
    if (toStdout) {
        ok = std::fflush(stdout) == 0 && ok;
    } else {
        ok = std::fclose(file) == 0 && ok;
        ok = ok && std::rename(temp, path) == 0;
        if (!ok)
            unlink(temp);
        std::free(temp);
    }
    if (!ok) {
        if (toStdout)
            std::fprintf(stderr, "Error writing to stdout !!\n");
        else
            std::fprintf(stderr, "Error writing file %s !!\n", path);
        return 0;
    }
    if (toStdout)
        std::fprintf(stderr, "Saved to stdout\n");
    else
        std::fprintf(stderr, "Saved file %s\n", path);
    return 1;
}
