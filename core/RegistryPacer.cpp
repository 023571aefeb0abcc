#include "core/RegistryPacer.h"

#include "core/TldTable.h"

RegistryPacer::RegistryPacer(PacingOptions options)
    : m_options(options)
{
}

void RegistryPacer::setThrottles(const TldTable &table)
{
    m_registries.clear();
    for (const TldEntry &entry : table.entries()) {
        Registry &host = registry(entry.whoisServer);
        host.throttleMs = qMax(host.throttleMs, qMax(0, entry.throttleMs));
        host.pauseMs = host.throttleMs;
    }
}

RegistryPacer::Registry &RegistryPacer::registry(const QString &host)
{
    return m_registries[host.toLower()];
}

void RegistryPacer::requireThrottle(const QString &host, int throttleMs)
{
    Registry &entry = registry(host);
    if (throttleMs <= entry.throttleMs)
        return;
    entry.throttleMs = throttleMs;
    entry.pauseMs = qMax(entry.pauseMs, throttleMs);
}

bool RegistryPacer::ready(const QString &host, qint64 now) const
{
    const auto found = m_registries.constFind(host.toLower());
    if (found == m_registries.constEnd())
        return true;
    if (found->pauseMs > 0 && found->running > 0)
        return false;
    return now >= found->readyAt;
}

qint64 RegistryPacer::readyAt(const QString &host) const
{
    return m_registries.value(host.toLower()).readyAt;
}

int RegistryPacer::pauseMs(const QString &host) const
{
    return m_registries.value(host.toLower()).pauseMs;
}

void RegistryPacer::queryStarted(const QString &host)
{
    ++registry(host).running;
}

void RegistryPacer::queryEnded(const QString &host, qint64 now, bool refused)
{
    Registry &entry = registry(host);
    entry.running = qMax(0, entry.running - 1);
    if (refused) {
        entry.answersInRow = 0;
        // Refusals within two pauses of the last doubling belong to the same
        // episode (the registry's window has not passed yet): they double once.
        if (entry.backedOffAt < 0 || now - entry.backedOffAt >= 2 * qint64(entry.pauseMs)) {
            entry.pauseMs = qMin(m_options.maxPauseMs, qMax(m_options.backoffStartMs, entry.pauseMs * 2));
            entry.backedOffAt = now;
        }
    } else if (++entry.answersInRow >= m_options.relaxAfter) {
        entry.answersInRow = 0;
        // A registry that has refused once is not sent bursts again.
        const int floor = entry.backedOffAt < 0 ? entry.throttleMs : qMax(entry.throttleMs, m_options.refusedFloorMs);
        entry.pauseMs = qMax(floor, entry.pauseMs / 2);
    }
    entry.readyAt = now + entry.pauseMs;
}
