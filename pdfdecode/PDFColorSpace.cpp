#include "pdfdecode/PDFColorSpace.h"

#include "pdfdecode/PDFColorSpaceReading_p.h"

#include <algorithm>
#include <array>

using platform::image::ColorSpace;
using platform::pdf::PdfArray;
using platform::pdf::PdfDataFormat;
using platform::pdf::PdfDictionary;
using platform::pdf::PdfObject;
using platform::pdf::PdfObjectId;
using platform::pdf::PdfStream;

namespace {

// A lookup table holds 256 entries at most, of up to 32 tints each (DeviceN
// bases); more is no palette.
constexpr int64_t kMaxPaletteBytes = 1024 * 1024;

uint64_t componentsOf(const ColorSpaceRef& space) { return space ? uint64_t(space->componentCount()) : 0; }

// A base or alternate space: an array read as a colour space, a device name,
// or DeviceGray for anything else.
ColorSpaceRef nestedSpace(const PdfObject& object, PDFColorSpaceKind* kind, ColorSpaceReading& reading)
{
    if (const auto array = object.asArray()) {
        uint64_t ignored = 0;
        return ReadColorSpaceArray(*array, kind, &ignored, reading);
    }
    if (const auto name = object.asName())
        return CreateDeviceColorSpaceFromName(*name);
    return ColorSpace::deviceGray();
}

// Numbers of an array over a table's length; the rest of the array is ignored.
template <std::size_t N> void readTable(const std::optional<PdfArray>& array, std::array<double, N>& table)
{
    if (!array)
        return;
    for (std::size_t i = 0; i < N && int64_t(i) < array->count(); ++i)
        if (const auto number = array->numberAt(int64_t(i)))
            table[i] = *number;
}

ColorSpaceRef iccBased(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count)
{
    *kind = kPDFICCBased;
    *count = 0;
    const auto stream = array.streamAt(1);
    if (!stream)
        return nullptr;
    const PdfDictionary dictionary = stream->dictionary();
    const auto data = stream->copyData(kMaxICCProfileBytes);
    if (!data || data->format != PdfDataFormat::Raw)
        return nullptr;
    const int64_t n = dictionary.integer("N").value_or(0);
    // An alternate of another width would mis-size every row.
    ColorSpaceRef alternate;
    if (const auto name = dictionary.name("Alternate"))
        alternate = CreateDeviceColorSpaceFromName(*name);
    if (!alternate || int64_t(alternate->componentCount()) != n)
        alternate = n == 4 ? ColorSpace::deviceCMYK()
            : n == 3       ? ColorSpace::deviceRGB()
            : n == 1       ? ColorSpace::deviceGray()
                           : nullptr;
    if (!alternate)
        return nullptr;
    std::vector<double> ranges(std::size_t(2 * n), 0.0);
    for (std::size_t i = 1; i < ranges.size(); i += 2)
        ranges[i] = 1.0;
    if (const auto range = dictionary.array("Range"))
        for (std::size_t i = 0; i < ranges.size() && int64_t(i) < range->count(); ++i)
            ranges[i] = range->numberAt(int64_t(i)).value_or(0.0);
    ColorSpaceRef space = ColorSpace::iccBased(int(n), ranges, data->bytes);
    if (!space)
        space = alternate;
    *count = componentsOf(space);
    return space;
}

// The palette of an Indexed space over Separation or DeviceN, converted into
// the base's alternate space.
std::optional<QByteArray> convertedPalette(const PdfObject& base, PDFColorSpaceKind baseKind, const QByteArray& table,
                                           ColorSpaceReading& reading)
{
    const auto baseArray = base.asArray();
    if (!baseArray)
        return std::nullopt;
    const int inputs = baseKind == kPDFSeparation ? 1 : DeviceNColorantCount(*baseArray);
    if (inputs < 1)
        return std::nullopt;
    return ReadTintTable(*baseArray, table, inputs, reading);
}

ColorSpaceRef indexed(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count, ColorSpaceReading& reading)
{
    *kind = kPDFIndexed;
    *count = 1;
    PDFColorSpaceKind baseKind = kPDFColorSpaceUnknown;
    const PdfObject baseObject = array.object(1);
    const ColorSpaceRef base = nestedSpace(baseObject, &baseKind, reading);
    const int64_t highest = array.integerAt(2).value_or(0);
    QByteArray table;
    if (const auto stream = array.streamAt(3)) {
        const auto data = stream->copyData(kMaxPaletteBytes);
        if (data && data->format == PdfDataFormat::Raw)
            table = data->bytes;
    } else if (const auto string = array.stringAt(3)) {
        table = *string;
    }
    if (baseKind == kPDFSeparation || baseKind == kPDFDeviceN) {
        const std::optional<QByteArray> converted = convertedPalette(baseObject, baseKind, table, reading);
        if (!converted)
            return nullptr;
        table = *converted;
    }
    return ColorSpace::indexed(base, int(std::clamp<int64_t>(highest, 0, ColorSpace::kMaxIndex)), table);
}

template <typename Make>
ColorSpaceRef calibrated(const PdfArray& array, PDFColorSpaceKind family, uint64_t components,
                         const ColorSpaceRef& fallback, PDFColorSpaceKind* kind, uint64_t* count, Make make)
{
    *kind = family;
    *count = components;
    const auto dictionary = array.dictionaryAt(1);
    if (!dictionary || !dictionary->array("WhitePoint"))
        return fallback;
    std::array<double, 3> white{};
    std::array<double, 3> black{};
    readTable(dictionary->array("WhitePoint"), white);
    readTable(dictionary->array("BlackPoint"), black);
    const ColorSpaceRef space = make(*dictionary, white, black);
    return space ? space : fallback;
}

ColorSpaceRef calGray(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count)
{
    return calibrated(array, kPDFCalGray, 1, ColorSpace::deviceGray(), kind, count,
                      [](const PdfDictionary& d, const auto& white, const auto& black) {
                          return ColorSpace::calibratedGray(white, black, d.number("Gamma").value_or(1.0));
                      });
}

ColorSpaceRef calRGB(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count)
{
    return calibrated(array, kPDFCalRGB, 3, ColorSpace::deviceRGB(), kind, count,
                      [](const PdfDictionary& d, const auto& white, const auto& black) {
                          std::array<double, 3> gamma{1, 1, 1};
                          std::array<double, 9> matrix{1, 0, 0, 0, 1, 0, 0, 0, 1};
                          readTable(d.array("Gamma"), gamma);
                          readTable(d.array("Matrix"), matrix);
                          return ColorSpace::calibratedRGB(white, black, gamma, matrix);
                      });
}

ColorSpaceRef lab(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count)
{
    return calibrated(array, kPDFLab, 3, ColorSpace::deviceRGB(), kind, count,
                      [](const PdfDictionary& d, const auto& white, const auto& black) {
                          std::array<double, 4> range{-100, 100, -100, 100};
                          readTable(d.array("Range"), range);
                          return ColorSpace::lab(white, black, range);
                      });
}

ColorSpaceRef separationOrDeviceN(const PdfArray& array, PDFColorSpaceKind family, PDFColorSpaceKind* kind,
                                  uint64_t* count, ColorSpaceReading& reading)
{
    *kind = family;
    PDFColorSpaceKind alternateKind = kPDFColorSpaceUnknown;
    const ColorSpaceRef alternate = nestedSpace(array.object(2), &alternateKind, reading);
    *count = componentsOf(alternate);
    return alternate;
}

ColorSpaceRef dispatch(const PdfArray& array, const QByteArray& family, PDFColorSpaceKind* kind, uint64_t* count,
                       ColorSpaceReading& reading)
{
    if (family == "ICCBased")
        return iccBased(array, kind, count);
    if (family == "Indexed" || family == "I")
        return indexed(array, kind, count, reading);
    if (family == "CalRGB")
        return calRGB(array, kind, count);
    if (family == "CalGray")
        return calGray(array, kind, count);
    if (family == "Lab")
        return lab(array, kind, count);
    if (family == "Separation")
        return separationOrDeviceN(array, kPDFSeparation, kind, count, reading);
    if (family == "DeviceN")
        return separationOrDeviceN(array, kPDFDeviceN, kind, count, reading);
    return nullptr;
}

} // namespace

