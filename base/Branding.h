#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Product texts and switches, filled once at start and passed to whoever needs them.
// The initialisers are the built-in values; applyBranding() replaces them with
// those of the branding file shipped with the program.
struct Branding
{
    QString productName = QStringLiteral("Vantrel");
    // The application name the settings are filed under. Stored settings are
    // found by it, so it outlives renames of the product.
    QString settingsName = QStringLiteral("Ornisk");
    QString companyName = QStringLiteral("vantrel.example");
    QString comments = QStringLiteral("www.vantrel.example");

    // Double-click in a result list opens purchaseUrlPrefix + the name;
    // when off it opens the WHOIS information window.
    bool purchaseOnDoubleClick = true;
    QString purchaseUrlPrefix = defaultPurchaseUrlPrefix();

    bool useSkin = true;
    bool useSplashIcon = true;
    bool showBanner = true;
    // After applyBranding() an absolute address; a relative value names a
    // file in the shipped-data folder.
    QString bannerUrl = QStringLiteral("banner.html");
    // Colours and style sheet of the skin; after applyBranding() an absolute path.
    QString skinFile = QStringLiteral("vantrel.skin");

    // Home pages of the browse window's marketplace buttons, in button order:
    // BuyDomains, Google, DMOZ, AfterNIC, NameJet, Sedo, TDNAM, SnapNames, DotPound.
    QStringList marketplaceHomePages = defaultMarketplaceHomePages();
    // The referral values of the Afternic and Sedo addresses.
    QString afternicRefId = QStringLiteral("100001");
    QString sedoPartnerId = QStringLiteral("100001");

    // The fixed server of the WHOIS information window.
    QString whoisInfoHost = QStringLiteral("whois.verisign-grs.com");
    quint16 whoisInfoPort = 43;

    // https://HOST/gdshop/registrar/search.asp?isc=..&pid=..&aid=..&checkAvail=1&domaintocheck=
    // (the domain is appended to it unchanged).
    static QString purchaseAddress(const QString &host, const QString &isc, const QString &pid, const QString &aid);
    // The address with the built-in registrar host and partner values.
    static QString defaultPurchaseUrlPrefix();
    static QStringList defaultMarketplaceHomePages();
};

// The branding values: the built-in ones, overridden key by key by
// <shippedDataDir>/branding.ini when that file exists. Relative bannerUrl and
// skinFile values are resolved against shippedDataDir. Never fails: a missing
// file, unknown keys and unreadable values leave the built-in values.
Branding applyBranding(const QString &shippedDataDir);

// The program's version as "major.minor", in decimal without leading zeros.
QString programVersion();
