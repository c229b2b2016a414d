#include "platform/text/rtf/RtfParser_p.h"

#include "platform/text/FontFamilies.h"
#include "platform/text/SymbolFonts.h"
#include "platform/text/TextDefaults.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace platform::text::rtf {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int clampTwips(int value) { return std::clamp(value, -kMaxTwips, kMaxTwips); }

void appendCodePoint(QString& text, qint64 codePoint)
{
    if (codePoint < 0 || codePoint > 0x10FFFF)
        return;
    const char32_t c = static_cast<char32_t>(codePoint);
    text.append(QStringView(QChar::fromUcs4(c)));
}

// Characters the document model gives a meaning of its own (frame and object
// markers) or that no text holds; unpaired surrogates become U+FFFD.
QString cleanText(const QString& text)
{
    const auto bad = [](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != '\t') || u == 0xFFFC || u == 0xFDD0 || u == 0xFDD1
               || u == 0x2029 || c.isSurrogate();
    };
    if (std::none_of(text.begin(), text.end(), bad))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!bad(c)) {
            out.append(c);
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
        } else if (c.isSurrogate()) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else if (c.unicode() == 0x2029) {
            out.append(QChar(QChar::LineSeparator));
        }
    }
    return out;
}

} // namespace

void RtfParser::parse(const char* begin, const char* end)
{
    m_p = begin;
    m_end = end;
    m_cursor.beginEditBlock();
    while (m_p < m_end && !m_finished) {
        const char c = *m_p;
        switch (c) {
        case '{':
            ++m_p;
            openGroup();
            break;
        case '}':
            ++m_p;
            closeGroup();
            break;
        case '\\':
            ++m_p;
            controlWord();
            break;
        case '\r':
        case '\n':
            ++m_p;
            break;
        default:
            if (cur().dest == Dest::Picture) {
                pictureData();
                break;
            }
            ++m_p;
            if (m_ucSkip > 0) {
                --m_ucSkip;
                break;
            }
            textByte(static_cast<unsigned char>(c));
        }
    }
    finish();
    m_cursor.endEditBlock();
    if (PageFurniture* furniture = PageFurniture::find(m_document))
        furniture->breakPagesAtSections();
}

void RtfParser::openGroup()
{
    m_ucSkip = 0;
    m_ignorable = false;
    flushText();
    // The base state plus the document's own group do not count.
    if (m_stack.size() > kMaxGroupDepth) {
        finish();
        return;
    }
    Group child = cur();
    if (child.dest == Dest::Picture || child.dest == Dest::Attachment
        || child.dest == Dest::ColorTable)
        child.dest = Dest::Skip;
    m_stack.push_back(std::move(child));
}

void RtfParser::closeGroup()
{
    m_ucSkip = 0;
    m_ignorable = false;
    flushText();
    if (m_stack.size() <= 2) {
        finish();
        return;
    }
    bool attachment = false;
    bool instructionEnds = false;
    if (m_story && m_stack.size() == m_story->depth)
        endStory();
    switch (cur().dest) {
    case Dest::FontTable:
        commitFont();
        break;
    case Dest::FieldInstruction:
        instructionEnds = m_stack[m_stack.size() - 2].dest != Dest::FieldInstruction;
        break;
    case Dest::Picture:
        finishPicture();
        break;
    case Dest::Attachment:
        finishAttachment();
        attachment = true;
        break;
    default:
        break;
    }
    m_stack.pop_back();
    if (instructionEnds)
        endFieldInstruction();
    // The attachment character that follows an attachment's group stands
    // for the attachment itself.
    m_placeholderPending = attachment;
}

void RtfParser::controlWord()
{
    if (m_p >= m_end)
        return;
    if (!isLetter(*m_p)) {
        controlSymbol(*m_p++);
        return;
    }
    const char* nameStart = m_p;
    while (m_p < m_end && isLetter(*m_p))
        ++m_p;
    const std::string_view name(nameStart, size_t(m_p - nameStart));
    bool hasParam = false;
    qint64 value = 0;
    bool negative = false;
    if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && isDigit(m_p[1])) {
        negative = true;
        ++m_p;
    }
    while (m_p < m_end && isDigit(*m_p)) {
        hasParam = true;
        if (value <= kMaxControlParameter)
            value = value * 10 + (*m_p - '0');
        ++m_p;
    }
    if (m_p < m_end && *m_p == ' ')
        ++m_p;
    value = std::min<qint64>(value, kMaxControlParameter);
    keyword(name, hasParam, static_cast<int>(negative ? -value : value));
}

