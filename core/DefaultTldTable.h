#pragma once

#include <QByteArray>
#include <QStringList>

// The built-in table written when TLDs.txt is missing.
namespace DefaultTldTable {

// "No match,not registered,not found,available for registration,no domain records,AVAIL,No entries found"
extern const char *const standardIndicators;

// The 179 default lines, without line ends, in file order.
QStringList lines();

// The file contents: every line followed by CR LF, then one more CR LF.
QByteArray fileContents();

// The server of the default row of a lower-case extension, or empty.
QString serverOf(const QString &extension);

} // namespace DefaultTldTable
