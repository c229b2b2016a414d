#include "platform/text/word/WordprocessingParser_p.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/FontFamilies.h"
#include "platform/text/LinearMath_p.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/SymbolFonts.h"
#include "platform/text/word/WordDiagram_p.h"

#include <QColor>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

constexpr double kEmuPerPoint = 12700.0;
constexpr double kMaxFontPoints = 1638;
constexpr int kMaxTwips = 31680 * 20; // 22 inches

// Namespace prefixes of the markup compatibility choices whose content is
// read; a choice requiring others gives way to its fallback.
bool understood(QStringView required)
{
    static const QSet<QString> known = {
        QStringLiteral("wps"), QStringLiteral("wpg"), QStringLiteral("wpc"), QStringLiteral("wp14"),
        QStringLiteral("w14"), QStringLiteral("w15"), QStringLiteral("w16"), QStringLiteral("w16se"),
        QStringLiteral("w16cid"), QStringLiteral("w16cex"), QStringLiteral("v"), QStringLiteral("o"),
        QStringLiteral("w10"), QStringLiteral("m"), QStringLiteral("a14"), QStringLiteral("pic"),
    };
    const QList<QStringView> prefixes = required.split(u' ', Qt::SkipEmptyParts);
    return !prefixes.isEmpty()
           && std::all_of(prefixes.begin(), prefixes.end(), [](QStringView p) { return known.contains(p.toString()); });
}

// A VML length in a shape's style ("width:120pt;height:1in").
double vmlStyleLength(const QXmlStreamReader& xml, QStringView name)
{
    for (QStringView item : attr(xml, QLatin1StringView("style")).split(u';')) {
        const qsizetype colon = item.indexOf(u':');
        if (colon >= 0 && item.left(colon).trimmed() == name)
            return lengthPoints(item.mid(colon + 1)).value_or(0);
    }
    return 0;
}

int intAttr(const QXmlStreamReader& xml, QLatin1StringView name, int fallback = 0)
{
    bool ok = false;
    const double v = attr(xml, name).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return fallback;
    return int(std::clamp(v, -double(kMaxTwips), double(kMaxTwips)));
}

std::optional<QColor> hexColor(QStringView value)
{
    if (value.size() != 6)
        return std::nullopt;
    const QColor color(QLatin1Char('#') + value.toString());
    if (!color.isValid())
        return std::nullopt;
    return color;
}

std::optional<QColor> highlightColor(QStringView name)
{
    static const QHash<QString, QColor> colors = {
        {"yellow", QColor(255, 255, 0)},    {"green", QColor(0, 255, 0)},
        {"cyan", QColor(0, 255, 255)},      {"magenta", QColor(255, 0, 255)},
        {"blue", QColor(0, 0, 255)},        {"red", QColor(255, 0, 0)},
        {"darkBlue", QColor(0, 0, 128)},    {"darkCyan", QColor(0, 128, 128)},
        {"darkGreen", QColor(0, 128, 0)},   {"darkMagenta", QColor(128, 0, 128)},
        {"darkRed", QColor(128, 0, 0)},     {"darkYellow", QColor(128, 128, 0)},
        {"darkGray", QColor(128, 128, 128)}, {"lightGray", QColor(192, 192, 192)},
        {"black", QColor(0, 0, 0)},         {"white", QColor(255, 255, 255)},
    };
    const auto it = colors.constFind(name.toString());
    if (it == colors.constEnd())
        return std::nullopt;
    return *it;
}

// Heading levels of the built-in styles that carry no outline level.
int headingLevelOfStyleId(const QString& id)
{
    static const QRegularExpression heading(QStringLiteral("^[Hh]eading ?([1-9])$"));
    const QRegularExpressionMatch m = heading.match(id);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// Where an anchored shape lies along one axis: at an offset from the page's
// edge or the margin's; none for other references and for alignments.
struct AxisPlace {
    double offset = 0;
    bool fromMargin = false;
};

std::optional<AxisPlace> readAxisPlace(QXmlStreamReader& xml)
{
    const QStringView from = attr(xml, QLatin1StringView("relativeFrom"));
    const bool margin = from == u"margin";
    const bool known = margin || from == u"page";
    std::optional<double> offset;
    bool other = false;
    walkElement(xml, [&](QXmlStreamReader& x) {
        if (x.name() != u"posOffset") {
            other = true;
            return false;
        }
        bool ok = false;
        const double emu = x.readElementText().trimmed().toDouble(&ok);
        if (ok && std::abs(emu / kEmuPerPoint) <= kMaxLengthPoints)
            offset = emu / kEmuPerPoint;
        return true;
    });
    if (!known || other || !offset)
        return std::nullopt;
    return AxisPlace{*offset, margin};
}

// How an anchored shape lies: the text flows over it (no wrapping) and it
// stands at offsets of its own, or otherwise.
struct ShapeAnchor {
    bool anchored = false;
    bool simplePosition = false; // placed by wp:simplePos, which is not read
    bool wrapNone = false;
    std::optional<AxisPlace> horizontal, vertical;

    std::optional<PagePlacement> placement(QSizeF size) const
    {
        if (!anchored || simplePosition || !wrapNone || !horizontal || !vertical || !(size.width() >= 0)
            || !(size.height() >= 0) || size.width() > kMaxLengthPoints || size.height() > kMaxLengthPoints)
            return std::nullopt;
        return PagePlacement{QPointF(horizontal->offset, vertical->offset), horizontal->fromMargin,
                             vertical->fromMargin, size};
    }
};

} // namespace

