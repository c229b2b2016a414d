// The WebP decode adapter and the TIFF writer behind it fed arbitrary bytes.
#include "engine/codecs/WebPDecoder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

namespace {

QByteArray g_tiffPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The writers' messages would drown the fuzzer's own: run with
    // -close_fd_mask=2.
    g_tiffPath = QFile::encodeName(QDir::tempPath()) + "/fuzz-webp-" + QByteArray::number(getpid()) + ".tif";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int width = 0, height = 0;
    GetWebPImageSize(data, size, &width, &height);
    // The fuzzer's memory is short: frames of more than 4 megapixels are
    // left to the tests.
    if (qint64(width) * height > (qint64(1) << 22))
        return 0;
    WebPDecoderConfig config;
    if (WebPInitDecoderConfig(&config))
        DecodeWebPDataToTIFFFile(data, size, &config, g_tiffPath.constData());
    unlink(g_tiffPath.constData());
    return 0;
}
