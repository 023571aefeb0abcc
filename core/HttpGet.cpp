#include "core/HttpGet.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

HttpGet::HttpGet(QNetworkAccessManager &network, int timeoutMs, qsizetype bodyCap, AtCap atCap, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_bodyCap(bodyCap)
    , m_atCap(atCap)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        HttpGetResult timedOut;
        timedOut.timedOut = true;
        timedOut.error = QStringLiteral("No answer within %1 seconds").arg(m_timeout.interval() / 1000.0);
        finish(timedOut);
    });
}

HttpGet::~HttpGet()
{
    abort();
}

void HttpGet::start(QNetworkRequest request, int maxRedirects)
{
    abort();
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_scheme = request.url().scheme();
    m_body.clear();
    m_overCap = false;
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpGet::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        onReadyRead();
        if (m_reply)
            finish(result());
    });
    m_timeout.start();
}

void HttpGet::abort()
{
    m_timeout.stop();
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void HttpGet::onReadyRead()
{
    if (!m_reply)
        return;
    const QByteArray piece = m_reply->readAll();
    const qsizetype room = m_bodyCap - m_body.size();
    m_body.append(piece.constData(), qBound<qsizetype>(0, room, piece.size()));
    m_overCap = m_overCap || piece.size() > room;
    if (m_overCap && m_atCap == AtCap::Stop)
        finish(result());
}

HttpGetResult HttpGet::result() const
{
    HttpGetResult ended;
    ended.url = m_reply->url();
    ended.redirectRefused =
        m_reply->error() == QNetworkReply::TooManyRedirectsError || ended.url.scheme() != m_scheme;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    ended.status = status.isValid() ? status.toInt() : 0;
    if (!status.isValid())
        ended.error = m_reply->errorString();
    ended.retryAfter = m_reply->rawHeader("Retry-After");
    ended.body = m_body;
    ended.overCap = m_overCap;
    return ended;
}

void HttpGet::finish(const HttpGetResult &result)
{
    abort();
    emit finished(result);
}
