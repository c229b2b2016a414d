#include "platform/text/RtfParser_p.h"

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
    p_ = begin;
    end_ = end;
    cursor_.beginEditBlock();
    while (p_ < end_ && !finished_) {
        const char c = *p_;
        switch (c) {
        case '{':
            ++p_;
            openGroup();
            break;
        case '}':
            ++p_;
            closeGroup();
            break;
        case '\\':
            ++p_;
            controlWord();
            break;
        case '\r':
        case '\n':
            ++p_;
            break;
        default:
            if (cur().dest == Dest::Picture) {
                pictureData();
                break;
            }
            ++p_;
            if (ucSkip_ > 0) {
                --ucSkip_;
                break;
            }
            textByte(static_cast<unsigned char>(c));
        }
    }
    finish();
    cursor_.endEditBlock();
}

void RtfParser::openGroup()
{
    ucSkip_ = 0;
    ignorable_ = false;
    flushText();
    // The base state plus the document's own group do not count.
    if (stack_.size() > kMaxGroupDepth) {
        finish();
        return;
    }
    Group child = cur();
    if (child.dest == Dest::Picture || child.dest == Dest::Attachment
        || child.dest == Dest::ColorTable)
        child.dest = Dest::Skip;
    stack_.push_back(std::move(child));
}

void RtfParser::closeGroup()
{
    ucSkip_ = 0;
    ignorable_ = false;
    flushText();
    if (stack_.size() <= 2) {
        finish();
        return;
    }
    bool attachment = false;
    switch (cur().dest) {
    case Dest::FontTable:
        commitFont();
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
    stack_.pop_back();
    // The attachment character that follows an attachment's group stands
    // for the attachment itself.
    placeholderPending_ = attachment;
}

void RtfParser::controlWord()
{
    if (p_ >= end_)
        return;
    if (!isLetter(*p_)) {
        controlSymbol(*p_++);
        return;
    }
    const char* nameStart = p_;
    while (p_ < end_ && isLetter(*p_))
        ++p_;
    const std::string_view name(nameStart, size_t(p_ - nameStart));
    bool hasParam = false;
    qint64 value = 0;
    bool negative = false;
    if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && isDigit(p_[1])) {
        negative = true;
        ++p_;
    }
    while (p_ < end_ && isDigit(*p_)) {
        hasParam = true;
        if (value <= kMaxControlParameter)
            value = value * 10 + (*p_ - '0');
        ++p_;
    }
    if (p_ < end_ && *p_ == ' ')
        ++p_;
    value = std::min<qint64>(value, kMaxControlParameter);
    keyword(name, hasParam, static_cast<int>(negative ? -value : value));
}

