#pragma once
// Decoding of WebP data through the WebP library: into an uncompressed TIFF
// file (the road by which WebP files are opened), into the caller's
// configuration, and the image size alone. Answers 0 or a negative code.
#include <webp/decode.h>

#include <cstddef>
#include <cstdint>

inline constexpr int kWebPConfigFailed = -233;   // no decoder configuration
inline constexpr int kWebPFeaturesFailed = -234; // the data's features cannot be read
inline constexpr int kWebPDecodeFailed = -235;   // the image did not decode
inline constexpr int kWebPWriteFailed = -236;    // the TIFF file could not be written

// Decodes data with config (initialised by the caller) and writes the image
// as a TIFF file at tiffPath (nothing is written without a path). Alpha is
// kept premultiplied.
int DecodeWebPDataToTIFFFile(const std::uint8_t* data, std::size_t size, WebPDecoderConfig* config,
                             const char* tiffPath);

// Decodes data into config's output buffer as straight RGBA; the caller frees
// it with WebPFreeDecBuffer.
int DecodeWebPDataToRGBA(const std::uint8_t* data, std::size_t size, WebPDecoderConfig* config);

// The image's width and height from its header; nothing is decoded.
int GetWebPImageSize(const std::uint8_t* data, std::size_t size, int* width, int* height);
