#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Captions of the browse window's marketplace buttons, in button order.
QStringList marketplaceCaptions();

// The address a marketplace button opens, recognised by its caption (ignoring
// case): one holding "afternic" gives the home page's site with
// "/index.php?ref_id=" + afternicRefId, one holding "sedo" the home page's
// site with "/main.php3?language=us&partnerid=" + sedoPartnerId, any other
// its home page as it is.
QUrl marketplaceAddress(const QString &caption, const QString &homePage, const QString &afternicRefId,
                        const QString &sedoPartnerId);
