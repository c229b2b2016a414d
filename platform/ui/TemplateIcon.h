#pragma once
// Template images: monochrome SVG drawings used only as a shape, painted in
// the palette's text colour of the moment, so that they suit light and dark
// themes and show the disabled state the way the theme does.
#include <QIcon>
#include <QString>

namespace platform::ui {

// An icon drawn from the SVG file (a resource path such as ":/icons/Add.svg");
// a null icon when the file is missing or is no SVG drawing.
QIcon templateIcon(const QString& svgPath);

} // namespace platform::ui
