#include "core/LookupRoute.h"

#include "core/DefaultTldTable.h"
#include "core/LookupContext.h"
#include "core/RegistryDirectory.h"
#include "core/TldTable.h"

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
    route.port = route.isRdap() ? 443 : quint16(entry.port);
    route.throttleMs = entry.throttleMs;
    route.successIndicators = entry.successIndicators;
    return route;
}

LookupRoute routeLookup(const QString &domain, const TldTable &table, bool useProxy,
                        const RegistryDirectory &registries)
{
    int row = useProxy ? table.findTldIndex(domain, true) : table.findEnabledRow(domain);
    // A registry of a longer suffix (br.com) answers for its names, not the
    // row of the shorter one (com), unless that suffix has an enabled row.
    const QString registrySuffix = registries.whoisSuffix(domain);
    if (!useProxy && row >= 0 &&
        registrySuffix.count(QLatin1Char('.')) > table.entry(row).extension.count(QLatin1Char('.')))
        row = table.findEnabledExtension(registrySuffix);
    if (row >= 0)
        return routeForRow(table, row);
    LookupRoute route;
    route.successIndicators = QString::fromLatin1(DefaultTldTable::standardIndicators);
    route.server = registries.whoisHost(domain);
    if (!route.server.isEmpty())
        return route;
    route.server = registries.rdapBaseUrl(domain);
    route.port = 443;
    if (route.server.isEmpty())
        route.error = QStringLiteral("No registry is known for .%1").arg(domain.section(QLatin1Char('.'), -1));
    return route;
}

LookupRoute routeLookup(const QString &domain, const LookupContext &context)
{
    LookupRoute route = routeLookup(domain, context.tldTable, context.useProxy, context.registries);
    if (context.serverOverride.host.isEmpty())
        return route;
    route.server = context.serverOverride.host;
    route.port = context.serverOverride.port;
    route.error.clear();
    route.badRow = false;
    return route;
}
