#pragma once
// Layout steps the printer shares between a document's body and what is
// printed around it (headers, footers, notes).
class QTextDocument;

namespace platform::text {

inline constexpr double kPointsPerInch = 72.0;

// Resolution of the units a document is laid out in.
double layoutDpi(const QTextDocument& document);

// Margins, design metrics, shaping, wrapping and tab interval as printed.
void prepareLayout(QTextDocument& document, double pointsPerUnit);

// Makes the images of other resolvable from document.
void copyImages(QTextDocument& document, const QTextDocument& other);

} // namespace platform::text
