#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A minimal HTTP/1.1 server on 127.0.0.1 for tests. Every request (request
// line and headers; bodies are not read) is recorded and handed to the
// handler, which answers on the socket, or keeps it open to hold the client.
// By default every request gets a 200 reply with body() and the connection closes.
class HttpTestServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray target; // path and query as sent
        QList<QPair<QByteArray, QByteArray>> headers;

        QByteArray header(const QByteArray &name) const; // case-insensitive name, empty when missing
    };
    using Handler = std::function<void(QTcpSocket *socket, const Request &request)>;

    explicit HttpTestServer(QObject *parent = nullptr);

    bool listen(); // on a port the system picks
    quint16 port() const { return m_server.serverPort(); }

    void setBody(const QByteArray &body) { m_body = body; }
    QByteArray body() const { return m_body; }
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Every request received, in arrival order.
    QList<Request> requests;

    // A complete reply, then the connection closes.
    static void reply(QTcpSocket *socket, const QByteArray &body, const QByteArray &status = "200 OK");
    // Headers announcing announcedLength bytes, only the given part of the
    // body, then the connection closes. (socket->abort() drops it at once.)
    static void replyPartlyAndClose(QTcpSocket *socket, const QByteArray &part, qint64 announcedLength);
    // The same, but the connection stays open (a stalled or slow body).
    static void replyPartly(QTcpSocket *socket, const QByteArray &part, qint64 announcedLength);

signals:
    void requestReceived();

private:
    void acceptConnection();

    QTcpServer m_server;
    QByteArray m_body;
    Handler m_handler;
};
