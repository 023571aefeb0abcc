#pragma once

#include <QByteArray>
#include <QStringList>

// One CSV record as RFC 4180 writes it: fields separated by ",", a field
// that holds a comma, a double quote, CR or LF enclosed in double quotes with
// its quotes doubled, CR LF at the end. The text is encoded as UTF-8.
QByteArray csvRecord(const QStringList &fields);

// A file name the user gave for a CSV export, with ".csv" added when it has
// no suffix of its own.
QString csvFileName(const QString &path);
