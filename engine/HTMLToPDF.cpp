#include "engine/HTMLToPDF.h"

#include "engine/MergedPDF.h"
#include "engine/PDFFinalWrite.h"
#include "engine/SeparatePDFRun.h"
#include "engine/TextDocumentPDFConverter.h"
#include "platform/MainThread.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/web/WebDocument.h"
#include "platform/web/WebPagePrinter.h"

#include <QMarginsF>
#include <QMutexLocker>
#include <QPageLayout>
#include <QPageSize>

#include <cmath>
#include <optional>

using platform::pdf::PdfDocument;
using platform::web::WebDocument;
using platform::web::WebPagePrinter;

namespace {

bool isPositiveLength(double value)
{
    return std::isfinite(value) && value > 0;
}

double marginLength(double value)
{
    return std::isfinite(value) && value > 0 ? value : 0;
}

} // namespace

HTMLToPDF::HTMLToPDF() = default;

HTMLToPDF::~HTMLToPDF()
{
    m_DestinationURL.clear();
    WebPagePrinter::destroyLater(webView);
    webView = nullptr;
}

void HTMLToPDF::Init(const ScriboraConversionOptions* options)
{
    if (options) {
        m_SourceURLs = options->sources;
        m_DestinationURL = options->destination;
        m_CustomPageWidth = options->pageWidth;
        m_CustomPageHeight = options->pageHeight;
        m_LeftMargin = options->leftMargin;
        m_RightMargin = options->rightMargin;
        m_TopMargin = options->topMargin;
        m_BottomMargin = options->bottomMargin;
        m_Orientation = options->orientation;
        m_PDFDocumentAttributes = options->documentAttributes;
    }
    platform::runOnMainThread([this] { initWebView(); }, true);
}

void HTMLToPDF::Init(double pageWidth, double pageHeight, double leftMargin, double rightMargin,
                     double topMargin, double bottomMargin, std::uint64_t orientation,
                     const QVariantMap& documentAttributes)
{
    m_SourceURLs.clear();
    m_DestinationURL.clear();
    m_CustomPageWidth = pageWidth;
    m_CustomPageHeight = pageHeight;
    m_LeftMargin = leftMargin;
    m_RightMargin = rightMargin;
    m_TopMargin = topMargin;
    m_BottomMargin = bottomMargin;
    m_Orientation = orientation;
    m_PDFDocumentAttributes = documentAttributes;
    platform::runOnMainThread([this] { initWebView(); }, true);
}

void HTMLToPDF::SetProgressCallbackInfo(ProgressCallbackInfo progress)
{
    m_ProgressCallback = progress;
}

void HTMLToPDF::SetTempDestinationURL(const QUrl& url)
{
    m_TempDestinationURL = url;
}

void HTMLToPDF::webViewLoadRequestOnMainThread(const WebDocument& request)
{
    webView->load(request, {[this] { webViewDidFinishLoad(); },
                            [this] { webViewDidFailProvisionalLoad(); },
                            [this] { webViewDidFailLoad(); }});
}

void HTMLToPDF::SetSaveAsSinglePDF(unsigned char singlePDF)
{
    m_IsSaveAsSinglePDF = singlePDF;
}

void HTMLToPDF::initWebView()
{
    // A second initialiser call replaces the view instead of leaking it.
    WebPagePrinter::destroyLater(webView);
    webView = new WebPagePrinter();
}

void HTMLToPDF::webViewDidFailProvisionalLoad()
{
    webView->stopLoading();
    m_IsSaveAsPDF = false;
    unlockWithCondition();
}

void HTMLToPDF::webViewDidFailLoad()
{
    webView->stopLoading();
    m_IsSaveAsPDF = false;
    unlockWithCondition();
}

void HTMLToPDF::webViewDidFinishLoad()
{
    webView->stopLoading();
    if (!isPositiveLength(m_CustomPageWidth) || !isPositiveLength(m_CustomPageHeight)) {
        m_IsSaveAsPDF = false;
        unlockWithCondition();
        return;
    }
    const QPageSize paper(QSizeF(m_CustomPageWidth, m_CustomPageHeight), QPageSize::Point,
                          QString(), QPageSize::ExactMatch);
    const QMarginsF margins(marginLength(m_LeftMargin), marginLength(m_TopMargin),
                            marginLength(m_RightMargin), marginLength(m_BottomMargin));
    const QPageLayout layout(paper,
                             m_Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait,
                             margins, QPageLayout::Point);
    webView->printToPdf(layout, [this](const QByteArray& pdf) { printedOnMainThread(pdf); });
}

