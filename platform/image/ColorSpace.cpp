#include "platform/image/ColorSpace.h"

#include "platform/image/IccProfiles_p.h"

#include <algorithm>
#include <cmath>

namespace platform::image {

namespace {

// Determinants this close to zero leave no usable primaries.
constexpr double kSingularDeterminant = 1e-9;

bool finite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool validWhitePoint(const std::array<double, 3>& w)
{
    return finite({w[0], w[1], w[2]}) && w[0] > 0 && w[1] > 0 && w[2] > 0;
}

bool validBlackPoint(const std::array<double, 3>& b) { return finite({b[0], b[1], b[2]}); }

bool validGamma(double gamma) { return std::isfinite(gamma) && gamma > 0; }

bool usableMatrix(const std::array<double, 9>& m)
{
    if (!std::all_of(m.begin(), m.end(), [](double v) { return std::isfinite(v); }))
        return false;
    const double determinant
        = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (std::fabs(determinant) < kSingularDeterminant)
        return false;
    // Each primary needs a chromaticity: X + Y + Z must not vanish.
    for (int row = 0; row < 3; ++row)
        if (std::fabs(m[3 * row] + m[3 * row + 1] + m[3 * row + 2]) < kSingularDeterminant)
            return false;
    return true;
}

std::vector<double> unitRanges(int components)
{
    std::vector<double> ranges;
    for (int i = 0; i < components; ++i) {
        ranges.push_back(0);
        ranges.push_back(1);
    }
    return ranges;
}

} // namespace

ColorSpace::ColorSpace(ColorModel model, int components)
    : m_model(model), m_components(components), m_ranges(unitRanges(components))
{
}

ColorSpaceRef ColorSpace::deviceGray()
{
    static const ColorSpaceRef space(new ColorSpace(ColorModel::Gray, 1));
    return space;
}

ColorSpaceRef ColorSpace::deviceRGB()
{
    static const ColorSpaceRef space(new ColorSpace(ColorModel::RGB, 3));
    return space;
}

ColorSpaceRef ColorSpace::deviceCMYK()
{
    static const ColorSpaceRef space(new ColorSpace(ColorModel::CMYK, 4));
    return space;
}

ColorSpaceRef ColorSpace::iccBased(int components, const std::vector<double>& ranges, const QByteArray& profile)
{
    const std::optional<IccProfileFacts> facts = readIccProfile(profile);
    if (!facts || facts->components != components)
        return nullptr;
    std::shared_ptr<ColorSpace> space(new ColorSpace(facts->model, components));
    space->m_profile = profile;
    for (std::size_t i = 0; i < space->m_ranges.size() && i < ranges.size(); ++i)
        space->m_ranges[i] = ranges[i];
    return space;
}

ColorSpaceRef ColorSpace::withICCProfile(const QByteArray& profile)
{
    const std::optional<IccProfileFacts> facts = readIccProfile(profile);
    if (!facts)
        return nullptr;
    return iccBased(facts->components, {}, profile);
}

ColorSpaceRef ColorSpace::calibratedGray(const std::array<double, 3>& whitePoint,
                                         const std::array<double, 3>& blackPoint, double gamma)
{
    if (!validWhitePoint(whitePoint) || !validBlackPoint(blackPoint) || !validGamma(gamma))
        return nullptr;
    std::shared_ptr<ColorSpace> space(new ColorSpace(ColorModel::Gray, 1));
    space->m_profile = makeGrayProfile(whitePoint, gamma);
    if (space->m_profile.isEmpty())
        return nullptr;
    space->m_whitePoint = whitePoint;
    space->m_blackPoint = blackPoint;
    return space;
}

ColorSpaceRef ColorSpace::calibratedRGB(const std::array<double, 3>& whitePoint,
                                        const std::array<double, 3>& blackPoint, const std::array<double, 3>& gamma,
                                        const std::array<double, 9>& matrix)
{
    if (!validWhitePoint(whitePoint) || !validBlackPoint(blackPoint) || !validGamma(gamma[0]) || !validGamma(gamma[1])
        || !validGamma(gamma[2]) || !usableMatrix(matrix))
        return nullptr;
    std::shared_ptr<ColorSpace> space(new ColorSpace(ColorModel::RGB, 3));
    space->m_profile = makeRgbProfile(whitePoint, gamma, matrix);
    if (space->m_profile.isEmpty())
        return nullptr;
    space->m_whitePoint = whitePoint;
    space->m_blackPoint = blackPoint;
    return space;
}

ColorSpaceRef ColorSpace::lab(const std::array<double, 3>& whitePoint, const std::array<double, 3>& blackPoint,
                              const std::array<double, 4>& range)
{
    if (!validWhitePoint(whitePoint) || !validBlackPoint(blackPoint)
        || !finite({range[0], range[1], range[2], range[3]}))
        return nullptr;
    std::shared_ptr<ColorSpace> space(new ColorSpace(ColorModel::Lab, 3));
    space->m_profile = makeLabProfile(whitePoint);
    if (space->m_profile.isEmpty())
        return nullptr;
    space->m_whitePoint = whitePoint;
    space->m_blackPoint = blackPoint;
    // L* always runs from 0 to 100.
    space->m_ranges = {0, 100, range[0], range[1], range[2], range[3]};
    return space;
}

ColorSpaceRef ColorSpace::indexed(const ColorSpaceRef& base, int highestIndex, const QByteArray& table)
{
    if (!base || base->model() == ColorModel::Indexed)
        return nullptr;
    std::shared_ptr<ColorSpace> space(new ColorSpace(ColorModel::Indexed, 1));
    space->m_base = base;
    space->m_highestIndex = std::clamp(highestIndex, 0, kMaxIndex);
    space->m_ranges = {0, double(space->m_highestIndex)};
    const qsizetype tableBytes = qsizetype(space->m_highestIndex + 1) * base->componentCount();
    space->m_table = table.left(tableBytes);
    if (space->m_table.size() < tableBytes)
        space->m_table.append(tableBytes - space->m_table.size(), '\0');
    return space;
}

} // namespace platform::image
