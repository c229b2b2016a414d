#include "platform/web/WebPagePrinter.h"

#include "platform/MainThread.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebArchiveStore.h"
#include "platform/web/WebProfile.h"

#include <QColor>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace platform::web {

namespace {

// Larger archives are not read into memory.
constexpr qint64 kMaxArchiveFileSize = qint64(512) << 20;

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

bool isWebArchive(const QFileInfo& file)
{
    return file.suffix().compare(QLatin1String("webarchive"), Qt::CaseInsensitive) == 0;
}

} // namespace

struct WebPagePrinter::Impl {
    QPointer<QWebEnginePage> page; // a child of the profile
    QList<QMetaObject::Connection> connections;
    QString archiveHost;
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
        if (!archiveHost.isEmpty()) {
            WebArchiveStore::instance().remove(archiveHost);
            archiveHost.clear();
        }
    }

    void createPage()
    {
        QWebEngineProfile* profile = sharedWebProfile();
        page = new QuietPage(profile, profile);
        configure(*page);
        connections.append(QObject::connect(page, &QWebEnginePage::loadFinished,
                                            [this](bool ok) { settleLoad(ok ? 0 : 2); }));
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

void WebPagePrinter::load(const QUrl& url, LoadHandlers handlers)
{
    d->loadPending = false;
    d->printPending = false;
    d->retirePage();
    d->handlers = std::move(handlers);
    d->loadPending = true;

    QUrl target = url;
    if (url.isLocalFile()) {
        const QFileInfo file(url.toLocalFile());
        // A folder would show its listing; only files are documents.
        if (!file.isFile() || !file.isReadable()) {
            d->settleLoad(1);
            return;
        }
        // The browser needs an absolute address.
        target = QUrl::fromLocalFile(file.absoluteFilePath());
        if (isWebArchive(file)) {
            std::optional<WebArchive> archive;
            if (file.size() <= kMaxArchiveFileSize)
                archive = WebArchive::fromFile(file.filePath());
            if (!archive) {
                d->settleLoad(1);
                return;
            }
            const auto registration = WebArchiveStore::instance().add(*archive);
            d->archiveHost = registration.host;
            target = registration.mainUrl;
        }
    } else if (!url.isValid() || url.isEmpty()) {
        d->settleLoad(1);
        return;
    }

    d->createPage();
    d->timer.start(d->timeLimit);
    d->page->load(target);
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
    d->timer.start(d->timeLimit);
    d->page->printToPdf(
        [impl, alive, generation](const QByteArray& data) {
            // A late answer of an earlier print, or one delivered while the
            // page is torn down, is ignored.
            if (!alive.expired() && generation == impl->printGeneration)
                impl->settlePrint(data);
        },
        layout);
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
