#include "frmWebsite.h"

#include "Branding.h"

#include <QDesktopServices>
#include <QUrl>

frmWebsite::frmWebsite(Branding &branding, const QString &shippedDataDir, int unloadAfterMs, QObject *parent)
    : QObject(parent)
    , m_branding(branding)
    , m_shippedDataDir(shippedDataDir)
{
    setObjectName(QStringLiteral("frmWebsite"));
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setSingleShot(true);
    Timer1.setInterval(unloadAfterMs);
    connect(&Timer1, &QTimer::timeout, this, &frmWebsite::unloaded);
}

bool frmWebsite::load(const QString &websiteTarget)
{
    if (isLoaded())
        return false;
    Timer1.start();

    m_branding = applyBranding(m_shippedDataDir);
    if (websiteTarget != u"Website")
        return true;
    QString address = m_branding.comments;
    if (!address.contains(u"https://", Qt::CaseInsensitive) && !address.contains(u"http://", Qt::CaseInsensitive))
        address.prepend(QStringLiteral("http://"));
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    return true;
}
