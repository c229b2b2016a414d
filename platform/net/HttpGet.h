#pragma once
// Reading a document at an http URL, the way a program reads the contents of
// a URL into memory: one GET, nothing cached, no cookies, no proxy, no
// redirect followed. The request target is the URL's path and query exactly
// as written (a path "//lookup" keeps both slashes).
#include <QByteArray>
#include <QUrl>

#include <chrono>
#include <optional>

namespace platform::net {

struct HttpGetLimits {
    std::chrono::milliseconds timeLimit; // for the whole exchange, connecting included
    qint64 sizeLimit = 0;                // bytes of the answer's body
};

// The body of a successful (2xx) answer to GET url. None when the URL is not
// http, the connection fails, the answer is an error, malformed, truncated or
// larger than the limit, it does not arrive in time, or the calling thread is
// told to quit (QThread::quit) meanwhile. Runs an event loop on the calling
// thread until then.
std::optional<QByteArray> httpGet(const QUrl& url, const HttpGetLimits& limits);

} // namespace platform::net
