#pragma once
// How a word processor draws a table: the lines of its edges and between its
// cells, each cell's own lines, shading, vertical alignment and padding, and
// the formatting a table style gives its header row, first column and bands.
// A cell's lines depend on where it stands in the table, so they are worked
// out once the whole table is known.
#include <QColor>
#include <QHash>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextFrameFormat>

#include <array>
#include <functional>
#include <optional>

class QTextTable;

namespace platform::text {

struct BorderLine {
    double width = 0; // points, of each of a double line's two lines; 0: no line
    QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_None;
    QColor color = Qt::black;
    double spacing = 0; // points between a double line's two lines; 0: as wide as they are

    bool visible() const { return width > 0 && style != QTextFrameFormat::BorderStyle_None; }
    // Points across the whole line: a double line's two lines and the space
    // between them.
    double extent() const
    {
        if (!visible())
            return 0;
        if (style != QTextFrameFormat::BorderStyle_Double)
            return width;
        return 2 * width + (spacing > 0 ? spacing : width);
    }
    bool operator==(const BorderLine&) const = default;
};

enum Edge { EdgeTop, EdgeLeft, EdgeBottom, EdgeRight };

// Widest cell margin a document may ask for, in points (two inches): more
// leaves a cell no room for its text.
constexpr double kMaxCellPaddingPoints = 144;

// What a cell, or a region of cells, sets; what it leaves unset comes from
// below.
struct CellLook {
    std::array<std::optional<BorderLine>, 4> borders; // by Edge
    // Lines between the cells of a region (a style's header row, say).
    std::optional<BorderLine> insideHorizontal, insideVertical;
    std::optional<QColor> shading;
    std::optional<QTextCharFormat::VerticalAlignment> verticalAlignment;
    std::optional<std::array<double, 4>> padding; // points, by Edge
    QTextBlockFormat block; // paragraphs of the region's cells
    QTextCharFormat chars;  // their text

    // Values over sets override these.
    void merge(const CellLook& over);
};

// Regions of a table that a table style formats, in the order their
// formatting applies (later ones win).
enum class TableRegion {
    WholeTable,
    OddColumnBand,
    EvenColumnBand,
    OddRowBand,
    EvenRowBand,
    FirstColumn,
    LastColumn,
    FirstRow,
    LastRow,
    TopRightCell,
    TopLeftCell,
    BottomRightCell,
    BottomLeftCell,
};

struct TableLook {
    CellLook whole; // the table's edges and inside lines, its shading
    // Regions of the table's style; only those the table switches on count.
    QHash<TableRegion, CellLook> regions;
    bool firstRow = false, lastRow = false, firstColumn = false, lastColumn = false;
    bool rowBands = false, columnBands = false;
    int rowBandSize = 1, columnBandSize = 1;
    std::array<double, 4> padding{0, 5.4, 0, 5.4}; // points, by Edge
    Qt::Alignment alignment = Qt::AlignLeft;
    double indent = 0; // points

    // The look of the cell at row and column (of rows and columns; rows -1
    // when the table's end is not known yet, which no last-row region then
    // matches): the regions it stands in, merged in order. Edges are those
    // of the regions only; the table's own come in applyTableLook.
    CellLook regionLook(int row, int column, int rows, int columns) const;
};

// Sets the format of every cell of table: each edge takes the cell's own
// line, else its regions', else the table's (outer edge or inside line by
// where the cell stands); two cells meeting at an edge share the heavier of
// their lines, drawn by the cell above or to the left. cellLook gives a cell's own look (null: none).
void applyTableLook(QTextTable& table, const TableLook& look,
                    const std::function<const CellLook*(int row, int column)>& cellLook, double unitsPerPoint);

} // namespace platform::text
