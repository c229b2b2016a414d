// Plain HTTP reads against a server of the test's own on the loopback: which
// answers give a document, the limits, the request sent, and a wait ended by
// quitting the thread.
#include "platform/net/HttpGet.h"

#include "tests/support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;
using platform::net::httpGet;
using platform::net::HttpGetLimits;
using testsupport::LoopbackHttpServer;

namespace {

constexpr qint64 kSizeLimit = 64;
// Far beyond any answer of the loopback: reaching it means the read waited
// for something that never came.
constexpr HttpGetLimits kLimits{60s, kSizeLimit};

QUrl urlOf(const LoopbackHttpServer& server, const QString& pathAndQuery = QStringLiteral("/"))
{
    return QUrl(QStringLiteral("http://") + server.authority() + pathAndQuery);
}

} // namespace

TEST(HttpGet, AnswersGiveTheirBodyOnlyWhenWholeAndSuccessful)
{
    const QByteArray atLimit(kSizeLimit, 'x');
    const struct {
        const char* name;
        QByteArray answer;
        std::optional<QByteArray> body;
    } cases[] = {
        {"with length", LoopbackHttpServer::answer(200, "hello"), "hello"},
        {"until closed", "HTTP/1.0 200 OK\r\n\r\nhello", "hello"},
        {"longer than its length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nhello", "hel"},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", ""},
        {"at the size limit", LoopbackHttpServer::answer(200, atLimit), atLimit},
        {"server error", LoopbackHttpServer::answer(500, "{}"), std::nullopt},
        {"not found", LoopbackHttpServer::answer(404, "{}"), std::nullopt},
        {"redirect", "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:1/\r\n\r\n", std::nullopt},
        {"status of four digits", "HTTP/1.0 2000 OK\r\n\r\nhello", std::nullopt},
        {"garbage", "garbage\r\n\r\nhello", std::nullopt},
        {"head never ends", "HTTP/1.0 200 OK\r\nhello", std::nullopt},
        {"header without colon", "HTTP/1.0 200 OK\r\nhello\r\n\r\nhello", std::nullopt},
        {"truncated body", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nhello", std::nullopt},
        {"bad length", "HTTP/1.0 200 OK\r\nContent-Length: 5x\r\n\r\nhello", std::nullopt},
        {"two lengths", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 4\r\n\r\nhello", std::nullopt},
        {"chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", std::nullopt},
        {"over the size limit", "HTTP/1.0 200 OK\r\n\r\n" + atLimit + "x", std::nullopt},
        {"length over the size limit", "HTTP/1.0 200 OK\r\nContent-Length: 65\r\n\r\n", std::nullopt},
        {"head over its limit", "HTTP/1.0 200 OK\r\nX: " + QByteArray(70000, 'h') + "\r\n\r\nhello", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server(c.answer);
        EXPECT_EQ(httpGet(urlOf(server), kLimits), c.body);
    }
}

TEST(HttpGet, SendsThePathAsWrittenWithoutCaching)
{
    LoopbackHttpServer server(LoopbackHttpServer::answer(200, "{}"));
    ASSERT_TRUE(httpGet(urlOf(server, QStringLiteral("//lookup?country=DE&bundleId=com.example.A#part")), kLimits));
    ASSERT_EQ(server.requestHeads().size(), 1);
    const QList<QByteArray> head = server.requestHeads().first().split('\n');
    EXPECT_EQ(head.first(), "GET //lookup?country=DE&bundleId=com.example.A HTTP/1.0\r");
    EXPECT_TRUE(head.contains("Host: " + server.authority().toLatin1() + "\r"));
    EXPECT_TRUE(head.contains("Cache-Control: no-cache\r"));
}

TEST(HttpGet, EndsWhenTheAnswerIsWholeThoughTheServerKeepsTheConnection)
{
    LoopbackHttpServer server(LoopbackHttpServer::answer(200, "hello"), LoopbackHttpServer::AfterAnswer::KeepOpen);
    EXPECT_EQ(httpGet(urlOf(server), kLimits), QByteArray("hello"));
}

TEST(HttpGet, NothingWithoutAnAnswer)
{
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackHttpServer::refusingPort()));
    EXPECT_EQ(httpGet(refused, kLimits), std::nullopt);

    LoopbackHttpServer silent({});
    EXPECT_EQ(httpGet(urlOf(silent), {200ms, kSizeLimit}), std::nullopt);
    EXPECT_EQ(silent.requestHeads().size(), 1);

    LoopbackHttpServer server(LoopbackHttpServer::answer(200, "hello"));
    QUrl secure = urlOf(server);
    secure.setScheme(QStringLiteral("https"));
    EXPECT_EQ(httpGet(secure, kLimits), std::nullopt);
    EXPECT_EQ(httpGet(QUrl(QStringLiteral("http:///path")), kLimits), std::nullopt);
    EXPECT_TRUE(server.requestHeads().isEmpty());
}

TEST(HttpGet, QuittingTheThreadEndsTheWait)
{
    LoopbackHttpServer silent({});
    std::optional<QByteArray> answer = QByteArray("untouched");
    std::unique_ptr<QThread> thread(QThread::create([&] { answer = httpGet(urlOf(silent), kLimits); }));
    thread->start();
    while (silent.requestHeads().isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    thread->quit();
    // Well before the time limit: the read does not wait it out.
    EXPECT_TRUE(thread->wait(QDeadlineTimer(30s)));
    EXPECT_EQ(answer, std::nullopt);
    while (silent.endedConnections() == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
