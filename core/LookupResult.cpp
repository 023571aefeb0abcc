#include "core/LookupResult.h"

QString LookupResult::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Available:
        return QStringLiteral("available");
    case Kind::Registered:
        return QStringLiteral("registered");
    case Kind::Blocked:
        return QStringLiteral("blocked");
    case Kind::Timeout:
        return QStringLiteral("timeout");
    case Kind::Error:
        return QStringLiteral("error");
    }
    return {};
}
