#include "engine/codecs/WebPDecoder.h"

#include "engine/codecs/DecodedImageWriters.h"

#include <cstdio>

namespace {

// Reads the features into config's input; writes the animation notice.
bool readFeatures(const std::uint8_t* data, std::size_t size, WebPDecoderConfig* config)
{
    if (!data || !config || WebPGetFeatures(data, size, &config->input) != VP8_STATUS_OK)
        return false;
    if (config->input.has_animation)
        std::fprintf(stderr, "Error! Decoding of an animated WebP file is not supported.\n"
                             "       Use webpmux to extract the individual frames or\n"
                             "       vwebp to view this image.\n");
    return true;
}

} // namespace

int DecodeWebPDataToTIFFFile(const std::uint8_t* data, std::size_t size, WebPDecoderConfig* config,
                             const char* tiffPath)
{
    if (!readFeatures(data, size, config))
        return kWebPFeaturesFailed;
    config->output.colorspace = config->input.has_alpha ? MODE_rgbA : MODE_RGB;
    int result = 0;
    if (WebPDecode(data, size, config) != VP8_STATUS_OK)
        result = kWebPDecodeFailed;
    else if (tiffPath && !SaveDecodedImage(&config->output, DecodedImageTIFF, tiffPath))
        result = kWebPWriteFailed;
    WebPFreeDecBuffer(&config->output);
    return result;
}

int DecodeWebPDataToRGBA(const std::uint8_t* data, std::size_t size, WebPDecoderConfig* config)
{
    if (!readFeatures(data, size, config))
        return kWebPFeaturesFailed;
    config->output.colorspace = MODE_RGBA;
    return WebPDecode(data, size, config) == VP8_STATUS_OK ? 0 : kWebPDecodeFailed;
}

int GetWebPImageSize(const std::uint8_t* data, std::size_t size, int* width, int* height)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return kWebPConfigFailed;
    if (!data || WebPGetFeatures(data, size, &config.input) != VP8_STATUS_OK)
        return kWebPFeaturesFailed;
    if (width)
        *width = config.input.width;
    if (height)
        *height = config.input.height;
    return 0;
}