bool onOff(const QXmlStreamReader& xml, QLatin1StringView name)
{
    const QStringView v = attr(xml, name);
    return !(v == u"0" || v == u"false" || v == u"off" || v == u"none");
}

WordprocessingParser::WordprocessingParser(RichTextBuilder& builder, PartName partName, PartReader readPart)
    : m_builder(builder), m_partName(std::move(partName)), m_readPart(std::move(readPart))
{
}

WordprocessingParser::~WordprocessingParser() = default;

void WordprocessingParser::readRunProperties(QXmlStreamReader& xml, QTextCharFormat& f, QString* styleId)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QStringView val = attr(xml, QLatin1StringView("val"));
        if (n == u"rStyle") {
            if (styleId)
                *styleId = val.toString();
        } else if (n == u"b") {
            f.setFontWeight(onOff(xml) ? QFont::Bold : QFont::Normal);
        } else if (n == u"i") {
            f.setFontItalic(onOff(xml));
        } else if (n == u"u") {
            f.setFontUnderline(!val.isEmpty() && val != u"none");
        } else if (n == u"strike" || n == u"dstrike") {
            f.setFontStrikeOut(onOff(xml));
        } else if (n == u"color") {
            if (const auto c = hexColor(val))
                f.setForeground(*c);
        } else if (n == u"highlight") {
            if (const auto c = highlightColor(val))
                f.setBackground(*c);
        } else if (n == u"shd") {
            if (const auto c = hexColor(attr(xml, QLatin1StringView("fill"))))
                f.setBackground(*c);
        } else if (n == u"sz") {
            bool ok = false;
            const double half = val.toDouble(&ok);
            if (ok && half >= 2 && half <= 2 * kMaxFontPoints)
                f.setFontPointSize(half / 2);
        } else if (n == u"rFonts") {
            // A theme font, where named, wins over the family beside it.
            QString family;
            for (const char* name : {"asciiTheme", "hAnsiTheme", "ascii", "hAnsi", "h-ansi"}) {
                const QStringView value = attr(xml, QLatin1StringView(name));
                family = QLatin1StringView(name).endsWith(QLatin1StringView("Theme")) ? m_theme.family(value)
                                                                                   : value.toString();
                if (!family.isEmpty())
                    break;
            }
            if (!family.isEmpty())
                f.setFontFamilies(documentFontFamilies(family));
        } else if (n == u"font") { // Word 2003 XML's resolved font
            if (!val.isEmpty() && !f.hasProperty(QTextFormat::FontFamilies))
                f.setFontFamilies(documentFontFamilies(val.toString()));
        } else if (n == u"vertAlign") {
            if (val == u"superscript")
                f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            else if (val == u"subscript")
                f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
            else
                f.setVerticalAlignment(QTextCharFormat::AlignNormal);
        } else if (n == u"caps") {
            f.setFontCapitalization(onOff(xml) ? QFont::AllUppercase : QFont::MixedCase);
        } else if (n == u"smallCaps") {
            f.setFontCapitalization(onOff(xml) ? QFont::SmallCaps : QFont::MixedCase);
        } else if (n == u"del") { // a deleted paragraph mark
            f.setProperty(kHiddenTextProperty, true);
        } else if (n == u"vanish") {
            f.setProperty(kHiddenTextProperty, onOff(xml));
        }
        xml.skipCurrentElement();
    }
}

