#pragma once

#include <QString>

// One row of TLDs.txt as held in memory.
struct TldEntry
{
    QString extension;   // lower case; "proxy" marks the proxy row
    QString whoisServer; // lower case
    quint16 port = 0;
    bool enabled = false; // true only for the exact text "Enabled"
    qint32 throttleMs = 0;
    QString successIndicators;

    bool isProxy() const { return extension == QLatin1String("proxy"); }
};
