#pragma once
// Word-processing documents made by the tests: each format holding the same
// sample (a heading, bold, italic and red runs, a bulleted list, a two-by-two
// table, a PNG picture, a field and a closing line), and the pieces to build
// damaged ones.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>

namespace testsupport {

// The sample's words in reading order, as they must appear in the text.
QStringList sampleWords();

// A zip holding the entries in order; stored (not deflated) when store is set.
QByteArray zipBytes(const QList<QPair<QString, QByteArray>>& entries, bool store = false);

QByteArray sampleDocx();
// A DOCX theme part naming the heading (major) and body (minor) fonts.
QByteArray docxTheme(const char* major, const char* minor);
QByteArray sampleOdt();
QByteArray sampleFlatOdt();
QByteArray sampleWordML();
// An OpenOffice.org 1 text package (.sxw): a heading, a bold paragraph with a
// tab, a numbered list, a two-by-two table and a PNG picture, in the older
// names of the OpenDocument vocabulary.
QByteArray sampleSxw();
QByteArray sampleDoc();

// The parts of the samples, to be changed by a test.
QList<QPair<QString, QByteArray>> sampleDocxEntries();
QList<QPair<QString, QByteArray>> sampleOdtEntries();

// Documents of a body of the test's own, with the samples' styles, lists and
// parts: body goes inside w:body (DOCX, Word 2003 XML) or office:text (ODT).
// numbering replaces the children of the DOCX numbering part, lists those of
// the Word 2003 XML lists; automaticStyles are added to the ODT's own.
QList<QPair<QString, QByteArray>> docxEntriesWithBody(const QByteArray& body, const QByteArray& numbering = {});
// A header or footer part of a DOCX, related to the main part by id.
struct DocxStory {
    QString id;
    bool footer = false;
    QByteArray paragraphs; // the part's w:p elements
};
QByteArray docxWithStories(const QByteArray& body, const QList<DocxStory>& stories);
QList<QPair<QString, QByteArray>> odtEntriesWithBody(const QByteArray& body, const QByteArray& automaticStyles = {});
QByteArray flatOdtWithBody(const QByteArray& body, const QByteArray& automaticStyles = {},
                           const QByteArray& masterStyles = {});
// An ODT styles part with the samples' named styles and the test's own
// automatic styles (page layouts) and office:master-styles children.
QByteArray odtStyles(const QByteArray& automaticStyles, const QByteArray& masterStyles);
QByteArray wordMLWithBody(const QByteArray& body, const QByteArray& lists = {});

struct CompoundFileOptions {
    int sectorShift = 9; // 512-byte sectors; 12 for 4096-byte ones
    // Streams under 4096 bytes go to the mini stream, each stream at its own
    // size; otherwise every stream is padded past that size.
    bool smallStreams = false;
    // More than 109 puts the rest in the chained list of table sectors.
    int minimumFatSectors = 1;
};

// A compound file with the given streams, a path naming storages on the way
// ("ObjectPool/_1/WordDocument"). The allocation table starts in sector 0,
// the directory in sector 1, then the streams follow in order.
QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams, const CompoundFileOptions& options = {});

// The streams of sampleDoc, to be laid out by a test.
QList<QPair<QString, QByteArray>> sampleDocStreams();

// Documents of four sections: the first with header "Alpha", page number
// and count, and the text "one"; the second on a new page, numbered from 1
// again, with header "Beta" and a title page with its own header "Title"
// (each with the page number), and the text "two", a page break, "three";
// the third continuous with header "Gamma", "four", a page break, "five";
// the fourth on an odd page, naming no header, "six".
QByteArray docxWithSections();
QByteArray rtfWithSections();
QByteArray docWithSections();
// OpenDocument has no continuous or odd-page sections: a paragraph naming a
// master page starts one. "one" on the standard master page ("Alpha", page
// number and count); "two" on the second ("Beta", first page "Title", each
// with the page number), numbered from 1 again; "three" after a page
// break; "four" on the standard master page again.
QByteArray odtWithSections();
QByteArray flatOdtWithSections();

// Little-endian values put into data (growing it as needed) or made alone.
void put16(QByteArray& d, qsizetype at, quint16 v);
void put32(QByteArray& d, qsizetype at, quint32 v);
QByteArray le16(quint16 v);
QByteArray le32(quint32 v);

// Property modifiers over a range of the text stream's bytes.
struct PropertyRange {
    quint32 from, to;
    QByteArray grpprl; // a paragraph's starts with its style index
};
enum class FkpKind { Characters, Paragraphs, Word6Paragraphs };
// Formatting pages of 512 bytes for contiguous ranges in order, as many as
// they need; firstFcs takes each page's first position. Word 6 and 95
// paragraph pages have shorter entries and count sizes in whole words.
QList<QByteArray> formattingPages(const QList<PropertyRange>& ranges, FkpKind kind, QList<quint32>& firstFcs);

