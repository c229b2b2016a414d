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

struct DocxSection {
    QList<StoryReference> stories;
    SectionStart start = SectionStart::NewPage;
    bool titlePage = false;
    std::optional<int> firstPageNumber;
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

SectionStart startOf(QStringView type)
{
    if (type == u"continuous")
        return SectionStart::Continuous;
    if (type == u"oddPage")
        return SectionStart::OddPage;
    if (type == u"evenPage")
        return SectionStart::EvenPage;
    // A new column is a new page: the text is laid out in one column, as
    // word processors lay a section of one out.
    return SectionStart::NewPage;
}

// A section's properties, which come at its end (a captured w:sectPr).
DocxSection readSection(const QByteArray& properties)
{
    DocxSection section;
    QXmlStreamReader xml(properties);
    if (!xml.readNextStartElement())
        return section;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"headerReference" || n == u"footerReference") {
            const StoryReference story{n == u"headerReference", kindOf(attr(xml, QLatin1StringView("type"))),
                                       attr(xml, QLatin1StringView("id")).toString()};
            section.stories.removeIf([&](const StoryReference& earlier) {
                return earlier.header == story.header && earlier.kind == story.kind;
            });
            section.stories.append(story);
        } else if (n == u"type") {
            section.start = startOf(attr(xml, QLatin1StringView("val")));
        } else if (n == u"titlePg") {
            section.titlePage = onOff(xml);
        } else if (n == u"pgNumType") {
            bool ok = false;
            const int start = attr(xml, QLatin1StringView("start")).toInt(&ok);
            if (ok)
                section.firstPageNumber = start;
        } else if (n == u"pgMar") {
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

// Reads a story into document with a parser whose pictures pictures names.
bool readStory(const DocxParts& parts, const WordprocessingParser::PartName& pictures, QTextDocument& document,
               const std::function<bool(WordprocessingParser&)>& read)
{
    return buildDocument(document, QStringLiteral("Times New Roman"), 10, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(builder, pictures, parts.partReader());
        parts.prepare(parser);
        return read(parser);
    });
}

// Reads one story (a header, footer or note) of part into document.
void readStory(const DocxParts& parts, const QString& part, const QByteArray& xml, const QString& root,
               QTextDocument& document)
{
    const Relationships rels = readPartRelationships(parts.zip(), part).value_or(Relationships());
    const bool read = readStory(parts, parts.partNames(part, rels), document,
                                [&](WordprocessingParser& parser) { return parser.readDocument(xml, root); });
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

// The story a header or footer reference names, read once for all the
// sections naming its part; null when there is no such part.
std::shared_ptr<QTextDocument> readStoryPart(const DocxParts& parts, const PageFurniture& furniture,
                                             const StoryReference& story,
                                             QHash<QString, std::shared_ptr<QTextDocument>>& read)
{
    const auto relationship = parts.relationships().constFind(story.id);
    if (relationship == parts.relationships().constEnd() || relationship->external)
        return nullptr;
    const QString part = resolvePart(parts.base(), relationship->target);
    const auto known = read.constFind(part);
    if (known != read.constEnd())
        return *known;
    const std::optional<QByteArray> bytes = parts.zip().contains(part) ? parts.zip().read(part) : std::nullopt;
    std::shared_ptr<QTextDocument> document;
    if (bytes) {
        document = furniture.makeStory();
        readStory(parts, part, *bytes, story.header ? QStringLiteral("hdr") : QStringLiteral("ftr"), *document);
    }
    read.insert(part, document);
    return document;
}

} // namespace

DocxStories::DocxStories(const DocxParts& parts, QTextDocument& body, WordprocessingParser::PartName bodyPictures)
    : m_parts(parts), m_body(body), m_bodyPictures(std::move(bodyPictures))
{
}

void DocxStories::attach(WordprocessingParser& parser)
{
    parser.setNoteReference([this](bool endnote, const QString& id, const QString& customMark) {
        return reference(endnote, id, customMark);
    });
    parser.setSectionEnd([this](int index, const QByteArray& properties, bool followed) {
        if (index >= kMaxSections)
            return;
        m_sections[index] = properties;
        m_sectionCount = std::max(m_sectionCount, index + (followed ? 2 : 1));
    });
    parser.setPlaceOnPage([this](const WordprocessingParser::Floating& floating) { return placeOnPage(floating); });
}

int DocxStories::placeOnPage(const WordprocessingParser::Floating& floating)
{
    PageFurniture& furniture = PageFurniture::of(m_body);
    const int index = furniture.addPlacedStory(*floating.placement);
    if (index < 0)
        return -1;
    const auto read = [&](WordprocessingParser& parser) {
        parser.readFloating(floating);
        return true;
    };
    if (!readStory(m_parts, m_bodyPictures, furniture.placedText(index), read))
        qCInfo(lcText) << "a box placed on a page could not be read whole";
    return index;
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

void DocxStories::readHeadersAndFooters()
{
    QList<DocxSection> sections;
    for (int index = 0; index < std::min(m_sectionCount, kMaxSections); ++index)
        sections.append(readSection(m_sections.value(index)));
    if (sections.size() == 1 && sections[0].stories.isEmpty() && !sections[0].firstPageNumber)
        return;
    PageFurniture& furniture = PageFurniture::of(m_body);
    furniture.evenAndOddHeaders = evenAndOddHeaders(m_parts.partOfType(u"/settings"));
    furniture.headerDistance = sections[0].headerDistance;
    furniture.footerDistance = sections[0].footerDistance;
    // Sections naming one part share what is read of it.
    QHash<QString, std::shared_ptr<QTextDocument>> read;
    for (qsizetype index = 0; index < sections.size(); ++index) {
        if (index > 0 && furniture.addSection() < 0)
            break;
        const DocxSection& section = sections[index];
        PageSection& target = furniture.lastSection();
        target.start = section.start;
        target.titlePage = section.titlePage;
        target.firstPageNumber = section.firstPageNumber;
        for (const StoryReference& story : section.stories)
            (story.header ? target.headers : target.footers)[std::size_t(story.kind)] =
                readStoryPart(m_parts, furniture, story, read);
    }
    furniture.breakPagesAtSections();
}

} // namespace platform::text
