#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Decodes the 24 listed percent codes (case-insensitive), each repeated until
// none is left, "%25" first. No other code is decoded; "+" stays.
QString urlDecode(const QString &text);

// Strips junk from the label part of a name and keeps its suffix (the text
// from the first "." on).
QString correctName(const QString &name);

// The text without control characters (below 0x20, and 0x7F): a name that
// goes on the wire is always exactly one query line.
QString removeControlCharacters(QString text);

// The name a lookup sends for a candidate: the text after the first ":",
// decoded and corrected, without a trailing "."; without a "." it gets "." +
// chosenTld, or defaultExtension (which carries its own dot) when chosenTld
// is empty. ASCII letters are lowered.
// Control characters (below 0x20 and 0x7F) are removed, so one candidate is
// always exactly one query line.
QString prepareLookupName(const QString &name, const QString &chosenTld, const QString &defaultExtension);

// A label a registered host name may have: 1 to 63 letters, digits and
// hyphens, neither first nor last a hyphen.
bool isHostNameLabel(QByteArrayView label);

// The bytes a query sends for a prepared name: the name itself when it is
// plain ASCII, otherwise its IDNA form ("xn--..."), so a name outside ASCII
// never reaches the wire as "?" or as raw 8-bit bytes. No value when the name
// has no valid ASCII form, a label is longer than 63 octets or the name
// longer than 253: such a name is not worth a query.
std::optional<QByteArray> queryBytes(const QString &name);

// queryBytes() of a name a lookup asks about, when anybody could register
// it: no value as well when a label is one isHostNameLabel() refuses (an
// empty one, a hyphen at its edge, a character no domain name may hold).
std::optional<QByteArray> domainQueryBytes(const QString &name);
