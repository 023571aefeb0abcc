#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A WHOIS server on 127.0.0.1 for tests. Each query line (up to CR LF) is
// recorded and handed to the handler; by default the server answers with
// reply() and closes. Listens on a port in 20000..32767, since a TLD row's
// port is a signed 16-bit number.
class WhoisTestServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QTcpSocket *socket, const QByteArray &query, int connection)>;

    explicit WhoisTestServer(QObject *parent = nullptr);

    bool listen();
    // A fixed address and port, as a registry of the shipped list has (43
    // needs root).
    bool listenOn(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }

    void setReply(const QByteArray &reply) { m_reply = reply; }
    QByteArray reply() const { return m_reply; }
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Every query received, without its CR LF, in arrival order.
    QList<QByteArray> queries;
    // Number of connections accepted so far.
    int connections = 0;

    // Handlers for common server behaviours.
    static void answerAndClose(QTcpSocket *socket, const QByteArray &reply);
    static void answerLater(QTcpSocket *socket, const QByteArray &reply, int delayMs);

    // A port in the range with nobody listening on it.
    static quint16 unusedPort();

private:
    void acceptConnection();

    QTcpServer m_server;
    QByteArray m_reply = "Domain Name: EXAMPLE.COM\r\n";
    Handler m_handler;
};
