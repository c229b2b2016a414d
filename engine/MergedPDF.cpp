#include "engine/MergedPDF.h"

#include "engine/PDFFinalWrite.h"
#include "platform/pdf/PdfDocument.h"

void InsertAllPages(platform::pdf::PdfDocument& merged, const platform::pdf::PdfDocument& from,
                    int& insertionIndex)
{
    const int count = from.pageCount();
    for (int index = 0; index < count; ++index)
        if (!merged.insertPage(from.page(index), insertionIndex).isNull())
            ++insertionIndex;
}

bool WriteMergedPDF(const platform::pdf::PdfDocument& merged, const QUrl& destination,
                    const QVariantMap& documentAttributes)
{
    switch (WritePDFThenMove(merged, destination, documentAttributes)) {
    case FinalWriteResult::Done:
        return true;
    case FinalWriteResult::NoTemporaryURL:
        return WritePDFDataToURL(merged, destination);
    case FinalWriteResult::WriteFailed:
    case FinalWriteResult::MoveFailed:
        break;
    }
    return false;
}
