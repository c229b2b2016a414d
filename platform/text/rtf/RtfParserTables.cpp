// The parser's tables: rows and cells of the text become a text table.
#include "platform/text/rtf/RtfParser_p.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace platform::text::rtf {

void RtfParser::prepareInsert(bool cell)
{
    if (m_tablesOff || m_story)
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
    // Headers and notes hold no tables: their cells run on.
    if (m_tablesOff || m_story) {
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
    if (m_tablesOff || m_story) {
        applyBlockFormat();
        cursor().insertBlock(QTextBlockFormat(), charFormat());
        return;
    }
    // The row's cells take the looks its definition gives them.
    if (m_table)
        for (int c = 0; c < m_cellDefinitions.size() && c < m_table->columns(); ++c)
            m_cellLooks.insert(qint64(m_row) * kMaxTableColumns + c, m_cellDefinitions[c]);
    m_rowOpen = false;
    m_cellEnded = false;
}

void RtfParser::rowDefinitionKeyword(const Keyword& entry, int param)
{
    switch (entry.kw) {
    case Kw::Trowd:
        m_cellx.clear();
        m_rowLook = TableLook();
        m_rowLook.padding = {0, 0, 0, 0};
        m_cellDefinition = CellLook();
        m_cellDefinitions.clear();
        m_borderTarget = BorderTarget::None;
        break;
    case Kw::Cellx:
        if (m_cellx.size() < kMaxTableColumns) {
            m_cellx.append(std::clamp(param, 0, kMaxTwips));
            m_cellDefinitions.append(m_cellDefinition);
        }
        m_cellDefinition = CellLook();
        m_borderTarget = BorderTarget::None;
        break;
    case Kw::ClBrdr:
    case Kw::TrBrdr:
        m_borderTarget = entry.kw == Kw::ClBrdr ? BorderTarget::Cell : BorderTarget::Row;
        m_borderEdge = entry.value;
        if (std::optional<BorderLine>* line = borderLine())
            *line = BorderLine(); // no line until its kind is named
        break;
    case Kw::Border:
        if (std::optional<BorderLine>* line = borderLine()) {
            static const QTextFrameFormat::BorderStyle styles[] = {
                QTextFrameFormat::BorderStyle_Solid, QTextFrameFormat::BorderStyle_Dotted,
                QTextFrameFormat::BorderStyle_Dashed, QTextFrameFormat::BorderStyle_Double};
            if (!*line)
                *line = BorderLine();
            BorderLine& l = **line;
            l.style = styles[std::min<int>(entry.value, 3)];
            if (l.width <= 0)
                l.width = 0.5;
        }
        break;
    case Kw::BrdrNone:
        if (std::optional<BorderLine>* line = borderLine())
            *line = BorderLine();
        break;
    case Kw::BrdrW:
        if (std::optional<BorderLine>* line = borderLine(); line && *line)
            (*line)->width = std::clamp(param / 20.0, 0.25, 12.0);
        break;
    case Kw::BrdrCf:
        if (std::optional<BorderLine>* line = borderLine(); line && *line && param >= 0 && param < m_colors.size())
            (*line)->color = m_colors[param].value_or(QColor(Qt::black));
        break;
    case Kw::ClCbPat:
        if (param >= 0 && param < m_colors.size() && m_colors[param])
            m_cellDefinition.shading = *m_colors[param];
        break;
    case Kw::ClVertAl:
        m_cellDefinition.verticalAlignment = entry.value == 1   ? QTextCharFormat::AlignMiddle
                                             : entry.value == 2 ? QTextCharFormat::AlignBottom
                                                                : QTextCharFormat::AlignTop;
        break;
    case Kw::TrGaph: {
        const double gap = std::clamp(param / 20.0, 0.0, 72.0);
        m_rowLook.padding[EdgeLeft] = m_rowLook.padding[EdgeRight] = gap;
        break;
    }
    default:
        break;
    }
}

std::optional<BorderLine>* RtfParser::borderLine()
{
    switch (m_borderTarget) {
    case BorderTarget::Cell:
        return &m_cellDefinition.borders[std::clamp(m_borderEdge, 0, 3)];
    case BorderTarget::Row:
        if (m_borderEdge == 4)
            return &m_rowLook.whole.insideHorizontal;
        if (m_borderEdge == 5)
            return &m_rowLook.whole.insideVertical;
        return &m_rowLook.whole.borders[std::clamp(m_borderEdge, 0, 3)];
    default:
        return nullptr;
    }
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
    format.setBorder(0);
    format.setBorderCollapse(true);
    m_tableLook = m_rowLook;
    m_cellLooks.clear();
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
    // A section starting here is marked in the first cell's paragraph.
    if (m_pageBreakPending)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_pageBreakPending = false;
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
    applyTableLook(*m_table, m_tableLook,
                   [&](int row, int column) {
                       const auto it = m_cellLooks.constFind(qint64(row) * kMaxTableColumns + column);
                       return it == m_cellLooks.constEnd() ? nullptr : &*it;
                   },
                   m_unitsPerPoint);
    m_cellLooks.clear();
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_table = nullptr;
    m_rowOpen = false;
    m_cellEnded = false;
}

} // namespace platform::text::rtf
