#pragma once
// PDF to text: the text of a PDF's pages, with its fonts and colours, written
// as plain text (UTF-8 or UTF-16), RTF, RTFD, Word 97, Office Open XML or
// OpenDocument text, one file per page or one for the whole selection.
#include "engine/PageRangeMode.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>

class QObject;
class QTextDocument;

namespace platform::pdf {
class PdfDocument;
}

enum TextExportType : std::int32_t {
    TextExportPlainUTF8 = 1,
    TextExportPlainUTF16 = 2, // with a byte-order mark
    TextExportRTF = 3,
    TextExportRTFD = 4,
    TextExportDOC = 5, // Word 97
    TextExportDOCX = 6,
    TextExportODT = 7,
};

// The job record. The caller keeps it and what it refers to alive while the
// exporter lives.
struct PDFTextExportOptions {
    QUrl source;
    QUrl destination; // the folder receiving the files
    QString baseName; // null: the source's name without extension
    QString extension; // of every file, whatever the format
    QString password; // unlocks an encrypted source
    std::int32_t format = 0; // TextExportType
    std::int64_t oneFilePerPage = 0;
    std::int64_t firstPage = 0; // counted from 1
    std::int64_t lastPage = 0;
    std::int32_t pageRangeMode = PageRangeAll;
    QObject* progressObject = nullptr; // answers isConversionCancelled
    const char* progressSelector = nullptr; // sent the page number
};

// The error thrown when the source cannot be opened as a PDF.
inline constexpr int kPDFTextExportOpenError = 301;

class PDFTextExporter {
public:
    // Opens the source and, when it is locked, tries the options' password.
    // Throws kPDFTextExportOpenError when no document can be made.
    explicit PDFTextExporter(PDFTextExportOptions* options);
    ~PDFTextExporter();
    PDFTextExporter(const PDFTextExporter&) = delete;
    PDFTextExporter& operator=(const PDFTextExporter&) = delete;

    PDFTextExportOptions* options() const { return m_options; }
    const std::shared_ptr<platform::pdf::PdfDocument>& document() const { return m_document; }

private:
    PDFTextExportOptions* m_options;
    std::shared_ptr<platform::pdf::PdfDocument> m_document;
};

// True when the text of at least one page was kept and every file was
// written; false at once for a format outside TextExportType, and false after
// a cancel in one-file mode (the text gathered so far is still written).
bool ExportPDFText(PDFTextExporter* exporter);

// Writes text to file in the options' format; false when nothing was written.
bool WriteAttributedText(PDFTextExporter* exporter, const QUrl& file, const QTextDocument& text);

// Whether a page's text is worth a file: more than 19 characters, or any
// character besides white space and object replacement characters.
bool IsPageTextKept(const QString& text);
