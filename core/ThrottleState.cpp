#include "core/ThrottleState.h"

ThrottleState::ThrottleState(int tickIntervalMs, QObject *parent)
    : QObject(parent)
{
    m_timThrottle.setTimerType(Qt::PreciseTimer);
    m_timThrottle.setInterval(tickIntervalMs);
    connect(&m_timThrottle, &QTimer::timeout, this, &ThrottleState::tick);
}

void ThrottleState::startPause()
{
    m_throttleTicks = 0;
    m_throttleActive = true;
    m_timThrottle.start();
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
