#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// How a GET ended.
struct HttpGetResult
{
    int status = 0;               // the HTTP status; 0 without an answer (see error)
    QString error;                // what failed, for the user
    bool timedOut = false;        // no answer within the time limit
    bool redirectRefused = false; // more redirects than allowed, or one to another scheme
    bool overCap = false;         // the body was longer than the cap; body holds its start
    QUrl url;                     // where it ended
    QByteArray retryAfter;
    QByteArray body;
};

// One GET at a time that the network's cache never answers: redirects are
// followed while they keep the scheme, up to a number; the body is kept up
// to a cap (the rest is read and dropped, or the transfer stops there); the
// question is given up after a time limit.
class HttpGet : public QObject
{
    Q_OBJECT

public:
    enum class AtCap { DropTheRest, Stop };

    HttpGet(QNetworkAccessManager &network, int timeoutMs, qsizetype bodyCap, AtCap atCap,
            QObject *parent = nullptr);
    ~HttpGet() override;

    // Drops a running question and asks a new one.
    void start(QNetworkRequest request, int maxRedirects);
    void abort();
    bool isRunning() const { return !m_reply.isNull(); }
    int timeoutMs() const { return m_timeout.interval(); }

signals:
    void finished(const HttpGetResult &result);

private:
    void onReadyRead();
    HttpGetResult result() const;
    void finish(const HttpGetResult &result);

    QNetworkAccessManager &m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;
    qsizetype m_bodyCap;
    AtCap m_atCap;
    QString m_scheme;
    QByteArray m_body;
    bool m_overCap = false;
};
