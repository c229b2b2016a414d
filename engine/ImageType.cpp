#include "engine/ImageType.h"

#include "platform/PropertyList.h"
#include "platform/image/BitmapFileType.h"
#include "platform/uti/TypeIdentifier.h"

#include <QMutex>

namespace BitmapFileType = platform::image::BitmapFileType;

namespace {

// clang-format off
const ImageTypeProperties kProperties[kLastImageType + 1] = {
    {"public.jpeg",                     false, false, false, BitmapFileType::JPEG}, // 0 none
    {"com.adobe.photoshop-image",       true,  false, false, BitmapFileType::JPEG}, // 1
    {"com.compuserve.gif",              true,  true,  true,  BitmapFileType::GIF},  // 2
    {"public.jpeg-2000",                false, true,  true,  BitmapFileType::JPEG2000}, // 3
    {"public.jpeg",                     true,  true,  false, BitmapFileType::JPEG}, // 4
    {"com.ilm.openexr-image",           false, false, false, BitmapFileType::JPEG}, // 5
    {"com.apple.icns",                  false, false, false, BitmapFileType::JPEG}, // 6
    {"public.png",                      true,  true,  true,  BitmapFileType::PNG},  // 7
    {"com.adobe.pdf",                   false, false, false, BitmapFileType::JPEG}, // 8
    {"com.truevision.tga-image",        false, false, false, BitmapFileType::JPEG}, // 9
    {"public.tiff",                     true,  true,  true,  BitmapFileType::TIFF}, // 10
    {"com.microsoft.bmp",               false, true,  false, BitmapFileType::BMP},  // 11
    {"com.sgi.sgi-image",               false, false, false, BitmapFileType::JPEG}, // 12
    {"public.tiff",                     true,  true,  false, BitmapFileType::TIFF}, // 13 CMYK
    {"com.apple.pict",                  false, false, false, BitmapFileType::JPEG}, // 14
    {"com.adobe.illustrator.ai-image",  false, false, false, BitmapFileType::JPEG}, // 15
    {"com.apple.macpaint-image",        false, false, false, BitmapFileType::JPEG}, // 16
    {"com.apple.quicktime-image",       false, false, false, BitmapFileType::JPEG}, // 17
    {"com.microsoft.ico",               false, false, false, BitmapFileType::JPEG}, // 18
    {"public.xbitmap-image",            false, false, false, BitmapFileType::JPEG}, // 19
    {"com.kodak.flashpix.image",        false, false, false, BitmapFileType::JPEG}, // 20
    {"public.fax",                      false, false, false, BitmapFileType::JPEG}, // 21
    {"public.camera-raw-image",         false, false, false, BitmapFileType::JPEG}, // 22
    {"public.tiff",                     false, false, false, BitmapFileType::TIFF}, // 23 multi-page
    {"public.jpeg",                     false, false, false, BitmapFileType::JPEG}, // 24 WebP
};

struct UTICode {
    const char* uti;
    std::int32_t type;
};

// Everyday formats first: with commonOnly the search stops after them.
const UTICode kCommonTypes[] = {
    {"public.jpeg", 4}, {"public.tiff", 10}, {"public.png", 7}, {"com.compuserve.gif", 2},
    {"public.jpeg-2000", 3}, {"com.microsoft.bmp", 11}, {"com.adobe.photoshop-image", 1},
    {"com.ilm.openexr-image", 5}, {"com.truevision.tga-image", 9}, {"com.apple.icns", 6},
};
const UTICode kOtherTypes[] = {
    {"com.sgi.sgi-image", 12}, {"public.camera-raw-image", 22}, {"com.apple.pict", 14},
    {"com.apple.macpaint-image", 16}, {"public.xbitmap-image", 19},
    {"com.apple.quicktime-image", 17}, {"public.fax", 21}, {"com.kodak.flashpix.image", 20},
    {"com.adobe.illustrator.ai-image", 15}, {"com.microsoft.ico", 18},
};
// clang-format on

QMutex g_extensionLock;
std::optional<QStringList> g_extensionsForTesting;

QStringList resourceExtensions()
{
    static const QStringList list = [] {
        QStringList out;
        const auto value = platform::readPropertyListFile(QStringLiteral(":/ImageExtension.plist"));
        if (value)
            for (const QVariant& item : value->toList())
                out << item.toString();
        return out;
    }();
    return list;
}

} // namespace

const ImageTypeProperties& PropertiesOfImageType(std::int32_t type)
{
    return kProperties[type >= 0 && type <= kLastImageType ? type : 0];
}

std::int32_t ImageTypeFromUTI(const QString& uti, bool commonOnly)
{
    if (uti.isEmpty())
        return 0;
    for (const UTICode& entry : kCommonTypes)
        if (uti == QLatin1StringView(entry.uti))
            return entry.type;
    if (commonOnly)
        return 0;
    for (const UTICode& entry : kOtherTypes)
        if (uti == QLatin1StringView(entry.uti))
            return entry.type;
    return 0;
}

std::int32_t ImageTypeOfURL(const QUrl& url)
{
    if (!url.isLocalFile())
        return 0;
    return ImageTypeFromUTI(platform::uti::typeOfFile(url.toLocalFile()), true);
}

QString ImageExtensionForType(std::int32_t type)
{
    QStringList list;
    {
        QMutexLocker lock(&g_extensionLock);
        list = g_extensionsForTesting ? *g_extensionsForTesting : resourceExtensions();
    }
    return type >= 0 && type < list.size() ? list.at(type) : QString();
}

void SetImageExtensionListForTesting(std::optional<QStringList> list)
{
    QMutexLocker lock(&g_extensionLock);
    g_extensionsForTesting = std::move(list);
}
