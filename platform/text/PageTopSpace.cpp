#include "platform/text/PageTopSpace_p.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform::text {

namespace {

// Layout units by which positions may differ after rounding.
constexpr double kTolerance = 0.1;

// The layout catches up a step at a time, and lays a change out only over
// the range it touched: paragraphs past that range not laid out yet would
// be left without lines. Touching the last paragraph too makes the range run
// to the end, while the layout still stops a step past the change.
template <typename Change>
void changeFormats(QTextDocument& document, Change change)
{
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    change();
    cursor.movePosition(QTextCursor::End);
    cursor.setBlockFormat(cursor.blockFormat());
    cursor.endEditBlock();
}

void setMargins(const QTextBlock& block, std::optional<double> top, std::optional<double> bottom)
{
    QTextBlockFormat format = block.blockFormat();
    if (top)
        format.setTopMargin(*top);
    if (bottom)
        format.setBottomMargin(*bottom);
    QTextCursor(block).setBlockFormat(format);
}

// The room left at the foot of the page before when block begins a page
// because the space between it and previous ran past that page's end;
// nothing when it begins no page so.
std::optional<double> roomBefore(const QTextBlock& previous, const QTextBlock& block, double pageHeight)
{
    const QTextLayout* lines = block.layout();
    if (!block.isVisible() || !lines)
        return std::nullopt;
    const QRectF rect = block.document()->documentLayout()->blockBoundingRect(block);
    if (lines->lineCount() == 0)
        return std::nullopt;
    // The layout puts the larger of the two between paragraphs.
    const double space = std::max(block.blockFormat().topMargin(), previous.blockFormat().bottomMargin());
    if (!(space > 0))
        return std::nullopt;
    const double firstLine = rect.top() + lines->lineAt(0).y();
    const double pageTop = std::floor((firstLine + kTolerance) / pageHeight) * pageHeight;
    // Where the space begins. After a page break it begins at the page's
    // top, and keeps; a first line the layout moved on to the next page
    // begins at its top already.
    const double spaceTop = rect.top() - space;
    if (firstLine - pageTop <= kTolerance || spaceTop >= pageTop - kTolerance)
        return std::nullopt;
    return std::max(0.0, pageTop - spaceTop);
}

} // namespace

void keepSpaceBeforeFirstParagraph(QTextDocument& document)
{
    const QTextFrame::iterator first = document.rootFrame()->begin();
    if (first.atEnd() || first.currentFrame())
        return;
    const QTextBlock block = first.currentBlock();
    const QTextBlockFormat format = block.blockFormat();
    if (!(format.topMargin() > 0) || (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
        return;
    // The paragraph's text moves on into a block of its format, list and
    // all; the one left before it is empty and takes no room.
    QTextCursor(block).insertBlock(format, block.charFormat());
    const QTextBlock empty = document.begin();
    if (QTextList* list = empty.textList())
        list->remove(empty);
    QTextBlockFormat none;
    none.setLineHeight(0, QTextBlockFormat::FixedHeight);
    QTextCursor(empty).setBlockFormat(none);
}

void PageTopSpace::drop(QTextDocument& document, double pageHeight)
{
    // A layout that scales margins to a device places them otherwise.
    if (document.documentLayout()->paintDevice() || !(pageHeight > 0))
        return;
    QTextBlock previous;
    for (auto item = document.rootFrame()->begin(); !item.atEnd(); ++item) {
        if (item.currentFrame()) {
            // The layout puts no space between a table and what follows it.
            previous = QTextBlock();
            continue;
        }
        const QTextBlock block = item.currentBlock();
        if (previous.isValid()) {
            if (const std::optional<double> room = roomBefore(previous, block, pageHeight)) {
                // The space shrinks to what is left of the page before: the
                // paragraph still does not fit there and starts the next page
                // at its top.
                const double top = block.blockFormat().topMargin();
                const double bottom = previous.blockFormat().bottomMargin();
                m_changes.append({block.blockNumber(), top, bottom});
                changeFormats(document, [&] {
                    setMargins(block, std::min(top, *room), std::nullopt);
                    setMargins(previous, std::nullopt, std::min(bottom, *room));
                });
            }
        }
        previous = block;
    }
}

void PageTopSpace::restore(QTextDocument& document)
{
    if (m_changes.isEmpty())
        return;
    changeFormats(document, [&] {
        for (const Change& change : std::as_const(m_changes)) {
            const QTextBlock block = document.findBlockByNumber(change.block);
            setMargins(block, change.topMargin, std::nullopt);
            setMargins(block.previous(), std::nullopt, change.previousBottom);
        }
    });
    m_changes.clear();
}

} // namespace platform::text
