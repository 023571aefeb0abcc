#include "core/LookupRequest.h"

#include "core/LookupContext.h"
#include "core/NamePreparation.h"

#include <QUrl>

QString LookupRequest::registryHost() const
{
    if (route.isRdap())
        return QUrl(route.server).host().toLower();
    return route.server.toLower();
}

std::optional<LookupOutcome> LookupRequest::unaskable() const
{
    if (isAskable())
        return std::nullopt;
    LookupOutcome outcome(0, prepared, QString(), LookupOutcome::Kind::Error);
    if (!hasAsciiForm()) {
        outcome.error = LookupOutcome::ErrorKind::BadName;
        outcome.errorString = QStringLiteral("%1 has no valid ASCII form or is too long").arg(prepared.left(80));
        outcome.reason = QStringLiteral("badname");
    } else {
        outcome.error = LookupOutcome::ErrorKind::NoTldEntry;
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
    if (const std::optional<QByteArray> ascii = queryBytes(request.prepared))
        request.ascii = *ascii;
    if (request.hasAsciiForm())
        request.route = routeLookup(request.prepared, context.tldTable, context.useProxy, context.registries);
    return request;
}
