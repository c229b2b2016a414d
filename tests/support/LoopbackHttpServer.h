#pragma once
// An HTTP server of the tests' own on 127.0.0.1, so that no test reaches
// beyond the machine: every connection gets the same raw answer once its
// request head has arrived; a silent server answers nothing and keeps the
// connection open. It keeps the request heads it received. It lives on the
// thread that made it, whose event loop must run.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class QTcpServer;

namespace testsupport {

class LoopbackHttpServer : public QObject {
public:
    enum class AfterAnswer { Close, KeepOpen };

    // An empty answer makes a silent server.
    explicit LoopbackHttpServer(QByteArray answer, AfterAnswer after = AfterAnswer::Close);

    quint16 port() const;
    // "127.0.0.1:port"
    QString authority() const;
    QList<QByteArray> requestHeads() const { return m_heads; }
    // The first line of each request head.
    QStringList requestLines() const;
    // Connections that have ended, by either side.
    int endedConnections() const { return m_ended; }

    // An answer with the status, a Content-Length and the body.
    static QByteArray answer(int status, const QByteArray& body);
    // A loopback port nothing listens on.
    static quint16 refusingPort();

private:
    QTcpServer* m_server;
    QByteArray m_answer;
    AfterAnswer m_after;
    QList<QByteArray> m_heads;
    int m_ended = 0;
};

} // namespace testsupport
