#pragma once
// Layout steps the printer shares between a document's body and what is
// printed around it (headers, footers, notes).
#include <QSizeF>

class QTextDocument;

namespace platform::text {

inline constexpr double kPointsPerInch = 72.0;

// A page of the text area's size as the layout can hold it: its height in
// whole 64ths of a unit, the layout's own precision. A height it cannot hold
// exactly would let its pages drift from the printed ones, a line at the top
// of a page then also printed at the foot of the page before.
QSizeF layoutPageSize(const QSizeF& area);

// Resolution of the units a document is laid out in.
double layoutDpi(const QTextDocument& document);

// Margins, design metrics, shaping, wrapping and tab interval as printed.
void prepareLayout(QTextDocument& document, double pointsPerUnit);

// Makes the images of other resolvable from document.
void copyImages(QTextDocument& document, const QTextDocument& other);

} // namespace platform::text
