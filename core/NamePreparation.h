#pragma once

#include <QString>

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
// decoded and corrected; without a "." it gets "." + chosenTld, or
// defaultExtension (which carries its own dot) when chosenTld is empty.
// Control characters (below 0x20 and 0x7F) are removed, so one candidate is
// always exactly one query line.
QString prepareLookupName(const QString &name, const QString &chosenTld, const QString &defaultExtension);
