#pragma once
// Small PDFs made on the fly for the PDF layer's tests.
#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace pdftest {

struct PageSpec {
    QSizeF size{200, 300};    // points
    QString text;             // drawn near the top-left corner when not empty
    std::optional<QRectF> blackSquare;  // filled black, in top-left based points
};

// A PDF printed with QPdfWriter, one page per spec.
QByteArray makePdf(const QList<PageSpec>& pages);
// Pages with the texts "Page 1", "Page 2", ... on 200 x 300 pt.
QByteArray makeNumberedPdf(int pageCount);

} // namespace pdftest