void WordprocessingParser::readParagraphProperties(QXmlStreamReader& xml, Paragraph& p)
{
    QTextBlockFormat& f = p.block;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QStringView val = attr(xml, QLatin1StringView("val"));
        if (n == u"pStyle") {
            p.styleId = val.toString();
        } else if (n == u"jc") {
            if (val == u"center")
                f.setAlignment(Qt::AlignHCenter);
            else if (val == u"right" || val == u"end")
                f.setAlignment(Qt::AlignRight);
            else if (val == u"both" || val == u"distribute" || val == u"justify")
                f.setAlignment(Qt::AlignJustify);
            else
                f.setAlignment(Qt::AlignLeft);
        } else if (n == u"ind") {
            for (const char* name : {"left", "start"})
                if (hasAttr(xml, QLatin1StringView(name)))
                    f.setLeftMargin(m_builder.twips(intAttr(xml, QLatin1StringView(name))));
            for (const char* name : {"right", "end"})
                if (hasAttr(xml, QLatin1StringView(name)))
                    f.setRightMargin(m_builder.twips(intAttr(xml, QLatin1StringView(name))));
            if (hasAttr(xml, QLatin1StringView("firstLine")))
                f.setTextIndent(m_builder.twips(intAttr(xml, QLatin1StringView("firstLine"))));
            if (hasAttr(xml, QLatin1StringView("hanging")))
                f.setTextIndent(-m_builder.twips(intAttr(xml, QLatin1StringView("hanging"))));
        } else if (n == u"spacing") {
            if (hasAttr(xml, QLatin1StringView("before")))
                f.setTopMargin(m_builder.twips(std::max(0, intAttr(xml, QLatin1StringView("before")))));
            if (hasAttr(xml, QLatin1StringView("after")))
                f.setBottomMargin(m_builder.twips(std::max(0, intAttr(xml, QLatin1StringView("after")))));
            const int line = intAttr(xml, QLatin1StringView("line"));
            const QStringView rule = attr(xml, QLatin1StringView("lineRule"));
            if (line > 0) {
                if (rule == u"exact")
                    f.setLineHeight(m_builder.twips(line), QTextBlockFormat::FixedHeight);
                else if (rule == u"atLeast" || rule == u"at-least")
                    f.setLineHeight(m_builder.twips(line), QTextBlockFormat::MinimumHeight);
                else
                    f.setLineHeight(std::clamp(line * 100.0 / 240.0, 50.0, 1000.0),
                                    QTextBlockFormat::ProportionalHeight);
            }
        } else if (n == u"pBdr") {
            CellLook lines;
            readWordBorders(xml, lines);
            setParagraphBorders(f, lines.borders);
            continue;
        } else if (n == u"contextualSpacing") {
            f.setProperty(kContextualSpacingProperty, onOff(xml));
        } else if (n == u"pageBreakBefore") {
            // Off undoes the break a style this one is based on asks for.
            f.setPageBreakPolicy(onOff(xml) ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto);
        } else if (n == u"tabs") {
            readTabStops(xml, f, [&](const QXmlStreamReader& tab) {
                return std::optional(m_builder.twips(intAttr(tab, QLatin1StringView("pos"), -1)));
            });
            continue;
        } else if (n == u"numPr" || n == u"listPr") {
            while (xml.readNextStartElement()) {
                const QStringView v = attr(xml, QLatin1StringView("val"));
                if (xml.name() == u"ilvl") {
                    p.level = std::clamp(v.toInt(), 0, 8);
                    p.hasNumbering = true;
                } else if (xml.name() == u"numId" || xml.name() == u"ilfo") {
                    p.numId = v.toString();
                    p.hasNumbering = true;
                }
                xml.skipCurrentElement();
            }
            continue;
        } else if (n == u"outlineLvl") {
            const int level = val.toInt();
            if (level >= 0 && level < 9)
                f.setHeadingLevel(level + 1);
        } else if (n == u"shd") {
            if (const auto c = hexColor(attr(xml, QLatin1StringView("fill"))))
                f.setBackground(*c);
        } else if (n == u"rPr") {
            readRunProperties(xml, p.mark, nullptr);
            continue;
        } else if (n == u"sectPr") {
            p.section = captureElement(xml);
            continue;
        }
        xml.skipCurrentElement();
    }
}

void WordprocessingParser::readStylesElement(QXmlStreamReader& xml)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"docDefaults") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"rPrDefault" || xml.name() == u"pPrDefault") {
                    while (xml.readNextStartElement()) {
                        if (xml.name() == u"rPr") {
                            readRunProperties(xml, m_defaultChars, nullptr);
                        } else if (xml.name() == u"pPr") {
                            Paragraph p;
                            readParagraphProperties(xml, p);
                            m_defaultBlock = p.block;
                        } else {
                            xml.skipCurrentElement();
                        }
                    }
                } else {
                    xml.skipCurrentElement();
                }
            }
        } else if (n == u"style" && attr(xml, QLatin1StringView("type")) == u"table") {
            const QString id = attr(xml, QLatin1StringView("styleId")).toString();
            const WordNumbering::Readers readers = propertyReaders();
            const WordTableStyle style = readWordTableStyle(xml, {readers.paragraph, readers.run});
            if (!id.isEmpty())
                m_tableStyles.insert(id, style);
        } else if (n == u"style") {
            const QString type = attr(xml, QLatin1StringView("type")).toString();
            const QString id = attr(xml, QLatin1StringView("styleId")).toString();
            const QString isDefault = attr(xml, QLatin1StringView("default")).toString();
            Style style;
            while (xml.readNextStartElement()) {
                const QStringView c = xml.name();
                if (c == u"basedOn") {
                    style.parent = attr(xml, QLatin1StringView("val")).toString();
                    xml.skipCurrentElement();
                } else if (c == u"pPr") {
                    Paragraph p;
                    readParagraphProperties(xml, p);
                    style.block = p.block;
                    style.numId = p.numId;
                    style.level = p.level;
                    style.hasNumbering = p.hasNumbering;
                } else if (c == u"rPr") {
                    readRunProperties(xml, style.chars, nullptr);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (type == u"paragraph" && !style.block.hasProperty(QTextFormat::HeadingLevel)) {
                if (const int level = headingLevelOfStyleId(id))
                    style.block.setHeadingLevel(level);
            }
            if (type == u"paragraph" && (isDefault == u"1" || isDefault == u"on" || isDefault == u"true"))
                m_defaultParagraphStyle = id;
            if (!id.isEmpty() && (type == u"paragraph" || type == u"character"))
                m_styles.insert(id, style);
        } else {
            xml.skipCurrentElement();
        }
    }
    m_resolved.clear();
}

