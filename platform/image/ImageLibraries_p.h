#pragma once
// Start-up and shared helpers of the image libraries, private to the image
// area: libvips, ImageMagick and Exiv2 are initialised once, from any thread.
#include <QLoggingCategory>
#include <QString>

#include <vips/vips8>

namespace platform::image {

Q_DECLARE_LOGGING_CATEGORY(lcImage)

// Initialises the libraries on first use; false when libvips cannot start.
bool ensureImageLibraries();

// The message libvips left for the last failure, cleared afterwards.
QString takeVipsError();

// Pixels per millimetre for a resolution in dots per inch, and back.
inline constexpr double kMillimetresPerInch = 25.4;

// A resolution as the layer reports it: a missing, non-finite or nonsensical
// value counts as 72 dpi. Libraries report "unknown" as 0 or as their own
// default of one pixel per millimetre (25.4 dpi); below one dot per inch or
// above a million nothing real is described.
double sensibleResolution(double dpi);

// libvips keeps pixels per millimetre: back to dots per inch, rounded to a
// thousandth so that 144 dpi stays 144 after the trip.
double dpiOfVipsResolution(double pixelsPerMillimetre);

} // namespace platform::image
