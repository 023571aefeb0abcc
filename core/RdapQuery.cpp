#include "core/RdapQuery.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>

RdapQuery::RdapQuery(QNetworkAccessManager &network, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_get(network, timeoutMs, bodyCap, HttpGet::AtCap::DropTheRest)
{
    connect(&m_get, &HttpGet::finished, this, &RdapQuery::onFinished);
}

QUrl RdapQuery::domainUrl(const QString &baseUrl, const QString &domain)
{
    QString base = baseUrl;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base + QLatin1String("domain/") + QString::fromLatin1(QUrl::toPercentEncoding(domain.toLower())));
}

void RdapQuery::start(const QString &baseUrl, const QString &domain)
{
    QNetworkRequest request(domainUrl(baseUrl, domain));
    request.setRawHeader("Accept", "application/rdap+json");
    m_get.start(request, maxRedirects);
}

void RdapQuery::onFinished(const HttpGetResult &result)
{
    if (result.timedOut) {
        emit finished({LookupResult::Kind::Timeout, QStringLiteral("rdap:timeout"), result.error, {}});
    } else if (result.redirectRefused) {
        // More than three redirects, or one to another scheme (http to https).
        emit finished({LookupResult::Kind::Error, QStringLiteral("rdap:redirect"),
                       QStringLiteral("Redirect not followed: %1").arg(result.url.toString()), {}});
    } else if (result.status == 0) {
        emit finished({LookupResult::Kind::Error, QStringLiteral("rdap:network"), result.error, {}});
    } else {
        RdapAnswer answer = answerFor(result.status, result.retryAfter, result.body);
        answer.body = result.body;
        emit finished(answer);
    }
}

namespace {

// What a Retry-After header says, for the user: seconds from now, or the
// server's date; empty when it gives no time (missing, negative, garbage).
QString retryAfterText(const QByteArray &header)
{
    const QByteArray value = header.trimmed();
    bool isNumber = false;
    const qint64 seconds = value.toLongLong(&isNumber);
    if (isNumber && seconds >= 0 && !value.startsWith('+'))
        return QStringLiteral("%1 s").arg(seconds);
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
    return when.isValid() ? QString::fromLatin1(value) : QString();
}

} // namespace

RdapAnswer RdapQuery::answerFor(int status, const QByteArray &retryAfter, const QByteArray &body)
{
    const QString code = QStringLiteral("rdap:%1").arg(status);
    const QString after = retryAfterText(retryAfter);
    const QString wait = after.isEmpty() ? QString() : QStringLiteral("; retry after %1").arg(after);
    if (status == 404)
        return {LookupResult::Kind::Available, code, QStringLiteral("Not found (HTTP 404)")};
    if (status == 429 || (status == 503 && !after.isEmpty()))
        return {LookupResult::Kind::Blocked, code,
                QStringLiteral("The RDAP server is limiting queries (HTTP %1)%2").arg(status).arg(wait)};
    if (status != 200)
        return {LookupResult::Kind::Error, code, QStringLiteral("HTTP status %1").arg(status)};
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(body, &error).object();
    if (error.error != QJsonParseError::NoError ||
        object.value(QLatin1String("objectClassName")) != QLatin1String("domain"))
        return {LookupResult::Kind::Error, code + QStringLiteral(" not a domain object"),
                QStringLiteral("HTTP 200 without a domain object")};
    return {LookupResult::Kind::Registered, code,
            QStringLiteral("Domain object for %1").arg(object.value(QLatin1String("ldhName")).toString())};
}
