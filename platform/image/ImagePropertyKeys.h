#pragma once
// Keys of the property dictionaries of image sources and destinations. Each
// key string is the constant's own name; a group's entries are named by the
// group's prefix and the tag's name ("kCGImagePropertyExifDateTimeOriginal").
#include <QLatin1StringView>

namespace platform::image::keys {

// Per image (numbers as int or double, flags as bool, names as QString).
inline constexpr QLatin1StringView kCGImagePropertyPixelWidth{"kCGImagePropertyPixelWidth"};
inline constexpr QLatin1StringView kCGImagePropertyPixelHeight{"kCGImagePropertyPixelHeight"};
inline constexpr QLatin1StringView kCGImagePropertyDPIWidth{"kCGImagePropertyDPIWidth"};
inline constexpr QLatin1StringView kCGImagePropertyDPIHeight{"kCGImagePropertyDPIHeight"};
inline constexpr QLatin1StringView kCGImagePropertyDepth{"kCGImagePropertyDepth"};
inline constexpr QLatin1StringView kCGImagePropertyOrientation{"kCGImagePropertyOrientation"};
inline constexpr QLatin1StringView kCGImagePropertyIsFloat{"kCGImagePropertyIsFloat"};
inline constexpr QLatin1StringView kCGImagePropertyHasAlpha{"kCGImagePropertyHasAlpha"};
// "Gray", "RGB" or "CMYK".
inline constexpr QLatin1StringView kCGImagePropertyColorModel{"kCGImagePropertyColorModel"};
inline constexpr QLatin1StringView kCGImagePropertyProfileName{"kCGImagePropertyProfileName"};

// Destination options.
inline constexpr QLatin1StringView kCGImageDestinationLossyCompressionQuality{
    "kCGImageDestinationLossyCompressionQuality"}; // 0 to 1

// Groups (QVariantMap values) and their entry prefixes.
inline constexpr QLatin1StringView kCGImagePropertyTIFFDictionary{"kCGImagePropertyTIFFDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyExifDictionary{"kCGImagePropertyExifDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyExifAuxDictionary{"kCGImagePropertyExifAuxDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyGPSDictionary{"kCGImagePropertyGPSDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyIPTCDictionary{"kCGImagePropertyIPTCDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyXMPDictionary{"kCGImagePropertyXMPDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyJFIFDictionary{"kCGImagePropertyJFIFDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyPNGDictionary{"kCGImagePropertyPNGDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyGIFDictionary{"kCGImagePropertyGIFDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyRawDictionary{"kCGImagePropertyRawDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyCIFFDictionary{"kCGImagePropertyCIFFDictionary"};
inline constexpr QLatin1StringView kCGImageProperty8BIMDictionary{"kCGImageProperty8BIMDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyDNGDictionary{"kCGImagePropertyDNGDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyMakerCanonDictionary{"kCGImagePropertyMakerCanonDictionary"};
inline constexpr QLatin1StringView kCGImagePropertyMakerNikonDictionary{"kCGImagePropertyMakerNikonDictionary"};

// Entries the layer reads or writes itself.
inline constexpr QLatin1StringView kCGImagePropertyTIFFCompression{"kCGImagePropertyTIFFCompression"};
inline constexpr QLatin1StringView kCGImagePropertyTIFFOrientation{"kCGImagePropertyTIFFOrientation"};
inline constexpr QLatin1StringView kCGImagePropertyTIFFXResolution{"kCGImagePropertyTIFFXResolution"};
inline constexpr QLatin1StringView kCGImagePropertyTIFFYResolution{"kCGImagePropertyTIFFYResolution"};
inline constexpr QLatin1StringView kCGImagePropertyTIFFResolutionUnit{"kCGImagePropertyTIFFResolutionUnit"};
inline constexpr QLatin1StringView kCGImagePropertyJFIFXDensity{"kCGImagePropertyJFIFXDensity"};
inline constexpr QLatin1StringView kCGImagePropertyJFIFYDensity{"kCGImagePropertyJFIFYDensity"};
inline constexpr QLatin1StringView kCGImagePropertyJFIFDensityUnit{"kCGImagePropertyJFIFDensityUnit"};
inline constexpr QLatin1StringView kCGImagePropertyJFIFVersion{"kCGImagePropertyJFIFVersion"};
inline constexpr QLatin1StringView kCGImagePropertyPNGXPixelsPerMeter{"kCGImagePropertyPNGXPixelsPerMeter"};
inline constexpr QLatin1StringView kCGImagePropertyPNGYPixelsPerMeter{"kCGImagePropertyPNGYPixelsPerMeter"};
inline constexpr QLatin1StringView kCGImagePropertyPNGInterlaceType{"kCGImagePropertyPNGInterlaceType"};
inline constexpr QLatin1StringView kCGImagePropertyGIFLoopCount{"kCGImagePropertyGIFLoopCount"};
inline constexpr QLatin1StringView kCGImagePropertyGIFDelayTime{"kCGImagePropertyGIFDelayTime"};
inline constexpr QLatin1StringView kCGImagePropertyGIFHasGlobalColorMap{"kCGImagePropertyGIFHasGlobalColorMap"};

} // namespace platform::image::keys
