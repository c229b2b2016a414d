#pragma once
// Word 6 and Word 95 documents made by the tests: 8-bit text in one piece
// or in two stored out of order (as a fast save leaves them), character and
// paragraph formatting pages of one-byte property modifiers, a style sheet,
// a font table and a section, all in the WordDocument stream of a compound
// file.
#include <QByteArray>
#include <QList>
#include <QPair>

namespace testsupport {

// Word 6 property modifiers: a one-byte code and its operand.
QByteArray word6Sprm(quint8 code, const QByteArray& operand);
QByteArray word6Sprm8(quint8 code, quint8 v);
QByteArray word6Sprm16(quint8 code, quint16 v);

// A Word 6 document: a centred heading in its style, bold, italic and red
// underlined runs, a right-aligned line with an e acute and a euro sign in
// Windows-1252, and a closing line.
QByteArray sampleWord6();
// Its WordDocument stream.
QByteArray sampleWord6Stream();

class Word6Builder {
public:
    static constexpr quint16 kWord6 = 101;
    static constexpr quint16 kWord95 = 104;

    struct Run {
        QByteArray text; // 8-bit, in the document's code page
        QByteArray chpx;
    };
    struct Style {
        bool paragraph = true;
        quint16 sti = 0x0FFE;
        quint16 base = 0x0FFF;
        QByteArray name; // empty: an empty slot
        QByteArray papx, chpx;
    };
    struct Font {
        QByteArray name;
        quint8 charset = 0;
    };

    // Paragraph text ends with its mark (\r, or \a in tables).
    void paragraph(const QList<Run>& runs, const QByteArray& papx = {}, quint16 istd = 0);

    void setVersion(quint16 nFib) { m_version = nFib; }
    void setLanguage(quint16 lid) { m_language = lid; }
    // Text in the Macintosh character set, as Word 6 for the Macintosh saves it.
    void setMacintoshCharacters() { m_characterSet = 256; }
    // Styles by index; none by default. defaultFont is the style sheet's.
    void setStyles(const QList<Style>& styles, quint16 defaultFont = 0)
    {
        m_styles = styles;
        m_defaultFont = defaultFont;
    }
    // "Arial" and "Courier New" by default.
    void setFonts(const QList<Font>& fonts) { m_fonts = fonts; }
    // Two pieces: the characters from this one on are stored before those
    // ahead of them, and the file is marked as fast-saved.
    void splitPiecesAt(quint32 character) { m_split = character; }
    // No piece table: the text saved whole after the file information block.
    void leaveOutPieceTable() { m_pieceTable = false; }
    // The bin tables name only their first page; the block counts them all.
    void listFirstPagesOnly() { m_firstPagesOnly = true; }
    // Every formatting page holds at most this many runs.
    void setRunsPerPage(int runs) { m_runsPerPage = runs; }
    // One section over the text, with these modifiers.
    void setSectionSprms(const QByteArray& sprms) { m_sectionSprms = sprms; }
    // The last characters are stories after the body: this many of
    // footnotes, then of headers, then of endnotes.
    void setStoryLengths(quint32 footnotes, quint32 headers, quint32 endnotes = 0)
    {
        m_footnotes = footnotes;
        m_headers = headers;
        m_endnotes = endnotes;
    }
    // A structure the block points at by its Word 97 index (11 header
    // stories, 31 document properties, ...).
    void addPart(int index, const QByteArray& bytes) { m_parts.append({index, bytes}); }

    QByteArray wordDocument() const;
    QByteArray build() const;

private:
    struct CharacterRange {
        quint32 from, to; // character positions
        QByteArray grpprl;
    };
    quint32 fcOf(quint32 cp) const;
    QList<QByteArray> pages(const QList<CharacterRange>& ranges, bool paragraphs, QList<quint32>& firstFcs) const;
    QByteArray styleSheet() const;
    QByteArray fontTable() const;

    quint16 m_version = kWord6;
    quint16 m_language = 0x0409;
    quint16 m_characterSet = 0;
    QByteArray m_text;
    QList<CharacterRange> m_chpx, m_papx;
    QList<Style> m_styles;
    quint16 m_defaultFont = 0;
    QList<Font> m_fonts{{"Arial", 0}, {"Courier New", 0}};
    quint32 m_split = 0;
    bool m_pieceTable = true;
    bool m_firstPagesOnly = false;
    int m_runsPerPage = 0;
    QByteArray m_sectionSprms;
    quint32 m_footnotes = 0, m_headers = 0, m_endnotes = 0;
    QList<QPair<int, QByteArray>> m_parts;
};

} // namespace testsupport
