#include "platform/text/word/DocReader.h"

#include "platform/text/word/CompoundFile.h"
#include "platform/text/word/DocDrawings_p.h"
#include "platform/text/word/DocFile_p.h"
#include "platform/text/word/Word6Format_p.h"
#include "platform/text/FontFamilies.h"
#include "platform/text/ListLabels.h"
#include "platform/text/PageFieldCode_p.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextFileBytes.h"
#include "platform/text/TextLog_p.h"

#include <QColor>
#include <QHash>
#include <QSet>
#include <QTextDocument>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace platform::text {

namespace {

constexpr qint64 kMaxDocFileBytes = 256LL * 1024 * 1024;
// Word 97 and later number their file information blocks from here.
constexpr int kFirstWord97Fib = 0xC0;
constexpr int kMaxFieldDepth = 64;
// A field's code is kept this far: its first word names the field.
constexpr int kMaxFieldCode = 256;
// The header stories: six separators of the notes, then six for each
// section (even and odd header, even and odd footer, first header and footer).
constexpr int kStoriesPerSection = 6;
constexpr quint8 kAllStories = 0x3F;
constexpr int kMaxFonts = 32767;
constexpr int kMaxLists = 32767;
constexpr int kMaxStyles = 4095; // style indices are 12 bits
constexpr int kNoStyle = 0x0FFF;
// The unit of a cell margin's width that names twips; the others (none,
// automatic, percent) give no margin of their own.
constexpr quint8 kTwipsUnit = 3;
constexpr int kMaxStyleDepth = 32;
// Word 6's autonumbering levels: 1 to 9 number headings, these list items.
constexpr int kWord6ListLevel = 10;

// The operand size of a property modifier; -1 when it cannot be walked.
qint64 operandSize(const Bytes& b, quint16 sprm, qint64 at)
{
    switch (sprm >> 13) {
    case 0:
    case 1: return 1;
    case 2:
    case 4:
    case 5: return 2;
    case 3: return 4;
    case 7: return 3;
    default:
        if (sprm == 0xD608 || sprm == 0xD606) // table definitions: a 16-bit size
            return b.has(at, 2) ? qint64(b.u16(at)) + 1 : -1;
        if (sprm == 0xC615 && b.u8(at) == 255)
            return -1;
        return b.has(at, 1) ? qint64(b.u8(at)) + 1 : -1;
    }
}

} // namespace

std::optional<Sprm> word97SprmAt(const Bytes& b, qint64 at, qint64 to)
{
    if (at + 2 > to || !b.has(at, 2))
        return std::nullopt;
    const quint16 code = b.u16(at);
    const qint64 size = operandSize(b, code, at + 2);
    if (size < 0 || at + 2 + size > to)
        return std::nullopt;
    qint64 operand = at + 2;
    qint64 length = size;
    if ((code >> 13) == 6) { // the size byte(s) precede the operand
        const qint64 prefix = (code == 0xD608 || code == 0xD606) ? 2 : 1;
        operand += prefix;
        length -= prefix;
        if (operand + length > to)
            return std::nullopt;
    }
    return Sprm{code, operand, length, at + 2 + size};
}

namespace {

struct Run {
    quint32 fcStart, fcEnd;
    qint64 from, to; // grpprl in the WordDocument stream
    quint16 istd = 0;
};

struct Character {
    char16_t c;
    quint32 fc;
};

// The number format of each level of a list.
// A list level: its label and the indents it gives its items.
struct DocListLevel {
    ListLevelLook look;
    QTextBlockFormat block;
};
using ListLevels = QList<DocListLevel>;

// What a run's modifiers say besides its look.
struct RunExtras {
    qint64 picture = -1;
    bool special = false;
};

struct ParagraphProperties {
    QTextBlockFormat block;
    bool inTable = false, rowEnd = false, innerCell = false, innerRowEnd = false;
    int depth = 0;
    int ilfo = 0, ilvl = 0;
    // Word 6 and 95 number paragraphs of their own (levels 10 and up) by
    // the label they describe.
    std::optional<ListLevelLook> autonumber;
    int autonumberLevel = 0;
};

// Styles live in the table stream; their modifiers apply under the direct
// formatting.
struct Style {
    enum Kind { None, Paragraph, Character };
    Kind kind = None;
    int sti = kNoStyle;
    int base = kNoStyle;
    qint64 papxFrom = 0, papxTo = 0;
    qint64 chpxFrom = 0, chpxTo = 0;
    QList<int> chain; // this style and its bases, the farthest base first
    // Paragraph styles, resolved through the chain.
    ParagraphProperties paragraph;
    QTextCharFormat character;
};

class DocParser {
public:
    DocParser(const QByteArray& word, const QByteArray& table, const QByteArray& data, const DocFib& fib,
              RichTextBuilder& builder)
        : m_word(word), m_table(table), m_data(data), m_w{word}, m_t{table}, m_dt{data}, m_fib(fib),
          m_builder(&builder)
    {
    }

    bool parse();

private:
    // Reads the text, all stories when the pieces hold them; false when
    // they do not hold the body whole.
    bool readPieces(quint32 fcClx, quint32 lcbClx, quint32 bodyLength, quint32 textLength);
    // The characters of a piece; false when the stream does not hold them.
    bool addPiece(quint32 fc, qint64 count, bool eightBit);
    // The pages a bin table names.
    QList<quint32> binTablePages(quint32 fc, quint32 lcb, bool paragraphs) const;
    void readFkps(quint32 fc, quint32 lcb, bool paragraphs);
    void readSections(quint32 fc, quint32 lcb);
    void readFonts(quint32 fc, quint32 lcb);
    void readStyles(quint32 fc, quint32 lcb);
    void resolveStyles();
    void readLists(quint32 fcLst, quint32 lcbLst, quint32 fcLfo, quint32 lcbLfo);
    DocListLevel readListLevel(qint64 at, qint64 end) const;
    const Run* find(const QList<Run>& runs, quint32 fc) const;
    void applyCharacterSprms(const Bytes& b, qint64 from, qint64 to, QTextCharFormat& f, RunExtras& extras) const;
    void applyParagraphSprms(const Bytes& b, qint64 from, qint64 to, ParagraphProperties& p) const;
    const Style* styleOf(int istd, Style::Kind kind) const;
    QTextCharFormat charFormat(const Run* run, const Style* paragraphStyle, RunExtras& extras) const;
    void emitParagraph(qsizetype from, qsizetype to, qsizetype mark);
    // Paragraphs of characters [from, to) of the text, and the tables they open closed.
    void emitRange(qsizetype from, qsizetype to);
    // The same into a header, footer or note; false when it outgrew its budget.
    bool emitStory(qsizetype from, qsizetype to, QTextDocument& document, bool note);
    // A story within what is being written, its fields and tables its own.
    void emitInner(qsizetype from, qsizetype to);
    // What floats beside the paragraph just written, placed after it.
    void placeFloating();
    void readSectionFurniture(quint32 fcSed, quint32 lcbSed);
    void readHeaders(quint32 fc, quint32 lcb, qsizetype start, qsizetype length);
    bool readNotes(Note::Kind kind, quint32 fcRef, quint32 lcbRef, quint32 fcTxt, quint32 lcbTxt, qsizetype start,
                   qsizetype length);
    void addNoteReference(int index, char16_t c, const QTextCharFormat& format);
    int pageFieldShown() const;
    void emitPicture(qint64 offset);
    void flushRun(QString& text, const QTextCharFormat& format);
    // A table row's definition, at its end mark: the cells' lines, shading
    // and alignment, and for a table's first row its lines and widths.
    void applyRowLook(const Run* papx, bool firstRow);
    std::optional<BorderLine> border80(qint64 at) const;
    std::optional<BorderLine> border(qint64 at) const;

