#pragma once

#include <QHash>
#include <QString>

#include <deque>

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
};

// The pause between queries to one registry, kept per server host across
// every slot: rows that share a server (com and net, the proxy row) share
// one pause, the largest throttle of those rows. A registry with a pause
// takes one query at a time, the next one no sooner than the pause after
// the previous one ended; a registry without one takes as many as there are
// slots, once it has shown it answers them: it starts with one at a time and
// takes one more each time it has answered as many as it took at once, so
// that the queries in flight when it first refuses are few.
//
// A refusal (a rate-limit notice or a query left unanswered) doubles the
// registry's pause, starting from PacingOptions::backoffStartMs and up to
// maxPauseMs, and sets the pace the registry relaxes toward: a little slower
// than the fastest pace it answered before it refused (the answers of the
// last backoffStartMs). Refusals within two pauses of a doubling belong to
// the same episode and double once. After the back-off, each answer raises
// the rate by a quarter of that pace's rate until the pace is reached; each
// relaxAfter answers in a row at the pace, it tries one a little faster, but
// not as fast as a pace that was refused within the last holdBackMs. A pace
// refused before it was ever
// answered relaxAfter times in a row is halved in rate.
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

    bool ready(const QString &host, qint64 now) const;
    // When the host takes its next query, if nothing is running there then.
    qint64 readyAt(const QString &host) const;
    int pauseMs(const QString &host) const;

    void queryStarted(const QString &host);
    // refused: the registry refused the query or left it unanswered.
    void queryEnded(const QString &host, qint64 now, bool refused);
    // A query given up before its answer: it no longer counts as running,
    // and the next one waits the host's pause from now.
    void queryDropped(const QString &host, qint64 now);

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
        // Back-off steps since its last answer.
        int episodesWithoutAnswer = 0;
        qint64 readyAt = 0;
        qint64 backedOffAt = -1;
        std::deque<qint64> recentAnswers;
    };

    Registry &registry(const QString &host);
    void backOff(Registry &entry, qint64 now) const;
    void setPaceAfterRefusal(Registry &entry, qint64 now) const;
    void holdBackFrom(Registry &entry, int tooFastMs, qint64 now) const;
    void relax(Registry &entry, qint64 now) const;

    PacingOptions m_options;
    QHash<QString, Registry> m_registries; // by host, lower case
};
