// The parser's tables: rows and cells of the text become a text table.
#include "platform/text/rtf/RtfParser_p.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace platform::text::rtf {

void RtfParser::prepareInsert(bool cell)
{
    if (m_tablesOff)
        return;
    if (cur().para.inTable || cell) {
        if (!m_table)
            openTable();
        else if (!m_rowOpen && !startRow())
            return;
    } else if (m_table && !m_rowOpen) {
        closeTable();
        return;
    }
    if (m_table && m_rowOpen && m_cellEnded)
        nextCell();
}

void RtfParser::cellEnd()
{
    flushText();
    if (cur().dest == Dest::Footnote) {
        textChar(' ');
        return;
    }
    if (m_tablesOff) {
        textChar('\t');
        return;
    }
    prepareInsert(true);
    if (!m_table) {
        textChar('\t');
        return;
    }
    applyBlockFormat();
    m_cellEnded = true;
}

void RtfParser::rowEnd()
{
    flushText();
    if (cur().dest == Dest::Footnote) {
        textChar(' ');
        return;
    }
    if (m_tablesOff) {
        applyBlockFormat();
        m_cursor.insertBlock(QTextBlockFormat(), charFormat());
        return;
    }
    m_rowOpen = false;
    m_cellEnded = false;
}

void RtfParser::openTable()
{
    const int columns = std::clamp<int>(m_cellx.size(), 1, kMaxTableColumns);
    if (!m_tableCells.takeNewTable(columns)) {
        m_tablesOff = true;
        return;
    }
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setCellPadding(points(2));
    if (m_rowBorders) {
        format.setBorder(points(0.5));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::black);
    } else {
        format.setBorder(0);
    }
    if (m_cellx.size() == columns) {
        QList<QTextLength> widths;
        int previous = 0;
        for (int right : m_cellx) {
            if (right <= previous) {
                widths.clear();
                break;
            }
            widths.append(QTextLength(QTextLength::FixedLength, twips(right - previous)));
            previous = right;
        }
        if (!widths.isEmpty())
            format.setColumnWidthConstraints(widths);
    }
    if (m_pageBreakPending || (m_sectionPending && m_sectionBreaksPage))
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_pageBreakPending = false;
    m_sectionPending = false;
    // A table goes before the block it is inserted at; from an empty block
    // that follows another paragraph it goes at that paragraph's end, so that
    // the empty block follows the table instead of standing before it.
    const QTextBlock block = m_cursor.block();
    bool moved = false;
    if (block.length() == 1 && block.previous().isValid()) {
        QTextCursor before(&m_document);
        before.setPosition(block.position() - 1);
        moved = before.currentFrame() == m_cursor.currentFrame();
        if (moved)
            m_cursor.setPosition(block.position() - 1);
    }
    m_table = m_cursor.insertTable(1, columns, format);
    if (moved) {
        // The table brings a block of its own after it: drop the empty one.
        QTextCursor after(&m_document);
        after.setPosition(m_table->lastPosition() + 1);
        if (after.block().length() == 1 && after.block().next().isValid())
            after.deleteChar();
    }
    m_row = 0;
    m_column = 0;
    m_rowOpen = true;
    m_cellEnded = false;
    m_cursor.setPosition(m_table->cellAt(0, 0).firstPosition());
}

bool RtfParser::startRow()
{
    if (!m_tableCells.ensureRow(m_table, m_row + 1)) {
        closeTable();
        m_tablesOff = true;
        return false;
    }
    ++m_row;
    m_column = 0;
    m_rowOpen = true;
    m_cellEnded = false;
    m_tableCells.widen(m_table, std::min<int>(m_cellx.size(), kMaxTableColumns));
    m_cursor.setPosition(m_table->cellAt(m_row, 0).firstPosition());
    return true;
}

void RtfParser::nextCell()
{
    m_cellEnded = false;
    if (m_column + 1 >= m_table->columns()) {
        // A row with more cells than its definition: widen the table, or
        // keep the rest in its last cell.
        if (m_table->columns() >= kMaxTableColumns || !m_tableCells.widen(m_table, m_table->columns() + 1)) {
            m_cursor.insertText(QStringLiteral("\t"), charFormat());
            return;
        }
    }
    ++m_column;
    m_cursor.setPosition(m_table->cellAt(m_row, m_column).firstPosition());
}

void RtfParser::closeTable()
{
    if (!m_table)
        return;
    m_tableCells.trim(m_table, m_row + 1);
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_table = nullptr;
    m_rowOpen = false;
    m_cellEnded = false;
}

} // namespace platform::text::rtf
