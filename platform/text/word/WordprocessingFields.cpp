// The parser's page fields and note references: a PAGE or NUMPAGES field's
// result marked for the printer to replace on each page, a note reference
// printed as its raised mark.
#include "platform/text/word/WordprocessingParser_p.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/PageFieldCode_p.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/RichTextBuilder.h"

#include <QXmlStreamReader>

namespace platform::text {

bool WordprocessingParser::readFieldOrNote(QXmlStreamReader& xml)
{
    const QStringView n = xml.name();
    if (n == u"fldSimple") {
        if (m_fieldDepth == 0)
            m_pageField = pageFieldOfCode(attr(xml, QLatin1StringView("instr")));
        return true;
    }
    if (n == u"fldChar") {
        const QStringView type = attr(xml, QLatin1StringView("fldCharType"));
        if (type == u"begin") {
            if (++m_fieldDepth == 1)
                m_fieldInstruction.clear();
        } else if (type == u"separate") {
            if (m_fieldDepth == 1)
                m_pageField = pageFieldOfCode(m_fieldInstruction);
        } else if (type == u"end" && m_fieldDepth > 0) {
            if (--m_fieldDepth == 0)
                m_pageField = 0;
        }
        return true;
    }
    if (n == u"instrText") {
        if (m_fieldDepth == 1)
            m_fieldInstruction += xml.readElementText();
        else
            xml.skipCurrentElement();
        return true;
    }
    if (n == u"footnoteReference" || n == u"endnoteReference") {
        const bool endnote = n == u"endnoteReference";
        const QString id = attr(xml, QLatin1StringView("id")).toString();
        const QLatin1StringView customName("customMarkFollows");
        const bool custom = !attr(xml, customName).isEmpty() && onOff(xml, customName);
        xml.skipCurrentElement();
        if (custom) {
            m_customNote = PendingNote{endnote, id};
            return true;
        }
        const NoteMark note = m_noteReference ? m_noteReference(endnote, id, QString()) : NoteMark();
        if (note.index >= 0) {
            ensureParagraph();
            QTextCharFormat format = runFormat();
            format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            format.setProperty(kNoteReferenceProperty, note.index);
            m_builder.addText(note.mark, format);
        }
        return true;
    }
    return false;
}

void WordprocessingParser::endFieldOrNote(QStringView name)
{
    if (name == u"fldSimple" && m_fieldDepth == 0)
        m_pageField = 0;
    // A written mark stays inside its paragraph; without one the note is
    // left out, as it would have no mark to print.
    if (name == u"p")
        m_customNote.reset();
}

void WordprocessingParser::emitCustomNoteMark(const QString& text)
{
    const PendingNote pending = *m_customNote;
    m_customNote.reset();
    const QString mark = text.trimmed();
    const NoteMark note = m_noteReference ? m_noteReference(pending.endnote, pending.id, mark) : NoteMark();
    QTextCharFormat format = runFormat();
    if (note.index >= 0)
        format.setProperty(kNoteReferenceProperty, note.index);
    m_builder.addText(text, format);
}

} // namespace platform::text