void RtfParser::controlSymbol(char c)
{
    if (c == '\'') {
        // Both digits or no byte; a lone digit is eaten with the escape.
        int byte = 0;
        int digits = 0;
        while (digits < 2 && m_p < m_end && hexValue(*m_p) >= 0) {
            byte = byte * 16 + hexValue(*m_p++);
            ++digits;
        }
        if (digits < 2)
            byte = -1;
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        if (byte >= 0)
            textByte(static_cast<unsigned char>(byte));
        return;
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textByte(static_cast<unsigned char>(c));
        break;
    case '~':
        textChar(0x00A0);
        break;
    case '-':
        textChar(0x00AD);
        break;
    case '_':
        textChar(0x2011);
        break;
    case '*':
        m_ignorable = true;
        break;
    case '\t':
        textChar('\t');
        break;
    case '\r':
    case '\n':
        if (textual())
            paragraphBreak();
        break;
    default:
        break;
    }
}

void RtfParser::skipBinary(int count)
{
    m_p += std::clamp<qint64>(count, 0, m_end - m_p);
}

void RtfParser::keyword(std::string_view name, bool hasParam, int param)
{
    const Keyword entry = findKeyword(name);
    const bool ignorable = m_ignorable;
    m_ignorable = false;

    if (m_ucSkip > 0) {
        --m_ucSkip;
        if (entry.kw == Kw::Bin)
            skipBinary(param);
        return;
    }
    Group& g = cur();
    if (g.dest == Dest::Skip || g.dest == Dest::Upr) {
        if (entry.kw == Kw::Bin)
            skipBinary(param);
        else if (entry.kw == Kw::Ud && g.dest == Dest::Upr)
            g.dest = g.beforeUpr;
        return;
    }
    if (ignorable && entry.kw != Kw::ShpPict && entry.kw != Kw::Ud && entry.kw != Kw::FldInst) {
        flushText();
        cur().dest = Dest::Skip;
        if (entry.kw == Kw::Bin)
            skipBinary(param);
        return;
    }
    switch (g.dest) {
    case Dest::FontTable:
        if (entry.kw == Kw::U) {
            textChar(param < 0 ? qint64(param) + 65536 : param);
            m_ucSkip = g.uc;
            return;
        }
        fontTableKeyword(entry.kw, param);
        if (entry.kw == Kw::FontFamily)
            m_fontDefinition.hint = static_cast<QFont::StyleHint>(entry.value);
        return;
    case Dest::ColorTable:
        if (entry.kw == Kw::Red)
            m_colorDefinition.red = std::clamp(param, 0, 255);
        else if (entry.kw == Kw::Green)
            m_colorDefinition.green = std::clamp(param, 0, 255);
        else if (entry.kw == Kw::Blue)
            m_colorDefinition.blue = std::clamp(param, 0, 255);
        else
            return;
        m_colorDefinition.given = true;
        return;
    case Dest::Picture:
        pictureKeyword(entry.kw, param);
        return;
    case Dest::FieldInstruction:
        if (entry.kw == Kw::U || entry.kw == Kw::Char)
            textKeyword(entry, hasParam, param);
        return;
    case Dest::Attachment:
        flushText();
        m_attachment.nameDone = true;
        if (entry.kw == Kw::Width)
            m_attachment.width = param;
        else if (entry.kw == Kw::Height)
            m_attachment.height = param;
        else if (entry.kw == Kw::Bin)
            skipBinary(param);
        return;
    default:
        textKeyword(entry, hasParam, param);
    }
}

void RtfParser::fontTableKeyword(Kw kw, int param)
{
    switch (kw) {
    case Kw::F:
        flushText();
        if (m_fontDefinition.number >= 0)
            commitFont();
        m_fontDefinition = FontDefinition{};
        m_fontDefinition.number = param;
        break;
    case Kw::Fcharset:
        flushText();
        m_fontDefinition.charset = param;
        break;
    case Kw::Cpg:
        flushText();
        m_fontDefinition.codePage = param;
        break;
    case Kw::Bin:
        skipBinary(param);
        break;
    default:
        break;
    }
}

