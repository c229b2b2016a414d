#include "platform/text/odf/OdfFrameLines_p.h"

#include "platform/text/DocumentXml_p.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace platform::text {

namespace {

// Lines past this width are damage.
constexpr double kMaxLinePoints = 12;
// A stroke of no width is a hairline, the finest line the output device
// draws; on paper half a point stands in for it.
constexpr double kHairlinePoints = 0.5;

std::optional<QColor> colorOf(QStringView value)
{
    if (!value.startsWith(u'#'))
        return std::nullopt;
    const QColor color(value.toString());
    return color.isValid() ? std::optional(color) : std::nullopt;
}

template <typename T>
void mergeValue(std::optional<T>& value, const std::optional<T>& over)
{
    if (over)
        value = over;
}

} // namespace

std::optional<BorderLine> odfBorder(QStringView value)
{
    if (value.trimmed().isEmpty())
        return std::nullopt;
    BorderLine line{kTextBoxLinePoints, QTextFrameFormat::BorderStyle_Solid, Qt::black};
    for (QStringView token : value.split(u' ', Qt::SkipEmptyParts)) {
        if (token == u"none" || token == u"hidden")
            return BorderLine();
        if (const auto color = colorOf(token))
            line.color = *color;
        else if (const auto width = lengthPoints(token))
            line.width = std::clamp(*width, 0.0, kMaxLinePoints);
        else if (token == u"dotted")
            line.style = QTextFrameFormat::BorderStyle_Dotted;
        else if (token == u"dashed")
            line.style = QTextFrameFormat::BorderStyle_Dashed;
        else if (token == u"double")
            line.style = QTextFrameFormat::BorderStyle_Double;
    }
    return line;
}

void readOdfBorders(const QXmlStreamReader& xml, std::array<std::optional<BorderLine>, 4>& borders)
{
    const std::optional<BorderLine> all = odfBorder(attr(xml, QLatin1StringView("border")));
    const char* const edges[4] = {"border-top", "border-left", "border-bottom", "border-right"};
    for (int edge = 0; edge < 4; ++edge) {
        const std::optional<BorderLine> own = odfBorder(attr(xml, QLatin1StringView(edges[edge])));
        if (own || all)
            borders[edge] = own ? own : all;
    }
}

void FrameLines::read(const QXmlStreamReader& xml)
{
    readOdfBorders(xml, borders);
    const QStringView kind = attr(xml, QLatin1StringView("stroke"));
    if (kind == u"none")
        stroke = QTextFrameFormat::BorderStyle_None;
    else if (kind == u"dash")
        stroke = QTextFrameFormat::BorderStyle_Dashed;
    else if (kind == u"solid")
        stroke = QTextFrameFormat::BorderStyle_Solid;
    if (const auto width = lengthPoints(attr(xml, QLatin1StringView("stroke-width"))))
        strokeWidth = std::clamp(*width, 0.0, kMaxLinePoints);
    mergeValue(strokeColor, colorOf(attr(xml, QLatin1StringView("stroke-color"))));
}

void FrameLines::merge(const FrameLines& over)
{
    for (int edge = 0; edge < 4; ++edge)
        mergeValue(borders[edge], over.borders[edge]);
    mergeValue(stroke, over.stroke);
    mergeValue(strokeWidth, over.strokeWidth);
    mergeValue(strokeColor, over.strokeColor);
}

BoxLines FrameLines::lines(bool shape) const
{
    const bool bordered = std::any_of(borders.begin(), borders.end(), [](const auto& edge) { return edge.has_value(); });
    const bool stroked = stroke || strokeWidth || strokeColor;
    if (bordered && !(shape && stroked)) {
        BoxLines lines;
        for (int edge = 0; edge < 4; ++edge)
            lines[edge] = borders[edge].value_or(BorderLine());
        return lines;
    }
    if (!stroked)
        return textBoxLines(true);
    if (stroke == QTextFrameFormat::BorderStyle_None)
        return textBoxLines(false);
    const double width = strokeWidth.value_or(0);
    const BorderLine line{width > 0 ? width : kHairlinePoints, stroke.value_or(QTextFrameFormat::BorderStyle_Solid),
                          strokeColor.value_or(QColor(Qt::black))};
    return {line, line, line, line};
}

} // namespace platform::text
