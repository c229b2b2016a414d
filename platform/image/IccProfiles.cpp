#include "platform/image/IccProfiles_p.h"

#include <QLoggingCategory>

#include <lcms2.h>

#include <limits>

namespace platform::image {

namespace {

// Quiet unless asked for: QT_LOGGING_RULES="scribora.*=true".
Q_LOGGING_CATEGORY(lcColor, "scribora.platform.image", QtWarningMsg)

// Larger profiles exist (device links with big tables) but are no image's.
constexpr qsizetype kMaxProfileBytes = 64 * 1024 * 1024;

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct CurveFreer {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveFreer>;

QByteArray save(const Profile& profile)
{
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0)
        return {};
    QByteArray bytes(qsizetype(size), '\0');
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size))
        return {};
    bytes.truncate(qsizetype(size));
    return bytes;
}

cmsCIExyY chromaticity(double x, double y, double z)
{
    const cmsCIEXYZ xyz{x, y, z};
    cmsCIExyY xyY;
    cmsXYZ2xyY(&xyY, &xyz);
    xyY.Y = 1.0;
    return xyY;
}

} // namespace

std::optional<IccProfileFacts> readIccProfile(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxProfileBytes)
        return std::nullopt;
    const Profile profile(cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size())));
    if (!profile) {
        qCDebug(lcColor) << "ICC profile not readable," << bytes.size() << "bytes";
        return std::nullopt;
    }
    switch (cmsGetColorSpace(profile.get())) {
    case cmsSigGrayData:
        return IccProfileFacts{ColorModel::Gray, 1};
    case cmsSigRgbData:
        return IccProfileFacts{ColorModel::RGB, 3};
    case cmsSigCmykData:
        return IccProfileFacts{ColorModel::CMYK, 4};
    case cmsSigLabData:
        return IccProfileFacts{ColorModel::Lab, 3};
    default:
        qCDebug(lcColor) << "ICC profile of an unsupported colour space refused";
        return std::nullopt;
    }
}

QByteArray makeGrayProfile(const std::array<double, 3>& whitePoint, double gamma)
{
    const cmsCIExyY white = chromaticity(whitePoint[0], whitePoint[1], whitePoint[2]);
    const Curve curve(cmsBuildGamma(nullptr, gamma));
    if (!curve)
        return {};
    return save(Profile(cmsCreateGrayProfile(&white, curve.get())));
}

QByteArray makeRgbProfile(const std::array<double, 3>& whitePoint, const std::array<double, 3>& gamma,
                          const std::array<double, 9>& matrix)
{
    // The matrix's rows are the XYZ of the red, green and blue primaries.
    const cmsCIExyY white = chromaticity(whitePoint[0], whitePoint[1], whitePoint[2]);
    const cmsCIExyYTRIPLE primaries{chromaticity(matrix[0], matrix[1], matrix[2]),
                                    chromaticity(matrix[3], matrix[4], matrix[5]),
                                    chromaticity(matrix[6], matrix[7], matrix[8])};
    const Curve red(cmsBuildGamma(nullptr, gamma[0]));
    const Curve green(cmsBuildGamma(nullptr, gamma[1]));
    const Curve blue(cmsBuildGamma(nullptr, gamma[2]));
    if (!red || !green || !blue)
        return {};
    cmsToneCurve* curves[3] = {red.get(), green.get(), blue.get()};
    return save(Profile(cmsCreateRGBProfile(&white, &primaries, curves)));
}

QByteArray makeLabProfile(const std::array<double, 3>& whitePoint)
{
    const cmsCIExyY white = chromaticity(whitePoint[0], whitePoint[1], whitePoint[2]);
    return save(Profile(cmsCreateLab4Profile(&white)));
}

} // namespace platform::image
