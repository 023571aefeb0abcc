#include "core/RegistryDirectory.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

bool isDomainText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z0-9-]+(\\.[a-z0-9-]+)*$"));
    return pattern.match(text).hasMatch();
}

// The suffixes of a name after its label, longest first: co.za, za for
// example.co.za.
QStringList suffixesOf(const QString &domain)
{
    QStringList suffixes;
    QString rest = domain.toLower();
    for (qsizetype dot = rest.indexOf(QLatin1Char('.')); dot >= 0; dot = rest.indexOf(QLatin1Char('.'))) {
        rest = rest.mid(dot + 1);
        if (!rest.isEmpty())
            suffixes << rest;
    }
    return suffixes;
}

} // namespace

bool RegistryDirectory::loadWhoisServers(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read the WHOIS server list %1: %2").arg(path, file.errorString());
        return false;
    }
    m_whoisHosts.clear();
    m_whoisPath = path;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).trimmed();
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 2)
            continue;
        const QString suffix = fields.at(0).toLower();
        const QString host = fields.at(1).toLower();
        if (!isDomainText(suffix) || (host != QLatin1String("-") && !isDomainText(host)))
            continue;
        m_whoisHosts.insert(suffix, host == QLatin1String("-") ? QString() : host);
    }
    return true;
}

bool RegistryDirectory::loadRdapBootstrap(const QString &path, QString *error)
{
    m_rdapBases.clear();
    m_rdapPath.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the RDAP bootstrap file %1: %2; names without a WHOIS server "
                                "cannot be looked up")
                     .arg(path, file.errorString());
        return false;
    }
    if (!readRdapBootstrap(file.readAll(), path, error))
        return false;
    m_rdapPath = path;
    return true;
}

bool RegistryDirectory::readRdapBootstrap(const QByteArray &contents, const QString &name, QString *error)
{
    m_rdapBases.clear();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(contents, &parseError);
    const QJsonValue services = document.object().value(QLatin1String("services"));
    if (parseError.error != QJsonParseError::NoError || !services.isArray() || services.toArray().isEmpty()) {
        *error = QStringLiteral("the RDAP bootstrap file %1 is not a bootstrap file (%2); names without a WHOIS "
                                "server cannot be looked up")
                     .arg(name, parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                             : QStringLiteral("no services"));
        return false;
    }
    m_rdapPublication =
        QDateTime::fromString(document.object().value(QLatin1String("publication")).toString(), Qt::ISODate);
    for (const QJsonValue &service : services.toArray()) {
        const QJsonArray tlds = service.toArray().at(0).toArray();
        QString base;
        for (const QJsonValue &url : service.toArray().at(1).toArray()) {
            const QString text = url.toString();
            // An https address is preferred over a plain one.
            if (text.startsWith(QLatin1String("https://")) ||
                (base.isEmpty() && text.startsWith(QLatin1String("http://"))))
                base = text;
        }
        if (base.isEmpty())
            continue;
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        for (const QJsonValue &tld : tlds)
            m_rdapBases.insert(tld.toString().toLower(), base);
    }
    return true;
}

bool RegistryDirectory::loadFolder(const QString &folder, QString *error)
{
    QString whoisError;
    QString rdapError;
    const bool whoisLoaded = loadWhoisServers(folder + QLatin1String("/whois-servers.txt"), &whoisError);
    const bool rdapLoaded = loadRdapBootstrap(folder + QLatin1String("/rdap-dns.json"), &rdapError);
    *error = QStringList{whoisError, rdapError}.join(QLatin1String("; "));
    if (whoisError.isEmpty() || rdapError.isEmpty())
        *error = whoisError + rdapError;
    return whoisLoaded && rdapLoaded;
}

bool RegistryDirectory::loadFolders(const QString &shippedFolder, const QString &updatedFolder, QString *error)
{
    QStringList problems;
    bool loaded = true;
    const auto loadNewest = [&](const char *fileName, bool (RegistryDirectory::*load)(const QString &, QString *)) {
        const QString updated = updatedFolder + QLatin1Char('/') + QLatin1String(fileName);
        QString problem;
        if (QFile::exists(updated)) {
            if ((this->*load)(updated, &problem))
                return;
            problems << problem + QStringLiteral("; the shipped copy is used");
        }
        if (!(this->*load)(shippedFolder + QLatin1Char('/') + QLatin1String(fileName), &problem)) {
            problems << problem;
            loaded = false;
        }
    };
    loadNewest(whoisFile, &RegistryDirectory::loadWhoisServers);
    loadNewest(rdapFile, &RegistryDirectory::loadRdapBootstrap);
    *error = problems.join(QLatin1String("; "));
    return loaded && problems.isEmpty();
}

QString RegistryDirectory::updatedFolder(const QString &programFolder)
{
    return programFolder + QLatin1String("/registry");
}

QString RegistryDirectory::whoisHost(const QString &domain) const
{
    return m_whoisHosts.value(whoisSuffix(domain));
}

QString RegistryDirectory::whoisSuffix(const QString &domain) const
{
    for (const QString &suffix : suffixesOf(domain)) {
        if (m_whoisHosts.contains(suffix))
            return suffix;
    }
    return {};
}

QString RegistryDirectory::rdapBaseUrl(const QString &domain) const
{
    const QString whoisSuffix = this->whoisSuffix(domain);
    const QString whoisHost = m_whoisHosts.value(whoisSuffix);
    for (const QString &suffix : suffixesOf(domain)) {
        const auto found = m_rdapBases.constFind(suffix);
        if (found == m_rdapBases.constEnd())
            continue;
        const bool longerSuffixElsewhere = whoisSuffix.size() > suffix.size() && !whoisHost.isEmpty() &&
                                           whoisHost != m_whoisHosts.value(suffix);
        return longerSuffixElsewhere ? QString() : *found;
    }
    return {};
}

bool RegistryDirectory::servesSuffix(const QString &suffix) const
{
    const auto host = m_whoisHosts.constFind(suffix);
    if (host != m_whoisHosts.constEnd() && !host->isEmpty())
        return true;
    if (m_rdapBases.contains(suffix))
        return true;
    // A listed suffix without port-43 service is asked over its TLD's RDAP.
    return host != m_whoisHosts.constEnd() && m_rdapBases.contains(suffix.section(QLatin1Char('.'), -1));
}
