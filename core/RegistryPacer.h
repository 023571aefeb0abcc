#pragma once

#include <QHash>
#include <QString>

#include <deque>

class RegistryLimits;
class TldTable;

// How a registry's pause backs off after refusals and relaxes again.
struct PacingOptions
{
    // The first step is long enough for a registry's one-second window to
    // pass; it is also the window in which the answers before a refusal are
    // counted.
    int backoffStartMs = 1000;
    int maxPauseMs = 60000;
    // Answers in a row at a pace before a slightly faster one is tried.
    int relaxAfter = 20;
    // How long a pace judged too fast is not tried again. A judgement made
    // on a bad window (the answers before a refusal thinned by a stall) must
    // not hold a registry slow for the rest of a long run.
    int holdBackMs = 600000;
    // How long a registry that could not be reached is passed over.
    int unreachableMs = 600000;
};

// The pause between queries to one registry, kept per server host across
// every slot: rows that share a server (com and net, the proxy row) share
// one pause, the largest throttle of those rows. A registry with a pause
// takes one query at a time, the next one no sooner than the pause after
// the previous one ended; a registry without one takes as many as there are
// slots, once it has shown it answers them: it starts with one at a time and
// takes one more each time it has answered as many as it took at once, so
// that the queries in flight when it refuses are few; after a back-off it
// starts with one at a time again.
//
// A refusal (a rate-limit notice or a query left unanswered) doubles the
// registry's pause, starting from PacingOptions::backoffStartMs and up to
// maxPauseMs, and sets the pace the registry relaxes toward: a little slower
// than the fastest pace it answered before it refused (the answers of the
// last backoffStartMs, counted once the queries still out then have ended),
// back to the last pace it answered relaxAfter times in a row when a faster
// try was refused, or a little slower than that pace when that pace itself
// was refused. Refusals within two pauses of a doubling, and the endings of
// queries sent before it, belong to the same episode and double once. After
// the back-off, each answer raises the rate by a quarter of that pace's rate
// until the pace is reached; each relaxAfter answers in a row at the pace, it
// tries one a little faster, but not as fast as a pace judged too fast within
// the last holdBackMs.
//
// The answers before a refusal tell its rate only when they are all the
// registry counted: when this caller has been asking for a whole window, or
// began after a quiet window. A refusal in the first window of a caller that
// has not been quiet before (the registry may still count an earlier run's
// queries) backs off and keeps the pace, and so does a refusal that follows
// one without an answer in between (its window has passed, but it still
// refuses: it punishes for a while, or counts over a longer time).
//
// A published limit (requireInterval) spaces the starts of queries from the
// first one on; queries started with a clock may overlap, a query started
// without one holds the next start until it ends.
//
// Times are milliseconds on any steady clock the caller keeps.
class RegistryPacer
{
public:
    explicit RegistryPacer(PacingOptions options = {});

    // Takes each host's throttle from the table, forgetting earlier refusals.
    void setThrottles(const TldTable &table);

    // A host's pause is at least throttleMs from now on: the largest
    // throttle of the rows and suffixes it serves that a run has asked.
    void requireThrottle(const QString &host, int throttleMs);

    // Starts of the host's queries are at least intervalMs apart, whatever
    // the throttles and refusals say: the pace of a published limit. Kept
    // across setThrottles().
    void requireInterval(const QString &host, int intervalMs);
    // requireInterval() for every host of the limits, a tenth below each
    // published rate.
    void setLimits(const RegistryLimits &limits);

    bool ready(const QString &host, qint64 now) const;
    // When the host takes its next query, if nothing is running there then.
    qint64 readyAt(const QString &host) const;
    int pauseMs(const QString &host) const;

    void queryStarted(const QString &host, qint64 now);
    // Without a clock: a host with an interval takes no other query until
    // this one ends, and the next starts the interval after that end.
    void queryStarted(const QString &host);
    // refused: the registry refused the query or left it unanswered.
    void queryEnded(const QString &host, qint64 now, bool refused);
    // A query given up before its answer: it no longer counts as running,
    // and the next one waits the host's pause from now.
    void queryDropped(const QString &host, qint64 now);

    // The host could not be reached (it does not resolve, refuses the
    // connection, or does not speak the protocol); the caller asks another
    // protocol's registry instead until unreachableMs have passed.
    void markUnreachable(const QString &host, qint64 now);
    bool isUnreachable(const QString &host, qint64 now) const;

private:
    struct Registry
    {
        int throttleMs = 0;
        int pauseMs = 0;
        // The pace the pause relaxes toward, and the last one that was
        // answered relaxAfter times in a row (-1: none since the last refusal).
        int paceMs = 0;
        int provenPaceMs = -1;
        // Tried paces go no faster than this until fastestTryUntil (-1: it
        // has never refused).
        int fastestTryMs = -1;
        qint64 fastestTryUntil = 0;
        int running = 0;
        int answersInRow = 0;
        int inFlightLimit = 1;
        int answersAtLimit = 0;
        bool answeredSinceBackOff = true;
        int staleRunning = 0; // of those running, the ones started before the last back-off
        // A refusal whose pace is judged once the queries still out then
        // have ended: its time, the pause refused, and the answers of the
        // window before it (-1: none to judge).
        qint64 judgedAt = 0;
        int judgedPauseMs = 0;
        int judgedAnswers = -1;
        qint64 readyAt = 0;
        qint64 backedOffAt = -1;
        std::deque<qint64> recentAnswers;
        // The queries ending without a quiet window between them: since when,
        // and whether a quiet window came before (-1: none ended yet).
        qint64 lastEndAt = -1;
        qint64 streakSince = -1;
        bool streakAfterQuiet = false;
        // A published limit: starts at least intervalMs apart.
        int intervalMs = 0;
        qint64 nextStartAt = 0;
        bool unclockedRunning = false;
        qint64 unreachableUntil = -1;
    };

    Registry &registry(const QString &host);
    void noteEnd(Registry &entry, qint64 now) const;
    bool windowIsOwn(const Registry &entry, qint64 now) const;
    void endStale(Registry &entry, qint64 now) const;
    void backOff(Registry &entry, qint64 now) const;
    void judgeRefusal(Registry &entry) const;
    void holdBackFrom(Registry &entry, int tooFastMs, qint64 now) const;
    void relax(Registry &entry, qint64 now) const;

    PacingOptions m_options;
    QHash<QString, Registry> m_registries; // by host, lower case
    QHash<QString, int> m_intervals;       // by host, lower case
};
