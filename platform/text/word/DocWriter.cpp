#include "platform/text/word/DocWriter.h"

#include "platform/text/OutputFiles.h"
#include "platform/text/TextRuns.h"
#include "platform/text/word/CompoundFileWriter.h"
#include "platform/text/word/DocPropertyPages_p.h"
#include "platform/text/word/WordBytes_p.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

// Where the text starts in the WordDocument stream, past the file
// information block.
constexpr std::uint32_t kTextOffset = 1024;
constexpr qsizetype kFibSize = 900;
constexpr int kFcLcbPairs = 93; // the Word 97 block of offsets and sizes
// Font names are at most this many characters (the platform's face size).
constexpr qsizetype kMaxFontName = 31;
constexpr int kFixedStyles = 15; // style slots Word keeps for built-in styles
constexpr qsizetype kDopSize = 500;

// Pairs of the offset and size block used here.
enum FcLcb {
    StshfOrig = 0,
    Stshf = 1,
    PlcfSed = 6,
    PlcfBteChpx = 12,
    PlcfBtePapx = 13,
    SttbfFfn = 15,
    Dop = 31,
    Clx = 33,
};

QByteArray sprm8(quint16 code, quint8 v) { return le16(code) + char(v); }
QByteArray sprm16(quint16 code, quint16 v) { return le16(code) + le16(v); }
QByteArray sprm32(quint16 code, quint32 v) { return le16(code) + le32(v); }

// Names of fonts as the font table stores them.
QString fontName(const QString& family) { return family.left(kMaxFontName); }

class DocComposer {
public:
    explicit DocComposer(const QTextDocument& document)
        : m_paragraphs(textParagraphs(document)), m_defaultLook(documentLook(document))
    {
        QStringList families = fontFamiliesOf(m_paragraphs);
        if (!families.contains(m_defaultLook.family))
            families.append(m_defaultLook.family);
        for (const QString& family : std::as_const(families)) {
            m_fontIndex.insert(family, int(m_fonts.size()));
            m_fonts.append(fontName(family));
        }
    }

    std::optional<QByteArray> compose();

private:
    QByteArray characterModifiers(const RunLook& look) const;
    QByteArray fontTable() const;
    QByteArray styleSheet() const;
    static QByteArray sectionTable(quint32 characters);
    static QByteArray documentProperties();
    static QByteArray pieceTable(quint32 characters);
    static QByteArray fileInformation(quint32 characters, quint32 streamEnd, const QList<QPair<int, QByteArray>>& parts,
                                      QByteArray& table);

    QList<TextParagraph> m_paragraphs;
    RunLook m_defaultLook;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
};

QByteArray DocComposer::characterModifiers(const RunLook& look) const
{
    const quint16 font = quint16(m_fontIndex.value(look.family));
    QByteArray m = sprm16(0x4A4F, font) + sprm16(0x4A50, font) + sprm16(0x4A51, font);
    m += sprm16(0x4A43, quint16(std::clamp<long>(std::lround(look.points * 2), 2, 3276)));
    if (look.bold)
        m += sprm8(0x0835, 1);
    if (look.italic)
        m += sprm8(0x0836, 1);
    if (look.strikeOut)
        m += sprm8(0x0837, 1);
    if (look.underline)
        m += sprm8(0x2A3E, 1);
    if (look.color.isValid())
        m += sprm32(0x6870,
                    quint32(look.color.red()) | quint32(look.color.green()) << 8 | quint32(look.color.blue()) << 16);
    return m;
}

// The font table: a count, no extra data, then each font's entry (flags,
// weight, character set, alternate name offset, PANOSE and font signature,
// 39 bytes in all) followed by its name in UTF-16 with a terminating zero.
QByteArray DocComposer::fontTable() const
{
    QByteArray table = le16(quint16(m_fonts.size())) + le16(0);
    for (const QString& name : m_fonts) {
        QByteArray entry(39, '\0');
        entry[0] = char(0x04 | 0x02); // TrueType, variable pitch
        put16(entry, 1, 400);
        for (const QChar c : name)
            entry += le16(c.unicode());
        entry += le16(0);
        table += char(entry.size()) + entry;
    }
    return table;
}

