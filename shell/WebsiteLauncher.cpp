#include "shell/WebsiteLauncher.h"

#include "base/Branding.h"

#include <QDesktopServices>
#include <QUrl>

WebsiteLauncher::WebsiteLauncher(Branding &branding, const QString &shippedDataDir, int unloadAfterMs, QObject *parent)
    : QObject(parent)
    , m_branding(branding)
    , m_shippedDataDir(shippedDataDir)
{
    setObjectName(QStringLiteral("frmWebsite"));
    m_unloadTimer.setObjectName(QStringLiteral("Timer1"));
    m_unloadTimer.setSingleShot(true);
    m_unloadTimer.setInterval(unloadAfterMs);
    connect(&m_unloadTimer, &QTimer::timeout, this, &WebsiteLauncher::unloaded);
}

bool WebsiteLauncher::load(const QString &websiteTarget)
{
    if (isLoaded())
        return false;
    m_unloadTimer.start();

    m_branding = applyBranding(m_shippedDataDir);
    if (websiteTarget != u"Website")
        return true;
    QString address = m_branding.comments;
    if (!address.contains(u"https://", Qt::CaseInsensitive) && !address.contains(u"http://", Qt::CaseInsensitive))
        address.prepend(QStringLiteral("http://"));
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    return true;
}
