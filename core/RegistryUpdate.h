#pragma once

#include "core/HttpGet.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// Fetches IANA's RDAP bootstrap file for domain names and keeps it, when it
// is one, as rdap-dns.json in a folder of the program folder, where it wins
// over the shipped copy. The file is written whole or not at all, with the
// address it came from and when ("fetchedFrom", "fetchedAt") beside IANA's
// own "publication"; a failed or malformed download leaves what was there.
class RegistryUpdate : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype sizeCap = 8 * 1024 * 1024;
    static constexpr int maxRedirects = 3;
    // Where IANA publishes it; the environment variable VANTREL_RDAP_BOOTSTRAP_URL
    // names another address (a mirror, a test server).
    static QUrl bootstrapUrl();

    RegistryUpdate(QNetworkAccessManager &network, int timeoutMs, QObject *parent = nullptr);

    void start(const QUrl &url, const QString &folder);

signals:
    // ok: the file was saved; message says what was saved, or what failed
    // and that the earlier copy is still used.
    void finished(bool ok, const QString &message);

private:
    void onFetched(const HttpGetResult &result);
    bool save(const QByteArray &contents, QString *message) const;

    HttpGet m_get;
    QUrl m_url;
    QString m_folder;
};
