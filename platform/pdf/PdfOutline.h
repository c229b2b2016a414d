#pragma once
// Outline items (bookmarks): a tree held in memory. A destination names a page
// handle, which may belong to another document: when a document is written,
// destinations on pages that were inserted into it as copies resolve to the
// copies; destinations on pages it does not hold are dropped.
#include "platform/pdf/PdfPage.h"

#include <QPointF>
#include <QString>

#include <memory>
#include <vector>

namespace platform::pdf {

class PdfOutline : public std::enable_shared_from_this<PdfOutline> {
public:
    static std::shared_ptr<PdfOutline> create();

    QString label() const { return m_label; }
    void setLabel(const QString& label) { m_label = label; }

    // Destination: a page and a point in its default user space (the top-left
    // corner of a page is (0, height of its crop box)).
    void setDestination(const PdfPage& page, const QPointF& point);
    PdfPage destinationPage() const { return m_page; }
    QPointF destinationPoint() const { return m_point; }
    bool hasDestination() const { return !m_page.isNull(); }

    int childCount() const { return int(m_children.size()); }
    std::shared_ptr<PdfOutline> child(int index) const;
    // Inserts child at index (clamped), taking it out of its former parent.
    void insertChild(const std::shared_ptr<PdfOutline>& child, int index);
    void removeFromParent();
    std::shared_ptr<PdfOutline> parent() const { return m_parent.lock(); }

private:
    QString m_label;
    PdfPage m_page;
    QPointF m_point;
    std::vector<std::shared_ptr<PdfOutline>> m_children;
    std::weak_ptr<PdfOutline> m_parent;
};

} // namespace platform::pdf
