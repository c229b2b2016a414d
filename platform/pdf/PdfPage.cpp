#include "platform/pdf/PdfPage.h"

#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfPageBoxes_p.h"

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <poppler/qt6/poppler-qt6.h>

#include <QPainter>
#include <QTextDocument>

#include <cmath>
#include <exception>

namespace platform::pdf {

namespace {

// Keeps a bitmap within what QImage and memory allow.
constexpr double kMaxSide = 30000;
constexpr double kMaxPixels = 200e6;

bool sameBox(const QRectF& a, const QRectF& b)
{
    constexpr double eps = 1e-3;
    return std::fabs(a.left() - b.left()) < eps && std::fabs(a.top() - b.top()) < eps
        && std::fabs(a.width() - b.width()) < eps && std::fabs(a.height() - b.height()) < eps;
}

// A one-page document holding a copy of page whose visible area is box.
std::unique_ptr<Poppler::Document> singlePageWithBox(QPDFObjectHandle page, const QRectF& box)
{
    QPDF temp;
    temp.setSuppressWarnings(true);
    temp.emptyPDF();
    QPDFPageDocumentHelper helper(temp);
    helper.addPage(QPDFPageObjectHelper(page), false);
    QPDFObjectHandle copy = temp.getAllPages().at(0);
    const auto rect = QPDFObjectHandle::newArray(
        QPDFObjectHandle::Rectangle(box.left(), box.top(), box.right(), box.bottom()));
    copy.replaceKey("/MediaBox", rect);
    copy.replaceKey("/CropBox", rect);
    for (const char* key : {"/BleedBox", "/TrimBox", "/ArtBox"})
        copy.removeKey(key);
    QPDFWriter writer(temp);
    writer.setOutputMemory();
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    PopplerSource source;
    source.data = QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    return source.load();
}

} // namespace

PdfPage::PdfPage(const std::shared_ptr<PdfDocument>& document, int objectId, int generation)
    : m_document(document), m_documentId(document ? document->impl().id : 0), m_objectId(objectId),
      m_generation(generation)
{
}

bool PdfPage::isNull() const
{
    return m_objectId <= 0 || m_document.expired();
}

std::shared_ptr<PdfDocument> PdfPage::document() const
{
    return m_objectId > 0 ? m_document.lock() : nullptr;
}

int PdfPage::index() const
{
    const auto doc = document();
    return doc ? doc->impl().indexOf(QPDFObjGen(m_objectId, m_generation)) : -1;
}

int PdfPage::rotation() const
{
    const auto doc = document();
    if (!doc)
        return 0;
    QPDFObjectHandle page = doc->impl().pageObject(*this);
    return page.isInitialized() ? boxes::rotation(page) : 0;
}

void PdfPage::setRotation(int degrees)
{
    const auto doc = document();
    if (!doc || degrees % 90 != 0)
        return;
    QPDFObjectHandle page = doc->impl().pageObject(*this);
    if (!page.isInitialized())
        return;
    try {
        page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(boxes::normaliseRotation(degrees)));
    } catch (const std::exception&) {
        return;
    }
    doc->impl().markModified(false, false);
}

QRectF PdfPage::mediaBox() const
{
    const auto doc = document();
    if (!doc)
        return {};
    QPDFObjectHandle page = doc->impl().pageObject(*this);
    return page.isInitialized() ? boxes::mediaBox(page) : QRectF();
}

QRectF PdfPage::cropBox() const
{
    const auto doc = document();
    if (!doc)
        return {};
    QPDFObjectHandle page = doc->impl().pageObject(*this);
    return page.isInitialized() ? boxes::cropBox(page) : QRectF();
}

QString PdfPage::text() const
{
    const auto doc = document();
    if (!doc)
        return {};
    if (index() < 0)
        return {};
    return doc->impl().pageText(QPDFObjGen(m_objectId, m_generation));
}

std::unique_ptr<QTextDocument> PdfPage::attributedText() const
{
    const auto doc = document();
    const int i = index();
    if (!doc || i < 0)
        return nullptr;
    const AttributedTextReader* reader = doc->impl().attributedTextReader();
    return reader ? reader->pageText(i) : nullptr;
}

QImage PdfPage::render(const QRectF& box, double scale) const
{
    const auto doc = document();
    if (!doc)
        return {};
    const int i = index();
    if (i < 0 || !std::isfinite(scale) || scale <= 0)
        return {};
    const QRectF area = box.normalized();
    const double wd = std::floor(area.width() * scale), hd = std::floor(area.height() * scale);
    if (!std::isfinite(wd) || !std::isfinite(hd) || wd < 1 || hd < 1 || wd > kMaxSide || hd > kMaxSide
        || wd * hd > kMaxPixels)
        return {};
    try {
        QPDFObjectHandle pageObj = doc->impl().pageObject(*this);
        const int rot = boxes::rotation(pageObj);
        const bool swap = rot == 90 || rot == 270;
        const int w = int(swap ? hd : wd), h = int(swap ? wd : hd);

        // Poppler shows the crop box clipped to the media box.
        const QRectF visible = boxes::cropBox(pageObj).intersected(boxes::mediaBox(pageObj));
        std::unique_ptr<Poppler::Document> own;
        std::unique_ptr<Poppler::Page> page;
        if (sameBox(visible, area)) {
            if (Poppler::Document* poppler = doc->impl().popplerDocument())
                page = poppler->page(i);
        } else {
            own = singlePageWithBox(pageObj, area);
            if (own)
                page = own->page(0);
        }
        if (!page)
            return {};
        const QImage drawn = page->renderToImage(72.0 * scale, 72.0 * scale, 0, 0, w, h);
        if (drawn.isNull())
            return {};
        QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return {};
        image.fill(0xFFFFFFFF);
        QPainter painter(&image);
        painter.drawImage(0, 0, drawn);
        painter.end();
        return image;
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace platform::pdf
