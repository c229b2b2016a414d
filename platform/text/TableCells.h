#pragma once
// Tables grown cell by cell as a reader meets them, under one budget of cells
// for the whole document: damaged or hostile input cannot make the layout
// handle millions of cells.
#include <QtGlobal>

class QTextTable;

namespace platform::text {

// Cells of all tables of a document together.
inline constexpr qint64 kMaxTableCells = 500000;

class TableCells {
public:
    // Whether a table of this many columns may still be made; counts its
    // first row when it may.
    bool takeNewTable(int columns);
    // Makes sure the table has a row of this index, adding rows in batches;
    // false when the budget allows no more.
    bool ensureRow(QTextTable* table, int row);
    // Widens the table to columns; false when the budget does not allow it.
    bool widen(QTextTable* table, int columns);
    // Removes the rows past the first used ones, given back to the budget.
    void trim(QTextTable* table, int used);

private:
    qint64 m_cells = 0;
};

} // namespace platform::text
