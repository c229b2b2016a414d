#pragma once
// Text documents (plain text, source code, RTF, RTFD, word-processing files)
// printed to PDF: laid out at the printable width, printed, blank pages
// dropped.
#include "engine/ConversionOptions.h"

#include <QUrl>
#include <QVariantMap>

#include <cstdint>
#include <memory>

namespace platform::pdf {
class PdfDocument;
class PdfPage;
}

struct TextDocumentPDFConverter {
    SourceFileEntries sources;
    QUrl destination;
    ProgressCallbackInfo progress;
    double pageWidth = 0;
    double pageHeight = 0;
    double leftMargin = 0;
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    std::uint64_t orientation = 0;
    QVariantMap documentAttributes;
    QVariantMap textAttributes;
    unsigned char overrideRichText = 0;
    // Set: the output is an intermediate of a merged PDF, written as printed.
    unsigned char singlePDF = 0;

    TextDocumentPDFConverter();
    ~TextDocumentPDFConverter();

    void SetOptionsFromScriboraOptions(const ScriboraConversionOptions* options);
    void SetOptionsFromAllToPDFOptions(double pageWidth, double pageHeight, double leftMargin,
                                       double rightMargin, double topMargin, double bottomMargin,
                                       std::uint64_t orientation,
                                       const QVariantMap& documentAttributes,
                                       const QVariantMap& textAttributes,
                                       unsigned char overrideRichText);
    void SetTextProgress(QObject* object, const char* selector);

    // The file printed into a PDF in memory, blank pages and all; null when
    // no reader takes it or it cannot be printed. printedCharacters: as the
    // printer counts them.
    std::shared_ptr<platform::pdf::PdfDocument> PrintTextFile(const QUrl& source,
                                                              QList<int>* printedCharacters = nullptr);
    bool ConvertTextFileToPDF(const QUrl& source, const QUrl& destination);
    bool ConvertTextFilesToSeparatePDFs();
    bool ConvertTextFilesToSinglePDF();
};

// A page is blank when it has at most 5 characters of text and draws nothing
// at half scale. False for a null page.
bool IsBlankPDFPage(const platform::pdf::PdfPage* page);

// The same for the page at index of a printed document, answered at once
// where printedCharacters (a count per printed page, or empty) counts more
// than five characters on it.
bool IsBlankPrintedPage(const platform::pdf::PdfPage& page, int index, const QList<int>& printedCharacters);

// Writes the document as it is, without write options.
bool WritePDFDocumentToURL(const platform::pdf::PdfDocument* document, const QUrl& url);
