#pragma once

#include "core/HttpGet.h"
#include "core/LookupResult.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// How an RDAP question ended.
struct RdapAnswer
{
    LookupResult::Kind kind = LookupResult::Kind::Error;
    QString reason;  // "rdap:404", "rdap:429", "rdap:timeout", ...
    QString message; // for the user: what the server said or what failed
    QByteArray body; // the reply's body as received (the domain object's JSON)
};

// One RDAP domain question: GET <base>domain/<name> with
// "Accept: application/rdap+json". 404 means the registry has no such name
// (available); 200 with a domain object, registered; 429, or 503 with a time
// in Retry-After, blocked; anything else, or a failure, an error; no answer
// within the time limit, a timeout. Up to three redirects are followed when
// they keep the scheme; bodies beyond bodyCap are dropped.
class RdapQuery : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype bodyCap = 1024 * 1024;
    static constexpr int maxRedirects = 3;

    RdapQuery(QNetworkAccessManager &network, int timeoutMs, QObject *parent = nullptr);

    // Drops a running question and asks a new one.
    void start(const QString &baseUrl, const QString &domain);
    void abort() { m_get.abort(); }
    bool isRunning() const { return m_get.isRunning(); }

    static QUrl domainUrl(const QString &baseUrl, const QString &domain);

signals:
    void finished(const RdapAnswer &answer);

private:
    void onFinished(const HttpGetResult &result);
    static RdapAnswer answerFor(int status, const QByteArray &retryAfter, const QByteArray &body);

    HttpGet m_get;
};
