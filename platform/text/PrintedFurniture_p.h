#pragma once
// Printing a document's page furniture: headers and footers in the margins,
// each page its section's with its page fields filled in, blank pages where
// a section starts on an odd or even page, footnotes at the foot of the page
// that holds their mark, endnotes and footnotes that find no room after the
// text, and stories placed on the page where their anchor paragraph starts.
#include "platform/text/PageFurniture.h"

#include <QList>
#include <QRectF>

#include <array>
#include <map>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace platform::text {

class PageFurniture;

// Where a page's parts lie on the paper, in points from its top-left corner.
struct PageFrame {
    double paperHeight = 0;
    double left = 0;       // the text's left edge
    double width = 0;      // the text width
    double bodyTop = 0;    // where the body's text area begins
    double bodyBottom = 0; // and ends
    double paperWidth = 0;
    double topMargin = 0; // the job's, which the furniture may push the body below
};

class PrintedFurniture {
public:
    // body: the document being printed; nothing is printed around it when
    // it has no furniture. textWidth in points.
    PrintedFurniture(QTextDocument& body, double textWidth);
    ~PrintedFurniture();

    bool isEmpty() const { return m_furniture == nullptr; }

    // The body's area on paper of that height within those margins, made
    // smaller where the tallest header or footer needs the room.
    void frameBody(PageFrame& frame, double topMargin, double bottomMargin) const;

    // With the body laid out in pages pageHeight layout units high, each
    // pointsPerUnit points: paragraphs move to the next page to make room
    // for the footnotes of their page; footnotes that find none, then the
    // endnotes, are added after the text.
    void placeNotes(double pageHeight, double pointsPerUnit);

    // With the body laid out in bodyPages pages pageHeight layout units
    // high, after its notes are placed: the pages as printed, each in the
    // section it starts in and numbered as that section numbers it, and the
    // blank pages put before a section that starts on an odd or even page.
    // Answers how many pages are printed.
    int planPages(double pageHeight, int bodyPages);
    // The body's page a printed page (0-based) shows; -1 for a blank page.
    int bodyPageOf(int page) const;

    // Draws printed page (0-based): its header, footer, footnotes and
    // placed stories.
    void drawPage(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint);

    // Characters other than white space the furniture prints on that page.
    int charactersOn(int page) const;

private:
    // The section each of the body's pages starts in.
    std::vector<int> sectionsOfPages(double pageHeight, int bodyPages) const;
    QTextDocument* storyOf(int page, bool footer) const;
    std::map<int, std::vector<int>> footnotesByPage(double pageHeight) const;
    bool makeRoom(int page, const std::vector<int>& notes, double pageHeight, double pointsPerUnit,
                  std::vector<int>& deferred);
    void appendAfterText(const std::vector<int>& notes);
    double notesHeight(const std::vector<int>& notes) const;
    // The placed stories each of the body's pages shows, in the order of
    // the body.
    std::map<int, std::vector<int>> placedStoriesByPage(double pageHeight) const;
    void drawHeaderAndFooter(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint);
    void drawFootnotes(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint);
    void drawPlacedStories(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint);

    QTextDocument& m_body;
    PageFurniture* m_furniture = nullptr;
    double m_textWidth = 0;
    // The headers and footers by PageKind that each section prints, and
    // each of them once.
    std::array<std::vector<QTextDocument*>, 3> m_headers, m_footers;
    std::vector<QTextDocument*> m_allHeaders, m_allFooters;
    std::vector<PagePlace> m_places; // of the printed pages
    std::vector<int> m_bodyPages;    // by printed page; empty: one to one
    // Footnotes as printed (mark and text) by note index; null for endnotes.
    std::vector<std::unique_ptr<QTextDocument>> m_printedNotes;
    std::map<int, std::vector<int>> m_notesOnPage;
    std::vector<bool> m_atFoot;
    std::map<int, std::vector<int>> m_placedOnPage; // by body page
};

} // namespace platform::text
