#include "tests/support/LoopbackHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <optional>

namespace testsupport {

LoopbackHttpServer::LoopbackHttpServer(QByteArray answer, AfterAnswer after)
    : m_server(new QTcpServer(this)), m_answer(std::move(answer)), m_after(after)
{
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            // The bytes of the request head until it is whole; one answer per connection.
            auto received = std::make_shared<std::optional<QByteArray>>(QByteArray());
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
                const QByteArray bytes = socket->readAll();
                if (!*received)
                    return;
                **received += bytes;
                const qsizetype end = (*received)->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                m_heads << (*received)->first(end);
                received->reset();
                if (m_answer.isEmpty())
                    return;
                socket->write(m_answer);
                if (m_after == AfterAnswer::Close)
                    socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                ++m_ended;
                socket->deleteLater();
            });
        }
    });
}

quint16 LoopbackHttpServer::port() const
{
    return m_server->serverPort();
}

QString LoopbackHttpServer::authority() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QStringList LoopbackHttpServer::requestLines() const
{
    QStringList lines;
    for (const QByteArray& head : m_heads)
        lines << QString::fromLatin1(head.left(head.indexOf("\r\n")));
    return lines;
}

QByteArray LoopbackHttpServer::answer(int status, const QByteArray& body)
{
    return "HTTP/1.0 " + QByteArray::number(status) + " Answer\r\nContent-Type: application/json\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

quint16 LoopbackHttpServer::refusingPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace testsupport
