#include "search/RunProgress.h"

#include <cmath>

QString RunProgress::durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const QString rest = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(rest);
    return QStringLiteral("%1:%2").arg(minutes).arg(rest);
}

void RunProgress::start(qint32 startNumber, qint32 total, qint64 nowMs)
{
    m_firstPosition = startNumber;
    m_position = startNumber - 1;
    m_total = total;
    m_startMs = nowMs;
    m_nowMs = nowMs;
}

void RunProgress::advance(qint32 nextWordNumber, qint64 nowMs)
{
    m_position = qMin(nextWordNumber - 1, m_total);
    m_nowMs = nowMs;
}

double RunProgress::namesPerSecond() const
{
    const qint32 taken = m_position - m_firstPosition + 1;
    const qint64 elapsedMs = m_nowMs - m_startMs;
    if (taken <= 0 || elapsedMs <= 0)
        return 0.0;
    return taken * 1000.0 / double(elapsedMs);
}

qint64 RunProgress::secondsLeft() const
{
    const double rate = namesPerSecond();
    if (rate <= 0.0)
        return -1;
    return qint64(std::ceil(qMax(0, m_total - m_position) / rate));
}

QString RunProgress::text() const
{
    QString text = QStringLiteral("%1 of %2").arg(m_position).arg(m_total);
    const qint64 left = secondsLeft();
    if (left < 0)
        return text;
    return text + QStringLiteral(" \u00b7 %1 names/s \u00b7 ETA %2")
                      .arg(QString::number(namesPerSecond(), 'f', 1), durationText(left));
}