    const QByteArray& m_word;
    const QByteArray& m_table;
    const QByteArray& m_data;
    Bytes m_w, m_t, m_dt;
    const DocFib& m_fib;
    const std::array<char16_t, 256> m_eightBit = eightBitCharacters(m_fib.legacy ? m_fib.codePage : 1252);
    RichTextBuilder* m_builder; // the body's, or a header's or note's while one is read
    QList<Character> m_text;
    qsizetype m_mainLength = 0; // the body's characters, the first of the text
    QList<Run> m_chpx, m_papx;
    QStringList m_fonts;
    QList<Style> m_styles;
    int m_defaultFont = -1;
    QHash<quint32, ListLevels> m_lists;
    // Section marks, which end paragraphs, by their position: the index of
    // the section starting after each (0 after the last).
    QHash<qsizetype, int> m_sectionMarks;
    // Word 6 and 95: which header stories each section has, a bit for each
    // in their order.
    QList<quint8> m_sectionStories;
    // Where the main text's characters are in the WordDocument stream, sorted.
    QList<quint32> m_sortedTextFcs;
    // The character formatting runs start from: a paragraph style's with a
    // character style over it, worked out once for each pair met.
    struct CharacterBase {
        QTextCharFormat format;
        RunExtras extras;
    };
    mutable QHash<std::pair<const Style*, const Style*>, CharacterBase> m_characterBases;
    QList<quint32> m_lfoLsids;
    // Runs of Word 6 numbered paragraphs met, each counting from its start.
    int m_autonumberedRuns = 0;
    // A list override naming no list: its items are bulleted.
    const ListLevels m_missingList = [] {
        ListLevels levels(kMaxListLevels);
        for (DocListLevel& level : levels) {
            level.look.numberFormat = QStringLiteral("bullet");
            level.look.text = QStringLiteral("\u2022");
        }
        return levels;
    }();
    // Fields: for each open one, whether its result has begun; text shows
    // only where no open field is in its code. Fields nested past the depth
    // bound are counted and hidden whole.
    struct OpenField {
        bool inResult = false;
        QString code;
        int pageField = 0; // the PageField its result stands for
    };
    QList<OpenField> m_fields;
    int m_fieldsInCode = 0;
    int m_ignoredFields = 0;
    // Notes by the position of their reference in the body.
    QHash<qsizetype, int> m_noteReferences;
    bool m_inNote = false;    // a note's text: its own mark is left to the printer
    bool m_dropSpace = false; // the space after that mark
    struct Level {
        bool rowOpen = false;
        bool cellOpen = false;
        int rows = 0;
    };
    QList<Level> m_tableLevels;
    std::optional<DocDrawings> m_drawings;
    qsizetype m_textBoxStart = 0; // where the text-box document starts in the text
    QList<DocFloating> m_floating;
    // Inline pictures by their descriptor's offset in the Data stream.
    QHash<qint64, std::optional<DocInlinePicture>> m_inlinePictures;
};

bool DocParser::readPieces(quint32 fcClx, quint32 lcbClx, quint32 bodyLength, quint32 textLength)
{
    if (m_fib.legacy && lcbClx == 0) { // saved whole: no piece table, the text in one run
        addPiece(m_fib.textStart, textLength, true);
        return m_text.size() >= qsizetype(bodyLength);
    }
    if (!m_t.has(fcClx, lcbClx))
        return false;
    qint64 at = fcClx;
    const qint64 end = qint64(fcClx) + lcbClx;
    while (at < end && m_t.u8(at) == 0x01) { // property modifiers of pieces, not needed for text
        at += 3 + qint64(m_t.u16(at + 1));
    }
    if (at >= end || m_t.u8(at) != 0x02)
        return false;
    const quint32 lcb = m_t.u32(at + 1);
    at += 5;
    if (lcb < 4 || at + lcb > end || (lcb - 4) % 12 != 0)
        return false;
    const qint64 pieces = (lcb - 4) / 12;
    const qint64 descriptors = at + (pieces + 1) * 4;
    for (qint64 i = 0; i < pieces && m_text.size() < qsizetype(textLength); ++i) {
        const quint32 cpStart = m_t.u32(at + 4 * i);
        const quint32 cpEnd = m_t.u32(at + 4 * (i + 1));
        if (cpEnd < cpStart || cpStart != quint32(m_text.size()))
            break;
        // Word 6 and 95 text is all 8-bit.
        const quint32 raw = m_t.u32(descriptors + 8 * i + 2);
        const bool compressed = m_fib.legacy || (raw & 0x40000000);
        const quint32 fc = m_fib.legacy ? raw : compressed ? (raw & 0x3FFFFFFF) / 2 : raw;
        if (!addPiece(fc, std::min<qint64>(cpEnd - cpStart, qint64(textLength) - m_text.size()), compressed))
            break;
    }
    return m_text.size() >= qsizetype(bodyLength);
}

bool DocParser::addPiece(quint32 fc, qint64 count, bool eightBit)
{
    if (!m_w.has(fc, count * (eightBit ? 1 : 2)))
        return false;
    for (qint64 k = 0; k < count; ++k) {
        if (eightBit)
            m_text.append({m_eightBit[m_w.u8(fc + k)], quint32(fc + k)});
        else
            m_text.append({char16_t(m_w.u16(fc + 2 * k)), quint32(fc + 2 * k)});
    }
    return true;
}

QList<quint32> DocParser::binTablePages(quint32 fc, quint32 lcb, bool paragraphs) const
{
    // Character positions, then page numbers: 16-bit in Word 6 and 95,
    // whose files saved whole may list fewer pages than they have, the
    // others following the last one listed.
    const qint64 numberSize = m_fib.legacy ? 2 : 4;
    if (lcb < 4 || !m_t.has(fc, lcb) || (lcb - 4) % (4 + numberSize) != 0)
        return {};
    const qint64 count = (lcb - 4) / (4 + numberSize);
    const qint64 numbers = fc + 4 * (count + 1);
    const qint64 pagesInStream = m_word.size() / 512;
    QList<quint32> pages;
    for (qint64 i = 0; i < count; ++i)
        pages.append(m_fib.legacy ? m_t.u16(numbers + 2 * i) : m_t.u32(numbers + 4 * i) & 0x3FFFFF);
    const qint64 listed = paragraphs ? m_fib.papxPages : m_fib.chpxPages;
    if (count > 0)
        for (qint64 i = count; i < std::min(listed, pagesInStream); ++i)
            pages.append(pages.last() + 1);
    return pages;
}

void DocParser::readFkps(quint32 fc, quint32 lcb, bool paragraphs)
{
    const QList<quint32> pages = binTablePages(fc, lcb, paragraphs);
    QList<Run>& runs = paragraphs ? m_papx : m_chpx;
    // Only runs over the main text are kept, each page read once: a damaged
    // bin table naming one page many times cannot multiply the runs, and the
    // runs kept are at most one per character.
    if (m_sortedTextFcs.isEmpty()) {
        m_sortedTextFcs.reserve(m_text.size());
        for (const Character& ch : std::as_const(m_text))
            m_sortedTextFcs.append(ch.fc);
        std::sort(m_sortedTextFcs.begin(), m_sortedTextFcs.end());
    }
    const QList<quint32>& textFcs = m_sortedTextFcs;
    const auto coversText = [&](const Run& run) {
        const auto it = std::lower_bound(textFcs.cbegin(), textFcs.cend(), run.fcStart);
        return it != textFcs.cend() && *it < run.fcEnd;
    };
    QList<bool> pageRead(m_word.size() / 512 + 1, false);
    // A paragraph's entry holds its offset and height facts: 13 bytes, 7 in
    // Word 6 and 95.
    const int paragraphEntry = m_fib.legacy ? 7 : 13;
    for (qsizetype i = 0; i < pages.size() && runs.size() < m_text.size(); ++i) {
        const quint32 page = pages[i];
        const qint64 base = qint64(page) * 512;
        if (!m_w.has(base, 512) || pageRead[page])
            continue;
        pageRead[page] = true;
        const int n = m_w.u8(base + 511);
        if (n == 0 || (paragraphs ? 4 * (n + 1) + paragraphEntry * n : 4 * (n + 1) + n) > 511)
            continue;
        for (int k = 0; k < n && runs.size() < m_text.size(); ++k) {
            Run run{m_w.u32(base + 4 * k), m_w.u32(base + 4 * (k + 1)), 0, 0};
            if (paragraphs) {
                const qint64 offset = qint64(m_w.u8(base + 4 * (n + 1) + paragraphEntry * k)) * 2;
                if (offset == 0)
                    continue;
                qint64 at = base + offset;
                // A count of 16-bit words; Word 97's leaves out a padding byte.
                qint64 size = qint64(m_w.u8(at)) * 2 - (m_fib.legacy ? 0 : 1);
                ++at;
                if (size < 0) { // a zero count: the size follows in the next byte
                    size = qint64(m_w.u8(at)) * 2;
                    ++at;
                }
                if (size < 2 || at + size > base + 511)
                    continue;
                run.istd = m_w.u16(at);
                run.from = at + 2;
                run.to = at + size;
            } else {
                const qint64 offset = qint64(m_w.u8(base + 4 * (n + 1) + k)) * 2;
                if (offset == 0) {
                    run.from = run.to = 0; // no direct formatting
                } else {
                    const qint64 at = base + offset;
                    const qint64 size = m_w.u8(at);
                    if (at + 1 + size > base + 511)
                        continue;
                    run.from = at + 1;
                    run.to = at + 1 + size;
                }
            }
            if (run.fcEnd > run.fcStart && coversText(run))
                runs.append(run);
        }
    }
    std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.fcStart < b.fcStart; });
}

