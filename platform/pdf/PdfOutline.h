#pragma once
// Outline items (bookmarks): a tree held in memory. A destination names a page
// handle, which may belong to another document: when a document is written,
// destinations on pages that were inserted into it as copies resolve to the
// copies; destinations on pages it does not hold are dropped. Items read from
// a file keep their action, open state, colour and style when written again.
#include "platform/pdf/PdfPage.h"

#include <QColor>
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

    // An action other than a jump within the document (a web link, a place
    // in another file, a named action), kept as the file had it and written
    // with the item. Only this layer makes one.
    struct Action;
    bool hasAction() const { return m_action != nullptr; }
    const std::shared_ptr<const Action>& action() const { return m_action; }
    void setAction(std::shared_ptr<const Action> action) { m_action = std::move(action); }

    // Whether a reader shows the item's children; items start open.
    bool isOpen() const { return m_isOpen; }
    void setIsOpen(bool open) { m_isOpen = open; }

    // The label's colour (invalid: the reader's own) and style.
    enum StyleFlag { Italic = 1, Bold = 2 };
    QColor color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }
    int styleFlags() const { return m_styleFlags; }
    void setStyleFlags(int flags) { m_styleFlags = flags & (Italic | Bold); }

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
    std::shared_ptr<const Action> m_action;
    bool m_isOpen = true;
    QColor m_color;
    int m_styleFlags = 0;
    std::vector<std::shared_ptr<PdfOutline>> m_children;
    std::weak_ptr<PdfOutline> m_parent;
};

} // namespace platform::pdf