void RtfParser::textKeyword(const Keyword& entry, bool hasParam, int param)
{
    Group& g = cur();
    const bool on = !hasParam || param != 0;
    switch (entry.kw) {
    case Kw::Unknown:
        return;
    // Characters: part of the pending text.
    case Kw::Char:
        textChar(entry.value);
        return;
    case Kw::U:
        textChar(param < 0 ? qint64(param) + 65536 : param);
        m_ucSkip = g.uc;
        return;
    case Kw::Tab:
        textChar('\t');
        return;
    case Kw::Line:
        textChar(QChar::LineSeparator);
        return;
    case Kw::NestCell:
        textChar('\t');
        return;
    case Kw::NestRow:
        textChar(QChar::LineSeparator);
        return;
    case Kw::Uc:
        g.uc = std::clamp(param, 0, 16);
        return;
    case Kw::Bin:
        skipBinary(param);
        return;
    default:
        break;
    }

    flushText();
    switch (entry.kw) {
    case Kw::FontTable:
        g.dest = Dest::FontTable;
        m_fontDefinition = FontDefinition{};
        break;
    case Kw::ColorTable:
        g.dest = Dest::ColorTable;
        m_colorDefinition = ColorDefinition{};
        break;
    case Kw::Pict:
        g.dest = Dest::Picture;
        m_picture = Picture{};
        break;
    case Kw::Attachment:
        g.dest = Dest::Attachment;
        m_attachment = Attachment{};
        break;
    case Kw::Footnote:
        startNote();
        break;
    case Kw::HeaderFooter:
    case Kw::FtnAlt:
    case Kw::Chftn:
    case Kw::Chpgn:
    case Kw::FldInst:
    case Kw::TitlePg:
    case Kw::FacingP:
    case Kw::HeaderY:
    case Kw::FooterY:
    case Kw::NoteNumbering:
        furnitureKeyword(entry, param);
        break;
    case Kw::Upr:
        g.beforeUpr = g.dest;
        g.dest = Dest::Upr;
        break;
    case Kw::SkipDest:
        g.dest = Dest::Skip;
        break;
    case Kw::Ansi:
        m_documentCodePage = 1252;
        break;
    case Kw::Mac:
        m_documentCodePage = 10000;
        break;
    case Kw::Pc:
        m_documentCodePage = 437;
        break;
    case Kw::Pca:
        m_documentCodePage = 850;
        break;
    case Kw::AnsiCpg:
        if (param > 0)
            m_documentCodePage = param;
        break;
    case Kw::Deff:
        m_defaultFont = param;
        m_charFormatValid = false;
        break;
    case Kw::Par:
        paragraphBreak();
        break;
    case Kw::Sect:
        sectionBreak();
        break;
    case Kw::Sectd:
    case Kw::SbkPage:
    case Kw::SbkOdd:
    case Kw::SbkEven:
    case Kw::SbkNone:
    case Kw::PgnRestart:
    case Kw::PgnStarts:
        sectionKeyword(entry.kw, hasParam ? param : 1);
        break;
    case Kw::Page:
        pageBreak();
        break;
    case Kw::Plain:
        g.chr = CharState{};
        break;
    case Kw::F:
        g.chr.font = hasParam ? param : 0;
        break;
    case Kw::Fs:
        g.chr.halfPoints = hasParam && param > 0 ? std::min(param, 3276) : 24;
        break;
    case Kw::B:
        g.chr.bold = on;
        break;
    case Kw::I:
        g.chr.italic = on;
        break;
    case Kw::Ul:
        g.chr.underline = on ? static_cast<uint8_t>(entry.value)
                             : static_cast<uint8_t>(QTextCharFormat::NoUnderline);
        break;
    case Kw::UlNone:
        g.chr.underline = QTextCharFormat::NoUnderline;
        break;
    case Kw::Strike:
        g.chr.strike = on;
        break;
    case Kw::Cf:
        g.chr.foreground = param;
        break;
    case Kw::Cb:
        g.chr.background = param;
        break;
    case Kw::Super:
        g.chr.valign = on ? 1 : 0;
        break;
    case Kw::Sub:
        g.chr.valign = on ? 2 : 0;
        break;
    case Kw::NoSuperSub:
        g.chr.valign = 0;
        break;
    case Kw::V:
        g.chr.hidden = on;
        break;
    case Kw::Caps:
        g.chr.caps = on ? 1 : 0;
        break;
    case Kw::Scaps:
        g.chr.caps = on ? 2 : 0;
        break;
    case Kw::Pard:
        g.para = ParaState{};
        break;
    case Kw::Ql:
        g.para.alignment = Qt::AlignLeft;
        break;
    case Kw::Qc:
        g.para.alignment = Qt::AlignHCenter;
        break;
    case Kw::Qr:
        g.para.alignment = Qt::AlignRight;
        break;
    case Kw::Qj:
        g.para.alignment = Qt::AlignJustify;
        break;
    case Kw::Li:
        g.para.left = clampTwips(param);
        break;
    case Kw::Ri:
        g.para.right = clampTwips(param);
        break;
    case Kw::Fi:
        g.para.first = clampTwips(param);
        break;
    case Kw::Sb:
        g.para.before = std::clamp(param, 0, kMaxTwips);
        break;
    case Kw::Sa:
        g.para.after = std::clamp(param, 0, kMaxTwips);
        break;
    case Kw::Sl:
        g.para.line = clampTwips(param);
        break;
    case Kw::SlMult:
        g.para.lineMultiple = on;
        break;
    case Kw::Tqr:
        g.para.nextTab = QTextOption::RightTab;
        break;
    case Kw::Tqc:
        g.para.nextTab = QTextOption::CenterTab;
        break;
    case Kw::Tqdec:
        g.para.nextTab = QTextOption::DelimiterTab;
        break;
    case Kw::Tx:
    case Kw::Tb:
        if (g.para.tabs.size() < kMaxTabStops)
            g.para.tabs.append(TabStop{std::clamp(param, 0, kMaxTwips),
                                       entry.kw == Kw::Tb ? QTextOption::LeftTab
                                                          : g.para.nextTab});
        g.para.nextTab = QTextOption::LeftTab;
        break;
    case Kw::PageBb:
        g.para.pageBreakBefore = on;
        break;
    case Kw::Intbl:
        g.para.inTable = on;
        break;
    case Kw::Trowd:
    case Kw::Cellx:
    case Kw::Border:
    case Kw::BrdrNone:
    case Kw::BrdrW:
    case Kw::BrdrCf:
    case Kw::ClBrdr:
    case Kw::TrBrdr:
    case Kw::ClCbPat:
    case Kw::ClVertAl:
    case Kw::TrGaph:
        rowDefinitionKeyword(entry, param);
        break;
    case Kw::Cell:
        cellEnd();
        break;
    case Kw::Row:
        rowEnd();
        break;
    default:
        break;
    }
}

