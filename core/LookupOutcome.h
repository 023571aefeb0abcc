#pragma once

#include <QString>

// How one lookup ended, for whoever reports progress.
struct LookupOutcome
{
    enum class Kind { Available, Registered, Blocked, Timeout, Error };

    int slot = 0;
    QString domain; // the prepared name that was asked for
    QString server;
    Kind kind = Kind::Error;
    QString reason; // the evidence that decided, e.g. "phrase:No match"

    static QString kindText(Kind kind);
};
