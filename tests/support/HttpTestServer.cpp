#include "tests/support/HttpTestServer.h"

#include <QTcpSocket>

#include <memory>

namespace {

QByteArray replyHead(const QByteArray &status, qint64 length)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(length) +
           "\r\nConnection: close\r\n\r\n";
}

} // namespace

QByteArray HttpTestServer::Request::header(const QByteArray &name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return {};
}

HttpTestServer::HttpTestServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpTestServer::acceptConnection);
    m_handler = [this](QTcpSocket *socket, const Request &) { reply(socket, m_body); };
}

bool HttpTestServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void HttpTestServer::reply(QTcpSocket *socket, const QByteArray &body, const QByteArray &status)
{
    socket->write(replyHead(status, body.size()) + body);
    socket->disconnectFromHost();
}

void HttpTestServer::replyPartlyAndClose(QTcpSocket *socket, const QByteArray &part, qint64 announcedLength)
{
    socket->write(replyHead("200 OK", announcedLength) + part);
    socket->disconnectFromHost();
}

void HttpTestServer::replyPartly(QTcpSocket *socket, const QByteArray &part, qint64 announcedLength)
{
    socket->write(replyHead("200 OK", announcedLength) + part);
}

void HttpTestServer::acceptConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->clear();
            Request request;
            const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
            request.method = requestLine.value(0);
            request.target = requestLine.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines.at(i).indexOf(':');
                if (colon > 0)
                    request.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
            }
            requests.append(request);
            emit requestReceived();
            m_handler(socket, request);
        });
    }
}
