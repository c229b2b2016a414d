#include "platform/text/PrintedPdf_p.h"

#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfTextMapping.h"

#include <QPageLayout>

namespace platform::text {

PrintedPdf::PrintedPdf(const QSizeF& paper) : m_paper(paper)
{
    m_bytes.open(QIODevice::WriteOnly);
    m_writer.emplace(&m_bytes);
    m_writer->setResolution(kPdfResolution);
    const QPageLayout layout(QPageSize(paper, QPageSize::Point, QString(), QPageSize::ExactMatch),
                             QPageLayout::Portrait, QMarginsF());
    m_isValid = layout.isValid() && m_writer->setPageLayout(layout);
}

PrintedPdf::~PrintedPdf() = default;

std::shared_ptr<pdf::PdfDocument> PrintedPdf::finish()
{
    // The writer puts out the last page and the file's end when it goes.
    m_writer.reset();
    const std::shared_ptr<pdf::PdfDocument> document = pdf::PdfDocument::fromData(m_bytes.data());
    if (!document || !pdf::makePdfTextPlain(*document))
        return nullptr;
    for (int index = 0; index < document->pageCount(); ++index)
        if (!document->resizePageKeepingTopLeft(index, m_paper))
            return nullptr;
    return document;
}

} // namespace platform::text
