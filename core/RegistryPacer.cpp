#include "core/RegistryPacer.h"

#include "core/TldTable.h"

#include <algorithm>

namespace {

// A pace a tenth slower than the one given: the margin kept below what a
// registry was seen to allow.
int slower(int paceMs)
{
    return paceMs + paceMs / 10;
}

// More than any pool has slots.
constexpr int maxInFlight = 1024;

} // namespace

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
        host.paceMs = host.throttleMs;
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
    entry.paceMs = qMax(entry.paceMs, throttleMs);
}

bool RegistryPacer::ready(const QString &host, qint64 now) const
{
    const auto found = m_registries.constFind(host.toLower());
    if (found == m_registries.constEnd())
        return true;
    if (found->running >= (found->pauseMs > 0 ? 1 : found->inFlightLimit))
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
    while (!entry.recentAnswers.empty() && now - entry.recentAnswers.front() >= m_options.backoffStartMs)
        entry.recentAnswers.pop_front();
    if (!refused) {
        entry.episodesWithoutAnswer = 0;
        if (++entry.answersAtLimit >= entry.inFlightLimit) {
            entry.answersAtLimit = 0;
            entry.inFlightLimit = qMin(entry.inFlightLimit + 1, maxInFlight);
        }
        entry.recentAnswers.push_back(now);
        relax(entry, now);
    } else if (entry.backedOffAt < 0 || now - entry.backedOffAt >= 2 * qint64(entry.pauseMs)) {
        // Refusals within two pauses of the last doubling belong to the same
        // episode (the registry's window has not passed yet): they double once.
        backOff(entry, now);
    }
    entry.readyAt = now + entry.pauseMs;
}

void RegistryPacer::queryDropped(const QString &host, qint64 now)
{
    Registry &entry = registry(host);
    entry.running = qMax(0, entry.running - 1);
    entry.readyAt = qMax(entry.readyAt, now + entry.pauseMs);
}

void RegistryPacer::backOff(Registry &entry, qint64 now) const
{
    entry.answersInRow = 0;
    if (entry.episodesWithoutAnswer == 0) {
        setPaceAfterRefusal(entry, now);
    } else if (entry.episodesWithoutAnswer == 1) {
        // Still refusing once its window has passed: it rations over a longer
        // time than it was paced for. Half the rate, and no trying it again.
        holdBackFrom(entry, entry.paceMs + entry.paceMs / 20, now);
        entry.paceMs = qMin(m_options.maxPauseMs, 2 * entry.paceMs);
        entry.provenPaceMs = -1;
    }
    ++entry.episodesWithoutAnswer;
    entry.pauseMs = qMin(m_options.maxPauseMs, std::max({m_options.backoffStartMs, 2 * entry.pauseMs, entry.paceMs}));
    entry.backedOffAt = now;
}

void RegistryPacer::setPaceAfterRefusal(Registry &entry, qint64 now) const
{
    // Nothing answered in its last window: the refusal says nothing of the
    // rate it allows (its window still counts an earlier run's queries, or
    // this caller stalled). It backs off, and its pace stays.
    if (entry.recentAnswers.empty())
        return;
    const int refusedMs = entry.pauseMs;
    // What it answered in its last window before refusing is about what it allows.
    const int answered = int(entry.recentAnswers.size());
    const int tooFastMs = qMax(refusedMs, m_options.backoffStartMs / answered);
    if (entry.provenPaceMs >= 0 && refusedMs < entry.provenPaceMs) {
        // A faster try was refused: back to the pace it answered.
        entry.paceMs = entry.provenPaceMs;
    } else if (entry.provenPaceMs >= 0) {
        // Refused at a pace it has answered many times: it has tightened a little.
        entry.paceMs = slower(qMax(entry.paceMs, tooFastMs));
        entry.provenPaceMs = -1;
    } else {
        entry.paceMs = qMax(2 * entry.paceMs, slower(tooFastMs));
    }
    entry.paceMs = std::clamp(entry.paceMs, entry.throttleMs, m_options.maxPauseMs);
    holdBackFrom(entry, tooFastMs + tooFastMs / 20, now);
}

// Within the hold a pace judged too fast is the floor of every try; once
// the hold is over the pacer tries down to the throttle again.
void RegistryPacer::holdBackFrom(Registry &entry, int tooFastMs, qint64 now) const
{
    entry.fastestTryMs = now >= entry.fastestTryUntil ? tooFastMs : qMax(entry.fastestTryMs, tooFastMs);
    entry.fastestTryUntil = now + m_options.holdBackMs;
}

void RegistryPacer::relax(Registry &entry, qint64 now) const
{
    if (entry.pauseMs > entry.paceMs) {
        // Additive increase: each answer adds a quarter of the pace's rate.
        const qint64 pause = entry.pauseMs;
        const qint64 pace = entry.paceMs;
        entry.pauseMs = int(qMax(pace, pause * 4 * pace / (4 * pace + pause)));
        entry.answersInRow = 0;
        return;
    }
    if (++entry.answersInRow < m_options.relaxAfter)
        return;
    entry.answersInRow = 0;
    entry.provenPaceMs = entry.paceMs;
    // A registry that has never refused keeps its throttle.
    if (entry.fastestTryMs < 0)
        return;
    const int floorMs = now < entry.fastestTryUntil ? entry.fastestTryMs : entry.throttleMs;
    const int faster = std::max({entry.throttleMs, floorMs, entry.paceMs - entry.paceMs / 20});
    if (faster < entry.paceMs)
        entry.paceMs = entry.pauseMs = faster;
}
