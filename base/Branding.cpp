#include "base/Branding.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QUrl>

namespace {

// Placeholders until a registrar partnership is configured in branding.ini.
const char defaultPurchaseHost[] = "registrar.example";
const char defaultPartnerIsc[] = "vtl0001";
const char defaultPartnerPid[] = "100001";
const char defaultPartnerAid[] = "200001";

// The branding keys of the marketplace home pages, with their built-in values.
const struct
{
    const char *key;
    const char *homePage;
} marketplaceKeys[] = {
    {"marketBuyDomains", "https://www.buydomains.com/"},
    {"marketGoogle", "https://www.google.com/"},
    {"marketDmoz", "http://www.dmoz.org/"},
    {"marketAfternic", "https://www.afternic.com/"},
    {"marketNameJet", "https://www.namejet.com/"},
    {"marketSedo", "https://sedo.com/"},
    {"marketTdnam", "https://www.tdnam.com/"},
    {"marketSnapNames", "https://www.snapnames.com/"},
    {"marketDotPound", "http://www.dotpound.com/"},
};

// key (lower case) -> value, from lines "key=value"; ";" and "#" start comment
// lines, "[section]" lines are ignored.
QHash<QString, QString> readBrandingFile(const QString &path)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &rawLine : lines) {
        const QString line = QString::fromLatin1(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        values.insert(line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed());
    }
    return values;
}

void readText(const QHash<QString, QString> &values, const char *key, QString &target)
{
    const auto found = values.constFind(QString::fromLatin1(key).toLower());
    if (found != values.constEnd())
        target = *found;
}

void readSwitch(const QHash<QString, QString> &values, const char *key, bool &target)
{
    const auto found = values.constFind(QString::fromLatin1(key).toLower());
    if (found == values.constEnd())
        return;
    const QString value = found->toLower();
    if (value == u"1" || value == u"true" || value == u"yes" || value == u"on")
        target = true;
    else if (value == u"0" || value == u"false" || value == u"no" || value == u"off")
        target = false;
}

void readPort(const QHash<QString, QString> &values, const char *key, quint16 &target)
{
    const auto found = values.constFind(QString::fromLatin1(key).toLower());
    if (found == values.constEnd())
        return;
    bool ok = false;
    const uint port = found->toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        target = static_cast<quint16>(port);
}

QString resolvePath(const QString &shippedDataDir, const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return QDir(shippedDataDir).absoluteFilePath(path);
}

// An address with a scheme is taken as it is; anything else names a file.
QString resolveAddress(const QString &shippedDataDir, const QString &address)
{
    if (address.isEmpty() || !QUrl(address).isRelative())
        return address;
    return QUrl::fromLocalFile(resolvePath(shippedDataDir, address)).toString();
}

} // namespace

QString Branding::purchaseAddress(const QString &host, const QString &isc, const QString &pid, const QString &aid)
{
    const auto encoded = [](const QString &value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); };
    return QStringLiteral("https://") + host + QStringLiteral("/gdshop/registrar/search.asp?isc=") + encoded(isc) +
           QStringLiteral("&pid=") + encoded(pid) + QStringLiteral("&aid=") + encoded(aid) +
           QStringLiteral("&checkAvail=1&domaintocheck=");
}

QString Branding::defaultPurchaseUrlPrefix()
{
    return purchaseAddress(QLatin1String(defaultPurchaseHost), QLatin1String(defaultPartnerIsc),
                           QLatin1String(defaultPartnerPid), QLatin1String(defaultPartnerAid));
}

QStringList Branding::defaultMarketplaceHomePages()
{
    QStringList homePages;
    for (const auto &marketplace : marketplaceKeys)
        homePages << QLatin1String(marketplace.homePage);
    return homePages;
}

Branding applyBranding(const QString &shippedDataDir)
{
    Branding branding;
    const QHash<QString, QString> values =
        readBrandingFile(QDir(shippedDataDir).filePath(QStringLiteral("branding.ini")));

    readText(values, "productName", branding.productName);
    readText(values, "companyName", branding.companyName);
    readText(values, "comments", branding.comments);

    readSwitch(values, "purchaseOnDoubleClick", branding.purchaseOnDoubleClick);
    QString host = QLatin1String(defaultPurchaseHost);
    QString isc = QLatin1String(defaultPartnerIsc);
    QString pid = QLatin1String(defaultPartnerPid);
    QString aid = QLatin1String(defaultPartnerAid);
    readText(values, "purchaseHost", host);
    readText(values, "purchaseIsc", isc);
    readText(values, "purchasePid", pid);
    readText(values, "purchaseAid", aid);
    branding.purchaseUrlPrefix = Branding::purchaseAddress(host, isc, pid, aid);

    readSwitch(values, "useSkin", branding.useSkin);
    readSwitch(values, "useSplashIcon", branding.useSplashIcon);
    readSwitch(values, "showBanner", branding.showBanner);
    readText(values, "bannerUrl", branding.bannerUrl);
    branding.bannerUrl = resolveAddress(shippedDataDir, branding.bannerUrl);
    readText(values, "skinFile", branding.skinFile);
    branding.skinFile = resolvePath(shippedDataDir, branding.skinFile);

    for (qsizetype index = 0; index < branding.marketplaceHomePages.size(); ++index)
        readText(values, marketplaceKeys[index].key, branding.marketplaceHomePages[index]);
    readText(values, "afternicRefId", branding.afternicRefId);
    readText(values, "sedoPartnerId", branding.sedoPartnerId);

    readText(values, "whoisInfoHost", branding.whoisInfoHost);
    readPort(values, "whoisInfoPort", branding.whoisInfoPort);
    return branding;
}

QString programVersion()
{
    return QString::number(VANTREL_VERSION_MAJOR) + QLatin1Char('.') + QString::number(VANTREL_VERSION_MINOR);
}
