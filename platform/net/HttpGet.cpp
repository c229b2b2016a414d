#include "platform/net/HttpGet.h"

#include <QEventLoop>
#include <QList>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

namespace platform::net {

namespace {

constexpr quint16 kHttpPort = 80;
// A status line with its headers longer than this is no answer a web
// service gives; it is refused before it fills memory.
constexpr qsizetype kHeadLimit = 64 * 1024;

const QByteArray kHeadEnd = QByteArrayLiteral("\r\n\r\n");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// An HTTP/1.0 request: the answer then ends when the server closes the
// connection and is never sent in chunks.
QByteArray requestFor(const QUrl& url)
{
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    const QByteArray host = url.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1();
    return "GET " + target + " HTTP/1.0\r\nHost: " + host
        + "\r\nAccept: */*\r\nCache-Control: no-cache\r\nPragma: no-cache\r\nConnection: close\r\n\r\n";
}

// The answer as its bytes arrive: the head once it is whole, then the body.
class Answer {
public:
    enum class State { Incomplete, Complete, Failed };

    explicit Answer(qint64 sizeLimit) : m_sizeLimit(sizeLimit) {}

    State add(const QByteArray& bytes)
    {
        m_bytes += bytes;
        if (m_bodyStart < 0) {
            const qsizetype end = m_bytes.indexOf(kHeadEnd);
            if (end < 0)
                return m_bytes.size() > kHeadLimit ? State::Failed : State::Incomplete;
            if (end > kHeadLimit || !readHead(QByteArrayView(m_bytes).first(end)))
                return State::Failed;
            m_bodyStart = end + kHeadEnd.size();
        }
        const qint64 received = m_bytes.size() - m_bodyStart;
        if (received > m_sizeLimit)
            return State::Failed;
        return m_length && received >= *m_length ? State::Complete : State::Incomplete;
    }

    // The server closed the connection: the answer is whole unless its head
    // or part of its announced body is missing.
    State closed() const
    {
        if (m_bodyStart < 0 || (m_length && m_bytes.size() - m_bodyStart < *m_length))
            return State::Failed;
        return State::Complete;
    }

    QByteArray body() const { return m_bytes.mid(m_bodyStart, m_length ? *m_length : -1); }

private:
    bool readHead(QByteArrayView head)
    {
        const QList<QByteArrayView> lines = splitLines(head);
        if (!isSuccess(lines.first()))
            return false;
        for (const QByteArrayView line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                return false;
            const QByteArray name = line.first(colon).toByteArray().toLower();
            const QByteArrayView value = line.sliced(colon + 1).trimmed();
            if (name == "content-length" && !readLength(value))
                return false;
            // Chunks answer HTTP/1.1 requests only.
            if (name == "transfer-encoding" && value.compare("identity", Qt::CaseInsensitive) != 0)
                return false;
        }
        return true;
    }

    bool readLength(QByteArrayView value)
    {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        if (!ok || length < 0 || length > m_sizeLimit || (m_length && *m_length != length))
            return false;
        m_length = length;
        return true;
    }

    // "HTTP/1.x 2xx reason": only a success carries the document.
    static bool isSuccess(QByteArrayView status)
    {
        const qsizetype space = status.indexOf(' ');
        if (!status.startsWith("HTTP/1.") || space < 0)
            return false;
        const QByteArrayView rest = status.sliced(space + 1);
        if (rest.size() < 3 || (rest.size() > 3 && rest[3] != ' '))
            return false;
        bool ok = false;
        const int code = rest.first(3).toInt(&ok);
        return ok && code >= 200 && code <= 299;
    }

    static QList<QByteArrayView> splitLines(QByteArrayView head)
    {
        QList<QByteArrayView> lines;
        qsizetype start = 0;
        for (qsizetype end; (end = head.indexOf(kLineEnd, start)) >= 0; start = end + kLineEnd.size())
            lines << head.sliced(start, end - start);
        lines << head.sliced(start);
        return lines;
    }

    QByteArray m_bytes;
    qsizetype m_bodyStart = -1;
    std::optional<qint64> m_length;
    qint64 m_sizeLimit;
};

} // namespace

std::optional<QByteArray> httpGet(const QUrl& url, const HttpGetLimits& limits)
{
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty())
        return std::nullopt;

    using State = Answer::State;
    Answer answer(limits.sizeLimit);
    State state = State::Incomplete;
    // Cleared once the exchange is over: the socket may still signal while it
    // is torn down.
    bool listening = true;
    QEventLoop loop;
    QTimer deadline;
    QTcpSocket socket;
    auto settle = [&](State next) {
        state = next;
        if (state != State::Incomplete)
            loop.quit();
    };
    QObject::connect(&socket, &QTcpSocket::connected, [&] {
        if (listening)
            socket.write(requestFor(url));
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        if (listening && state == State::Incomplete)
            settle(answer.add(socket.readAll()));
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] {
        if (!listening || state != State::Incomplete)
            return;
        const State read = answer.add(socket.readAll());
        settle(read == State::Incomplete ? answer.closed() : read);
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, [&](QAbstractSocket::SocketError error) {
        // The server closing the connection ends the answer; disconnected follows.
        if (listening && state == State::Incomplete && error != QAbstractSocket::RemoteHostClosedError)
            settle(State::Failed);
    });
    QObject::connect(&deadline, &QTimer::timeout, [&] { settle(State::Failed); });

    deadline.setSingleShot(true);
    deadline.start(limits.timeLimit);
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(url.host(QUrl::FullyEncoded), url.port(kHttpPort));
    if (state == State::Incomplete)
        loop.exec();
    listening = false;
    if (state != State::Complete)
        return std::nullopt;
    return answer.body();
}

} // namespace platform::net
