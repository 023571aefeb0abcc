#pragma once

#include "harvest/PageReading.h"

#include <QSet>
#include <QString>
#include <QStringList>

class RegistryDirectory;

struct HarvestData;

// Which domain names a page yields, the same for the list builder and the
// browse window: a host counts only when its last label(s) are a suffix the
// run takes, and it yields the label before the longest suffix names are
// sold under ("www.shop.example.co.uk" gives "example.co.uk" whether uk or
// co.uk is the row taken). The engines' own and infrastructure domains are
// never taken.
class NameRules
{
public:
    NameRules() = default;
    // extensions: the enabled TLD rows (TldTable::enabledExtensionSet).
    // registries: when not null, every suffix it has a registry for is taken
    // as well ("every TLD"); it must outlive the rules.
    NameRules(const QStringList &extensions, const RegistryDirectory *registries, const HarvestData &harvest);

    // The name a host yields, lower case, or empty. The host is cut at a
    // port, and its labels must be host labels.
    QString nameOfHost(QStringView host) const;
    // The name of the host a link goes to, through a search engine's redirect
    // address to its target; "mailto:" gives the mail domain. Relative
    // addresses and other schemes give nothing.
    QString nameOfLink(const QString &address) const;
    // Every host name written in the text, each whole: a name is never the
    // left part of a longer one ("innz.net" of "innz.net.nz"), and the user
    // part of a mail address is not a host.
    QStringList namesInText(QStringView text) const;
    QStringList namesOf(const PagePiece &piece) const;

private:
    bool takesSuffix(const QString &suffix) const;

    QSet<QString> m_extensions;
    const RegistryDirectory *m_registries = nullptr;
    QSet<QString> m_ownDomains;
    QSet<QString> m_registrationSuffixes;
};

// The shipped harvest data (folder data/harvest of the shipped files).
struct HarvestData
{
    // own-domains.txt: one domain per line ("name.*" for the name under any
    // suffix, "*.tld" for every name under the TLD), "#" starts a comment.
    QSet<QString> ownDomains;
    // registry-suffixes.txt: the suffixes names are sold under one level
    // down ("co.uk"), one per line.
    QSet<QString> registrationSuffixes;
    // blocked-pages.txt: texts (one per line, matched ignoring case) that
    // only a captcha or consent page holds.
    QStringList blockedPageMarkers;

    // False with *error naming what could not be read; what was read is kept.
    bool load(const QString &folder, QString *error = nullptr);
    // From the shipped data folder of the running program.
    static HarvestData shipped();
    // Whether the page is one of those that stand in for the results.
    bool isBlockedPage(QStringView page) const;
};
