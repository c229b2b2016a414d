#include "platform/text/TableLook.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::text {

namespace {

// Where a cell stands against the edges of a region it is in.
struct Bounds {
    bool top, left, bottom, right;
};

// The edges a region gives a cell: its outer lines where the cell is on the
// region's edge, its inside lines elsewhere.
void mergeRegionEdges(CellLook& into, const CellLook& region, Bounds at)
{
    const auto pick = [&](Edge edge, bool outer, const std::optional<BorderLine>& inside) {
        const std::optional<BorderLine>& line = outer ? region.borders[edge] : inside;
        if (line)
            into.borders[edge] = line;
    };
    pick(EdgeTop, at.top, region.insideHorizontal);
    pick(EdgeBottom, at.bottom, region.insideHorizontal);
    pick(EdgeLeft, at.left, region.insideVertical);
    pick(EdgeRight, at.right, region.insideVertical);
}

void mergeRegion(CellLook& into, const CellLook& region, Bounds at)
{
    CellLook rest = region;
    rest.borders = {};
    into.merge(rest);
    mergeRegionEdges(into, region, at);
}

const BorderLine& heavier(const BorderLine& a, const BorderLine& b)
{
    return b.extent() > a.extent() ? b : a;
}

struct Drawn {
    std::array<BorderLine, 4> borders;
    std::array<double, 4> padding;
    std::optional<QColor> shading;
    std::optional<QTextCharFormat::VerticalAlignment> verticalAlignment;
};

// The layout draws a double line as two lines of a third of its width each,
// rounded to whole layout units, one at each side: it is given at least
// three units, in threes, so that both lines and the space between show.
// A hairline double line (under this many points across) is drawn as one
// line of its width instead: made three units wide, it took the text's room
// and wrapped words that fit the cell in a word processor.
constexpr double kThinnestDoublePoints = 1.5;

bool drawnAsDouble(const BorderLine& line)
{
    return line.style == QTextFrameFormat::BorderStyle_Double && line.extent() >= kThinnestDoublePoints;
}

double drawnWidth(const BorderLine& line, double unitsPerPoint)
{
    const double width = line.extent() * unitsPerPoint;
    if (!drawnAsDouble(line) || !(width > 0))
        return width;
    return 3 * std::max(1.0, std::round(width / 3));
}

void setEdge(QTextTableCellFormat& f, Edge edge, const BorderLine& line, double unitsPerPoint)
{
    const double width = drawnWidth(line, unitsPerPoint);
    auto style = line.visible() ? line.style : QTextFrameFormat::BorderStyle_None;
    if (style == QTextFrameFormat::BorderStyle_Double && !drawnAsDouble(line))
        style = QTextFrameFormat::BorderStyle_Solid;
    const QBrush brush(line.color);
    switch (edge) {
    case EdgeTop:
        f.setTopBorder(width);
        f.setTopBorderStyle(style);
        f.setTopBorderBrush(brush);
        break;
    case EdgeLeft:
        f.setLeftBorder(width);
        f.setLeftBorderStyle(style);
        f.setLeftBorderBrush(brush);
        break;
    case EdgeBottom:
        f.setBottomBorder(width);
        f.setBottomBorderStyle(style);
        f.setBottomBorderBrush(brush);
        break;
    case EdgeRight:
        f.setRightBorder(width);
        f.setRightBorderStyle(style);
        f.setRightBorderBrush(brush);
        break;
    }
}

} // namespace

void CellLook::merge(const CellLook& over)
{
    for (int edge = 0; edge < 4; ++edge)
        if (over.borders[edge])
            borders[edge] = over.borders[edge];
    if (over.insideHorizontal)
        insideHorizontal = over.insideHorizontal;
    if (over.insideVertical)
        insideVertical = over.insideVertical;
    if (over.shading)
        shading = over.shading;
    if (over.verticalAlignment)
        verticalAlignment = over.verticalAlignment;
    if (over.padding)
        padding = over.padding;
    block.merge(over.block);
    chars.merge(over.chars);
}

CellLook TableLook::regionLook(int row, int column, int rows, int columns) const
{
    CellLook look;
    const bool lastRowKnown = rows > 0 && row == rows - 1;
    const bool isLastColumn = column == columns - 1;
    const auto add = [&](TableRegion region, bool on, Bounds at) {
        const auto it = regions.constFind(region);
        if (on && it != regions.constEnd())
            mergeRegion(look, *it, at);
    };
    const Bounds rowRegion{true, column == 0, true, isLastColumn};
    const Bounds columnRegion{row == 0, true, lastRowKnown, true};
    const Bounds corner{true, true, true, true};
    add(TableRegion::WholeTable, true, Bounds{row == 0, column == 0, lastRowKnown, isLastColumn});
    // Bands count from the first row and column past the header ones.
    const int bandColumn = column - (firstColumn ? 1 : 0);
    const bool inColumnBands = columnBands && bandColumn >= 0 && !(lastColumn && isLastColumn);
    const bool oddColumn = (bandColumn / std::max(columnBandSize, 1)) % 2 == 0;
    add(TableRegion::OddColumnBand, inColumnBands && oddColumn, columnRegion);
    add(TableRegion::EvenColumnBand, inColumnBands && !oddColumn, columnRegion);
    const int bandRow = row - (firstRow ? 1 : 0);
    const bool inRowBands = rowBands && bandRow >= 0 && !(lastRow && lastRowKnown);
    const bool oddRow = (bandRow / std::max(rowBandSize, 1)) % 2 == 0;
    add(TableRegion::OddRowBand, inRowBands && oddRow, rowRegion);
    add(TableRegion::EvenRowBand, inRowBands && !oddRow, rowRegion);
    add(TableRegion::FirstColumn, firstColumn && column == 0, columnRegion);
    add(TableRegion::LastColumn, lastColumn && isLastColumn, columnRegion);
    add(TableRegion::FirstRow, firstRow && row == 0, rowRegion);
    add(TableRegion::LastRow, lastRow && lastRowKnown, rowRegion);
    add(TableRegion::TopRightCell, row == 0 && isLastColumn, corner);
    add(TableRegion::TopLeftCell, row == 0 && column == 0, corner);
    add(TableRegion::BottomRightCell, lastRowKnown && isLastColumn, corner);
    add(TableRegion::BottomLeftCell, lastRowKnown && column == 0, corner);
    return look;
}

