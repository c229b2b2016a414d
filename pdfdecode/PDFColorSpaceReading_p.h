#pragma once
// Private to the colour-space files: one reading of a colour space, carried
// through nested spaces and the tint tables of Indexed palettes, so that
// nesting stays bounded and a space reached again through itself ends.
#include "pdfdecode/PDFColorSpace.h"

#include <set>

struct ColorSpaceReading {
    int depth = 0;
    std::set<platform::pdf::PdfObjectId> open;
};

ColorSpaceRef ReadColorSpaceArray(const platform::pdf::PdfArray& array, PDFColorSpaceKind* kind,
                                  uint64_t* componentCount, ColorSpaceReading& reading);

// The colourants of a DeviceN array (1 when element 1 is no array); 0 when
// the list is empty or longer than a function takes inputs.
int DeviceNColorantCount(const platform::pdf::PdfArray& colorSpace);

// inputsPerSample: 1 for Separation, the colourant count for DeviceN.
std::optional<QByteArray> ReadTintTable(const platform::pdf::PdfArray& colorSpace, const QByteArray& tints,
                                        int inputsPerSample, ColorSpaceReading& reading);