ColorSpaceRef ReadColorSpaceArray(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* count,
                                  ColorSpaceReading& reading)
{
    const auto family = array.nameAt(0);
    if (!family)
        return nullptr;
    const PdfObjectId id = array.id();
    if (reading.depth >= kMaxColorSpaceNesting || (id.isIndirect() && reading.open.count(id)))
        return nullptr;
    ++reading.depth;
    if (id.isIndirect())
        reading.open.insert(id);
    ColorSpaceRef space = dispatch(array, *family, kind, count, reading);
    --reading.depth;
    if (id.isIndirect())
        reading.open.erase(id);
    return space;
}

ColorSpaceRef CreateColorSpaceFromArray(const PdfArray& array, PDFColorSpaceKind* kind, uint64_t* componentCount)
{
    ColorSpaceReading reading;
    return ReadColorSpaceArray(array, kind, componentCount, reading);
}

ColorSpaceRef CreateDeviceColorSpaceFromName(const QByteArray& name)
{
    if (name == "DeviceRGB" || name == "RGB")
        return ColorSpace::deviceRGB();
    if (name == "DeviceCMYK" || name == "CMYK")
        return ColorSpace::deviceCMYK();
    if (name == "DeviceGray" || name == "G")
        return ColorSpace::deviceGray();
    return nullptr;
}

ColorSpaceRef CreateDeviceColorSpaceAndComponents(const QByteArray& name, uint64_t* componentCount)
{
    ColorSpaceRef space = CreateDeviceColorSpaceFromName(name);
    if (space)
        *componentCount = uint64_t(space->componentCount());
    return space;
}

ColorSpaceRef CreateDeviceColorSpaceForCode(PDFColorSpaceKind kind)
{
    switch (kind) {
    case kPDFDeviceGray:
        return ColorSpace::deviceGray();
    case kPDFDeviceRGB:
        return ColorSpace::deviceRGB();
    case kPDFDeviceCMYK:
        return ColorSpace::deviceCMYK();
    default:
        return nullptr;
    }
}

ColorSpaceRef CreateColorSpaceFromICCProfile(const std::optional<QByteArray>& profile)
{
    if (!profile)
        return nullptr;
    return ColorSpace::withICCProfile(*profile);
}
