#include "engine/MergedPDF.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/TextDocumentPDFConverter.h"
#include "platform/pdf/PdfDocument.h"

#include <QFile>

using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;

ConvertedPages AppendConvertedPages(PdfDocument& merged, int& insertionIndex, BlankPages blankPages,
                                    const std::function<bool(const QUrl& temporary)>& convert)
{
    ConvertedPages result;
    const QUrl temporary = GetTemporaryFileURL();
    if (temporary.isEmpty())
        return result;
    result.ran = true;
    const QString temporaryPath = temporary.toLocalFile();
    result.converted = convert(temporary);
    if (result.converted && QFile::exists(temporaryPath)) {
        if (const std::shared_ptr<PdfDocument> printed = PdfDocument::open(temporary)) {
            const int count = printed->pageCount();
            for (int i = 0; i < count; ++i) {
                const PdfPage page = printed->page(i);
                if (blankPages == BlankPages::Drop && IsBlankPDFPage(&page))
                    continue;
                if (merged.insertPage(page, insertionIndex).isNull())
                    continue;
                if (result.firstPage < 0)
                    result.firstPage = insertionIndex;
                ++insertionIndex;
            }
        }
    }
    // Also after a failed conversion, so that no intermediate is left behind.
    QFile::remove(temporaryPath);
    return result;
}