void applyTableLook(QTextTable& table, const TableLook& look,
                    const std::function<const CellLook*(int row, int column)>& cellLook, double unitsPerPoint)
{
    const int rows = table.rows();
    const int columns = table.columns();
    // The whole table's lines and shading first, then the regions', then
    // the cell's own.
    CellLook tableWide = look.whole;
    std::vector<Drawn> drawn(size_t(rows) * size_t(columns));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const Bounds at{r == 0, c == 0, r + cell.rowSpan() >= rows, c + cell.columnSpan() >= columns};
            CellLook merged;
            mergeRegion(merged, tableWide, at);
            merged.merge(look.regionLook(r, c, rows, columns));
            if (const CellLook* own = cellLook(r, c))
                merged.merge(*own);
            Drawn& d = drawn[size_t(r) * columns + c];
            for (int edge = 0; edge < 4; ++edge)
                d.borders[edge] = merged.borders[edge].value_or(BorderLine());
            d.padding = merged.padding.value_or(look.padding);
            d.shading = merged.shading;
            d.verticalAlignment = merged.verticalAlignment;
        }
    }
    // Two cells meeting at an edge share the heavier of their two lines; the
    // layout draws each cell's lines whole, so the cell before the edge
    // draws it alone.
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            Drawn& d = drawn[size_t(r) * columns + c];
            const int right = c + cell.columnSpan();
            if (right < columns) {
                const QTextTableCell next = table.cellAt(r, right);
                Drawn& n = drawn[size_t(next.row()) * columns + next.column()];
                d.borders[EdgeRight] = heavier(d.borders[EdgeRight], n.borders[EdgeLeft]);
                n.borders[EdgeLeft] = BorderLine();
            }
            const int below = r + cell.rowSpan();
            if (below < rows) {
                const QTextTableCell next = table.cellAt(below, c);
                Drawn& n = drawn[size_t(next.row()) * columns + next.column()];
                d.borders[EdgeBottom] = heavier(d.borders[EdgeBottom], n.borders[EdgeTop]);
                n.borders[EdgeTop] = BorderLine();
            }
        }
    }
    QTextTableFormat tableFormat = table.format();
    tableFormat.setBorderCollapse(true);
    tableFormat.setBorder(0);
    tableFormat.setCellSpacing(0);
    tableFormat.setAlignment(look.alignment);
    tableFormat.setLeftMargin(std::max(0.0, look.indent) * unitsPerPoint);
    // The layout draws the first row's top lines above the table's top: room
    // for them keeps them on a page the table begins.
    double topLines = 0;
    for (int c = 0; c < columns && rows > 0; ++c)
        topLines = std::max(topLines, drawnWidth(drawn[size_t(c)].borders[EdgeTop], unitsPerPoint));
    tableFormat.setTopMargin(topLines);
    table.setFormat(tableFormat);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            QTextTableCell cell = table.cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const Drawn& d = drawn[size_t(r) * columns + c];
            QTextTableCellFormat f = cell.format().toTableCellFormat();
            for (int edge = 0; edge < 4; ++edge)
                setEdge(f, Edge(edge), d.borders[edge], unitsPerPoint);
            // The layout leaves out the space before a cell's first paragraph
            // and after its last; word processors keep them inside the cell.
            const double before = cell.firstCursorPosition().block().blockFormat().topMargin();
            const double after = cell.lastCursorPosition().block().blockFormat().bottomMargin();
            f.setTopPadding(d.padding[EdgeTop] * unitsPerPoint + std::max(0.0, before));
            f.setLeftPadding(d.padding[EdgeLeft] * unitsPerPoint);
            f.setBottomPadding(d.padding[EdgeBottom] * unitsPerPoint + std::max(0.0, after));
            f.setRightPadding(d.padding[EdgeRight] * unitsPerPoint);
            if (d.shading && d.shading->isValid())
                f.setBackground(*d.shading);
            if (d.verticalAlignment)
                f.setVerticalAlignment(*d.verticalAlignment);
            cell.setFormat(f);
        }
    }
}

} // namespace platform::text
