#include "search/RunTally.h"

void RunTally::start()
{
    *this = RunTally();
    m_clock.start();
}

void RunTally::count(const LookupOutcome &outcome)
{
    if (!isCounting())
        return;
    switch (outcome.kind) {
    case LookupOutcome::Kind::Available:
        ++m_available;
        break;
    case LookupOutcome::Kind::Registered:
        ++m_registered;
        break;
    default:
        ++m_unanswered;
        break;
    }
}

void RunTally::finish()
{
    if (!isCounting())
        return;
    m_elapsedMs = m_clock.elapsed();
    m_clock.invalidate();
}
