#pragma once
// A PDF drawn page by page: each page gets a media box, and pages of other
// documents are drawn into it as vector content (form objects), never
// rasterised.
#include "platform/pdf/PdfPage.h"

#include <QByteArray>
#include <QRectF>

#include <memory>

namespace platform::pdf {

class PdfContext {
public:
    PdfContext();
    ~PdfContext();
    PdfContext(const PdfContext&) = delete;
    PdfContext& operator=(const PdfContext&) = delete;

    // Starts a page with the given media box (ends an open page first); a
    // box without area starts none.
    void beginPage(const QRectF& mediaBox);
    // Draws page into rect of the open page: its crop box mapped onto rect
    // with the page's rotation applied and the aspect ratio kept, centred.
    // False when no page is open or the page cannot be drawn.
    bool drawPage(const PdfPage& page, const QRectF& rect);
    void endPage();

    int pageCount() const;
    // Ends the open page and answers the finished PDF; empty when it has no page.
    QByteArray finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform::pdf