void HTMLToPDF::printedOnMainThread(const QByteArray& pdf)
{
    m_PrintedPDF = pdf;
    m_IsSaveAsPDF = !pdf.isEmpty();
    unlockWithCondition();
}

void HTMLToPDF::initConditionalLock()
{
    condLock = std::make_shared<ConditionLock>();
}

void HTMLToPDF::lockWhenCondition()
{
    const std::shared_ptr<ConditionLock> lock = condLock;
    QMutexLocker locker(&lock->mutex);
    while (lock->condition != 1)
        lock->changed.wait(&lock->mutex);
}

void HTMLToPDF::unlockWithCondition()
{
    // The worker may release the lock as soon as it wakes: keep it alive
    // until this side is done with it.
    const std::shared_ptr<ConditionLock> lock = condLock;
    if (!lock)
        return;
    QMutexLocker locker(&lock->mutex);
    lock->condition = 1;
    lock->changed.wakeAll();
}

void HTMLToPDF::releaseLock()
{
    condLock.reset();
}

bool HTMLToPDF::writePrintedPDF()
{
    const std::shared_ptr<PdfDocument> document = PdfDocument::fromData(m_PrintedPDF);
    m_PrintedPDF.clear();
    if (!document)
        return false;
    // The browser rounds the paper it prints on; the job's size is exact.
    const QSizeF paper = m_Orientation == 1 ? QSizeF(m_CustomPageHeight, m_CustomPageWidth)
                                            : QSizeF(m_CustomPageWidth, m_CustomPageHeight);
    for (int i = 0; i < document->pageCount(); ++i)
        if (!document->resizePageKeepingTopLeft(i, paper))
            return false;

    if (m_IsSaveAsSinglePDF)
        return WritePDFDocumentToURL(document.get(), m_TempDestinationURL);
    return WriteFinalPDF(*document, m_TempDestinationURL, m_PDFDocumentAttributes);
}

bool HTMLToPDF::SaveAsPDF(const QUrl& file)
{
    // The load settles on the main thread: waiting there would never end.
    if (platform::isMainThread() || !webView || m_TempDestinationURL.isEmpty())
        return false;
    m_IsSaveAsPDF = false;
    m_PrintedPDF.clear();
    const WebDocument document = WebDocument::open(file);
    initConditionalLock();
    platform::runOnMainThread([this, document] { webViewLoadRequestOnMainThread(document); }, false);
    lockWhenCondition();
    releaseLock();
    // The printed pages are edited and written here, off the main thread.
    if (m_IsSaveAsPDF)
        m_IsSaveAsPDF = writePrintedPDF();
    m_PrintedPDF.clear();
    return m_IsSaveAsPDF;
}

bool HTMLToPDF::SaveAsPDF()
{
    return ConvertEntriesToOwnPDFs(
        m_SourceURLs, m_DestinationURL, m_ProgressCallback, {.stopAtFirstFailure = true},
        [this](const QVariantMap&, const QUrl& file, const QUrl& output) -> std::optional<bool> {
            m_TempDestinationURL = output;
            return SaveAsPDF(file);
        });
}

bool HTMLToPDF::SaveAsTextToSinglePDF()
{
    const std::shared_ptr<PdfDocument> merged = PdfDocument::create();
    if (!merged)
        return false;
    bool result = true;
    int insertionIndex = 0;
    // Intermediates are written as printed: written with the job's security
    // they could not be opened for merging.
    const unsigned char savedMode = m_IsSaveAsSinglePDF;
    m_IsSaveAsSinglePDF = 1;

    for (const SourceFileEntry& entry : m_SourceURLs) {
        if (!result)
            break;
        // Skipped like an entry that got no temporary file.
        if (!entry)
            continue;
        const QUrl file = entry->value(SourceFileKey::FilePath).toUrl();
        const ConvertedPages pages = AppendConvertedPages(
            *merged, insertionIndex, BlankPages::Keep, [&](const QUrl& temporary) {
                m_TempDestinationURL = temporary;
                ReportProgress(m_ProgressCallback, ConversionProgressNextInput);
                return SaveAsPDF(file);
            });
        if (pages.ran)
            result = pages.converted;
    }
    m_IsSaveAsSinglePDF = savedMode;

    ReportProgress(m_ProgressCallback, ConversionProgressSavingBegins);
    const bool written = WriteFinalPDF(*merged, m_DestinationURL, m_PDFDocumentAttributes);
    // A failed input is not made good by a successful write.
    result = result && written;
    ReportProgress(m_ProgressCallback, ConversionProgressSavingEnds);
    return result;
}
