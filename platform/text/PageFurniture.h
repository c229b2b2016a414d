#pragma once
// What a word-processing document prints around its body: its sections with
// their headers and footers by kind of page, and its footnotes and endnotes.
// A reader attaches it to the body document it fills; the printer places it
// on each page. A body without it prints bare pages.
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTextFormat>

#include <array>
#include <memory>
#include <optional>
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

// Block format property of the body's paragraph that starts a section (the
// first of a table's first cell, for a section starting with a table);
// value: the section's index, 1 or more. The first section starts with the
// body.
inline constexpr int kSectionProperty = QTextFormat::UserProperty + 0x5E;

// Block format property of a body paragraph that anchors stories drawn at
// a place of their own on the page where it starts; value: QList<int>, their
// indices in PageFurniture::placedStories().
inline constexpr int kPlacedStoriesProperty = QTextFormat::UserProperty + 0x5F;

// Stories placed on pages: a mail merge may give each of some thousand
// letters an address window. Boxes past this stay in the text's flow.
inline constexpr int kMaxPlacedStories = 10000;

// Sections of a document: a mail merge puts each of some thousand letters
// in a section of its own. Sections past this go on in the last one.
inline constexpr int kMaxSections = 10000;

// Which header or footer a page takes: a section's first page its own when
// the section asks (titlePage), even pages theirs when the document asks
// (evenAndOddHeaders), every other page the default one.
enum class PageKind { Default, First, Even };

// How a section's text begins: on a new page, on the next odd or even page
// (a blank page put before it when needed), or right after the text before.
enum class SectionStart { NewPage, OddPage, EvenPage, Continuous };

struct PageSection {
    SectionStart start = SectionStart::NewPage;
    // Its first page takes the first-page header and footer.
    bool titlePage = false;
    // The number its first page prints, when it numbers its pages anew.
    std::optional<int> firstPageNumber;
    // A kind of page it gives no header or footer for prints the section
    // before's; off, it prints none.
    bool inheritsStories = true;
    // Its own headers and footers by PageKind, null where it gives none;
    // sections may share one.
    std::array<std::shared_ptr<QTextDocument>, 3> headers;
    std::array<std::shared_ptr<QTextDocument>, 3> footers;
};

// Where a printed page stands in its document.
struct PagePlace {
    int section = 0;
    int number = 1;     // as printed
    bool first = true;  // the section's first page
};

struct Note {
    enum class Kind { Footnote, Endnote };
    Kind kind = Kind::Footnote;
    // As printed at the reference and before the note's text ("1", "i", "*").
    QString mark;
    std::unique_ptr<QTextDocument> text;
};

// Where a story anchored in the body is drawn on its paragraph's page, over
// the text and taking none of its room. In points: offset from the paper's
// top-left corner, or on either axis from the text area's (the job's
// margins) where fromMargin says; size the area it covers.
struct PagePlacement {
    QPointF offset;
    bool horizontalFromMargin = false;
    bool verticalFromMargin = false;
    QSizeF size;
};

struct PlacedStory {
    PagePlacement placement;
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

    // The sections in the order of the body; there is always one.
    int sectionCount() const { return int(m_sections.size()); }
    PageSection& section(int index) { return m_sections.at(std::size_t(index)); }
    const PageSection& section(int index) const { return m_sections.at(std::size_t(index)); }
    // The section being read: the last one.
    PageSection& lastSection() { return m_sections.back(); }
    // Adds a section after the others and answers its index, which the
    // paragraph starting it carries as kSectionProperty; -1 past
    // kMaxSections, when the text goes on in the last section.
    int addSection();

    // The header and footer the last section prints on a kind of page, its
    // own or inherited; null when it prints none.
    QTextDocument* header(PageKind kind) const { return storiesOf(false, kind).back(); }
    QTextDocument* footer(PageKind kind) const { return storiesOf(true, kind).back(); }
    // The last section's own, made empty when it has none.
    QTextDocument& makeHeader(PageKind kind);
    QTextDocument& makeFooter(PageKind kind);
    // An empty story with the same default font as the body.
    std::shared_ptr<QTextDocument> makeStory() const;
    // The header (or footer) of a kind that each section prints, by section.
    std::vector<QTextDocument*> storiesOf(bool footers, PageKind kind) const;
    // The kind of header and footer a page takes.
    PageKind kindOf(const PagePlace& place) const;

    bool evenAndOddHeaders = false;
    // From the paper's top and bottom edge to the header and footer, in
    // points; negative when the document does not say.
    double headerDistance = -1;
    double footerDistance = -1;

    // Puts the paragraph (or table) starting each section that starts on a
    // new page there. Readers call it once the sections are known and the
    // body is built: within an edit block its tables are not found yet.
    void breakPagesAtSections();

    const std::vector<Note>& notes() const { return m_notes; }
    // Adds a note with an empty text document; answers its index, which the
    // reference mark in the body carries as kNoteReferenceProperty.
    int addNote(Note::Kind kind, const QString& mark);
    QTextDocument& noteText(int index) { return *m_notes.at(index).text; }

    const std::vector<PlacedStory>& placedStories() const { return m_placed; }
    // Adds a placed story with an empty text document; answers its index,
    // which its anchor paragraph lists in kPlacedStoriesProperty, or -1
    // past kMaxPlacedStories.
    int addPlacedStory(const PagePlacement& placement);
    QTextDocument& placedText(int index) { return *m_placed.at(std::size_t(index)).text; }

    // No headers, footers, notes, placed stories or sections after the
    // first, and the first numbers its pages from 1.
    bool isEmpty() const;

    // Hands the furniture over to another body, which has none, when that
    // body takes over this one's text.
    void moveTo(QTextDocument& body);

private:
    explicit PageFurniture(QTextDocument& body);
    static std::size_t index(PageKind kind) { return static_cast<std::size_t>(kind); }
    std::unique_ptr<QTextDocument> makeDocument() const;

    QTextDocument* m_body;
    std::vector<PageSection> m_sections;
    std::vector<Note> m_notes;
    std::vector<PlacedStory> m_placed;
};

} // namespace platform::text