WordNumbering::Readers WordprocessingParser::propertyReaders()
{
    return {[this](QXmlStreamReader& x, QTextBlockFormat& block) {
                Paragraph p;
                readParagraphProperties(x, p);
                block = p.block;
            },
            [this](QXmlStreamReader& x, QTextCharFormat& chars) { readRunProperties(x, chars, nullptr); }};
}

bool WordprocessingParser::readStyles(const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes);
    if (xml.readNextStartElement())
        readStylesElement(xml);
    return !xml.hasError();
}

bool WordprocessingParser::readNumbering(const QByteArray& bytes)
{
    return m_numbering.read(bytes, propertyReaders());
}

WordprocessingParser::ResolvedStyle WordprocessingParser::resolve(const QString& styleId)
{
    const auto cached = m_resolved.constFind(styleId);
    if (cached != m_resolved.constEnd())
        return *cached;
    const auto chain = styleChain(styleId, [&](const QString& id) -> const Style* {
        const auto it = m_styles.constFind(id);
        return it == m_styles.constEnd() ? nullptr : &*it;
    });
    ResolvedStyle r;
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        const Style& style = **it;
        r.block.merge(style.block);
        r.chars.merge(style.chars);
        if (style.hasNumbering) {
            if (!style.numId.isEmpty())
                r.numId = style.numId;
            if (style.level >= 0)
                r.level = style.level;
            r.hasNumbering = true;
        }
    }
    m_resolved.insert(styleId, r);
    return r;
}

void WordprocessingParser::ensureTable()
{
    if (m_tables.isEmpty() || m_tables.last().started)
        return;
    // A nested table opens the cell that holds it first.
    if (m_tables.size() >= 2) {
        const TableState t = m_tables.takeLast();
        ensureCell();
        m_tables.append(t);
    }
    TableState& t = m_tables.last();
    t.look = resolveWordTableLook(t.properties, [&](const QString& id) -> const WordTableStyle* {
        const auto it = m_tableStyles.constFind(id);
        return it == m_tableStyles.constEnd() ? nullptr : &*it;
    });
    m_builder.beginTable(t.grid, t.look);
    t.started = true;
}

void WordprocessingParser::ensureCell()
{
    if (m_tables.isEmpty())
        return;
    ensureTable();
    TableState& t = m_tables.last();
    if (t.cellOpen && !t.cellStarted) {
        m_builder.beginCell(t.cell.span, 1, t.cell.continuesMerge);
        m_builder.setCellLook(t.cell.look);
        t.cellRegions = t.look.regionLook(std::max(t.row, 0), t.gridColumn, -1, int(t.grid.size()));
        t.gridColumn += t.cell.span;
        t.cellStarted = true;
    }
}

void WordprocessingParser::ensureParagraph()
{
    if (m_paragraphStarted)
        return;
    ensureCell();
    const QString styleId = m_paragraph.styleId.isEmpty() ? m_defaultParagraphStyle : m_paragraph.styleId;
    const ResolvedStyle style = resolve(styleId);
    // A table's style lies between the document's defaults and the
    // paragraph's style, and over the default paragraph style, as Word has it.
    const CellLook* cell = m_tables.isEmpty() ? nullptr : &m_tables.last().cellRegions;
    const bool overStyle = styleId == m_defaultParagraphStyle;
    QTextBlockFormat block = m_defaultBlock;
    m_paragraphChars = m_defaultChars;
    if (cell && !overStyle) {
        block.merge(cell->block);
        m_paragraphChars.merge(cell->chars);
    }
    block.merge(style.block);
    m_paragraphChars.merge(style.chars);
    if (cell && overStyle) {
        block.merge(cell->block);
        m_paragraphChars.merge(cell->chars);
    }
    // A list level's indents lie over the paragraph's style, under its own.
    QString numId = style.numId;
    int level = style.level;
    bool numbered = style.hasNumbering;
    if (m_paragraph.hasNumbering) {
        numbered = true;
        if (!m_paragraph.numId.isEmpty())
            numId = m_paragraph.numId;
        if (m_paragraph.level >= 0)
            level = m_paragraph.level;
    }
    const std::optional<WordNumbering::Item> item =
        numbered ? m_numbering.item(numId, std::max(level, 0)) : std::nullopt;
    if (item)
        block.merge(item->block);
    block.merge(m_paragraph.block);
    block.setProperty(kParagraphStyleProperty, styleId);
    measureTabsFromLineStart(block);
    QTextCharFormat mark = m_paragraphChars;
    mark.merge(m_paragraph.mark);
    mark.clearProperty(kHiddenTextProperty);
    m_builder.startParagraph(block, mark);
    m_paragraphStarted = true;
    m_runFormatValid = false;
    if (item)
        m_builder.setListItem(QStringLiteral("w:") + item->key, std::max(level, 0), item->levels, item->startOverride);
}

