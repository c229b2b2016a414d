#pragma once
// The RTF reader's parser: one pass over the data that builds the document
// through a cursor, group by group.
#include "platform/text/BoundedImage.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/rtf/RtfCodePage_p.h"
#include "platform/text/rtf/RtfKeywords_p.h"
#include "platform/text/TableCells.h"
#include "platform/text/TableLook.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextFormat>
#include <QTextOption>

#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class QImage;
class QTextDocument;
class QTextTable;

namespace platform::text::rtf {

// Bounds against damaged or hostile input.
constexpr size_t kMaxGroupDepth = 256;
constexpr int kMaxTableColumns = 256;
constexpr int kMaxTabStops = 128;
constexpr int kMaxTwips = 31680;          // 22 inches: beyond that an indent is damage
constexpr int kMaxControlParameter = 1 << 30;
// A field's instruction is read this far: its first word names the field.
constexpr int kMaxFieldInstruction = 256;


// What the text of a group goes to.
enum class Dest : uint8_t {
    Text,
    Story,      // a header, footer or note: text of its own document
    Skip,
    Upr,        // ANSI half of a \upr pair: skipped up to its \ud part
    FontTable,
    ColorTable,
    Picture,
    Attachment, // an RTFD attachment's file name
    FieldInstruction,
};

struct CharState {
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    uint8_t underline = QTextCharFormat::NoUnderline;
    uint8_t caps = 0;   // 1 all capitals, 2 small capitals
    uint8_t valign = 0; // 1 superscript, 2 subscript
    int foreground = -1;
    int background = -1;
    uint8_t field = 0; // the PageField the text stands for
    bool operator==(const CharState&) const = default;
};

struct TabStop {
    int twips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
    bool operator==(const TabStop&) const = default;
};

struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int left = 0;
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int line = 0;
    bool lineMultiple = false;
    bool pageBreakBefore = false;
    bool inTable = false;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
    QList<TabStop> tabs;
    bool operator==(const ParaState&) const = default;
};

// The state each group saves: closing a group restores its parent's.
struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    Dest beforeUpr = Dest::Text;
    int uc = 1;
};

struct FontInfo {
    QString name;
    int codePage = 0;
    QFont::StyleHint hint = QFont::AnyStyle;
};

struct FontDefinition {
    int number = -1;
    int charset = -1;
    int codePage = 0;
    QFont::StyleHint hint = QFont::AnyStyle;
    QString name;
};

struct ColorDefinition {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool given = false;
};

struct Picture {
    enum Type { None, Png, Jpeg, Other } type = None;
    int goalWidth = 0;
    int goalHeight = 0;
    int scaleX = 100;
    int scaleY = 100;
    QByteArray data;
    int highNibble = -1;
    bool tooLarge = false;
};

