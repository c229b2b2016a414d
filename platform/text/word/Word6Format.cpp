#include "platform/text/word/Word6Format_p.h"

#include "platform/text/FontFamilies.h"
#include "platform/text/Windows1252.h"
#include "platform/text/rtf/RtfCodePage_p.h"

#include <algorithm>

namespace platform::text {

namespace {

// Operand sizes of the one-byte modifiers beside their fixed ones.
constexpr int kUnknown = -1;  // no such modifier: the list cannot be walked past it
constexpr int kCounted = -2;  // a size byte, then the operand
constexpr int kCounted16 = -3; // a 16-bit size, then the operand (table definitions)
constexpr int kTabs = -4;     // tab changes: counted, with a longer form

struct Word6Sprm {
    quint16 code; // as Word 97 numbers it, or 0
    int size;
};

// The modifiers by their one-byte code: paragraph (2 to 64), character (65
// to 118), picture (119 to 124), section (131 to 171) and table (182 to
// 200) ones.
constexpr std::array<Word6Sprm, 256> kSprms = [] {
    std::array<Word6Sprm, 256> t{};
    for (Word6Sprm& s : t)
        s = {0, kUnknown};
    const auto set = [&](int at, quint16 code, int size) { t[std::size_t(at)] = {code, size}; };
    // Paragraphs.
    set(2, 0x4600, 2); // style
    set(3, 0, kCounted);
    set(4, 0, 1);
    set(5, 0x2403, 1); // alignment
    set(6, 0, 1);
    set(7, 0x2405, 1); // keep lines together
    set(8, 0x2406, 1); // keep with next
    set(9, 0x2407, 1); // page break before
    set(10, 0, 1);
    set(11, 0, 1);
    set(12, kWord6Autonumber, kCounted);
    set(13, 0x25FF, 1); // the autonumbering's level
    set(14, 0, 1);
    set(15, 0, kCounted);
    set(16, 0x840E, 2); // right indent
    set(17, 0x840F, 2); // left indent
    set(18, 0, 2);
    set(19, 0x8411, 2); // first-line indent
    set(20, 0x6412, 4); // line spacing
    set(21, 0xA413, 2); // space before
    set(22, 0xA414, 2); // space after
    set(23, 0, kTabs);
    set(24, 0x2416, 1); // in a table
    set(25, 0x2417, 1); // a row's end
    for (int i = 26; i <= 28; ++i)
        set(i, 0, 2);
    set(29, 0, 1);
    for (int i = 30; i <= 36; ++i)
        set(i, 0, 2);
    set(37, 0, 1);
    for (int i = 38; i <= 43; ++i)
        set(i, 0, 2);
    set(44, 0, 1);
    for (int i = 45; i <= 49; ++i)
        set(i, 0, 2);
    set(50, 0, 1);
    set(51, 0, 1);
    set(52, 0, kCounted);
    for (int i = 53; i <= 58; ++i)
        set(i, 0, 1);
    set(59, 0, 2);
    set(60, 0, 2);
    set(61, 0, 1);
    // Characters.
    set(65, 0x0800, 1); // deleted with changes tracked
    set(66, 0, 1);
    set(67, 0, 1);
    set(68, 0x6A03, kCounted); // picture
    set(69, 0, 2);
    set(70, 0, 4);
    set(71, 0, 1);
    set(72, 0, 2);
    set(73, 0, 3);
    set(74, 0, kCounted);
    set(75, 0, 1);
    set(80, 0x4A30, 2); // character style
    set(81, 0, kCounted);
    set(82, 0, 0);
    set(83, 0, 0);
    set(85, 0x0835, 1); // bold
    set(86, 0x0836, 1); // italic
    set(87, 0x0837, 1); // struck through
    set(88, 0, 1);
    set(89, 0, 1);
    set(90, 0x083A, 1); // small capitals
    set(91, 0x083B, 1); // capitals
    set(92, 0x083C, 1); // hidden
    set(93, 0x4A4F, 2); // font
    set(94, 0x2A3E, 1); // underline
    set(95, 0, 3);
    set(96, 0, 2);
    set(97, 0, 2);
    set(98, 0x2A42, 1); // colour
    set(99, 0x4A43, 2); // size
    set(100, 0, 1);
    set(101, 0, 2);
    set(102, 0, 1);
    set(103, 0, kCounted);
    set(104, 0x2A48, 1); // super- and subscript
    set(105, 0, kCounted);
    set(106, 0, kCounted);
    set(107, 0, 2);
    set(108, 0, kCounted);
    set(109, 0, 2);
    set(110, 0, 2);
    set(117, 0x0855, 1); // special character
    set(118, 0, 1);
    // Pictures.
    set(119, 0, 1);
    set(120, 0, kCounted);
    for (int i = 121; i <= 124; ++i)
        set(i, 0, 2);
    // Sections.
    set(131, 0, 1);
    set(132, 0, 1);
    set(133, 0, kCounted);
    set(136, 0, 3);
    set(137, 0, 3);
    set(138, 0, 1);
    set(139, 0, 1);
    set(140, 0, 2);
    set(141, 0, 2);
    set(142, 0x3009, 1); // how the section starts
    set(143, 0x300A, 1); // a title page
    set(144, 0, 2);
    set(145, 0, 2);
    set(146, 0, 1);
    set(147, 0, 1);
    set(148, 0, 2);
    set(149, 0, 2);
    set(150, 0x3011, 1); // page numbers start anew
    set(151, 0, 1);
    set(152, 0, 1);
    set(153, 0x3014, 1); // which headers and footers it has
    set(154, 0, 2);
    set(155, 0, 2);
    set(156, 0xB017, 2); // header distance
    set(157, 0xB018, 2); // footer distance
    set(158, 0, 1);
    set(159, 0, 1);
    set(160, 0, 2);
    set(161, 0x501C, 2); // the first page number
    set(162, 0, 1);
    set(163, 0, 1);
    for (int i = 164; i <= 171; ++i)
        set(i, 0, 2);
    // Tables.
    set(182, 0, 2);
    set(183, 0, 2);
    set(184, 0, 2);
    set(185, 0, 1);
    set(186, 0, 1);
    set(187, 0xD605, 12); // the table's lines
    set(188, 0, kCounted16);
    set(189, 0, 2);
    set(190, 0xD608, kCounted16); // the row's cells
    set(191, 0xD609, kCounted); // the cells' shading
    set(192, 0, 4);
    set(193, 0, 5);
    set(194, 0, 4);
    set(195, 0, 2);
    set(196, 0, 4);
    set(197, 0, 2);
    set(198, 0, 2);
    set(199, 0, 5);
    set(200, 0, 4);
    return t;
}();

// The block is fixed: flags and the text's place, the stories' lengths,
// then the offset and size pairs in Word 97's order, with a gap after the
// first 38.
constexpr qint64 kFlags = 0x0A;
constexpr qint64 kLanguage = 0x06;
constexpr qint64 kCharacterSet = 0x14;
constexpr qint64 kTextStart = 0x18;
constexpr qint64 kTextLength = 0x34;
constexpr qint64 kFirstPairs = 0x58;
constexpr int kPairsBeforeGap = 38;
constexpr qint64 kChpxPages = 0x18E;
constexpr qint64 kPapxPages = 0x190;
constexpr qint64 kLaterPairs = 0x192;
constexpr int kPairs = 73; // the list tables and all after them came with Word 97
constexpr qint64 kFibSize = kLaterPairs + 8 * (kPairs - kPairsBeforeGap);
constexpr int kPieceTable = 33;
constexpr quint16 kComplex = 0x0004;
constexpr quint16 kMacintoshCharacters = 256;

// Windows code pages of 8-bit text by the language of the program that
// wrote it.
int codePageOfLanguage(quint16 lid)
{
    switch (lid & 0x3FF) {
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x1C: case 0x24:
        return 1250;
    case 0x1A: return lid == 0x0C1A ? 1251 : 1250; // Serbian in Cyrillic, else Croatian
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F: return 1251;
    case 0x08: return 1253;
    case 0x1F: return 1254;
    case 0x0D: return 1255;
    case 0x01: case 0x20: case 0x29: return 1256;
    case 0x25: case 0x26: case 0x27: return 1257;
    case 0x2A: return 1258;
    case 0x1E: return 874;
    default: return 1252;
    }
}

} // namespace

std::optional<Sprm> word6SprmAt(const Bytes& b, qint64 at, qint64 to)
{
    if (at + 1 > to || !b.has(at, 1))
        return std::nullopt;
    const Word6Sprm& sprm = kSprms[b.u8(at)];
    qint64 operand = at + 1;
    qint64 size = sprm.size;
    switch (sprm.size) {
    case kUnknown: return std::nullopt;
    case kCounted16:
        // As in Word 97, the count includes one byte of the operand's own.
        size = qint64(b.u16(operand)) - 1;
        operand += 2;
        break;
    case kTabs:
        if (b.u8(operand) == 255) // the longer form: not walked
            return std::nullopt;
        [[fallthrough]];
    case kCounted:
        size = b.u8(operand);
        operand += 1;
        break;
    default: break;
    }
    if (size < 0 || !b.has(operand, size) || operand + size > to)
        return std::nullopt;
    return Sprm{sprm.code, operand, size, operand + size};
}

std::optional<DocFib> readWord6Fib(const Bytes& w)
{
    if (!w.has(0, kFibSize))
        return std::nullopt;
    DocFib fib;
    fib.legacy = true;
    for (int i = 0; i < kPairs; ++i) {
        const qint64 at = i < kPairsBeforeGap ? kFirstPairs + 8 * i : kLaterPairs + 8 * (i - kPairsBeforeGap);
        fib.fc[i] = w.u32(at);
        fib.lcb[i] = w.u32(at + 4);
    }
    fib.ccpText = qint32(w.u32(kTextLength));
    for (std::size_t i = 0; i < fib.stories.size(); ++i)
        fib.stories[i] = qint32(w.u32(kTextLength + 4 + 4 * qint64(i)));
    // Text without a piece table lies past the block.
    fib.textStart = w.u32(kTextStart);
    if (fib.lcb[kPieceTable] == 0 && fib.textStart < kFibSize)
        return std::nullopt;
    if (!(w.u16(kFlags) & kComplex)) {
        fib.chpxPages = w.u16(kChpxPages);
        fib.papxPages = w.u16(kPapxPages);
    }
    fib.codePage = w.u16(kCharacterSet) == kMacintoshCharacters ? 10000 : codePageOfLanguage(w.u16(kLanguage));
    return fib;
}

QStringList readWord6Fonts(const Bytes& b, quint32 fc, quint32 lcb, int maxFonts)
{
    // The table's size, then each font: its size less one, flags, weight,
    // character set, where its other name starts, and its name.
    QStringList fonts;
    if (lcb < 2 || !b.has(fc, lcb))
        return fonts;
    const qint64 end = qint64(fc) + std::clamp<qint64>(b.u16(fc), 2, lcb);
    CodePageDecoder decoder;
    for (qint64 at = qint64(fc) + 2; at < end && fonts.size() < maxFonts;) {
        const qint64 next = at + 1 + b.u8(at);
        const int codePage = codePageForCharset(b.u8(at + 4));
        QByteArray name;
        for (qint64 k = at + 6; k < std::min(next, end) && b.u8(k) != 0; ++k)
            name.append(char(b.u8(k)));
        fonts.append(decoder.decode(codePage ? codePage : 1252, name));
        at = next;
    }
    return fonts;
}

qint64 word6StylePropertiesAt(const Bytes& b, qint64 entry, qint64 baseSize)
{
    const qint64 at = entry + baseSize + 1 + b.u8(entry + baseSize) + 1;
    return at + ((at - entry) & 1);
}

std::optional<BorderLine> word6Border(quint16 brc)
{
    if (brc == 0)
        return std::nullopt;
    const int width = brc & 0x7;
    const int kind = (brc >> 3) & 0x3;
    const int ico = (brc >> 6) & 0x1F;
    if (kind == 0)
        return BorderLine();
    BorderLine line;
    line.color = ico > 0 && ico < 17 ? QColor(kIcoColors[ico]) : QColor(Qt::black);
    // Widths 6 and 7 are the dotted and dashed hairlines.
    line.width = width >= 6 ? 0.75 : std::max(1, width) * 0.75 * (kind == 2 ? 2 : 1);
    line.style = width == 6 ? QTextFrameFormat::BorderStyle_Dotted
        : width == 7        ? QTextFrameFormat::BorderStyle_Dashed
        : kind == 3         ? QTextFrameFormat::BorderStyle_Double
                            : QTextFrameFormat::BorderStyle_Solid;
    return line;
}

std::optional<ListLevelLook> word6Autonumber(const Bytes& b, qint64 at, qint64 size, const QStringList& fonts,
                                             const std::array<char16_t, 256>& characters)
{
    // Number format, the ends of the text before and after the number in
    // the text below, flags, the label's font, size and first number, then
    // the text.
    constexpr qint64 kDescriptionSize = 52;
    constexpr qint64 kText = 20;
    constexpr int kTextSize = 32;
    if (size < kDescriptionSize || !b.has(at, kDescriptionSize))
        return std::nullopt;
    ListLevelLook look;
    const quint8 format = b.u8(at);
    look.numberFormat = wordNumberFormatName(format).toString();
    const int before = std::min<int>(b.u8(at + 1), kTextSize);
    const int after = std::clamp<int>(b.u8(at + 2), before, kTextSize);
    const auto text = [&](int from, int to) {
        QString out;
        for (int k = from; k < to; ++k)
            out += QChar(characters[b.u8(at + kText + k)]);
        return out;
    };
    const bool numbered = look.numberFormat != u"bullet" && look.numberFormat != u"none";
    look.text = text(0, before) + (numbered ? QStringLiteral("%1") : QString()) + text(before, after);
    look.start = b.u16(at + 10);
    const quint8 set = b.u8(at + 3), values = b.u8(at + 4);
    if (set & 0x10)
        look.chars.setFontWeight(values & 0x08 ? QFont::Bold : QFont::Normal);
    if (set & 0x20)
        look.chars.setFontItalic(values & 0x10);
    const int font = b.u16(at + 6);
    if (font < fonts.size() && !fonts[font].isEmpty())
        look.chars.setFontFamilies(documentFontFamilies(fonts[font]));
    const int halfPoints = b.u16(at + 8);
    if (halfPoints >= 2 && halfPoints <= 3276)
        look.chars.setFontPointSize(halfPoints / 2.0);
    return look;
}

std::array<char16_t, 256> eightBitCharacters(int codePage)
{
    std::array<char16_t, 256> characters{};
    CodePageDecoder decoder;
    for (int byte = 0; byte < 256; ++byte) {
        const QString decoded = codePage == 1252 || byte < 0x80
            ? QString()
            : decoder.decode(codePage, QByteArray(1, char(byte)));
        characters[std::size_t(byte)] = decoded.size() == 1 ? decoded[0].unicode() : windows1252Character(quint8(byte));
    }
    return characters;
}

} // namespace platform::text
