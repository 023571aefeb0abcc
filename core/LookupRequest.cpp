#include "core/LookupRequest.h"

#include "core/LookupContext.h"
#include "core/NamePreparation.h"


QString LookupRequest::registryHost() const
{
    return route.host();
}

std::optional<LookupResult> LookupRequest::unaskable() const
{
    if (isAskable())
        return std::nullopt;
    LookupResult outcome(0, prepared, route.badRow ? route.server : QString(), LookupResult::Kind::Error);
    outcome.given = given;
    outcome.answeredAt = QDateTime::currentDateTimeUtc();
    if (!hasAsciiForm()) {
        outcome.error = LookupResult::ErrorKind::BadName;
        outcome.errorString = QStringLiteral("%1 is not a domain name: a label is empty, too long, begins or ends "
                                             "with a hyphen, or holds a character no domain name may hold")
                                  .arg(prepared.left(80));
        outcome.reason = QStringLiteral("badname");
    } else if (route.badRow) {
        outcome.error = LookupResult::ErrorKind::BadRow;
        outcome.errorString = route.error;
        outcome.reason = QStringLiteral("badrow");
    } else {
        outcome.error = LookupResult::ErrorKind::NoTldEntry;
        outcome.errorString = route.error;
        outcome.reason = QStringLiteral("norow");
    }
    return outcome;
}

LookupRequest admitLookup(const QString &given, const QString &chosenTld, const LookupContext &context)
{
    LookupRequest request;
    request.given = given;
    request.prepared = prepareLookupName(given, chosenTld, context.defaultExtension);
    if (const std::optional<QByteArray> ascii = domainQueryBytes(request.prepared))
        request.ascii = *ascii;
    if (request.hasAsciiForm())
        request.route = context.route(request.prepared);
    return request;
}