QTextCharFormat WordprocessingParser::runFormat()
{
    if (!m_runFormatValid) {
        m_runFormat = m_paragraphChars;
        if (!m_runStyle.isEmpty())
            m_runFormat.merge(resolve(m_runStyle).chars);
        m_runFormat.merge(m_runDirect);
        m_runFormatValid = true;
    }
    return m_runFormat;
}

void WordprocessingParser::emitText(const QString& text)
{
    ensureParagraph();
    if (m_customNote && !text.trimmed().isEmpty()) {
        emitCustomNoteMark(text);
        return;
    }
    if (m_pageField == 0) {
        m_builder.addText(text, runFormat());
        return;
    }
    QTextCharFormat format = runFormat();
    format.setProperty(kPageFieldProperty, m_pageField);
    m_builder.addText(text, format);
}

void WordprocessingParser::readGrid(QXmlStreamReader& xml, TableState& t)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == u"gridCol" && t.grid.size() < kMaxTableColumns)
            t.grid.append(std::max(0, intAttr(xml, QLatin1StringView("w"))) / 20.0);
        xml.skipCurrentElement();
    }
}

void WordprocessingParser::addPicture(const QString& relationshipId, const QString& binaryName, QSizeF size)
{
    const QString part = relationshipId.isEmpty() || !m_partName ? QString() : m_partName(relationshipId);
    if (!part.isEmpty() && m_readPart) {
        ensureParagraph();
        if (m_builder.addImage(QStringLiteral("part:") + part, [&] { return m_readPart(part); }, size))
            return;
    }
    const auto data = m_binaryData.constFind(binaryName);
    if (data != m_binaryData.constEnd()) {
        ensureParagraph();
        m_builder.addImage(QStringLiteral("binData:") + binaryName, [&] { return std::optional(*data); }, size);
    }
}

// Text of a text box inside a picture.
void WordprocessingParser::appendBoxText(QXmlStreamReader& xml, QString& text)
{
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
}

void WordprocessingParser::readDrawing(QXmlStreamReader& xml)
{
    QSizeF size;
    QString embed;
    QString text;
    QString diagram;
    ShapeAnchor anchor;
    const qsizetype floatingBefore = m_floating.size();
    // A shape's line: its own (a:ln with a fill, or noFill), else its
    // style's (lnRef of a theme line), else none.
    std::optional<bool> ownLine;
    std::optional<bool> styleLine;
    bool boxed = false;
    walkElement(xml, [&](QXmlStreamReader& x) {
        const QStringView n = x.name();
        if (n == u"anchor") {
            anchor.anchored = true;
            const QStringView simple = attr(x, QLatin1StringView("simplePos"));
            anchor.simplePosition = simple == u"1" || simple == u"true";
        } else if (n == u"positionH" || n == u"positionV") {
            (n == u"positionH" ? anchor.horizontal : anchor.vertical) = readAxisPlace(x);
            return true;
        } else if (n == u"wrapNone") {
            anchor.wrapNone = true;
        } else if (n == u"relIds") {
            diagram = attr(x, QLatin1StringView("dm")).toString();
        } else if (n == u"extent" && size.isEmpty()) {
            size = QSizeF(attr(x, QLatin1StringView("cx")).toDouble() / kEmuPerPoint,
                          attr(x, QLatin1StringView("cy")).toDouble() / kEmuPerPoint);
        } else if (n == u"blip" && embed.isEmpty()) {
            embed = attr(x, QLatin1StringView("embed")).toString();
        } else if (n == u"ln") {
            walkElement(x, [&](QXmlStreamReader& line) {
                const QStringView fill = line.name();
                if (fill == u"noFill")
                    ownLine = false;
                else if (fill == u"solidFill" || fill == u"gradFill" || fill == u"pattFill")
                    ownLine = ownLine.value_or(true);
                line.skipCurrentElement();
                return true;
            });
            return true;
        } else if (n == u"lnRef") {
            styleLine = attr(x, QLatin1StringView("idx")).toInt() > 0;
        } else if (n == u"txbxContent" && captureBox(x, size.width(), ownLine.value_or(styleLine.value_or(false)))) {
            boxed = true;
            return true;
        } else if (n == u"Fallback") {
            x.skipCurrentElement();
            return true;
        } else if (n == u"t") {
            appendBoxText(x, text);
            return true;
        } else if (n == u"p" && !text.isEmpty()) {
            text += QLatin1Char(' ');
        }
        return false;
    });
    if (!embed.isEmpty()) {
        if (anchor.anchored)
            m_floating.append({{}, 0, false, embed, size, {}});
        else
            addPicture(embed, QString(), size);
    }
    // A group's shapes have places within the group, which are not read:
    // only a drawing of one box or picture is placed on the page.
    if (m_floating.size() == floatingBefore + 1)
        m_floating.last().placement = anchor.placement(size);
    if (!boxed && !text.trimmed().isEmpty())
        emitText(text.trimmed());
    if (!diagram.isEmpty())
        addDiagram(diagram);
}

