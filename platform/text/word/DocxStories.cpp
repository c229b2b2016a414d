#include "platform/text/word/DocxPackage_p.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/ListLabels.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextLog_p.h"
#include "platform/text/ZipPackage.h"

#include <QTextDocument>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace platform::text {

namespace {

struct StoryReference {
    bool header = true;
    PageKind kind = PageKind::Default;
    QString id;
};

struct Section {
    QList<StoryReference> stories;
    bool titlePage = false;
    double headerDistance = -1;
    double footerDistance = -1;
};

PageKind kindOf(QStringView type)
{
    if (type == u"first")
        return PageKind::First;
    if (type == u"even")
        return PageKind::Even;
    return PageKind::Default;
}

// The last section's properties: the body's own, which come at its end,
// with the headers and footers it inherits from the sections before it.
Section lastSection(const QByteArray& bodyXml)
{
    Section section;
    QXmlStreamReader xml(bodyXml);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"sectPr")
            continue;
        // A section without a header or footer of some kind keeps the one
        // the section before it had: only its other properties start anew.
        section = Section{section.stories};
        while (xml.readNextStartElement()) {
            const QStringView n = xml.name();
            if (n == u"headerReference" || n == u"footerReference") {
                const StoryReference story{n == u"headerReference", kindOf(attr(xml, QLatin1StringView("type"))),
                                           attr(xml, QLatin1StringView("id")).toString()};
                section.stories.removeIf([&](const StoryReference& earlier) {
                    return earlier.header == story.header && earlier.kind == story.kind;
                });
                section.stories.append(story);
            } else if (n == u"titlePg")
                section.titlePage = onOff(xml);
            else if (n == u"pgMar") {
                bool ok = false;
                const double header = attr(xml, QLatin1StringView("header")).toDouble(&ok);
                if (ok && header >= 0 && header / 20 < kMaxLengthPoints)
                    section.headerDistance = header / 20;
                const double footer = attr(xml, QLatin1StringView("footer")).toDouble(&ok);
                if (ok && footer >= 0 && footer / 20 < kMaxLengthPoints)
                    section.footerDistance = footer / 20;
            }
            xml.skipCurrentElement();
        }
    }
    return section;
}

bool evenAndOddHeaders(const std::optional<QByteArray>& settings)
{
    if (!settings)
        return false;
    QXmlStreamReader xml(*settings);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"evenAndOddHeaders")
            return onOff(xml);
    }
    return false;
}

// Reads one story (a header, footer or note) of part into document.
void readStory(const DocxParts& parts, const QString& part, const QByteArray& xml, const QString& root,
               QTextDocument& document)
{
    const Relationships rels = readPartRelationships(parts.zip(), part).value_or(Relationships());
    const bool read = buildDocument(document, QStringLiteral("Times New Roman"), 10, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(builder, parts.partNames(part, rels), parts.partReader());
        parts.prepare(parser);
        return parser.readDocument(xml, root);
    });
    if (!read)
        qCInfo(lcText) << "the story in" << part << "could not be read whole";
}

// Each note element of a notes part as a document of its own, by id;
// separators left out.
QHash<QString, QByteArray> splitNotes(const QByteArray& bytes)
{
    QHash<QString, QByteArray> notes;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return notes;
    while (xml.readNextStartElement()) {
        const QStringView type = attr(xml, QLatin1StringView("type"));
        const QString id = attr(xml, QLatin1StringView("id")).toString();
        if (!(xml.name() == u"footnote" || xml.name() == u"endnote") || !(type.isEmpty() || type == u"normal")
            || notes.size() >= kMaxNotes) {
            xml.skipCurrentElement();
            continue;
        }
        QByteArray note;
        QXmlStreamWriter writer(&note);
        writer.writeStartElement(QStringLiteral("note"));
        for (int depth = 1; depth > 0 && !xml.atEnd();) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                ++depth;
            else if (token == QXmlStreamReader::EndElement && --depth == 0)
                break;
            writer.writeCurrentToken(xml);
        }
        writer.writeEndElement();
        notes.insert(id, note);
    }
    return notes;
}

} // namespace

DocxStories::DocxStories(const DocxParts& parts, QTextDocument& body) : m_parts(parts), m_body(body) {}

void DocxStories::attach(WordprocessingParser& parser)
{
    parser.setNoteReference([this](bool endnote, const QString& id, const QString& customMark) {
        return reference(endnote, id, customMark);
    });
}

void DocxStories::loadNotes(bool endnote)
{
    m_loaded[endnote] = true;
    const std::optional<QByteArray> bytes = m_parts.partOfType(endnote ? u"/endnotes" : u"/footnotes", &m_notePart[endnote]);
    if (bytes)
        m_notes[endnote] = splitNotes(*bytes);
}

WordprocessingParser::NoteMark DocxStories::reference(bool endnote, const QString& id, const QString& customMark)
{
    if (!m_loaded[endnote])
        loadNotes(endnote);
    const auto note = m_notes[endnote].constFind(id);
    if (note == m_notes[endnote].constEnd())
        return {};
    PageFurniture& furniture = PageFurniture::of(m_body);
    // Each reference reads its note anew, so a note named over and over
    // counts each time.
    if (furniture.notes().size() >= std::size_t(kMaxNotes)) {
        m_tooManyNotes = true;
        return {};
    }
    // Footnotes count 1, 2, 3; endnotes i, ii, iii, as word processors
    // number them unless told otherwise; a mark the writer wrote itself
    // takes no number.
    QString mark = customMark;
    if (mark.isEmpty()) {
        const int number = ++m_count[endnote];
        mark = endnote ? formatListNumber(u"lowerRoman", number) : QString::number(number);
    }
    const int index = furniture.addNote(endnote ? Note::Kind::Endnote : Note::Kind::Footnote, mark);
    readStory(m_parts, m_notePart[endnote], *note, QStringLiteral("note"), furniture.noteText(index));
    return {index, mark};
}

void DocxStories::readHeadersAndFooters(const QByteArray& bodyXml)
{
    const Section section = lastSection(bodyXml);
    if (section.stories.isEmpty())
        return;
    PageFurniture& furniture = PageFurniture::of(m_body);
    furniture.titlePage = section.titlePage;
    furniture.evenAndOddHeaders = evenAndOddHeaders(m_parts.partOfType(u"/settings"));
    furniture.headerDistance = section.headerDistance;
    furniture.footerDistance = section.footerDistance;
    for (const StoryReference& story : section.stories) {
        const auto relationship = m_parts.relationships().constFind(story.id);
        if (relationship == m_parts.relationships().constEnd() || relationship->external)
            continue;
        const QString part = resolvePart(m_parts.base(), relationship->target);
        const std::optional<QByteArray> bytes =
            m_parts.zip().contains(part) ? m_parts.zip().read(part) : std::nullopt;
        if (!bytes)
            continue;
        QTextDocument& document = story.header ? furniture.makeHeader(story.kind) : furniture.makeFooter(story.kind);
        readStory(m_parts, part, *bytes, story.header ? QStringLiteral("hdr") : QStringLiteral("ftr"), document);
    }
}

} // namespace platform::text
