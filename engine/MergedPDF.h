#pragma once
// Shared steps of the runs that merge their inputs into one PDF.
#include <QUrl>
#include <QVariantMap>

namespace platform::pdf {
class PdfDocument;
}

// Inserts every page of from into merged at insertionIndex, in order,
// advancing the index past each page inserted.
void InsertAllPages(platform::pdf::PdfDocument& merged, const platform::pdf::PdfDocument& from,
                    int& insertionIndex);

// The final write of a merged PDF: written with the write options and moved
// into place; without a temporary name, its data written directly. A failed
// write or move is final.
bool WriteMergedPDF(const platform::pdf::PdfDocument& merged, const QUrl& destination,
                    const QVariantMap& documentAttributes);
