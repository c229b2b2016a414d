#pragma once
// What the text system assumes where a document says nothing: the font of
// plain and rich text, and the resolution of layout units.
#include <QFont>
#include <QString>

namespace platform::text {

// The family of text that names no font.
QString defaultFontFamily();

// Plain text and RTF without a font of their own: Helvetica 12.
QFont defaultTextFont();

// Dots per inch of a document's layout units until it is laid out on a
// device: the default resolution, which a new image has.
double defaultLayoutDpi();

// Layout units of the default resolution per point.
double layoutUnitsPerPoint();

} // namespace platform::text
