#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

// Which registry answers for a domain name on today's internet: the port-43
// WHOIS server of its longest known suffix, and the RDAP base URL of its TLD
// from IANA's bootstrap file. Both come from files shipped with the program,
// or from newer copies in the program folder.
class RegistryDirectory
{
public:
    // The files of a registry folder, and the folder of newer copies in the
    // program folder (written by `vantrel registries update`).
    static constexpr const char *whoisFile = "whois-servers.txt";
    static constexpr const char *rdapFile = "rdap-dns.json";
    static QString updatedFolder(const QString &programFolder);

    // Reads "<suffix> <host>" lines ("-" for no port-43 service); comments
    // ("#") and malformed lines are skipped. False with *error when the file
    // cannot be read.
    bool loadWhoisServers(const QString &path, QString *error);
    // Reads an RDAP bootstrap file (RFC 9224). False with *error, and no
    // RDAP servers known, when it is missing or not a bootstrap file.
    bool loadRdapBootstrap(const QString &path, QString *error);
    // The same for a bootstrap file's contents; name is for messages.
    bool readRdapBootstrap(const QByteArray &contents, const QString &name, QString *error);

    // Both files of a shipped registry folder (whois-servers.txt and
    // rdap-dns.json). Whatever loads is used; *error lists what did not.
    bool loadFolder(const QString &folder, QString *error);
    // The shipped folder's files, each replaced by its copy in
    // updatedFolder when that copy is there and loads; *error says what did
    // not load, and which copy was passed over.
    bool loadFolders(const QString &shippedFolder, const QString &updatedFolder, QString *error);

    // The bootstrap file in use, its "publication" (invalid when it has
    // none) and the number of TLDs it serves.
    QString rdapPath() const { return m_rdapPath; }
    QDateTime rdapPublication() const { return m_rdapPublication; }
    int rdapTldCount() const { return int(m_rdapBases.size()); }
    QString whoisPath() const { return m_whoisPath; }

    // The WHOIS host of the longest suffix that equals the domain or ends it
    // after a dot; empty when none is known or the registry has no port-43
    // service.
    QString whoisHost(const QString &domain) const;
    // That longest suffix ("co.za"), or empty.
    QString whoisSuffix(const QString &domain) const;
    // The RDAP base URL (ending in "/") of the longest suffix of the domain
    // that the bootstrap lists (its TLD), or empty; empty too when the
    // shipped list knows another registry's WHOIS server for a longer suffix
    // of the name (br.com is not Verisign's), since that suffix's registry
    // is not the one the RDAP service answers for.
    QString rdapBaseUrl(const QString &domain) const;

    // Whether names are sold directly under the suffix ("co.za", "io"): it is
    // listed, and a registry answers for it over port 43 or RDAP.
    bool servesSuffix(const QString &suffix) const;

private:
    QHash<QString, QString> m_whoisHosts; // suffix -> host, "" for none
    QHash<QString, QString> m_rdapBases;  // TLD -> base URL
    QString m_whoisPath;
    QString m_rdapPath;
    QDateTime m_rdapPublication;
};