// Word 97 property modifiers with 8-, 16- and 32-bit operands.
QByteArray sprm8(quint16 code, quint8 v);
QByteArray sprm16(quint16 code, quint16 v);
QByteArray sprm32(quint16 code, quint32 v);

// The Data stream holding one picture at offset 0, its size in twips scaled
// by scaleX and scaleY thousandths; recordType 0xF01E is PNG, 0xF01D JPEG.
QByteArray docPicture(const QByteArray& image, quint16 recordType, quint16 instance, qint16 width, qint16 height,
                      quint16 scaleX = 1000, quint16 scaleY = 1000);
// The same with the records given after the picture's shape (store entries
// holding the picture, or damaged ones).
QByteArray docPictureData(const QByteArray& records, qint16 width, qint16 height, quint16 scaleX = 1000,
                          quint16 scaleY = 1000);

// A small Word 97 document: an 8-bit piece then a 16-bit one, the fonts
// "DejaVu Sans" and "DejaVu Serif", formatting pages, simple lists and a
// style sheet.
class DocBuilder {
public:
    struct Run {
        QString text;
        QByteArray chpx;
    };
    struct Style {
        enum Kind { Empty, Paragraph, Character };
        Kind kind = Empty;
        quint16 sti = 0x0FFE;
        quint16 base = 0x0FFF;
        QString name;
        QByteArray paragraph; // modifiers
        QByteArray character;
    };
    struct List {
        quint32 lsid;
        quint8 numberFormat;
    };
    struct Section {
        quint32 end;        // the character position after its mark
        int breakKind = -1; // how it starts (0 continuous, 2 new page, 4 odd page); -1: not said
        QByteArray sprms = {}; // more of its properties
    };

    // Paragraph text ends with its mark (\r, or \a in tables). Only the
    // first paragraphs may be 8-bit, within 1024 characters.
    void paragraph(const QList<Run>& runs, const QByteArray& papx = {}, quint16 istd = 0, bool eightBit = false);
    // Styles by index; none by default.
    void setStyles(const QList<Style>& styles, quint16 defaultFont = 0)
    {
        m_styles = styles;
        m_defaultFont = defaultFont;
    }
    // Lists with one level each, list override n naming the n-th list; one
    // bulleted list by default.
    void setLists(const QList<List>& lists) { m_lists = lists; }
    // Each bin table lists its pages this many times over.
    void setBinTableRepeats(int repeats) { m_binTableRepeats = repeats; }
    // The section table; none by default.
    void setSections(const QList<Section>& sections) { m_sections = sections; }
    // More properties of the first section.
    void setFirstSectionSprms(const QByteArray& sprms) { m_firstSectionSprms = sprms; }
    // The last paragraphs are stories after the body: this many characters
    // of footnotes, then of headers, then of endnotes, then of text boxes.
    void setStoryLengths(quint32 footnotes, quint32 headers, quint32 endnotes, quint32 textBoxes = 0)
    {
        m_storyLengths = {footnotes, headers, endnotes, textBoxes};
    }
    // Bytes of the WordDocument stream after the formatting pages, where the
    // pictures of the drawings' store are kept; they start at delayOffset
    // once all paragraphs are added.
    void setDelayBytes(const QByteArray& bytes) { m_delay = bytes; }
    quint32 delayOffset() const;
    // A structure of the table stream the file information block points at
    // by its index (2 footnote references, 11 header stories, 31 document
    // properties, ...).
    void addTablePart(int index, const QByteArray& bytes) { m_tableParts.append({index, bytes}); }

    // The WordDocument, 1Table and Data streams, and the file holding them.
    QList<QPair<QString, QByteArray>> streams(const QByteArray& dataStream) const;
    QByteArray build(const QByteArray& dataStream, const CompoundFileOptions& options = {}) const;

private:
    // The formatting pages start past the text.
    quint32 firstFormattingPage() const;
    static constexpr quint32 k8 = 1024;
    static constexpr quint32 k16 = 2048;
    quint32 fc() const;
    void add(QChar c, bool eightBit);
    QByteArray styleSheet() const;

    QByteArray m_text8, m_text16;
    QList<PropertyRange> m_chpx, m_papx;
    QList<Style> m_styles;
    quint16 m_defaultFont = 0;
    QList<List> m_lists{{0x1234, 23}};
    int m_binTableRepeats = 1;
    QList<Section> m_sections;
    QByteArray m_firstSectionSprms;
    std::array<quint32, 4> m_storyLengths{};
    QByteArray m_delay;
    QList<QPair<int, QByteArray>> m_tableParts;
};

} // namespace testsupport