void DocParser::readFonts(quint32 fc, quint32 lcb)
{
    if (m_fib.legacy) {
        m_fonts = readWord6Fonts(m_t, fc, lcb, kMaxFonts);
        return;
    }
    if (lcb < 4 || !m_t.has(fc, lcb))
        return;
    qint64 at = fc;
    const qint64 end = qint64(fc) + lcb;
    qint64 count = m_t.u16(at);
    at += 2;
    if (count == 0xFFFF) { // extended: 16-bit characters, a 32-bit count
        count = m_t.u16(at);
        at += 2;
    }
    at += 2; // extra data size
    for (qint64 i = 0; i < std::min<qint64>(count, kMaxFonts) && at < end; ++i) {
        const qint64 size = m_t.u8(at);
        const qint64 entry = at + 1;
        QString name;
        for (qint64 k = entry + 39; k + 1 < entry + size && k + 1 < end; k += 2) {
            const quint16 c = m_t.u16(k);
            if (c == 0)
                break;
            name.append(QChar(c));
        }
        m_fonts.append(name);
        at = entry + size;
    }
}

void DocParser::readStyles(quint32 fc, quint32 lcb)
{
    if (lcb < 2 || !m_t.has(fc, lcb))
        return;
    const qint64 end = qint64(fc) + lcb;
    const qint64 header = fc + 2;
    const qint64 headerSize = m_t.u16(fc);
    if (headerSize < 14 || header + headerSize > end)
        return;
    const int count = std::min<int>(m_t.u16(header), kMaxStyles);
    const qint64 baseSize = m_t.u16(header + 2);
    if (baseSize < (m_fib.legacy ? 8 : 10))
        return;
    m_defaultFont = m_t.u16(header + 12);
    qint64 at = header + headerSize;
    for (int i = 0; i < count && at + 2 <= end; ++i) {
        const qint64 size = m_t.u16(at);
        const qint64 entry = at + 2;
        const qint64 entryEnd = entry + size;
        at = entryEnd;
        Style style;
        if (size < baseSize || entryEnd > end) {
            m_styles.append(style); // an empty slot
            continue;
        }
        style.sti = m_t.u16(entry) & 0x0FFF;
        const int kind = m_t.u16(entry + 2) & 0x000F;
        style.base = m_t.u16(entry + 2) >> 4;
        const int upxCount = m_t.u16(entry + 4) & 0x000F;
        // The name, then the property lists, each padded to an even size.
        qint64 upx = entry + baseSize;
        upx = m_fib.legacy ? word6StylePropertiesAt(m_t, entry, baseSize) : upx + 2 + 2 * qint64(m_t.u16(upx)) + 2;
        QList<QPair<qint64, qint64>> lists;
        for (int k = 0; k < upxCount && upx + 2 <= entryEnd; ++k) {
            const qint64 length = m_t.u16(upx);
            if (upx + 2 + length > entryEnd)
                break;
            lists.append({upx + 2, upx + 2 + length});
            upx += 2 + length + (length & 1);
        }
        // Paragraph styles: the style index and paragraph modifiers, then the
        // character modifiers. Character styles: character modifiers.
        if (kind == 1 && lists.size() >= 1 && lists[0].second - lists[0].first >= 2) {
            style.kind = Style::Paragraph;
            style.papxFrom = lists[0].first + 2;
            style.papxTo = lists[0].second;
            if (lists.size() >= 2)
                std::tie(style.chpxFrom, style.chpxTo) = lists[1];
        } else if (kind == 2 && lists.size() >= 1) {
            style.kind = Style::Character;
            std::tie(style.chpxFrom, style.chpxTo) = lists[0];
        }
        m_styles.append(style);
    }
    resolveStyles();
}

void DocParser::resolveStyles()
{
    for (int index = 0; index < m_styles.size(); ++index) {
        Style& style = m_styles[index];
        if (style.kind == Style::None)
            continue;
        // A base of another kind, a loop or a chain past the depth bound ends
        // the chain there.
        QList<int> chain;
        for (int istd = index; chain.size() < kMaxStyleDepth;) {
            chain.prepend(istd);
            istd = m_styles[istd].base;
            if (istd >= m_styles.size() || m_styles[istd].kind != style.kind || chain.contains(istd))
                break;
        }
        style.chain = chain;
        if (style.kind != Style::Paragraph)
            continue;
        RunExtras ignored;
        for (int istd : std::as_const(chain)) {
            const Style& s = m_styles[istd];
            applyParagraphSprms(m_t, s.papxFrom, s.papxTo, style.paragraph);
            applyCharacterSprms(m_t, s.chpxFrom, s.chpxTo, style.character, ignored);
        }
        if (style.sti >= 1 && style.sti <= 9) // the built-in heading styles
            style.paragraph.block.setHeadingLevel(style.sti);
    }
}

const Style* DocParser::styleOf(int istd, Style::Kind kind) const
{
    return istd >= 0 && istd < m_styles.size() && m_styles[istd].kind == kind ? &m_styles[istd] : nullptr;
}

DocListLevel DocParser::readListLevel(qint64 at, qint64 end) const
{
    // A fixed part, paragraph and character modifiers, then the number text
    // whose characters 0 to 8 stand for the numbers of those levels.
    DocListLevel level;
    ListLevelLook& look = level.look;
    look.start = int(std::clamp<qint64>(qint32(m_t.u32(at)), 0, 99999));
    look.numberFormat = wordNumberFormatName(m_t.u8(at + 4)).toString();
    const quint8 flags = m_t.u8(at + 5);
    look.legal = flags & 0x04;
    const quint8 follow = m_t.u8(at + 15);
    look.separator = follow == 1 ? QStringLiteral(" ") : follow == 2 ? QString() : QStringLiteral("\t");
    const qint64 chpx = m_t.u8(at + 24);
    const qint64 papx = m_t.u8(at + 25);
    const qint64 papxFrom = at + 28;
    const qint64 chpxFrom = papxFrom + papx;
    if (chpxFrom + chpx <= end) {
        ParagraphProperties p;
        applyParagraphSprms(m_t, papxFrom, chpxFrom, p);
        level.block = p.block;
        RunExtras ignored;
        applyCharacterSprms(m_t, chpxFrom, chpxFrom + chpx, look.chars, ignored);
    }
    const qint64 textAt = chpxFrom + chpx;
    const qint64 count = m_t.u16(textAt);
    QString text;
    for (qint64 k = 0; k < std::min<qint64>(count, 256) && m_t.has(textAt + 2 + 2 * k, 2); ++k) {
        const char16_t c = m_t.u16(textAt + 2 + 2 * k);
        if (c < kMaxListLevels)
            text += QLatin1Char('%') + QString::number(c + 1);
        else
            text += QChar(c);
    }
    look.text = text;
    return level;
}

void DocParser::readLists(quint32 fcLst, quint32 lcbLst, quint32 fcLfo, quint32 lcbLfo)
{
    if (lcbLst >= 2 && m_t.has(fcLst, lcbLst)) {
        // The levels follow the list table, outside its counted size.
        const qint64 end = m_table.size();
        const int count = std::min<int>(m_t.s16(fcLst), kMaxLists);
        qint64 levels = fcLst + 2 + qint64(std::max(count, 0)) * 28;
        for (int i = 0; i < count && levels <= end; ++i) {
            const qint64 lstf = fcLst + 2 + qint64(i) * 28;
            ListLevels list(kMaxListLevels);
            const int levelCount = (m_t.u8(lstf + 26) & 1) ? 1 : 9;
            for (int k = 0; k < levelCount && levels + 28 <= end; ++k) {
                list[k] = readListLevel(levels, end);
                const qint64 chpx = m_t.u8(levels + 24);
                const qint64 papx = m_t.u8(levels + 25);
                levels += 28 + chpx + papx;
                levels += 2 + 2 * qint64(m_t.u16(levels)); // the number text
            }
            m_lists.insert(m_t.u32(lstf), list);
        }
    }
    if (lcbLfo >= 4 && m_t.has(fcLfo, lcbLfo)) {
        const qint64 count = std::min<qint64>(m_t.u32(fcLfo), (lcbLfo - 4) / 16);
        for (qint64 i = 0; i < count; ++i)
            m_lfoLsids.append(m_t.u32(fcLfo + 4 + 16 * i));
    }
}

