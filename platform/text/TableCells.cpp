#include "platform/text/TableCells.h"

#include <QTextTable>

#include <algorithm>

namespace platform::text {

namespace {

// Rows are added in batches, as each change to a table's shape makes it
// rebuild its cell grid; batches stay small because removing the unused rows
// at the end costs the square of their cells.
constexpr int kCellBatch = 4096;

} // namespace

bool TableCells::takeNewTable(int columns)
{
    if (columns < 1)
        return false;
    if (m_cells + columns > kMaxTableCells) {
        m_exceeded = true;
        return false;
    }
    m_cells += columns;
    return true;
}

bool TableCells::ensureRow(QTextTable* table, int row)
{
    if (row < table->rows())
        return true;
    const int columns = table->columns();
    const qint64 batch = std::clamp(table->rows(), 1, std::max(1, kCellBatch / columns));
    const qint64 add = std::min(batch, (kMaxTableCells - m_cells) / columns);
    if (add < 1 || row >= table->rows() + add) {
        m_exceeded = true;
        return false;
    }
    table->appendRows(int(add));
    m_cells += add * columns;
    return true;
}

bool TableCells::widen(QTextTable* table, int columns)
{
    const int more = columns - table->columns();
    if (more <= 0)
        return true;
    if (m_cells + qint64(table->rows()) * more > kMaxTableCells) {
        m_exceeded = true;
        return false;
    }
    table->appendColumns(more);
    m_cells += qint64(table->rows()) * more;
    return true;
}

void TableCells::trim(QTextTable* table, int used)
{
    const int unused = table->rows() - std::max(used, 1);
    if (unused <= 0)
        return;
    m_cells -= qint64(unused) * table->columns();
    table->removeRows(table->rows() - unused, unused);
}

} // namespace platform::text
