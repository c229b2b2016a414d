#pragma once
// Paper sizes of the page-size popup and the units of the unit popup.
#include <cstdint>

// Units of the page setup, the tags of the unit popup's items.
enum PageSizeUnit : std::int32_t {
    PageSizeUnitInch = 3,
    PageSizeUnitCentimetre = 4,
    PageSizeUnitMillimetre = 5,
    PageSizeUnitPoint = 6,
};

// A page and its margins, in millimetres.
struct PageSize {
    double width;
    double height;
    double left;
    double top;
    double right;
    double bottom;
};

// The size of a built-in item of the page-size popup (2 to 15); any other
// item gives no page (width and height 0) with the default margins.
PageSize BuiltInPageSize(int item);

// Points per unit; -1 for a code that names no unit. The lengths are the
// single-precision values saved sizes were made with (an inch of 71.882
// points, not 72; a millimetre of 2.83, not 2.835), kept to the last bit so
// that a stored size converts to the same points as it always did.
double PointsPerUnit(std::int32_t unit);
