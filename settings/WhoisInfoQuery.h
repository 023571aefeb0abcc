#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

// The one WHOIS server the information window asks, whatever the name's TLD.
struct WhoisInfoServer
{
    QString host = QStringLiteral("whois.verisign-grs.com"); // the com/net registry
    quint16 port = 43;
    int giveUpMs = 30000; // no close by the server within this ends the query
};

// Sends a name unchanged, plus CR LF, and collects the answer until the
// server closes the connection.
class WhoisInfoQuery : public QObject
{
    Q_OBJECT

public:
    explicit WhoisInfoQuery(WhoisInfoServer server = {}, QObject *parent = nullptr);

    // Drops any running query and starts a fresh one.
    void query(const QString &domain);
    void cancel();

signals:
    // The server closed the connection; answer is everything it sent, as 8-bit text.
    void answered(const QString &answer);
    // No answer: the connection failed, or the server did not close it in time.
    // explanation says which; partialAnswer is what had arrived by then.
    void gaveUp(const QString &explanation, const QString &partialAnswer);

private:
    void onConnected();
    void onError(QAbstractSocket::SocketError error);
    void finishWithoutAnswer(const QString &explanation);

    WhoisInfoServer m_server;
    QTcpSocket m_socket;
    QTimer m_giveUp;
    QString m_domain;
    QByteArray m_query; // the domain's ASCII form and CR LF
    QByteArray m_reply;
};
