#include "platform/image/ImageLibraries_p.h"

#include <Magick++.h>
#include <exiv2/exiv2.hpp>

#include <cmath>
#include <mutex>

namespace platform::image {

Q_LOGGING_CATEGORY(lcImage, "scribora.platform.image", QtWarningMsg)

namespace {

constexpr double kDefaultResolution = 72;
constexpr double kLowestResolution = 1;
constexpr double kHighestResolution = 1e6;
// libvips's own value for a file without a resolution: one pixel per millimetre.
constexpr double kLibraryDefaultResolution = 25.4;

bool g_started = false;

} // namespace

bool ensureImageLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_started = vips_init("scribora") == 0;
        if (g_started) {
            // Files are replaced in place by our own writes: a cached load
            // of a path could answer the old contents.
            vips_cache_set_max(0);
            vips_leak_set(FALSE);
        }
        Magick::InitializeMagick(nullptr);
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
    return g_started;
}

QString takeVipsError()
{
    const QString text = QString::fromUtf8(vips_error_buffer()).trimmed();
    vips_error_clear();
    return text;
}

double sensibleResolution(double dpi)
{
    if (!std::isfinite(dpi) || dpi < kLowestResolution || dpi > kHighestResolution
        || std::abs(dpi - kLibraryDefaultResolution) < 1e-9)
        return kDefaultResolution;
    return dpi;
}

double dpiOfVipsResolution(double pixelsPerMillimetre)
{
    return std::round(pixelsPerMillimetre * kMillimetresPerInch * 1000) / 1000;
}

} // namespace platform::image
