#pragma once
// Layout steps the printer shares between a document's body and what is
// printed around it (headers, footers, notes).
#include "platform/text/TextPrinter.h"

#include <QSizeF>

class QTextDocument;

namespace platform::text {

inline constexpr double kPointsPerInch = 72.0;
// Steps of a unit in the layout's fixed-point positions and sizes.
inline constexpr double kLayoutSteps = 64.0;
// Layout units a whole document may be high (a few ten thousand pages):
// beyond that the layout's positions would wrap around.
inline constexpr double kMaxLayoutHeight = double(1 << 24);

// The paper as printed: turned for landscape.
QSizeF turnedPaper(const PrintSettings& settings);

// Whether the settings leave a text area on a paper that can be printed;
// says why not in the area's log.
bool isPrintable(const PrintSettings& settings);

// A page of the text area's size as the layout can hold it: in whole steps
// of its own precision. A height it cannot hold exactly would let its pages
// drift from the printed ones, a line at the top of a page then also printed
// at the foot of the page before.
QSizeF layoutPageSize(const QSizeF& area);

// Resolution of the units a document is laid out in.
double layoutDpi(const QTextDocument& document);

// Margins, design metrics, shaping, wrapping and tab interval as printed.
void prepareLayout(QTextDocument& document, double pointsPerUnit);

// Makes the images of other resolvable from document.
void copyImages(QTextDocument& document, const QTextDocument& other);

} // namespace platform::text
