#pragma once
// The road of a finished PDF to its final place: written with the job's write
// options to a temporary file on the destination's volume, then moved over
// whatever stood there in one step, so that a failed write or move never
// leaves a broken file, or none, in place of a good one.
#include <QUrl>
#include <QVariantMap>

namespace platform::pdf {
class PdfDocument;
}

enum class FinalWriteResult {
    Done,
    NoTemporaryURL, // nothing was written
    WriteFailed,    // the temporary file is gone, the destination untouched
    MoveFailed,     // the temporary file is gone, the destination untouched
};

// Writes document to a temporary URL beside destination with attributes as
// write options and moves it over destination.
FinalWriteResult WritePDFThenMove(const platform::pdf::PdfDocument& document,
                                  const QUrl& destination, const QVariantMap& attributes);

// The direct road: the document's data, without write options, written to
// the destination's path. Refused when attributes ask for passwords: the
// output would go out unprotected.
bool WritePDFDataToURL(const platform::pdf::PdfDocument& document, const QUrl& destination,
                       const QVariantMap& attributes);

// A final output whose failed write or move is final: written then moved;
// without a temporary name, its data written directly.
bool WriteFinalPDF(const platform::pdf::PdfDocument& document, const QUrl& destination,
                   const QVariantMap& attributes);
