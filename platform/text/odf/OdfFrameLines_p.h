#pragma once
// The lines of OpenDocument borders, and those around a frame or shape as
// its graphic style gives them: a frame draws its borders (fo:border,
// fo:border-top...), a shape its stroke (draw:stroke, svg:stroke-width,
// svg:stroke-color), each attribute inherited from the parent style.
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TableLook.h"

#include <QColor>
#include <QStringView>

#include <array>
#include <optional>

class QXmlStreamReader;

namespace platform::text {

// A border ("0.5pt solid #000000", "none"); none when the value is empty.
std::optional<BorderLine> odfBorder(QStringView value);
// The borders an element's fo:border and fo:border-top... attributes set.
void readOdfBorders(const QXmlStreamReader& xml, std::array<std::optional<BorderLine>, 4>& borders);

struct FrameLines {
    std::array<std::optional<BorderLine>, 4> borders; // by Edge
    // draw:stroke: BorderStyle_None for "none", else the kind of line.
    std::optional<QTextFrameFormat::BorderStyle> stroke;
    std::optional<double> strokeWidth; // points
    std::optional<QColor> strokeColor;

    // Reads the attributes of a graphic-properties element.
    void read(const QXmlStreamReader& xml);
    // What over sets overrides these.
    void merge(const FrameLines& over);
    // The lines drawn around a frame: its borders where any is set, else
    // its stroke where anything of it is, else a text box's default line.
    // Around a shape the stroke comes first.
    BoxLines lines(bool shape) const;
};

} // namespace platform::text
