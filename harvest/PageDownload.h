#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>

#include <QNetworkReply>

class QUrl;

// What came back for one page.
struct PageReply
{
    QByteArray body;    // as far as it came, also from an error page or a broken connection
    int httpStatus = 0; // 0 when no HTTP answer came
    QString httpReason;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;

    // The server did not answer at all (refused, unknown host, dropped before
    // the headers).
    bool unanswered() const { return httpStatus == 0 && error != QNetworkReply::NoError; }
    bool httpFailed() const { return httpStatus >= 400; }
};

// Fetches one page over HTTP the way the list builder asks for it: user agent
// "Mozilla", always from the network (the request carries "Cache-Control:
// no-cache"), never through a proxy, the body read in chunks of at most 256
// bytes.
class PageDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 chunkSize = 256;

    explicit PageDownload(QObject *parent = nullptr);
    ~PageDownload() override;

    // Drops a download still running and starts this one.
    void start(const QUrl &url);
    // Drops the running download; finished() is not emitted for it.
    void abort();
    bool isRunning() const { return m_reply != nullptr; }

signals:
    // After every read but the first, the last (empty) read at the end
    // included: the number of bytes gathered so far.
    void progress(qint64 bytes);
    // Some bytes of the page (or its headers) arrived.
    void arrived();
    void finished(const PageReply &reply);

private:
    // False when a slot connected to progress() dropped the download.
    bool readChunks();
    void replyFinished();

    QNetworkAccessManager m_manager;
    QNetworkReply *m_reply = nullptr;
    QByteArray m_body;
    int m_reads = 0;
};