void RtfParser::controlSymbol(char c)
{
    if (c == '\'') {
        // Both digits or no byte; a lone digit is eaten with the escape.
        int byte = 0;
        int digits = 0;
        while (digits < 2 && p_ < end_ && hexValue(*p_) >= 0) {
            byte = byte * 16 + hexValue(*p_++);
            ++digits;
        }
        if (digits < 2)
            byte = -1;
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        if (byte >= 0)
            textByte(static_cast<unsigned char>(byte));
        return;
    }
    if (ucSkip_ > 0) {
        --ucSkip_;
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
        ignorable_ = true;
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
    p_ += std::clamp<qint64>(count, 0, end_ - p_);
}

void RtfParser::keyword(std::string_view name, bool hasParam, int param)
{
    const Keyword entry = findKeyword(name);
    const bool ignorable = ignorable_;
    ignorable_ = false;

    if (ucSkip_ > 0) {
        --ucSkip_;
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
    if (ignorable && entry.kw != Kw::ShpPict && entry.kw != Kw::Ud) {
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
            ucSkip_ = g.uc;
            return;
        }
        fontTableKeyword(entry.kw, param);
        if (entry.kw == Kw::FontFamily)
            fontDefinition_.hint = static_cast<QFont::StyleHint>(entry.value);
        return;
    case Dest::ColorTable:
        if (entry.kw == Kw::Red)
            colorDefinition_.red = std::clamp(param, 0, 255);
        else if (entry.kw == Kw::Green)
            colorDefinition_.green = std::clamp(param, 0, 255);
        else if (entry.kw == Kw::Blue)
            colorDefinition_.blue = std::clamp(param, 0, 255);
        else
            return;
        colorDefinition_.given = true;
        return;
    case Dest::Picture:
        pictureKeyword(entry.kw, param);
        return;
    case Dest::Attachment:
        flushText();
        attachment_.nameDone = true;
        if (entry.kw == Kw::Width)
            attachment_.width = param;
        else if (entry.kw == Kw::Height)
            attachment_.height = param;
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
        if (fontDefinition_.number >= 0)
            commitFont();
        fontDefinition_ = FontDefinition{};
        fontDefinition_.number = param;
        break;
    case Kw::Fcharset:
        flushText();
        fontDefinition_.charset = param;
        break;
    case Kw::Cpg:
        flushText();
        fontDefinition_.codePage = param;
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
        ucSkip_ = g.uc;
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
        fontDefinition_ = FontDefinition{};
        break;
    case Kw::ColorTable:
        g.dest = Dest::ColorTable;
        colorDefinition_ = ColorDefinition{};
        break;
    case Kw::Pict:
        g.dest = Dest::Picture;
        picture_ = Picture{};
        break;
    case Kw::Attachment:
        g.dest = Dest::Attachment;
        attachment_ = Attachment{};
        break;
    case Kw::Footnote:
        if (g.dest != Dest::Footnote)
            textChar(' ');
        flushText();
        g.dest = Dest::Footnote;
        break;
    case Kw::Upr:
        g.beforeUpr = g.dest;
        g.dest = Dest::Upr;
        break;
    case Kw::SkipDest:
        g.dest = Dest::Skip;
        break;
    case Kw::Ansi:
        documentCodePage_ = 1252;
        break;
    case Kw::Mac:
        documentCodePage_ = 10000;
        break;
    case Kw::Pc:
        documentCodePage_ = 437;
        break;
    case Kw::Pca:
        documentCodePage_ = 850;
        break;
    case Kw::AnsiCpg:
        if (param > 0)
            documentCodePage_ = param;
        break;
    case Kw::Deff:
        defaultFont_ = param;
        charFormatValid_ = false;
        break;
    case Kw::Par:
        paragraphBreak();
        break;
    case Kw::Sect:
        sectionBreak();
        break;
    case Kw::Sectd:
    case Kw::SbkPage:
        sectionBreaksPage_ = true;
        break;
    case Kw::SbkNone:
        sectionBreaksPage_ = false;
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
        cellx_.clear();
        rowBorders_ = false;
        break;
    case Kw::Cellx:
        if (cellx_.size() < kMaxTableColumns)
            cellx_.append(std::clamp(param, 0, kMaxTwips));
        break;
    case Kw::Border:
        rowBorders_ = true;
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
    if (!placeholderPending_)
        return false;
    placeholderPending_ = false;
    return true;
}

void RtfParser::textByte(unsigned char byte)
{
    Group& g = cur();
    switch (g.dest) {
    case Dest::Text:
    case Dest::Footnote:
        if (g.chr.hidden || dropPlaceholder())
            return;
        bytes_.append(static_cast<char>(byte));
        return;
    case Dest::FontTable:
        if (byte == ';') {
            flushText();
            commitFont();
        } else {
            bytes_.append(static_cast<char>(byte));
        }
        return;
    case Dest::ColorTable:
        if (byte == ';')
            commitColor();
        return;
    case Dest::Attachment:
        if (!attachment_.nameDone)
            bytes_.append(static_cast<char>(byte));
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
    case Dest::Footnote:
        if (g.chr.hidden || dropPlaceholder())
            return;
        break;
    case Dest::FontTable:
        break;
    case Dest::Attachment:
        if (attachment_.nameDone)
            return;
        break;
    default:
        return;
    }
    decodeBytes();
    appendCodePoint(text_, codePoint);
}

const FontInfo* RtfParser::fontFor(int number) const
{
    auto found = fonts_.find(number < 0 ? defaultFont_ : number);
    if (found == fonts_.end() && number >= 0)
        found = fonts_.find(defaultFont_);
    return found == fonts_.end() ? nullptr : &found->second;
}

int RtfParser::codePage()
{
    if (cur().dest == Dest::FontTable) {
        if (fontDefinition_.codePage > 0)
            return fontDefinition_.codePage;
        const int fromCharset = codePageForCharset(fontDefinition_.charset);
        return fromCharset > 0 ? fromCharset : documentCodePage_;
    }
    const FontInfo* font = fontFor(cur().chr.font);
    return font && font->codePage > 0 ? font->codePage : documentCodePage_;
}

void RtfParser::decodeBytes()
{
    if (bytes_.isEmpty())
        return;
    text_ += decoder_.decode(codePage(), bytes_);
    bytes_.clear();
}

void RtfParser::flushText()
{
    decodeBytes();
    if (text_.isEmpty())
        return;
    switch (cur().dest) {
    case Dest::Text:
    case Dest::Footnote: {
        const QString clean = cleanText(text_);
        if (!clean.isEmpty()) {
            prepareInsert();
            cursor_.insertText(clean, charFormat());
        }
        break;
    }
    case Dest::FontTable:
        fontDefinition_.name += text_;
        break;
    case Dest::Attachment:
        attachment_.name += text_;
        break;
    default:
        break;
    }
    text_.clear();
}

const QTextCharFormat& RtfParser::charFormat()
{
    const CharState& s = cur().chr;
    if (charFormatValid_ && s == charFormatState_)
        return charFormat_;
    QTextCharFormat f;
    const FontInfo* font = fontFor(s.font);
    f.setFontFamilies(QStringList{font && !font->name.isEmpty() ? font->name : defaultFontFamily()});
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
        if (index < 0 || index >= colors_.size())
            return std::nullopt;
        return colors_.at(index);
    };
    if (const auto c = color(s.foreground))
        f.setForeground(*c);
    if (const auto c = color(s.background))
        f.setBackground(*c);
    charFormat_ = f;
    charFormatState_ = s;
    charFormatValid_ = true;
    return charFormat_;
}

QTextBlockFormat RtfParser::blockFormat()
{
    const ParaState& s = cur().para;
    if (blockFormatValid_ && s == blockFormatState_)
        return blockFormat_;
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
    blockFormat_ = f;
    blockFormatState_ = s;
    blockFormatValid_ = true;
    return f;
}

void RtfParser::applyBlockFormat()
{
    QTextBlockFormat f = blockFormat();
    if (pageBreakPending_ || (sectionPending_ && sectionBreaksPage_))
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakPending_ = false;
    sectionPending_ = false;
    cursor_.setBlockFormat(f);
}

void RtfParser::paragraphBreak()
{
    flushText();
    if (cur().dest == Dest::Footnote) {
        textChar(' ');
        return;
    }
    prepareInsert();
    applyBlockFormat();
    cursor_.insertBlock(QTextBlockFormat(), charFormat());
}

void RtfParser::pageBreak()
{
    flushText();
    if (cur().dest == Dest::Footnote)
        return;
    prepareInsert();
    if (table_)
        return; // no page break inside a table cell
    applyBlockFormat();
    cursor_.insertBlock(QTextBlockFormat(), charFormat());
    pageBreakPending_ = true;
}

void RtfParser::sectionBreak()
{
    paragraphBreak();
    if (cur().dest != Dest::Footnote && !table_)
        sectionPending_ = true;
}

void RtfParser::commitFont()
{
    FontDefinition& d = fontDefinition_;
    if (d.number >= 0) {
        FontInfo info;
        info.name = d.name.trimmed();
        info.codePage = d.codePage > 0 ? d.codePage : codePageForCharset(d.charset);
        info.hint = d.hint;
        fonts_[d.number] = info;
        charFormatValid_ = false;
    }
    d = FontDefinition{};
}

void RtfParser::commitColor()
{
    const ColorDefinition& d = colorDefinition_;
    colors_.append(d.given ? std::optional<QColor>(QColor(d.red, d.green, d.blue))
                           : std::nullopt);
    colorDefinition_ = ColorDefinition{};
    charFormatValid_ = false;
}

void RtfParser::finish()
{
    if (finished_)
        return;
    finished_ = true;
    ucSkip_ = 0;
    flushText();
    closeTable();
    applyBlockFormat();
}

} // namespace platform::text::rtf
