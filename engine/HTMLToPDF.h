#pragma once
// Web documents (HTML, XHTML, SVG, web archives) loaded off screen on the
// main thread and printed to PDF with the job's paper, margins and
// orientation. A conversion runs on a worker thread, which waits until the
// main thread has settled the load.
#include "engine/ConversionOptions.h"

#include <QByteArray>
#include <QMutex>
#include <QUrl>
#include <QVariantMap>
#include <QWaitCondition>

#include <cstdint>
#include <memory>

namespace platform::web {
class WebDocument;
class WebPagePrinter;
}

class HTMLToPDF {
public:
    HTMLToPDF();
    // The web view is torn down on the main thread, whichever thread this runs on.
    ~HTMLToPDF();
    HTMLToPDF(const HTMLToPDF&) = delete;
    HTMLToPDF& operator=(const HTMLToPDF&) = delete;

    // Record initialiser of the batch methods: sources, destination, paper,
    // margins, orientation and document attributes (not progress, not singlePDF).
    void Init(const ScriboraConversionOptions* options);
    // One-document initialiser: clears sources and destination.
    void Init(double pageWidth, double pageHeight, double leftMargin, double rightMargin,
              double topMargin, double bottomMargin, std::uint64_t orientation,
              const QVariantMap& documentAttributes);
    void SetProgressCallbackInfo(ProgressCallbackInfo progress);
    void SetTempDestinationURL(const QUrl& url);
    // Main thread: starts loading the document, opened beforehand on the
    // worker (a web archive is read there, not on the main thread).
    void webViewLoadRequestOnMainThread(const platform::web::WebDocument& request);
    // Non-zero: outputs are intermediates of a merged PDF, written as printed.
    void SetSaveAsSinglePDF(unsigned char singlePDF);
    // Main thread: makes the web view.
    void initWebView();

    // Load delegates, main thread.
    void webViewDidFailProvisionalLoad();
    void webViewDidFailLoad();
    void webViewDidFinishLoad();

    void initConditionalLock();
    void lockWhenCondition();
    void unlockWithCondition();
    void releaseLock();

    // Converts one document to the temporary destination URL. Worker thread
    // only: on the main thread it answers false at once.
    bool SaveAsPDF(const QUrl& file);
    // One PDF per source into the destination folder; stops at the first failure.
    bool SaveAsPDF();
    // All sources into the one destination file.
    bool SaveAsTextToSinglePDF();

private:
    // The condition lock of one conversion.
    struct ConditionLock {
        QMutex mutex;
        QWaitCondition changed;
        int condition = 0;
    };

    void printedOnMainThread(const QByteArray& pdf);
    bool writePrintedPDF();

    SourceFileEntries m_SourceURLs;
    QUrl m_DestinationURL;
    ProgressCallbackInfo m_ProgressCallback;
    double m_CustomPageWidth = 0;
    double m_CustomPageHeight = 0;
    double m_LeftMargin = 0;
    double m_RightMargin = 0;
    double m_TopMargin = 0;
    double m_BottomMargin = 0;
    std::uint64_t m_Orientation = 0;
    QVariantMap m_PDFDocumentAttributes;
    platform::web::WebPagePrinter* webView = nullptr;
    QUrl m_TempDestinationURL;
    bool m_IsSaveAsPDF = false;
    // Shared so that the main thread's signal can finish after the worker
    // has woken and released its reference.
    std::shared_ptr<ConditionLock> condLock;
    unsigned char m_IsSaveAsSinglePDF = 0;
    // The printed document, handed from the main thread to the worker.
    QByteArray m_PrintedPDF;
};
