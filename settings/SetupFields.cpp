#include "settings/SetupFields.h"

#include <QHostAddress>

#include <algorithm>

namespace {

bool holdsSpaceOrBar(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace() || c == QLatin1Char('|'); });
}

bool isWholeNumber(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

} // namespace

namespace SetupFields {

QString portProblem(const QString &text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!isWholeNumber(text) || !ok || port < 1 || port > 65535)
        return QStringLiteral("The port must be a whole number from 1 to 65535.");
    return {};
}

QString pauseProblem(const QString &text, bool allowEmpty)
{
    if (text.isEmpty() && allowEmpty)
        return {};
    bool ok = false;
    text.toInt(&ok);
    if (!isWholeNumber(text) || !ok)
        return QStringLiteral("The pause must be a whole number of milliseconds.");
    return {};
}

QString dnsServerProblem(const QString &text)
{
    const QString address = text.trimmed();
    if (address.isEmpty() || !QHostAddress(address).isNull())
        return {};
    return QStringLiteral("The DNS server must be an IP address, such as 192.0.2.53, or empty.");
}

QString extensionProblem(const QString &text, bool allowEmpty)
{
    if (text.isEmpty())
        return allowEmpty ? QString() : QStringLiteral("Enter an extension, such as com.");
    if (holdsSpaceOrBar(text))
        return QStringLiteral("An extension holds no spaces and no \"|\".");
    return {};
}

QString serverProblem(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("Enter the WHOIS server.");
    if (holdsSpaceOrBar(text))
        return QStringLiteral("A server name holds no spaces and no \"|\".");
    return {};
}

} // namespace SetupFields
