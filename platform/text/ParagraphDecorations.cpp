#include "platform/text/ParagraphDecorations.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

// Points between a paragraph's text and its border lines: above and below,
// and to the sides.
constexpr double kBorderGapPoints = 1;
constexpr double kBorderSideGapPoints = 4;
// Leader characters drawn on one tab at most.
constexpr int kMaxLeaderCharacters = 1000;
// The widest line the readers give, in points: a double line of two
// 12-point lines 12 points apart.
constexpr double kMaxBorderPoints = 36;
// Layout units by which a line may overlap the next page after rounding.
constexpr double kTolerance = 0.1;

QVariant lineValue(const std::optional<BorderLine>& line)
{
    if (!line || !line->visible())
        return {};
    return QVariantList{line->width, line->color, int(line->style), line->spacing};
}

BorderLine lineOf(const QVariant& value)
{
    const QVariantList list = value.toList();
    if (list.size() != 4)
        return {};
    return {list[0].toDouble(), QTextFrameFormat::BorderStyle(list[2].toInt()), list[1].value<QColor>(),
            list[3].toDouble()};
}

Qt::PenStyle penStyle(QTextFrameFormat::BorderStyle style)
{
    switch (style) {
    case QTextFrameFormat::BorderStyle_Dotted: return Qt::DotLine;
    case QTextFrameFormat::BorderStyle_Dashed: return Qt::DashLine;
    default: return Qt::SolidLine;
    }
}

struct LineSpan {
    double top = 0, bottom = 0;
};

// Where a paragraph's lines are placed from, in the document: a paragraph
// in a table cell is laid out within its frame.
QPointF originOf(const QTextBlock& block)
{
    return block.document()->documentLayout()->blockBoundingRect(block).topLeft();
}

// From the top of a paragraph's first line to the bottom of its last.
LineSpan linesOf(const QTextBlock& block)
{
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return {};
    const double y = originOf(block).y();
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    return {y + layout->lineAt(0).y(), y + last.y() + last.height()};
}

bool sameBox(const QTextBlock& a, const QTextBlock& b)
{
    if (!a.isValid() || !b.isValid())
        return false;
    const QTextBlockFormat fa = a.blockFormat(), fb = b.blockFormat();
    return fa.property(kParagraphBordersProperty) == fb.property(kParagraphBordersProperty)
           && fa.leftMargin() == fb.leftMargin() && fa.rightMargin() == fb.rightMargin()
           && a.layout() && b.layout() && a.layout()->lineCount() > 0 && b.layout()->lineCount() > 0;
}

// How far the centre of each of a double line's two lines lies from the
// line's middle; 0 for other lines.
double doubleOffset(const BorderLine& line, double unitsPerPoint)
{
    if (!line.visible() || line.style != QTextFrameFormat::BorderStyle_Double)
        return 0;
    return (line.extent() - line.width) / 2 * unitsPerPoint;
}

// Strokes an edge along from..to, whose outside lies towards outward (a
// unit vector). A double line is two lines, the outer reaching out to the
// outer lines of the edges at its ends and the inner in to their inner
// lines, so that two boxes show; atStart and atEnd are those edges' offsets.
void strokeEdge(QPainter& painter, const BorderLine& line, QPointF from, QPointF to, QPointF outward,
                double atStart, double atEnd, double unitsPerPoint)
{
    if (!line.visible())
        return;
    QPen pen(line.color, line.width * unitsPerPoint, penStyle(line.style));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    const double offset = doubleOffset(line, unitsPerPoint);
    if (offset == 0) {
        painter.drawLine(from, to);
        return;
    }
    const QPointF along = (to - from) / std::max(QLineF(from, to).length(), 1e-9);
    for (const double side : {1.0, -1.0})
        painter.drawLine(from + outward * offset * side - along * atStart * side,
                         to + outward * offset * side + along * atEnd * side);
}

// The middles of a paragraph's box lines, and whether the paragraphs
// above and below share the box: paragraphs of the same borders one after
// another do.
struct Box {
    double left, right, top, bottom;
    bool joinsAbove, joinsBelow;
};

