// Kept apart so that programs that never flatten do not link the PDF layer.
#include "Common UI Code/KLVUtil.h"

#include "platform/pdf/PdfContext.h"
#include "platform/pdf/PdfDocument.h"

QByteArray CreateFlattenedPDFData(const platform::pdf::PdfDocument* document)
{
    if (!document)
        return {};
    platform::pdf::PdfContext context;
    const int count = document->pageCount();
    for (int index = 0; index < count; ++index) {
        const platform::pdf::PdfPage page = document->page(index);
        if (page.isNull())
            continue;
        QRectF box = page.cropBox();
        if (box.width() == 0 || box.height() == 0)
            box = page.mediaBox();
        if ((page.rotation() / 90) % 2 == 1)
            box.setSize(box.size().transposed());
        context.beginPage(box);
        context.drawPage(page, box);
        context.endPage();
    }
    return context.finish();
}
