#include "core/LookupRoute.h"

#include "core/DefaultTldTable.h"
#include "core/LookupContext.h"
#include "core/LookupResult.h"
#include "core/RegistryDirectory.h"
#include "core/TldTable.h"

#include <QUrl>

namespace {

constexpr quint16 whoisPort = 43;
constexpr quint16 httpsPort = 443;

// A row that names the registry's own WHOIS server, as the default table or
// the shipped list knows it: the registry, not the user's choice of server.
bool namesRegistryServer(const TldEntry &entry, const QString &domain, const RegistryDirectory &registries)
{
    if (entry.port != whoisPort || LookupRoute::isRdapServer(entry.whoisServer))
        return false;
    return entry.whoisServer == DefaultTldTable::serverOf(entry.extension) ||
           entry.whoisServer == registries.whoisHost(domain);
}

// The registry's WHOIS route (server empty when it has none) with its RDAP
// service (empty when it has none) in the preferred order.
LookupRoute withRdap(LookupRoute route, const QString &rdapBase, RegistryProtocol preferred)
{
    if (rdapBase.isEmpty())
        return route;
    if (route.server.isEmpty() || preferred == RegistryProtocol::Rdap) {
        route.fallbackServer = route.server;
        route.fallbackPort = route.server.isEmpty() ? whoisPort : route.port;
        route.server = rdapBase;
        route.port = httpsPort;
    } else {
        route.fallbackServer = rdapBase;
        route.fallbackPort = httpsPort;
    }
    return route;
}

} // namespace

bool LookupRoute::isRdapServer(const QString &server)
{
    return server.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           server.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
}

LookupRoute routeForRow(const TldTable &table, int row)
{
    const TldEntry &entry = table.entry(row);
    LookupRoute route;
    route.error = table.problem(row);
    route.badRow = !route.error.isEmpty();
    route.server = entry.whoisServer;
    route.port = route.isRdap() ? httpsPort : quint16(entry.port);
    route.throttleMs = entry.throttleMs;
    route.successIndicators = entry.successIndicators;
    return route;
}

QString LookupRoute::host() const
{
    return isRdap() ? QUrl(server).host().toLower() : server.toLower();
}

LookupRoute LookupRoute::fallback() const
{
    LookupRoute route = *this;
    route.server = fallbackServer;
    route.port = fallbackPort;
    route.fallbackServer.clear();
    route.fallbackPort = whoisPort;
    return route;
}

bool LookupRoute::unreachable(const LookupResult &ending) const
{
    if (ending.kind != LookupResult::Kind::Error)
        return false;
    // The pool reports an RDAP failure (no connection, TLS, a status or body
    // that is no RDAP answer) as a network error, with the status in the reason.
    return ending.error == LookupResult::ErrorKind::Network ||
           (!isRdap() && ending.error == LookupResult::ErrorKind::EmptyReply);
}

LookupRoute routeLookup(const QString &domain, const TldTable &table, bool useProxy,
                        const RegistryDirectory &registries, RegistryProtocol preferred)
{
    int row = useProxy ? table.findTldIndex(domain, true) : table.findEnabledRow(domain);
    // A registry of a longer suffix (br.com) answers for its names, not the
    // row of the shorter one (com), unless that suffix has an enabled row.
    const QString registrySuffix = registries.whoisSuffix(domain);
    if (!useProxy && row >= 0 &&
        registrySuffix.count(QLatin1Char('.')) > table.entry(row).extension.count(QLatin1Char('.')))
        row = table.findEnabledExtension(registrySuffix);
    LookupRoute route;
    if (row >= 0) {
        route = routeForRow(table, row);
        const TldEntry &entry = table.entry(row);
        if (useProxy || route.badRow || !namesRegistryServer(entry, domain, registries))
            return route;
        return withRdap(route, registries.rdapBaseUrl(domain), preferred);
    }
    route.successIndicators = QString::fromLatin1(DefaultTldTable::standardIndicators);
    route.server = registries.whoisHost(domain);
    route = withRdap(route, registries.rdapBaseUrl(domain), preferred);
    if (route.server.isEmpty())
        route.error = QStringLiteral("No registry is known for .%1").arg(domain.section(QLatin1Char('.'), -1));
    return route;
}

LookupRoute routeLookup(const QString &domain, const LookupContext &context)
{
    LookupRoute route =
        routeLookup(domain, context.tldTable, context.useProxy, context.registries, context.preferredProtocol);
    if (context.serverOverride.host.isEmpty())
        return route;
    route.server = context.serverOverride.host;
    route.port = context.serverOverride.port;
    route.fallbackServer.clear();
    route.error.clear();
    route.badRow = false;
    return route;
}
