#include "platform/web/WebPagePrinter.h"

#include "platform/MainThread.h"
#include "platform/web/WebLog_p.h"
#include "platform/web/WebProfile_p.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <algorithm>
#include <limits>

namespace platform::web {

namespace {

// Run in the page before it is printed, called with the printable width and
// height in CSS pixels; answers about how many pages the print will have.
// The job's paper wins over the page's @page sizes (its margins already do). Content wider than the printable width is zoomed out to fit:
// the browser alone would shrink it only so far and cut off the rest. A page
// without a view has an empty viewport, so the root's scroll width is the
// width its content needs once the root is as wide as the printed page.
constexpr char kPrepareForPrint[] = R"(
(function (printableWidth, printableHeight) {
    const dropPageSizes = sheet => {
        let rules;
        try {
            rules = sheet.cssRules;
        } catch (e) {
            return; // another origin's style sheet
        }
        for (const rule of rules) {
            if (rule instanceof CSSPageRule)
                rule.style.removeProperty('size');
            else if (rule instanceof CSSImportRule)
                rule.styleSheet && dropPageSizes(rule.styleSheet);
            else if (rule.cssRules)
                dropPageSizes(rule);
        }
    };
    for (const sheet of [...document.styleSheets, ...document.adoptedStyleSheets])
        dropPageSizes(sheet);

    const root = document.documentElement;
    if (!root || !root.style)
        return 1;
    const pages = () => Math.ceil(root.scrollHeight * (parseFloat(getComputedStyle(root).zoom) || 1)
                                  / printableHeight) || 1;
    // What the page hides sideways (an off-screen menu) is not content: the
    // root's overflow, or the body's when the root leaves it visible, is the
    // page's own.
    const body = document.body;
    const overflowOf = element => getComputedStyle(element).overflowX;
    const pageOverflow =
        overflowOf(root) === 'visible' && body ? overflowOf(body) : overflowOf(root);
    if (pageOverflow === 'hidden' || pageOverflow === 'clip')
        return pages();
    const style = root.style;
    // A second print starts again from the page's own zoom.
    if (window.ownZoom)
        style.setProperty('zoom', ...window.ownZoom);
    else
        window.ownZoom = [style.getPropertyValue('zoom'), style.getPropertyPriority('zoom')];
    const zoom = parseFloat(getComputedStyle(root).zoom) || 1;
    let needed;
    if (root instanceof HTMLHtmlElement) {
        const width = [style.getPropertyValue('width'), style.getPropertyPriority('width')];
        style.setProperty('width', printableWidth / zoom + 'px', 'important');
        needed = root.scrollWidth;
        style.setProperty('width', ...width);
    } else {
        needed = root.scrollWidth;
    }
    if (needed > printableWidth)
        style.setProperty('zoom', String(zoom * printableWidth / needed), 'important');
    return pages();
})
)";

// Printing time allowed per page, beyond the time limit, in milliseconds:
// some five times what the browser needed for 8,000 pages (46 ms a page).
constexpr qint64 kPrintTimePerPage = 250;
// More pages than this are not expected of any document.
constexpr qint64 kMaxExpectedPages = 100000;

// A page that shows nothing to anyone: script dialogs answer at once, new
// windows are refused, console output is dropped.
class QuietPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override
    {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override
    {
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

void configure(QWebEnginePage& page)
{
    QWebEngineSettings* settings = page.settings();
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    // The paper shows through where the page paints no background.
    page.setBackgroundColor(Qt::transparent);
}

} // namespace

struct WebPagePrinter::Impl {
    QPointer<QWebEnginePage> page; // a child of the profile
    QList<QMetaObject::Connection> connections;
    // What the page shows; keeps a web archive served.
    WebDocument document;
    QTimer timer;
    int timeLimit = kDefaultTimeLimit;

    bool loadPending = false;
    LoadHandlers handlers;
    bool printPending = false;
    quint64 printGeneration = 0;
    std::function<void(const QByteArray&)> printDone;
    // Above zero while a handler runs: a page may not be deleted from
    // inside its own signal.
    int dispatching = 0;
    // Expires with the printer; late browser callbacks check it.
    std::shared_ptr<int> lifeToken = std::make_shared<int>(0);