Box boxOf(const QTextBlock& block, double unitsPerPoint)
{
    const QRectF rect = block.document()->documentLayout()->blockBoundingRect(block);
    const QTextBlockFormat format = block.blockFormat();
    const double gap = kBorderGapPoints * unitsPerPoint;
    const double side = kBorderSideGapPoints * unitsPerPoint;
    const LineSpan span = linesOf(block);
    const bool joinsBelow = sameBox(block, block.next());
    return {rect.left() + format.leftMargin() - side, rect.right() - format.rightMargin() + side, span.top - gap,
            joinsBelow ? linesOf(block.next()).top - gap : span.bottom + gap, sameBox(block.previous(), block),
            joinsBelow};
}

// Draws the part of a paragraph's box on the page from pageTop to
// pageBottom: the top line with the paragraph's first line and the bottom
// line with its last, even where they stand past the page's edge, the sides
// in between.
void drawBorders(QPainter& painter, const QTextBlock& block, double unitsPerPoint, double pageTop, double pageBottom)
{
    const std::array<BorderLine, 4> lines = paragraphBorders(block.blockFormat());
    const Box box = boxOf(block, unitsPerPoint);
    const LineSpan span = linesOf(block);
    const bool top = !box.joinsAbove && span.top >= pageTop - kTolerance && span.top < pageBottom;
    const bool bottom = !box.joinsBelow && span.bottom <= pageBottom + kTolerance && span.bottom > pageTop;
    const double topOffset = top ? doubleOffset(lines[EdgeTop], unitsPerPoint) : 0;
    const double bottomOffset = bottom ? doubleOffset(lines[EdgeBottom], unitsPerPoint) : 0;
    const double leftOffset = doubleOffset(lines[EdgeLeft], unitsPerPoint);
    const double rightOffset = doubleOffset(lines[EdgeRight], unitsPerPoint);
    if (top)
        strokeEdge(painter, lines[EdgeTop], {box.left, box.top}, {box.right, box.top}, {0, -1}, leftOffset,
                   rightOffset, unitsPerPoint);
    if (bottom)
        strokeEdge(painter, lines[EdgeBottom], {box.left, box.bottom}, {box.right, box.bottom}, {0, 1}, leftOffset,
                   rightOffset, unitsPerPoint);
    const double from = top ? box.top : std::max(box.top, pageTop);
    const double to = bottom ? box.bottom : std::min(box.bottom, pageBottom);
    if (!(to > from))
        return;
    strokeEdge(painter, lines[EdgeLeft], {box.left, from}, {box.left, to}, {-1, 0}, topOffset, bottomOffset,
               unitsPerPoint);
    strokeEdge(painter, lines[EdgeRight], {box.right, from}, {box.right, to}, {1, 0}, topOffset, bottomOffset,
               unitsPerPoint);
}

// The character format at a position of a paragraph.
QTextCharFormat formatAt(const QTextBlock& block, int position)
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (position >= fragment.position() - block.position()
            && position < fragment.position() - block.position() + fragment.length())
            return fragment.charFormat();
    }
    return block.charFormat();
}

// Draws the leaders of a paragraph's lines on the page from pageTop to
// pageBottom; leaders of other pages' lines would put their dots in this
// page's text.
void drawLeaders(QPainter& painter, const QTextBlock& block, double pageTop, double pageBottom)
{
    const QList<TabLeader> leaders = tabLeaders(block.blockFormat());
    QList<QTextOption::Tab> stops = block.blockFormat().tabPositions();
    const QTextLayout* layout = block.layout();
    if (leaders.isEmpty() || !layout)
        return;
    const QString text = block.text();
    const QPointF origin = originOf(block);
    for (int l = 0; l < layout->lineCount(); ++l) {
        const QTextLine line = layout->lineAt(l);
        const double lineTop = origin.y() + line.y();
        if (lineTop < pageTop - kTolerance || lineTop + line.height() > pageBottom + kTolerance)
            continue;
        const int end = std::min<int>(line.textStart() + line.textLength(), text.size());
        for (int i = std::max(line.textStart(), 0); i < end; ++i) {
            if (text[i] != u'\t')
                continue;
            const double from = line.cursorToX(i), to = line.cursorToX(i + 1);
            // The stop this tab goes to: the first past where it starts.
            const double at = from - line.x();
            const auto stop = std::find_if(stops.cbegin(), stops.cend(),
                                           [&](const QTextOption::Tab& t) { return t.position > at + 0.01; });
            if (stop == stops.cend())
                continue;
            const auto leader = std::find_if(leaders.cbegin(), leaders.cend(), [&](const TabLeader& t) {
                return std::abs(t.position - stop->position) < 0.01;
            });
            if (leader == leaders.cend())
                continue;
            const QFont font = formatAt(block, i).font().resolve(block.document()->defaultFont());
            const double width = QFontMetricsF(font).horizontalAdvance(leader->fill);
            if (!(width > 0))
                continue;
            // Leaders sit on a grid of their own width, a little clear of the
            // text on both sides.
            const double first = std::ceil((from + width * 0.5) / width) * width;
            const int count = std::clamp(int(std::floor((to - width * 0.5 - first) / width)), 0, kMaxLeaderCharacters);
            if (count == 0)
                continue;
            QTextLayout dots(QString(count, leader->fill), font);
            dots.beginLayout();
            dots.createLine();
            dots.endLayout();
            painter.setPen(formatAt(block, i).foreground().color());
            dots.draw(&painter, origin + QPointF(first, line.y() + line.ascent() - dots.lineAt(0).ascent()));
        }
    }
}

} // namespace

