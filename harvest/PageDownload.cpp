#include "harvest/PageDownload.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

PageDownload::PageDownload(QObject *parent)
    : QObject(parent)
{
    m_manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
}

PageDownload::~PageDownload()
{
    abort();
}

void PageDownload::start(const QUrl &url)
{
    abort();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Mozilla"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    m_body.clear();
    m_reads = 0;
    m_reply = m_manager.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PageDownload::arrived);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        emit arrived();
        if (m_reply)
            readChunks();
    });
    connect(m_reply, &QNetworkReply::finished, this, &PageDownload::replyFinished);
}

void PageDownload::abort()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    m_body.clear();
}

bool PageDownload::readChunks()
{
    for (;;) {
        const QByteArray chunk = m_reply->read(chunkSize);
        if (chunk.isEmpty())
            return true;
        m_body += chunk;
        if (m_reads++ > 0) {
            emit progress(m_body.size());
            if (!m_reply)
                return false;
        }
    }
}

void PageDownload::replyFinished()
{
    if (!readChunks())
        return;
    if (m_reads++ > 0) {
        emit progress(m_body.size());
        if (!m_reply)
            return;
    }
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->deleteLater();
    PageReply result;
    result.body = std::exchange(m_body, QByteArray());
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.httpReason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    result.error = reply->error();
    result.errorText = reply->errorString();
    emit finished(result);
}
