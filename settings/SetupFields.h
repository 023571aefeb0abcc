#pragma once

#include <QString>

// What the setup window's boxes accept. Each check gives the empty text for
// an acceptable value, else a short reason for the user.
namespace SetupFields {

// A WHOIS port: a whole number the TLD table can hold, 1 to 32767.
QString portProblem(const QString &text);
// A pause in milliseconds: a whole number from 0 up; empty when allowEmpty.
QString pauseProblem(const QString &text, bool allowEmpty);
// The DNS server: an IPv4 or IPv6 address, or empty for the system's resolver.
QString dnsServerProblem(const QString &text);
// An extension ("com", ".co.uk"): no spaces, no "|"; empty when allowEmpty.
QString extensionProblem(const QString &text, bool allowEmpty);
// A WHOIS server or RDAP address: no spaces, no "|".
QString serverProblem(const QString &text);

} // namespace SetupFields
