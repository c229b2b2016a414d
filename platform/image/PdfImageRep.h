#pragma once
// A PDF representation: the pages of a PDF held in memory, one of them
// selected. Its size is the selected page's crop box turned by the page's
// rotation; rasterising draws that page.
#include "platform/image/ImageRep.h"

#include <QByteArray>
#include <QRectF>

#include <memory>

namespace platform::pdf {
class PdfDocument;
}

namespace platform::image {

class PdfImageRep : public ImageRep {
public:
    // Null when the data is no PDF with pages that opens without a password.
    static std::shared_ptr<PdfImageRep> fromData(const QByteArray& data);

    bool isBitmap() const override { return false; }
    int pixelsWide() const override;
    int pixelsHigh() const override;
    bool hasAlpha() const override { return false; }
    // The selected page on white, at scale pixels per point (0: one).
    Bitmap rasterize(double scale = 0) const override;

    int pageCount() const;
    int currentPage() const { return m_page; }
    // Selects a page (clamped to the document).
    void setCurrentPage(int page);
    // The selected page's crop box, rotated, at the origin.
    QRectF bounds() const;

    explicit PdfImageRep(std::shared_ptr<platform::pdf::PdfDocument> document);

protected:
    QSizeF naturalSize() const override;

private:
    std::shared_ptr<platform::pdf::PdfDocument> m_document;
    int m_page = 0;
};

} // namespace platform::image
