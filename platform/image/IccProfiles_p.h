#pragma once
// ICC profiles through lcms2: what a profile describes, and profiles made
// for the CIE-based spaces (calibrated gray and RGB, Lab).
#include "platform/image/ColorSpace.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace platform::image {

struct IccProfileFacts {
    ColorModel model;
    int components;
};

// The data colour space of a profile; none when lcms2 cannot read it or the
// space is not gray, RGB, CMYK or Lab.
std::optional<IccProfileFacts> readIccProfile(const QByteArray& profile);

// Empty when lcms2 cannot build the profile.
QByteArray makeGrayProfile(const std::array<double, 3>& whitePoint, double gamma);
QByteArray makeRgbProfile(const std::array<double, 3>& whitePoint, const std::array<double, 3>& gamma,
                          const std::array<double, 9>& matrix);
QByteArray makeLabProfile(const std::array<double, 3>& whitePoint);

} // namespace platform::image
