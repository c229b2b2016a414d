#pragma once
// A document made ready to be shown in a web page: a local file checked and
// its address made absolute, a web archive read and its resources put up
// for serving. Reading an archive of hundreds of megabytes takes a while, so
// open documents on a worker thread, never on the thread that runs the
// interface.
#include <QUrl>

#include <memory>

namespace platform::web {

class WebDocument {
public:
    // Any thread. Remote addresses are kept as they are: the page refuses
    // them when it loads.
    static WebDocument open(const QUrl& url);

    // Where the page loads the document from; empty when there is nothing
    // to load: a missing or unreadable file, a folder, a damaged or
    // oversized web archive, an invalid address.
    QUrl address() const { return m_address; }

private:
    struct ServedArchive;

    QUrl m_address;
    // An archive is served as long as a copy of the document lives.
    std::shared_ptr<const ServedArchive> m_archive;
};

} // namespace platform::web
