// The parser's page fields and note references: a PAGE or NUMPAGES field's
// result marked for the printer to replace on each page, a note reference
// printed as its raised mark.
#include "platform/text/word/WordprocessingParser_p.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/RichTextBuilder.h"

#include <QXmlStreamReader>

namespace platform::text {

namespace {

// The page field an instruction asks for ("PAGE \* MERGEFORMAT"), or 0.
int pageFieldOf(QStringView instruction)
{
    const QString name = instruction.trimmed().toString().section(QLatin1Char(' '), 0, 0).toUpper();
    if (name == u"PAGE")
        return int(PageField::PageNumber);
    if (name == u"NUMPAGES" || name == u"SECTIONPAGES")
        return int(PageField::PageCount);
    return 0;
}

} // namespace

bool WordprocessingParser::readFieldOrNote(QXmlStreamReader& xml)
{
    const QStringView n = xml.name();
    if (n == u"fldSimple") {
        if (m_fieldDepth == 0)
            m_pageField = pageFieldOf(attr(xml, QLatin1StringView("instr")));
        return true;
    }
    if (n == u"fldChar") {
        const QStringView type = attr(xml, QLatin1StringView("fldCharType"));
        if (type == u"begin") {
            if (++m_fieldDepth == 1)
                m_fieldInstruction.clear();
        } else if (type == u"separate") {
            if (m_fieldDepth == 1)
                m_pageField = pageFieldOf(m_fieldInstruction);
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
        const NoteMark note = m_noteReference
            ? m_noteReference(n == u"endnoteReference", attr(xml, QLatin1StringView("id")).toString())
            : NoteMark();
        xml.skipCurrentElement();
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
}

} // namespace platform::text
