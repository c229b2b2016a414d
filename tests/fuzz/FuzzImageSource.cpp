// The image source fed arbitrary bytes: every decoder behind it (libvips's
// own, ImageMagick's coders, Qt's ICNS reader) and our header parsing.
#include "platform/image/ImageSource.h"

#include "tests/fuzz/FuzzApplication.h"

#include <cstdint>

namespace {

// Small frames only: a fuzzer's memory is short, and the limit itself is
// what the run checks.
constexpr qint64 kFuzzPixelLimit = qint64(1) << 22;
constexpr int kFramesDecoded = 4;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto source = platform::image::ImageSource::fromData(bytes, {kFuzzPixelLimit});
    if (!source)
        return 0;
    for (int i = 0; i < source->count() && i < kFramesDecoded; ++i) {
        source->properties(i);
        const platform::image::Bitmap frame = source->image(i);
        if (!frame.isNull())
            frame.toQImage();
    }
    return 0;
}