const Run* DocParser::find(const QList<Run>& runs, quint32 fc) const
{
    auto it = std::upper_bound(runs.begin(), runs.end(), fc, [](quint32 v, const Run& r) { return v < r.fcStart; });
    if (it == runs.begin())
        return nullptr;
    --it;
    return fc < it->fcEnd ? &*it : nullptr;
}

void DocParser::applyCharacterSprms(const Bytes& b, qint64 from, qint64 to, QTextCharFormat& f,
                                    RunExtras& extras) const
{
    // Toggles: 0x80 keeps what the style gives, 0x81 turns it over.
    const auto toggle = [&](qint64 at, bool current) {
        const quint8 v = b.u8(at);
        return v == 0x80 ? current : v == 0x81 ? !current : v == 1;
    };
    const auto setCapitalization = [&](qint64 at, QFont::Capitalization mode) {
        const bool on = toggle(at, f.fontCapitalization() == mode);
        if (on)
            f.setFontCapitalization(mode);
        else if (f.fontCapitalization() == mode)
            f.setFontCapitalization(QFont::MixedCase);
    };
    forEachSprm(m_fib.legacy, b, from, to, [&](const Sprm& s) {
        switch (s.code) {
        case 0x0835:
            f.setFontWeight(toggle(s.operand, f.fontWeight() >= QFont::Bold) ? QFont::Bold : QFont::Normal);
            break;
        case 0x0836: f.setFontItalic(toggle(s.operand, f.fontItalic())); break;
        case 0x0837:
        case 0x2A53: f.setFontStrikeOut(toggle(s.operand, f.fontStrikeOut())); break;
        case 0x083A: setCapitalization(s.operand, QFont::SmallCaps); break;
        case 0x083B: setCapitalization(s.operand, QFont::AllUppercase); break;
        case 0x083C: f.setProperty(kHiddenTextProperty, toggle(s.operand, f.boolProperty(kHiddenTextProperty))); break;
        case 0x0800: // deleted with changes tracked: printed as accepted
            if (b.u8(s.operand))
                f.setProperty(kHiddenTextProperty, true);
            break;
        case 0x2A3E: f.setFontUnderline(b.u8(s.operand) != 0); break;
        case 0x2A42: {
            const quint8 ico = b.u8(s.operand);
            if (ico > 0 && ico < 17)
                f.setForeground(QColor(kIcoColors[ico]));
            else
                f.clearForeground(); // automatic
            break;
        }
        case 0x6870: // red, green, blue and an "auto" flag
            if (b.u8(s.operand + 3) == 0)
                f.setForeground(QColor(b.u8(s.operand), b.u8(s.operand + 1), b.u8(s.operand + 2)));
            else
                f.clearForeground();
            break;
        case 0x2A0C: {
            const quint8 ico = b.u8(s.operand);
            if (ico > 0 && ico < 17)
                f.setBackground(QColor(kIcoColors[ico]));
            else
                f.clearBackground();
            break;
        }
        case 0x4A43: {
            const int half = b.u16(s.operand);
            if (half >= 2 && half <= 3276)
                f.setFontPointSize(half / 2.0);
            break;
        }
        case 0x4A4F:
        case 0x4A51: {
            const int index = b.u16(s.operand);
            if (index < m_fonts.size() && !m_fonts[index].isEmpty()
                && (s.code == 0x4A4F || !f.hasProperty(QTextFormat::FontFamilies)))
                f.setFontFamilies(documentFontFamilies(m_fonts[index]));
            break;
        }
        case 0x2A48: {
            const quint8 iss = b.u8(s.operand);
            f.setVerticalAlignment(iss == 1   ? QTextCharFormat::AlignSuperScript
                                   : iss == 2 ? QTextCharFormat::AlignSubScript
                                              : QTextCharFormat::AlignNormal);
            break;
        }
        case 0x0855: extras.special = b.u8(s.operand) != 0; break;
        case 0x6A03: extras.picture = b.u32(s.operand); break;
        default: break;
        }
    });
}

void DocParser::applyParagraphSprms(const Bytes& b, qint64 from, qint64 to, ParagraphProperties& p) const
{
    forEachSprm(m_fib.legacy, b, from, to, [&](const Sprm& s) {
        switch (s.code) {
        case 0x2403:
        case 0x2461: {
            const quint8 jc = b.u8(s.operand);
            p.block.setAlignment(jc == 1   ? Qt::AlignHCenter
                                 : jc == 2 ? Qt::AlignRight
                                 : jc >= 3 ? Qt::AlignJustify
                                           : Qt::AlignLeft);
            break;
        }
        case 0x840F:
        case 0x845E: p.block.setLeftMargin(m_builder->twips(b.s16(s.operand))); break;
        case 0x840E:
        case 0x845D: p.block.setRightMargin(m_builder->twips(b.s16(s.operand))); break;
        case 0x8411:
        case 0x8460: p.block.setTextIndent(m_builder->twips(b.s16(s.operand))); break;
        case 0xA413: p.block.setTopMargin(m_builder->twips(b.u16(s.operand))); break;
        case 0xA414: p.block.setBottomMargin(m_builder->twips(b.u16(s.operand))); break;
        case 0x6412: { // a multiple of 240ths, else at least or (negative) exactly so many twips
            const int line = b.s16(s.operand);
            if (b.s16(s.operand + 2) != 0 && line > 0)
                p.block.setLineHeight(std::clamp(line * 100.0 / 240.0, 50.0, 1000.0), QTextBlockFormat::ProportionalHeight);
            else if (b.s16(s.operand + 2) == 0 && line != 0)
                p.block.setLineHeight(m_builder->twips(std::abs(line)), line > 0 ? QTextBlockFormat::MinimumHeight
                                                                                   : QTextBlockFormat::FixedHeight);
            break;
        }
        case 0x2407:
            p.block.setPageBreakPolicy(b.u8(s.operand) ? QTextFormat::PageBreak_AlwaysBefore
                                                       : QTextFormat::PageBreak_Auto);
            break;
        case 0x246D: p.block.setProperty(kContextualSpacingProperty, b.u8(s.operand) != 0); break;
        case 0x2416: p.inTable = b.u8(s.operand) != 0; break;
        case 0x2417: p.rowEnd = b.u8(s.operand) != 0; break;
        case 0x6649: p.depth = int(std::min<quint32>(b.u32(s.operand), kMaxTableDepth + 8)); break;
        case 0x244B: p.innerCell = b.u8(s.operand) != 0; break;
        case 0x244C: p.innerRowEnd = b.u8(s.operand) != 0; break;
        case 0x460B: p.ilfo = b.s16(s.operand); break;
        case 0x260A: p.ilvl = std::min<int>(b.u8(s.operand), 8); break;
        case kWord6Autonumber:
            p.autonumber = word6Autonumber(b, s.operand, s.size, m_fonts, m_eightBit);
            break;
        case 0x25FF: p.autonumberLevel = b.u8(s.operand); break;
        case 0x2640: {
            const int level = b.u8(s.operand);
            p.block.setHeadingLevel(level < 9 ? level + 1 : 0); // 9 is body text
            break;
        }
        default: break;
        }
    });
}

QTextCharFormat DocParser::charFormat(const Run* run, const Style* paragraphStyle, RunExtras& extras) const
{
    extras = RunExtras();
    if (!run)
        return paragraphStyle ? paragraphStyle->character : QTextCharFormat();
    // The character style goes under the run's own modifiers.
    int characterStyle = -1;
    forEachSprm(m_fib.legacy, m_w, run->from, run->to, [&](const Sprm& s) {
        if (s.code == 0x4A30)
            characterStyle = m_w.u16(s.operand);
    });
    const Style* style = styleOf(characterStyle, Style::Character);
    auto base = m_characterBases.constFind({paragraphStyle, style});
    if (base == m_characterBases.cend()) {
        CharacterBase made{paragraphStyle ? paragraphStyle->character : QTextCharFormat(), {}};
        if (style)
            for (int istd : style->chain)
                applyCharacterSprms(m_t, m_styles[istd].chpxFrom, m_styles[istd].chpxTo, made.format, made.extras);
        base = m_characterBases.insert({paragraphStyle, style}, made);
    }
    QTextCharFormat f = base->format;
    extras = base->extras;
    applyCharacterSprms(m_w, run->from, run->to, f, extras);
    return f;
}

