#pragma once
// The space before a paragraph at the top of a page, as a word processor
// prints it: left out where the page before pushed the paragraph there by
// filling up (the layout keeps the part of it that runs past the page's
// end), kept on the first page (the layout leaves it out there) and after a
// page break. Table cells keep theirs.
#include <QList>

class QTextDocument;

namespace platform::text {

// Puts a paragraph of no height before the document's first one, so that
// the layout keeps the space before that one.
void keepSpaceBeforeFirstParagraph(QTextDocument& document);

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
