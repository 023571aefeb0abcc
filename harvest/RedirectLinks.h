#pragma once

#include <QString>

// Search engines link their results through redirect addresses that carry the
// real target inside: Yahoo "/RU=<percent-encoded>/", Google "/url?q=" (or
// "url="), Bing "u=a1<base64url>" and DuckDuckGo "uddg=<percent-encoded>".
// The engine's own host is what such a link shows; the result is the target.

// The target of one redirect address ("&amp;" read as "&"), or the empty text
// when the address wraps no http:// or https:// target.
QString redirectTarget(const QString &address);