void WordprocessingParser::addDiagram(const QString& dataRelationshipId)
{
    if (!m_partName || !m_readPart)
        return;
    const QList<DiagramBox> boxes = readDiagram(dataRelationshipId, [&](const QString& id) -> std::optional<QByteArray> {
        const QString part = m_partName(id);
        return part.isEmpty() ? std::nullopt : m_readPart(part);
    });
    for (const DiagramBox& box : boxes) {
        if (m_boxDepth < kMaxTextBoxDepth) {
            m_floating.append({box.content, box.width, box.border, {}, {}, {}});
            continue;
        }
        QXmlStreamReader content(box.content);
        if (content.readNextStartElement())
            emitText(content.readElementText(QXmlStreamReader::IncludeChildElements).simplified());
    }
}

void WordprocessingParser::readPicture(QXmlStreamReader& xml)
{
    QSizeF size;
    QString relationship;
    QString source;
    QString text;
    bool border = true;
    walkElement(xml, [&](QXmlStreamReader& x) {
        const QStringView n = x.name();
        if (n == u"shape" || n == u"rect" || n == u"roundrect" || n == u"oval") {
            if (size.isEmpty())
                size = QSizeF(vmlStyleLength(x, u"width"), vmlStyleLength(x, u"height"));
            const QStringView stroked = attr(x, QLatin1StringView("stroked"));
            border = !(stroked == u"f" || stroked == u"false");
        } else if (n == u"imagedata") {
            if (relationship.isEmpty())
                relationship = attr(x, QLatin1StringView("id")).toString();
            if (source.isEmpty())
                source = attr(x, QLatin1StringView("src")).toString();
        } else if (n == u"binData") {
            const QString name = attr(x, QLatin1StringView("name")).toString();
            const QString data = x.readElementText();
            if (m_binaryData.size() < 4096 && !m_binaryData.contains(name))
                m_binaryData.insert(name, QByteArray::fromBase64(data.toLatin1()));
            if (source.isEmpty())
                source = name;
            return true;
        } else if (n == u"txbxContent") {
            if (captureBox(x, size.width(), border))
                return true;
        } else if (n == u"t") {
            appendBoxText(x, text);
            return true;
        }
        return false;
    });
    addPicture(relationship, source, size);
    if (!text.trimmed().isEmpty())
        emitText(text.trimmed());
}

bool WordprocessingParser::captureBox(QXmlStreamReader& xml, double width, bool border)
{
    if (m_boxDepth >= kMaxTextBoxDepth)
        return false;
    m_floating.append({captureElement(xml), width, border, {}, {}, {}});
    return true;
}

bool WordprocessingParser::placeOnPage(const Floating& floating)
{
    if (!floating.placement || !m_placeOnPage)
        return false;
    const int index = m_placeOnPage(floating);
    if (index < 0)
        return false;
    m_builder.anchorPlacedStory(index);
    return true;
}

// What floated beside the paragraph just ended, each in a block of its own
// unless it is placed on the page; those are anchored first, while the
// paragraph is still the builder's.
void WordprocessingParser::placeFloating()
{
    QList<Floating> floating;
    for (const Floating& f : std::exchange(m_floating, {}))
        if (!placeOnPage(f))
            floating.append(f);
    for (const Floating& f : floating) {
        if (!m_builder.isComplete())
            return;
        if (!f.boxContent.isEmpty()) {
            placeBox(f);
            continue;
        }
        m_paragraph = Paragraph();
        m_paragraphStarted = false;
        addPicture(f.relationshipId, QString(), f.size);
        m_paragraphStarted = false;
    }
}

void WordprocessingParser::readFloating(const Floating& floating)
{
    m_floating = {floating};
    placeFloating();
    m_builder.finish();
}

