#pragma once

#include <QString>

// Search engines link their results through redirect addresses that carry the
// real target inside: Yahoo "/RU=<percent-encoded>/", Google "/url?q=" (or
// "url="), Bing "u=a1<base64url>" and DuckDuckGo "uddg=<percent-encoded>".
// The engine's own host is what such a link shows, so a name filter on the
// engine host would drop every result.

// The target of one redirect address ("&amp;" read as "&"), or the empty text
// when the address wraps no http:// or https:// target.
QString redirectTarget(const QString &address);

// The page text with every redirect address replaced by its target. An
// address is the run of characters around a wrapper mark up to a quote, "<",
// ">" or white space. Text without wrapped links comes back unchanged.
QString unwrapRedirectLinks(const QString &pageText);
