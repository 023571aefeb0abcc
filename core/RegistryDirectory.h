#pragma once

#include <QHash>
#include <QString>

// Which registry answers for a domain name on today's internet: the port-43
// WHOIS server of its longest known suffix, and the RDAP base URL of its TLD
// from IANA's bootstrap file. Both come from files shipped with the program.
class RegistryDirectory
{
public:
    // Reads "<suffix> <host>" lines ("-" for no port-43 service); comments
    // ("#") and malformed lines are skipped. False with *error when the file
    // cannot be read.
    bool loadWhoisServers(const QString &path, QString *error);
    // Reads an RDAP bootstrap file (RFC 9224). False with *error, and no
    // RDAP servers known, when it is missing or not a bootstrap file.
    bool loadRdapBootstrap(const QString &path, QString *error);

    // Both files of a shipped registry folder (whois-servers.txt and
    // rdap-dns.json). Whatever loads is used; *error lists what did not.
    bool loadFolder(const QString &folder, QString *error);

    // The WHOIS host of the longest suffix that equals the domain or ends it
    // after a dot; empty when none is known or the registry has no port-43
    // service.
    QString whoisHost(const QString &domain) const;
    // That longest suffix ("co.za"), or empty.
    QString whoisSuffix(const QString &domain) const;
    // The RDAP base URL (ending in "/") for the domain's TLD, or empty.
    QString rdapBaseUrl(const QString &domain) const;

    // Whether names are sold directly under the suffix ("co.za", "io"): it is
    // listed, and a registry answers for it over port 43 or RDAP.
    bool servesSuffix(const QString &suffix) const;

private:
    QHash<QString, QString> m_whoisHosts; // suffix -> host, "" for none
    QHash<QString, QString> m_rdapBases;  // TLD -> base URL
};
