#include "engine/MergedPDF.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/TextDocumentPDFConverter.h"
#include "platform/pdf/PdfDocument.h"

#include <QFile>

using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;

int AppendPages(PdfDocument& merged, int& insertionIndex, BlankPages blankPages, const PdfDocument& printed,
                const QList<int>& printedCharacters)
{
    const int count = printed.pageCount();
    const QList<int> counts = printedCharacters.size() == count ? printedCharacters : QList<int>();
    int firstPage = -1;
    for (int i = 0; i < count; ++i) {
        const PdfPage page = printed.page(i);
        if (blankPages == BlankPages::Drop && IsBlankPrintedPage(page, i, counts))
            continue;
        if (merged.insertPage(page, insertionIndex).isNull())
            continue;
        if (firstPage < 0)
            firstPage = insertionIndex;
        ++insertionIndex;
    }
    return firstPage;
}

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
        if (const std::shared_ptr<PdfDocument> printed = PdfDocument::open(temporary))
            result.firstPage = AppendPages(merged, insertionIndex, blankPages, *printed);
    }
    // Also after a failed conversion, so that no intermediate is left behind.
    QFile::remove(temporaryPath);
    return result;
}
