// The parser's tables: rows and cells of the text become a text table.
#include "platform/text/RtfParser_p.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace platform::text::rtf {

void RtfParser::prepareInsert(bool cell)
{
    if (tablesOff_)
        return;
    if (cur().para.inTable || cell) {
        if (!table_)
            openTable();
        else if (!rowOpen_ && !startRow())
            return;
    } else if (table_ && !rowOpen_) {
        closeTable();
        return;
    }
    if (table_ && rowOpen_ && cellEnded_)
        nextCell();
}

void RtfParser::cellEnd()
{
    flushText();
    if (cur().dest == Dest::Footnote) {
        textChar(' ');
        return;
    }
    if (tablesOff_) {
        textChar('\t');
        return;
    }
    prepareInsert(true);
    if (!table_) {
        textChar('\t');
        return;
    }
    applyBlockFormat();
    cellEnded_ = true;
}

void RtfParser::rowEnd()
{
    flushText();
    if (cur().dest == Dest::Footnote) {
        textChar(' ');
        return;
    }
    if (tablesOff_) {
        applyBlockFormat();
        cursor_.insertBlock(QTextBlockFormat(), charFormat());
        return;
    }
    rowOpen_ = false;
    cellEnded_ = false;
}

void RtfParser::openTable()
{
    const int columns = std::clamp<int>(cellx_.size(), 1, kMaxTableColumns);
    if (!tableCells_.takeNewTable(columns)) {
        tablesOff_ = true;
        return;
    }
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setCellPadding(points(2));
    if (rowBorders_) {
        format.setBorder(points(0.5));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::black);
    } else {
        format.setBorder(0);
    }
    if (cellx_.size() == columns) {
        QList<QTextLength> widths;
        int previous = 0;
        for (int right : cellx_) {
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
    if (pageBreakPending_ || (sectionPending_ && sectionBreaksPage_))
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakPending_ = false;
    sectionPending_ = false;
    // A table goes before the block it is inserted at; from an empty block
    // that follows another paragraph it goes at that paragraph's end, so that
    // the empty block follows the table instead of standing before it.
    const QTextBlock block = cursor_.block();
    bool moved = false;
    if (block.length() == 1 && block.previous().isValid()) {
        QTextCursor before(&document_);
        before.setPosition(block.position() - 1);
        moved = before.currentFrame() == cursor_.currentFrame();
        if (moved)
            cursor_.setPosition(block.position() - 1);
    }
    table_ = cursor_.insertTable(1, columns, format);
    if (moved) {
        // The table brings a block of its own after it: drop the empty one.
        QTextCursor after(&document_);
        after.setPosition(table_->lastPosition() + 1);
        if (after.block().length() == 1 && after.block().next().isValid())
            after.deleteChar();
    }
    row_ = 0;
    column_ = 0;
    rowOpen_ = true;
    cellEnded_ = false;
    cursor_.setPosition(table_->cellAt(0, 0).firstPosition());
}

bool RtfParser::startRow()
{
    if (!tableCells_.ensureRow(table_, row_ + 1)) {
        closeTable();
        tablesOff_ = true;
        return false;
    }
    ++row_;
    column_ = 0;
    rowOpen_ = true;
    cellEnded_ = false;
    tableCells_.widen(table_, std::min<int>(cellx_.size(), kMaxTableColumns));
    cursor_.setPosition(table_->cellAt(row_, 0).firstPosition());
    return true;
}

void RtfParser::nextCell()
{
    cellEnded_ = false;
    if (column_ + 1 >= table_->columns()) {
        // A row with more cells than its definition: widen the table, or
        // keep the rest in its last cell.
        if (table_->columns() >= kMaxTableColumns || !tableCells_.widen(table_, table_->columns() + 1)) {
            cursor_.insertText(QStringLiteral("\t"), charFormat());
            return;
        }
    }
    ++column_;
    cursor_.setPosition(table_->cellAt(row_, column_).firstPosition());
}

void RtfParser::closeTable()
{
    if (!table_)
        return;
    tableCells_.trim(table_, row_ + 1);
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    rowOpen_ = false;
    cellEnded_ = false;
}

} // namespace platform::text::rtf
