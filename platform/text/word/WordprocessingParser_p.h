#pragma once
// The WordprocessingML vocabulary shared by Office Open XML documents and
// Word 2003 XML files: styles with inheritance and document defaults, list
// definitions, paragraphs, runs, tables and pictures, read into a
// RichTextBuilder. Elements it does not know are walked for their text.
#include "platform/text/PageFurniture.h"
#include "platform/text/word/WordNumbering.h"
#include "platform/text/word/WordTables_p.h"
#include "platform/text/word/WordTheme.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>

#include <functional>
#include <optional>

class QXmlStreamReader;

namespace platform::text {

class RichTextBuilder;

// A WordprocessingML toggle: present without a value means on.
bool onOff(const QXmlStreamReader& xml, QLatin1StringView name = QLatin1StringView("val"));

class WordprocessingParser {
public:
    // The name of the package part a relationship id names (pictures),
    // empty when it names none; and the bytes of a part.
    using PartName = std::function<QString(const QString& relationshipId)>;
    using PartReader = std::function<std::optional<QByteArray>(const QString& partName)>;
    // The note a footnote (or endnote) reference names by its id: its index
    // in the body's page furniture and its mark; index -1 for none.
    struct NoteMark {
        int index = -1;
        QString mark;
    };
    // customMark is the mark the document writes itself, empty for a
    // numbered one.
    using NoteReference = std::function<NoteMark(bool endnote, const QString& id, const QString& customMark)>;

    // What floats beside a paragraph, placed after it: a text box (its
    // content captured, with its width in points and whether it has a
    // line around it) or an anchored picture; placement where it lies at a
    // place of its own on the page, over the text.
    struct Floating {
        QByteArray boxContent;
        double width = 0;
        bool border = true;
        QString relationshipId;
        QSizeF size;
        std::optional<PagePlacement> placement;
    };
    // Makes floating content with a placement a placed story of the body's
    // page furniture; answers its index, or -1 to leave it in the text's
    // flow. Without it, everything floats in the flow.
    using PlaceOnPage = std::function<int(const Floating& floating)>;

    explicit WordprocessingParser(RichTextBuilder& builder, PartName partName = {}, PartReader readPart = {});
    ~WordprocessingParser();

    // The theme's fonts, which styles and runs may name; before the styles.
    void setThemeFonts(const ThemeFonts& fonts) { m_theme = fonts; }
    // A styles part; false when it is no well-formed XML.
    bool readStyles(const QByteArray& xml);
    // A numbering part; false when it is no well-formed XML.
    bool readNumbering(const QByteArray& xml);
    // The main document (an Office Open XML "document" or a Word 2003 XML
    // "wordDocument", whose styles and lists are inside it). False when it
    // is no well-formed XML or its root is not rootName.
    bool readDocument(const QByteArray& xml, const QString& rootName);
    // Note references print their marks through this; without it, none.
    void setNoteReference(NoteReference reference) { m_noteReference = std::move(reference); }
    // The properties (a captured w:sectPr) of the body's section of that
    // index (0 for the first), which end it; followed when it ends at a
    // paragraph, after which the next section starts. Without it sections
    // are not told apart.
    using SectionEnd = std::function<void(int index, const QByteArray& properties, bool followed)>;
    void setSectionEnd(SectionEnd end) { m_sectionEnd = std::move(end); }
    void setPlaceOnPage(PlaceOnPage place) { m_placeOnPage = std::move(place); }
    // Reads floating content alone, as the whole of a story.
    void readFloating(const Floating& floating);

private:
    struct Paragraph {
        QTextBlockFormat block;
        QTextCharFormat mark;
        QString styleId;
        QString numId;
        int level = -1;
        bool hasNumbering = false;
        QByteArray section; // the properties of the section it ends
    };
    struct Style {
        QString parent;
        QTextBlockFormat block;
        QTextCharFormat chars;
        QString numId;
        int level = -1;
        bool hasNumbering = false;
    };
    struct ResolvedStyle {
        QTextBlockFormat block;
        QTextCharFormat chars;
        QString numId;
        int level = 0;
        bool hasNumbering = false;
    };
    struct TableState {
        bool started = false;
        QList<double> grid; // points
        WordTableProperties properties;
        TableLook look;
        int row = -1;
        int gridColumn = 0; // of the next cell
        WordCellProperties cell;
        CellLook cellRegions; // what the table's style gives the current cell
        bool cellOpen = false;
        bool cellStarted = false;
    };