void DocParser::emitPicture(qint64 offset)
{
    auto found = m_inlinePictures.constFind(offset);
    if (found == m_inlinePictures.cend())
        found = m_inlinePictures.insert(offset, docInlinePicture(m_data, offset));
    if (const std::optional<DocInlinePicture>& picture = *found)
        m_builder->addImage(QStringLiteral("data:%1").arg(offset), [&] { return officeArtImageFile(picture->picture); },
                            picture->size);
}

void DocParser::flushRun(QString& text, const QTextCharFormat& format)
{
    if (!text.isEmpty())
        m_builder->addText(text, format);
    text.clear();
}

void DocParser::emitParagraph(qsizetype from, qsizetype to, qsizetype mark)
{
    const Run* papx = mark < m_text.size() ? find(m_papx, m_text[mark].fc) : nullptr;
    // A paragraph without a valid style of its own is in the normal style.
    const Style* style = styleOf(papx ? papx->istd : 0, Style::Paragraph);
    if (!style)
        style = styleOf(0, Style::Paragraph);
    ParagraphProperties p = style ? style->paragraph : ParagraphProperties();
    if (papx)
        applyParagraphSprms(m_w, papx->from, papx->to, p);
    const int depth = p.inTable ? std::max(p.depth, 1) : 0;

    // Open or close tables to this paragraph's depth.
    while (int(m_tableLevels.size()) > depth) {
        m_builder->endTable();
        m_tableLevels.removeLast();
    }
    while (int(m_tableLevels.size()) < depth) {
        m_builder->beginTable({});
        m_tableLevels.append(Level());
    }
    const bool isRowMark = depth > 0 && (depth == 1 ? p.rowEnd : p.innerRowEnd);
    if (depth > 0) {
        Level& level = m_tableLevels.last();
        if (isRowMark) {
            if (level.rowOpen) {
                applyRowLook(papx, level.rows == 0);
                ++level.rows;
                m_builder->endRow();
            }
            level.rowOpen = false;
            level.cellOpen = false;
            return;
        }
        if (!level.rowOpen) {
            m_builder->beginRow();
            level.rowOpen = true;
        }
        if (!level.cellOpen) {
            m_builder->beginCell();
            level.cellOpen = true;
        }
    }

    // A list level's indents lie under the paragraph's own.
    const ListLevels* list = nullptr;
    if (p.ilfo > 0 && p.ilfo <= m_lfoLsids.size()) {
        const auto found = m_lists.constFind(m_lfoLsids[p.ilfo - 1]);
        list = found != m_lists.cend() ? &*found : &m_missingList;
        ParagraphProperties placed = style ? style->paragraph : ParagraphProperties();
        placed.block.merge((*list)[p.ilvl].block);
        if (papx)
            applyParagraphSprms(m_w, papx->from, papx->to, placed);
        p.block = placed.block;
    }
    measureTabsFromLineStart(p.block);
    p.block.setProperty(kParagraphStyleProperty, QString::number(papx ? papx->istd : 0));
    m_builder->startParagraph(p.block, style ? style->character : QTextCharFormat());
    if (list) {
        QList<ListLevelLook> looks;
        for (const DocListLevel& level : *list)
            looks.append(level.look);
        m_builder->setListItem(QStringLiteral("doc:%1").arg(m_lfoLsids[p.ilfo - 1]), p.ilvl, looks);
    } else if (p.autonumber && p.autonumberLevel >= kWord6ListLevel) {
        // Numbers count on over the numbered paragraphs that follow each other.
        m_builder->setListItem(QStringLiteral("word6:%1").arg(m_autonumberedRuns), 0, {*p.autonumber});
    } else {
        ++m_autonumberedRuns;
    }

    QString pending;
    QTextCharFormat pendingFormat;
    const Run* last = nullptr;
    QTextCharFormat format;
    RunExtras extras;
    for (qsizetype i = from; i < to; ++i) {
        const Character ch = m_text[i];
        const Run* run = find(m_chpx, ch.fc);
        if (run != last || i == from) {
            format = charFormat(run, style, extras);
            last = run;
        }
        switch (ch.c) {
        case 0x13:
            if (m_fields.size() < kMaxFieldDepth) {
                m_fields.append(OpenField());
                ++m_fieldsInCode;
            } else {
                ++m_ignoredFields;
            }
            continue;
        case 0x14:
            if (m_ignoredFields == 0 && !m_fields.isEmpty() && !m_fields.last().inResult) {
                m_fields.last().inResult = true;
                m_fields.last().pageField = pageFieldOfCode(m_fields.last().code);
                --m_fieldsInCode;
            }
            continue;
        case 0x15:
            if (m_ignoredFields > 0) {
                --m_ignoredFields;
            } else if (!m_fields.isEmpty()) {
                if (!m_fields.takeLast().inResult)
                    --m_fieldsInCode;
            }
            continue;
        default: break;
        }
        if (m_ignoredFields == 0 && !m_fields.isEmpty() && !m_fields.last().inResult
            && m_fields.last().code.size() < kMaxFieldCode)
            m_fields.last().code.append(QChar(ch.c));
        if (m_fieldsInCode > 0 || m_ignoredFields > 0)
            continue;
        if (const auto note = m_noteReferences.constFind(i); note != m_noteReferences.cend()) {
            flushRun(pending, pendingFormat);
            addNoteReference(*note, ch.c, format);
            continue;
        }
        if (ch.c == 0x02 && m_inNote) {
            m_dropSpace = true;
            continue;
        }
        if (ch.c == u' ' && std::exchange(m_dropSpace, false))
            continue;
        m_dropSpace = false;
        QTextCharFormat shown = format;
        if (const int field = pageFieldShown())
            shown.setProperty(kPageFieldProperty, field);
        if (shown != pendingFormat) {
            flushRun(pending, pendingFormat);
            pendingFormat = shown;
        }
        switch (ch.c) {
        case 0x01:
            if (extras.special && extras.picture >= 0) {
                flushRun(pending, pendingFormat);
                emitPicture(extras.picture);
            }
            break;
        case 0x0B:
            pending.append(QChar(QChar::LineSeparator));
            break;
        case 0x0C:
            flushRun(pending, pendingFormat);
            m_builder->addPageBreak();
            break;
        case 0x0E: pending.append(QChar(QChar::LineSeparator)); break;
        case 0x08: // a drawn object's anchor
            if (i < m_mainLength && m_drawings)
                m_floating.append(m_drawings->take(i));
            break;
        case 0x1E: pending.append(QChar(0x2011)); break;
        case 0x09: pending.append(QLatin1Char('\t')); break;
        default: // note marks, drawn objects and optional hyphens fall out here
            if (ch.c >= 0x20)
                pending.append(QChar(ch.c));
            break;
        }
    }
    flushRun(pending, pendingFormat);

    if (depth > 0) {
        const bool cellEnd = depth == 1 ? (mark < m_text.size() && m_text[mark].c == 0x07) : p.innerCell;
        if (cellEnd)
            m_tableLevels.last().cellOpen = false;
    }
}

namespace {

QTextFrameFormat::BorderStyle borderStyleOfType(quint8 type)
{
    switch (type) {
    case 3: case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19: case 20:
        return QTextFrameFormat::BorderStyle_Double;
    case 6: return QTextFrameFormat::BorderStyle_Dotted;
    case 7: case 8: case 9: case 22: case 23: return QTextFrameFormat::BorderStyle_Dashed;
    default: return QTextFrameFormat::BorderStyle_Solid;
    }
}

} // namespace

// Word 97's border: width in eighths of a point, kind, colour index. All
// bits set is no line; all clear says nothing.
std::optional<BorderLine> DocParser::border80(qint64 at) const
{
    const quint32 raw = m_w.u32(at);
    if (raw == 0)
        return std::nullopt;
    const quint8 type = m_w.u8(at + 1);
    if (raw == 0xFFFFFFFF || type == 0 || type == 0xFF)
        return BorderLine();
    const quint8 ico = m_w.u8(at + 2);
    return BorderLine{std::clamp(m_w.u8(at) / 8.0, 0.25, 12.0), borderStyleOfType(type),
                      ico > 0 && ico < 17 ? QColor(kIcoColors[ico]) : QColor(Qt::black)};
}