// The style sheet: its header, then Word's fixed slots with "Normal" (0)
// and "Default Paragraph Font" (10) filled in, the others empty.
QByteArray DocComposer::styleSheet() const
{
    QByteArray header(18, '\0');
    put16(header, 0, kFixedStyles);
    put16(header, 2, 10); // the size of a style's base part
    put16(header, 4, 1); // style names are written
    put16(header, 6, 0x5B); // built-in style identifiers known
    put16(header, 8, kFixedStyles);
    const quint16 font = quint16(m_fontIndex.value(m_defaultLook.family));
    put16(header, 12, font);
    put16(header, 14, font);
    put16(header, 16, font);

    const auto style = [](quint16 sti, int kind, quint16 next, const QString& name, const QList<QByteArray>& upxs) {
        QByteArray std(10, '\0');
        put16(std, 0, sti);
        put16(std, 2, quint16(kind | (0x0FFF << 4)));
        put16(std, 4, quint16(upxs.size() | (next << 4)));
        std += le16(quint16(name.size()));
        for (const QChar c : name)
            std += le16(c.unicode());
        std += le16(0);
        for (const QByteArray& upx : upxs) {
            std += le16(quint16(upx.size())) + upx;
            if (upx.size() % 2)
                std += '\0';
        }
        put16(std, 6, quint16(std.size()));
        return le16(quint16(std.size())) + std;
    };
    QByteArray sheet = le16(quint16(header.size())) + header;
    for (int istd = 0; istd < kFixedStyles; ++istd) {
        if (istd == 0)
            sheet += style(0, 1, 0, QStringLiteral("Normal"), {le16(0), characterModifiers(m_defaultLook)});
        else if (istd == 10)
            sheet += style(65, 2, 10, QStringLiteral("Default Paragraph Font"), {QByteArray()});
        else
            sheet += le16(0);
    }
    return sheet;
}

// One section over the whole text, with the default section properties.
QByteArray DocComposer::sectionTable(quint32 characters)
{
    QByteArray descriptor(12, '\0');
    put32(descriptor, 2, 0xFFFFFFFF);
    put32(descriptor, 8, 0xFFFFFFFF);
    return le32(0) + le32(characters) + descriptor;
}

// Document properties: widow control, half-inch default tabs.
QByteArray DocComposer::documentProperties()
{
    QByteArray dop(kDopSize, '\0');
    put16(dop, 0, 0x0002);
    put16(dop, 10, 720);
    put16(dop, 14, 360);
    return dop;
}

// One piece: all characters, stored as UTF-16 from the text offset on.
QByteArray DocComposer::pieceTable(quint32 characters)
{
    QByteArray descriptor(8, '\0');
    put32(descriptor, 2, kTextOffset);
    const QByteArray plc = le32(0) + le32(characters) + descriptor;
    return char(0x02) + le32(quint32(plc.size())) + plc;
}

// The file information block of a Word 97 document whose text is
// UTF-16 in its own table stream "1Table"; parts lists where each table
// part goes, appended to table.
QByteArray DocComposer::fileInformation(quint32 characters, quint32 streamEnd,
                                        const QList<QPair<int, QByteArray>>& parts, QByteArray& table)
{
    QByteArray fib(kFibSize, '\0');
    put16(fib, 0, 0xA5EC);
    put16(fib, 2, 0x00C1);
    put16(fib, 6, 0x0409);
    put16(fib, 10, 0x0200 | 0x1000); // the 1Table stream; extended characters
    put16(fib, 12, 0x00BF);
    put16(fib, 32, 14); // 16-bit values, all zero
    put16(fib, 62, 22); // 32-bit values
    const qsizetype longs = 64;
    put32(fib, longs, streamEnd);
    put32(fib, longs + 12, characters);
    const qsizetype pairsCount = longs + 22 * 4;
    put16(fib, pairsCount, kFcLcbPairs);
    const qsizetype pairs = pairsCount + 2;
    for (const auto& [index, bytes] : parts) {
        put32(fib, pairs + 8 * index, quint32(table.size()));
        put32(fib, pairs + 8 * index + 4, quint32(bytes.size()));
        table += bytes;
    }
    // The original style sheet is the one written.
    put32(fib, pairs + 8 * StshfOrig, qFromLittleEndian<quint32>(fib.constData() + pairs + 8 * Stshf));
    put32(fib, pairs + 8 * StshfOrig + 4, qFromLittleEndian<quint32>(fib.constData() + pairs + 8 * Stshf + 4));
    return fib;
}