// A text box as a one-cell table with the box's line, read from its
// captured content as the body is.
void WordprocessingParser::placeBox(const Floating& box)
{
    TableState t;
    t.started = true;
    t.row = 0;
    t.cellOpen = true;
    t.cellStarted = true;
    ensureCell();
    m_builder.beginTextBox(box.width, box.border);
    m_tables.append(t);
    const qsizetype depth = m_tables.size();
    ++m_boxDepth;
    QXmlStreamReader xml(box.boxContent);
    readBody(xml);
    --m_boxDepth;
    if (m_inParagraph)
        ensureParagraph();
    // A damaged box may leave its own tables open: close them with it.
    while (m_tables.size() > depth) {
        if (m_tables.last().started)
            m_builder.endTable();
        m_tables.removeLast();
    }
    m_tables.removeLast();
    m_builder.endTextBox();
    m_inParagraph = false;
    m_paragraphStarted = false;
    m_joinNext = false;
}

bool WordprocessingParser::takeAlternative(QXmlStreamReader& xml)
{
    if (m_alternateTaken.isEmpty() || m_alternateTaken.last())
        return false;
    if (xml.name() == u"Choice" && !understood(attr(xml, QLatin1StringView("Requires"))))
        return false;
    m_alternateTaken.last() = true;
    return true;
}