// Word 2000's border: colour, width in eighths of a point, kind.
std::optional<BorderLine> DocParser::border(qint64 at) const
{
    const quint8 type = m_w.u8(at + 5);
    if (m_w.u32(at) == 0 && m_w.u32(at + 4) == 0)
        return std::nullopt;
    if (type == 0 || type == 0xFF)
        return BorderLine();
    const bool automatic = m_w.u8(at + 3) != 0;
    return BorderLine{std::clamp(m_w.u8(at + 4) / 8.0, 0.25, 12.0), borderStyleOfType(type),
                      automatic ? QColor(Qt::black) : QColor(m_w.u8(at), m_w.u8(at + 1), m_w.u8(at + 2))};
}

void DocParser::applyRowLook(const Run* papx, bool firstRow)
{
    if (!papx)
        return;
    QList<CellLook> cells;
    QList<double> widths;
    TableLook table;
    bool tableLines = false;
    bool tablePadding = false;
    // Cells' own margins by column and edge; applied over the table's.
    QHash<int, std::array<std::optional<double>, 4>> cellPadding;
    const auto cell = [&](qint64 index) -> CellLook* {
        if (index < 0 || index >= kMaxTableColumns)
            return nullptr;
        while (cells.size() <= index)
            cells.append(CellLook());
        return &cells[index];
    };
    const auto tableLine = [&](int edge, const std::optional<BorderLine>& line) {
        if (!line)
            return;
        tableLines = true;
        if (edge < 4)
            table.whole.borders[edge] = line;
        else if (edge == 4)
            table.whole.insideHorizontal = line;
        else
            table.whole.insideVertical = line;
    };
    forEachSprm(m_fib.legacy, m_w, papx->from, papx->to, [&](const Sprm& s) {
        switch (s.code) {
        case 0xD608: { // cell edges, then each cell's properties and lines
            const int count = std::min<int>(m_w.u8(s.operand), kMaxTableColumns);
            const qint64 edges = s.operand + 1;
            for (int c = 0; c < count; ++c)
                widths.append(std::max(0, m_w.s16(edges + 2 * (c + 1)) - m_w.s16(edges + 2 * c)) / 20.0);
            // Word 6 and 95 cells hold flags and four 16-bit lines.
            const qint64 first = edges + 2 * qint64(count + 1);
            const qint64 cellSize = m_fib.legacy ? 10 : 20;
            for (int c = 0; c < count && first + cellSize * (c + 1) <= s.operand + s.size; ++c) {
                const qint64 tc = first + cellSize * c;
                CellLook* look = cell(c);
                const int align = m_fib.legacy ? 0 : (m_w.u16(tc) >> 7) & 3;
                if (align == 1)
                    look->verticalAlignment = QTextCharFormat::AlignMiddle;
                else if (align == 2)
                    look->verticalAlignment = QTextCharFormat::AlignBottom;
                for (int edge = 0; edge < 4; ++edge)
                    if (const auto line = m_fib.legacy ? word6Border(m_w.u16(tc + 2 + 2 * edge)) : border80(tc + 4 + 4 * edge))
                        look->borders[edge] = line;
            }
            break;
        }
        case 0xD605: // the table's lines: top, left, bottom, right, across, down
            for (int edge = 0; edge < 6 && (m_fib.legacy ? 2 : 4) * (edge + 1) <= s.size; ++edge)
                tableLine(edge, m_fib.legacy ? word6Border(m_w.u16(s.operand + 2 * edge)) : border80(s.operand + 4 * edge));
            break;
        case 0xD613:
            for (int edge = 0; edge < 6 && 8 * (edge + 1) <= s.size; ++edge)
                tableLine(edge, border(s.operand + 8 * edge));
            break;
        case 0xD620:   // lines for a range of cells
        case 0xD62F: {
            const int from = m_w.u8(s.operand), to = m_w.u8(s.operand + 1);
            const quint8 which = m_w.u8(s.operand + 2);
            const auto line = s.code == 0xD620 ? border80(s.operand + 3) : border(s.operand + 3);
            for (int c = from; c < std::min(to, int(kMaxTableColumns)) && line; ++c)
                for (int edge = 0; edge < 4; ++edge)
                    if (which & (1 << edge))
                        cell(c)->borders[edge] = line;
            break;
        }
        case 0x9602: // half the space between cells' text: their side margins
            table.padding[EdgeLeft] = table.padding[EdgeRight] =
                std::clamp(m_w.s16(s.operand) / 20.0, 0.0, kMaxCellPaddingPoints);
            tablePadding = true;
            break;
        case 0xD634:   // cell margins of the table
        case 0xD632: { // of a range of cells: first, limit, edges, unit, width
            if (s.size < 6 || m_w.u8(s.operand + 3) != kTwipsUnit)
                break;
            const int from = m_w.u8(s.operand), to = m_w.u8(s.operand + 1);
            const quint8 which = m_w.u8(s.operand + 2);
            const double points = std::clamp(m_w.u16(s.operand + 4) / 20.0, 0.0, kMaxCellPaddingPoints);
            for (int edge = 0; edge < 4; ++edge) {
                if (!(which & (1 << edge)))
                    continue;
                if (s.code == 0xD634) {
                    table.padding[edge] = points;
                    tablePadding = true;
                } else {
                    for (int c = from; c < std::min(to, int(kMaxTableColumns)); ++c)
                        cellPadding[c][edge] = points;
                }
            }
            break;
        }
        case 0xD612: // shading: foreground, background, pattern
            for (qint64 c = 0; 10 * (c + 1) <= s.size && c < kMaxTableColumns; ++c) {
                const qint64 at = s.operand + 10 * c;
                if (m_w.u8(at + 7) == 0 && m_w.u32(at + 4) != 0xFF000000)
                    cell(c)->shading = QColor(m_w.u8(at + 4), m_w.u8(at + 5), m_w.u8(at + 6));
            }
            break;
        case 0xD609:
            for (qint64 c = 0; 2 * (c + 1) <= s.size && c < kMaxTableColumns; ++c) {
                const int back = (m_w.u16(s.operand + 2 * c) >> 5) & 0x1F;
                if (back > 0 && back < 17)
                    cell(c)->shading = QColor(kIcoColors[back]);
            }
            break;
        default:
            break;
        }
    });
    for (auto it = cellPadding.cbegin(); it != cellPadding.cend(); ++it) {
        std::array<double, 4> padding = table.padding;
        for (int edge = 0; edge < 4; ++edge)
            padding[edge] = it.value()[edge].value_or(padding[edge]);
        if (CellLook* look = cell(it.key()))
            look->padding = padding;
    }
    if (firstRow) {
        if (tableLines || tablePadding)
            m_builder->setTableLook(table);
        m_builder->setColumnWidths(widths);
    }
    for (int c = 0; c < cells.size(); ++c)
        m_builder->setCellLook(c, cells[c]);
}

// Calls f with each property modifier of a section: the section table
// holds n + 1 character positions, then n section descriptors of 12 bytes.
template <typename F>
void forEachSectionSprm(bool legacy, const Bytes& table, const Bytes& word, quint32 fc, qint64 count, qint64 section, F&& f)
{
    const quint32 sepx = table.u32(fc + 4 * (count + 1) + 12 * section + 2);
    if (sepx != 0xFFFFFFFF && word.has(sepx, 2))
        forEachSprm(legacy, word, qint64(sepx) + 2, qint64(sepx) + 2 + word.u16(sepx), f);
}

