#pragma once
// Printing a document's page furniture: headers and footers in the margins
// with their page fields filled in, footnotes at the foot of the page that
// holds their mark, endnotes and footnotes that find no room after the text.
#include <QList>
#include <QRectF>

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

    // Draws page (0-based) of pageCount: its header, footer and footnotes.
    void drawPage(QPainter& painter, int page, int pageCount, const PageFrame& frame, double devicePerPoint);

    // Characters other than white space the furniture prints on that page.
    int charactersOn(int page) const;

private:
    std::map<int, std::vector<int>> footnotesByPage(double pageHeight) const;
    bool makeRoom(int page, const std::vector<int>& notes, double pageHeight, double pointsPerUnit,
                  std::vector<int>& deferred);
    void appendAfterText(const std::vector<int>& notes);
    double notesHeight(const std::vector<int>& notes) const;

    QTextDocument& m_body;
    PageFurniture* m_furniture = nullptr;
    double m_textWidth = 0;
    // Footnotes as printed (mark and text) by note index; null for endnotes.
    std::vector<std::unique_ptr<QTextDocument>> m_printedNotes;
    std::map<int, std::vector<int>> m_notesOnPage;
    std::vector<bool> m_atFoot;
};

} // namespace platform::text
