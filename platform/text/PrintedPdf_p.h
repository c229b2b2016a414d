#pragma once
// Private to platform/text: the PDF that printing paints, kept in memory, and
// what is done to it once painted: every page given the exact paper size (the
// writer rounds it to whole points) and the text mapped so that it reads back
// as typed.
#include <QBuffer>
#include <QPdfWriter>
#include <QSizeF>

#include <memory>
#include <optional>

namespace platform::pdf {
class PdfDocument;
}

namespace platform::text {

// Device resolution of the PDF: fine enough that fractional margins land
// where they are asked for.
inline constexpr int kPdfResolution = 1200;

class PrintedPdf {
public:
    // Pages of paper (points, as turned); isValid is false when the writer
    // refuses that size.
    explicit PrintedPdf(const QSizeF& paper);
    ~PrintedPdf();
    PrintedPdf(const PrintedPdf&) = delete;
    PrintedPdf& operator=(const PrintedPdf&) = delete;

    bool isValid() const { return m_isValid; }
    // What a painter paints the pages on; the first page is open.
    QPdfWriter& device() { return *m_writer; }
    bool newPage() { return m_writer->newPage(); }

    // Once the painter has ended: the pages as a document, sized to the paper
    // and with plain text maps; null when that fails.
    std::shared_ptr<pdf::PdfDocument> finish();

private:
    QSizeF m_paper;
    QBuffer m_bytes;
    std::optional<QPdfWriter> m_writer;
    bool m_isValid = false;
};

} // namespace platform::text