// Each section's mark ends its last paragraph, and the next section starts
// after it as its properties say: how (unless they say otherwise, on a new
// page), with a title page or not, and whether its page numbers start anew.
void DocParser::readSections(quint32 fc, quint32 lcb)
{
    if (!m_t.has(fc, lcb) || lcb < 4 + 12)
        return;
    const qint64 count = (qint64(lcb) - 4) / 16;
    for (qint64 i = 0; i < std::min<qint64>(count, kMaxSections); ++i) {
        PageSection read;
        bool restart = false;
        int firstNumber = 1;
        quint8 stories = 0;
        forEachSectionSprm(m_fib.legacy, m_t, m_w, fc, count, i, [&](const Sprm& sprm) {
            switch (sprm.code) {
            case 0x3009: { // sprmSBkc: continuous, new column, new page, even page, odd page
                // A new column is a new page: the text is laid out in one.
                const quint8 kind = m_w.u8(sprm.operand);
                read.start = kind == 3   ? SectionStart::EvenPage
                             : kind == 4 ? SectionStart::OddPage
                             : kind >= 1 ? SectionStart::NewPage
                                         : SectionStart::Continuous;
                break;
            }
            case 0x300A: // sprmSFTitlePage
                read.titlePage = m_w.u8(sprm.operand) != 0;
                break;
            case 0x3011: // sprmSFPgnRestart
                restart = m_w.u8(sprm.operand) != 0;
                break;
            case 0x501C: // sprmSPgnStart97
                firstNumber = m_w.u16(sprm.operand);
                break;
            case 0x3014: // the header stories of a Word 6 or 95 section
                stories = m_w.u8(sprm.operand);
                break;
            case 0x7044: // sprmSPgnStart
                firstNumber = int(std::min<quint32>(m_w.u32(sprm.operand), std::numeric_limits<int>::max()));
                break;
            default:
                break;
            }
        });
        m_sectionStories.append(stories);
        if (restart)
            read.firstPageNumber = firstNumber;
        if (i > 0 || read.titlePage || read.firstPageNumber) {
            PageFurniture& furniture = PageFurniture::of(m_builder->document());
            if (i > 0 && furniture.addSection() < 0)
                break;
            furniture.lastSection() = read;
        }
        const qint64 mark = qint64(m_t.u32(fc + 4 * (i + 1))) - 1;
        if (mark >= 0 && mark < m_text.size() && m_text[mark].c == 0x0C)
            m_sectionMarks.insert(mark, i + 1 < count ? int(i + 1) : 0);
    }
}

// The first section's header and footer distances serve every page.
void DocParser::readSectionFurniture(quint32 fc, quint32 lcb)
{
    if (!m_t.has(fc, lcb) || lcb < 4 + 12)
        return;
    const qint64 count = (qint64(lcb) - 4) / 16;
    PageFurniture& furniture = PageFurniture::of(m_builder->document());
    forEachSectionSprm(m_fib.legacy, m_t, m_w, fc, count, 0, [&](const Sprm& sprm) {
        if (sprm.code == 0xB017) // sprmSDyaHdrTop
            furniture.headerDistance = std::clamp(int(m_w.u16(sprm.operand)), 0, 31680) / 20.0;
        else if (sprm.code == 0xB018) // sprmSDyaHdrBottom
            furniture.footerDistance = std::clamp(int(m_w.u16(sprm.operand)), 0, 31680) / 20.0;
    });
}

void DocParser::emitRange(qsizetype from, qsizetype to)
{
    qsizetype start = from;
    for (qsizetype i = from; i < to; ++i) {
        const char16_t c = m_text[i].c;
        const auto section = c == 0x0C ? m_sectionMarks.constFind(i) : m_sectionMarks.cend();
        if (c == 0x0D || c == 0x07 || section != m_sectionMarks.cend()) {
            emitParagraph(start, i, i);
            placeFloating();
            start = i + 1;
            if (section != m_sectionMarks.cend() && *section > 0)
                m_builder->startSection(*section);
        }
    }
    if (start < to) {
        emitParagraph(start, to, to);
        placeFloating();
    }
    while (!m_tableLevels.isEmpty()) {
        m_builder->endTable();
        m_tableLevels.removeLast();
    }
}

bool DocParser::emitStory(qsizetype from, qsizetype to, QTextDocument& document, bool note)
{
    RichTextBuilder builder(document);
    RichTextBuilder* const body = std::exchange(m_builder, &builder);
    m_inNote = note;
    emitInner(from, to);
    builder.finish();
    m_inNote = false;
    m_builder = body;
    return builder.isComplete();
}

void DocParser::emitInner(qsizetype from, qsizetype to)
{
    const auto fields = std::exchange(m_fields, {});
    const int fieldsInCode = std::exchange(m_fieldsInCode, 0);
    const int ignoredFields = std::exchange(m_ignoredFields, 0);
    const auto tableLevels = std::exchange(m_tableLevels, {});
    const auto floating = std::exchange(m_floating, {});
    m_dropSpace = false;
    // A story's closing paragraph mark ends its last paragraph.
    if (to > from && m_text[to - 1].c == 0x0D)
        --to;
    emitRange(from, to);
    m_fields = fields;
    m_fieldsInCode = fieldsInCode;
    m_ignoredFields = ignoredFields;
    m_tableLevels = tableLevels;
    m_floating = floating;
}

// Text boxes as framed one-cell tables, pictures in paragraphs of their own.
void DocParser::placeFloating()
{
    const QList<DocFloating> floating = std::exchange(m_floating, {});
    for (const DocFloating& f : floating) {
        if (!m_builder->isComplete())
            return;
        if (f.isTextBox) {
            m_builder->beginTextBox(f.size.width(), f.line);
            emitInner(m_textBoxStart + f.storyFrom, m_textBoxStart + f.storyTo);
            m_builder->endTextBox();
        } else {
            m_builder->startParagraph(QTextBlockFormat());
            m_builder->addImage(QStringLiteral("store:%1").arg(f.picture),
                                [&] { return m_drawings->pictureFile(f.picture); }, f.size);
        }
    }
}

// The header stories of each section (six a section in Word 97), from the header
// document that starts at start. An empty story is the section before's; a
// lone paragraph mark prints nothing.
void DocParser::readHeaders(quint32 fc, quint32 lcb, qsizetype start, qsizetype length)
{
    const qint64 positions = lcb / 4;
    if (!m_t.has(fc, lcb))
        return;
    // Word 97 lists all stories; Word 6 and 95 only the separators the
    // document properties name and the stories each section has, in the
    // same order.
    const quint8 separators = m_fib.legacy && m_fib.lcb[31] >= 2 ? m_t.u8(m_fib.fc[31] + 1) : kAllStories;
    qint64 index = std::popcount(quint8(separators & kAllStories));
    PageFurniture& furniture = PageFurniture::of(m_builder->document());
    const struct {
        bool footer;
        PageKind kind;
    } stories[kStoriesPerSection] = {{false, PageKind::Even}, {false, PageKind::Default}, {true, PageKind::Even},
                                     {true, PageKind::Default}, {false, PageKind::First}, {true, PageKind::First}};
    for (int s = 0; s < furniture.sectionCount(); ++s) {
        PageSection& section = furniture.section(s);
        const quint8 has = m_fib.legacy ? m_sectionStories.value(s) : kAllStories;
        for (int i = 0; i < kStoriesPerSection; ++i) {
            if (!(has & (1 << i)))
                continue;
            if (index + 1 >= positions)
                return;
            const qint64 at = fc + 4 * index++;
            const quint32 from = m_t.u32(at), to = m_t.u32(at + 4);
            if (to <= from || to > length || (s == 0 && to == from + 1)) // inherited, none, or damage
                continue;
            auto& slot = (stories[i].footer ? section.footers : section.headers)[std::size_t(stories[i].kind)];
            slot = furniture.makeStory();
            emitStory(start + from, start + to, *slot, false);
        }
    }
}

// Footnotes or endnotes: their references' positions in the body (with
// whether each is numbered automatically), and their texts' bounds in the
// note document that starts at start. Entries out of bounds are left out;
// false when the document has more notes than it may.
bool DocParser::readNotes(Note::Kind kind, quint32 fcRef, quint32 lcbRef, quint32 fcTxt, quint32 lcbTxt,
                          qsizetype start, qsizetype length)
{
    if (length <= 0 || lcbRef < 4 + 2 || !m_t.has(fcRef, lcbRef))
        return true;
    const qint64 count = (qint64(lcbRef) - 4) / 6;
    const qint64 texts = m_t.has(fcTxt, lcbTxt) ? qint64(lcbTxt) / 4 : 0;
    PageFurniture& furniture = PageFurniture::of(m_builder->document());
    int numbered = 0;
    for (qint64 i = 0; i < count; ++i) {
        const quint32 reference = m_t.u32(fcRef + 4 * i);
        if (reference >= quint32(m_mainLength) || m_noteReferences.contains(reference))
            continue;
        if (furniture.notes().size() >= std::size_t(kMaxNotes))
            return false;
        const bool automatic = m_t.u16(fcRef + 4 * (count + 1) + 2 * i) != 0;
        const QString mark = automatic ? formatListNumber(kind == Note::Kind::Endnote ? u"lowerRoman" : u"decimal",
                                                          ++numbered)
                                       : QString(QChar(m_text[reference].c));
        const int index = furniture.addNote(kind, mark);
        m_noteReferences.insert(reference, index);
        const quint32 from = i + 1 < texts ? m_t.u32(fcTxt + 4 * i) : 0;
        const quint32 to = i + 1 < texts ? m_t.u32(fcTxt + 4 * (i + 1)) : 0;
        if (from < to && to <= length && !emitStory(start + from, start + to, furniture.noteText(index), true))
            return false;
    }
    return true;
}

