#include "platform/pdf/PdfOutline.h"

#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfOutlineFile_p.h"

#include <algorithm>

namespace platform::pdf {

std::shared_ptr<PdfOutline> PdfOutline::create()
{
    return std::shared_ptr<PdfOutline>(new PdfOutline());
}

void PdfOutline::setDestination(const PdfPage& page, const QPointF& point)
{
    m_page = page;
    m_point = point;
}

std::shared_ptr<PdfOutline> PdfOutline::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return m_children[size_t(index)];
}

void PdfOutline::insertChild(const std::shared_ptr<PdfOutline>& child, int index)
{
    if (!child)
        return;
    // An item placed under itself or its own descendant would make a cycle
    // that no walk over the tree ends (and that is never freed).
    for (const PdfOutline* node = this; node; node = node->m_parent.lock().get()) {
        if (node == child.get())
            return;
    }
    // Keeps child alive while it moves between parents.
    const std::shared_ptr<PdfOutline> keep = child;
    keep->removeFromParent();
    index = std::clamp(index, 0, childCount());
    m_children.insert(m_children.begin() + index, keep);
    keep->m_parent = weak_from_this();
}

void PdfOutline::removeFromParent()
{
    const std::shared_ptr<PdfOutline> parent = m_parent.lock();
    m_parent.reset();
    if (!parent)
        return;
    auto& siblings = parent->m_children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const std::shared_ptr<PdfOutline>& c) { return c.get() == this; });
    if (it != siblings.end())
        siblings.erase(it);
}

std::shared_ptr<PdfOutline> PdfDocument::outlineRoot() const
{
    if (!d->outlineLoaded && !d->outlineReplaced) {
        // A locked document is read once it has been unlocked.
        if (!d->qpdf)
            return nullptr;
        d->outline = readOutline(*this);
        d->outlineLoaded = true;
    }
    return d->outline;
}

void PdfDocument::setOutlineRoot(const std::shared_ptr<PdfOutline>& root)
{
    d->outline = root;
    d->outlineLoaded = true;
    d->outlineReplaced = true;
    d->markModified(false);
}

} // namespace platform::pdf
