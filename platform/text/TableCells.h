#pragma once
// Tables grown cell by cell as a reader meets them, under one budget of cells
// for the whole document: the layout takes more than linear time in a table's
// cells, so a document with more of them is refused rather than laid out for
// minutes.
#include <QtGlobal>

class QTextTable;

namespace platform::text {

// Cells of all tables of a document together: 100,000 cells print in about
// a minute, 1,000,000 would take half an hour.
inline constexpr qint64 kMaxTableCells = 100000;

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

    // Whether a table, row or column was refused for want of budget: the
    // document then cannot be read whole.
    bool exceeded() const { return m_exceeded; }

private:
    qint64 m_cells = 0;
    bool m_exceeded = false;
};

} // namespace platform::text
