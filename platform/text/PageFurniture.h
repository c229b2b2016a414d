#pragma once
// What a word-processing document prints around its body: headers and footers
// by kind of page, and its footnotes and endnotes. A reader attaches it to the
// body document it fills; the printer places it on each page. A body without
// it prints bare pages.
#include <QObject>
#include <QString>
#include <QTextFormat>

#include <array>
#include <memory>
#include <vector>

class QTextDocument;

namespace platform::text {

// Character format property of a header or footer's text standing for a
// field; the printer replaces that text on each page. Value: a PageField.
inline constexpr int kPageFieldProperty = QTextFormat::UserProperty + 0x5C;
enum class PageField { PageNumber = 1, PageCount = 2 };

// Character format property of a note's reference mark in the body; value:
// the note's index in PageFurniture::notes().
inline constexpr int kNoteReferenceProperty = QTextFormat::UserProperty + 0x5D;

// Which header or footer a page takes: the first page its own when the
// document asks (titlePage), even pages theirs when it asks
// (evenAndOddHeaders), every other page the default one.
enum class PageKind { Default, First, Even };

struct Note {
    enum class Kind { Footnote, Endnote };
    Kind kind = Kind::Footnote;
    // As printed at the reference and before the note's text ("1", "i", "*").
    QString mark;
    std::unique_ptr<QTextDocument> text;
};

class PageFurniture : public QObject {
    // Found among the body's other children (lists, tables, its layout) by type.
    Q_OBJECT
public:
    // The furniture of body, made empty when it has none; owned by body.
    static PageFurniture& of(QTextDocument& body);
    // The furniture of body; null when it has none.
    static PageFurniture* find(const QTextDocument& body);
    ~PageFurniture() override;

    // Null when the document gives none for that kind of page.
    QTextDocument* header(PageKind kind) const { return m_headers[index(kind)].get(); }
    QTextDocument* footer(PageKind kind) const { return m_footers[index(kind)].get(); }
    // Made empty when absent; same default font as the body.
    QTextDocument& makeHeader(PageKind kind);
    QTextDocument& makeFooter(PageKind kind);

    // The header and footer a page prints (1-based), following the rules of
    // PageKind; null where it has none.
    QTextDocument* headerForPage(int page) const { return m_headers[index(kindOfPage(page))].get(); }
    QTextDocument* footerForPage(int page) const { return m_footers[index(kindOfPage(page))].get(); }

    bool titlePage = false;
    bool evenAndOddHeaders = false;
    // From the paper's top and bottom edge to the header and footer, in
    // points; negative when the document does not say.
    double headerDistance = -1;
    double footerDistance = -1;

    const std::vector<Note>& notes() const { return m_notes; }
    // Adds a note with an empty text document; answers its index, which the
    // reference mark in the body carries as kNoteReferenceProperty.
    int addNote(Note::Kind kind, const QString& mark);
    QTextDocument& noteText(int index) { return *m_notes.at(index).text; }

    bool isEmpty() const;

    // Hands the furniture over to another body, which has none, when that
    // body takes over this one's text.
    void moveTo(QTextDocument& body);

private:
    explicit PageFurniture(QTextDocument& body);
    static std::size_t index(PageKind kind) { return static_cast<std::size_t>(kind); }
    PageKind kindOfPage(int page) const;
    std::unique_ptr<QTextDocument> makeDocument() const;

    QTextDocument* m_body;
    std::array<std::unique_ptr<QTextDocument>, 3> m_headers;
    std::array<std::unique_ptr<QTextDocument>, 3> m_footers;
    std::vector<Note> m_notes;
};

} // namespace platform::text
