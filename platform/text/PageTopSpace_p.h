#pragma once
// The space before a paragraph that the page before pushed to the top of a
// page by filling up: a word processor leaves it out there, where the layout
// keeps the part of it that runs past the page's end. Paragraphs after a
// page break, table cells and the first page keep theirs.
#include <QList>

class QTextDocument;

namespace platform::text {

class PageTopSpace {
public:
    // Goes through the document's top-level paragraphs in order, right after
    // it was given its page size (pages pageHeight layout units high) and
    // while the layout is still catching up, so that each change lays out
    // only the pages around it. Paragraphs that begin a page by the flow of
    // the text lose the space before them.
    void drop(QTextDocument& document, double pageHeight);

    // Gives the paragraphs their space back, for pages of another size.
    void restore(QTextDocument& document);

private:
    struct Change {
        int block;             // the paragraph at the page's top
        double topMargin;      // its space before, as read
        double previousBottom; // the space after the paragraph before it
    };
    QList<Change> m_changes;
};

} // namespace platform::text
