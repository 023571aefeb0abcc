#pragma once

#include <QByteArray>
#include <QStringList>

// One CSV record as RFC 4180 writes it: fields separated by ",", a field
// that holds a comma, a double quote, CR or LF enclosed in double quotes with
// its quotes doubled, CR LF at the end. The text is encoded as UTF-8.
QByteArray csvRecord(const QStringList &fields);
