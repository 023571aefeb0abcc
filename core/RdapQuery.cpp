#include "core/RdapQuery.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

RdapQuery::RdapQuery(QNetworkAccessManager &network, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        finish({LookupResult::Kind::Timeout, QStringLiteral("rdap:timeout"),
                QStringLiteral("No answer within %1 seconds").arg(m_timeout.interval() / 1000.0)});
    });
}

RdapQuery::~RdapQuery()
{
    abort();
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
    abort();
    const QUrl url = domainUrl(baseUrl, domain);
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/rdap+json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_scheme = url.scheme();
    m_body.clear();
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &RdapQuery::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &RdapQuery::onFinished);
    m_timeout.start();
}

void RdapQuery::abort()
{
    m_timeout.stop();
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void RdapQuery::onReadyRead()
{
    const QByteArray piece = m_reply->readAll();
    const qsizetype room = bodyCap - m_body.size();
    if (room > 0)
        m_body.append(piece.constData(), qMin(room, piece.size()));
}

void RdapQuery::onFinished()
{
    onReadyRead();
    if (m_reply->error() == QNetworkReply::TooManyRedirectsError || m_reply->url().scheme() != m_scheme) {
        // More than three redirects, or one to another scheme (http to https).
        finish({LookupResult::Kind::Error, QStringLiteral("rdap:redirect"),
                QStringLiteral("Redirect not followed: %1").arg(m_reply->url().toString())});
        return;
    }
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        finish({LookupResult::Kind::Error, QStringLiteral("rdap:network"), m_reply->errorString()});
        return;
    }
    RdapAnswer answer = answerFor(status.toInt(), m_reply->rawHeader("Retry-After"));
    answer.body = m_body;
    finish(answer);
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

RdapAnswer RdapQuery::answerFor(int status, const QByteArray &retryAfter) const
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
    const QJsonObject object = QJsonDocument::fromJson(m_body, &error).object();
    if (error.error != QJsonParseError::NoError ||
        object.value(QLatin1String("objectClassName")) != QLatin1String("domain"))
        return {LookupResult::Kind::Error, code + QStringLiteral(" not a domain object"),
                QStringLiteral("HTTP 200 without a domain object")};
    return {LookupResult::Kind::Registered, code,
            QStringLiteral("Domain object for %1").arg(object.value(QLatin1String("ldhName")).toString())};
}

void RdapQuery::finish(const RdapAnswer &answer)
{
    abort();
    emit finished(answer);
}
