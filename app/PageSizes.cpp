#include "app/PageSizes.h"

#include <iterator>

namespace {

constexpr double kSide = 27.2;
constexpr double kTop = 25.4;
constexpr double kBottom = 25.4;
// Letter-like sizes leave more room at the bottom.
constexpr double kTallBottom = 31.7;

constexpr int kFirstBuiltInItem = 2;

constexpr PageSize kBuiltIn[] = {
    {297, 420, kSide, kTop, kSide, kBottom},      // A3
    {210, 297, kSide, kTop, kSide, kTallBottom},  // A4
    {148, 210, kSide, kTop, kSide, kBottom},      // A5
    {176, 250, kSide, kTop, kSide, kBottom},      // B5
    {105, 241, kSide, kTop, kSide, kTallBottom},  // envelope #10
    {120, 235, kSide, kTop, kSide, kBottom},      // envelope Chou 3
    {110, 220, kSide, kTop, kSide, kBottom},      // envelope DL
    {182, 257, kSide, kTop, kSide, kBottom},      // JIS B5
    {197, 273, kSide, kTop, kSide, kBottom},      // 16K
    {330, 483, kSide, kTop, kSide, kBottom},      // 13 x 19 in
    {279, 432, kSide, kTop, kSide, kBottom},      // tabloid
    {305, 457, kSide, kTop, kSide, kBottom},      // 12 x 18 in
    {216, 356, kSide, kTop, kSide, kTallBottom},  // US legal
    {216, 279, kSide, kTop, kSide, kTallBottom},  // US letter
};

} // namespace

PageSize BuiltInPageSize(int item)
{
    const int index = item - kFirstBuiltInItem;
    if (index < 0 || index >= int(std::size(kBuiltIn)))
        return {0, 0, kSide, kTop, kSide, kBottom};
    return kBuiltIn[index];
}

double PointsPerUnit(std::int32_t unit)
{
    switch (unit) {
    case PageSizeUnitInch:
        return 71.88199615478516;
    case PageSizeUnitCentimetre:
        return 28.299999237060547;
    case PageSizeUnitMillimetre:
        return 2.8299999237060547;
    case PageSizeUnitPoint:
        return 1.0;
    default:
        return -1.0;
    }
}
