#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// What a registry's reply tells about a name beyond the verdict. A fact the
// reply does not give stays empty; none is guessed.
struct ReplyFacts
{
    QDateTime expires; // UTC
    QDateTime created;
    QDateTime changed;
    QStringList statuses; // as the registry gives them: EPP codes or its own words
    QString registrar;
    bool premium = false;

    bool isEmpty() const
    {
        return !expires.isValid() && !created.isValid() && !changed.isValid() && statuses.isEmpty() &&
               registrar.isEmpty() && !premium;
    }
};
