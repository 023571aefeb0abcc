#include "search/RunTally.h"

void RunTally::start(const QStringList &tlds)
{
    *this = RunTally();
    m_tlds = tlds;
    m_clock.start();
}

void RunTally::count(const LookupResult &outcome)
{
    if (!isCounting())
        return;
    switch (outcome.kind) {
    case LookupResult::Kind::Available:
        ++m_available;
        break;
    case LookupResult::Kind::Registered:
        ++m_registered;
        break;
    default:
        ++m_unanswered;
        break;
    }
}

void RunTally::finish(qint32 words)
{
    if (!isCounting())
        return;
    m_words = words;
    m_elapsedMs = m_clock.elapsed();
    m_clock.invalidate();
}