std::optional<QByteArray> DocComposer::compose()
{
    // The text, with the runs of character and paragraph properties over
    // its bytes.
    QByteArray text;
    QList<DocPropertyRun> characterRuns, paragraphRuns;
    const auto offset = [&] { return quint32(kTextOffset + text.size()); };
    const auto addCharacters = [&](const QByteArray& bytes, const QByteArray& modifiers) {
        const quint32 from = offset();
        text += bytes;
        if (!characterRuns.isEmpty() && characterRuns.last().modifiers == modifiers)
            characterRuns.last().to = offset();
        else
            characterRuns.append({from, offset(), modifiers});
    };
    for (const TextParagraph& paragraph : std::as_const(m_paragraphs)) {
        const quint32 start = offset();
        for (const TextRun& run : paragraph.runs) {
            QByteArray bytes;
            bytes.reserve(run.text.size() * 2);
            for (const QChar c : run.text)
                bytes += le16(c == QChar::LineSeparator ? 0x0B : c.unicode());
            addCharacters(bytes, characterModifiers(run.look));
        }
        addCharacters(le16(0x0D), characterModifiers(paragraph.markLook));
        const quint8 jc = paragraph.alignment & Qt::AlignHCenter ? 1
            : paragraph.alignment & Qt::AlignRight               ? 2
            : paragraph.alignment & Qt::AlignJustify             ? 3
                                                                 : 0;
        paragraphRuns.append({start, offset(), jc ? sprm8(0x2403, jc) : QByteArray(), 0});
        // Offsets are 32-bit; text past them cannot be stored.
        if (text.size() > 0x7FFF0000LL)
            return std::nullopt;
    }
    const quint32 characters = quint32(text.size() / 2);

    const DocPropertyPages chpx = characterPages(characterRuns);
    const DocPropertyPages papx = paragraphPages(paragraphRuns);
    if (chpx.pages.isEmpty() || papx.pages.isEmpty())
        return std::nullopt;
    QByteArray word(kTextOffset, '\0');
    word += text;
    word += QByteArray((512 - word.size() % 512) % 512, '\0');
    const quint32 chpxAt = quint32(word.size());
    for (const QByteArray& page : chpx.pages)
        word += page;
    const quint32 papxAt = quint32(word.size());
    for (const QByteArray& page : papx.pages)
        word += page;

    QByteArray table;
    const QByteArray fib = fileInformation(characters, quint32(word.size()),
                                           {{Stshf, styleSheet()},
                                            {PlcfSed, sectionTable(characters)},
                                            {PlcfBteChpx, binTable(chpx, chpxAt)},
                                            {PlcfBtePapx, binTable(papx, papxAt)},
                                            {SttbfFfn, fontTable()},
                                            {Dop, documentProperties()},
                                            {Clx, pieceTable(characters)}},
                                           table);
    word.replace(0, fib.size(), fib);
    return compoundFileData({{QStringLiteral("WordDocument"), word}, {QStringLiteral("1Table"), table}});
}

} // namespace

std::optional<QByteArray> docData(const QTextDocument& document) { return DocComposer(document).compose(); }

bool writeDoc(const QTextDocument& document, const QString& path) { return writeOutputFile(path, docData(document)); }

} // namespace platform::text