struct Attachment {
    QString name;
    bool nameDone = false;
    int width = 0;
    int height = 0;
};

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfParser {
public:
    RtfParser(QTextDocument& document, const QString& attachmentFolder, double unitsPerPoint)
        : m_document(document), m_cursor(&document), m_folder(attachmentFolder),
          m_unitsPerPoint(unitsPerPoint)
    {
        m_stack.reserve(kMaxGroupDepth + 2);
        m_stack.push_back(Group{}); // the state outside the document's group
    }

    void parse(const char* begin, const char* end);
    bool tableCellsExceeded() const { return m_tableCells.exceeded(); }
    bool notesExceeded() const { return m_notesExceeded; }

private:
    Group& cur() { return m_stack.back(); }
    // Layout units of a length in twips or points.
    double twips(int value) const { return value / 20.0 * m_unitsPerPoint; }
    double points(double value) const { return value * m_unitsPerPoint; }
    bool textual() { return cur().dest == Dest::Text || cur().dest == Dest::Story; }
    // Where text goes: the story being read, else the body.
    QTextCursor& cursor();

    void openGroup();
    void closeGroup();
    void controlWord();
    void controlSymbol(char c);
    void keyword(std::string_view name, bool hasParam, int param);
    void textKeyword(const Keyword& entry, bool hasParam, int param);
    void fontTableKeyword(Kw kw, int param);
    void pictureKeyword(Kw kw, int param);
    void pictureData();
    void skipBinary(int count);

    void textByte(unsigned char byte);
    void textChar(qint64 codePoint);
    bool dropPlaceholder();
    void decodeBytes();
    void flushText();
    int codePage();
    const FontInfo* fontFor(int number) const;
    // The current font when it is a symbol font.
    const FontInfo* symbolFont();
    const QTextCharFormat& charFormat();
    QTextBlockFormat blockFormat();

    // Keywords of a row's definition: its cells' right edges, lines,
    // shading and alignment.
    void rowDefinitionKeyword(const Keyword& entry, int param);
    // The line a border keyword describes now; null when it is none of a
    // table's.
    std::optional<BorderLine>* borderLine();
    void prepareInsert(bool cell = false);
    void applyBlockFormat();
    void paragraphBreak();
    void pageBreak();
    void sectionBreak();
    void cellEnd();
    void rowEnd();
    void openTable();
    bool startRow();
    void nextCell();
    void closeTable();

    // Headers, footers, notes, page fields and sections.
    void furnitureKeyword(const Keyword& entry, int param);
    void sectionKeyword(Kw kw, int param);
    void startHeaderOrFooter(int which);
    void startNote();
    void endStory();
    void noteMark();
    // The note's reference in the body: the mark read before it, else the
    // superscript text before it, else a number of its own; answers the mark.
    QString markNoteReference(int index, Note::Kind kind);
    void endFieldInstruction();
    QString nextNoteNumber(Note::Kind kind);

    void commitFont();
    void commitColor();
    void finishPicture();
    void finishAttachment();
    void insertImage(const QImage& image, QSizeF size);
    void finish();

    QTextDocument& m_document;
    QTextCursor m_cursor;
    QString m_folder;
    double m_unitsPerPoint;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    std::vector<Group> m_stack;
    bool m_finished = false;
    bool m_ignorable = false;
    int m_ucSkip = 0;
    bool m_placeholderPending = false;

    CodePageDecoder m_decoder;
    int m_documentCodePage = 1252;
    int m_defaultFont = -1;
    std::unordered_map<int, FontInfo> m_fonts;
    QList<std::optional<QColor>> m_colors;
    FontDefinition m_fontDefinition;
    ColorDefinition m_colorDefinition;

    QByteArray m_bytes; // undecoded text in the current code page
    QString m_text;     // decoded text not yet in the document
    bool m_charFormatValid = false;
    CharState m_charFormatState;
    QTextCharFormat m_charFormat;
    bool m_blockFormatValid = false;
    ParaState m_blockFormatState;
    QTextBlockFormat m_blockFormat;

    bool m_pageBreakPending = false;
    int m_sectionStart = 0; // the section the next paragraph starts, if any
    // The section's page numbering: whether it starts anew, and from which.
    bool m_pageNumberRestart = false;
    int m_firstPageNumber = 1;

    QTextTable* m_table = nullptr;
    int m_row = 0;
    int m_column = 0;
    bool m_rowOpen = false;
    bool m_cellEnded = false;
    bool m_tablesOff = false;
    TableCells m_tableCells;
    QList<int> m_cellx;
    // The row definition being read: its own lines and padding, and each
    // cell's look as its right edge closes it.
    TableLook m_rowLook;
    CellLook m_cellDefinition;
    QList<CellLook> m_cellDefinitions;
    enum class BorderTarget : uint8_t { None, Cell, Row } m_borderTarget = BorderTarget::None;
    int m_borderEdge = 0;
    // The table's look (its first row's) and its cells' looks, laid on when
    // it closes.
    TableLook m_tableLook;
    QHash<qint64, CellLook> m_cellLooks;

    // A header, footer or note being read: its text goes to its own document
    // until the group that opened it closes. A note is made at its first
    // text, when its kind (\ftnalt) is known.
    struct Story {
        QTextCursor cursor;
        size_t depth = 0;
        bool pendingNote = false;
        Note::Kind kind = Note::Kind::Footnote;
    };
    std::optional<Story> m_story;
    bool m_dropLeadingSpace = false; // after a note's own mark
    // An automatic mark in the body waiting for its note, selected.
    std::optional<QTextCursor> m_pendingMark;
    int m_footnotes = 0;
    int m_endnotes = 0;
    QString m_footnoteFormat = QStringLiteral("decimal");
    QString m_endnoteFormat = QStringLiteral("lowerRoman");
    bool m_notesExceeded = false;
    QString m_fieldInstruction;

    Picture m_picture;
    Attachment m_attachment;
    int m_imageCount = 0;
    ImageBudget m_images;
};

} // namespace platform::text::rtf