void DocParser::addNoteReference(int index, char16_t c, const QTextCharFormat& format)
{
    const PageFurniture* furniture = PageFurniture::find(m_builder->document());
    QTextCharFormat mark = format;
    mark.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    mark.setProperty(kNoteReferenceProperty, index);
    m_builder->addText(c == 0x02 && furniture ? furniture->notes().at(index).mark : QString(QChar(c)), mark);
}

// The page field whose result the text is in, the innermost first; 0: none.
int DocParser::pageFieldShown() const
{
    for (auto it = m_fields.crbegin(); it != m_fields.crend(); ++it)
        if (it->inResult && it->pageField)
            return it->pageField;
    return 0;
}

bool DocParser::parse()
{
    const auto fc = [&](int i) { return m_fib.fc[i]; };
    const auto lcb = [&](int i) { return m_fib.lcb[i]; };
    const qint64 ccpText = m_fib.ccpText;
    // A document longer than any document may be is refused, not cut.
    if (ccpText < 0 || ccpText > kMaxDocumentCharacters)
        return false;
    // The stories after the body, each as long as the file says; a count
    // out of bounds is damage and leaves the stories out.
    std::array<qint64, 7> stories = m_fib.stories;
    if (m_fib.storiesDamaged
        || std::any_of(stories.begin(), stories.end(),
                       [](qint64 length) { return length < 0 || length > kMaxDocumentCharacters; }))
        stories = {};
    qint64 total = ccpText;
    for (qint64 length : stories)
        total += length;
    m_mainLength = ccpText;
    if (!readPieces(fc(33), lcb(33), quint32(ccpText), quint32(total)))
        return false;
    readFkps(fc(12), lcb(12), false);
    readFkps(fc(13), lcb(13), true);
    readSections(fc(6), lcb(6));
    readFonts(fc(15), lcb(15));
    readStyles(fc(1), lcb(1));
    readLists(fc(73), lcb(73), fc(74), lcb(74));
    if (!m_styles.isEmpty()) {
        // What no style sets: the style sheet's font at ten points.
        QFont font = m_builder->document().defaultFont();
        if (m_defaultFont >= 0 && m_defaultFont < m_fonts.size() && !m_fonts[m_defaultFont].isEmpty())
            font.setFamilies(documentFontFamilies(m_fonts[m_defaultFont]));
        font.setPointSizeF(10);
        m_builder->document().setDefaultFont(font);
    }

    // Stories the pieces do not hold whole are left out.
    const auto within = [&](qint64 start, qint64 length) { return start + length <= m_text.size(); };
    const qint64 footnotes = ccpText, headers = footnotes + stories[0], endnotes = headers + stories[1] + stories[2] + stories[3];
    m_textBoxStart = endnotes + stories[4];
    m_drawings.emplace(m_word, m_table, DocDrawings::Location{fc(40), lcb(40)}, DocDrawings::Location{fc(50), lcb(50)},
                       DocDrawings::Location{fc(56), lcb(56)}, within(m_textBoxStart, stories[5]) ? stories[5] : 0);
    if (within(headers, stories[1])) {
        readSectionFurniture(fc(6), lcb(6));
        readHeaders(fc(11), lcb(11), headers, stories[1]);
        if (lcb(31) >= 2 && m_t.has(fc(31), 2) && (m_t.u8(fc(31)) & 0x01)) // the document's fFacingPages
            PageFurniture::of(m_builder->document()).evenAndOddHeaders = true;
    }
    if (within(footnotes, stories[0]) && !readNotes(Note::Kind::Footnote, fc(2), lcb(2), fc(3), lcb(3), footnotes, stories[0]))
        return false;
    if (within(endnotes, stories[4]) && !readNotes(Note::Kind::Endnote, fc(46), lcb(46), fc(47), lcb(47), endnotes, stories[4]))
        return false;

    emitRange(0, m_mainLength);
    m_builder->finish();
    return true;
}

// Word 97's block: a fixed base, then counted arrays of 16-bit values,
// 32-bit values and offset and size pairs.
std::optional<DocFib> readWord97Fib(const Bytes& w)
{
    qint64 at = 32;
    const qint64 csw = w.u16(at);
    at += 2 + csw * 2;
    const qint64 cslw = w.u16(at);
    const qint64 rgLw = at + 2;
    at = rgLw + cslw * 4;
    const qint64 cbRgFcLcb = w.u16(at);
    const qint64 rgFcLcb = at + 2;
    if (cslw < 4 || cbRgFcLcb < DocFib::kPairs || !w.has(rgFcLcb, cbRgFcLcb * 8))
        return std::nullopt;
    DocFib fib;
    for (int i = 0; i < DocFib::kPairs; ++i) {
        fib.fc[i] = w.u32(rgFcLcb + 8 * i);
        fib.lcb[i] = w.u32(rgFcLcb + 8 * i + 4);
    }
    fib.ccpText = qint32(w.u32(rgLw + 12));
    for (std::size_t i = 0; i < fib.stories.size(); ++i)
        fib.stories[i] = qint32(w.u32(rgLw + 16 + 4 * qint64(i)));
    fib.storiesDamaged = cslw < 4 + qint64(fib.stories.size());
    return fib;
}

// The file information block of the versions read, with why a file is refused.
std::optional<DocFib> readFib(const QByteArray& word)
{
    const Bytes w{word};
    if (word.size() < 68 || w.u16(0) != 0xA5EC) {
        qCInfo(lcText) << "Word document refused: no Word text stream";
        return std::nullopt;
    }
    if (w.u16(10) & 0x0100) {
        qCInfo(lcText) << "Word document refused: it is encrypted";
        return std::nullopt;
    }
    const int version = w.u16(2);
    if (version > kLastWord95Fib && version < kFirstWord97Fib) {
        qCInfo(lcText) << "Word document refused: unknown version" << version;
        return std::nullopt;
    }
    if (version < kFirstWord6Fib) {
        qCInfo(lcText) << "Word document refused: version" << version << "is older than Word 6";
        return std::nullopt;
    }
    std::optional<DocFib> fib = version >= kFirstWord97Fib ? readWord97Fib(w) : readWord6Fib(w);
    if (!fib)
        qCInfo(lcText) << "Word document refused: damaged file information block";
    return fib;
}

} // namespace

bool readDocData(const QByteArray& bytes, QTextDocument& document)
{
    const std::optional<CompoundFile> file = CompoundFile::parse(bytes);
    if (!file)
        return false;
    const std::optional<QByteArray> word = file->stream(QStringLiteral("WordDocument"));
    if (!word)
        return false;
    const std::optional<DocFib> fib = readFib(*word);
    if (!fib)
        return false;
    // Word 6 and 95 keep their tables in the text stream.
    const bool oneTable = qFromLittleEndian<quint16>(word->constData() + 10) & 0x0200;
    const std::optional<QByteArray> table = fib->legacy ? word : file->stream(oneTable ? QStringLiteral("1Table") : QStringLiteral("0Table"));
    if (!table)
        return false;
    // The picture stream is optional, but a damaged one is a damaged file.
    QByteArray data;
    if (!fib->legacy && file->hasStream(QStringLiteral("Data"))) {
        const std::optional<QByteArray> stream = file->stream(QStringLiteral("Data"));
        if (!stream)
            return false;
        data = *stream;
    }

    if (!buildDocument(document, QStringLiteral("Times New Roman"), 12, [&](RichTextBuilder& builder) {
            return DocParser(*word, *table, data, *fib, builder).parse();
        }))
        return false;
    if (PageFurniture* furniture = PageFurniture::find(document))
        furniture->breakPagesAtSections();
    return true;
}

bool readDoc(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path, kMaxDocFileBytes);
    return bytes && readDocData(*bytes, document);
}

TextReader docReader()
{
    return {"Word 97-2003", {QStringLiteral("com.microsoft.word.doc")}, &readDoc};
}

} // namespace platform::text