void setParagraphBorders(QTextBlockFormat& format, const std::array<std::optional<BorderLine>, 4>& borders)
{
    QVariantList lines;
    bool any = false;
    for (const auto& line : borders) {
        lines.append(lineValue(line));
        any = any || lines.last().isValid();
    }
    if (any)
        format.setProperty(kParagraphBordersProperty, lines);
    else
        format.clearProperty(kParagraphBordersProperty);
}

std::array<BorderLine, 4> paragraphBorders(const QTextBlockFormat& format)
{
    std::array<BorderLine, 4> lines;
    const QVariantList list = format.property(kParagraphBordersProperty).toList();
    for (int edge = 0; edge < 4 && edge < list.size(); ++edge)
        lines[edge] = lineOf(list[edge]);
    return lines;
}

void setTabLeaders(QTextBlockFormat& format, const QList<TabLeader>& leaders)
{
    QVariantList list;
    for (const TabLeader& leader : leaders)
        list.append(QVariant(QVariantList{leader.position, QString(leader.fill)}));
    if (list.isEmpty())
        format.clearProperty(kTabLeadersProperty);
    else
        format.setProperty(kTabLeadersProperty, list);
}

QList<TabLeader> tabLeaders(const QTextBlockFormat& format)
{
    QList<TabLeader> leaders;
    for (const QVariant& entry : format.property(kTabLeadersProperty).toList()) {
        const QVariantList pair = entry.toList();
        if (pair.size() == 2 && pair[1].toString().size() == 1)
            leaders.append({pair[0].toDouble(), pair[1].toString().front()});
    }
    return leaders;
}

ParagraphDecorations::ParagraphDecorations(const QTextDocument& document) : m_document(document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (!format.hasProperty(kParagraphBordersProperty) && !format.hasProperty(kTabLeadersProperty))
            continue;
        const LineSpan span = linesOf(block);
        if (span.bottom > span.top)
            m_entries.append({block.blockNumber(), span.top, span.bottom});
    }
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.top < b.top; });
}

void ParagraphDecorations::draw(QPainter& painter, double top, double bottom, double unitsPerPoint)
{
    while (m_next < m_entries.size() && m_entries[m_next].bottom <= top && m_entries[m_next].top <= top)
        ++m_next;
    for (qsizetype i = m_next; i < m_entries.size() && m_entries[i].top < bottom; ++i) {
        if (m_entries[i].bottom <= top)
            continue;
        const QTextBlock block = m_document.findBlockByNumber(m_entries[i].blockNumber);
        painter.save();
        if (block.blockFormat().hasProperty(kTabLeadersProperty))
            drawLeaders(painter, block, top, bottom);
        if (block.blockFormat().hasProperty(kParagraphBordersProperty)) {
            // A box's lines stand out of its text, out of the page where
            // the text begins or ends one.
            const double reach = (kBorderGapPoints + kMaxBorderPoints) * unitsPerPoint;
            if (painter.hasClipping())
                painter.setClipRect(painter.clipBoundingRect().adjusted(0, -reach, 0, reach));
            drawBorders(painter, block, unitsPerPoint, top, bottom);
        }
        painter.restore();
    }
}

} // namespace platform::text
