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

// A double line's inner line, the space and its outer line, as
// border-line-width gives them ("0.79pt 0.68pt 0.79pt").
void setDoubleWidths(BorderLine& line, QStringView value)
{
    if (line.style != QTextFrameFormat::BorderStyle_Double)
        return;
    const QList<QStringView> parts = value.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return;
    const auto inner = lengthPoints(parts[0]), space = lengthPoints(parts[1]), outer = lengthPoints(parts[2]);
    if (!inner || !space || !outer || !(*inner + *outer > 0) || *space < 0)
        return;
    line.width = std::clamp((*inner + *outer) / 2, 0.0, kMaxLinePoints);
    line.spacing = std::clamp(*space, 0.0, kMaxLinePoints);
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
    // The width is the double line's whole: two lines and the space between.
    if (line.style == QTextFrameFormat::BorderStyle_Double)
        line.width /= 3;
    return line;
}

void readOdfBorders(const QXmlStreamReader& xml, std::array<std::optional<BorderLine>, 4>& borders)
{
    static const char* const names[4][2] = {{"border-top", "border-line-width-top"},
                                            {"border-left", "border-line-width-left"},
                                            {"border-bottom", "border-line-width-bottom"},
                                            {"border-right", "border-line-width-right"}};
    const std::optional<BorderLine> all = odfBorder(attr(xml, QLatin1StringView("border")));
    const QStringView allWidths = attr(xml, QLatin1StringView("border-line-width"));
    for (int edge = 0; edge < 4; ++edge) {
        std::optional<BorderLine> line = odfBorder(attr(xml, QLatin1StringView(names[edge][0])));
        if (!line)
            line = all;
        if (!line)
            continue;
        const QStringView widths = attr(xml, QLatin1StringView(names[edge][1]));
        setDoubleWidths(*line, widths.isEmpty() ? allWidths : widths);
        borders[edge] = line;
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
