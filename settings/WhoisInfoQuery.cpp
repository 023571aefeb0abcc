#include "settings/WhoisInfoQuery.h"

#include "core/NamePreparation.h"

WhoisInfoQuery::WhoisInfoQuery(WhoisInfoServer server, QObject *parent)
    : QObject(parent)
    , m_server(std::move(server))
{
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(m_server.giveUpMs);
    connect(&m_giveUp, &QTimer::timeout, this, [this] {
        finishWithoutAnswer(QStringLiteral("No answer from %1:%2 within %3 seconds.")
                                .arg(m_server.host)
                                .arg(m_server.port)
                                .arg(m_server.giveUpMs / 1000.0));
    });
    connect(&m_socket, &QTcpSocket::connected, this, &WhoisInfoQuery::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_reply += m_socket.readAll(); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &WhoisInfoQuery::onError);
}

void WhoisInfoQuery::query(const QString &domain)
{
    cancel();
    m_domain = domain;
    m_reply.clear();
    const std::optional<QByteArray> ascii = queryBytes(domain);
    if (!ascii) {
        // Reported from the event loop, like every other end of a query.
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit gaveUp(QStringLiteral("%1 is not a name a WHOIS server can be asked about.").arg(m_domain),
                            QString());
            },
            Qt::QueuedConnection);
        return;
    }
    m_query = *ascii + "\r\n";
    m_giveUp.start();
    m_socket.connectToHost(m_server.host, m_server.port);
}

void WhoisInfoQuery::cancel()
{
    m_giveUp.stop();
    m_socket.abort();
}

void WhoisInfoQuery::onConnected()
{
    m_socket.write(m_query);
}

void WhoisInfoQuery::onError(QAbstractSocket::SocketError error)
{
    if (!m_giveUp.isActive())
        return;
    if (error != QAbstractSocket::RemoteHostClosedError) {
        finishWithoutAnswer(QStringLiteral("No answer from %1:%2: %3")
                                .arg(m_server.host)
                                .arg(m_server.port)
                                .arg(m_socket.errorString()));
        return;
    }
    m_reply += m_socket.readAll();
    const QString answer = QString::fromLatin1(m_reply);
    cancel();
    emit answered(answer);
}

void WhoisInfoQuery::finishWithoutAnswer(const QString &explanation)
{
    const QString partial = QString::fromLatin1(m_reply);
    cancel();
    emit gaveUp(explanation, partial);
}
