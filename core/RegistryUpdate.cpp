#include "core/RegistryUpdate.h"

#include "core/RegistryDirectory.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QSaveFile>

using namespace Qt::StringLiterals;

QUrl RegistryUpdate::bootstrapUrl()
{
    const QString configured = qEnvironmentVariable("VANTREL_RDAP_BOOTSTRAP_URL");
    return QUrl(configured.isEmpty() ? u"https://data.iana.org/rdap/dns.json"_s : configured);
}

RegistryUpdate::RegistryUpdate(QNetworkAccessManager &network, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_get(network, timeoutMs, sizeCap, HttpGet::AtCap::Stop)
{
    connect(&m_get, &HttpGet::finished, this, &RegistryUpdate::onFetched);
}

void RegistryUpdate::start(const QUrl &url, const QString &folder)
{
    m_url = url;
    m_folder = folder;
    m_get.start(QNetworkRequest(url), maxRedirects);
}

void RegistryUpdate::onFetched(const HttpGetResult &result)
{
    QString why;
    if (result.redirectRefused)
        why = u"a redirect was not followed (more than %1, or to another scheme): %2"_s.arg(maxRedirects).arg(
            result.url.toString());
    else if (result.overCap)
        why = u"the file is larger than %1 MB, which no bootstrap file is"_s.arg(sizeCap / (1024 * 1024));
    else if (result.status == 0)
        why = result.error;
    else if (result.status != 200)
        why = u"HTTP status %1"_s.arg(result.status);
    if (!why.isEmpty()) {
        emit finished(false, u"Could not update the RDAP servers from %1: %2. The servers known before are still "
                             "used."_s.arg(m_url.toString(), why));
        return;
    }
    QString message;
    const bool saved = save(result.body, &message);
    emit finished(saved, message);
}

bool RegistryUpdate::save(const QByteArray &contents, QString *message) const
{
    RegistryDirectory check;
    QString problem;
    if (!check.readRdapBootstrap(contents, m_url.toString(), &problem)) {
        *message = u"Could not update the RDAP servers: %1. The servers known before are still used."_s.arg(problem);
        return false;
    }
    QJsonObject object = QJsonDocument::fromJson(contents).object();
    object.insert(u"fetchedFrom"_s, m_url.toString());
    object.insert(u"fetchedAt"_s, QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    const QString path = m_folder + u'/' + QLatin1String(RegistryDirectory::rdapFile);
    QSaveFile file(path);
    if (!QDir().mkpath(m_folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(object).toJson()) < 0 || !file.commit()) {
        *message = u"Could not save the RDAP servers as %1: %2. The servers known before are still used."_s.arg(
            QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QDateTime published = check.rdapPublication();
    *message = u"RDAP servers of %1 TLDs (published %2) saved as %3"_s.arg(check.rdapTldCount())
                   .arg(published.isValid() ? published.toString(Qt::ISODate) : u"without a date"_s,
                        QDir::toNativeSeparators(path));
    return true;
}
