#pragma once
// Image format codes of the engine, their type identifiers, the per-code
// encoder properties and the extension list kept among the resources.
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <optional>

// Output and input image formats. 0 is no recognised format; as an output
// type it stands for the source's own type.
enum ImageType : std::int32_t {
    ImageTypeNone = 0,
    ImageTypePhotoshop = 1,
    ImageTypeGIF = 2,
    ImageTypeJPEG2000 = 3,
    ImageTypeJPEG = 4,
    ImageTypeOpenEXR = 5,
    ImageTypeICNS = 6,
    ImageTypePNG = 7,
    ImageTypePDF = 8,
    ImageTypeTGA = 9,
    ImageTypeTIFF = 10,
    ImageTypeBMP = 11,
    ImageTypeSGI = 12,
    ImageTypeCMYKTIFF = 13,
    ImageTypePICT = 14,
    ImageTypeIllustrator = 15,
    ImageTypeMacPaint = 16,
    ImageTypeQuickTime = 17,
    ImageTypeICO = 18,
    ImageTypeXBM = 19,
    ImageTypeFlashPix = 20,
    ImageTypeFax = 21,
    ImageTypeCameraRaw = 22,
    ImageTypeMultiPageTIFF = 23,
    ImageTypeWebP = 24,
};

inline constexpr std::int32_t kLastImageType = ImageTypeWebP;

// The encoder properties of one code.
struct ImageTypeProperties {
    const char* outputUTI;  // identifier an image of this code is encoded under
    bool metadata;          // the source's metadata may be copied in
    bool bitmapRep;         // the bitmap representation can write it
    bool alpha;             // keeps an alpha channel
    int bitmapFileType;     // platform::image::BitmapFileType used by the bitmap representation
};

// The properties of a code; codes outside 0 to 24 answer those of 0.
const ImageTypeProperties& PropertiesOfImageType(std::int32_t type);

// The code of a type identifier, by exact comparison; with commonOnly only
// the everyday formats are recognised. An empty identifier gives 0.
std::int32_t ImageTypeFromUTI(const QString& uti, bool commonOnly);
// The code of a file by its type identifier, everyday formats only.
std::int32_t ImageTypeOfURL(const QUrl& url);

// The file-name extension (without the dot) of a code from the resource
// "ImageExtension"; empty without the resource or beyond its end.
QString ImageExtensionForType(std::int32_t type);
// Replaces the extension list (tests); nullopt goes back to the resource.
void SetImageExtensionListForTesting(std::optional<QStringList> list);
