#pragma once

#include "core/LookupRoute.h"
#include "core/RegistryDirectory.h"
#include "core/TldTable.h"

#include <QString>

// Process-wide lookup settings, shared by reference between the main
// window's pool, the browse window and the setup window.
struct LookupContext
{
    TldTable tldTable;
    RegistryDirectory registries; // for names whose TLD has no enabled row
    bool useProxy = false;
    // Asked first where a registry speaks both RDAP and WHOIS.
    RegistryProtocol preferredProtocol = RegistryProtocol::Rdap;
    QString defaultExtension = QStringLiteral(".com"); // with its leading dot
    // Ask DNS first: a delegated name is registered without a registry query.
    // Off until the settings are read (where it is on by default).
    bool checkDnsFirst = false;
    QString dnsServer; // empty: the system's resolver
    int dnsInFlight = 64;
    // A name whose last available or registered verdict is younger than this
    // many days is filed from the history without a query; 0 always asks.
    int recheckAfterDays = 0;

    // A WHOIS server asked about every name instead of the table's (a
    // command's --server); an empty host follows the table.
    struct ServerOverride
    {
        QString host;
        quint16 port = 43;
    } serverOverride;

    // Where a prepared name is asked.
    LookupRoute route(const QString &prepared) const
    {
        return routeLookup(prepared, *this);
    }
};