bool RtfParser::dropPlaceholder()
{
    if (!m_placeholderPending)
        return false;
    m_placeholderPending = false;
    return true;
}

void RtfParser::textByte(unsigned char byte)
{
    Group& g = cur();
    switch (g.dest) {
    case Dest::Text:
    case Dest::Story:
        if (g.chr.hidden || dropPlaceholder())
            return;
        m_bytes.append(static_cast<char>(byte));
        return;
    case Dest::FieldInstruction:
        m_bytes.append(static_cast<char>(byte));
        return;
    case Dest::FontTable:
        if (byte == ';') {
            flushText();
            commitFont();
        } else {
            m_bytes.append(static_cast<char>(byte));
        }
        return;
    case Dest::ColorTable:
        if (byte == ';')
            commitColor();
        return;
    case Dest::Attachment:
        if (!m_attachment.nameDone)
            m_bytes.append(static_cast<char>(byte));
        return;
    default:
        return;
    }
}

void RtfParser::textChar(qint64 codePoint)
{
    Group& g = cur();
    switch (g.dest) {
    case Dest::Text:
    case Dest::Story:
        if (g.chr.hidden || dropPlaceholder())
            return;
        break;
    case Dest::FontTable:
    case Dest::FieldInstruction:
        break;
    case Dest::Attachment:
        if (m_attachment.nameDone)
            return;
        break;
    default:
        return;
    }
    decodeBytes();
    appendCodePoint(m_text, codePoint);
}

