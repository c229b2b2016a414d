#include "platform/text/word/WordTables_p.h"

#include "platform/text/DocumentXml_p.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

// Lines are at most 12 points wide (96 eighths).
constexpr double kMaxLinePoints = 12;
constexpr int kMaxBandSize = 1000;

std::optional<double> twipsAttr(const QXmlStreamReader& xml, QLatin1StringView name)
{
    bool ok = false;
    const double v = attr(xml, name).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return std::clamp(v / 20.0, -kMaxLengthPoints, kMaxLengthPoints);
}

QTextFrameFormat::BorderStyle borderStyle(QStringView kind)
{
    if (kind == u"dotted")
        return QTextFrameFormat::BorderStyle_Dotted;
    if (kind.startsWith(u"dash") || kind == u"dotDash" || kind == u"dotDotDash")
        return QTextFrameFormat::BorderStyle_Dashed;
    if (kind == u"double" || kind.startsWith(u"thinThick") || kind.startsWith(u"thickThin"))
        return QTextFrameFormat::BorderStyle_Double;
    if (kind == u"inset")
        return QTextFrameFormat::BorderStyle_Inset;
    if (kind == u"outset")
        return QTextFrameFormat::BorderStyle_Outset;
    return QTextFrameFormat::BorderStyle_Solid;
}

std::optional<TableRegion> regionNamed(QStringView name)
{
    static const QHash<QString, TableRegion> regions = {
        {"wholeTable", TableRegion::WholeTable},   {"band1Vert", TableRegion::OddColumnBand},
        {"band2Vert", TableRegion::EvenColumnBand}, {"band1Horz", TableRegion::OddRowBand},
        {"band2Horz", TableRegion::EvenRowBand},   {"firstCol", TableRegion::FirstColumn},
        {"lastCol", TableRegion::LastColumn},      {"firstRow", TableRegion::FirstRow},
        {"lastRow", TableRegion::LastRow},         {"neCell", TableRegion::TopRightCell},
        {"nwCell", TableRegion::TopLeftCell},      {"seCell", TableRegion::BottomRightCell},
        {"swCell", TableRegion::BottomLeftCell},
    };
    const auto it = regions.constFind(name.toString());
    if (it == regions.constEnd())
        return std::nullopt;
    return *it;
}

// tblLook: attributes, or the older bit field in "val".
void readTableLookFlags(const QXmlStreamReader& xml, TableLook& look)
{
    const auto flag = [&](const char* name, bool fallback) {
        const QStringView v = attr(xml, QLatin1StringView(name));
        return v.isEmpty() ? fallback : (v == u"1" || v == u"true" || v == u"on");
    };
    bool ok = false;
    const uint bits = attr(xml, QLatin1StringView("val")).toUInt(&ok, 16);
    const uint given = ok ? bits : 0;
    look.firstRow = flag("firstRow", given & 0x0020);
    look.lastRow = flag("lastRow", given & 0x0040);
    look.firstColumn = flag("firstColumn", given & 0x0080);
    look.lastColumn = flag("lastColumn", given & 0x0100);
    look.rowBands = !flag("noHBand", given & 0x0200);
    look.columnBands = !flag("noVBand", given & 0x0400);
}

void readCellMargins(QXmlStreamReader& xml, std::array<double, 4>& padding)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const std::optional<double> w = twipsAttr(xml, QLatin1StringView("w"));
        const int edge = n == u"top"                      ? EdgeTop
                         : n == u"bottom"                 ? EdgeBottom
                         : n == u"left" || n == u"start"  ? EdgeLeft
                         : n == u"right" || n == u"end"   ? EdgeRight
                                                          : -1;
        if (edge >= 0 && w)
            padding[edge] = std::clamp(*w, 0.0, kMaxCellPaddingPoints);
        xml.skipCurrentElement();
    }
}

} // namespace

BorderLine readWordBorder(const QXmlStreamReader& xml)
{
    BorderLine line;
    const QStringView kind = attr(xml, QLatin1StringView("val"));
    if (kind.isEmpty() || kind == u"nil" || kind == u"none")
        return line;
    bool ok = false;
    const double eighths = attr(xml, QLatin1StringView("sz")).toDouble(&ok);
    // Word draws a line of no given width at its thinnest, a quarter point.
    line.width = ok && std::isfinite(eighths) ? std::clamp(eighths / 8.0, 0.25, kMaxLinePoints) : 0.5;
    line.style = borderStyle(kind);
    const QStringView color = attr(xml, QLatin1StringView("color"));
    if (color.size() == 6) {
        const QColor c(QLatin1Char('#') + color.toString());
        if (c.isValid())
            line.color = c;
    }
    return line;
}

std::optional<QColor> readWordShading(const QXmlStreamReader& xml)
{
    const QStringView pattern = attr(xml, QLatin1StringView("val"));
    // A solid pattern shows the pattern's colour, others the fill.
    QStringView value = attr(xml, pattern == u"solid" ? QLatin1StringView("color") : QLatin1StringView("fill"));
    if (value.size() != 6 || pattern == u"nil")
        return std::nullopt;
    const QColor c(QLatin1Char('#') + value.toString());
    if (!c.isValid())
        return std::nullopt;
    return c;
}

void readWordBorders(QXmlStreamReader& xml, CellLook& look)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const BorderLine line = readWordBorder(xml);
        if (n == u"top")
            look.borders[EdgeTop] = line;
        else if (n == u"bottom")
            look.borders[EdgeBottom] = line;
        else if (n == u"left" || n == u"start")
            look.borders[EdgeLeft] = line;
        else if (n == u"right" || n == u"end")
            look.borders[EdgeRight] = line;
        else if (n == u"insideH")
            look.insideHorizontal = line;
        else if (n == u"insideV")
            look.insideVertical = line;
        xml.skipCurrentElement();
    }
}

