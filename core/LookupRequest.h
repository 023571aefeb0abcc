#pragma once

#include "core/LookupResult.h"
#include "core/LookupRoute.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct LookupContext;

// One name admitted for a lookup, decided once: the name as given, the name
// as asked, its bytes on the wire and the registry that will be asked. Every
// later step (history, DNS, the registry query, pacing) reads it and never
// prepares or routes the name again.
struct LookupRequest
{
    QString given;    // as the list or the user gave it
    QString prepared; // with the chosen TLD or default extension
    QByteArray ascii; // the IDNA form sent; empty when the name is not a domain name
    LookupRoute route;

    bool hasAsciiForm() const { return !ascii.isEmpty(); }
    // Whether a registry can be asked at all: an ASCII form and a route.
    bool isAskable() const { return hasAsciiForm() && route.error.isEmpty(); }
    // The registry's host, in lower case: the WHOIS host, or the host of the
    // RDAP base URL. Rows and suffixes served by one host share its pace.
    QString registryHost() const;
    // The Error outcome of a request no registry can be asked about (reason
    // "badname", "badrow" or "norow"); nothing for an askable one.
    std::optional<LookupResult> unaskable() const;
};

LookupRequest admitLookup(const QString &given, const QString &chosenTld, const LookupContext &context);
