#include "harvest/NameRules.h"

#include "core/RegistryDirectory.h"
#include "harvest/RedirectLinks.h"
#include "settings/ProgramFolder.h"

#include <QFile>

#include <utility>

namespace {

bool isHostCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}

bool isHostLabel(QStringView label)
{
    if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
        return false;
    for (QChar c : label) {
        if (!isHostCharacter(c) || c == u'.')
            return false;
    }
    return true;
}

// A TLD is letters, or an IDNA "xn--" label.
bool isTopLabel(QStringView label)
{
    if (label.startsWith(u"xn--"))
        return true;
    for (QChar c : label) {
        if (!c.isLetter())
            return false;
    }
    return label.size() >= 2;
}

// Written text names a host in lower case ("example.com") or all in capitals
// ("EXAMPLE.COM"); "end.It" is two sentences.
bool writtenAsHost(QStringView token)
{
    const QStringView top = token.mid(token.lastIndexOf(u'.') + 1);
    if (top.toString().toLower() == top)
        return true;
    return token.toString().toUpper() == token;
}

QStringView trimmedToken(QStringView token)
{
    while (!token.isEmpty() && (token.front() == u'.' || token.front() == u'-'))
        token = token.mid(1);
    while (!token.isEmpty() && (token.back() == u'.' || token.back() == u'-'))
        token.chop(1);
    return token;
}

QStringList readDataLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    QStringList lines;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).trimmed();
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace

NameRules::NameRules(const QStringList &extensions, const RegistryDirectory *registries, const HarvestData &harvest)
    : m_registries(registries)
    , m_ownDomains(harvest.ownDomains)
    , m_registrationSuffixes(harvest.registrationSuffixes)
{
    for (const QString &extension : extensions)
        m_extensions.insert(extension.toLower());
}

bool NameRules::takesSuffix(const QString &suffix) const
{
    return m_extensions.contains(suffix) || (m_registries && m_registries->servesSuffix(suffix));
}

QString NameRules::nameOfHost(QStringView host) const
{
    const qsizetype port = host.indexOf(u':');
    if (port >= 0)
        host = host.left(port);
    if (host.endsWith(u'.'))
        host.chop(1);
    const QStringList labels = host.toString().toLower().split(u'.');
    if (labels.size() < 2 || !isTopLabel(labels.last()))
        return {};
    for (const QString &label : labels) {
        if (!isHostLabel(label))
            return {};
    }
    // The host counts when a suffix of it is taken; the name is the label
    // before the longest suffix names are sold under.
    qsizetype boundary = -1;
    bool taken = false;
    for (qsizetype first = labels.size() - 1; first >= 1; --first) {
        const QString suffix = labels.mid(first).join(u'.');
        if (takesSuffix(suffix)) {
            taken = true;
            boundary = first;
        } else if (taken && m_registrationSuffixes.contains(suffix)) {
            boundary = first;
        }
    }
    if (!taken)
        return {};
    const QString &label = labels.at(boundary - 1);
    const QString name = label + u'.' + labels.mid(boundary).join(u'.');
    const bool own = m_ownDomains.contains(name) || m_ownDomains.contains(label + QLatin1String(".*")) ||
                     m_ownDomains.contains(QLatin1String("*.") + labels.last());
    return own ? QString() : name;
}

QString NameRules::nameOfLink(const QString &address) const
{
    const QString target = redirectTarget(address);
    QStringView link = target.isEmpty() ? QStringView(address) : QStringView(target);
    if (link.startsWith(u"mailto:", Qt::CaseInsensitive)) {
        link = link.mid(link.indexOf(u'@') + 1);
        const qsizetype query = link.indexOf(u'?');
        return nameOfHost(query >= 0 ? link.left(query) : link);
    }
    const qsizetype authority = link.indexOf(u"//");
    if (authority < 0)
        return {};
    const QStringView scheme = link.left(authority);
    if (!scheme.isEmpty() && scheme.compare(u"http:", Qt::CaseInsensitive) != 0 &&
        scheme.compare(u"https:", Qt::CaseInsensitive) != 0 && scheme.compare(u"ftp:", Qt::CaseInsensitive) != 0)
        return {};
    QStringView host = link.mid(authority + 2);
    for (qsizetype at = 0; at < host.size(); ++at) {
        if (QStringView(u"/?#\\").contains(host.at(at))) {
            host = host.left(at);
            break;
        }
    }
    return nameOfHost(host.mid(host.lastIndexOf(u'@') + 1));
}

QStringList NameRules::namesInText(QStringView text) const
{
    QStringList names;
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isHostCharacter(text.at(at))) {
            ++at;
            continue;
        }
        const qsizetype start = at;
        while (at < text.size() && isHostCharacter(text.at(at)))
            ++at;
        // The user part of a mail address, or a word glued to characters
        // beyond ASCII ("ingl\u00e9s.com" read byte by byte).
        if (at < text.size() && (text.at(at) == u'@' || text.at(at).unicode() >= 0x80))
            continue;
        if (start > 0 && text.at(start - 1).unicode() >= 0x80)
            continue;
        const QStringView token = trimmedToken(text.mid(start, at - start));
        if (!token.contains(u'.') || !writtenAsHost(token))
            continue;
        const QString name = nameOfHost(token);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

QStringList NameRules::namesOf(const PagePiece &piece) const
{
    switch (piece.kind) {
    case PagePiece::Kind::Link: {
        const QString name = nameOfLink(piece.text);
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    case PagePiece::Kind::Text:
        return namesInText(piece.text);
    case PagePiece::Kind::Frame:
        break;
    }
    return {};
}

bool HarvestData::load(const QString &folder, QString *error)
{
    QString ownError;
    QString markerError;
    const QStringList own = readDataLines(folder + QLatin1String("/own-domains.txt"), &ownError);
    for (const QString &domain : own)
        ownDomains.insert(domain.toLower());
    QString suffixError;
    for (const QString &suffix : readDataLines(folder + QLatin1String("/registry-suffixes.txt"), &suffixError))
        registrationSuffixes.insert(suffix.toLower());
    blockedPageMarkers = readDataLines(folder + QLatin1String("/blocked-pages.txt"), &markerError);
    if (error) {
        QStringList errors{ownError, suffixError, markerError};
        errors.removeAll(QString());
        *error = errors.join(u"; ");
    }
    return ownError.isEmpty() && suffixError.isEmpty() && markerError.isEmpty();
}

HarvestData HarvestData::shipped()
{
    HarvestData data;
    data.load(ProgramFolder::shippedDataDir() + QLatin1String("/harvest"));
    return data;
}

bool HarvestData::isBlockedPage(QStringView page) const
{
    for (const QString &marker : blockedPageMarkers) {
        if (page.contains(marker, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