void readWordTableProperties(QXmlStreamReader& xml, WordTableProperties& p)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QStringView val = attr(xml, QLatin1StringView("val"));
        if (n == u"tblStyle") {
            p.styleId = val.toString();
        } else if (n == u"tblBorders") {
            readWordBorders(xml, p.look.whole);
            continue;
        } else if (n == u"shd") {
            if (const auto c = readWordShading(xml))
                p.look.whole.shading = c;
        } else if (n == u"tblCellMar") {
            readCellMargins(xml, p.look.padding);
            p.hasPadding = true;
            continue;
        } else if (n == u"jc") {
            p.look.alignment = val == u"center"                  ? Qt::AlignHCenter
                               : val == u"right" || val == u"end" ? Qt::AlignRight
                                                                  : Qt::AlignLeft;
            p.hasAlignment = true;
        } else if (n == u"tblInd") {
            p.look.indent = twipsAttr(xml, QLatin1StringView("w")).value_or(0);
            p.hasIndent = true;
        } else if (n == u"tblLook") {
            readTableLookFlags(xml, p.look);
        } else if (n == u"tblStyleRowBandSize" || n == u"tblStyleColBandSize") {
            const int size = std::clamp(val.toInt(), 1, kMaxBandSize);
            (n == u"tblStyleRowBandSize" ? p.look.rowBandSize : p.look.columnBandSize) = size;
            p.hasBandSizes = true;
        }
        xml.skipCurrentElement();
    }
}

void readWordCellProperties(QXmlStreamReader& xml, WordCellProperties& p)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QStringView val = attr(xml, QLatin1StringView("val"));
        if (n == u"gridSpan") {
            p.span = std::clamp(val.toInt(), 1, 64);
        } else if (n == u"vMerge" || n == u"vmerge") {
            p.continuesMerge = val != u"restart";
        } else if (n == u"tcBorders") {
            readWordBorders(xml, p.look);
            continue;
        } else if (n == u"shd") {
            if (const auto c = readWordShading(xml))
                p.look.shading = c;
        } else if (n == u"vAlign") {
            p.look.verticalAlignment = val == u"center" ? QTextCharFormat::AlignMiddle
                                       : val == u"bottom" ? QTextCharFormat::AlignBottom
                                                          : QTextCharFormat::AlignTop;
        }
        xml.skipCurrentElement();
    }
}

WordTableStyle readWordTableStyle(QXmlStreamReader& xml, const WordPropertyReaders& readers)
{
    WordTableStyle style;
    // The parts of a style, or of one of its regions, into a look.
    const auto readPart = [&](QXmlStreamReader& x, CellLook& look, WordTableProperties* table) {
        const QStringView n = x.name();
        if (n == u"pPr") {
            readers.paragraph(x, look.block);
        } else if (n == u"rPr") {
            readers.run(x, look.chars);
        } else if (n == u"tcPr") {
            WordCellProperties cell;
            readWordCellProperties(x, cell);
            look.merge(cell.look);
        } else if (n == u"tblPr") {
            WordTableProperties properties;
            readWordTableProperties(x, properties);
            look.merge(properties.look.whole);
            if (table)
                *table = properties;
        } else {
            return false;
        }
        return true;
    };
    CellLook whole;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"basedOn") {
            style.parent = attr(xml, QLatin1StringView("val")).toString();
            xml.skipCurrentElement();
        } else if (n == u"tblStylePr") {
            const std::optional<TableRegion> region = regionNamed(attr(xml, QLatin1StringView("type")));
            CellLook look;
            while (xml.readNextStartElement())
                if (!readPart(xml, look, nullptr))
                    xml.skipCurrentElement();
            if (region)
                style.regions[*region].merge(look);
        } else if (!readPart(xml, whole, &style.properties)) {
            xml.skipCurrentElement();
        }
    }
    // The style's own borders and shading are the table's; its paragraph and
    // run properties hold for every cell.
    style.properties.look.whole.merge(whole);
    CellLook text;
    text.block = whole.block;
    text.chars = whole.chars;
    style.regions[TableRegion::WholeTable].merge(text);
    return style;
}

TableLook resolveWordTableLook(const WordTableProperties& own,
                               const std::function<const WordTableStyle*(const QString&)>& findStyle)
{
    TableLook look;
    const auto chain = styleChain(own.styleId, findStyle);
    const auto lay = [&](const WordTableProperties& p) {
        look.whole.merge(p.look.whole);
        if (p.hasPadding)
            look.padding = p.look.padding;
        if (p.hasAlignment)
            look.alignment = p.look.alignment;
        if (p.hasIndent)
            look.indent = p.look.indent;
        if (p.hasBandSizes) {
            look.rowBandSize = p.look.rowBandSize;
            look.columnBandSize = p.look.columnBandSize;
        }
    };
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        const WordTableStyle& style = **it;
        lay(style.properties);
        for (auto region = style.regions.cbegin(); region != style.regions.cend(); ++region)
            look.regions[region.key()].merge(region.value());
    }
    lay(own);
    look.firstRow = own.look.firstRow;
    look.lastRow = own.look.lastRow;
    look.firstColumn = own.look.firstColumn;
    look.lastColumn = own.look.lastColumn;
    look.rowBands = own.look.rowBands;
    look.columnBands = own.look.columnBands;
    return look;
}

} // namespace platform::text
