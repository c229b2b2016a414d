#pragma once
// A page of a PdfDocument: a light handle that stays valid while its document
// lives, also across removals of other pages.
#include <QImage>
#include <QRectF>
#include <QString>

#include <memory>

class QTextDocument;

namespace platform::pdf {

class PdfDocument;

class PdfPage {
public:
    PdfPage() = default;
    bool isNull() const;

    // The document the page belongs to; null for a null page.
    std::shared_ptr<PdfDocument> document() const;
    // The page's index in its document; -1 when it is no longer in it.
    int index() const;

    // /Rotate, normalised to 0, 90, 180 or 270.
    int rotation() const;
    // Sets /Rotate to degrees (any multiple of 90, normalised on write).
    void setRotation(int degrees);

    // Boxes in default user space, inherited values resolved. A missing crop
    // box reads as the media box.
    QRectF mediaBox() const;
    QRectF cropBox() const;

    // The page's text in reading order.
    QString text() const;
    // The same text as a rich text document, one paragraph per line, each
    // character with the family, size, weight, slant and colour of its
    // font. Null when the page's text cannot be read.
    std::unique_ptr<QTextDocument> attributedText() const;

    // Draws the page, turned by its rotation, into a premultiplied ARGB bitmap
    // filled with 0xFF beforehand: box (in default user space, before
    // rotation) at scale pixels per point; the bitmap is floor(width * scale)
    // by floor(height * scale), width and height swapped for a rotation of 90
    // or 270. A null image when the page cannot be drawn.
    QImage render(const QRectF& box, double scale) const;

    // Internal identity: the document's id and the page object's number and
    // generation, which still name the page once the document is gone.
    PdfPage(const std::shared_ptr<PdfDocument>& document, int objectId, int generation);
    quint64 documentId() const { return m_documentId; }
    int objectId() const { return m_objectId; }
    int generation() const { return m_generation; }

private:
    std::weak_ptr<PdfDocument> m_document;
    quint64 m_documentId = 0;
    int m_objectId = 0;
    int m_generation = 0;
};

} // namespace platform::pdf
