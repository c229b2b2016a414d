#include "platform/text/PageFurniture.h"

#include <QTextDocument>

#include <algorithm>

namespace platform::text {

PageFurniture::PageFurniture(QTextDocument& body) : QObject(&body), m_body(&body) {}

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

std::unique_ptr<QTextDocument> PageFurniture::makeDocument() const
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(m_body->defaultFont());
    return document;
}

QTextDocument& PageFurniture::makeHeader(PageKind kind)
{
    auto& slot = m_headers[index(kind)];
    if (!slot)
        slot = makeDocument();
    return *slot;
}

QTextDocument& PageFurniture::makeFooter(PageKind kind)
{
    auto& slot = m_footers[index(kind)];
    if (!slot)
        slot = makeDocument();
    return *slot;
}

PageKind PageFurniture::kindOfPage(int page) const
{
    if (page == 1 && titlePage)
        return PageKind::First;
    if (page % 2 == 0 && evenAndOddHeaders)
        return PageKind::Even;
    return PageKind::Default;
}

int PageFurniture::addNote(Note::Kind kind, const QString& mark)
{
    m_notes.push_back({kind, mark, makeDocument()});
    return static_cast<int>(m_notes.size()) - 1;
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
    return none(m_headers) && none(m_footers) && m_notes.empty();
}

} // namespace platform::text
