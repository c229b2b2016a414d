// The parser's page furniture: sections with their headers and footers,
// footnotes and endnotes with their marks, and the page number and count
// fields.
#include "platform/text/ListLabels.h"
#include "platform/text/PageFieldCode_p.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/rtf/RtfParser_p.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>

namespace platform::text::rtf {

namespace {

// A mark taken from the text before a note is this short at most.
constexpr int kMaxLiteralMark = 8;

const char* const kNumberFormats[] = {"decimal", "lowerRoman", "upperRoman", "lowerLetter", "upperLetter"};

} // namespace

QTextCursor& RtfParser::cursor()
{
    if (!m_story)
        return m_cursor;
    if (m_story->pendingNote) {
        m_story->pendingNote = false;
        PageFurniture& furniture = PageFurniture::of(m_document);
        const int index = int(furniture.notes().size());
        const QString mark = markNoteReference(index, m_story->kind);
        furniture.addNote(m_story->kind, mark);
        m_story->cursor = QTextCursor(&furniture.noteText(index));
    }
    return m_story->cursor;
}

void RtfParser::furnitureKeyword(const Keyword& entry, int param)
{
    Group& g = cur();
    switch (entry.kw) {
    case Kw::HeaderFooter:
        startHeaderOrFooter(entry.value);
        break;
    case Kw::FtnAlt:
        if (m_story && m_story->pendingNote)
            m_story->kind = Note::Kind::Endnote;
        break;
    case Kw::Chftn:
        noteMark();
        break;
    case Kw::Chpgn: {
        const uint8_t field = g.chr.field;
        g.chr.field = uint8_t(PageField::PageNumber);
        textChar('1');
        flushText();
        g.chr.field = field;
        break;
    }
    case Kw::FldInst:
        g.dest = Dest::FieldInstruction;
        m_fieldInstruction.clear();
        break;
    case Kw::TitlePg:
        PageFurniture::of(m_document).lastSection().titlePage = true;
        break;
    case Kw::FacingP:
        PageFurniture::of(m_document).evenAndOddHeaders = true;
        break;
    case Kw::HeaderY:
    case Kw::FooterY: {
        PageFurniture& furniture = PageFurniture::of(m_document);
        double& distance = entry.kw == Kw::HeaderY ? furniture.headerDistance : furniture.footerDistance;
        if (distance < 0 && param >= 0)
            distance = std::min(param, kMaxTwips) / 20.0;
        break;
    }
    case Kw::NoteNumbering: {
        const int format = entry.value & 7;
        if (format < int(std::size(kNumberFormats)))
            (entry.value & 8 ? m_endnoteFormat : m_footnoteFormat) = QString::fromLatin1(kNumberFormats[format]);
        break;
    }
    default:
        break;
    }
}

// Properties of the section being read, which follow its break: how it
// starts (\sectd: on a new page, with no title page, numbered on) and its
// page numbers. The first section's come before the text.
void RtfParser::sectionKeyword(Kw kw, int param)
{
    if (kw == Kw::PgnRestart || kw == Kw::PgnStarts) {
        if (kw == Kw::PgnRestart)
            m_pageNumberRestart = true;
        else
            m_firstPageNumber = std::clamp(param, 0, kMaxControlParameter);
        PageFurniture* furniture = PageFurniture::find(m_document);
        const bool first = !furniture || furniture->sectionCount() == 1;
        // The first section starts from its number without being told to.
        if (m_pageNumberRestart || (first && m_firstPageNumber != 1))
            PageFurniture::of(m_document).lastSection().firstPageNumber = m_firstPageNumber;
        return;
    }
    if (kw == Kw::Sectd) {
        m_pageNumberRestart = false;
        m_firstPageNumber = 1;
    }
    // Nothing to say of a first section that starts with the document.
    PageFurniture* furniture = PageFurniture::find(m_document);
    if (!furniture)
        return;
    PageSection& section = furniture->lastSection();
    switch (kw) {
    case Kw::Sectd:
        section.start = SectionStart::NewPage;
        section.titlePage = false;
        section.firstPageNumber.reset();
        break;
    case Kw::SbkOdd:
        section.start = SectionStart::OddPage;
        break;
    case Kw::SbkEven:
        section.start = SectionStart::EvenPage;
        break;
    case Kw::SbkNone:
        section.start = SectionStart::Continuous;
        break;
    default:
        section.start = SectionStart::NewPage;
        break;
    }
}

// Which of the six a group is: its footer bit and its PageKind; it belongs
// to the section being read. A section's second story of a kind is skipped.
void RtfParser::startHeaderOrFooter(int which)
{
    Group& g = cur();
    if (m_story || g.dest != Dest::Text) {
        g.dest = Dest::Skip;
        return;
    }
    PageFurniture& furniture = PageFurniture::of(m_document);
    const auto kind = static_cast<std::size_t>(which & 0xF);
    const PageSection& section = furniture.lastSection();
    if ((which & 0x10 ? section.footers : section.headers)[kind]) {
        g.dest = Dest::Skip;
        return;
    }
    QTextDocument& story = which & 0x10 ? furniture.makeFooter(static_cast<PageKind>(kind))
                                        : furniture.makeHeader(static_cast<PageKind>(kind));
    g.dest = Dest::Story;
    m_story = Story{QTextCursor(&story), m_stack.size()};
}

void RtfParser::startNote()
{
    Group& g = cur();
    if (m_story || g.dest != Dest::Text) {
        g.dest = Dest::Skip; // notes in headers or notes are not printed
        return;
    }
    if (PageFurniture::of(m_document).notes().size() >= std::size_t(kMaxNotes)) {
        m_notesExceeded = true;
        finish();
        return;
    }
    g.dest = Dest::Story;
    m_story = Story{QTextCursor(), m_stack.size(), true};
}

void RtfParser::endStory()
{
    flushText();
    QTextCursor& story = cursor(); // makes a note left empty
    story.setBlockFormat(blockFormat());
    // The story's closing paragraph mark leaves an empty paragraph.
    if (story.block().length() <= 1 && story.block().blockNumber() > 0)
        story.deletePreviousChar();
    m_story.reset();
    m_dropLeadingSpace = false;
}

// \chftn: in the body, the next note's number; in a note, its own mark,
// which the printer writes before the note's text.
void RtfParser::noteMark()
{
    if (m_story) {
        m_dropLeadingSpace = true;
        return;
    }
    if (!textual() || cur().chr.hidden)
        return;
    flushText();
    prepareInsert();
    const int start = m_cursor.position();
    m_cursor.insertText(formatListNumber(m_footnoteFormat, m_footnotes + 1), charFormat());
    m_pendingMark = QTextCursor(&m_document);
    m_pendingMark->setPosition(start);
    m_pendingMark->setPosition(m_cursor.position(), QTextCursor::KeepAnchor);
}

QString RtfParser::nextNoteNumber(Note::Kind kind)
{
    return kind == Note::Kind::Endnote ? formatListNumber(m_endnoteFormat, ++m_endnotes)
                                       : formatListNumber(m_footnoteFormat, ++m_footnotes);
}

QString RtfParser::markNoteReference(int index, Note::Kind kind)
{
    QTextCursor mark(&m_document);
    if (m_pendingMark && m_pendingMark->hasSelection()) {
        // An automatic mark, numbered in the note's own series.
        mark = *m_pendingMark;
        const int start = mark.selectionStart();
        mark.insertText(nextNoteNumber(kind), mark.charFormat());
        mark.setPosition(start, QTextCursor::KeepAnchor);
        m_pendingMark.reset();
    } else {
        // A mark of the writer's own: the superscript text just before.
        mark.setPosition(m_cursor.position());
        const QTextBlock block = mark.block();
        int literal = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString text = fragment.text();
            if (fragment.position() + fragment.length() == mark.position()
                && fragment.charFormat().verticalAlignment() == QTextCharFormat::AlignSuperScript
                && text.size() <= kMaxLiteralMark && text.simplified().remove(QLatin1Char(' ')) == text)
                literal = fragment.length();
        }
        if (literal > 0) {
            mark.setPosition(mark.position() - literal, QTextCursor::KeepAnchor);
        } else {
            QTextCharFormat format = m_cursor.charFormat();
            format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            const int start = m_cursor.position();
            m_cursor.insertText(nextNoteNumber(kind), format);
            mark.setPosition(start);
            mark.setPosition(m_cursor.position(), QTextCursor::KeepAnchor);
        }
    }
    QTextCharFormat reference;
    reference.setProperty(kNoteReferenceProperty, index);
    mark.mergeCharFormat(reference);
    return mark.selectedText();
}

// The field group takes the kind of page field its instruction names; its
// result is the text that stands for it.
void RtfParser::endFieldInstruction()
{
    if (const int field = pageFieldOfCode(m_fieldInstruction))
        cur().chr.field = uint8_t(field);
    m_fieldInstruction.clear();
}

} // namespace platform::text::rtf
