#include "tests/support/Word6Builder.h"

#include "tests/support/WordDocumentFixtures.h"

#include <algorithm>

namespace testsupport {

namespace {

// The file information block's fixed fields.
constexpr qsizetype kFibSize = 0x2AA;
constexpr quint32 kTextAt = 0x300;
constexpr int kPairsBeforeGap = 38;
constexpr qsizetype kFirstPairs = 0x58;
constexpr qsizetype kLaterPairs = 0x192;

} // namespace

QByteArray word6Sprm(quint8 code, const QByteArray& operand)
{
    return char(code) + operand;
}

QByteArray word6Sprm8(quint8 code, quint8 v)
{
    return word6Sprm(code, QByteArray(1, char(v)));
}

QByteArray word6Sprm16(quint8 code, quint16 v)
{
    return word6Sprm(code, le16(v));
}

void Word6Builder::paragraph(const QList<Run>& runs, const QByteArray& papx, quint16 istd)
{
    const quint32 start = quint32(m_text.size());
    for (const Run& run : runs) {
        const quint32 from = quint32(m_text.size());
        m_text += run.text;
        m_chpx.append({from, quint32(m_text.size()), run.chpx});
    }
    m_papx.append({start, quint32(m_text.size()), le16(istd) + papx});
}

quint32 Word6Builder::fcOf(quint32 cp) const
{
    const quint32 n = quint32(m_text.size());
    if (m_split == 0)
        return kTextAt + cp;
    return cp < m_split ? kTextAt + (n - m_split) + cp : kTextAt + (cp - m_split);
}

QList<QByteArray> Word6Builder::pages(const QList<CharacterRange>& ranges, bool paragraphs,
                                      QList<quint32>& firstFcs) const
{
    // Ranges of characters become ranges of bytes, cut where the pieces meet.
    QList<PropertyRange> byBytes;
    for (const CharacterRange& range : ranges) {
        if (range.to <= range.from)
            continue;
        QList<QPair<quint32, quint32>> parts = {{range.from, range.to}};
        if (m_split > range.from && m_split < range.to)
            parts = {{range.from, m_split}, {m_split, range.to}};
        for (const auto& [from, to] : parts)
            byBytes.append({fcOf(from), fcOf(to - 1) + 1, range.grpprl});
    }
    std::sort(byBytes.begin(), byBytes.end(),
              [](const PropertyRange& a, const PropertyRange& b) { return a.from < b.from; });
    const FkpKind kind = paragraphs ? FkpKind::Word6Paragraphs : FkpKind::Characters;
    if (m_runsPerPage <= 0)
        return formattingPages(byBytes, kind, firstFcs);
    QList<QByteArray> out;
    for (qsizetype at = 0; at < byBytes.size(); at += m_runsPerPage)
        out += formattingPages(byBytes.mid(at, m_runsPerPage), kind, firstFcs);
    return out;
}

// The style sheet: its header (14 bytes), then each style's base part of
// 8 bytes, its counted and terminated name and its property lists.
QByteArray Word6Builder::styleSheet() const
{
    QByteArray header = le16(quint16(m_styles.size())) + le16(8) + le16(1) + le16(quint16(m_styles.size()))
                        + le16(quint16(m_styles.size())) + le16(0) + le16(m_defaultFont);
    QByteArray stsh = le16(quint16(header.size())) + header;
    for (const Style& style : m_styles) {
        if (style.name.isEmpty()) {
            stsh += le16(0);
            continue;
        }
        const QList<QByteArray> upxs =
            style.paragraph ? QList<QByteArray>{le16(0) + style.papx, style.chpx} : QList<QByteArray>{style.chpx};
        QByteArray std = le16(style.sti) + le16(quint16((style.paragraph ? 1 : 2) | style.base << 4))
                         + le16(quint16(upxs.size() | 0xFFF << 4)) + le16(0);
        std += char(style.name.size()) + style.name + '\0';
        if (std.size() % 2)
            std += '\0';
        for (const QByteArray& upx : upxs) {
            std += le16(quint16(upx.size())) + upx;
            if (upx.size() % 2)
                std += '\0';
        }
        stsh += le16(quint16(std.size())) + std;
    }
    return stsh;
}

// The font table: its size, then each font's size less one, flags, weight,
// character set, no other name, and its name.
QByteArray Word6Builder::fontTable() const
{
    QByteArray fonts;
    for (const Font& font : m_fonts) {
        QByteArray ffn = QByteArray(1, char(0x16)) + le16(400) + char(font.charset) + char(0) + font.name + '\0';
        fonts += char(ffn.size()) + ffn;
    }
    return le16(quint16(fonts.size() + 2)) + fonts;
}

QByteArray Word6Builder::wordDocument() const
{
    const quint32 n = quint32(m_text.size());
    QByteArray word(kTextAt, '\0');
    word += m_split ? m_text.mid(m_split) + m_text.left(m_split) : m_text;
    word += QByteArray((512 - word.size() % 512) % 512, '\0');

    QList<quint32> chpxFcs, papxFcs;
    const QList<QByteArray> chpxPages = pages(m_chpx, false, chpxFcs);
    const QList<QByteArray> papxPages = pages(m_papx, true, papxFcs);
    const quint32 chpxFirst = quint32(word.size() / 512);
    for (const QByteArray& page : chpxPages)
        word += page;
    const quint32 papxFirst = quint32(word.size() / 512);
    for (const QByteArray& page : papxPages)
        word += page;

    const auto fcLcb = [&](int index, const QByteArray& bytes) {
        const qsizetype at = index < kPairsBeforeGap ? kFirstPairs + 8 * index : kLaterPairs + 8 * (index - kPairsBeforeGap);
        put32(word, at, quint32(word.size()));
        put32(word, at + 4, quint32(bytes.size()));
        word += bytes;
    };
    const auto binTable = [&](const QList<quint32>& fcs, quint32 first) {
        const qsizetype listed = m_firstPagesOnly ? 1 : fcs.size();
        QByteArray plc;
        for (qsizetype k = 0; k < listed; ++k)
            plc += le32(fcs[k]);
        plc += le32(m_firstPagesOnly && fcs.size() > 1 ? fcs[1] : kTextAt + n);
        for (qsizetype k = 0; k < listed; ++k)
            plc += le16(quint16(first + k));
        return plc;
    };
    fcLcb(12, binTable(chpxFcs, chpxFirst));
    fcLcb(13, binTable(papxFcs, papxFirst));
    if (!m_styles.isEmpty())
        fcLcb(1, styleSheet());
    fcLcb(15, fontTable());
    const quint32 body = n - m_footnotes - m_headers - m_endnotes;
    if (!m_sectionSprms.isEmpty()) {
        const quint32 sepx = quint32(word.size());
        word += le16(quint16(m_sectionSprms.size())) + m_sectionSprms;
        fcLcb(6, le32(0) + le32(body) + le16(0) + le32(sepx) + le16(0) + le32(0xFFFFFFFF));
    }
    if (m_pieceTable) {
        QList<quint32> bounds = {0, n};
        if (m_split)
            bounds.insert(1, m_split);
        QByteArray plc;
        for (quint32 cp : bounds)
            plc += le32(cp);
        for (qsizetype k = 0; k + 1 < bounds.size(); ++k)
            plc += le16(0) + le32(fcOf(bounds[k])) + le16(0);
        fcLcb(33, char(0x02) + le32(quint32(plc.size())) + plc);
    }
    for (const auto& [index, bytes] : m_parts)
        fcLcb(index, bytes);

    put16(word, 0, 0xA5EC);
    put16(word, 2, m_version);
    put16(word, 6, m_language);
    put16(word, 10, m_split ? 0x0004 : 0); // complex: fast-saved
    put16(word, 12, kWord6); // the oldest version that reads the file
    put16(word, 0x14, m_characterSet);
    put32(word, 0x18, kTextAt);
    put32(word, 0x1C, kTextAt + n);
    put32(word, 0x20, quint32(word.size()));
    put32(word, 0x34, body);
    put32(word, 0x38, m_footnotes);
    put32(word, 0x3C, m_headers);
    put32(word, 0x48, m_endnotes);
    put16(word, 0x18A, quint16(chpxFirst));
    put16(word, 0x18C, quint16(papxFirst));
    put16(word, 0x18E, quint16(chpxPages.size()));
    put16(word, 0x190, quint16(papxPages.size()));
    static_assert(kFibSize <= kTextAt);
    return word;
}

QByteArray Word6Builder::build() const
{
    return compoundFile({{"WordDocument", wordDocument()}});
}

QByteArray sampleWord6()
{
    return compoundFile({{"WordDocument", sampleWord6Stream()}});
}

QByteArray sampleWord6Stream()
{
    Word6Builder b;
    b.setStyles({{true, 0, 0xFFF, "Normal", {}, word6Sprm16(99, 24)},
                 {true, 1, 0, "heading 1", word6Sprm16(21, 240), word6Sprm8(85, 1) + word6Sprm16(99, 32)}});
    b.paragraph({{"Report Title\r", {}}}, word6Sprm8(5, 1), 1);
    b.paragraph({{"plain ", {}},
                 {"bold words", word6Sprm8(85, 1)},
                 {" and ", {}},
                 {"italic words", word6Sprm8(86, 1) + word6Sprm16(93, 1)},
                 {" and ", {}},
                 {"red words", word6Sprm8(98, 6) + word6Sprm8(94, 1)},
                 {"\r", {}}});
    b.paragraph({{"caf\xe9 costs 3 \x80\r", {}}}, word6Sprm8(5, 2));
    b.paragraph({{"The end\r", {}}});
    return b.wordDocument();
}

} // namespace testsupport
