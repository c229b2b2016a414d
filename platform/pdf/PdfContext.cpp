#include "platform/pdf/PdfContext.h"

#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfPageBoxes_p.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <vector>

namespace platform::pdf {

namespace {

bool usableRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width())
        && std::isfinite(r.height()) && r.width() > 0 && r.height() > 0;
}

QPDFObjectHandle rectangleArray(const QRectF& r)
{
    return QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(r.left(), r.top(), r.right(), r.bottom()));
}

// /Rotate turns the page clockwise for display.
QPDFObjectHandle::Matrix rotationMatrix(int degrees)
{
    switch (degrees) {
    case 90: return QPDFObjectHandle::Matrix(0, -1, 1, 0, 0, 0);
    case 180: return QPDFObjectHandle::Matrix(-1, 0, 0, -1, 0, 0);
    case 270: return QPDFObjectHandle::Matrix(0, 1, -1, 0, 0, 0);
    default: return QPDFObjectHandle::Matrix(1, 0, 0, 1, 0, 0);
    }
}

} // namespace

struct PdfContext::Impl {
    QPDF qpdf;
    // Documents whose streams the drawn forms read when the PDF is written.
    std::vector<std::shared_ptr<QPDF>> sources;
    QPDFObjectHandle page;  // the open page, uninitialised when none
    std::string content;
    int formCount = 0;
    int pageCount = 0;
};

PdfContext::PdfContext() : d(std::make_unique<Impl>())
{
    d->qpdf.setSuppressWarnings(true);
    d->qpdf.emptyPDF();
}

PdfContext::~PdfContext() = default;

void PdfContext::beginPage(const QRectF& mediaBox)
{
    endPage();
    if (!usableRect(mediaBox))
        return;
    try {
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
        QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
        dict.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        dict.replaceKey("/MediaBox", rectangleArray(mediaBox));
        dict.replaceKey("/Resources", resources);
        QPDFObjectHandle page = d->qpdf.makeIndirectObject(dict);
        QPDFPageDocumentHelper(d->qpdf).addPage(QPDFPageObjectHelper(page), false);
        // The page as it stands in the tree (addPage may hand back a copy).
        d->page = d->qpdf.getAllPages().back();
        d->content.clear();
        d->formCount = 0;
        ++d->pageCount;
    } catch (const std::exception&) {
        d->page = QPDFObjectHandle();
    }
}

bool PdfContext::drawPage(const PdfPage& page, const QRectF& rect)
{
    if (!d->page.isInitialized() || !usableRect(rect))
        return false;
    const auto document = page.document();
    if (!document)
        return false;
    PdfDocument::Impl& source = document->impl();
    QPDFObjectHandle sourcePage = source.pageObject(page);
    if (!sourcePage.isInitialized() || !source.qpdf)
        return false;
    try {
        QRectF box = boxes::cropBox(sourcePage);
        if (!usableRect(box))
            box = boxes::mediaBox(sourcePage);
        if (!usableRect(box))
            return false;
        // The contents are read now, so that a damaged stream fails this
        // call instead of the final write.
        Pl_Buffer buffer("page contents");
        QPDFObjectHandle contents = sourcePage.getKey("/Contents");
        if (contents.isStream() || contents.isArray()) {
            std::string description, allDescription;
            contents.pipeContentStreams(&buffer, description, allDescription);
        } else {
            buffer.finish();
        }
        const auto bytes = buffer.getBufferSharedPointer();
        const std::string data = bytes ? std::string(reinterpret_cast<const char*>(bytes->getBuffer()),
                                                     bytes->getSize())
                                       : std::string();

        QPDFObjectHandle form = QPDFPageObjectHelper(sourcePage).getFormXObjectForPage(false);
        form.replaceStreamData(data, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        QPDFObjectHandle formDict = form.getDict();
        formDict.replaceKey("/BBox", rectangleArray(box));
        // Our own normalised rotation: any multiple of 90, negative ones too.
        formDict.replaceKey("/Matrix", QPDFObjectHandle::newFromMatrix(rotationMatrix(boxes::rotation(sourcePage))));

        QPDFObjectHandle local = d->qpdf.copyForeignObject(form);
        const std::string name = "/Fm" + std::to_string(++d->formCount);
        d->page.getKey("/Resources").getKey("/XObject").replaceKey(name, local);
        const QPDFObjectHandle::Rectangle target(rect.left(), rect.top(), rect.right(), rect.bottom());
        d->content += QPDFPageObjectHelper(d->page).placeFormXObject(local, name, target, false, true, true);
        if (std::find(d->sources.begin(), d->sources.end(), source.qpdf) == d->sources.end())
            d->sources.push_back(source.qpdf);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void PdfContext::endPage()
{
    if (!d->page.isInitialized())
        return;
    try {
        d->page.replaceKey("/Contents", QPDFObjectHandle::newStream(&d->qpdf, d->content));
    } catch (const std::exception&) {
    }
    d->page = QPDFObjectHandle();
    d->content.clear();
}

int PdfContext::pageCount() const
{
    return d->pageCount;
}

QByteArray PdfContext::finish()
{
    endPage();
    if (d->pageCount == 0)
        return {};
    try {
        QPDFWriter writer(d->qpdf);
        writer.setOutputMemory();
        writer.write();
        const auto buffer = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace platform::pdf
