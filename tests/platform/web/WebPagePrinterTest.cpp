#include "platform/web/WebPagePrinter.h"

#include "platform/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using platform::web::WebDocument;
using platform::web::WebPagePrinter;

namespace {

// Spins the event loop until done() or the limit.
bool spinUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

struct Outcome {
    int finished = 0;
    int failedEarly = 0;
    int failed = 0;
    int total() const { return finished + failedEarly + failed; }
};

WebPagePrinter::LoadHandlers recordInto(Outcome& outcome)
{
    return {[&] { ++outcome.finished; }, [&] { ++outcome.failedEarly; },
            [&] { ++outcome.failed; }};
}

QPageLayout a4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36),
                       QPageLayout::Point);
}

// A listening socket on the loopback interface that only counts the
// connections made to it; connections wait in its backlog until counted.
class LoopbackListener {
public:
    LoopbackListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::listen(m_fd, 64) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    int acceptAll()
    {
        int count = 0;
        for (int client; (client = ::accept(m_fd, nullptr, nullptr)) >= 0; ++count)
            ::close(client);
        return count;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A UDP socket on the loopback interface that counts the datagrams sent to
// it, as a STUN server would receive them.
class LoopbackDatagramSink {
public:
    LoopbackDatagramSink()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackDatagramSink()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    int receiveAll()
    {
        int count = 0;
        char buffer[2048];
        while (::recv(m_fd, buffer, sizeof buffer, 0) >= 0)
            ++count;
        return count;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

class WebPagePrinterTest : public ::testing::Test {
protected:
    QUrl write(const QString& name, const QByteArray& bytes)
    {
        return testsupport::writeFile(dir.filePath(name), bytes);
    }
    QTemporaryDir dir;
};

TEST_F(WebPagePrinterTest, NothingReachesTheNetwork)
{
    LoopbackListener server;
    LoopbackDatagramSink stun;
    ASSERT_GT(server.port(), 0);
    ASSERT_GT(stun.port(), 0);
    const QByteArray port = QByteArray::number(server.port());
    const QByteArray remote = "http://127.0.0.1:" + port;
    // Connections opened ahead of any request, and a peer connection's
    // address discovery, pass no request filter.
    const QByteArray html =
        "<html><head><link rel=stylesheet href='" + remote + "/style.css'>"
        "<link rel=prefetch href='" + remote + "/next.html'>"
        "<link rel=preconnect href='" + remote + "'>"
        "<link rel=dns-prefetch href='//127.0.0.1:" + port + "'></head><body>"
        "<p>Local text</p><img src='" + remote + "/image.png'>"
        "<iframe src='" + remote + "/frame.html'></iframe>"
        "<script>fetch('" + remote + "/fetch').catch(() => {});"
        "new Image().src = 'https://127.0.0.1:" + port + "/x';"
        "try { new WebSocket('ws://127.0.0.1:" + port + "/'); } catch (e) {}"
        "try {"
        "  const peer = new RTCPeerConnection({iceServers: ["
        "    {urls: 'stun:127.0.0.1:" + QByteArray::number(stun.port()) + "'},"
        "    {urls: 'turn:127.0.0.1:" + port + "?transport=tcp', username: 'u', credential: 'c'}]});"
        "  peer.createDataChannel('data');"
        "  peer.createOffer().then(offer => peer.setLocalDescription(offer));"
        "} catch (e) {}"
        "</script></body></html>";

    WebPagePrinter printer;
    Outcome outcome;
    printer.load(WebDocument::open(write("page.html", html)), recordInto(outcome));
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    EXPECT_EQ(outcome.finished, 1);
    // Give late requests (scripts, prefetch, address discovery) a moment to
    // show up.
    spinUntil([] { return false; }, 1500);
    EXPECT_EQ(server.acceptAll(), 0);
    EXPECT_EQ(stun.receiveAll(), 0);

    // A remote document itself is refused.
    Outcome remoteOutcome;
    printer.load(WebDocument::open(QUrl(QString::fromLatin1(remote + "/page.html"))), recordInto(remoteOutcome));
    ASSERT_TRUE(spinUntil([&] { return remoteOutcome.total() > 0; }, 20000));
    EXPECT_EQ(remoteOutcome.finished, 0);
    spinUntil([] { return false; }, 200);
    EXPECT_EQ(server.acceptAll(), 0);
}

TEST_F(WebPagePrinterTest, ArchivedPageFetchesNothingItDoesNotHold)
{
    // The archive was saved from the listener's address: what it holds is
    // answered from the archive, what it does not is refused.
    LoopbackListener server;
    ASSERT_GT(server.port(), 0);
    const QString site = QStringLiteral("http://127.0.0.1:%1/site/").arg(server.port());
    const auto resource = [&](const QString& name, const char* mime, const QByteArray& data) {
        return QVariantMap{{"WebResourceURL", site + name},
                           {"WebResourceMIMEType", mime},
                           {"WebResourceData", data}};
    };
    const QByteArray html = "<html><head><link rel=stylesheet href='" + site.toLatin1()
        + "held.css'></head><body><p>Archived</p>"
          "<img src='" + site.toLatin1() + "missing.png'><img src='missing-relative.png'>"
          "<script>fetch('" + site.toLatin1() + "missing.json').catch(() => {});</script>"
          "</body></html>";
    const QVariantMap archive{
        {"WebMainResource", resource("index.html", "text/html", html)},
        {"WebSubresources", QVariantList{resource("held.css", "text/css", "p { color: red }")}}};
    const QUrl source = write("page.webarchive", platform::writePropertyList(
                                                     archive, platform::PropertyListFormat::Binary));

    // Read on a worker, as a conversion does; only the load is left to the
    // main thread.
    WebDocument document;
    testsupport::runOnWorker([&] { document = WebDocument::open(source); });
    WebPagePrinter printer;
    Outcome outcome;
    printer.load(document, recordInto(outcome));
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    EXPECT_EQ(outcome.finished, 1);
    spinUntil([] { return false; }, 500);
    EXPECT_EQ(server.acceptAll(), 0);
}

TEST_F(WebPagePrinterTest, EachLoadSettlesOnce)
{
    // The page reloads itself after loading: no second settlement.
    WebPagePrinter printer;
    Outcome outcome;
    printer.load(WebDocument::open(write("reload.html", "<p>x</p><script>setTimeout(() => location.reload(), 30)</script>")),
                 recordInto(outcome));
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    spinUntil([] { return false; }, 500);
    EXPECT_EQ(outcome.finished, 1);
    EXPECT_EQ(outcome.total(), 1);

    // A load dropped by the next one never reports.
    Outcome dropped, next;
    printer.load(WebDocument::open(write("a.html", "<p>a</p>")), recordInto(dropped));
    printer.load(WebDocument::open(write("b.html", "<p>b</p>")), recordInto(next));
    ASSERT_TRUE(spinUntil([&] { return next.total() > 0; }, 20000));
    spinUntil([] { return false; }, 300);
    EXPECT_EQ(dropped.total(), 0);
    EXPECT_EQ(next.finished, 1);
}

TEST_F(WebPagePrinterTest, DetachedHandlersNeverRun)
{
    WebPagePrinter printer;
    Outcome outcome;
    printer.load(WebDocument::open(write("page.html", "<p>x</p>")), recordInto(outcome));
    printer.detach();
    spinUntil([] { return false; }, 800);
    EXPECT_EQ(outcome.total(), 0);
}

TEST_F(WebPagePrinterTest, PageThatNeverFinishesFailsAtTheTimeLimit)
{
    WebPagePrinter printer;
    printer.setTimeLimit(1500);
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    // The page's load event never comes: a resource that never ends.
    printer.load(WebDocument::open(write("hang.html", "<p>x</p><script>while (true) {}</script>")),
                 recordInto(outcome));
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_LT(clock.elapsed(), 10000);

    // The printer is still usable afterwards.
    printer.setTimeLimit(WebPagePrinter::kDefaultTimeLimit);
    Outcome next;
    printer.load(WebDocument::open(write("fine.html", "<p>fine</p>")), recordInto(next));
    ASSERT_TRUE(spinUntil([&] { return next.total() > 0; }, 30000));
    EXPECT_EQ(next.finished, 1);
}

TEST_F(WebPagePrinterTest, RelativeFileAddressLoads)
{
    write("relative.html", "<p>x</p>");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    WebPagePrinter printer;
    Outcome outcome;
    printer.load(WebDocument::open(QUrl::fromLocalFile("relative.html")), recordInto(outcome));
    QDir::setCurrent(previous);
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    EXPECT_EQ(outcome.finished, 1);
}

TEST_F(WebPagePrinterTest, PrintsTheLoadedPageOnly)
{
    WebPagePrinter printer;
    QByteArray printed = "unset";
    printer.printToPdf(a4(), [&](const QByteArray& pdf) { printed = pdf; });
    EXPECT_TRUE(printed.isEmpty()) << "nothing loaded yet";

    Outcome outcome;
    printer.load(WebDocument::open(write("page.html", "<p>Printed</p>")), recordInto(outcome));
    ASSERT_TRUE(spinUntil([&] { return outcome.total() > 0; }, 20000));
    int calls = 0;
    printer.printToPdf(a4(), [&](const QByteArray& pdf) {
        ++calls;
        printed = pdf;
    });
    ASSERT_TRUE(spinUntil([&] { return calls > 0; }, 20000));
    spinUntil([] { return false; }, 200);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(printed.startsWith("%PDF-"));
}

} // namespace
