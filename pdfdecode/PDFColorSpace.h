#pragma once
// PDF colour spaces to image colour spaces: the family of a colour-space
// array, the number of components a pixel in it carries, and the tint tables
// that turn Separation and DeviceN samples into their alternate space by the
// space's tint transform. Nested arrays are followed to a bounded depth and a
// space that contains itself ends as no space.
#include "platform/image/ColorSpace.h"
#include "platform/pdf/PdfObject.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

// The family of a colour space, in the PDF standard's order (9 is unused).
enum PDFColorSpaceKind : int32_t {
    kPDFColorSpaceUnknown = 0,
    kPDFDeviceGray = 1,
    kPDFDeviceRGB = 2,
    kPDFDeviceCMYK = 3,
    kPDFCalGray = 4,
    kPDFCalRGB = 5,
    kPDFLab = 6,
    kPDFICCBased = 7,
    kPDFIndexed = 8,
    kPDFSeparation = 10,
    kPDFDeviceN = 11,
};

using platform::image::ColorSpaceRef;

// Colour spaces nested in each other (Indexed over Separation over an
// ICC-based space) go three levels deep in real files.
constexpr int kMaxColorSpaceNesting = 8;
// ICC profiles above this are no image's.
constexpr int64_t kMaxICCProfileBytes = 16 * 1024 * 1024;

// The space of a colour-space array. kind and componentCount are written as
// the family says, and not at all when element 0 names no family.
ColorSpaceRef CreateColorSpaceFromArray(const platform::pdf::PdfArray& array, PDFColorSpaceKind* kind,
                                        uint64_t* componentCount);

// DeviceGray, DeviceRGB or DeviceCMYK by name (also G, RGB, CMYK); null otherwise.
ColorSpaceRef CreateDeviceColorSpaceFromName(const QByteArray& name);
// The same with its component count; the count is untouched for any other name.
ColorSpaceRef CreateDeviceColorSpaceAndComponents(const QByteArray& name, uint64_t* componentCount);
// kPDFDeviceGray, kPDFDeviceRGB or kPDFDeviceCMYK; null for any other kind.
ColorSpaceRef CreateDeviceColorSpaceForCode(PDFColorSpaceKind kind);
ColorSpaceRef CreateColorSpaceFromICCProfile(const std::optional<QByteArray>& profile);

// Tint samples (one byte each for Separation, one per colourant for DeviceN)
// as alternate-space bytes, one per output of the tint transform. None when
// the transform cannot be read or its outputs do not fit the alternate space.
std::optional<QByteArray> CreateSeparationTintTable(const platform::pdf::PdfArray& colorSpace, const QByteArray& tints);
std::optional<QByteArray> CreateDeviceNTintTable(const platform::pdf::PdfArray& colorSpace, const QByteArray& tints);
