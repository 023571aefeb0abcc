#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

// One WHOIS query on TCP: connects to a server, sends the query and CR LF,
// and collects the reply, up to replyCap bytes, until the server closes the
// connection. Every part of the program that asks a WHOIS server asks
// through one of these.
//
// A server whose name does not resolve, or that refuses the connection,
// ends the query at once. Any other socket failure is kept (errorString())
// and the query runs on until the server closes or the give-up time passes.
class WhoisClient : public QObject
{
    Q_OBJECT

public:
    enum class Failure { Resolve, Refused, Timeout };
    // Replies beyond this are read and dropped until the server closes.
    static constexpr qsizetype replyCap = 1024 * 1024;
    // How often a connect the socket rejects on the spot as an invalid
    // operation is tried before it is left to the time-out.
    static constexpr int maxConnectTries = 3;

    explicit WhoisClient(QObject *parent = nullptr);
    ~WhoisClient() override;

    // The short reason an outcome carries for a failure: "resolve",
    // "refused", "timeout".
    static QString reason(Failure failure);

    // The local address queries go out from; null lets the system choose.
    void setLocalAddress(const QHostAddress &address) { m_localAddress = address; }
    // Drops any query in hand and asks host:port; query is the name's ASCII
    // form. giveUpMs > 0 ends the query with Failure::Timeout when the server
    // has not closed the connection by then.
    void ask(const QString &host, quint16 port, const QByteArray &query, int giveUpMs = 0);
    // Connects again for the same query: what arrived so far is kept and
    // whatever comes now is appended.
    void reconnect();
    // Closes the connection; nothing more is reported for this query.
    void abort();

    bool isRunning() const { return m_running; }
    const QByteArray &reply() const { return m_reply; }
    // The address the reply came from; the host asked before a connection.
    QString remoteAddress() const;
    quint16 remotePort() const { return m_remotePort; }
    QString host() const { return m_host; }
    // The last socket failure during this query, or empty.
    QString errorString() const { return m_errorString; }

signals:
    void connected();
    // The server closed the connection; reply() holds what it sent (maybe nothing).
    void answered(const QByteArray &reply);
    void failed(WhoisClient::Failure failure, const QString &description);

private:
    void connectToServer();
    void onConnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void fail(Failure failure, const QString &description);

    QTcpSocket m_socket;
    QTimer m_giveUp;
    QHostAddress m_localAddress;
    QString m_host;
    quint16 m_port = 43;
    QByteArray m_query; // with CR LF
    QByteArray m_reply;
    QString m_peerAddress;
    quint16 m_remotePort = 0;
    QString m_errorString;
    bool m_running = false;
    bool m_connecting = false;
};