const FontInfo* RtfParser::fontFor(int number) const
{
    auto found = m_fonts.find(number < 0 ? m_defaultFont : number);
    if (found == m_fonts.end() && number >= 0)
        found = m_fonts.find(m_defaultFont);
    return found == m_fonts.end() ? nullptr : &found->second;
}

int RtfParser::codePage()
{
    if (cur().dest == Dest::FontTable) {
        if (m_fontDefinition.codePage > 0)
            return m_fontDefinition.codePage;
        const int fromCharset = codePageForCharset(m_fontDefinition.charset);
        return fromCharset > 0 ? fromCharset : m_documentCodePage;
    }
    const FontInfo* font = fontFor(cur().chr.font);
    return font && font->codePage > 0 ? font->codePage : m_documentCodePage;
}

void RtfParser::decodeBytes()
{
    if (m_bytes.isEmpty())
        return;
    // A symbol font's bytes are glyph codes, not characters of a code page.
    if (textual() && symbolFont())
        m_text += QString::fromLatin1(m_bytes);
    else
        m_text += m_decoder.decode(codePage(), m_bytes);
    m_bytes.clear();
}

const FontInfo* RtfParser::symbolFont()
{
    const FontInfo* font = fontFor(cur().chr.font);
    return font && isSymbolFont(font->name) ? font : nullptr;
}

void RtfParser::flushText()
{
    decodeBytes();
    if (m_text.isEmpty())
        return;
    switch (cur().dest) {
    case Dest::Text:
    case Dest::Story: {
        const FontInfo* symbol = symbolFont();
        QString clean = cleanText(symbol ? symbolFontText(symbol->name, m_text) : m_text);
        if (m_dropLeadingSpace && m_story && clean.startsWith(QLatin1Char(' ')))
            clean.remove(0, 1);
        if (!clean.isEmpty()) {
            m_dropLeadingSpace = false;
            if (!m_story)
                m_pendingMark.reset(); // a mark followed by text has no note
            prepareInsert();
            cursor().insertText(clean, charFormat());
        }
        break;
    }
    case Dest::FieldInstruction:
        if (m_fieldInstruction.size() < kMaxFieldInstruction)
            m_fieldInstruction += m_text;
        break;
    case Dest::FontTable:
        m_fontDefinition.name += m_text;
        break;
    case Dest::Attachment:
        m_attachment.name += m_text;
        break;
    default:
        break;
    }
    m_text.clear();
}

const QTextCharFormat& RtfParser::charFormat()
{
    const CharState& s = cur().chr;
    if (m_charFormatValid && s == m_charFormatState)
        return m_charFormat;
    QTextCharFormat f;
    const FontInfo* font = fontFor(s.font);
    // Symbol fonts' characters are written as what they draw, in the
    // document's font.
    if (font && isSymbolFont(font->name))
        font = fontFor(-1);
    if (font && isSymbolFont(font->name))
        font = nullptr;
    f.setFontFamilies(documentFontFamilies(font && !font->name.isEmpty() ? font->name : defaultFontFamily()));
    if (font && font->hint != QFont::AnyStyle)
        f.setFontStyleHint(font->hint);
    f.setFontPointSize(std::max(s.halfPoints, 2) / 2.0);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setUnderlineStyle(static_cast<QTextCharFormat::UnderlineStyle>(s.underline));
    f.setFontStrikeOut(s.strike);
    if (s.caps)
        f.setFontCapitalization(s.caps == 1 ? QFont::AllUppercase : QFont::SmallCaps);
    if (s.valign)
        f.setVerticalAlignment(s.valign == 1 ? QTextCharFormat::AlignSuperScript
                                             : QTextCharFormat::AlignSubScript);
    const auto color = [&](int index) -> std::optional<QColor> {
        if (index < 0 || index >= m_colors.size())
            return std::nullopt;
        return m_colors.at(index);
    };
    if (const auto c = color(s.foreground))
        f.setForeground(*c);
    if (const auto c = color(s.background))
        f.setBackground(*c);
    if (s.field)
        f.setProperty(kPageFieldProperty, int(s.field));
    m_charFormat = f;
    m_charFormatState = s;
    m_charFormatValid = true;
    return m_charFormat;
}

