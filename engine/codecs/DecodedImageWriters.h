#pragma once
// Writers of an image decoded by the WebP library: PNG, PAM, PPM, PGM of the
// planes, BMP, TIFF, raw YUV and the alpha plane. Messages go to the
// standard error stream; the writers answer 1 when written and 0 on failure.
#include <webp/decode.h>

#include <cstdio>

enum DecodedImageFormat : int {
    DecodedImagePNG = 0,
    DecodedImagePAM = 1,
    DecodedImagePPM = 2,
    DecodedImagePGM = 3,
    DecodedImageBMP = 4,
    DecodedImageTIFF = 5,
    DecodedImageYUV = 6,
    DecodedImageAlphaPlane = 7,
};

// Writes buffer in format at path ("-" for the standard output). A file is
// written beside its final name and moved there only when complete; an
// unknown format or a buffer in a mode the format cannot take is refused
// before anything is opened.
int SaveDecodedImage(const WebPDecBuffer* buffer, int format, const char* path);

// The single writers, on an open file. The buffer's pixel mode must suit the
// format (checked) and its memory must hold every row it claims.
int WriteDecodedPNG(FILE* file, const WebPDecBuffer* buffer);
int WriteDecodedPPM(FILE* file, const WebPDecBuffer* buffer, int alpha);
int WriteDecodedPGM(FILE* file, const WebPDecBuffer* buffer);
int WriteDecodedYUV(FILE* file, const WebPDecBuffer* buffer);
int WriteDecodedBMP(FILE* file, const WebPDecBuffer* buffer);
int WriteDecodedTIFF(FILE* file, const WebPDecBuffer* buffer);
int WriteDecodedAlphaPlane(FILE* file, const WebPDecBuffer* buffer);

// True when buffer's mode is one format takes and its memory holds its rows.
bool DecodedBufferSuitsFormat(const WebPDecBuffer* buffer, int format);