    Impl()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] { timedOut(); });
    }

    // A load fails only after this long without progress: a large document
    // loads, a hung one fails.
    void loadProgressed()
    {
        if (loadPending)
            timer.start(timeLimit);
    }

    ~Impl()
    {
        lifeToken.reset();
        loadPending = false;
        printPending = false;
        handlers = {};
        printDone = nullptr;
        retirePage();
    }

    void retirePage()
    {
        for (const auto& connection : connections)
            QObject::disconnect(connection);
        connections.clear();
        if (page) {
            if (dispatching > 0)
                page->deleteLater();
            else
                delete page;
            page = nullptr;
        }
        document = {};
    }

    void createPage()
    {
        QWebEngineProfile* profile = sharedWebProfile();
        page = new QuietPage(profile, profile);
        configure(*page);
        connections.append(QObject::connect(page, &QWebEnginePage::loadFinished, [this](bool ok) {
            if (!ok)
                qCInfo(lcWeb) << "load of" << document.address() << "failed";
            settleLoad(ok ? 0 : 2);
        }));
        connections.append(QObject::connect(page, &QWebEnginePage::loadProgress,
                                            [this](int) { loadProgressed(); }));
    }

    // which: 0 finished, 1 failed before loading, 2 failed while loading.
    void settleLoad(int which)
    {
        if (!loadPending)
            return;
        loadPending = false;
        timer.stop();
        LoadHandlers settled = std::move(handlers);
        handlers = {};
        const std::function<void()>& handler = which == 0 ? settled.didFinish
            : which == 1                                  ? settled.didFailProvisional
                                                          : settled.didFail;
        ++dispatching;
        if (handler)
            handler();
        --dispatching;
    }

    void settlePrint(const QByteArray& data)
    {
        if (!printPending)
            return;
        printPending = false;
        timer.stop();
        auto done = std::move(printDone);
        printDone = nullptr;
        ++dispatching;
        if (done)
            done(data);
        --dispatching;
    }

    void timedOut()
    {
        qCInfo(lcWeb) << (loadPending ? "load" : "print") << "of" << document.address()
                      << "made no progress within the time limit";
        if (loadPending) {
            if (page)
                page->triggerAction(QWebEnginePage::Stop);
            settleLoad(2);
        } else if (printPending) {
            settlePrint({});
        }
    }
};

WebPagePrinter::WebPagePrinter() : d(std::make_unique<Impl>()) {}

WebPagePrinter::~WebPagePrinter() = default;

void WebPagePrinter::load(const WebDocument& document, LoadHandlers handlers)
{
    d->loadPending = false;
    d->printPending = false;
    d->retirePage();
    d->handlers = std::move(handlers);
    d->loadPending = true;
    if (document.address().isEmpty()) {
        qCInfo(lcWeb) << "nothing to load";
        d->settleLoad(1);
        return;
    }
    d->document = document;
    d->createPage();
    d->timer.start(d->timeLimit);
    d->page->load(document.address());
}

void WebPagePrinter::stopLoading()
{
    if (d->page)
        d->page->triggerAction(QWebEnginePage::Stop);
}

void WebPagePrinter::detach()
{
    d->loadPending = false;
    d->printPending = false;
    d->handlers = {};
    d->printDone = nullptr;
    d->timer.stop();
}

void WebPagePrinter::printToPdf(const QPageLayout& layout,
                                std::function<void(const QByteArray&)> done)
{
    d->printPending = true;
    d->printDone = std::move(done);
    if (!d->page || d->loadPending || !layout.isValid()) {
        d->settlePrint({});
        return;
    }
    const quint64 generation = ++d->printGeneration;
    Impl* impl = d.get();
    std::weak_ptr<int> alive = d->lifeToken;
    // A late answer for an earlier print, a dropped one, or one delivered
    // while the page is torn down, is ignored.
    const auto wanted = [impl, alive, generation] {
        return !alive.expired() && impl->printPending && generation == impl->printGeneration;
    };
    d->timer.start(d->timeLimit);
    // CSS pixels are 1/96 inch.
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    const QString script = QLatin1String(kPrepareForPrint)
        + QStringLiteral("(%1, %2)").arg(printable.width() * 96 / 72).arg(printable.height() * 96 / 72);
    d->page->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [impl, wanted, layout](const QVariant& pages) {
            if (!wanted() || !impl->page)
                return;
            // The browser says nothing while it prints: the limit grows with
            // the pages it has to print.
            const qint64 expected = std::clamp<qint64>(pages.toLongLong(), 1, kMaxExpectedPages);
            impl->timer.start(int(std::min<qint64>(impl->timeLimit + expected * kPrintTimePerPage,
                                                   std::numeric_limits<int>::max())));
            impl->page->printToPdf(
                [impl, wanted](const QByteArray& data) {
                    if (wanted())
                        impl->settlePrint(data);
                },
                layout);
        });
}

void WebPagePrinter::setTimeLimit(int milliseconds)
{
    d->timeLimit = milliseconds > 0 ? milliseconds : kDefaultTimeLimit;
}

void WebPagePrinter::destroyLater(WebPagePrinter* printer)
{
    if (!printer)
        return;
    if (isMainThread() && printer->d->dispatching == 0) {
        delete printer;
        return;
    }
    runOnMainThread([printer] { delete printer; }, false);
}

} // namespace platform::web