QTextBlockFormat RtfParser::blockFormat()
{
    const ParaState& s = cur().para;
    if (m_blockFormatValid && s == m_blockFormatState)
        return m_blockFormat;
    QTextBlockFormat f;
    f.setAlignment(s.alignment);
    f.setLeftMargin(twips(s.left));
    f.setRightMargin(twips(s.right));
    f.setTextIndent(twips(s.first));
    f.setTopMargin(twips(s.before));
    f.setBottomMargin(twips(s.after));
    if (s.line != 0) {
        if (s.lineMultiple)
            f.setLineHeight(std::abs(s.line) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (s.line > 0)
            f.setLineHeight(twips(s.line), QTextBlockFormat::MinimumHeight);
        else
            f.setLineHeight(twips(-s.line), QTextBlockFormat::FixedHeight);
    }
    if (!s.tabs.isEmpty()) {
        QList<QTextOption::Tab> tabs;
        tabs.reserve(s.tabs.size());
        for (const TabStop& t : s.tabs)
            tabs.append(QTextOption::Tab(twips(t.twips), t.type,
                                         t.type == QTextOption::DelimiterTab ? QChar('.')
                                                                             : QChar()));
        f.setTabPositions(tabs);
    }
    if (s.pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_blockFormat = f;
    m_blockFormatState = s;
    m_blockFormatValid = true;
    return f;
}

void RtfParser::applyBlockFormat()
{
    if (m_story) {
        cursor().setBlockFormat(blockFormat());
        return;
    }
    QTextBlockFormat f = blockFormat();
    if (m_pageBreakPending)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (m_sectionStart > 0)
        f.setProperty(kSectionProperty, m_sectionStart);
    m_pageBreakPending = false;
    m_sectionStart = 0;
    m_cursor.setBlockFormat(f);
}

void RtfParser::paragraphBreak()
{
    flushText();
    prepareInsert();
    applyBlockFormat();
    cursor().insertBlock(QTextBlockFormat(), charFormat());
}

void RtfParser::pageBreak()
{
    flushText();
    if (m_story)
        return;
    prepareInsert();
    if (m_table)
        return; // no page break inside a table cell
    applyBlockFormat();
    m_cursor.insertBlock(QTextBlockFormat(), charFormat());
    m_pageBreakPending = true;
}

void RtfParser::sectionBreak()
{
    flushText();
    // A break right after a paragraph's end ends no paragraph of its own:
    // the empty one there is the next section's first.
    if (m_story || m_table || m_cursor.block().length() > 1 || !m_cursor.block().previous().isValid())
        paragraphBreak();
    if (m_story || m_table)
        return;
    // The section's properties follow its break.
    const int index = PageFurniture::of(m_document).addSection();
    if (index > 0)
        m_sectionStart = index;
    m_pageNumberRestart = false;
    m_firstPageNumber = 1;
}

void RtfParser::commitFont()
{
    FontDefinition& d = m_fontDefinition;
    if (d.number >= 0) {
        FontInfo info;
        info.name = d.name.trimmed();
        info.codePage = d.codePage > 0 ? d.codePage : codePageForCharset(d.charset);
        info.hint = d.hint;
        m_fonts[d.number] = info;
        m_charFormatValid = false;
    }
    d = FontDefinition{};
}

void RtfParser::commitColor()
{
    const ColorDefinition& d = m_colorDefinition;
    m_colors.append(d.given ? std::optional<QColor>(QColor(d.red, d.green, d.blue))
                           : std::nullopt);
    m_colorDefinition = ColorDefinition{};
    m_charFormatValid = false;
}

void RtfParser::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_ucSkip = 0;
    flushText();
    if (m_story)
        endStory();
    closeTable();
    // The empty paragraph after the last paragraph mark is none of the
    // document's: a page break before that the paragraphs carry is not its.
    if (m_cursor.block().length() <= 1 && m_cursor.block().previous().isValid())
        cur().para.pageBreakBefore = false;
    applyBlockFormat();
}

} // namespace platform::text::rtf
