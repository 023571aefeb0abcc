#include "harvest/Marketplace.h"

#include <QUrlQuery>

namespace {

QUrl withPathAndQuery(const QString &homePage, const QString &path, const QList<QPair<QString, QString>> &queryItems)
{
    QUrl address = QUrl::fromUserInput(homePage);
    address.setPath(path);
    QUrlQuery query;
    query.setQueryItems(queryItems);
    address.setQuery(query);
    address.setFragment(QString());
    return address;
}

} // namespace

QStringList marketplaceCaptions()
{
    return {QStringLiteral("BuyDomains"), QStringLiteral("Google"),    QStringLiteral("DMOZ"),
            QStringLiteral("AfterNIC"),   QStringLiteral("NameJet"),   QStringLiteral("Sedo"),
            QStringLiteral("TDNAM"),      QStringLiteral("SnapNames"), QStringLiteral("DotPound")};
}

QUrl marketplaceAddress(const QString &caption, const QString &homePage, const QString &afternicRefId,
                        const QString &sedoPartnerId)
{
    if (caption.contains(QLatin1String("afternic"), Qt::CaseInsensitive))
        return withPathAndQuery(homePage, QStringLiteral("/index.php"), {{QStringLiteral("ref_id"), afternicRefId}});
    if (caption.contains(QLatin1String("sedo"), Qt::CaseInsensitive))
        return withPathAndQuery(
            homePage, QStringLiteral("/main.php3"),
            {{QStringLiteral("language"), QStringLiteral("us")}, {QStringLiteral("partnerid"), sedoPartnerId}});
    return QUrl::fromUserInput(homePage);
}
