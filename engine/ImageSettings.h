#pragma once
// Code sets and records of the image settings: colour mode, size unit, fit
// mode, page range and page size modes, and the resize options handed to the
// image converter and to the PDF pages job.
#include <cstdint>

enum ColorMode : std::int32_t {
    ColorModeKeep = 0,
    ColorModeRGB = 1,
    ColorModeCMYK = 2,
    ColorModeGray = 3,
};

enum SizeUnit : std::int32_t {
    SizeUnitPercent = 1,
    SizeUnitPixels = 2,
    SizeUnitInches = 3,
    SizeUnitCentimetres = 4,
    SizeUnitMillimetres = 5,
    SizeUnitPoints = 6,
};

// Any other value: with keep aspect ratio, scale by the one side given;
// without, stretch to the target.
enum FitMode : std::int32_t {
    FitModeFit = 2,
    FitModeCropAtSourceScale = 3, // without keep aspect ratio
    FitModeFill = 5,
    FitModeFillAndCrop = 6,
};

enum PageRangeMode : std::int32_t {
    PageRangeAll = 0,
    PageRangeSingle = 1,
    PageRangeFirstToLast = 2,
};

// 0: each page takes its image's size; 1: a fixed page, the resolution
// limited from the image fitted into the printable area; other values: a
// fixed page, the limit judged on the image's own resolution.
enum PageSizeMode : std::int32_t {
    PageSizeOfImage = 0,
    PageSizeFixedFitted = 1,
};

struct ResizeOptions {
    unsigned char keepAspectRatio = 0;
    std::uint8_t resize = 0;        // exactly 1 resizes; else only the resolution changes
    unsigned char allowEnlarging = 0;
    unsigned char sharpen = 0;
    std::int64_t resolution = 0;    // DPI for physical units; 0 or less: the source's own
    double width = 0;               // in unit
    double height = 0;
    std::int32_t unit = 0;          // SizeUnit
    std::int32_t fitMode = 0;       // FitMode
};