    void readStylesElement(QXmlStreamReader& xml);
    WordNumbering::Readers propertyReaders();
    void readRunProperties(QXmlStreamReader& xml, QTextCharFormat& format, QString* styleId);
    void readParagraphProperties(QXmlStreamReader& xml, Paragraph& paragraph);
    void readGrid(QXmlStreamReader& xml, TableState& table);
    void readDrawing(QXmlStreamReader& xml);
    // A SmartArt diagram, by its data part's relationship: its boxes float
    // after the paragraph.
    void addDiagram(const QString& dataRelationshipId);
    void readPicture(QXmlStreamReader& xml);
    static void appendBoxText(QXmlStreamReader& xml, QString& text);
    // The picture of a package part, else of a binary kept in the document.
    void addPicture(const QString& relationshipId, const QString& binaryName, QSizeF size);
    // A text box's content, captured to be placed after its paragraph;
    // false when boxes nest too deep, to be read as plain text then.
    bool captureBox(QXmlStreamReader& xml, double width, bool border);
    void placeFloating();
    // Anchors content with a placement in the paragraph just ended; false
    // when it stays in the flow.
    bool placeOnPage(const Floating& floating);
    void placeBox(const Floating& box);
    // mc:AlternateContent: whether its choice (or fallback) is taken.
    bool takeAlternative(QXmlStreamReader& xml);
    bool readBody(QXmlStreamReader& xml);
    // Page number and count fields, and note references; false for other
    // elements.
    bool readFieldOrNote(QXmlStreamReader& xml);
    void endFieldOrNote(QStringView name);
    // The text after a reference that writes its own mark, printed as it.
    void emitCustomNoteMark(const QString& text);
    // A section of the body ends; after a paragraph, the next one starts.
    void endSection(const QByteArray& properties, bool atParagraph);

    ResolvedStyle resolve(const QString& styleId);
    void ensureParagraph();
    void ensureCell();
    void ensureTable();
    void emitText(const QString& text);
    QTextCharFormat runFormat();

    RichTextBuilder& m_builder;
    PartName m_partName;
    PartReader m_readPart;
    ThemeFonts m_theme;
    QHash<QString, Style> m_styles;
    QHash<QString, WordTableStyle> m_tableStyles;
    QHash<QString, ResolvedStyle> m_resolved;
    QString m_defaultParagraphStyle;
    QTextCharFormat m_defaultChars;
    QTextBlockFormat m_defaultBlock;
    WordNumbering m_numbering;
    QHash<QString, QByteArray> m_binaryData;

    Paragraph m_paragraph;
    bool m_inParagraph = false;
    bool m_paragraphStarted = false;
    bool m_joinNext = false; // the open paragraph's mark is deleted
    QTextCharFormat m_paragraphChars;
    QTextCharFormat m_runDirect;
    QString m_runStyle;
    bool m_runFormatValid = false;
    QTextCharFormat m_runFormat;
    QList<TableState> m_tables;
    QList<Floating> m_floating;
    int m_boxDepth = 0;
    QList<bool> m_alternateTaken; // of the mc:AlternateContent elements open
    NoteReference m_noteReference;
    SectionEnd m_sectionEnd;
    PlaceOnPage m_placeOnPage;
    int m_section = 0; // of the body's text being read
    int m_fieldDepth = 0;        // complex fields open
    QString m_fieldInstruction;  // of the outermost one
    int m_pageField = 0;         // PageField of the result being read, or 0
    struct PendingNote {
        bool endnote = false;
        QString id;
    };
    std::optional<PendingNote> m_customNote; // waiting for its written mark
};

} // namespace platform::text
