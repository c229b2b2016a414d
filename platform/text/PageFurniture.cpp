#include "platform/text/PageFurniture.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace platform::text {

PageFurniture::PageFurniture(QTextDocument& body) : QObject(&body), m_body(&body), m_sections(1) {}

PageFurniture::~PageFurniture() = default;

PageFurniture& PageFurniture::of(QTextDocument& body)
{
    if (PageFurniture* furniture = find(body))
        return *furniture;
    return *new PageFurniture(body);
}

PageFurniture* PageFurniture::find(const QTextDocument& body)
{
    return body.findChild<PageFurniture*>(QString(), Qt::FindDirectChildrenOnly);
}

int PageFurniture::addSection()
{
    if (m_sections.size() >= std::size_t(kMaxSections))
        return -1;
    m_sections.emplace_back();
    return int(m_sections.size()) - 1;
}

std::unique_ptr<QTextDocument> PageFurniture::makeDocument() const
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(m_body->defaultFont());
    return document;
}

std::shared_ptr<QTextDocument> PageFurniture::makeStory() const
{
    return makeDocument();
}

QTextDocument& PageFurniture::makeHeader(PageKind kind)
{
    auto& slot = lastSection().headers[index(kind)];
    if (!slot)
        slot = makeStory();
    return *slot;
}

QTextDocument& PageFurniture::makeFooter(PageKind kind)
{
    auto& slot = lastSection().footers[index(kind)];
    if (!slot)
        slot = makeStory();
    return *slot;
}

std::vector<QTextDocument*> PageFurniture::storiesOf(bool footers, PageKind kind) const
{
    std::vector<QTextDocument*> stories;
    stories.reserve(m_sections.size());
    for (const PageSection& section : m_sections) {
        QTextDocument* own = (footers ? section.footers : section.headers)[index(kind)].get();
        const bool inherited = !own && section.inheritsStories && !stories.empty();
        stories.push_back(inherited ? stories.back() : own);
    }
    return stories;
}

PageKind PageFurniture::kindOf(const PagePlace& place) const
{
    if (place.first && section(place.section).titlePage)
        return PageKind::First;
    if (place.number % 2 == 0 && evenAndOddHeaders)
        return PageKind::Even;
    return PageKind::Default;
}

void PageFurniture::breakPagesAtSections()
{
    if (m_sections.size() < 2)
        return;
    QTextFrame* root = m_body->rootFrame();
    for (QTextBlock block = m_body->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const int index = format.intProperty(kSectionProperty);
        if (index <= 0 || index >= sectionCount() || section(index).start == SectionStart::Continuous)
            continue;
        // A section starting with a table starts the table on the new page.
        QTextFrame* frame = m_body->frameAt(block.position());
        while (frame && frame != root && frame->parentFrame() != root)
            frame = frame->parentFrame();
        if (frame && frame != root) {
            QTextFrameFormat frameFormat = frame->frameFormat();
            frameFormat.setPageBreakPolicy(frameFormat.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
            frame->setFrameFormat(frameFormat);
        } else {
            QTextBlockFormat broken = format;
            broken.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(broken);
        }
    }
}

int PageFurniture::addNote(Note::Kind kind, const QString& mark)
{
    m_notes.push_back({kind, mark, makeDocument()});
    return static_cast<int>(m_notes.size()) - 1;
}

int PageFurniture::addPlacedStory(const PagePlacement& placement)
{
    if (m_placed.size() >= std::size_t(kMaxPlacedStories))
        return -1;
    m_placed.push_back({placement, makeDocument()});
    return int(m_placed.size()) - 1;
}

void PageFurniture::moveTo(QTextDocument& body)
{
    setParent(&body);
    m_body = &body;
}

bool PageFurniture::isEmpty() const
{
    const auto none = [](const auto& documents) {
        return std::none_of(documents.begin(), documents.end(), [](const auto& slot) { return slot != nullptr; });
    };
    const PageSection& first = m_sections.front();
    return m_sections.size() == 1 && !first.firstPageNumber && none(first.headers) && none(first.footers)
           && m_notes.empty() && m_placed.empty();
}

} // namespace platform::text
