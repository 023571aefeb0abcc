#pragma once

#include <QString>

struct LookupContext;
struct LookupResult;
class RegistryDirectory;
class TldTable;

// Which protocol is asked first where a registry speaks both.
enum class RegistryProtocol { Rdap, Whois };

// Where and how one name is asked: a WHOIS host and port, or an RDAP base
// URL, with the pause after the query and the phrases that mean "free".
struct LookupRoute
{
    QString server; // a host name, or an RDAP base URL ("https://...")
    quint16 port = 43;
    qint32 throttleMs = 25;
    QString successIndicators; // judge WHOIS replies, whichever side asks WHOIS
    QString error; // set when nobody is known to answer for the name
    bool badRow = false; // the error is the name's TLD row, which cannot be asked
    // The same registry over the other protocol, asked when this server
    // cannot be reached; empty when there is none.
    QString fallbackServer;
    quint16 fallbackPort = 43;

    bool isRdap() const { return isRdapServer(server); }
    static bool isRdapServer(const QString &server);
    // The registry's host, in lower case: the WHOIS host, or the host of the
    // RDAP base URL. Rows and suffixes served by one host share its pace.
    QString host() const;

    bool hasFallback() const { return !fallbackServer.isEmpty(); }
    // The route to the fallback server: the same pause and phrases, and no
    // fallback of its own.
    LookupRoute fallback() const;
    // Whether the ending of a query on this route says the server cannot be
    // reached, so that the name (and the server's later names) go to the
    // fallback: it does not resolve, refuses or drops the connection, fails
    // TLS, or (RDAP) answers with no RDAP answer: a redirect not followed, a
    // status other than 200, 404 and 429, 5xx with no Retry-After, a body that
    // is no domain object. An answer (available, registered), a refusal
    // (blocked) or a time-out is no reason to ask elsewhere.
    bool unreachable(const LookupResult &ending) const;
};

// The route of one row of the table: its server, port, pause and phrases;
// a row that cannot be asked gets its problem as error.
LookupRoute routeForRow(const TldTable &table, int row);

// Where a name is asked. The proxy row with the proxy switch on; else the
// name's enabled TLD row unless the shipped list knows a registry of a longer
// suffix of the name, else the shipped WHOIS server of its longest known
// suffix, else an error "No registry is known for .<tld>".
//
// A row that names a server of its own (another host or port than the
// registry's, as the default table or the shipped list knows it, or an RDAP
// URL) is the user's choice: it is asked, and nothing else. Where the row or
// the shipped list names the registry's own WHOIS server and the registry
// also has RDAP (the bootstrap's service for the name's TLD, when no other
// registry serves a longer suffix of the name), the preferred protocol is
// asked first and the other is the fallback; a registry with one protocol
// is asked over it, without one. A name whose TLD has no enabled row is never
// sent to another TLD's server; a name whose row cannot be asked (a bad
// server or port) gets the row's problem as error.
LookupRoute routeLookup(const QString &domain, const TldTable &table, bool useProxy,
                        const RegistryDirectory &registries, RegistryProtocol preferred = RegistryProtocol::Rdap);

// routeLookup() with the context's table, proxy switch, registries and
// preference; a server override keeps the route's phrases and pause but
// names its own server, with no fallback, and answers for names nobody else
// is known for.
LookupRoute routeLookup(const QString &domain, const LookupContext &context);
