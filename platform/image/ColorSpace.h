#pragma once
// Colour spaces of image data: gray, RGB, CMYK, CIE Lab or indexed, with the
// number of components a pixel carries, an ICC profile when the space is
// tagged (ICC-based and calibrated spaces; device spaces are untagged, so
// CMYK stays CMYK), the decode ranges of its components and, for an indexed
// space, its base space and colour table. Values are immutable and shared.
#include <QByteArray>

#include <array>
#include <memory>
#include <vector>

namespace platform::image {

enum class ColorModel { Gray, RGB, CMYK, Lab, Indexed };

class ColorSpace;
using ColorSpaceRef = std::shared_ptr<const ColorSpace>;

class ColorSpace {
public:
    // The largest index of an indexed space: its entries are bytes.
    static constexpr int kMaxIndex = 255;

    static ColorSpaceRef deviceGray();
    static ColorSpaceRef deviceRGB();
    static ColorSpaceRef deviceCMYK();

    // A space tagged with profile: null unless the profile can be read and
    // describes gray, RGB, CMYK or Lab data of components components (1, 3
    // or 4). ranges: a minimum and maximum per component (0 to 1 when short).
    static ColorSpaceRef iccBased(int components, const std::vector<double>& ranges, const QByteArray& profile);
    // The same with the profile's own component count.
    static ColorSpaceRef withICCProfile(const QByteArray& profile);

    // CIE-based spaces, described by profiles made for them. Null when the
    // white point is not positive, a gamma not positive or the matrix
    // singular; the black point is kept as given.
    static ColorSpaceRef calibratedGray(const std::array<double, 3>& whitePoint,
                                        const std::array<double, 3>& blackPoint, double gamma);
    static ColorSpaceRef calibratedRGB(const std::array<double, 3>& whitePoint, const std::array<double, 3>& blackPoint,
                                       const std::array<double, 3>& gamma, const std::array<double, 9>& matrix);
    // range: a* minimum and maximum, then b*.
    static ColorSpaceRef lab(const std::array<double, 3>& whitePoint, const std::array<double, 3>& blackPoint,
                             const std::array<double, 4>& range);

    // An indexed space over base (which must not be indexed itself):
    // highestIndex is clamped to 0..kMaxIndex and the table cut or padded
    // with zeros to (highestIndex + 1) entries of the base's components.
    static ColorSpaceRef indexed(const ColorSpaceRef& base, int highestIndex, const QByteArray& table);

    ColorModel model() const { return m_model; }
    int componentCount() const { return m_components; }
    // Empty for untagged (device) spaces.
    const QByteArray& iccProfile() const { return m_profile; }
    // A minimum and maximum per component.
    const std::vector<double>& ranges() const { return m_ranges; }
    // CIE-based spaces: the white and black point (XYZ) they were made with.
    const std::array<double, 3>& whitePoint() const { return m_whitePoint; }
    const std::array<double, 3>& blackPoint() const { return m_blackPoint; }

    // Indexed spaces only.
    const ColorSpaceRef& base() const { return m_base; }
    int highestIndex() const { return m_highestIndex; }
    const QByteArray& colorTable() const { return m_table; }

private:
    ColorSpace(ColorModel model, int components);

    ColorModel m_model;
    int m_components;
    QByteArray m_profile;
    std::vector<double> m_ranges;
    std::array<double, 3> m_whitePoint{};
    std::array<double, 3> m_blackPoint{};
    ColorSpaceRef m_base;
    int m_highestIndex = 0;
    QByteArray m_table;
};

} // namespace platform::image
