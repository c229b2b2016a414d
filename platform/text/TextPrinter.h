#pragma once
// Laying a rich text document out at the text width and printing it to a PDF
// file: pages as wide as the paper, as many as the text needs, with the
// headers, footers and notes a reader attached (PageFurniture); text
// selectable, fonts embedded.
#include <QList>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include <memory>

class QTextDocument;

namespace platform::pdf {
class PdfDocument;
}

namespace platform::text {

struct PrintSettings {
    QSizeF paperSize;      // points, portrait terms
    bool landscape = false; // swaps the paper's width and height
    double leftMargin = 0;
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
};

// The printable area: the (turned) paper less the margins.
QSizeF textArea(const PrintSettings& settings);

// Prints document to pdfPath; content wider than the text area is scaled down
// to fit it. False, with nothing written, when the text area is empty or the
// file cannot be written. Each page's boxes are exactly the turned paper size.
// The document stays laid out for printing (page size, margin, wrapping).
// printedCharacters, when given, receives for each page the number of
// characters other than white space printed on it (pictures and list markers
// not counted); it stays empty when that is not known.
bool printToPDF(QTextDocument& document, const PrintSettings& settings, const QString& pdfPath,
                QList<int>* printedCharacters = nullptr);

// The same printed into a document in memory; null where printToPDF fails
// before writing.
std::shared_ptr<pdf::PdfDocument> printToPdfDocument(QTextDocument& document, const PrintSettings& settings,
                                                     QList<int>* printedCharacters = nullptr);

// Lays attributes over characters [from, from + length): "NSFontAttributeName"
// (QFont) and "NSForegroundColorAttributeName" (QColor); others are ignored
// and formatting they do not name stays.
void addAttributes(QTextDocument& document, const QVariantMap& attributes, int from, int length);

// The number of characters of the document's text.
int characterCount(const QTextDocument& document);

// Appends the whole of other at the end of document.
void appendDocument(QTextDocument& document, const QTextDocument& other);

} // namespace platform::text
