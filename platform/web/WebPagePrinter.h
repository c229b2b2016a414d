#pragma once
// A web page loaded off screen and printed to PDF. Created, used and
// destroyed on the main thread; every handler runs there too.
#include "platform/web/WebDocument.h"

#include <QByteArray>
#include <QPageLayout>

#include <functional>
#include <memory>

namespace platform::web {

class WebPagePrinter {
public:
    // How one load ended. Exactly one runs, once per load.
    struct LoadHandlers {
        std::function<void()> didFinish;
        // Nothing could be loaded: a missing file, a folder, an unreadable
        // web archive, an address that is not allowed.
        std::function<void()> didFailProvisional;
        // The load started and failed, or made no progress for as long as
        // the time limit.
        std::function<void()> didFail;
    };

    WebPagePrinter();
    ~WebPagePrinter();
    WebPagePrinter(const WebPagePrinter&) = delete;
    WebPagePrinter& operator=(const WebPagePrinter&) = delete;

    // Starts loading the document in a fresh page; a load still under way is
    // dropped without calling its handlers. Nothing is ever fetched from the
    // network.
    void load(const WebDocument& document, LoadHandlers handlers);
    void stopLoading();
    // Drops the handlers of the current load and print: none of them runs
    // afterwards.
    void detach();

    // Prints the loaded page with the layout (paper, margins, orientation),
    // which wins over the page's own paper size and margins; content wider
    // than the printable width is scaled down to it, never cut. done runs
    // once with the PDF data, empty on failure.
    void printToPdf(const QPageLayout& layout, std::function<void(const QByteArray&)> done);

    // Longest wait for a load's next progress (milliseconds); a print may
    // take that long plus some time for every page it prints.
    void setTimeLimit(int milliseconds);
    static constexpr int kDefaultTimeLimit = 60000;

    // Deletes the printer on the main thread, from any thread, without
    // waiting; its handlers never run again.
    static void destroyLater(WebPagePrinter* printer);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform::web
