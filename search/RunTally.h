#pragma once

#include "core/LookupResult.h"

#include <QElapsedTimer>
#include <QStringList>

// What one run has done so far: the names it ended, by verdict, and how
// long it has taken. Blocked, timed-out and failed names count as unanswered.
class RunTally
{
public:
    // tlds: those each word of the run is checked in.
    void start(const QStringList &tlds = {});
    void count(const LookupResult &outcome);

    bool isCounting() const { return m_clock.isValid(); }
    // The run has ended, with words checked in every TLD: nothing more is counted.
    void finish(qint32 words = 0);

    const QStringList &tlds() const { return m_tlds; }
    qint32 words() const { return m_words; }

    int checked() const { return m_available + m_registered + m_unanswered; }
    int available() const { return m_available; }
    int registered() const { return m_registered; }
    int unanswered() const { return m_unanswered; }
    qint64 elapsedMs() const { return m_elapsedMs; }

private:
    QElapsedTimer m_clock;
    QStringList m_tlds;
    qint32 m_words = 0;
    int m_available = 0;
    int m_registered = 0;
    int m_unanswered = 0;
    qint64 m_elapsedMs = 0;
};
