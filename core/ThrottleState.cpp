#include "core/ThrottleState.h"

ThrottleState::ThrottleState(int tickIntervalMs, QObject *parent)
    : QObject(parent)
    , m_tickIntervalMs(tickIntervalMs)
{
    m_timThrottle.setTimerType(Qt::PreciseTimer);
    m_timThrottle.setInterval(tickIntervalMs);
    connect(&m_timThrottle, &QTimer::timeout, this, &ThrottleState::tick);
}

void ThrottleState::startPause()
{
    m_throttleTicks = 0;
    m_throttleActive = true;
    // A pause of nothing ends as soon as the events queued before it have run,
    // not a whole tick later.
    m_timThrottle.start(m_currentThrottleMs <= 0 ? 0 : m_tickIntervalMs);
}

void ThrottleState::tick()
{
    if (!m_throttleActive)
        return;
    if (m_throttleTicks >= m_currentThrottleMs) {
        m_throttleActive = false;
        m_timThrottle.stop();
        emit pauseEnded();
    } else {
        ++m_throttleTicks;
    }
}
