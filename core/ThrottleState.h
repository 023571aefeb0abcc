#pragma once

#include <QObject>
#include <QTimer>

// The pause before each batch of queries, counted in ticks of a 1 ms timer
// and shared by every window that sends WHOIS queries: a pause started by
// one window may be ended by ticks counted for another.
class ThrottleState : public QObject
{
    Q_OBJECT

public:
    explicit ThrottleState(int tickIntervalMs = 1, QObject *parent = nullptr);

    bool throttleActive() const { return m_throttleActive; }
    qint32 throttleTicks() const { return m_throttleTicks; }
    // The pause length, set from the TLD entry of the query started last.
    qint32 currentThrottleMs() const { return m_currentThrottleMs; }
    void setCurrentThrottleMs(qint32 milliseconds) { m_currentThrottleMs = milliseconds; }

    // throttleTicks = 0, throttleActive = true, ticking. pauseEnded() follows
    // on the tick that finds throttleTicks >= currentThrottleMs.
    void startPause();

signals:
    void pauseEnded();

private:
    void tick();

    int m_tickIntervalMs;
    QTimer m_timThrottle;
    bool m_throttleActive = false;
    qint32 m_throttleTicks = 0;
    qint32 m_currentThrottleMs = 25;
};
