#pragma once
// What word processors draw around and inside paragraphs that the layout
// does not: border lines (a box, or a rule above or below) and the leader
// dots that fill a tab up to its stop. Readers set them on a paragraph's
// format; the printer draws them page by page.
#include "platform/text/TableLook.h"

#include <QList>
#include <QString>
#include <QTextBlockFormat>

#include <array>
#include <optional>

class QPainter;
class QTextDocument;

namespace platform::text {

// Block format properties holding the borders and the tab leaders.
inline constexpr int kParagraphBordersProperty = QTextFormat::UserProperty + 0x5A;
inline constexpr int kTabLeadersProperty = QTextFormat::UserProperty + 0x5B;

// The lines around a paragraph, by Edge, widths in points.
void setParagraphBorders(QTextBlockFormat& format, const std::array<std::optional<BorderLine>, 4>& borders);
std::array<BorderLine, 4> paragraphBorders(const QTextBlockFormat& format);

struct TabLeader {
    double position; // of its stop, as the format's tab stops are measured
    QChar fill;      // '.', '-', '_' or a middle dot
};
void setTabLeaders(QTextBlockFormat& format, const QList<TabLeader>& leaders);
QList<TabLeader> tabLeaders(const QTextBlockFormat& format);

// Paragraphs of a document that carry decorations, in document order, so
// that each page looks only at its own.
class ParagraphDecorations {
public:
    explicit ParagraphDecorations(const QTextDocument& document);
    // Draws the decorations of paragraphs between top and bottom (layout
    // units of the document); painter is in those units. Calls come with
    // growing tops.
    void draw(QPainter& painter, double top, double bottom, double unitsPerPoint);

private:
    struct Entry {
        int blockNumber;
        double top, bottom;
    };
    const QTextDocument& m_document;
    QList<Entry> m_entries; // by top
    qsizetype m_next = 0;
};

} // namespace platform::text
