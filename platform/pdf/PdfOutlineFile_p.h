#pragma once
// Private to platform/pdf: the outline tree read from and written to a
// document's /Outlines.
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfOutline.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <memory>

namespace platform::pdf {

// An outline item's action dictionary in the document it was read from,
// which it keeps alive.
struct PdfOutline::Action {
    std::shared_ptr<QPDF> source;
    QPDFObjectHandle dictionary;
};

// The document's /Outlines as items; null when it has no readable item.
// Never throws: items that cannot be read are left out.
std::shared_ptr<PdfOutline> readOutline(const PdfDocument& document);

} // namespace platform::pdf
