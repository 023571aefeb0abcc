#include "core/WhoisClient.h"

WhoisClient::WhoisClient(QObject *parent)
    : QObject(parent)
{
    m_giveUp.setSingleShot(true);
    connect(&m_giveUp, &QTimer::timeout, this, [this] { fail(Failure::Timeout, m_errorString); });
    connect(&m_socket, &QTcpSocket::connected, this, &WhoisClient::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &WhoisClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &WhoisClient::onError);
}

WhoisClient::~WhoisClient()
{
    m_socket.disconnect(this);
}

QString WhoisClient::reason(Failure failure)
{
    switch (failure) {
    case Failure::Resolve:
        return QStringLiteral("resolve");
    case Failure::Refused:
        return QStringLiteral("refused");
    case Failure::Timeout:
        break;
    }
    return QStringLiteral("timeout");
}

void WhoisClient::ask(const QString &host, quint16 port, const QByteArray &query, int giveUpMs)
{
    abort();
    m_host = host;
    m_port = port;
    m_query = query + "\r\n";
    m_reply.clear();
    m_peerAddress.clear();
    m_remotePort = 0;
    m_errorString.clear();
    m_running = true;
    if (giveUpMs > 0)
        m_giveUp.start(giveUpMs);
    connectToServer();
}

void WhoisClient::reconnect()
{
    if (m_running)
        connectToServer();
}

void WhoisClient::abort()
{
    m_running = false;
    m_giveUp.stop();
    m_socket.abort();
}

QString WhoisClient::remoteAddress() const
{
    return m_peerAddress.isEmpty() ? m_host : m_peerAddress;
}

void WhoisClient::connectToServer()
{
    // A connect the socket rejects on the spot as an invalid operation is
    // tried again a few times; it is then left to the time-out.
    m_connecting = true;
    for (int tries = 1;; ++tries) {
        m_socket.abort();
        if (!m_localAddress.isNull())
            m_socket.bind(m_localAddress);
        m_socket.connectToHost(m_host, m_port);
        const QAbstractSocket::SocketError error = m_socket.error();
        const bool invalidOperation = error == QAbstractSocket::OperationError ||
                                      error == QAbstractSocket::UnsupportedSocketOperationError;
        if (m_socket.state() != QAbstractSocket::UnconnectedState || !invalidOperation || tries == maxConnectTries)
            break;
    }
    m_connecting = false;
}

void WhoisClient::onConnected()
{
    if (!m_running) {
        m_socket.abort();
        return;
    }
    m_peerAddress = m_socket.peerAddress().toString();
    m_remotePort = m_socket.peerPort();
    m_errorString.clear();
    emit connected();
    if (m_running && m_socket.write(m_query) < 0)
        m_socket.abort();
}

void WhoisClient::onReadyRead()
{
    if (!m_running) {
        m_socket.abort();
        return;
    }
    const QByteArray piece = m_socket.readAll();
    const qsizetype room = replyCap - m_reply.size();
    if (room > 0)
        m_reply.append(piece.constData(), qMin(room, piece.size()));
}

void WhoisClient::onError(QAbstractSocket::SocketError error)
{
    if (!m_running || m_connecting)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onReadyRead();
        m_running = false;
        m_giveUp.stop();
        m_socket.abort();
        emit answered(m_reply);
        return;
    }
    m_errorString = m_socket.errorString();
    if (error == QAbstractSocket::HostNotFoundError)
        fail(Failure::Resolve, m_errorString);
    else if (error == QAbstractSocket::ConnectionRefusedError)
        fail(Failure::Refused, m_errorString);
}

void WhoisClient::fail(Failure failure, const QString &description)
{
    m_running = false;
    m_giveUp.stop();
    m_socket.abort();
    emit failed(failure, description);
}
