#pragma once

#include <QString>
#include <QtGlobal>

// Where a search run stands: the position of the word last taken out of the
// list size, the names asked for per second since the start, and the time
// left at that rate. Times are milliseconds of any steady clock.
class RunProgress
{
public:
    // startNumber: the position of the run's first word.
    void start(qint32 startNumber, qint32 total, qint64 nowMs);
    // After each word taken, with the position of the next one.
    void advance(qint32 nextWordNumber, qint64 nowMs);

    qint32 position() const { return m_position; }
    qint32 total() const { return m_total; }
    double namesPerSecond() const;
    // -1 while no rate is known yet.
    qint64 secondsLeft() const;
    // "120 of 676 · 8.5 names/s · ETA 1:05"
    QString text() const;

    // A run's time as a clock shows it: "1:05", "1:02:03".
    static QString durationText(qint64 seconds);

private:
    qint32 m_firstPosition = 0;
    qint32 m_position = 0;
    qint32 m_total = 0;
    qint64 m_startMs = 0;
    qint64 m_nowMs = 0;
};
