#include "core/RegistryPacer.h"

#include "core/RegistryLimits.h"
#include "core/TldTable.h"

#include <algorithm>
#include <limits>

namespace {

// A pace a tenth slower than the one given: the margin kept below what a
// registry was seen to allow.
int slower(int paceMs)
{
    return paceMs + paceMs / 10;
}

// More than any pool has slots.
constexpr int maxInFlight = 1024;

// Holds a host's next start while a query started without a clock runs.
constexpr qint64 untilItEnds = std::numeric_limits<qint64>::max();

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
    const QString key = host.toLower();
    auto found = m_registries.find(key);
    if (found == m_registries.end()) {
        found = m_registries.insert(key, Registry());
        found->intervalMs = m_intervals.value(key);
    }
    return *found;
}

void RegistryPacer::requireInterval(const QString &host, int intervalMs)
{
    const QString key = host.toLower();
    const int interval = qMax(m_intervals.value(key), intervalMs);
    m_intervals.insert(key, interval);
    registry(key).intervalMs = interval;
}

void RegistryPacer::setLimits(const RegistryLimits &limits)
{
    for (const RegistryLimitRow &row : limits.rows()) {
        const int intervalMs = slower(row.intervalMs());
        for (const QString &host : row.hosts) {
            if (intervalMs > 0)
                requireInterval(host, intervalMs);
        }
    }
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
    return now >= found->readyAt && now >= found->nextStartAt;
}

qint64 RegistryPacer::readyAt(const QString &host) const
{
    const auto found = m_registries.constFind(host.toLower());
    if (found == m_registries.constEnd())
        return 0;
    return found->nextStartAt == untilItEnds ? found->readyAt : qMax(found->readyAt, found->nextStartAt);
}

int RegistryPacer::pauseMs(const QString &host) const
{
    return m_registries.value(host.toLower()).pauseMs;
}

void RegistryPacer::queryStarted(const QString &host, qint64 now)
{
    Registry &entry = registry(host);
    ++entry.running;
    if (entry.intervalMs > 0)
        entry.nextStartAt = qMax(entry.nextStartAt, now + entry.intervalMs);
}

void RegistryPacer::queryStarted(const QString &host)
{
    Registry &entry = registry(host);
    ++entry.running;
    if (entry.intervalMs > 0)
        entry.nextStartAt = untilItEnds;
}

// The end of a query, as a start of a host's spacing and of its streak.
void RegistryPacer::noteEnd(Registry &entry, qint64 now) const
{
    entry.running = qMax(0, entry.running - 1);
    if (entry.nextStartAt == untilItEnds)
        entry.nextStartAt = now + entry.intervalMs;
    const bool quietBefore = entry.lastEndAt >= 0 && now - entry.lastEndAt >= m_options.backoffStartMs;
    if (entry.lastEndAt < 0 || quietBefore) {
        entry.streakSince = now;
        entry.streakAfterQuiet = quietBefore;
    }
    entry.lastEndAt = now;
}

// Whether the registry's last window counted only this caller's queries, as
// far as it can tell: it has asked for a whole window, or began after a
// quiet one.
bool RegistryPacer::windowIsOwn(const Registry &entry, qint64 now) const
{
    return entry.streakAfterQuiet || now - entry.streakSince >= m_options.backoffStartMs;
}

void RegistryPacer::queryEnded(const QString &host, qint64 now, bool refused)
{
    Registry &entry = registry(host);
    noteEnd(entry, now);
    while (!entry.recentAnswers.empty() && now - entry.recentAnswers.front() >= m_options.backoffStartMs)
        entry.recentAnswers.pop_front();
    if (entry.staleRunning > 0) {
        // Sent before the last back-off: its answer counts toward the
        // registry's window before the refusal, not toward the pace after
        // it, and its refusal belongs to the same episode.
        if (!refused) {
            entry.recentAnswers.push_back(now);
            entry.judgedAnswers += entry.judgedAnswers >= 0 ? 1 : 0;
        }
        endStale(entry, now);
        return;
    }
    judgeRefusal(entry);
    if (!refused) {
        entry.answeredSinceBackOff = true;
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
    noteEnd(entry, now);
    if (entry.staleRunning > 0)
        endStale(entry, now);
    entry.readyAt = qMax(entry.readyAt, now + entry.pauseMs);
}

void RegistryPacer::markUnreachable(const QString &host, qint64 now)
{
    registry(host).unreachableUntil = now + m_options.unreachableMs;
}

bool RegistryPacer::isUnreachable(const QString &host, qint64 now) const
{
    const auto found = m_registries.constFind(host.toLower());
    return found != m_registries.constEnd() && now < found->unreachableUntil;
}

void RegistryPacer::endStale(Registry &entry, qint64 now) const
{
    --entry.staleRunning;
    if (entry.staleRunning == 0)
        judgeRefusal(entry);
    entry.readyAt = qMax(entry.readyAt, now + entry.pauseMs);
}

void RegistryPacer::backOff(Registry &entry, qint64 now) const
{
    entry.answersInRow = 0;
    // A refusal with nothing answered since the last back-off, or in the
    // first window of a caller that was not quiet before, says nothing of
    // the rate the registry allows: the pause grows, and the pace it returns
    // to stays. Otherwise the pace is judged once the queries still out
    // have ended: their answers came from the same window.
    if (entry.answeredSinceBackOff && windowIsOwn(entry, now)) {
        entry.judgedAnswers = int(entry.recentAnswers.size());
        entry.judgedPauseMs = entry.pauseMs;
        entry.judgedAt = now;
    }
    entry.answeredSinceBackOff = false;
    entry.inFlightLimit = 1;
    entry.answersAtLimit = 0;
    entry.staleRunning = entry.running;
    entry.pauseMs = qMin(m_options.maxPauseMs, std::max({m_options.backoffStartMs, 2 * entry.pauseMs, entry.paceMs}));
    entry.backedOffAt = now;
    if (entry.staleRunning == 0)
        judgeRefusal(entry);
}

void RegistryPacer::judgeRefusal(Registry &entry) const
{
    const int answered = std::exchange(entry.judgedAnswers, -1);
    // Nothing answered in its last window: the refusal says nothing of the
    // rate it allows (this caller stalled). It backs off, and its pace stays.
    if (answered <= 0)
        return;
    const int refusedMs = entry.judgedPauseMs;
    // What it answered in its last window before refusing is about what it allows.
    const int tooFastMs = qMax(refusedMs, m_options.backoffStartMs / answered);
    if (entry.provenPaceMs >= 0 && refusedMs >= entry.provenPaceMs) {
        // Refused at a pace it has answered many times: it may have tightened
        // a little, or refused for a moment. A little slower, and the pace
        // is tried again if it answers that.
        entry.paceMs = slower(entry.paceMs);
        entry.provenPaceMs = -1;
    } else {
        // A faster try was refused: back to the pace it answered. A pace never
        // answered long: a little slower than what its last window answered.
        entry.paceMs = entry.provenPaceMs >= 0 ? entry.provenPaceMs : qMax(2 * entry.paceMs, slower(tooFastMs));
        holdBackFrom(entry, tooFastMs + tooFastMs / 20, entry.judgedAt);
    }
    entry.paceMs = std::clamp(entry.paceMs, entry.throttleMs, m_options.maxPauseMs);
    entry.pauseMs = qMax(entry.pauseMs, entry.paceMs);
    entry.readyAt = qMax(entry.readyAt, entry.judgedAt + entry.pauseMs);
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
