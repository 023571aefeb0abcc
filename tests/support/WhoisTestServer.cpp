#include "tests/support/WhoisTestServer.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

namespace {

quint16 randomPort()
{
    return quint16(QRandomGenerator::global()->bounded(20000, 32768));
}

} // namespace

WhoisTestServer::WhoisTestServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &WhoisTestServer::acceptConnection);
    m_handler = [this](QTcpSocket *socket, const QByteArray &, int) { answerAndClose(socket, m_reply); };
}

bool WhoisTestServer::listen()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (m_server.listen(QHostAddress::LocalHost, randomPort()))
            return true;
    }
    return false;
}

bool WhoisTestServer::listenOn(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

quint16 WhoisTestServer::unusedPort()
{
    QTcpServer probe;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const quint16 port = randomPort();
        if (probe.listen(QHostAddress::LocalHost, port)) {
            probe.close();
            return port;
        }
    }
    return 0;
}

void WhoisTestServer::acceptConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const int connection = ++connections;
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer, connection] {
            buffer->append(socket->readAll());
            qsizetype end;
            while ((end = buffer->indexOf("\r\n")) >= 0) {
                const QByteArray query = buffer->left(end);
                buffer->remove(0, end + 2);
                queries.append(query);
                m_handler(socket, query, connection);
            }
        });
    }
}

void WhoisTestServer::answerAndClose(QTcpSocket *socket, const QByteArray &reply)
{
    socket->write(reply);
    socket->disconnectFromHost();
}

void WhoisTestServer::answerLater(QTcpSocket *socket, const QByteArray &reply, int delayMs)
{
    QTimer::singleShot(delayMs, socket, [socket = QPointer<QTcpSocket>(socket), reply] {
        if (socket)
            answerAndClose(socket, reply);
    });
}
