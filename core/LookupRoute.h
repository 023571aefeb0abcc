#pragma once

#include <QString>

struct LookupContext;
class RegistryDirectory;
class TldTable;

// Where and how one name is asked: a WHOIS host and port, or an RDAP base
// URL, with the pause after the query and the phrases that mean "free".
struct LookupRoute
{
    QString server; // a host name, or an RDAP base URL ("https://...")
    quint16 port = 43;
    qint32 throttleMs = 25;
    QString successIndicators;
    QString error; // set when nobody is known to answer for the name
    bool badRow = false; // the error is the name's TLD row, which cannot be asked

    bool isRdap() const { return isRdapServer(server); }
    static bool isRdapServer(const QString &server);
};

// The route of one row of the table: its server, port, pause and phrases;
// a row that cannot be asked gets its problem as error.
LookupRoute routeForRow(const TldTable &table, int row);

// The name's enabled TLD row (with the proxy switch on, the proxy row) unless
// the shipped list knows a registry of a longer suffix of the name, else
// the shipped WHOIS server of its longest known suffix, else the RDAP server
// of its TLD, else an error "No registry is known for .<tld>". A name whose
// TLD has no enabled row is never sent to another TLD's server; a name whose
// row cannot be asked (a bad server or port) gets the row's problem as error.
LookupRoute routeLookup(const QString &domain, const TldTable &table, bool useProxy,
                        const RegistryDirectory &registries);

// routeLookup() with the context's table, proxy switch and registries; a
// server override keeps the route's phrases and pause but names its own
// server, and answers for names nobody else is known for.
LookupRoute routeLookup(const QString &domain, const LookupContext &context);