bool WordprocessingParser::readBody(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        // Past the builder's budget the document is refused: read no further.
        if (!m_builder.isComplete())
            return false;
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView n = xml.name();
            if (n == u"p") {
                if (m_joinNext) {
                    // The paragraph before lost its mark: this one goes on in
                    // it, or stands in its place when it holds nothing.
                    m_joinNext = false;
                    if (!m_paragraphStarted)
                        m_paragraph = Paragraph();
                    m_paragraph.mark.clearProperty(kHiddenTextProperty);
                    m_inParagraph = true;
                    continue;
                }
                if (m_inParagraph)
                    ensureParagraph(); // a paragraph inside one: keep both
                m_paragraph = Paragraph();
                m_inParagraph = true;
                m_paragraphStarted = false;
            } else if (n == u"pPr") {
                if (m_inParagraph && !m_paragraphStarted) {
                    readParagraphProperties(xml, m_paragraph);
                } else if (m_inParagraph) {
                    // A paragraph joined to the one before: only its mark
                    // counts, which may join it to the next in turn.
                    Paragraph joined;
                    readParagraphProperties(xml, joined);
                    m_paragraph.mark.setProperty(kHiddenTextProperty, joined.mark.boolProperty(kHiddenTextProperty));
                    if (!joined.section.isEmpty())
                        m_paragraph.section = joined.section;
                } else {
                    xml.skipCurrentElement();
                }
            } else if (n == u"r") {
                m_runDirect = QTextCharFormat();
                m_runStyle.clear();
                m_runFormatValid = false;
            } else if (n == u"rPr") {
                readRunProperties(xml, m_runDirect, &m_runStyle);
                m_runFormatValid = false;
            } else if (n == u"t") {
                emitText(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            } else if (n == u"tab" || n == u"ptab") {
                emitText(QStringLiteral("\t"));
            } else if (n == u"br" || n == u"cr") {
                if (attr(xml, QLatin1StringView("type")) == u"page") {
                    ensureParagraph();
                    m_builder.addPageBreak();
                } else {
                    ensureParagraph();
                    m_builder.addLineBreak(runFormat());
                }
            } else if (n == u"noBreakHyphen") {
                emitText(QString(QChar(0x2011)));
            } else if (n == u"sym") {
                bool ok = false;
                uint code = attr(xml, QLatin1StringView("char")).toUInt(&ok, 16);
                const auto symbol = symbolFontCharacter(attr(xml, QLatin1StringView("font")).toString(), code);
                if (ok && code >= 0xF000 && code <= 0xF0FF)
                    code -= 0xF000;
                if (symbol)
                    emitText(*symbol);
                else if (ok && code >= 0x20 && code < 0xD800)
                    emitText(QString(QChar(char16_t(code))));
            } else if (n == u"drawing") {
                readDrawing(xml);
            } else if (n == u"oMath") {
                emitText(officeMathText(xml));
            } else if (n == u"AlternateContent") {
                m_alternateTaken.append(false);
            } else if (n == u"Choice" || n == u"Fallback") {
                if (!takeAlternative(xml))
                    xml.skipCurrentElement();
            } else if (n == u"pict" || n == u"object") {
                readPicture(xml);
            } else if (n == u"tbl") {
                if (m_inParagraph && !(m_joinNext && !m_paragraphStarted))
                    ensureParagraph();
                m_joinNext = false;
                m_inParagraph = false;
                m_paragraphStarted = false;
                if (!m_tables.isEmpty())
                    ensureCell();
                m_tables.append(TableState());
            } else if (n == u"tblGrid") {
                if (!m_tables.isEmpty())
                    readGrid(xml, m_tables.last());
                else
                    xml.skipCurrentElement();
            } else if (n == u"tblPr") {
                if (!m_tables.isEmpty() && !m_tables.last().started)
                    readWordTableProperties(xml, m_tables.last().properties);
                else
                    xml.skipCurrentElement();
            } else if (n == u"tr") {
                if (!m_tables.isEmpty()) {
                    ensureTable();
                    m_builder.beginRow();
                    TableState& t = m_tables.last();
                    t.cellOpen = false;
                    ++t.row;
                    t.gridColumn = 0;
                }
            } else if (n == u"tc") {
                if (!m_tables.isEmpty()) {
                    TableState& t = m_tables.last();
                    t.cellOpen = true;
                    t.cellStarted = false;
                    t.cell = WordCellProperties();
                }
            } else if (n == u"tcPr") {
                if (!m_tables.isEmpty() && m_tables.last().cellOpen && !m_tables.last().cellStarted)
                    readWordCellProperties(xml, m_tables.last().cell);
                else
                    xml.skipCurrentElement();
            } else if (n == u"styles") {
                readStylesElement(xml);
            } else if (n == u"fonts") { // Word 2003 XML: the document's default font
                while (xml.readNextStartElement()) {
                    const QStringView family = attr(xml, QLatin1StringView("ascii"));
                    if (xml.name() == u"defaultFonts" && !family.isEmpty()
                        && !m_defaultChars.hasProperty(QTextFormat::FontFamilies))
                        m_defaultChars.setFontFamilies(documentFontFamilies(family.toString()));
                    xml.skipCurrentElement();
                }
            } else if (n == u"lists" || n == u"numbering") {
                m_numbering.read(xml, propertyReaders());
            } else if (n == u"annotation") {
                // Comments and deleted text are not printed; insertions are.
                const QStringView type = attr(xml, QLatin1StringView("type"));
                if (type == u"Word.Comment" || type == u"Word.Deletion")
                    xml.skipCurrentElement();
            } else if (n == u"sectPr" && m_sectionEnd) {
                endSection(captureElement(xml), false);
            } else if (readFieldOrNote(xml)) {
            } else if (n == u"instrText" || n == u"delText" || n == u"delInstrText" || n == u"del"
                       || n == u"moveFrom" || n == u"sectPr" || n == u"trPr"
                       || n == u"tblPrEx" || n == u"sdtPr" || n == u"sdtEndPr"
                       || n == u"footnoteReference" || n == u"endnoteReference" || n == u"footnote"
                       || n == u"endnote" || n == u"rt"
                       || n == u"docPr" || n == u"DocumentProperties"
                       || n == u"CustomDocumentProperties" || n == u"background" || n == u"bgPict"
                       || n == u"hdr" || n == u"ftr" || n == u"footnotePr" || n == u"endnotePr") {
                xml.skipCurrentElement();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView n = xml.name();
            endFieldOrNote(n);
            if (n == u"p") {
                // A deleted or hidden paragraph mark joins the paragraph to
                // the next, as a word processor prints it.
                if (m_paragraph.mark.boolProperty(kHiddenTextProperty)) {
                    m_joinNext = true;
                    endSection(std::exchange(m_paragraph.section, {}), true);
                    continue;
                }
                if (m_inParagraph)
                    ensureParagraph();
                m_inParagraph = false;
                m_paragraphStarted = false;
                placeFloating();
                endSection(std::exchange(m_paragraph.section, {}), true);
            } else if (n == u"AlternateContent") {
                if (!m_alternateTaken.isEmpty())
                    m_alternateTaken.removeLast();
            } else if (n == u"r") {
                m_runDirect = QTextCharFormat();
                m_runStyle.clear();
                m_runFormatValid = false;
            } else if (n == u"tc") {
                if (!m_tables.isEmpty()) {
                    ensureCell();
                    m_tables.last().cellOpen = false;
                }
                m_joinNext = false;
                m_inParagraph = false;
                m_paragraphStarted = false;
            } else if (n == u"tr") {
                if (!m_tables.isEmpty() && m_tables.last().started)
                    m_builder.endRow();
            } else if (n == u"tbl") {
                if (!m_tables.isEmpty()) {
                    if (m_tables.last().started)
                        m_builder.endTable();
                    m_tables.removeLast();
                    m_inParagraph = false;
                    m_paragraphStarted = false;
                }
            }
        }
    }
    return !xml.hasError();
}

void WordprocessingParser::endSection(const QByteArray& properties, bool atParagraph)
{
    // Sections end in the body's own flow, never inside a table or box.
    if (properties.isEmpty() || !m_sectionEnd || !m_tables.isEmpty() || m_boxDepth > 0)
        return;
    m_sectionEnd(m_section, properties, atParagraph);
    if (atParagraph)
        m_builder.startSection(++m_section);
}

bool WordprocessingParser::readDocument(const QByteArray& bytes, const QString& rootName)
{
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != rootName)
        return false;
    const bool ok = readBody(xml);
    placeFloating();
    m_builder.finish();
    return ok;
}

} // namespace platform::text
